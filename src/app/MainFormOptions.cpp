// Opening the options dialog.
#include "app/TMainForm.h"

void TMainForm::OpenOption() {}
