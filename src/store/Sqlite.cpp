#include "store/Sqlite.h"

#include "common/Utf8.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <limits>
#include <sqlite3.h>
#include <utility>

namespace sqlite {

namespace {

const QString kNotOpen = QStringLiteral("the database is not open");
const QString kNotPrepared = QStringLiteral("the statement is not prepared");

// SQLite reads a relative "file:..." as a URI (this build has URI names on), "" as a temporary database and
// ":memory:" as memory; "./" keeps every one of them an ordinary file name.
QByteArray fileName(const QString& path)
{
    QByteArray name = QFile::encodeName(path);
    if (QDir::isRelativePath(path))
        name.prepend("./");
    return name;
}

}  // namespace

// --- Error

bool Error::isBusy() const { return code == SQLITE_BUSY || code == SQLITE_LOCKED; }

Error Error::fromConnection(sqlite3* db, int rc)
{
    Error e;
    e.code = rc & 0xff;
    e.extendedCode = rc;
    if (rc == SQLITE_OK)
        return e;
    // The connection's own text is more precise ("no such table: x"), but only while it still describes rc.
    if (db && (sqlite3_extended_errcode(db) & 0xff) == e.code) {
        e.extendedCode = sqlite3_extended_errcode(db);
        e.message = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        e.message = QString::fromUtf8(sqlite3_errstr(rc));
    }
    return e;
}

Error Error::fromCode(int rc, const QString& message)
{
    Error e;
    e.code = rc & 0xff;
    e.extendedCode = rc;
    e.message = message.isEmpty() && rc != SQLITE_OK ? QString::fromUtf8(sqlite3_errstr(rc)) : message;
    return e;
}

// --- Connection

struct Connection::BusyState {
    int budgetMs = kDefaultBusyBudgetMs;
    qint64 waitedNs = 0;
};

Connection::Connection() : m_busy(std::make_unique<BusyState>()) { }

Connection::~Connection() { close(); }

Connection::Connection(Connection&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_busy(std::move(other.m_busy)), m_path(std::move(other.m_path))
{ }

Connection& Connection::operator=(Connection&& other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
        m_busy = std::move(other.m_busy);
        m_path = std::move(other.m_path);
    }
    return *this;
}

Error Connection::open(const QString& path, Access access)
{
    close();
    // Checked first for a clear message; the flags without SQLITE_OPEN_CREATE make sure nothing appears even
    // if the file goes away in between.
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        return Error::fromCode(
            SQLITE_CANTOPEN, QStringLiteral("unable to open database file: no such file: %1").arg(path));
    }
    return openWith(path, access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
}

Error Connection::openOrCreate(const QString& path)
{
    close();
    return openWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

Connection::BusyState& Connection::busy()
{
    if (!m_busy)  // moved from
        m_busy = std::make_unique<BusyState>();
    return *m_busy;
}

Error Connection::openWith(const QString& path, int flags)
{
    sqlite3* db = nullptr;
    // A connection is only ever used by one thread at a time (the safety copy's is handed to its thread
    // and used there alone), so SQLite's per-call locking of the connection is left out.
    const int rc = sqlite3_open_v2(fileName(path).constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        Error e = Error::fromConnection(db, rc);
        sqlite3_close_v2(db);  // SQLite hands out a handle even when the open fails
        e.message = QStringLiteral("%1: %2").arg(e.message, path);
        return e;
    }
    // Waits in short naps, growing, and gives up once the naps of this budget add up to it.
    auto onBusy = [](void* state, int count) -> int {
        auto* busy = static_cast<BusyState*>(state);
        const qint64 leftNs = qint64(busy->budgetMs) * 1000000 - busy->waitedNs;
        if (leftNs <= 0)
            return 0;
        static constexpr int kNapsMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
        constexpr int kLast = int(sizeof kNapsMs / sizeof kNapsMs[0]) - 1;
        const qint64 napMs = std::min<qint64>(kNapsMs[std::min(count, kLast)], (leftNs + 999999) / 1000000);
        QElapsedTimer slept;
        slept.start();
        QThread::msleep(static_cast<unsigned long>(napMs));
        busy->waitedNs += std::max<qint64>(slept.nsecsElapsed(), 1);
        return 1;
    };
    const int handlerRc = sqlite3_busy_handler(db, onBusy, &busy());
    if (handlerRc != SQLITE_OK) {
        Error e = Error::fromConnection(db, handlerRc);
        sqlite3_close_v2(db);
        return e;
    }
    m_db = db;
    m_path = path;
    busy().waitedNs = 0;
    return Error();
}

void Connection::close()
{
    if (!m_db)
        return;
    // The _v2 form never fails for open statements: it closes once the last one is finalized.
    const int rc = sqlite3_close_v2(m_db);
    if (rc != SQLITE_OK)
        qWarning().noquote() << "sqlite: closing" << m_path << "failed:" << sqlite3_errstr(rc);
    m_db = nullptr;
    m_path.clear();
}

Error Connection::exec(const QString& sql)
{
    if (!m_db)
        return Error::fromCode(SQLITE_MISUSE, kNotOpen);
    char* text = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &text);
    Error e = Error::fromConnection(m_db, rc);
    if (rc != SQLITE_OK && text)
        e.message = QString::fromUtf8(text);
    sqlite3_free(text);
    return e;
}

Error Connection::run(const QString& sql, const QVariantList& values)
{
    Statement st(*this, sql);
    Error e = st.isValid() ? st.bindAll(values) : st.error();
    if (e.ok() && st.step() == Statement::Step::Failed)
        e = st.error();
    return e;
}

qint64 Connection::changes() const { return m_db ? sqlite3_changes64(m_db) : 0; }

qint64 Connection::lastInsertId() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }

bool Connection::isAutocommit() const { return !m_db || sqlite3_get_autocommit(m_db) != 0; }

void Connection::setBusyBudget(int milliseconds)
{
    busy().budgetMs = std::max(milliseconds, 0);
    busy().waitedNs = 0;
}

int Connection::busyBudget() const { return m_busy ? m_busy->budgetMs : kDefaultBusyBudgetMs; }

void Connection::restartBusyBudget() { busy().waitedNs = 0; }

// --- Statement

Statement::Statement(Connection& connection, const QString& sql)
{
    sqlite3* db = connection.handle();
    if (!db) {
        m_error = Error::fromCode(SQLITE_MISUSE, kNotOpen);
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    if (utf8.size() > std::numeric_limits<int>::max()) {
        m_error = Error::fromCode(SQLITE_TOOBIG);
        return;
    }
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        m_error = Error::fromConnection(db, rc);
        finalize();
        return;
    }
    if (!m_stmt) {
        m_error = Error::fromCode(SQLITE_ERROR, QStringLiteral("no SQL statement to prepare"));
        return;
    }
    // sqlite3_prepare compiles the first statement only; a silently dropped second one would be a bug.
    const char* end = utf8.constData() + utf8.size();
    if (tail && tail < end) {
        sqlite3_stmt* rest = nullptr;
        const int restRc = sqlite3_prepare_v2(db, tail, int(end - tail), &rest, nullptr);
        if (restRc != SQLITE_OK)
            m_error = Error::fromConnection(db, restRc);
        else if (rest)
            m_error = Error::fromCode(SQLITE_ERROR, QStringLiteral("more than one SQL statement in: %1").arg(sql));
        sqlite3_finalize(rest);
        if (!m_error.ok())
            finalize();
    }
}

Statement::~Statement() { finalize(); }

Statement::Statement(Statement&& other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)), m_error(std::move(other.m_error))
{ }

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        finalize();
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

void Statement::finalize()
{
    // sqlite3_finalize only repeats the last step's failure, which step() has already reported.
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
}

Error Statement::fail(int rc)
{
    m_error = Error::fromConnection(m_stmt ? sqlite3_db_handle(m_stmt) : nullptr, rc);
    return m_error;
}

Error Statement::bindText(int index, const QString& value)
{
    if (!m_stmt)
        return m_error.ok() ? Error::fromCode(SQLITE_MISUSE, kNotPrepared) : m_error;
    const QByteArray utf8 = value.toUtf8();
    // A null data pointer would bind NULL; the program stores '' instead.
    const char* data = utf8.isEmpty() ? "" : utf8.constData();
    return fail(sqlite3_bind_text64(m_stmt, index, data, sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8));
}

Error Statement::bindInt64(int index, qint64 value)
{
    if (!m_stmt)
        return m_error.ok() ? Error::fromCode(SQLITE_MISUSE, kNotPrepared) : m_error;
    return fail(sqlite3_bind_int64(m_stmt, index, value));
}

Error Statement::bindDouble(int index, double value)
{
    if (!m_stmt)
        return m_error.ok() ? Error::fromCode(SQLITE_MISUSE, kNotPrepared) : m_error;
    return fail(sqlite3_bind_double(m_stmt, index, value));
}

Error Statement::bindBlob(int index, const QByteArray& value)
{
    if (!m_stmt)
        return m_error.ok() ? Error::fromCode(SQLITE_MISUSE, kNotPrepared) : m_error;
    // As with text: an empty array is an empty blob, not NULL.
    const char* data = value.isEmpty() ? "" : value.constData();
    return fail(sqlite3_bind_blob64(m_stmt, index, data, sqlite3_uint64(value.size()), SQLITE_TRANSIENT));
}

Error Statement::bindNull(int index)
{
    if (!m_stmt)
        return m_error.ok() ? Error::fromCode(SQLITE_MISUSE, kNotPrepared) : m_error;
    return fail(sqlite3_bind_null(m_stmt, index));
}

Error Statement::bindAll(const QVariantList& values)
{
    if (!m_stmt)
        return m_error.ok() ? Error::fromCode(SQLITE_MISUSE, kNotPrepared) : m_error;
    if (values.size() != parameterCount()) {
        m_error = Error::fromCode(
            SQLITE_RANGE, QStringLiteral("%1 values for %2 parameters").arg(values.size()).arg(parameterCount()));
        return m_error;
    }
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& value = values.at(i);
        const int index = i + 1;
        Error e;
        switch (value.typeId()) {
        case QMetaType::QString:
            e = bindText(index, value.toString());
            break;
        case QMetaType::Bool:
            e = bindInt64(index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            e = bindInt64(index, value.toLongLong());
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max())) {
                m_error = Error::fromCode(SQLITE_RANGE,
                    QStringLiteral("value %1 of parameter %2 does not fit a 64-bit integer")
                        .arg(value.toULongLong())
                        .arg(index));
                return m_error;
            }
            e = bindInt64(index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            e = bindDouble(index, value.toDouble());
            break;
        case QMetaType::QByteArray:
            e = bindBlob(index, value.toByteArray());
            break;
        default:
            m_error = Error::fromCode(SQLITE_MISMATCH,
                QStringLiteral("cannot bind a value of type %1 to parameter %2")
                    .arg(value.isValid() ? QString::fromLatin1(value.typeName()) : QStringLiteral("(invalid)"))
                    .arg(index));
            return m_error;
        }
        if (!e.ok())
            return e;
    }
    return Error();
}

int Statement::parameterCount() const { return m_stmt ? sqlite3_bind_parameter_count(m_stmt) : 0; }

Statement::Step Statement::step()
{
    if (!m_stmt) {
        if (m_error.ok())
            m_error = Error::fromCode(SQLITE_MISUSE, kNotPrepared);
        return Step::Failed;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
        m_error = Error();
        return rc == SQLITE_ROW ? Step::Row : Step::Done;
    }
    fail(rc);
    return Step::Failed;
}

void Statement::reset()
{
    if (!m_stmt)
        return;
    // Its result only repeats the failure of the last step, which step() returned.
    sqlite3_reset(m_stmt);
    m_error = Error();
}

int Statement::columnCount() const { return m_stmt ? sqlite3_column_count(m_stmt) : 0; }

QString Statement::columnName(int column) const
{
    return m_stmt ? QString::fromUtf8(sqlite3_column_name(m_stmt, column)) : QString();
}

int Statement::columnIndex(const QString& name) const
{
    const int count = columnCount();
    for (int i = 0; i < count; ++i) {
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0)  // SQLite's names ignore case too
            return i;
    }
    return -1;
}

bool Statement::isNull(int column) const { return !m_stmt || sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

QString Statement::text(int column)
{
    if (!m_stmt)
        return QString();
    // Text first, then its length in bytes: the order SQLite documents, and the length keeps embedded NULs.
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    if (!data) {
        if (sqlite3_column_type(m_stmt, column) != SQLITE_NULL)
            m_error = Error::fromCode(SQLITE_NOMEM);
        return QString();
    }
    const int size = sqlite3_column_bytes(m_stmt, column);
    if (size == 0)
        return QStringLiteral("");
    return utf8::decode(data, size);
}

qint64 Statement::int64(int column) const { return m_stmt ? sqlite3_column_int64(m_stmt, column) : 0; }

double Statement::real(int column) const { return m_stmt ? sqlite3_column_double(m_stmt, column) : 0.0; }

QByteArray Statement::bytes(int column)
{
    if (!m_stmt)
        return QByteArray();
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    if (!data) {
        // SQLite gives no pointer for NULL and for an empty blob alike.
        if (sqlite3_column_type(m_stmt, column) == SQLITE_NULL)
            return QByteArray();
        if (size > 0 || sqlite3_errcode(sqlite3_db_handle(m_stmt)) == SQLITE_NOMEM) {
            m_error = Error::fromCode(SQLITE_NOMEM);
            return QByteArray();
        }
        return QByteArray("");
    }
    return QByteArray(data, size);
}

// --- Transaction

Transaction::Transaction(Connection& connection, Mode mode) : m_connection(connection)
{
    m_error = m_connection.exec(
        mode == Mode::Immediate ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN DEFERRED"));
    m_active = m_error.ok();
}

Transaction::~Transaction()
{
    // SQLite may have rolled back by itself (a failed commit, an I/O error); then there is nothing to undo.
    if (!m_active || m_connection.isAutocommit())
        return;
    const Error e = m_connection.exec(QStringLiteral("ROLLBACK"));
    if (!e.ok())
        qWarning().noquote() << "sqlite: rollback on" << m_connection.path() << "failed:" << e.message;
}

Error Transaction::commit()
{
    if (!m_active)
        return m_error.ok() ? Error::fromCode(SQLITE_MISUSE, QStringLiteral("no transaction is active")) : m_error;
    const Error e = m_connection.exec(QStringLiteral("COMMIT"));
    // A busy commit leaves the transaction open (the destructor rolls it back); others may have ended it.
    if (e.ok() || m_connection.isAutocommit())
        m_active = false;
    return e;
}

}  // namespace sqlite
