// Window messages, tray icon and menus (the tray icon's picture, the plug-in
// menu and the registered messages are still to come).
#include "panel/AudioMainForm.h"

void TAudioMainForm::LoadTrayIcon() {}

int TAudioMainForm::ShowPluginMenu() { return 0; }

void TAudioMainForm::CloseMenuClick(ui::TObject*) { Close(); }

void TAudioMainForm::FormMouseDown(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) {}

void TAudioMainForm::CTrayIconRestore(ui::TObject*) {}
