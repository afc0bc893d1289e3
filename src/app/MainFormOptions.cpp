// Opening the options dialog.
#include "app/TMainForm.h"
#include "app/TOptionForm.h"

void TMainForm::OpenOption()
{
    auto* dialog = new TOptionForm(this);
    dialog->exec();
    delete dialog;
}
