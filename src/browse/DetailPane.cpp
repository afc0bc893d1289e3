// The details pane: rows for the selected list item and the action labels over them.
#include "app/TMainForm.h"

void TMainForm::MainDetailShow(QListWidgetItem* item, bool selected)
{
    (void)item;
    (void)selected;
}

void TMainForm::RunDetail() {}
