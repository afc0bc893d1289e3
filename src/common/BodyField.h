#pragma once
// The body fields of the filing dialogs, where code is typed and pasted: Tab types a tab, Ctrl+Tab and
// Ctrl+Shift+Tab move the focus on and back, and the text is set in a fixed-width font.
class QPlainTextEdit;
class QWidget;

namespace bodyfield {
void setUp(QPlainTextEdit* field);
// The next (or previous) widget Tab would reach from `from` in its window; nullptr for none.
QWidget* neighbour(QWidget* from, bool forward);
}  // namespace bodyfield
