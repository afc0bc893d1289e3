#include "store/SafetyCopies.h"

#include "store/TMainData.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace safetycopies {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString sqliteText(sqlite3* db) { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"); }

// Closes a connection however the copy ends.
class Connection final {
public:
    Connection() = default;
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    sqlite3** out() { return &m_db; }
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// The single text result of a statement ("" when it has none or fails).
QString singleText(sqlite3* db, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    QString out;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return out;
}

void removePending(const QString& pending)
{
    QFile::remove(pending);
    QFile::remove(pending + QStringLiteral("-journal"));
}

// Renames are atomic replacements (rename(2)); QFile::rename refuses an existing target.
bool replaceFile(const QString& from, const QString& to, QString* error)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    setError(error, QStringLiteral("无法把 %1 改名为 %2").arg(QFileInfo(from).fileName(), QFileInfo(to).fileName()));
    return false;
}

// Makes the renames durable before the write that follows them.
void syncDirectory(const QString& file)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Copies the database into pending; Unsound when the source is not a sound material database.
Outcome copyInto(const QString& databasePath, const QString& pending, QString* error, const std::atomic<bool>* cancel)
{
    Connection source;
    // Read-write without create: a missing file is not made, and a journal left by a writer that was
    // killed is rolled back the way any connection rolls it back. Nothing else is written.
    if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), source.out(), SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK) {
        setError(error, sqliteText(source.get()));
        return Outcome::Failed;
    }
    sqlite3_busy_timeout(source.get(), 300);

    Connection target;
    if (sqlite3_open_v2(
            QFile::encodeName(pending).constData(), target.out(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        setError(error, sqliteText(target.get()));
        return Outcome::Failed;
    }
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source.get(), "main");
    if (!backup) {
        setError(error, sqliteText(target.get()));
        return Outcome::Failed;
    }
    // In steps, so a copy nobody will need can be given up; SQLite starts over by itself should
    // another connection change the file between two steps, so the copy stays consistent.
    // A file that another process keeps locked is given up after a bounded wait, never waited on
    // for good: the write that needs the copy is waiting too.
    int stepped = SQLITE_OK;
    int waitedMs = 0;
    while (stepped == SQLITE_OK || stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED) {
        if (cancel && cancel->load()) {
            sqlite3_backup_finish(backup);
            setError(error, QStringLiteral("cancelled"));
            return Outcome::Failed;
        }
        stepped = sqlite3_backup_step(backup, 4096);
        if (stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED) {
            if (waitedMs >= kBusyBoundMs) {
                sqlite3_backup_finish(backup);
                setError(error, QString::fromUtf8(sqlite3_errstr(stepped)));
                return Outcome::Busy;
            }
            sqlite3_sleep(20);
            waitedMs += 20;
        }
    }
    sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE) {
        if (stepped == SQLITE_NOTADB || stepped == SQLITE_CORRUPT) {
            setError(error, QStringLiteral("数据库文件已损坏（%1）").arg(QString::fromUtf8(sqlite3_errstr(stepped))));
            return Outcome::Unsound;
        }
        setError(error, QString::fromUtf8(sqlite3_errstr(stepped)));
        return Outcome::Failed;
    }

    // The copy holds the pages as they are: check it before it may push a good copy out.
    const QString check = singleText(target.get(), "PRAGMA quick_check");
    if (check != QLatin1String("ok")) {
        const QString detail = check.isEmpty() ? sqliteText(target.get()) : check.simplified();
        setError(error, QStringLiteral("数据库文件已损坏（%1）").arg(detail));
        return Outcome::Unsound;
    }
    const QString tables = singleText(
        target.get(), "select count(*) from sqlite_master where type='table' and name in ('textfile','exefile')");
    if (tables != QLatin1String("2")) {
        setError(error, QStringLiteral("数据库文件中没有资料表"));
        return Outcome::Unsound;
    }
    return Outcome::Made;
}

}  // namespace

QString copyPath(const QString& databasePath, int n)
{
    return databasePath + QStringLiteral(".bak") + QString::number(n);
}

QString pendingPath(const QString& databasePath) { return databasePath + QStringLiteral(".bak-new"); }

Outcome prepare(const QString& databasePath, QString* error, const std::atomic<bool>* cancel)
{
    if (!QFileInfo::exists(databasePath)) {
        setError(error, QStringLiteral("找不到数据库文件"));
        return Outcome::NoDatabase;
    }
    const QString pending = pendingPath(databasePath);
    removePending(pending);  // left by a run that was killed while copying
    const Outcome outcome = copyInto(databasePath, pending, error, cancel);
    if (outcome != Outcome::Made)
        removePending(pending);
    return outcome;
}

Outcome install(const QString& databasePath, QString* error)
{
    const QString pending = pendingPath(databasePath);
    // Oldest first, so a failure part-way loses no copy but the one that was to be dropped anyway.
    for (int n = kKept - 1; n >= 1; --n) {
        const QString older = copyPath(databasePath, n);
        if (QFileInfo::exists(older) && !replaceFile(older, copyPath(databasePath, n + 1), error)) {
            removePending(pending);
            return Outcome::Failed;
        }
    }
    if (!replaceFile(pending, copyPath(databasePath, 1), error)) {
        removePending(pending);
        return Outcome::Failed;
    }
    syncDirectory(databasePath);
    return Outcome::Made;
}

void discardPrepared(const QString& databasePath) { removePending(pendingPath(databasePath)); }

Outcome rotate(const QString& databasePath, QString* error)
{
    const Outcome outcome = prepare(databasePath, error);
    return outcome == Outcome::Made ? install(databasePath, error) : outcome;
}

}  // namespace safetycopies

bool TMainData::takeSafetyCopy(QString* error)
{
    if (!m_damage.isEmpty()) {
        if (error)
            *error = m_damage;
        return false;
    }
    // A copy made after this run's first change would not hold the file as it was before the run.
    if (m_safetyCopyTaken || m_changed)
        return true;
    startSafetyCopy();
    if (m_copier.joinable())
        m_copier.join();  // the copy must hold the file as it was before this first write
    QString why = m_copyError;
    safetycopies::Outcome outcome = m_copyOutcome;
    if (outcome == safetycopies::Outcome::Made)
        outcome = safetycopies::install(m_copyPath, &why);
    switch (outcome) {
    case safetycopies::Outcome::Made:
        m_safetyCopyTaken = true;
        return true;
    case safetycopies::Outcome::NoDatabase:
        m_copyStarted = false;
        // The write reports the missing file itself; the copy is tried again once the file is back.
        return true;
    case safetycopies::Outcome::Unsound:
        // Writing into a damaged file can spread the damage: the file is left as it is for this run.
        m_safetyCopyTaken = true;
        m_damage = why + QStringLiteral("，没有写入");
        if (error)
            *error = m_damage;
        return false;
    case safetycopies::Outcome::Busy:
        // The write will most likely meet the same lock; should it get through, no later copy is
        // made (see above), else the next write tries the copy again.
        m_copyStarted = false;
        break;
    case safetycopies::Outcome::Failed:
        m_safetyCopyTaken = true;
        break;
    }
    // The write goes ahead: the change the user makes is worth more than the copy. The caller says
    // so after the write's own outcome.
    m_copyNotice = QStringLiteral("未能建立数据库的安全副本：") + why;
    qWarning().noquote() << m_copyNotice;
    return true;
}

QString TMainData::takeSafetyCopyNotice()
{
    QString notice;
    notice.swap(m_copyNotice);
    return notice;
}

void TMainData::startSafetyCopy()
{
    if (m_copyStarted || m_safetyCopyTaken || m_changed)
        return;
    m_copyStarted = true;
    m_copyCancel = false;
    m_copyPath = QFileInfo(databasePath()).absoluteFilePath();
    // Copying a large file takes seconds: it runs beside the program from its first use of the
    // database, so that the first write seldom has to wait for it.
    m_copier = std::thread([this] { m_copyOutcome = safetycopies::prepare(m_copyPath, &m_copyError, &m_copyCancel); });
}

void TMainData::stopSafetyCopy()
{
    if (!m_copier.joinable())
        return;
    m_copyCancel = true;
    m_copier.join();
    if (!m_safetyCopyTaken)
        safetycopies::discardPrepared(m_copyPath);  // the run wrote nothing: no copy is kept
}
