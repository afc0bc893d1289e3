#include "store/Escaping.h"
#include "store/TFile.h"

#include "store/Sqlite.h"

QString TFileExe::aboutText() const { return about.text(u"\r\n"); }

bool TFileExe::InsertNew()
{
    return runRecordStatement(sql::insertExe(title, classname, bigclassname, writer, createtime, aboutText(), fpath),
        QStringLiteral("添加成功！你可以继续操作！"));
}

bool TFileExe::UpdateById(qint64 id)
{
    return runRecordStatement(
        sql::updateExe(title, classname, bigclassname, writer, createtime, aboutText(), fpath, id),
        QStringLiteral("操作成功！"));
}

bool TFileExe::LoadById(qint64 id)
{
    ResultMessage.clear();
    about = BodyLines();
    // Fields are assigned as they are read, so a failure leaves the earlier ones loaded.
    return loadRecordRow(
        sql::selectMaterialById(QStringLiteral("exefile"), id), id, [this, id](sqlite::Statement& row) {
            title = UnescapeTitleText(columnText(row, 1, id));
            writer = columnText(row, 4, id);
            bigclassname = columnText(row, 3, id);
            classname = columnText(row, 2, id);
            about = columnLines(row, 6, id);
            fpath = columnText(row, 7, id);
            createtime = columnText(row, 5, id);
        });
}
