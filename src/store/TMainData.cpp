#include "store/TMainData.h"

#include "store/Indexes.h"
#include "store/Sqlite.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPair>

#include <sqlite3.h>
#include <sys/stat.h>

TMainData* MainData = nullptr;

namespace {
const QString kFileName = QStringLiteral("Data.QSD");
const QString kNested = QStringLiteral("另一个数据库操作尚未结束");
// Up to this size a database is checked whole before the run's first write (a few milliseconds).
constexpr qint64 kCheckedFirstBytes = qint64(4) << 20;
// What dataVersion() gives when another process holds the file.
constexpr qint64 kBusy = -2;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// Marks an operation as running for as long as it runs.
class OperationScope final {
public:
    explicit OperationScope(bool& busy) : m_busy(busy) { m_busy = true; }
    ~OperationScope() { m_busy = false; }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    bool& m_busy;
};

// Device and inode of a file ({-1, -1} when it does not exist).
QPair<qint64, qint64> fileIdentity(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {-1, -1};
    return {qint64(st.st_dev), qint64(st.st_ino)};
}

// The single text result of a statement, or a null text when it fails.
QString singleText(sqlite::Connection& connection, const QString& sql)
{
    sqlite::Statement st(connection, sql);
    return st.isValid() && st.step() == sqlite::Statement::Step::Row ? st.text(0) : QString();
}
}  // namespace

namespace {
// Lets the contents index follow one write for as long as it runs.
class IndexedWrite final {
public:
    IndexedWrite(TContentIndex& index, sqlite::Connection& connection) : m_index(index), m_connection(connection)
    {
        m_index.writeBegins(m_connection);
    }
    ~IndexedWrite() { m_index.writeEnded(m_connection); }
    IndexedWrite(const IndexedWrite&) = delete;
    IndexedWrite& operator=(const IndexedWrite&) = delete;

private:
    TContentIndex& m_index;
    sqlite::Connection& m_connection;
};
}  // namespace

TMainData::TMainData(const QString& programDir)
    : m_programDir(programDir), m_contents([this] { return databasePath(); })
{
    MainData = this;
}

TMainData::~TMainData()
{
    m_contents.closeWrites();  // before the database's WAL goes: it reads the last rows written
    m_watcher.reset();
    m_copier.reset();  // gives up a copy still running; its pending file goes
    if (MainData == this)
        MainData = nullptr;
    // The WAL goes back into the file, so that the knowledge base is one file again while the program is
    // closed. A file another process holds is left to the last connection that closes it.
    if (m_changed && QFileInfo::exists(databasePath())) {
        sqlite::Connection connection;
        if (connection.open(databasePath()).ok())
            connection.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
}

QString TMainData::databasePath() const
{
    return m_absolute ? QDir(m_programDir).absoluteFilePath(kFileName) : kFileName;
}

void TMainData::firstUseOnce()
{
    if (m_firstUseDone)
        return;
    m_firstUseDone = true;
    // A run killed while it made its copy leaves the half of one; no other run of this program directory
    // can be making one now.
    safetycopies::discardPending(QFileInfo(databasePath()).absoluteFilePath());
}

bool TMainData::open(sqlite::Connection& connection, QString* error)
{
    firstUseOnce();
    const QString path = databasePath();
    if (!QFileInfo::exists(path)) {
        setError(error,
            QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
        return false;
    }
    if (const sqlite::Error e = connection.open(path); !e.ok()) {
        setError(error, e.message);
        return false;
    }
    keepWatcherOpen(path);
    checkSchemaOnce(connection);
    // A database from before the indexes gets them once; creating them is a write like any other.
    if (!m_indexesChecked && m_schemaProblem.isEmpty() && m_schemaChecked) {
        m_indexesChecked = true;
        storeindexes::addMissing(
            connection, path, [&] { return m_damage.isEmpty() && takeSafetyCopy(connection, nullptr); });
    }
    return true;
}

void TMainData::checkSchemaOnce(sqlite::Connection& connection)
{
    if (m_schemaChecked)
        return;
    // Loads read a row's values by position: a table whose columns stand in another order would be
    // read scrambled and, once edited, written back into the wrong columns.
    static const QList<QPair<QString, QStringList>> kLayouts = {
        {QStringLiteral("textfile"),
            {QStringLiteral("id"), QStringLiteral("title"), QStringLiteral("classname"), QStringLiteral("bigclassname"),
                QStringLiteral("writer"), QStringLiteral("createtime"), QStringLiteral("main")}},
        {QStringLiteral("exefile"),
            {QStringLiteral("id"), QStringLiteral("title"), QStringLiteral("classname"), QStringLiteral("bigclassname"),
                QStringLiteral("writer"), QStringLiteral("createtime"), QStringLiteral("about"),
                QStringLiteral("fpath")}},
    };
    QStringList problems;
    for (const auto& [table, expected] : kLayouts) {
        sqlite::Statement query(connection, QStringLiteral("PRAGMA table_info(%1)").arg(table));
        QStringList columns;
        sqlite::Statement::Step step = sqlite::Statement::Step::Failed;
        while (query.isValid() && (step = query.step()) == sqlite::Statement::Step::Row)
            columns.append(query.text(1));
        if (step != sqlite::Statement::Step::Done)
            return;  // busy or unreadable: look again with the next operation
        if (columns.isEmpty())
            continue;  // a missing table is met by the statements themselves (and the safety copy)
        bool same = columns.size() >= expected.size();
        for (int i = 0; same && i < expected.size(); ++i)
            same = columns.at(i).compare(expected.at(i), Qt::CaseInsensitive) == 0;
        if (!same)
            problems.append(QStringLiteral("表 %1 的列是（%2），程序需要（%3）")
                                .arg(table, columns.join(QStringLiteral(", ")), expected.join(QStringLiteral(", "))));
    }
    m_schemaChecked = true;
    if (!problems.isEmpty())
        m_schemaProblem = QStringLiteral("数据库的表结构与程序不符：") + problems.join(QStringLiteral("；"))
            + QStringLiteral("。为免写乱资料，本次运行不写入数据库");
}

bool TMainData::takeSafetyCopy(sqlite::Connection& connection, QString* error)
{
    if (m_copier && m_copier->state() == TSafetyCopier::State::Unsound && m_damage.isEmpty())
        m_damage = m_copier->reason() + QStringLiteral("，没有写入");
    if (!m_damage.isEmpty()) {
        setError(error, m_damage);
        return false;
    }
    // A copy made after this run's first change would not hold the file as it was before the run.
    if (m_copyDone || m_changed)
        return true;
    const QString path = QFileInfo(databasePath()).absoluteFilePath();
    QString mode;
    {
        sqlite::Statement st(connection, QStringLiteral("PRAGMA journal_mode"));
        if (st.isValid() && st.step() == sqlite::Statement::Step::Row) {
            mode = st.text(0);
        } else if (st.error().isBusy()) {
            // The write would meet the same lock: the operation ends within its one wait.
            setError(error, st.error().message);
            return false;
        }
    }
    if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        // A rollback-journal file (from an older installation): a reader held through the copy would stop
        // every write, so this once the copy is made first. Then the file goes over to WAL (the content
        // stays as it is), and later runs copy beside their writes.
        QString why;
        const safetycopies::Outcome outcome = safetycopies::copyNow(path, &why);
        switch (outcome) {
        case safetycopies::Outcome::Made:
            m_copyDone = true;
            singleText(connection, QStringLiteral("PRAGMA journal_mode=WAL"));
            showCopyNews(QStringLiteral("已建立数据库的安全副本"));
            return true;
        case safetycopies::Outcome::NoDatabase:
            return true;  // the write reports the missing file itself; the copy is tried again once it is back
        case safetycopies::Outcome::Unsound:
            // Writing into a damaged file can spread the damage: the file is left as it is for this run.
            m_copyDone = true;
            m_damage = why + QStringLiteral("，没有写入");
            setError(error, m_damage);
            return false;
        case safetycopies::Outcome::Busy:
            break;  // tried again at the next write, unless this one gets through
        case safetycopies::Outcome::Failed:
        case safetycopies::Outcome::NoRoom:
            m_copyDone = true;
            break;
        }
        // The write goes ahead: the change the user makes is worth more than the copy.
        m_copyNotice = QStringLiteral("未能建立数据库的安全副本：") + why;
        qWarning().noquote() << m_copyNotice;
        return true;
    }

    m_copyDone = true;
    m_copier = std::make_unique<TSafetyCopier>(path, [this](TSafetyCopier::State state, const QString& reason) {
        QMetaObject::invokeMethod(
            this, [this, state, reason] { copyFinished(state, reason); }, Qt::QueuedConnection);
    });
    QString why;
    if (!m_copier->start(&why)) {
        m_copyNotice = QStringLiteral("未能建立数据库的安全副本：") + why;
        qWarning().noquote() << m_copyNotice;
        return true;
    }
    showCopyNews(QStringLiteral("正在建立数据库的安全副本……"));
    // A small file is checked before its first write, which takes a moment: a damaged one is then never
    // written into. A larger one is checked only by its copy, while the user goes on working.
    if (QFileInfo(path).size() <= kCheckedFirstBytes) {
        QString why;
        if (safetycopies::check(connection.handle(), &why) == safetycopies::Outcome::Unsound) {
            m_damage = why + QStringLiteral("，没有写入");
            setError(error, m_damage);
            return false;
        }
    }
    return true;
}

void TMainData::copyFinished(TSafetyCopier::State state, const QString& reason)
{
    switch (state) {
    case TSafetyCopier::State::Made:
        showCopyNews(QStringLiteral("已建立数据库的安全副本"));
        break;
    case TSafetyCopier::State::Unsound:
        m_damage = reason + QStringLiteral("，没有写入");
        showCopyNews(QStringLiteral("数据库文件有损坏，没有建立安全副本，以后的修改不再写入：") + reason);
        break;
    default:
        showCopyNews(QStringLiteral("未能建立数据库的安全副本：") + reason);
        break;
    }
}

void TMainData::showCopyNews(const QString& text)
{
    if (m_status)
        m_status->showBackgroundWork(text);
}

QString TMainData::takeSafetyCopyNotice()
{
    QString notice;
    notice.swap(m_copyNotice);
    return notice;
}

TSafetyCopier::State TMainData::safetyCopyState() const
{
    return m_copier ? m_copier->state() : TSafetyCopier::State::Idle;
}

bool TMainData::waitForSafetyCopy(int ms) { return !m_copier || m_copier->waitFinished(ms); }

bool TMainData::beginWrite(sqlite::Connection& connection, QString* error)
{
    if (!open(connection, error))
        return false;
    if (!m_schemaProblem.isEmpty()) {
        setError(error, m_schemaProblem);
        return false;
    }
    return takeSafetyCopy(connection, error);
}

bool TMainData::run(sqlite::Connection& connection, const Statement& st, QString* error, int* rowsAffected)
{
    const sqlite::Error e = connection.run(st.sql, st.values);
    if (!e.ok()) {
        setError(error, e.message);
        return false;
    }
    if (rowsAffected)
        *rowsAffected = int(connection.changes());
    return true;
}

bool TMainData::execute(const Statement& st, QString* error, int* rowsAffected)
{
    if (m_busy) {
        setError(error, kNested);
        return false;
    }
    const OperationScope scope(m_busy);
    sqlite::Connection connection;
    if (!beginWrite(connection, error))
        return false;
    const IndexedWrite indexed(m_contents, connection);
    if (!run(connection, st, error, rowsAffected))
        return false;
    m_changed = true;
    return true;
}

bool TMainData::writeTransaction(const std::function<bool(sqlite::Connection&, QString*)>& work, QString* error)
{
    if (m_busy) {
        setError(error, kNested);
        return false;
    }
    const OperationScope scope(m_busy);
    sqlite::Connection connection;
    if (!beginWrite(connection, error))
        return false;
    const IndexedWrite indexed(m_contents, connection);
    sqlite::Transaction transaction(connection);
    if (!transaction.error().ok()) {
        setError(error, transaction.error().message);
        return false;
    }
    if (!work(connection, error))
        return false;  // rolled back
    if (const sqlite::Error e = transaction.commit(); !e.ok()) {
        setError(error, e.message);
        return false;
    }
    m_changed = true;
    return true;
}

bool TMainData::executeThen(const Statement& st, const std::function<bool(QString*)>& beforeCommit, QString* error)
{
    return writeTransaction([&](sqlite::Connection& connection,
                                QString* why) { return run(connection, st, why, nullptr) && beforeCommit(why); },
        error);
}

bool TMainData::select(const Statement& st, const std::function<bool(Row&)>& row, QString* error)
{
    if (m_busy) {
        setError(error, kNested);
        return false;
    }
    const OperationScope scope(m_busy);
    sqlite::Connection connection;
    if (!open(connection, error))
        return false;
    sqlite::Statement statement(connection, st.sql);
    sqlite::Error e = statement.isValid() ? statement.bindAll(st.values) : statement.error();
    if (!e.ok()) {
        setError(error, e.message);
        return false;
    }
    try {
        for (;;) {
            switch (statement.step()) {
            case sqlite::Statement::Step::Row:
                if (!row(statement))
                    return true;
                break;
            case sqlite::Statement::Step::Done:
                return true;
            case sqlite::Statement::Step::Failed:
                // A page that cannot be read, a lock taken meanwhile.
                setError(error, statement.error().message);
                return false;
            }
        }
    } catch (const QString& failure) {
        setError(error, failure);
        return false;
    }
}

void TMainData::keepWatcherOpen(const QString& path)
{
    // While one connection stays open, an operation's connection is never the last to close: its close then
    // neither folds the WAL back into the file nor deletes it, and a write costs one sync of the WAL instead
    // of five (creating the WAL, its directory, the commit, the checkpoint, the file). SQLite folds the WAL
    // back by itself every thousand pages, and the destructor at the end of the run.
    if (m_watcher && m_watcher->path() != path)
        m_watcher.reset();
    if (m_watcher)
        return;
    m_watcher = std::make_unique<sqlite::Connection>();
    m_watchedFile = fileIdentity(path);
    if (!m_watcher->open(path).ok()) {
        m_watcher.reset();
        return;
    }
    // SQLite opens the file lazily: one read makes the connection take its part in the WAL, which it keeps
    // while it stays open. A busy or unreadable file is left to the operation itself.
    m_watcher->setBusyBudget(0);
    sqlite::Statement first(*m_watcher, QStringLiteral("PRAGMA data_version"));
    if (!first.isValid() || first.step() != sqlite::Statement::Step::Row)
        m_watcher.reset();
    else
        m_watcher->setBusyBudget(sqlite::Connection::kDefaultBusyBudgetMs);
}

qint64 TMainData::dataVersion()
{
    // The watcher is opened once and never holds a transaction; its data_version changes whenever any other
    // connection commits. -1 when it cannot tell: the count is then taken afresh.
    if (!m_watcher) {
        m_watcher = std::make_unique<sqlite::Connection>();
        if (!QFileInfo::exists(databasePath()) || !m_watcher->open(databasePath()).ok()) {
            m_watcher.reset();
            return -1;
        }
    }
    m_watcher->restartBusyBudget();
    sqlite::Statement st(*m_watcher, QStringLiteral("PRAGMA data_version"));
    if (!st.isValid() || st.step() != sqlite::Statement::Step::Row) {
        const bool busy = st.error().isBusy();
        m_watcher.reset();
        return busy ? kBusy : -1;
    }
    return st.int64(0);
}

bool TMainData::countRows(const Statement& select, qint64& count, QString* error)
{
    QString key = select.sql;
    for (const QVariant& v : select.values)
        key += QChar(0) + v.toString();
    // A database put in place of the old one is another file: the watcher follows the file it opened.
    const QPair<qint64, qint64> identity = fileIdentity(databasePath());
    if (m_watcher && (m_watcher->path() != databasePath() || identity != m_watchedFile))
        m_watcher.reset();
    if (!m_watcher)
        m_watchedFile = identity;
    const qint64 version = dataVersion();
    if (version == kBusy) {
        // The count would wait for the same lock: the operation ends within its one wait.
        setError(error, QString::fromUtf8(sqlite3_errstr(SQLITE_BUSY)));
        return false;
    }
    const auto cached = m_counts.constFind(key);
    if (version >= 0 && cached != m_counts.cend() && cached->version == version) {
        count = cached->count;
        return true;
    }
    // The database counts the rows itself (from an index where one fits) instead of handing each row
    // over to be counted: the same number, without walking a large result.
    qint64 rows = -1;
    const bool ok = select_(sql::countRows(select), rows, error);
    if (!ok)
        return false;
    count = rows;
    if (version >= 0)
        m_counts.insert(key, CachedCount {version, rows});
    return true;
}

bool TMainData::select_(const Statement& st, qint64& value, QString* error)
{
    value = -1;
    const bool ok = select(
        st,
        [&value](Row& row) {
            value = row.int64(0);
            return false;
        },
        error);
    if (ok && value < 0) {
        setError(error, QStringLiteral("无法统计资料数"));
        return false;
    }
    return ok;
}

void TMainData::setStatus(const QString& text)
{
    if (m_status)
        m_status->showStatus(text);
}

void TMainData::setProgress(int position)
{
    if (m_status)
        m_status->showProgress(position);
}

QString TMainData::currentStatus() const { return m_status ? m_status->currentStatus() : QString(); }
