#include "Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <mutex>
#include <set>

#include "Menus.h"
#include "SysUtils.h"

namespace ui {

namespace {
constexpr wchar_t kControlProp[] = L"ui.TWinControl";

bool IsMouseMessage(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && msg != WM_MOUSEWHEEL;
}

struct MouseInfo {
    TMouseButton button;
    enum Kind { Move, Down, Up, Double } kind;
};

MouseInfo ClassifyMouse(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN: return {mbLeft, MouseInfo::Down};
    case WM_RBUTTONDOWN: return {mbRight, MouseInfo::Down};
    case WM_MBUTTONDOWN: return {mbMiddle, MouseInfo::Down};
    case WM_LBUTTONUP: return {mbLeft, MouseInfo::Up};
    case WM_RBUTTONUP: return {mbRight, MouseInfo::Up};
    case WM_MBUTTONUP: return {mbMiddle, MouseInfo::Up};
    case WM_LBUTTONDBLCLK: return {mbLeft, MouseInfo::Double};
    case WM_RBUTTONDBLCLK: return {mbRight, MouseInfo::Double};
    case WM_MBUTTONDBLCLK: return {mbMiddle, MouseInfo::Double};
    default: return {mbLeft, MouseInfo::Move};
    }
}

UINT NextControlId() {
    static UINT next = 1000;
    return next++;
}
}  // namespace

TShiftState ShiftFromMouse(WPARAM wParam) {
    TShiftState s = 0;
    if (wParam & MK_SHIFT) s |= ssShift;
    if (wParam & MK_CONTROL) s |= ssCtrl;
    if (wParam & MK_LBUTTON) s |= ssLeft;
    if (wParam & MK_RBUTTON) s |= ssRight;
    if (wParam & MK_MBUTTON) s |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] {
        if (!assigningFont_) parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    const RECT before = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (visible_) InvalidateMove(before, BoundsRect());
}

void TControl::SetAlign(TAlign align) {
    align_ = align;
    if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    InvalidateArea(BoundsRect());  // what it now shows or uncovers
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Invalidate();
}

void TControl::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    TextChanged();
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
}

void TControl::SetParentColor(bool value) {
    parentColor_ = value;
    ColorChanged();
}

TColor TControl::EffectiveColor() const {
    if (parentColor_ && parent_) return parent_->EffectiveColor();
    return color_;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    parent_ = parent;
    if (!parent_) return;
    if (parentFont_) {
        assigningFont_ = true;
        font_.Assign(parent_->Font());
        assigningFont_ = false;
    }
    parent_->InsertControl(this);
    Invalidate();
    if (align_ != alNone) parent_->Realign();
}

void TControl::BringToFront() {
    if (parent_) parent_->MoveControl(this, true);
}

void TControl::SendToBack() {
    if (parent_) parent_->MoveControl(this, false);
}

void TControl::Invalidate() {
    // A hidden control shows nothing; it is painted whole when it shows.
    if (visible_) InvalidateArea(BoundsRect());
}

void TControl::InvalidateArea(const RECT& area) const {
    // A hidden window is painted whole when it shows.
    if (::IsRectEmpty(&area) || !parent_ || !parent_->HandleAllocated() || !::IsWindowVisible(parent_->Handle()))
        return;
    ::InvalidateRect(parent_->Handle(), &area, FALSE);
}

void TControl::InvalidateMove(const RECT& before, const RECT& after) const {
    // Each call reaches the window manager: the two areas go as one when
    // the rectangle around both is no larger than the two together, as for
    // a slider moved by a few pixels.
    auto area = [](const RECT& r) {
        return ::IsRectEmpty(&r) ? 0LL : static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    };
    RECT both;
    ::UnionRect(&both, &before, &after);
    if (area(both) <= area(before) + area(after)) {
        InvalidateArea(both);
    } else {
        InvalidateArea(before);
        InvalidateArea(after);
    }
}

void TControl::Repaint() {
    Invalidate();
    if (parent_ && parent_->HandleAllocated()) ::UpdateWindow(parent_->Handle());
}


POINT TControl::ClientToScreen(POINT p) const {
    if (!parent_) return p;
    return parent_->ClientToScreen(POINT{p.x + left_, p.y + top_});
}

POINT TControl::ScreenToClient(POINT p) const {
    if (!parent_) return p;
    POINT q = parent_->ScreenToClient(p);
    return POINT{q.x - left_, q.y - top_};
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) { parentColor_ = true; }

// ------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Owned components go first, while this window still exists for them.
    DestroyComponents();
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<TWinControl*>(::GetPropW(hwnd, kControlProp)) : nullptr;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.className = L"TWinControl";
    params.ownClass = true;
    params.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

void TWinControl::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kControlProp, this);
}

void TWinControl::CreateHandle() {
    if (hwnd_) return;
    HWND parentWnd = parent_ ? parent_->Handle() : nullptr;
    if (parent_ && !parentWnd) return;  // made when the parent gets its window
    TCreateParams p;
    CreateParams(p);
    DWORD style = p.style;
    if (parent_) style |= WS_CHILD | (visible_ ? WS_VISIBLE : 0);
    if (!enabled_) style |= WS_DISABLED;
    ownClass_ = p.ownClass;
    if (p.ownClass) RegisterOwnClass(p.className);
    if (parent_ && !id_) id_ = NextControlId();
    HWND h = ::CreateWindowExW(p.exStyle, p.className, caption_.c_str(), style, left_, top_, width_,
                               WindowHeight(), parentWnd ? parentWnd : p.owner,
                               parent_ ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id_)) : nullptr,
                               ::GetModuleHandleW(nullptr), this);
    if (!h) throw EOutOfResources(L"Error creating window: " + SysErrorMessage(::GetLastError()));
    if (!p.ownClass) {
        Attach(h);
        defaultProc_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
    }
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
    HandleCreated();
    CreateChildHandles();
}

void TWinControl::CreateChildHandles() {
    for (TControl* c : controls_) {
        if (c->IsWindowed()) static_cast<TWinControl*>(c)->CreateHandle();
    }
}

void TWinControl::DestroyHandle() {
    if (!hwnd_) return;
    HWND h = hwnd_;
    ::DestroyWindow(h);  // WM_NCDESTROY detaches the object
    hwnd_ = nullptr;
}

void TWinControl::RegisterOwnClass(const wchar_t* className) {
    static std::mutex lock;
    static std::set<std::wstring> registered;
    std::lock_guard<std::mutex> guard(lock);
    if (!registered.insert(className).second) return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc);
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (auto* self = static_cast<TWinControl*>(cs->lpCreateParams)) {
            if (!::GetPropW(hwnd, kControlProp)) self->Attach(hwnd);
        }
    }
    TWinControl* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        self->WndProc(m);
    } catch (...) {
        HandleCurrentException();
    }
    if (msg == WM_NCDESTROY) {
        ::RemovePropW(hwnd, kControlProp);
        if (self->hwnd_ == hwnd) self->hwnd_ = nullptr;
        self->mouseControl_ = nullptr;
    }
    return m.Result;
}

void TWinControl::WndProc(TMessage& msg) {
    if (IsMouseMessage(msg.Msg)) {
        if (!RouteMouse(msg)) OwnMouse(msg);
        return;
    }
    Dispatch(msg);
}

bool TWinControl::RouteMouse(TMessage& msg) {
    POINT pt = {GET_X_LPARAM(msg.LParam), GET_Y_LPARAM(msg.LParam)};
    TControl* target = mouseControl_ ? mouseControl_ : ControlAtPos(pt, false, false, false);
    if (!target || target->IsWindowed()) return false;
    MouseInfo info = ClassifyMouse(msg.Msg);
    TShiftState shift = ShiftFromMouse(msg.WParam);
    int x = pt.x - target->Left(), y = pt.y - target->Top();
    msg.Result = 0;
    switch (info.kind) {
    case MouseInfo::Move: target->MouseMove(shift, x, y); break;
    case MouseInfo::Down:
    case MouseInfo::Double:
        if (!mouseControl_) {
            mouseControl_ = target;
            ::SetCapture(hwnd_);
        }
        if (info.kind == MouseInfo::Down) {
            if (info.button == mbLeft) clicked_ = target;
            target->MouseDown(info.button, shift, x, y);
        } else {
            target->DblClick();
            target->MouseDown(info.button, shift | ssDouble, x, y);
        }
        break;
    case MouseInfo::Up: {
        bool click = info.button == mbLeft && clicked_ == target && x >= 0 && y >= 0 &&
                     x < target->Width() && y < target->Height();
        if (info.button == mbLeft) clicked_ = nullptr;
        if (!(msg.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
            mouseControl_ = nullptr;
            if (::GetCapture() == hwnd_) ::ReleaseCapture();
        }
        if (click) target->Click();
        target->MouseUp(info.button, shift, x, y);
        break;
    }
    }
    return true;
}

void TWinControl::OwnMouse(TMessage& msg) {
    Dispatch(msg);
    MouseInfo info = ClassifyMouse(msg.Msg);
    TShiftState shift = ShiftFromMouse(msg.WParam);
    int x = GET_X_LPARAM(msg.LParam), y = GET_Y_LPARAM(msg.LParam);
    switch (info.kind) {
    case MouseInfo::Move: MouseMove(shift, x, y); break;
    case MouseInfo::Down:
        if (info.button == mbLeft) ownClicked_ = true;
        MouseDown(info.button, shift, x, y);
        break;
    case MouseInfo::Double:
        DblClick();
        MouseDown(info.button, shift | ssDouble, x, y);
        break;
    case MouseInfo::Up: {
        // Windows of this layer's own class click like windowless controls;
        // system controls report their clicks through notifications.
        bool click = ownClass_ && info.button == mbLeft && ownClicked_;
        if (info.button == mbLeft) ownClicked_ = false;
        if (click) Click();
        MouseUp(info.button, shift, x, y);
        break;
    }
    }
}

bool TWinControl::Reflect(TMessage& msg) {
    HWND from = nullptr;
    switch (msg.Msg) {
    case WM_NOTIFY: from = reinterpret_cast<NMHDR*>(msg.LParam)->hwndFrom; break;
    default: from = reinterpret_cast<HWND>(msg.LParam); break;
    }
    TWinControl* child = FromHandle(from);
    return child && child != this && child->Notify(msg);
}

void TWinControl::Dispatch(TMessage& msg) {
    switch (msg.Msg) {
    case WM_COMMAND:
        if (msg.LParam && Reflect(msg)) return;
        if (!msg.LParam && HIWORD(msg.WParam) == 0 && DispatchMenuCommand(LOWORD(msg.WParam))) return;
        break;
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (msg.LParam && Reflect(msg)) return;
        break;
    case WM_SIZE:
        if (ownClass_) {
            RECT r;
            ::GetWindowRect(hwnd_, &r);
            width_ = r.right - r.left;
            height_ = r.bottom - r.top;
        }
        Realign();
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(msg.LParam) != hwnd_) {
            mouseControl_ = nullptr;
            clicked_ = nullptr;
        }
        break;
    case WM_PAINT:
        if (ownClass_) {
            PaintBuffered();
            msg.Result = 0;
            return;
        }
        break;
    case WM_PRINTCLIENT:
        if (ownClass_) {
            PaintWindow(reinterpret_cast<HDC>(msg.WParam));
            msg.Result = 0;
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (ownClass_) {
            msg.Result = 1;
            return;
        }
        break;
    default: break;
    }
    DefaultHandler(msg);
}

void TWinControl::DefaultHandler(TMessage& msg) {
    msg.Result = ::CallWindowProcW(defaultProc_, hwnd_, msg.Msg, msg.WParam, msg.LParam);
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (hwnd_)
        ::SetWindowPos(hwnd_, nullptr, left, top, width, WindowHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
    Realign();
}

void TWinControl::SetVisible(bool visible) {
    visible_ = visible;
    if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (hwnd_) ::EnableWindow(hwnd_, enabled);
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    TControl::SetParent(parent);
    if (!parent_) return;
    if (hwnd_ && parent_->Handle()) {
        ::SetParent(hwnd_, parent_->Handle());
        ::SetWindowPos(hwnd_, HWND_TOP, left_, top_, width_, height_, SWP_NOACTIVATE);
    } else {
        CreateHandle();
    }
}

void TWinControl::Invalidate() {
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

POINT TWinControl::ClientToScreen(POINT p) const {
    if (hwnd_) ::ClientToScreen(hwnd_, &p);
    return p;
}

POINT TWinControl::ScreenToClient(POINT p) const {
    if (hwnd_) ::ScreenToClient(hwnd_, &p);
    return p;
}

void TWinControl::SetFocus() {
    if (hwnd_) ::SetFocus(hwnd_);
}

int TWinControl::ClientWidth() const {
    RECT r = {};
    if (hwnd_) ::GetClientRect(hwnd_, &r);
    return hwnd_ ? r.right : width_;
}

int TWinControl::ClientHeight() const {
    RECT r = {};
    if (hwnd_) ::GetClientRect(hwnd_, &r);
    return hwnd_ ? r.bottom : height_;
}

void TWinControl::TextChanged() {
    if (hwnd_) ::SetWindowTextW(hwnd_, caption_.c_str());
    Invalidate();
}

void TWinControl::FontChanged() {
    if (hwnd_) ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
    Invalidate();
}

void TWinControl::ColorChanged() {
    Invalidate();
    for (TControl* c : controls_) {
        if (c->ParentColor()) c->Invalidate();
    }
}

HBRUSH TWinControl::BackgroundBrush() {
    TColor color = EffectiveColor();
    if (!brush_ || brushColor_ != ColorToRGB(color)) {
        brushColor_ = ColorToRGB(color);
        brush_.reset(::CreateSolidBrush(brushColor_));
    }
    return static_cast<HBRUSH>(brush_.get());
}

void TWinControl::InsertControl(TControl* control) { controls_.push_back(control); }

void TWinControl::RemoveControl(TControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (mouseControl_ == control) {
        mouseControl_ = nullptr;
        if (hwnd_ && ::GetCapture() == hwnd_) ::ReleaseCapture();
    }
    if (clicked_ == control) clicked_ = nullptr;
}

void TWinControl::MoveControl(TControl* control, bool toTop) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end()) return;
    controls_.erase(it);
    if (toTop) controls_.push_back(control);
    else controls_.insert(controls_.begin(), control);
    if (control->IsWindowed()) {
        HWND h = static_cast<TWinControl*>(control)->Handle();
        if (h) ::SetWindowPos(h, toTop ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                              SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    control->Invalidate();
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled, bool allowWinControls,
                                    bool allLevels) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
        RECT r = c->BoundsRect();
        if (!::PtInRect(&r, p)) continue;
        if (c->IsWindowed()) {
            if (allLevels) {
                POINT inner = {p.x - c->Left(), p.y - c->Top()};
                if (TControl* found = static_cast<TWinControl*>(c)->ControlAtPos(
                        inner, allowDisabled, allowWinControls, true))
                    return found;
            }
            if (!allowWinControls) continue;
        }
        return c;
    }
    return nullptr;
}

void TWinControl::Realign() {
    if (controls_.empty()) return;
    RECT area = {0, 0, ClientWidth(), ClientHeight()};
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : controls_) {
            if (c->Align() != pass || !c->Visible()) continue;
            switch (pass) {
            case alTop:
                c->SetBounds(area.left, area.top, area.right - area.left, c->Height());
                area.top += c->Height();
                break;
            case alBottom:
                c->SetBounds(area.left, area.bottom - c->Height(), area.right - area.left, c->Height());
                area.bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(area.left, area.top, c->Width(), area.bottom - area.top);
                area.left += c->Width();
                break;
            case alRight:
                c->SetBounds(area.right - c->Width(), area.top, c->Width(), area.bottom - area.top);
                area.right -= c->Width();
                break;
            default:
                c->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
                break;
            }
        }
    }
}

void TWinControl::PaintBackground(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, BackgroundBrush());
}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* c : controls_) {
        if (c->IsWindowed() || !c->Visible()) continue;
        RECT r = c->BoundsRect();
        if (!::RectVisible(dc, &r)) continue;
        win::SavedDc saved(dc);
        ::IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        c->Paint(dc);
    }
}

void TWinControl::PaintWindow(HDC dc) {
    RECT client = {0, 0, ClientWidth(), ClientHeight()};
    PaintBackground(dc, client);
    PaintControls(dc);
}

void TWinControl::PaintBuffered() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT r;
    ::GetClientRect(hwnd_, &r);
    int w = std::max<LONG>(r.right, 1), h = std::max<LONG>(r.bottom, 1);
    win::Dc mem(::CreateCompatibleDC(dc));
    win::GdiObject bitmap(::CreateCompatibleBitmap(dc, w, h));
    {
        win::Select select(mem.get(), bitmap.get());
        ::IntersectClipRect(mem.get(), ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
        PaintWindow(mem.get());
        ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, mem.get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    ::EndPaint(hwnd_, &ps);
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::CreateParams(TCreateParams& params) {
    params.className = L"TCustomControl";
    params.ownClass = true;
    params.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

}  // namespace ui
