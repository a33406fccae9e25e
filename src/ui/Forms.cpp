#include "Forms.h"

#include "shared/ScopedWin.h"

namespace ui {

TApplication* Application = nullptr;
static TScreen g_screen;
TScreen* Screen = &g_screen;

// ---------------------------------------------------------------- TForm

TForm::TForm(TComponent* owner, const wchar_t* windowClass) : TWinControl(owner) {
    visible_ = false;
    RegisterClassOnce(windowClass, CS_DBLCLKS, nullptr);
    HWND ownerWnd = nullptr;
    ::CreateWindowExW(0, windowClass, L"", WS_POPUP | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                      320, 240, ownerWnd, nullptr, ::GetModuleHandleW(nullptr), this);
    if (!hwnd_) throw EOutOfResources(L"Error creating window: " + SysErrorMessage(::GetLastError()));
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    ApplyStyle();
    if (Application && Application->Icon().Handle()) SetIcon(Application->Icon());
}

TForm::~TForm() { DestroyHandle(); }

void TForm::AfterConstruction() {
    if (OnCreate) OnCreate(this);
}

void TForm::BeforeDestruction() {
    if (OnDestroy) OnDestroy(this);
}

std::wstring TForm::Caption() const {
    int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(hwnd_, &text[0], n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

void TForm::SetCaption(const std::wstring& caption) { ::SetWindowTextW(hwnd_, caption.c_str()); }

void TForm::SetBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    ApplyStyle();
}

void TForm::ApplyStyle() {
    LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                    WS_MAXIMIZEBOX | WS_DLGFRAME | WS_BORDER);
    LONG_PTR ex = ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME);
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone: style |= WS_MINIMIZEBOX | WS_SYSMENU; break;
    case TFormBorderStyle::bsSingle: style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; break;
    case TFormBorderStyle::bsDialog:
        style |= WS_CAPTION | WS_SYSMENU;
        ex |= WS_EX_DLGMODALFRAME;
        break;
    case TFormBorderStyle::bsSizeable:
        style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    }
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

int TForm::ClientWidth() const {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    return r.right;
}

int TForm::ClientHeight() const {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    return r.bottom;
}

void TForm::SetClientSize(int width, int height) {
    RECT r = {0, 0, width, height};
    ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetBounds(left_, top_, r.right - r.left, r.bottom - r.top);
}

void TForm::SetColor(COLORREF color) {
    color_ = color;
    Invalidate();
}

void TForm::SetIcon(const TIcon& icon) {
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.Handle()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.SmallHandle()));
}

void TForm::PlaceOnScreen() {
    if (placed_) return;
    placed_ = true;
    RECT area = {0, 0, Screen->Width(), Screen->Height()};
    if (position_ == TPosition::poMainFormCenter && Application && Application->MainForm() &&
        Application->MainForm() != this) {
        ::GetWindowRect(Application->MainForm()->Handle(), &area);
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
        visible_ = true;
        ::ShowWindow(hwnd_, SW_SHOW);
        ::UpdateWindow(hwnd_);
        if (OnShow) OnShow(this);
    } else {
        visible_ = false;
        ::ShowWindow(hwnd_, SW_HIDE);
    }
}

void TForm::Close() {
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
    } else if (action == TCloseAction::caMinimize) {
        ::ShowWindow(hwnd_, SW_MINIMIZE);
    } else {
        Hide();
    }
}

void TForm::BringToFront() {
    ::BringWindowToTop(hwnd_);
    ::SetForegroundWindow(hwnd_);
}

void TForm::PaintWindow(HDC dc) {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    win::GdiObject brush(::CreateSolidBrush(color_));
    ::FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->IsWindowed() && c->Visible()) c->Paint(dc);
    }
}

void TForm::HandlePaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT r;
    ::GetClientRect(hwnd_, &r);
    // Draw into a memory bitmap first, so nothing flickers.
    HDC mem = ::CreateCompatibleDC(dc);
    win::GdiObject bitmap(::CreateCompatibleBitmap(dc, r.right > 0 ? r.right : 1, r.bottom > 0 ? r.bottom : 1));
    HGDIOBJ old = ::SelectObject(mem, bitmap.get());
    PaintWindow(mem);
    ::BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::EndPaint(hwnd_, &ps);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: HandlePaint(); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && OnActivate) OnActivate(this);
        break;
    case WM_CLOSE: Close(); return 0;
    case WM_MOVE:
    case WM_SIZE: {
        RECT r;
        ::GetWindowRect(hwnd_, &r);
        left_ = r.left;
        top_ = r.top;
        width_ = r.right - r.left;
        height_ = r.bottom - r.top;
        break;
    }
    default: break;
    }
    return DefaultHandler(msg, wParam, lParam);
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
    if (self) {
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
        default: break;
        }
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::wstring TApplication::Title() const {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(hwnd_, buffer, 256);
    return buffer;
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
    if (OnMessage) OnMessage(msg, handled);
    if (handled) return;
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
}

void TApplication::Restore() {
    if (!mainForm_) return;
    if (::IsIconic(mainForm_->Handle())) ::ShowWindow(mainForm_->Handle(), SW_RESTORE);
    mainForm_->BringToFront();
}

int TApplication::MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
    HWND owner = mainForm_ && ::IsWindowVisible(mainForm_->Handle()) ? mainForm_->Handle() : hwnd_;
    if (messageBox_) return messageBox_(owner, text, caption, flags);
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::ShowException(const Exception& e) {
    std::wstring text = e.Message();
    if (!text.empty() && text.back() > L'.') text += L'.';
    MessageBox(text, Title(), MB_OK | MB_ICONSTOP);
}

int TScreen::PixelsPerInch() const {
    HDC dc = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return dpi;
}

}  // namespace ui
