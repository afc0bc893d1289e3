#pragma once
// The data module: every database access of the program runs through it, one operation at a time, each
// on a connection of its own that is opened for it and closed after it. A busy file is given up within
// about a second. Before the first change of a run a safety copy is started (store/SafetyCopies.h); the
// database is kept in WAL journal mode so that the copy reads a snapshot beside the writes instead of
// holding them up.
#include "common/StatusSink.h"
#include "store/ContentIndex.h"
#include "store/SafetyCopies.h"
#include "store/Statements.h"

#include <QHash>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>

namespace sqlite {
class Connection;
class Statement;
}  // namespace sqlite

class TMainData final : public QObject {
    Q_OBJECT
public:
    // programDir: the directory holding Data.QSD (the executable's directory in the program).
    explicit TMainData(const QString& programDir);
    // Gives up a safety copy still being made (no half copy stays) and folds the WAL back into the file.
    ~TMainData() override;
    TMainData(const TMainData&) = delete;
    TMainData& operator=(const TMainData&) = delete;

    const QString& programDir() const { return m_programDir; }
    // "Data.QSD" (resolved against the current directory) until the first record construction,
    // then the absolute path beside the program.
    QString databasePath() const;
    void useAbsolutePath() { m_absolute = true; }
    bool usesAbsolutePath() const { return m_absolute; }

    using Row = sqlite::Statement;

    // Runs a statement that returns no rows. On failure returns false and sets error.
    bool execute(const Statement& st, QString* error, int* rowsAffected = nullptr);
    // Runs a statement that returns no rows in a transaction that is committed only when beforeCommit
    // (run after the statement, before the commit) returns true; otherwise, or when the commit fails,
    // nothing of the statement stays. beforeCommit may set error to say why it refused.
    bool executeThen(const Statement& st, const std::function<bool(QString*)>& beforeCommit, QString* error);
    // Runs work in one write transaction on the operation's connection, committed when work returns true.
    bool writeTransaction(const std::function<bool(sqlite::Connection&, QString*)>& work, QString* error);
    // Runs a select and calls row() for each result row, in order, until it returns false. On failure (open,
    // read, or an error thrown by row() as QString) returns false and sets error; rows handled before the
    // failure stay handled.
    bool select(const Statement& st, const std::function<bool(Row&)>& row, QString* error);

    // The number of rows select returns: count(*) of it, kept while the database has not changed since it
    // was counted (any connection's commit, this program's or another's, makes it count again).
    bool countRows(const Statement& select, qint64& count, QString* error);

    // Where the statement runners and listings report (the main window's status and progress bar).
    void setStatusSink(StatusSink* sink)
    {
        m_status = sink;
        m_contents.setStatusSink(sink);
    }
    StatusSink* statusSink() const { return m_status; }
    void setStatus(const QString& text);
    void setProgress(int position);  // 0 to 100; StatusSink::kFull means the bar's maximum
    QString currentStatus() const;

    // Why the safety copy of this run could not be made, once: the caller of a write shows it after the
    // write's own outcome. Empty when there is nothing to say.
    QString takeSafetyCopyNotice();
    // The safety copy of this run: Idle before the first change.
    TSafetyCopier::State safetyCopyState() const;
    // Waits up to ms for a copy being made; true when none is being made any more.
    bool waitForSafetyCopy(int ms);
    // Why this run writes nothing into the database because its tables are not laid out as the program
    // reads them (empty when they are, or before the first operation looked).
    const QString& schemaProblem() const { return m_schemaProblem; }

    // The contents index beside the database; every write of this data module keeps it in step.
    TContentIndex& contentIndex() { return m_contents; }

private:
    // Opens the connection on the current path; never creates a missing file.
    bool open(sqlite::Connection& connection, QString* error);
    // Prepares the statement, binds its values and runs it to its end.
    static bool run(sqlite::Connection& connection, const Statement& st, QString* error, int* rowsAffected);
    // The shared first steps of a write: refuses a nested operation and an unsound file, and takes care
    // of the safety copy.
    bool beginWrite(sqlite::Connection& connection, QString* error);
    bool takeSafetyCopy(sqlite::Connection& connection, QString* error);
    // Checks once per data module that both tables hold their columns in the order loads read them.
    void checkSchemaOnce(sqlite::Connection& connection);
    // Once per data module, before anything else: the leftover of a copy a killed run was making goes.
    void firstUseOnce();
    void copyFinished(TSafetyCopier::State state, const QString& reason);
    void showCopyNews(const QString& text);

    QString m_programDir;
    StatusSink* m_status = nullptr;
    bool m_absolute = false;
    bool m_busy = false;  // an operation is running: refuse a nested one
    bool m_firstUseDone = false;
    bool m_copyDone = false;  // the copy of this run was made or given up
    bool m_changed = false;  // a write of this run went through
    bool m_indexesChecked = false;
    QString m_damage;  // why the file was found damaged: writes are refused
    QString m_copyNotice;
    bool m_schemaChecked = false;
    QString m_schemaProblem;
    std::unique_ptr<TSafetyCopier> m_copier;
    TContentIndex m_contents;
    // A connection kept open from the run's first operation on: to learn whether anything was committed
    // since a count, and so that the WAL stays in place between operations (see keepWatcherOpen).
    std::unique_ptr<sqlite::Connection> m_watcher;
    void keepWatcherOpen(const QString& path);
    struct CachedCount {
        qint64 version = -1;
        qint64 count = 0;
    };
    QHash<QString, CachedCount> m_counts;
    QPair<qint64, qint64> m_watchedFile {-1, -1};
    qint64 dataVersion();
    // The single integer result of st.
    bool select_(const Statement& st, qint64& value, QString* error);
};

// The program-wide data module (null until created).
extern TMainData* MainData;
