#pragma once
// How the program's dialogs are framed and shown: a dialog frame with a close button only, modal to
// the window that opened it alone, so that the floating window keeps taking drops and its menu.
#include <QDialog>
#include <QPointer>

// A dialog frame: title and close button, no minimise, maximise or help button.
inline void setDialogFrame(QWidget* dialog)
{
    Qt::WindowFlags flags = dialog->windowFlags();
    flags &= ~(Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint);
    dialog->setWindowFlags(
        flags | Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

// Runs dialog modal to its parent's window (to no window when it has none).
inline int execWindowModal(QDialog& dialog)
{
    setDialogFrame(&dialog);
    dialog.setWindowModality(dialog.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    return dialog.exec();
}

// Shows a dialog as execWindowModal does and frees it, also when its owner goes away while it runs.
inline void runModal(QDialog* dialog)
{
    QPointer<QDialog> guard(dialog);
    execWindowModal(*dialog);
    delete guard.data();
}
