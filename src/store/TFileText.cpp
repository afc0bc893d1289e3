#include "store/Escaping.h"
#include "store/TFile.h"

#include "store/Sqlite.h"

QString TFileText::mainText() const { return main.text(u"\r\n"); }

bool TFileText::InsertNew()
{
    return runRecordStatement(sql::insertText(title, classname, bigclassname, writer, createtime, mainText()),
        QStringLiteral("添加成功！你可以继续操作！"));
}

bool TFileText::UpdateById(qint64 id)
{
    return runRecordStatement(sql::updateText(title, classname, bigclassname, writer, createtime, mainText(), id),
        QStringLiteral("操作成功！"));
}

bool TFileText::LoadById(qint64 id)
{
    ResultMessage.clear();
    main = BodyLines();
    // Fields are assigned as they are read, so a failure leaves the earlier ones loaded.
    return loadRecordRow(
        sql::selectMaterialById(QStringLiteral("textfile"), id), id, [this, id](sqlite::Statement& row) {
            title = UnescapeTitleText(columnText(row, 1, id));
            writer = columnText(row, 4, id);
            bigclassname = columnText(row, 3, id);
            classname = columnText(row, 2, id);
            main = columnLines(row, 6, id);
            createtime = columnText(row, 5, id);
        });
}
