#pragma once
// Runs the add and edit dialogs modally for the material commands.
#include <QStringList>

class QWidget;
class TFile;

namespace editdialogs {
// The add dialog of the kind ("文字资料" or "实例资料") for the placement list.
void runAdd(QWidget* owner, const QString& kind, const QStringList& placement);
// The edit dialog of a loaded text (text true) or example material.
void runEdit(QWidget* owner, const TFile& record, bool text, const QStringList& placement);
}  // namespace editdialogs
