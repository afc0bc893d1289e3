// Back, forward and up through the navigation history.
#include "app/TMainForm.h"

bool TMainForm::GoToLocation(const LocationKey& key) { (void)key; return false; }

void TMainForm::BackTBtnClick() {}

void TMainForm::PreTBtnClick() {}

void TMainForm::UpTBtnClick() {}

void TMainForm::BackMenuPopup() {}

void TMainForm::PreMenuPopup() {}

void TMainForm::BackMenuItemClick(int index) { (void)index; }

void TMainForm::PreMenuItemClick(int index) { (void)index; }
