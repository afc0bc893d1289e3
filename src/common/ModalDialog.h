#pragma once
// Shows a dialog modally and frees it, also when its owner goes away while it runs.
#include <QDialog>
#include <QPointer>

inline void runModal(QDialog* dialog)
{
    QPointer<QDialog> guard(dialog);
    dialog->exec();
    delete guard.data();
}
