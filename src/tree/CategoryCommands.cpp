// Category operations: add, rename and delete categories and subcategories.
#include "app/TMainForm.h"

void TMainForm::AddNewItem() {}

void TMainForm::ReNameItem() {}

void TMainForm::DelChildItem() {}
