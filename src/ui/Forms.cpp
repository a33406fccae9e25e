#include "Forms.h"

#include <commctrl.h>

#include "Menus.h"
#include "shared/ScopedWin.h"

namespace ui {

TApplication* Application = nullptr;
static TScreen g_screen;
TScreen* Screen = &g_screen;

namespace {
UINT ReleaseMessage() {
    static const UINT id = ::RegisterWindowMessageW(L"ui.TForm.Release");
    return id;
}
}  // namespace

void HandleCurrentException() noexcept {
    try {
        try {
            throw;
        } catch (const Exception& e) {
            if (Application) Application->ShowException(e);
        } catch (const std::exception& e) {
            std::string what = e.what();
            if (Application) Application->ShowException(Exception(std::wstring(what.begin(), what.end())));
        } catch (...) {
            if (Application) Application->ShowException(Exception(L""));
        }
    } catch (...) {
        // Showing the error failed as well; nothing more can be done here.
    }
}

// ---------------------------------------------------------------- TForm

TForm::TForm(TComponent* owner, const wchar_t* windowClass)
    : TCustomControl(owner), windowClass_(windowClass) {
    visible_ = false;
    width_ = 320;
    height_ = 240;
    CreateHandle();
    UpdateBounds();
    ApplyStyle();
    icon_.OnChange = [this] { SetIcon(icon_); };
    if (Application && Application->Icon().Handle()) SetIcon(Application->Icon());
}

TForm::~TForm() = default;

void TForm::AfterConstruction() {
    if (OnCreate) OnCreate(this);
}

void TForm::BeforeDestruction() {
    // Runs inside a destructor's path: an error is shown, never passed on.
    if (!OnDestroy) return;
    try {
        OnDestroy(this);
    } catch (...) {
        HandleCurrentException();
    }
}

bool TForm::RunOnClose(TCloseAction& action) {
    if (!OnClose) return true;
    try {
        OnClose(this, action);
        return true;
    } catch (...) {
        HandleCurrentException();
        return false;
    }
}

void TForm::CreateParams(TCreateParams& params) {
    params.className = windowClass_;
    params.ownClass = true;
    params.style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.exStyle = WS_EX_CONTROLPARENT;
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main != this) params.owner = main->Handle();
    else params.exStyle |= WS_EX_APPWINDOW;
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    ApplyStyle();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    borderIcons_ = icons;
    ApplyStyle();
}

void TForm::ApplyStyle() {
    constexpr DWORD kFrame = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                             WS_MAXIMIZEBOX | WS_DLGFRAME | WS_BORDER;
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)) & ~kFrame;
    DWORD ex = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)) & ~WS_EX_DLGMODALFRAME;
    TBorderIcons icons = borderIcons_;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone: icons &= biMinimize | biSystemMenu; break;
    case TFormBorderStyle::bsSingle: style |= WS_CAPTION; break;
    case TFormBorderStyle::bsDialog:
        style |= WS_CAPTION;
        ex |= WS_EX_DLGMODALFRAME;
        icons &= biSystemMenu;
        break;
    case TFormBorderStyle::bsSizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
    }
    if (icons & biSystemMenu) {
        style |= WS_SYSMENU;
        if (icons & biMinimize) style |= WS_MINIMIZEBOX;
        if (icons & biMaximize) style |= WS_MAXIMIZEBOX;
    }
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm::UpdateBounds() {
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

void TForm::SetClientSize(int width, int height) {
    RECT r = {0, 0, width, height};
    ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetBounds(left_, top_, r.right - r.left, r.bottom - r.top);
}

void TForm::ColorChanged() {
    TCustomControl::ColorChanged();
    if (transparentColor_) ApplyLayered();
}

void TForm::SetIcon(const TIcon& icon) {
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.Handle()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.SmallHandle()));
}

void TForm::SetTransparentColor(bool value) {
    transparentColor_ = value;
    ApplyLayered();
}

void TForm::SetTransparentColorValue(TColor color) {
    transparentColorValue_ = color;
    ApplyLayered();
}

void TForm::ApplyLayered() {
    LONG_PTR ex = ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    if (!transparentColor_) {
        if (ex & WS_EX_LAYERED) ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
        return;
    }
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hwnd_, ColorToRGB(transparentColorValue_), 255, LWA_COLORKEY);
    Invalidate();
}

void TForm::SetWindowRegion(HRGN region) {
    if (!::SetWindowRgn(hwnd_, region, TRUE) && region) ::DeleteObject(region);
}

void TForm::PlaceOnScreen() {
    if (placed_) return;
    placed_ = true;
    RECT area = {0, 0, Screen->Width(), Screen->Height()};
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (position_ == TPosition::poMainFormCenter && main && main != this) {
        ::GetWindowRect(main->Handle(), &area);
    } else if (position_ == TPosition::poDesigned) {
        return;
    }
    int x = area.left + (area.right - area.left - width_) / 2;
    int y = area.top + (area.bottom - area.top - height_) / 2;
    SetBounds(x, y, width_, height_);
}

void TForm::SetVisible(bool visible) {
    if (visible) {
        PlaceOnScreen();
        if (OnShow && !visible_) {
            visible_ = true;
            OnShow(this);
        }
        visible_ = true;
        ::ShowWindow(hwnd_, SW_SHOW);
        ::UpdateWindow(hwnd_);
    } else {
        bool was = visible_;
        visible_ = false;
        ::ShowWindow(hwnd_, SW_HIDE);
        if (was && OnHide) OnHide(this);
    }
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    TCloseAction action = TCloseAction::caHide;
    // A handler that fails keeps the form as it is.
    if (!RunOnClose(action) || action == TCloseAction::caNone) return;
    if (Application && Application->MainForm() == this) {
        if (action == TCloseAction::caMinimize) Application->Minimize();
        else Application->Terminate();
    } else if (action == TCloseAction::caMinimize) {
        ::ShowWindow(hwnd_, SW_MINIMIZE);
    } else if (action == TCloseAction::caFree) {
        Hide();
        Release();
    } else {
        Hide();
    }
}

void TForm::Release() { ::PostMessageW(hwnd_, ReleaseMessage(), 0, 0); }

namespace {
// The windows a modal form disables; enabled again on every way out.
struct DisabledWindows {
    HWND keep;
    std::vector<HWND> windows;
    ~DisabledWindows() {
        for (HWND h : windows) ::EnableWindow(h, TRUE);
    }
};

BOOL CALLBACK DisableOne(HWND hwnd, LPARAM lParam) {
    auto* state = reinterpret_cast<DisabledWindows*>(lParam);
    if (hwnd != state->keep && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
        ::EnableWindow(hwnd, FALSE);
        state->windows.push_back(hwnd);
    }
    return TRUE;
}
}  // namespace

int TForm::ShowModal() {
    if (modal_ || visible_) throw EInvalidOperation(L"Cannot make a visible window modal");
    HWND previous = ::GetActiveWindow();
    DisabledWindows disabled{hwnd_, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
    modal_ = true;
    modalResult_ = mrNone;
    Show();
    ::SetActiveWindow(hwnd_);
    try {
        for (;;) {
            while (modalResult_ == mrNone && !(Application && Application->Terminated())) {
                if (!Application || !Application->HandleMessage()) ::WaitMessage();
            }
            if (modalResult_ == mrNone) modalResult_ = mrCancel;  // the program ends
            TCloseAction action = TCloseAction::caHide;
            // A handler that fails ends the modal loop with its error shown.
            if (!RunOnClose(action)) break;
            if (action != TCloseAction::caNone || (Application && Application->Terminated())) break;
            modalResult_ = mrNone;
        }
    } catch (...) {
        modal_ = false;
        Hide();
        throw;
    }
    for (HWND h : disabled.windows) ::EnableWindow(h, TRUE);
    disabled.windows.clear();
    Hide();
    modal_ = false;
    if (previous && ::IsWindow(previous)) ::SetActiveWindow(previous);
    return modalResult_;
}

void TForm::BringToFront() {
    ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(hwnd_);
}

HWND TForm::DefaultButton() const {
    std::vector<const TWinControl*> pending = {this};
    while (!pending.empty()) {
        const TWinControl* w = pending.back();
        pending.pop_back();
        for (int i = 0; i < w->ControlCount(); ++i) {
            TControl* c = w->Controls(i);
            if (!c->IsWindowed()) continue;
            auto* wc = static_cast<TWinControl*>(c);
            if (wc->IsDefaultButton() && wc->Visible() && wc->Enabled()) return wc->Handle();
            pending.push_back(wc);
        }
    }
    return nullptr;
}

void TForm::Dispatch(TMessage& msg) {
    switch (msg.Msg) {
    case WM_CLOSE:
        Close();
        msg.Result = 0;
        return;
    case WM_ACTIVATE:
        if (LOWORD(msg.WParam) != WA_INACTIVE && OnActivate) OnActivate(this);
        break;
    case WM_MOVE:
    case WM_SIZE: UpdateBounds(); break;
    case WM_SYSCOMMAND:
        if ((msg.WParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this) {
            Application->Minimize();
            msg.Result = 0;
            return;
        }
        break;
    case DM_GETDEFID:
        if (HWND button = DefaultButton()) {
            msg.Result = MAKELRESULT(::GetDlgCtrlID(button), DC_HASDEFID);
            return;
        }
        break;
    default:
        if (msg.Msg == ReleaseMessage()) {
            Free();
            return;
        }
        break;
    }
    TCustomControl::Dispatch(msg);
}

// ---------------------------------------------------------- TApplication

namespace {
constexpr wchar_t kAppClass[] = L"TApplication";

std::wstring ModuleFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring DefaultTitle() {
    std::wstring name = ModuleFileName();
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}
}  // namespace

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> out;
    const wchar_t* p = commandLine ? commandLine : L"";
    for (;;) {
        while (*p == L' ' || *p == L'\t') ++p;
        if (!*p) break;
        std::wstring arg;
        bool quoted = false;
        for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
            if (*p == L'"') quoted = !quoted;
            else arg += *p;
        }
        out.push_back(arg);
    }
    return out;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    if (!Application) Application = this;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kAppClass;
    ::RegisterClassExW(&wc);  // fails harmlessly when already registered
    hwnd_ = ::CreateWindowExW(0, kAppClass, DefaultTitle().c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              0, 0, 0, 0, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    icon_.OnChange = [this] { ApplyIcon(); };
    params_ = SplitCommandLine(::GetCommandLineW());
}

TApplication::~TApplication() {
    DestroyComponents();
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    if (Application == this) Application = nullptr;
}

LRESULT CALLBACK TApplication::AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TApplication*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        switch (msg) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_RESTORE) {
                self->Restore();
                return 0;
            }
            if ((wParam & 0xFFF0) == SC_MINIMIZE) {
                self->Minimize();
                return 0;
            }
            break;
        case WM_CLOSE:
            if (self->mainForm_) self->mainForm_->Close();
            return 0;
        case WM_COMMAND:
            if (lParam == 0 && HIWORD(wParam) == 0 && DispatchMenuCommand(LOWORD(wParam))) return 0;
            break;
        default: break;
        }
    } catch (...) {
        HandleCurrentException();
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::wstring TApplication::Title() const {
    int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(hwnd_, &text[0], n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

void TApplication::SetTitle(const std::wstring& title) { ::SetWindowTextW(hwnd_, title.c_str()); }

void TApplication::ApplyIcon() {
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Handle()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.SmallHandle()));
}

std::wstring TApplication::ExeName() const { return ModuleFileName(); }

int TApplication::ParamCount() const {
    return params_.empty() ? 0 : static_cast<int>(params_.size()) - 1;
}

std::wstring TApplication::ParamStr(int index) const {
    if (index == 0) return ModuleFileName();
    if (index < 0 || index >= static_cast<int>(params_.size())) return std::wstring();
    return params_[static_cast<size_t>(index)];
}

void TApplication::Dispatch(MSG& msg) {
    bool handled = false;
    if (OnMessage) {
        try {
            OnMessage(msg, handled);
        } catch (...) {
            HandleCurrentException();
        }
    }
    if (handled) return;
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd) {
        // Tab, arrows and Enter move between and press the controls of a form.
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        if (root && TWinControl::FromHandle(root) && ::IsDialogMessageW(root, &msg)) return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool TApplication::HandleMessage() {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    Dispatch(msg);
    return true;
}

void TApplication::ProcessMessages() {
    while (HandleMessage()) {
    }
}

void TApplication::Run() {
    if (terminated_) return;
    if (showMainForm_ && mainForm_) mainForm_->Show();
    while (!terminated_) {
        MSG msg;
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            break;
        }
        Dispatch(msg);
    }
}

void TApplication::Terminate() {
    if (!terminated_) ::PostQuitMessage(0);
    terminated_ = true;
}

void TApplication::Minimize() {
    if (mainForm_) ::ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    if (!mainForm_) return;
    HWND main = mainForm_->Handle();
    if (!::IsWindowVisible(main)) mainForm_->Show();
    if (::IsIconic(main)) ::ShowWindow(main, SW_RESTORE);
    mainForm_->BringToFront();
    if (OnRestore) OnRestore(this);
}

int TApplication::MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
    HWND owner = mainForm_ && ::IsWindowVisible(mainForm_->Handle()) ? mainForm_->Handle() : hwnd_;
    if (HWND active = ::GetActiveWindow(); active && TWinControl::FromHandle(active)) owner = active;
    if (messageBox_) return messageBox_(owner, text, caption, flags);
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::ShowException(const Exception& e) {
    std::wstring text = e.Message();
    if (!text.empty() && text.back() > L'.') text += L'.';
    MessageBox(text, Title(), MB_OK | MB_ICONSTOP);
}

void EnableCloseCommand(HWND window, bool enabled) {
    if (HMENU menu = ::GetSystemMenu(window, FALSE))
        ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void WaitAnsweringSentMessages(HANDLE thread) {
    HANDLE handles[1] = {thread};
    while (::MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace ui
