// Tray icon, floating drop window, help and about, as seen from the main window.
#include "app/TMainForm.h"

void TMainForm::SetupTray() {}

void TMainForm::OnAppMin() {}

void TMainForm::TrayControl(int reason) { (void)reason; }

void TMainForm::N121Click() {}

void TMainForm::N341Click() {}

void TMainForm::N41Click() {}

void TMainForm::N43Click() {}

void TMainForm::N44Click() {}

void TMainForm::N46Click() {}

bool TMainForm::OnTrayForm(int command) { (void)command; return false; }

void TMainForm::showDragFormWindow() {}

void TMainForm::destroyDragForm() {}

void TMainForm::removeTrayIcon() {}
