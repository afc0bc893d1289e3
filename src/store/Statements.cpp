#include "store/Statements.h"

namespace {
const QString kTextTable = QStringLiteral("textfile");
const QString kExeTable = QStringLiteral("exefile");

// Table names are the only words spliced into statements; only the two material tables pass.
QString table(const QString& name) { return name == kTextTable ? kTextTable : kExeTable; }

Statement make(const QString& sql, QVariantList values = {}) { return Statement {sql, std::move(values)}; }
}  // namespace

QString tableForKind(const QString& kindText)
{
    return kindText == QStringLiteral("文字资料") ? kTextTable : kExeTable;
}

namespace sql {
Statement listMaterials(const QString& tableName, const QString& category, const QString& subcategory, int order)
{
    QString text = QStringLiteral("select id,title from %1 where bigclassname=? and classname=?").arg(table(tableName));
    if (order == 1)
        text += QStringLiteral(" order by title");
    else if (order == 2)
        text += QStringLiteral(" order by createtime");
    return make(text, {category, subcategory});
}

Statement countAll(const QString& tableName) { return make(QStringLiteral("select id from %1").arg(table(tableName))); }

Statement countCategory(const QString& tableName, const QString& category)
{
    return make(QStringLiteral("select id from %1 where bigclassname=?").arg(table(tableName)), {category});
}

Statement countSubcategory(const QString& tableName, const QString& subcategory, const QString& category)
{
    return make(QStringLiteral("select id from %1 where classname=? and bigclassname=?").arg(table(tableName)),
        {subcategory, category});
}

Statement countRows(const Statement& select)
{
    // The line break keeps a trailing comment in the select from swallowing the parenthesis.
    return make(QStringLiteral("select count(*) from (") + select.sql + QStringLiteral("\n)"), select.values);
}

Statement deleteMaterial(const QString& tableName, qint64 id)
{
    return make(QStringLiteral("delete from %1 where id=?").arg(table(tableName)), {id});
}

Statement moveMaterial(const QString& tableName, const QString& category, const QString& subcategory, qint64 id)
{
    return make(QStringLiteral("update %1 set bigclassname=?,classname=? where id=?").arg(table(tableName)),
        {category, subcategory, id});
}

Statement renameClassRows(const QString& tableName, const QString& category, const std::optional<QString>& subcategory,
    const QString& newName)
{
    if (!subcategory)
        return make(QStringLiteral("update %1 set bigclassname=? where bigclassname=?").arg(table(tableName)),
            {newName, category});
    return make(QStringLiteral("update %1 set classname=? where bigclassname=? and classname=?").arg(table(tableName)),
        {newName, category, *subcategory});
}

Statement deleteClassRows(const QString& tableName, const QString& category, const std::optional<QString>& subcategory)
{
    if (!subcategory)
        return make(QStringLiteral("delete from %1 where bigclassname=?").arg(table(tableName)), {category});
    return make(QStringLiteral("delete from %1 where bigclassname=? and classname=?").arg(table(tableName)),
        {category, *subcategory});
}

Statement selectMaterialById(const QString& tableName, qint64 id)
{
    return make(QStringLiteral("select * from %1 where id=?").arg(table(tableName)), {id});
}

Statement insertText(const QString& title, const QString& classname, const QString& bigclassname, const QString& writer,
    const QString& createtime, const QString& mainText)
{
    return make(QStringLiteral("insert into textfile(title,classname,bigclassname,writer,createtime,main) "
                               "values(?,?,?,?,?,?)"),
        {title, classname, bigclassname, writer, createtime, mainText});
}

Statement updateText(const QString& title, const QString& classname, const QString& bigclassname, const QString& writer,
    const QString& createtime, const QString& mainText, qint64 id)
{
    return make(QStringLiteral("update textfile set title=?,classname=?,bigclassname=?,writer=?,createtime=?,main=? "
                               "where id=?"),
        {title, classname, bigclassname, writer, createtime, mainText, id});
}

Statement insertExe(const QString& title, const QString& classname, const QString& bigclassname, const QString& writer,
    const QString& createtime, const QString& aboutText, const QString& fpath)
{
    return make(QStringLiteral("insert into exefile(title,classname,bigclassname,writer,createtime,about,fpath) "
                               "values(?,?,?,?,?,?,?)"),
        {title, classname, bigclassname, writer, createtime, aboutText, fpath});
}

Statement updateExe(const QString& title, const QString& classname, const QString& bigclassname, const QString& writer,
    const QString& createtime, const QString& aboutText, const QString& fpath, qint64 id)
{
    return make(QStringLiteral("update exefile set title=?,classname=?,bigclassname=?,writer=?,createtime=?,about=?,"
                               "fpath=? where id=?"),
        {title, classname, bigclassname, writer, createtime, aboutText, fpath, id});
}
}  // namespace sql
