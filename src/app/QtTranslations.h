#pragma once
// Qt's own dialogs (font and file choosers, the edit fields' context menus) speak Chinese, as the
// program does, whatever the system's language is.
class QCoreApplication;
class QTranslator;

namespace qttranslations {
// Loads Qt's Chinese translations into app (which owns the translator returned); nullptr when they are
// not installed (Qt's English stays).
QTranslator* install(QCoreApplication& app);
}  // namespace qttranslations
