#include "app/InstallFiles.h"

#include "common/Gbk.h"
#include "store/Indexes.h"
#include "store/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace install {

const char* const kSchema[] = {
    "CREATE TABLE textfile (id INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL DEFAULT '', "
    "classname TEXT NOT NULL DEFAULT '', bigclassname TEXT NOT NULL DEFAULT '', writer TEXT NOT NULL DEFAULT '', "
    "createtime TEXT NOT NULL DEFAULT '', main TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE exefile (id INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL DEFAULT '', "
    "classname TEXT NOT NULL DEFAULT '', bigclassname TEXT NOT NULL DEFAULT '', writer TEXT NOT NULL DEFAULT '', "
    "createtime TEXT NOT NULL DEFAULT '', about TEXT NOT NULL DEFAULT '', fpath TEXT NOT NULL DEFAULT '')",
    nullptr,
};

QByteArray defaultTreeFile() { return gbk::encode(QStringLiteral("文字资料0\r\n实例资料0\r\n搜索结果0\r\n")); }

QByteArray defaultSettingsFile()
{
    const QString text = QStringLiteral("[Quillstash ini file]\r\n"
                                        "ICON=0\r\n"
                                        "ORDER=0\r\n"
                                        "VIEWSTYLE=0\r\n"
                                        "VIEWSTYLEDE=0\r\n"
                                        "VFRMBC=16777215\r\n"
                                        "Font=\r\n"
                                        "     134\r\n"
                                        "     0\r\n"
                                        "     -13\r\n"
                                        "     Noto Sans CJK SC\r\n"
                                        "     10\r\n"
                                        "     \r\n"
                                        "TrayWay=1\r\n");
    return gbk::encode(text);
}

bool createDatabase(const QString& path, QString* error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 already exists").arg(path);
        return false;
    }
    sqlite::Connection db;
    sqlite::Error e = db.openOrCreate(path);
    QStringList statements;
    for (int i = 0; kSchema[i]; ++i)
        statements << QString::fromUtf8(kSchema[i]);
    statements << storeindexes::createStatements();
    // WAL from the start: a safety copy then reads beside the writes of a run instead of holding them up.
    statements << QStringLiteral("PRAGMA journal_mode=WAL");
    for (const QString& statement : statements) {
        if (e.ok())
            e = db.exec(statement);
    }
    db.close();
    if (!e.ok()) {
        if (error)
            *error = e.message;
        QFile::remove(path);
        return false;
    }
    return true;
}

namespace {
bool writeIfAbsent(const QString& path, const QByteArray& bytes, QString* error)
{
    if (QFileInfo::exists(path))
        return true;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot create file \"%1\". %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

QByteArray helpPage()
{
    QFile source(QStringLiteral(QS_HELP_SOURCE));
    if (source.open(QIODevice::ReadOnly))
        return source.readAll();
    return QByteArrayLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Quillstash</title></head>"
                             "<body><h1>Quillstash</h1></body></html>\n");
}
}  // namespace

bool layInstallationFiles(const QString& dir, QString* error)
{
    QDir d(dir);
    if (!d.exists() && !d.mkpath(QStringLiteral("."))) {
        if (error)
            *error = QStringLiteral("Cannot create directory \"%1\"").arg(dir);
        return false;
    }
    const QString db = d.filePath(QStringLiteral("Data.QSD"));
    if (!QFileInfo::exists(db) && !createDatabase(db, error))
        return false;
    return writeIfAbsent(d.filePath(QStringLiteral("MTS.qs")), defaultTreeFile(), error)
        && writeIfAbsent(d.filePath(QStringLiteral("QS.ini")), defaultSettingsFile(), error)
        && writeIfAbsent(d.filePath(QStringLiteral("QSHELP.html")), helpPage(), error);
}

}  // namespace install
