// Material commands: add, delete, edit and move materials.
#include "app/TMainForm.h"

void TMainForm::AddFileToItem() {}

void TMainForm::N14Click() {}

void TMainForm::DelFile() {}

void TMainForm::ReFile() {}

void TMainForm::TurnFilePopMenu() {}

void TMainForm::TurnFile(QAction* target) { (void)target; }

void TMainForm::N31Click() {}
