// Reading a material in the main window or in viewer windows.
#include "app/TMainForm.h"

void TMainForm::ViewInThisFrm(QLabel* label) { (void)label; }

void TMainForm::ViewInNewFrm(QLabel* label) { (void)label; }

void TMainForm::ThisFrmFontInit() {}

void TMainForm::clearOpenViewerCaption() {}
