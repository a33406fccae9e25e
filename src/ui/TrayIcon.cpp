#include "TrayIcon.h"

#include "Forms.h"

namespace ui {

namespace {
NotifyIconHandler& Notifier() {
    static NotifyIconHandler handler;
    return handler;
}
}  // namespace

void TCTrayIcon::SetNotifyIconHandler(NotifyIconHandler handler) { Notifier() = std::move(handler); }

TCTrayIcon::TCTrayIcon(TComponent* owner)
    : TComponent(owner), taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")) {
    // A top-level (hidden) window: the shell's broadcast reaches only those.
    window_ = std::make_unique<UtilWindow>(
        [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return HandleMessage(msg, wParam, lParam, result);
        },
        false);
    if (Application) {
        previousOnMinimize_ = Application->OnMinimize;
        Application->OnMinimize = [this](TObject* sender) {
            if (previousOnMinimize_) previousOnMinimize_(sender);
            ApplicationMinimized();
        };
    }
}

TCTrayIcon::~TCTrayIcon() {
    if (added_) Shell(NIM_DELETE);
    if (Application) Application->OnMinimize = previousOnMinimize_;
}

void TCTrayIcon::SetVisible(bool value) {
    visible_ = value;
    UpdateIcon();
}

void TCTrayIcon::SetHint(const std::wstring& hint) {
    hint_ = hint;
    if (added_) Shell(NIM_MODIFY);
}

void TCTrayIcon::SetIcons(TImageList* icons) {
    icons_ = icons;
    UpdateIcon();
}

void TCTrayIcon::SetIconIndex(int index) {
    iconIndex_ = index;
    UpdateIcon();
}

bool TCTrayIcon::ShouldShow() const { return visible_ || minimized_; }

void TCTrayIcon::UpdateIcon() {
    icon_ = icons_ ? icons_->GetIcon(iconIndex_) : win::Icon();
    if (ShouldShow()) Shell(added_ ? NIM_MODIFY : NIM_ADD);
    else if (added_) Shell(NIM_DELETE);
}

void TCTrayIcon::Shell(DWORD message) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window_->Handle();
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = CallbackMessage();
    data.hIcon = icon_ ? icon_.get() : (Application ? Application->Icon().SmallHandle() : nullptr);
    lstrcpynW(data.szTip, hint_.c_str(), static_cast<int>(sizeof(data.szTip) / sizeof(data.szTip[0])));
    BOOL ok = Notifier() ? Notifier()(message, data) : ::Shell_NotifyIconW(message, &data);
    if (message == NIM_DELETE) added_ = false;
    else if (message == NIM_ADD) added_ = ok != FALSE;
}

void TCTrayIcon::ApplicationMinimized() {
    minimized_ = true;
    if (hide_ && Application && Application->MainForm())
        ::ShowWindow(Application->MainForm()->Handle(), SW_HIDE);
    UpdateIcon();
    if (OnMinimize) OnMinimize(this);
}

void TCTrayIcon::Minimize() {
    if (Application) Application->Minimize();
    else ApplicationMinimized();
}

void TCTrayIcon::Restore() {
    minimized_ = false;
    if (Application) Application->Restore();
    UpdateIcon();
    if (OnRestore) OnRestore(this);
}

void TCTrayIcon::MouseAction(TTrayMouseEvent action) {
    if (restoreOn_ == action) Restore();
    if (popupMenuOn_ == action && popupMenu_) {
        POINT pt;
        ::GetCursorPos(&pt);
        popupMenu_->Popup(pt.x, pt.y);
    }
}

bool TCTrayIcon::HandleMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg == CallbackMessage()) {
        switch (LOWORD(lParam)) {
        case WM_LBUTTONUP: MouseAction(imClick); break;
        case WM_LBUTTONDBLCLK: MouseAction(imDoubleClick); break;
        case WM_RBUTTONUP: MouseAction(imRightClickUp); break;
        default: break;
        }
        result = 0;
        return true;
    }
    if (msg == taskbarCreated_) {
        // The shell started again with an empty tray.
        added_ = false;
        UpdateIcon();
        result = 0;
        return true;
    }
    return false;
}

}  // namespace ui
