// Opening the search dialog.
#include "app/TMainForm.h"
#include "search/TSerchForm.h"

void TMainForm::SerchFormPop()
{
    // A fresh dialog each time, so every opening starts from the initial state.
    auto* dialog = new TSerchForm(this);
    dialog->exec();
    delete dialog;
}
