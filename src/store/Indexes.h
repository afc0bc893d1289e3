#pragma once
// The indexes that keep listings, counts and searches quick on large material databases. They are
// part of the installation's schema; a database made before them gets them the first time a run
// opens it. Indexes change no stored value.
#include <QString>
#include <QStringList>
#include <functional>

class QSqlDatabase;

namespace storeindexes {

// One "create index if not exists" statement per index, tables first textfile, then exefile.
QStringList createStatements();

// Names of those indexes.
QStringList names();

// Adds the indexes that the database open on db lacks, at most once per connection name (once per
// data module). Best effort: a database that cannot be read or written (read-only, damaged, locked)
// is left exactly as it is and the caller's own statement runs as usual. beforeWrite runs once, right
// before the first index would be created; when it returns false nothing is written. Returns how many
// indexes were created.
int addMissingOnce(const QSqlDatabase& db, const QString& databasePath, const std::function<bool()>& beforeWrite);

}  // namespace storeindexes
