#pragma once
// Rotating safety copies of the material database: before the first change of a run, Data.QSD is copied
// to Data.QSD.bak1; the copy that was .bak1 becomes .bak2, and so on. The copy holds the database as it was
// before the run's first change and is checked before it takes its place, so a damaged file never pushes
// good copies out. Copies are plain (rollback journal) databases any SQLite reads.
//
// Disk: up to three copies are kept, newest first, but never more than twice the database's size together,
// and none is written when it would leave less than 1 GB free. A copy is built in Data.QSD.bak-new, which
// never outlives its run (a killed run's leftover goes at the next start); older copies give way only to a
// new copy that was made and checked.
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

struct sqlite3;

namespace sqlite {
class Connection;
}

namespace safetycopies {

constexpr int kKept = 3;
// Free space a copy must leave on the disk.
constexpr qint64 kMinFreeBytes = qint64(1) << 30;
// How long a copy waits, in all, for another process to let go of the file before it gives up.
constexpr int kBusyBoundMs = 1000;

// databasePath + ".bak" + n.
QString copyPath(const QString& databasePath, int n);
// The file a copy is built in before it takes its place; never a safety copy itself.
QString pendingPath(const QString& databasePath);

enum class Outcome {
    Made,  // a new .bak1, older copies moved up
    NoDatabase,  // the database file does not exist: nothing to copy
    Unsound,  // not a database, damaged, or without the material tables: no copy, copies untouched
    Failed,  // the copy could not be written or put in place
    Busy,  // another process held the file locked for longer than we wait: try again later
    NoRoom,  // the disk would keep less than kMinFreeBytes
};

// Which older copies (their sizes, .bak1 first; -1 for none) stay beside a new copy of newSize bytes: the
// newest first, as long as all copies together stay within twice newSize. The result holds their numbers.
QList<int> keptBeside(const QList<qint64>& olderSizes, qint64 newSize);
// Removes the older copies that will not stay beside a new copy of newSize bytes (install() does it once
// the new copy was made and checked, so a failed copy never costs a good one).
void makeRoom(const QString& databasePath, qint64 newSize);
// Checks the disk has room for a copy of newSize bytes; false with a reason when it has not.
bool enoughRoom(const QString& databasePath, qint64 newSize, QString* reason);

// Builds the copy in pendingPath() from source, a connection of the database (within its open read
// transaction when it has one, so the copy holds that snapshot), and checks it. Cancel stops it early.
// Made when the database on db reads whole (SQLite's quick check), else Unsound with the reason in error.
Outcome check(sqlite3* db, QString* error);
Outcome build(sqlite3* source, const QString& databasePath, QString* error, const std::atomic<bool>* cancel = nullptr);
// Moves the older copies up and puts the built copy in place as .bak1.
Outcome install(const QString& databasePath, QString* error);
// Drops a built copy that will not be used (and the leftover of a killed run).
void discardPending(const QString& databasePath);

// The whole copy at once, on this thread, from a connection of its own: used for a database in rollback
// journal mode, where a reader held through a copy would stop every write.
Outcome copyNow(const QString& databasePath, QString* error);

}  // namespace safetycopies

// The copy of one run, made beside the program on a thread of its own from a snapshot taken just before the
// run's first change, so that no write waits for it.
class TSafetyCopier final {
public:
    enum class State { Idle, Running, Made, Failed, Unsound };
    // Called on the copy's thread when it has finished (state Made, Failed or Unsound, and why).
    using Finished = std::function<void(State, const QString&)>;

    TSafetyCopier(const QString& databasePath, Finished finished);
    // Gives up a copy still running; its pending file goes.
    ~TSafetyCopier();
    TSafetyCopier(const TSafetyCopier&) = delete;
    TSafetyCopier& operator=(const TSafetyCopier&) = delete;

    // Opens a read transaction on a connection of its own (the snapshot the copy holds) and starts copying
    // on another thread. Call it before the first change of the run is committed. False with a reason when
    // the copy cannot be started (the copy is then not made this run).
    bool start(QString* why);
    State state() const { return m_state.load(); }
    // Why the copy was not made; read it once state() is no longer Running.
    QString reason() const;
    // Waits up to ms for the copy; true when it has finished.
    bool waitFinished(int ms);

private:
    struct Worker;
    QString m_databasePath;
    Finished m_finished;
    std::atomic<State> m_state {State::Idle};
    std::unique_ptr<Worker> m_worker;
    QString m_reason;  // written by the copy's thread before it sets the final state
};
