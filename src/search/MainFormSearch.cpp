// Opening the search dialog.
#include "app/TMainForm.h"

void TMainForm::SerchFormPop() {}
