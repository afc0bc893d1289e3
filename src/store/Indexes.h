#pragma once
// The indexes that keep listings, counts and searches quick on large material databases. They are part
// of the installation's schema; a database made before them gets them the first time a run opens it.
// Indexes change no stored value.
#include <QString>
#include <QStringList>

#include <functional>

namespace sqlite {
class Connection;
}

namespace storeindexes {

// One "create index if not exists" statement per index, tables first textfile, then exefile.
QStringList createStatements();

// Names of those indexes.
QStringList names();

// Adds the indexes that the database open on connection lacks. Best effort: a database that cannot be read
// or written (read-only, damaged, locked) is left exactly as it is. beforeWrite runs once, right before the
// first index would be created; when it returns false nothing is written. Returns how many were created.
int addMissing(sqlite::Connection& connection, const QString& databasePath, const std::function<bool()>& beforeWrite);

}  // namespace storeindexes
