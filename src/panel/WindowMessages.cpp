// Window messages, tray icon and menus (the tray icon's picture and the
// plug-in menu are still to come).
#include "panel/AudioMainForm.h"

void TAudioMainForm::RegisteredMessage(const ui::TMessage& msg) {
    if (m_uMsgAppExit && msg.Msg == m_uMsgAppExit) {
        // The installer or the uninstaller needs the program file: close as
        // the user would, so the shut-down saves the last profile and sets
        // the device back to neutral.
        ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
    }
}

void TAudioMainForm::LoadTrayIcon() {}

int TAudioMainForm::ShowPluginMenu() { return 0; }

void TAudioMainForm::CloseMenuClick(ui::TObject*) { Close(); }

void TAudioMainForm::FormMouseDown(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) {}

void TAudioMainForm::CTrayIconRestore(ui::TObject*) {}
