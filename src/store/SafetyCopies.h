#pragma once
// Rotating safety copies of the material database. Before the first write of a run the data module
// copies Data.QSD to Data.QSD.bak1 with SQLite's online backup (a consistent copy even while another
// connection uses the file); the copy that was .bak1 becomes .bak2, .bak2 becomes .bak3, and the
// oldest .bak3 is dropped. The copy is built on another thread from the run's first read on, so the
// first write seldom waits for it; a run that writes nothing keeps no copy. A file that is not a sound material
// database gets no copy, so a damaged file never pushes good copies out.
#include <QString>

#include <atomic>

namespace safetycopies {

// How many copies are kept (.bak1 newest to .bak3 oldest).
constexpr int kKept = 3;

// databasePath + ".bak" + n.
QString copyPath(const QString& databasePath, int n);
// The file a copy is built in before it takes its place; never a safety copy itself.
QString pendingPath(const QString& databasePath);

enum class Outcome {
    Made,  // a new .bak1, older copies moved up
    NoDatabase,  // the database file does not exist: nothing to copy
    Unsound,  // not a database, damaged, or without the material tables: no copy, copies untouched
    Failed,  // the copy could not be written or put in place: copies untouched
    Busy,  // another process held the file locked for longer than we wait: try again later
};

// How long a copy waits, in all, for another process to let go of the file before it gives up.
constexpr int kBusyBoundMs = 1000;

// First half of rotate(): builds the new copy in pendingPath() and checks it, reading the database
// only. Safe to run on another thread while the program reads the database; cancel (when given)
// stops it early with Failed and no pending file left.
Outcome prepare(const QString& databasePath, QString* error, const std::atomic<bool>* cancel = nullptr);
// Second half: moves the older copies up and puts the prepared copy in place as .bak1.
Outcome install(const QString& databasePath, QString* error);
// Drops a prepared copy that will not be used.
void discardPrepared(const QString& databasePath);

// Makes a new copy of the database at databasePath and rotates the older ones. Reads the database
// only (a crashed writer's journal is rolled back first, as any connection does). On any outcome but
// Made, error says why and the existing copies are as they were.
Outcome rotate(const QString& databasePath, QString* error);

}  // namespace safetycopies
