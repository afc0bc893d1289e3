#include "store/TMainData.h"

#include "store/Indexes.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStatusBar>
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
    static std::atomic<int> instances{0};
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
        setError(error, QStringLiteral("找不到数据库文件 %1")
                            .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    db.setDatabaseName(openUri(path));
    if (!db.open()) {
        setError(error, db.lastError().text());
        return false;
    }
    // A database from before the indexes gets them once; creating them is a write like any other.
    storeindexes::addMissingOnce(db, path, [this] { return takeSafetyCopy(nullptr); });
    return true;
}

void TMainData::disconnect()
{
    m_query->clear();
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    db.close();
}

bool TMainData::execute(const Statement& st, QString* error, int* rowsAffected)
{
    if (m_busy) {
        setError(error, kNested);
        return false;
    }
    if (!takeSafetyCopy(error))
        return false;
    OperationScope scope(m_busy, [this] { disconnect(); });
    m_query->clear();
    if (!connect(error))
        return false;
    if (!run(st, error))
        return false;
    if (rowsAffected)
        *rowsAffected = m_query->numRowsAffected();
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

void TMainData::setStatusWidgets(QStatusBar* status, QProgressBar* progress)
{
    MainStatus = status;
    MainProgressBar = progress;
}

void TMainData::setStatus(const QString& text)
{
    if (MainStatus)
        MainStatus->showMessage(text);
}

void TMainData::setProgress(int position)
{
    if (!MainProgressBar)
        return;
    const int value = position == -1 ? MainProgressBar->maximum()
                                     : qBound(MainProgressBar->minimum(), position, MainProgressBar->maximum());
    MainProgressBar->setValue(value);
}
