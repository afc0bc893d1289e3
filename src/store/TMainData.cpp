#include "store/TMainData.h"

#include "store/Indexes.h"

#include <QDir>
#include <QFileInfo>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

TMainData* MainData = nullptr;

namespace {
const QString kDriver = QStringLiteral("QSQLITE");
const QString kFileName = QStringLiteral("Data.QSD");
// Another process holding a write transaction must not freeze the window: give up quickly.
const QString kConnectOptions = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=300");

// A file: URI that opens an existing database for reading and writing, never creating it.
QString openUri(const QString& path)
{
    QString escaped = path;
    escaped.replace(QLatin1Char('%'), QLatin1String("%25"));
    escaped.replace(QLatin1Char('?'), QLatin1String("%3f"));
    escaped.replace(QLatin1Char('#'), QLatin1String("%23"));
    return QStringLiteral("file:") + escaped + QStringLiteral("?mode=rw");
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// Closes the connection when an operation ends, however it ends.
class OperationScope final {
public:
    explicit OperationScope(bool& busy, std::function<void()> done) : m_busy(busy), m_done(std::move(done))
    {
        m_busy = true;
    }
    ~OperationScope()
    {
        m_done();
        m_busy = false;
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    bool& m_busy;
    std::function<void()> m_done;
};

// Qt binds a null QString as SQL NULL; no statement writes NULL: an unset field is the empty text.
void bindValues(QSqlQuery& query, const QVariantList& values)
{
    for (const QVariant& value : values) {
        if (value.typeId() == QMetaType::QString && value.toString().isNull())
            query.addBindValue(QString(QLatin1String("")));
        else
            query.addBindValue(value);
    }
}

const QString kNested = QStringLiteral("另一个数据库操作尚未结束");
}  // namespace

TMainData::TMainData(const QString& programDir) : m_programDir(programDir)
{
    static std::atomic<int> instances {0};
    m_connectionName = QStringLiteral("quillstash-data-%1").arg(++instances);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_connectionName);
        db.setConnectOptions(kConnectOptions);
        m_query = std::make_unique<QSqlQuery>(db);
    }
    MainData = this;
}

TMainData::~TMainData()
{
    stopSafetyCopy();
    if (MainData == this)
        MainData = nullptr;
    m_query.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString TMainData::databasePath() const
{
    return m_absolute ? QDir(m_programDir).absoluteFilePath(kFileName) : kFileName;
}

bool TMainData::connect(QString* error)
{
    const QString path = databasePath();
    if (!QFileInfo::exists(path)) {
        setError(error,
            QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    db.setDatabaseName(openUri(path));
    if (!db.open()) {
        setError(error, db.lastError().text());
        return false;
    }
    checkSchemaOnce();
    // A database from before the indexes gets them once; creating them is a write like any other.
    if (m_schemaProblem.isEmpty())
        storeindexes::addMissingOnce(db, path, [this] { return takeSafetyCopy(nullptr); });
    return true;
}

void TMainData::checkSchemaOnce()
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
    bool readable = true;
    for (const auto& [table, expected] : kLayouts) {
        QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
            readable = false;  // busy or unreadable: look again with the next operation
            break;
        }
        QStringList columns;
        while (query.next())
            columns.append(query.value(1).toString());
        if (query.lastError().isValid()) {
            readable = false;
            break;
        }
        if (columns.isEmpty())
            continue;  // a missing table is met by the statements themselves (and the safety copy)
        bool same = columns.size() >= expected.size();
        for (int i = 0; same && i < expected.size(); ++i)
            same = columns.at(i).compare(expected.at(i), Qt::CaseInsensitive) == 0;
        if (!same)
            problems.append(QStringLiteral("表 %1 的列是（%2），程序需要（%3）")
                                .arg(table, columns.join(QStringLiteral(", ")), expected.join(QStringLiteral(", "))));
    }
    if (!readable)
        return;
    m_schemaChecked = true;
    if (!problems.isEmpty())
        m_schemaProblem = QStringLiteral("数据库的表结构与程序不符：") + problems.join(QStringLiteral("；"))
            + QStringLiteral("。为免写乱资料，本次运行不写入数据库");
}

void TMainData::disconnect()
{
    m_query->clear();
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    db.close();
}

bool TMainData::beginWrite(QString* error)
{
    m_query->clear();
    if (!connect(error))
        return false;
    if (!m_schemaProblem.isEmpty()) {
        setError(error, m_schemaProblem);
        return false;
    }
    return takeSafetyCopy(error);
}

bool TMainData::execute(const Statement& st, QString* error, int* rowsAffected)
{
    if (m_busy) {
        setError(error, kNested);
        return false;
    }
    OperationScope scope(m_busy, [this] { disconnect(); });
    if (!beginWrite(error))
        return false;
    if (!run(st, error))
        return false;
    m_changed = true;
    if (rowsAffected)
        *rowsAffected = m_query->numRowsAffected();
    return true;
}

bool TMainData::executeThen(const Statement& st, const std::function<bool(QString*)>& beforeCommit, QString* error)
{
    if (m_busy) {
        setError(error, kNested);
        return false;
    }
    OperationScope scope(m_busy, [this] { disconnect(); });
    if (!beginWrite(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.transaction()) {
        setError(error, db.lastError().text());
        return false;
    }
    bool ok = run(st, error);
    m_query->finish();
    if (ok)
        ok = beforeCommit(error);
    if (ok && !db.commit()) {
        setError(error, db.lastError().text());
        ok = false;
    }
    if (!ok) {
        m_query->clear();
        db.rollback();
        return false;
    }
    m_changed = true;
    return true;
}

bool TMainData::select(const Statement& st, const std::function<bool(const QSqlQuery&)>& row, QString* error)
{
    if (m_busy) {
        setError(error, kNested);
        return false;
    }
    OperationScope scope(m_busy, [this] { disconnect(); });
    m_query->clear();
    if (!connect(error))
        return false;
    startSafetyCopy();
    m_query->setForwardOnly(true);
    if (!run(st, error))
        return false;
    try {
        while (m_query->next()) {
            if (!row(*m_query))
                return true;
        }
    } catch (const QString& failure) {
        setError(error, failure);
        return false;
    }
    // next() also ends on a read error (a page that cannot be read, a lock taken meanwhile).
    if (m_query->lastError().isValid()) {
        setError(error, m_query->lastError().text());
        return false;
    }
    return true;
}

bool TMainData::run(const Statement& st, QString* error)
{
    bool ok = m_query->prepare(st.sql);
    if (ok) {
        bindValues(*m_query, st.values);
        ok = m_query->exec();
    }
    if (!ok)
        setError(error, m_query->lastError().text());
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
