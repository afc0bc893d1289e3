#pragma once
// The help menu's commands: the help page, the two ways to reach the author, the about box.
class QString;
class QWidget;

namespace help {
// Opens QSHELP.html of programDir, or says why it cannot.
void N41Click(QWidget* parent, const QString& programDir);
void N43Click(QWidget* parent);
void N44Click(QWidget* parent);
void N46Click(QWidget* parent);
}  // namespace help
