#pragma once
// The fixed texts of the tree's top nodes and the material table each kind root stands for.
#include <QString>

namespace kinds {
inline QString textRoot() { return QStringLiteral("文字资料"); }
inline QString exampleRoot() { return QStringLiteral("实例资料"); }
inline QString searchNode() { return QStringLiteral("搜索结果"); }
inline QString textTable() { return QStringLiteral("textfile"); }
inline QString exeTable() { return QStringLiteral("exefile"); }
// "textfile" for the kind text "文字资料", "exefile" for any other kind text.
inline QString tableForKind(const QString& kindText) { return kindText == textRoot() ? textTable() : exeTable(); }
}  // namespace kinds
