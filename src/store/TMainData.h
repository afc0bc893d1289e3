#pragma once
// The data module: one named SQLite connection and one query through which every database access
// runs. Each operation connects, runs one statement and disconnects, on success and failure alike.
#include "store/Statements.h"

#include "store/SafetyCopies.h"
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "common/StatusSink.h"

class QSqlQuery;

class TMainData final {
public:
    // programDir: the directory holding Data.QSD (the executable's directory in the program).
    explicit TMainData(const QString& programDir);
    ~TMainData();
    TMainData(const TMainData&) = delete;
    TMainData& operator=(const TMainData&) = delete;

    const QString& programDir() const { return m_programDir; }
    // "Data.QSD" (resolved against the current directory) until the first record construction,
    // then the absolute path beside the program.
    QString databasePath() const;
    void useAbsolutePath() { m_absolute = true; }
    bool usesAbsolutePath() const { return m_absolute; }

    // Runs a statement that returns no rows. On failure returns false and sets error.
    bool execute(const Statement& st, QString* error, int* rowsAffected = nullptr);
    // Runs a statement that returns no rows in a transaction that is committed only when beforeCommit
    // (run after the statement, before the commit) returns true; otherwise, or when the commit fails,
    // nothing of the statement stays. beforeCommit may set error to say why it refused.
    bool executeThen(const Statement& st, const std::function<bool(QString*)>& beforeCommit, QString* error);
    // Runs a select and calls row() for each result row, in order, until it returns false.
    // On failure (open, read, or an error thrown by row() as QString) returns false and sets error;
    // rows handled before the failure stay handled.
    bool select(const Statement& st, const std::function<bool(const QSqlQuery&)>& row, QString* error);

    // Where the statement runners and listings report (the main window's status and progress bar).
    void setStatusSink(StatusSink* sink) { m_status = sink; }
    StatusSink* statusSink() const { return m_status; }
    void setStatus(const QString& text);
    void setProgress(int position);  // 0 to 100; StatusSink::kFull means the bar's maximum
    QString currentStatus() const;

    // Before the first write of this data module: copies Data.QSD to Data.QSD.bak1, older copies
    // moving up to .bak3 (store/SafetyCopies.h). Tried once per data module; a copy that cannot be
    // written does not stop the write and leaves a notice (safetyCopyNotice()). Returns false (error
    // set) when the file is damaged or not a material database: then no write of this run may touch it.
    bool takeSafetyCopy(QString* error);
    // Why the safety copy of this run could not be made, once: the caller of a write shows it after
    // the write's own outcome. Empty when there is nothing to say.
    QString takeSafetyCopyNotice();
    // Why this run writes nothing into the database because its tables are not laid out as the
    // program reads them (empty when they are, or before the first operation looked).
    const QString& schemaProblem() const { return m_schemaProblem; }
    // Starts building the safety copy on another thread (once per data module); takeSafetyCopy()
    // waits for it. stopSafetyCopy() gives up a copy still running and drops an unused one.
    void startSafetyCopy();
    void stopSafetyCopy();

private:
    // Opens the connection on the current path; never creates a missing file.
    bool connect(QString* error);
    // Releases the query's result and closes the connection.
    void disconnect();
    // Prepares the statement on the open connection, binds its values and runs it.
    bool run(const Statement& st, QString* error);
    // The shared first steps of a write: refuses a nested operation, connects, checks the layout and
    // takes the safety copy.
    bool beginWrite(QString* error);
    // Checks once per data module that both tables hold their columns in the order loads read them.
    void checkSchemaOnce();

    QString m_programDir;
    StatusSink* m_status = nullptr;
    QString m_connectionName;
    bool m_absolute = false;
    std::unique_ptr<QSqlQuery> m_query;
    bool m_busy = false;  // an operation is running: refuse a nested one
    bool m_safetyCopyTaken = false;
    QString m_damage;  // why the file was found damaged before the first write: writes are refused
    QString m_copyNotice;
    bool m_changed = false;  // a write of this run went through
    bool m_schemaChecked = false;
    QString m_schemaProblem;
    bool m_copyStarted = false;
    std::thread m_copier;
    std::atomic<bool> m_copyCancel {false};
    QString m_copyPath;
    QString m_copyError;
    safetycopies::Outcome m_copyOutcome = safetycopies::Outcome::Failed;
};

// The program-wide data module (null until created).
extern TMainData* MainData;
