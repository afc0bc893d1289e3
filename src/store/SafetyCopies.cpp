#include "store/SafetyCopies.h"

#include "store/Sqlite.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

namespace safetycopies {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

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

void removeFile(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

// Renames are atomic replacements (rename(2)); QFile::rename refuses an existing target.
bool replaceFile(const QString& from, const QString& to, QString* error)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    setError(error, QStringLiteral("无法把 %1 改名为 %2").arg(QFileInfo(from).fileName(), QFileInfo(to).fileName()));
    return false;
}

// Makes the renames durable before the writes that follow them.
void syncDirectory(const QString& file)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

Outcome damaged(QString* error, const QString& detail)
{
    setError(error, QStringLiteral("数据库文件已损坏（%1）").arg(detail));
    return Outcome::Unsound;
}

qint64 fileSize(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

}  // namespace

QString copyPath(const QString& databasePath, int n)
{
    return databasePath + QStringLiteral(".bak") + QString::number(n);
}

QString pendingPath(const QString& databasePath) { return databasePath + QStringLiteral(".bak-new"); }

QList<int> keptBeside(const QList<qint64>& olderSizes, qint64 newSize)
{
    QList<int> kept;
    qint64 total = newSize;
    // The newest first: a copy further back only stays while every newer one does.
    for (int i = 0; i < olderSizes.size() && i < kKept - 1; ++i) {
        const qint64 size = olderSizes.at(i);
        if (size < 0)
            continue;
        if (total + size > 2 * newSize)
            break;
        total += size;
        kept.append(i + 1);
    }
    return kept;
}

void makeRoom(const QString& databasePath, qint64 newSize)
{
    QList<qint64> sizes;
    for (int n = 1; n <= kKept; ++n)
        sizes.append(fileSize(copyPath(databasePath, n)));
    const QList<int> kept = keptBeside(sizes, newSize);
    for (int n = 1; n <= kKept; ++n) {
        if (!kept.contains(n) && sizes.at(n - 1) >= 0)
            QFile::remove(copyPath(databasePath, n));
    }
}

bool enoughRoom(const QString& databasePath, qint64 newSize, QString* reason)
{
    const QStorageInfo storage(QFileInfo(databasePath).absolutePath());
    if (!storage.isValid())
        return true;  // nothing to go by: the write itself will tell
    if (storage.bytesAvailable() - newSize >= kMinFreeBytes)
        return true;
    setError(reason, QStringLiteral("磁盘剩余空间不足（需要 %1 MB，另留 1 GB）").arg((newSize >> 20) + 1));
    return false;
}

Outcome check(sqlite3* db, QString* error)
{
    const QString result = singleText(db, "PRAGMA quick_check");
    if (result == QLatin1String("ok"))
        return Outcome::Made;
    return damaged(error, result.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(db)) : result.simplified());
}

// Keeps the copy's writes from piling up in the page cache. Left to itself the kernel writes a large copy
// back in bulk, and a commit syncing the WAL on the same disk meanwhile waits behind gigabytes (a quarter of
// a second on a slow virtual disk, with the window waiting for the commit). After each step of the copy the
// part it wrote is handed to the disk, and the part before it waited for: at most two steps stay unwritten.
// Only pacing: the copy is made durable by its own commit.
class WritebackPacer {
public:
    explicit WritebackPacer(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    { }
    ~WritebackPacer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    WritebackPacer(const WritebackPacer&) = delete;
    WritebackPacer& operator=(const WritebackPacer&) = delete;

    void afterStep()
    {
#ifdef __linux__
        if (m_fd < 0)
            return;
        const off_t size = ::lseek(m_fd, 0, SEEK_END);
        if (size <= m_started)
            return;
        if (m_started > m_waited)
            ::sync_file_range(m_fd, m_waited, m_started - m_waited,
                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        ::sync_file_range(m_fd, m_started, size - m_started, SYNC_FILE_RANGE_WRITE);
        m_waited = m_started;
        m_started = size;
#endif
    }

private:
    int m_fd;
    off_t m_waited = 0;  // written back up to here
    off_t m_started = 0;  // handed to the disk up to here
};

Outcome build(sqlite3* source, const QString& databasePath, QString* error, const std::atomic<bool>* cancel)
{
    const QString pending = pendingPath(databasePath);
    removeFile(pending);
    sqlite::Connection target;
    if (const sqlite::Error e = target.openOrCreate(pending); !e.ok()) {
        setError(error, e.message);
        return Outcome::Failed;
    }
    sqlite3_backup* backup = sqlite3_backup_init(target.handle(), "main", source, "main");
    if (!backup) {
        setError(error, QString::fromUtf8(sqlite3_errmsg(target.handle())));
        removeFile(pending);
        return Outcome::Failed;
    }
    // In steps of 4 MB (at 4 KB pages), so that a copy nobody will need can be given up and its writes are
    // paced. Within the source's read transaction the pages are those of one snapshot; without one SQLite
    // starts over by itself when the file changes.
    WritebackPacer pacer(pending);
    int stepped = SQLITE_OK;
    int waitedMs = 0;
    while (stepped == SQLITE_OK || stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED) {
        if (cancel && cancel->load()) {
            sqlite3_backup_finish(backup);
            target.close();
            removeFile(pending);
            setError(error, QStringLiteral("cancelled"));
            return Outcome::Failed;
        }
        stepped = sqlite3_backup_step(backup, 1024);
        pacer.afterStep();
        if (stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED) {
            // A file another process keeps locked is given up after a bounded wait: a write may be waiting.
            if (waitedMs >= kBusyBoundMs) {
                sqlite3_backup_finish(backup);
                target.close();
                removeFile(pending);
                setError(error, QString::fromUtf8(sqlite3_errstr(stepped)));
                return Outcome::Busy;
            }
            sqlite3_sleep(20);
            waitedMs += 20;
        }
    }
    sqlite3_backup_finish(backup);
    Outcome outcome = Outcome::Made;
    if (stepped != SQLITE_DONE) {
        if (stepped == SQLITE_NOTADB || stepped == SQLITE_CORRUPT) {
            outcome = damaged(error, QString::fromUtf8(sqlite3_errstr(stepped)));
        } else {
            setError(error, QString::fromUtf8(sqlite3_errstr(stepped)));
            outcome = Outcome::Failed;
        }
    }
    if (outcome == Outcome::Made) {
        // A copy of a WAL database says so in its header: make it a plain file any SQLite opens alone.
        const QString mode = singleText(target.handle(), "PRAGMA journal_mode=DELETE");
        // The copy holds the pages as they are: check it before it may push a good copy out.
        if (check(target.handle(), error) != Outcome::Made) {
            outcome = Outcome::Unsound;
        } else if (singleText(target.handle(),
                       "select count(*) from sqlite_master where type='table' and name in ('textfile','exefile')")
            != QLatin1String("2")) {
            setError(error, QStringLiteral("数据库文件中没有资料表"));
            outcome = Outcome::Unsound;
        } else if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0) {
            setError(error, QStringLiteral("无法把副本改为普通数据库文件"));
            outcome = Outcome::Failed;
        }
    }
    target.close();
    if (outcome != Outcome::Made)
        removeFile(pending);
    return outcome;
}

Outcome install(const QString& databasePath, QString* error)
{
    const QString pending = pendingPath(databasePath);
    // Only a copy that was made and checked makes older ones go: those that would not fit beside it.
    makeRoom(databasePath, fileSize(pending));
    // Oldest first, so a failure part-way loses no copy but the one that was to be dropped anyway.
    for (int n = kKept - 1; n >= 1; --n) {
        const QString older = copyPath(databasePath, n);
        if (QFileInfo::exists(older) && !replaceFile(older, copyPath(databasePath, n + 1), error)) {
            removeFile(pending);
            return Outcome::Failed;
        }
    }
    if (!replaceFile(pending, copyPath(databasePath, 1), error)) {
        removeFile(pending);
        return Outcome::Failed;
    }
    syncDirectory(databasePath);
    return Outcome::Made;
}

void discardPending(const QString& databasePath) { removeFile(pendingPath(databasePath)); }

Outcome copyNow(const QString& databasePath, QString* error)
{
    if (!QFileInfo::exists(databasePath)) {
        setError(error, QStringLiteral("找不到数据库文件"));
        return Outcome::NoDatabase;
    }
    const qint64 size = fileSize(databasePath);
    if (!enoughRoom(databasePath, size, error))
        return Outcome::NoRoom;
    sqlite::Connection source;
    if (const sqlite::Error e = source.open(databasePath); !e.ok()) {
        setError(error, e.message);
        return Outcome::Failed;
    }
    const Outcome outcome = build(source.handle(), databasePath, error);
    return outcome == Outcome::Made ? install(databasePath, error) : outcome;
}

}  // namespace safetycopies

struct TSafetyCopier::Worker {
    sqlite::Connection snapshot;
    std::atomic<bool> cancel {false};
    std::thread thread;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
};

TSafetyCopier::TSafetyCopier(const QString& databasePath, Finished finished)
    : m_databasePath(databasePath), m_finished(std::move(finished))
{ }

TSafetyCopier::~TSafetyCopier()
{
    if (!m_worker)
        return;
    m_worker->cancel = true;
    if (m_worker->thread.joinable())
        m_worker->thread.join();
}

bool TSafetyCopier::start(QString* why)
{
    using namespace safetycopies;
    if (m_state != State::Idle)
        return false;
    const qint64 size = QFileInfo(m_databasePath).size();
    if (!enoughRoom(m_databasePath, size, why))
        return false;
    auto worker = std::make_unique<Worker>();
    // The snapshot: a read transaction begun now holds the database as it is until the copy has read it,
    // whatever is written meanwhile.
    sqlite::Error e = worker->snapshot.open(m_databasePath);
    if (e.ok())
        e = worker->snapshot.exec(QStringLiteral("BEGIN"));
    if (e.ok()) {
        sqlite::Statement first(worker->snapshot, QStringLiteral("select count(*) from sqlite_master"));
        if (first.step() != sqlite::Statement::Step::Row)
            e = first.error().ok() ? sqlite::Error::fromCode(SQLITE_ERROR) : first.error();
    }
    if (!e.ok()) {
        if (why)
            *why = e.message;
        return false;
    }
    m_state = State::Running;
    Worker* w = worker.get();
    m_worker = std::move(worker);
    w->thread = std::thread([this, w] {
        QString reason;
        Outcome outcome = build(w->snapshot.handle(), m_databasePath, &reason, &w->cancel);
        // Writers' pages may be folded back into the file again as soon as the copy has read its snapshot.
        w->snapshot.close();
        if (outcome == Outcome::Made && !w->cancel)
            outcome = install(m_databasePath, &reason);
        else if (w->cancel)
            discardPending(m_databasePath);
        const State state = outcome == Outcome::Made ? State::Made
            : outcome == Outcome::Unsound            ? State::Unsound
                                                     : State::Failed;
        m_reason = reason;
        m_state = state;
        // The news first: whoever waits for the copy then finds them on their way.
        if (m_finished && !w->cancel)
            m_finished(state, reason);
        {
            const std::lock_guard<std::mutex> lock(w->mutex);
            w->finished = true;
        }
        w->done.notify_all();
    });
    return true;
}

QString TSafetyCopier::reason() const { return m_state == State::Running ? QString() : m_reason; }

bool TSafetyCopier::waitFinished(int ms)
{
    if (!m_worker)
        return m_state != State::Running;
    std::unique_lock<std::mutex> lock(m_worker->mutex);
    return m_worker->done.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_worker->finished; });
}
