#include "store/Indexes.h"

#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace storeindexes {

namespace {

struct IndexDef {
    const char* name;
    const char* table;
    const char* columns;
};

// The place index carries title and creation time too: a listing then reads the index alone (already
// in order when ordered by title) instead of one table row per material, scattered over a large file.
// Its leading columns serve the counts, cascades and searches by place.
const IndexDef kIndexes[] = {
    {"textfile_place", "textfile", "bigclassname, classname, title, createtime"},
    {"textfile_title", "textfile", "title"},
    {"textfile_writer", "textfile", "writer"},
    {"exefile_place", "exefile", "bigclassname, classname, title, createtime"},
    {"exefile_title", "exefile", "title"},
    {"exefile_writer", "exefile", "writer"},
};

QString createStatement(const IndexDef& def)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2(%3)")
        .arg(QLatin1String(def.name), QLatin1String(def.table), QLatin1String(def.columns));
}

// SQLITE_ERROR: a statement the schema does not allow (a table without one of the columns). Any
// other failure (busy, read-only, damaged, full disk) will fail the next statement as well.
bool onlyThisStatementFailed(const QSqlError& error) { return error.nativeErrorCode() == QLatin1String("1"); }

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

int addMissingOnce(const QSqlDatabase& db, const QString& databasePath, const std::function<bool()>& beforeWrite)
{
    {
        static QMutex mutex;
        static QSet<QString> checked;
        const QMutexLocker lock(&mutex);
        if (checked.contains(db.connectionName()))
            return 0;
        checked.insert(db.connectionName());
    }

    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select type, name from sqlite_master where type in ('table', 'index')")))
        return 0;  // unreadable or damaged: the caller's statement reports it
    QSet<QString> tables;
    QSet<QString> indexes;
    while (query.next())
        (query.value(0).toString() == QLatin1String("table") ? tables : indexes).insert(query.value(1).toString());
    if (query.lastError().isValid())
        return 0;
    query.finish();

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
        if (query.exec(createStatement(*def))) {
            ++created;
        } else if (!onlyThisStatementFailed(query.lastError())) {
            break;
        }
        query.finish();
    }
    return created;
}

}  // namespace storeindexes
