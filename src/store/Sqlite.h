#pragma once
// A thin RAII layer over the sqlite3 C API. Nothing here throws: every failure comes back as an Error value.
// Depends on Qt Core and sqlite3 only, so widget-free code can use it.
#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace sqlite {

// The outcome of one call: SQLite's result codes and its own text ("database is locked", ...).
struct Error {
    int code = 0;  // primary result code, SQLITE_OK (0) on success
    int extendedCode = 0;  // extended result code, e.g. SQLITE_BUSY_SNAPSHOT
    QString message;

    bool ok() const { return code == 0; }
    // Another connection holds the file (SQLITE_BUSY) or a table (SQLITE_LOCKED).
    bool isBusy() const;

    // The error the connection reports for result code rc (SQLite's generic text if the connection has moved on).
    static Error fromConnection(sqlite3* db, int rc);
    static Error fromCode(int rc, const QString& message = QString());
};

// One open database file. Opening never creates a missing file unless openOrCreate() is called.
//
// A busy file is waited for through a budget, not a per-call timeout: all waiting since open() or the last
// restartBusyBudget() together stays within busyBudget() milliseconds, so an operation of several statements
// gives up within about that time. Callers that keep a connection across operations restart the budget at
// the start of each one.
class Connection final {
public:
    enum class Access { ReadWrite, ReadOnly };
    static constexpr int kDefaultBusyBudgetMs = 1000;

    Connection();
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database file; a missing file is a failure naming the path and stays missing.
    Error open(const QString& path, Access access = Access::ReadWrite);
    // Opens read-write and creates the file when it is missing (new index or copy files).
    Error openOrCreate(const QString& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // Runs SQL without parameters or results (pragmas, begin/commit); several statements are allowed.
    Error exec(const QString& sql);
    // Prepares one statement, binds values in order and runs it to its first row or its end.
    Error run(const QString& sql, const QVariantList& values = {});

    // Rows changed by the last insert, update or delete; the rowid of the last insert.
    qint64 changes() const;
    qint64 lastInsertId() const;
    // False while a transaction is open.
    bool isAutocommit() const;

    // Total time all busy waits may take from now on; 0 gives up at once. Restarts the budget.
    void setBusyBudget(int milliseconds);
    int busyBudget() const;
    // Gives the next operation the whole budget again.
    void restartBusyBudget();

    // The raw handle for the backup API or FTS5 registration; null when closed. Do not install another busy
    // handler on it (sqlite3_busy_timeout replaces the budget).
    sqlite3* handle() const { return m_db; }

private:
    struct BusyState;
    BusyState& busy();
    Error openWith(const QString& path, int flags);

    sqlite3* m_db = nullptr;
    std::unique_ptr<BusyState> m_busy;  // on the heap: SQLite keeps a pointer to it across moves; null once moved from
    QString m_path;
};

// One prepared statement. Parameters are numbered from 1, columns from 0, as in SQLite.
// Destroy statements before their connection (sqlite3_close_v2 keeps late ones safe, but the file stays open).
class Statement final {
public:
    enum class Step { Row, Done, Failed };

    Statement() = default;
    // Prepares exactly one statement; see error() and isValid().
    Statement(Connection& connection, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    // The outcome of the last prepare, bind, step or reset (ok() on success); a column read that runs out of
    // memory sets it too.
    const Error& error() const { return m_error; }

    // A null QString binds the empty text, never SQL NULL.
    Error bindText(int index, const QString& value);
    Error bindInt64(int index, qint64 value);
    Error bindDouble(int index, double value);
    Error bindBlob(int index, const QByteArray& value);
    Error bindNull(int index);
    // Binds every value in order from parameter 1: QString, integer types, bool, double, QByteArray. The
    // count must match the statement's parameters; an invalid QVariant or another type is a failure.
    Error bindAll(const QVariantList& values);
    int parameterCount() const;

    Step step();
    // Back to before the first step; the bindings stay.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    // The column of that name, -1 when there is none.
    int columnIndex(const QString& name) const;
    bool isNull(int column) const;
    // A NULL column gives a null QString; use isNull() to tell it from ''.
    QString text(int column);
    qint64 int64(int column) const;
    double real(int column) const;
    QByteArray bytes(int column);

    sqlite3_stmt* handle() const { return m_stmt; }

private:
    Error fail(int rc);
    void finalize();

    sqlite3_stmt* m_stmt = nullptr;
    Error m_error;
};

// Begins a transaction and rolls it back on destruction unless commit() succeeded.
class Transaction final {
public:
    enum class Mode { Immediate, Deferred };

    explicit Transaction(Connection& connection, Mode mode = Mode::Immediate);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // The failure of the begin; a transaction that did not begin cannot commit.
    const Error& error() const { return m_error; }
    bool isActive() const { return m_active; }
    Error commit();

private:
    Connection& m_connection;
    Error m_error;
    bool m_active = false;
};

}  // namespace sqlite
