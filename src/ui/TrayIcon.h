// An icon in the notification area that stands for the application.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "Classes.h"
#include "ImgList.h"
#include "Menus.h"
#include "UtilWindow.h"

namespace ui {

enum TTrayMouseEvent { imNone, imClick, imDoubleClick, imRightClickUp };

// Calls the shell's notification-area function; tests replace it.
using NotifyIconHandler = std::function<BOOL(DWORD message, const NOTIFYICONDATAW& data)>;

// The tray icon shows the image IconIndex of Icons (the application's icon
// when there is none) with Hint as its tip. Visible keeps it in the tray all
// the time, otherwise it shows while the application is minimised; Hide
// hides the main window while minimised, so the program lives in the tray.
// RestoreOn and PopupMenuOn name the mouse action that restores the
// application (OnRestore follows) and that opens PopupMenu. When the shell
// restarts (its "TaskbarCreated" message) the icon is added again.
class TCTrayIcon : public TComponent {
public:
    explicit TCTrayIcon(TComponent* owner);
    ~TCTrayIcon() override;
    const wchar_t* ClassName() const override { return L"TCTrayIcon"; }

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Hide() const { return hide_; }
    void SetHide(bool value) { hide_ = value; }
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& hint);
    TImageList* Icons() const { return icons_; }
    void SetIcons(TImageList* icons);
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int index);
    TTrayMouseEvent RestoreOn() const { return restoreOn_; }
    void SetRestoreOn(TTrayMouseEvent value) { restoreOn_ = value; }
    TTrayMouseEvent PopupMenuOn() const { return popupMenuOn_; }
    void SetPopupMenuOn(TTrayMouseEvent value) { popupMenuOn_ = value; }
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

    // Minimises the application to the tray.
    void Minimize();
    // Shows the main window again, then OnRestore.
    void Restore();
    bool InTray() const { return added_; }
    // The window that receives the icon's mouse messages (CallbackMessage).
    HWND Handle() const { return window_->Handle(); }
    static UINT CallbackMessage() { return WM_APP + 0x3A1; }

    TNotifyEvent OnRestore;
    TNotifyEvent OnMinimize;

    static void SetNotifyIconHandler(NotifyIconHandler handler);

private:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void MouseAction(TTrayMouseEvent action);
    void ApplicationMinimized();
    void UpdateIcon();
    void Shell(DWORD message);
    bool ShouldShow() const;

    std::unique_ptr<UtilWindow> window_;
    bool visible_ = false;
    bool hide_ = false;
    bool minimized_ = false;
    bool added_ = false;
    std::wstring hint_;
    TImageList* icons_ = nullptr;
    int iconIndex_ = 0;
    win::Icon icon_;
    TTrayMouseEvent restoreOn_ = imDoubleClick;
    TTrayMouseEvent popupMenuOn_ = imRightClickUp;
    TPopupMenu* popupMenu_ = nullptr;
    TNotifyEvent previousOnMinimize_;
    UINT taskbarCreated_;
};

}  // namespace ui
