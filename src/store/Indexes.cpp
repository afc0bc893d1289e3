#include "store/Indexes.h"

#include "store/Sqlite.h"

#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

namespace storeindexes {

namespace {

struct IndexDef {
    const char* name;
    const char* table;
    const char* columns;
};

// The place index carries title and creation time too: a listing then reads the index alone (already
// in order when ordered by title) instead of one table row per material, scattered over a large file.
// Its leading columns serve the counts, cascades and searches by place. The author search reads id and
// title of one writer's materials: from the writer-and-title index alone, instead of one table row each
// scattered over the file. SQLite counts all rows of a table by walking its smallest index: the count
// index holds nothing but the row ids (its key is the same constant for every row), about 9 bytes a
// material against 14 for the writer index.
const IndexDef kIndexes[] = {
    {"textfile_place", "textfile", "bigclassname, classname, title, createtime"},
    {"textfile_title", "textfile", "title"},
    {"textfile_writer", "textfile", "writer"},
    {"textfile_writer_title", "textfile", "writer, title"},
    {"textfile_count", "textfile", "0"},
    {"exefile_place", "exefile", "bigclassname, classname, title, createtime"},
    {"exefile_title", "exefile", "title"},
    {"exefile_writer", "exefile", "writer"},
    {"exefile_writer_title", "exefile", "writer, title"},
    {"exefile_count", "exefile", "0"},
};

QString createStatement(const IndexDef& def)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2(%3)")
        .arg(QLatin1String(def.name), QLatin1String(def.table), QLatin1String(def.columns));
}

}  // namespace

QStringList createStatements()
{
    QStringList out;
    for (const IndexDef& def : kIndexes)
        out << createStatement(def);
    return out;
}

QStringList names()
{
    QStringList out;
    for (const IndexDef& def : kIndexes)
        out << QLatin1String(def.name);
    return out;
}

int addMissing(sqlite::Connection& connection, const QString& databasePath, const std::function<bool()>& beforeWrite)
{
    QSet<QString> tables;
    QSet<QString> indexes;
    {
        sqlite::Statement query(
            connection, QStringLiteral("select type, name from sqlite_master where type in ('table', 'index')"));
        sqlite::Statement::Step step = sqlite::Statement::Step::Failed;
        while (query.isValid() && (step = query.step()) == sqlite::Statement::Step::Row)
            (query.text(0) == QLatin1String("table") ? tables : indexes).insert(query.text(1));
        if (step != sqlite::Statement::Step::Done)
            return 0;  // unreadable or damaged: the caller's statement reports it
    }
    QList<const IndexDef*> missing;
    for (const IndexDef& def : kIndexes) {
        if (tables.contains(QLatin1String(def.table)) && !indexes.contains(QLatin1String(def.name)))
            missing << &def;
    }
    if (missing.isEmpty() || !QFileInfo(databasePath).isWritable())
        return 0;

    if (beforeWrite && !beforeWrite())
        return 0;
    int created = 0;
    for (const IndexDef* def : missing) {
        const sqlite::Error e = connection.exec(createStatement(*def));
        if (e.ok())
            ++created;
        else if (e.code != SQLITE_ERROR)
            break;  // busy, read-only, damaged, full: the next statement would fail the same way
        // SQLITE_ERROR: a statement the schema does not allow (a table without one of the columns)
    }
    return created;
}

}  // namespace storeindexes
