#pragma once
// Every SQL statement of the program, in one place. Statements keep the shape of the original
// program's texts, but every value (names, titles, bodies, paths, keywords, ids) is a bound
// parameter: no user text is ever pasted into SQL.
#include <QString>
#include <QVariantList>
#include <optional>

struct Statement {
    QString sql;  // SQL text with ? placeholders
    QVariantList values;  // bound in order
};

// "textfile" for the kind text "文字资料", "exefile" for any other kind text.
QString tableForKind(const QString& kindText);

namespace sql {
// Listing of one place (order 0 none, 1 by title, 2 by creation time).
Statement listMaterials(const QString& table, const QString& category, const QString& subcategory, int order);
// Counts for the details pane.
Statement countAll(const QString& table);
Statement countCategory(const QString& table, const QString& category);
Statement countSubcategory(const QString& table, const QString& subcategory, const QString& category);
// One row holding the number of rows that select returns.
Statement countRows(const Statement& select);
// Material commands.
Statement deleteMaterial(const QString& table, qint64 id);
Statement moveMaterial(const QString& table, const QString& category, const QString& subcategory, qint64 id);
// Category cascades; subcategory given (even empty) selects the subcategory form.
Statement renameClassRows(
    const QString& table, const QString& category, const std::optional<QString>& subcategory, const QString& newName);
Statement deleteClassRows(const QString& table, const QString& category, const std::optional<QString>& subcategory);
// Material records: the whole row of one material ("select *": values are read by column position).
Statement selectMaterialById(const QString& table, qint64 id);
Statement insertText(const QString& title, const QString& classname, const QString& bigclassname, const QString& writer,
    const QString& createtime, const QString& mainText);
Statement updateText(const QString& title, const QString& classname, const QString& bigclassname, const QString& writer,
    const QString& createtime, const QString& mainText, qint64 id);
Statement insertExe(const QString& title, const QString& classname, const QString& bigclassname, const QString& writer,
    const QString& createtime, const QString& aboutText, const QString& fpath);
Statement updateExe(const QString& title, const QString& classname, const QString& bigclassname, const QString& writer,
    const QString& createtime, const QString& aboutText, const QString& fpath, qint64 id);
}  // namespace sql
