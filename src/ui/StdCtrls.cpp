#include "StdCtrls.h"

#include <algorithm>

namespace ui {

// ------------------------------------------------------------------ TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    width_ = 65;
    height_ = 17;
}

UINT TLabel::TextFlags() const {
    UINT flags = DT_EXPANDTABS;
    if (wordWrap_) flags |= DT_WORDBREAK;
    if (alignment_ == taRightJustify) flags |= DT_RIGHT;
    else if (alignment_ == taCenter) flags |= DT_CENTER;
    return flags;
}

void TLabel::AdjustBounds() {
    // A label without text keeps the size it was given until it gets one.
    if (!autoSize_ || caption_.empty()) return;
    HDC measuring = MeasuringDc();
    win::Select font(measuring, font_.Handle());
    RECT r = {0, 0, wordWrap_ ? std::max(width_, 1) : 0, 0};
    ::DrawTextW(measuring, caption_.c_str(), -1, &r, TextFlags() | DT_CALCRECT);
    SetBounds(left_, top_, wordWrap_ ? width_ : r.right, r.bottom);
}

void TLabel::SetAutoSize(bool value) {
    autoSize_ = value;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool value) {
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTransparent(bool value) {
    transparent_ = value;
    Invalidate();
}

void TLabel::SetAlignment(TAlignment value) {
    alignment_ = value;
    Invalidate();
}

void TLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::Paint(HDC dc) {
    RECT r = BoundsRect();
    if (!transparent_) {
        win::GdiObject brush(::CreateSolidBrush(ColorToRGB(EffectiveColor())));
        ::FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    }
    win::Select font(dc, font_.Handle());
    ::SetBkMode(dc, TRANSPARENT);
    if (enabled_) {
        ::SetTextColor(dc, ColorToRGB(font_.Color()));
        ::DrawTextW(dc, caption_.c_str(), -1, &r, TextFlags());
    } else {
        // Disabled text: light copy offset by one pixel under a grey one.
        RECT shadow = {r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(dc, caption_.c_str(), -1, &shadow, TextFlags());
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
        ::DrawTextW(dc, caption_.c_str(), -1, &r, TextFlags());
    }
}

// ---------------------------------------------------------- TButtonControl

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) { parentColor_ = true; }

bool TButtonControl::Notify(TMessage& msg) {
    switch (msg.Msg) {
    case WM_COMMAND:
        if (HIWORD(msg.WParam) == BN_CLICKED) {
            Clicked();
            msg.Result = 0;
            return true;
        }
        return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(msg.WParam);
        ::SetTextColor(dc, ColorToRGB(font_.Color()));
        ::SetBkColor(dc, ColorToRGB(EffectiveColor()));
        msg.Result = reinterpret_cast<LRESULT>(parent_ ? parent_->BackgroundBrush() : BackgroundBrush());
        return true;
    }
    default: return false;
    }
}

// ----------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    width_ = 75;
    height_ = 25;
}

void TButton::CreateParams(TCreateParams& params) {
    params.className = L"BUTTON";
    params.style = WS_TABSTOP | (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::SetDefault(bool value) {
    default_ = value;
    if (hwnd_) ::SendMessageW(hwnd_, BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

// --------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {
    width_ = 97;
    height_ = 17;
}

void TCheckBox::CreateParams(TCreateParams& params) {
    params.className = L"BUTTON";
    params.style = WS_TABSTOP | BS_CHECKBOX;
}

void TCheckBox::SetChecked(bool value) {
    if (hwnd_) ::SendMessageW(hwnd_, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (value == checked_) return;
    checked_ = value;
    Click();
}

// ------------------------------------------------------------ TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    width_ = 113;
    height_ = 17;
}

void TRadioButton::CreateParams(TCreateParams& params) {
    params.className = L"BUTTON";
    params.style = WS_TABSTOP | BS_RADIOBUTTON;
}

void TRadioButton::SetChecked(bool value) {
    if (hwnd_) ::SendMessageW(hwnd_, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (value == checked_) return;
    checked_ = value;
    if (!value) return;
    if (parent_) {
        for (int i = 0; i < parent_->ControlCount(); ++i) {
            TControl* c = parent_->Controls(i);
            if (c != this && c->ClassName() == std::wstring(L"TRadioButton"))
                static_cast<TRadioButton*>(c)->SetChecked(false);
        }
    }
    Click();
}

// --------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
    width_ = 185;
    height_ = 105;
    parentColor_ = true;
}

int TGroupBox::CaptionHeight() const {
    win::WindowDc screen(nullptr);
    win::Select font(screen.get(), font_.Handle());
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(screen.get(), &tm);
    return tm.tmHeight;
}

void TGroupBox::PaintBackground(HDC dc, const RECT& client) {
    TCustomControl::PaintBackground(dc, client);
    int h = CaptionHeight();
    RECT frame = {client.left, client.top + h / 2, client.right, client.bottom};
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (caption_.empty()) return;
    win::Select font(dc, font_.Handle());
    RECT text = {8, 0, client.right - 8, h};
    ::DrawTextW(dc, caption_.c_str(), -1, &text, DT_SINGLELINE | DT_CALCRECT);
    text.left -= 2;
    text.right += 2;
    ::FillRect(dc, &text, BackgroundBrush());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(enabled_ ? font_.Color() : clBtnShadow));
    ::DrawTextW(dc, caption_.c_str(), -1, &text, DT_SINGLELINE | DT_CENTER);
}

// --------------------------------------------------------------- TComboBox

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
    width_ = 145;
    height_ = 21;
    color_ = clWindow;
    items_.OnChange = [this] { Fill(); };
}

void TComboBox::CreateParams(TCreateParams& params) {
    params.className = L"COMBOBOX";
    params.style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
}

void TComboBox::Fill() {
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    if (!hwnd_) return;
    ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items_.Items())
        ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TComboBox::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < items_.Count() ? index : -1;
    if (hwnd_) ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

std::wstring TComboBox::Text() const { return itemIndex_ >= 0 ? items_[itemIndex_] : std::wstring(); }

bool TComboBox::Notify(TMessage& msg) {
    if (msg.Msg != WM_COMMAND || HIWORD(msg.WParam) != CBN_SELCHANGE) return false;
    itemIndex_ = static_cast<int>(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
    if (OnChange) OnChange(this);
    msg.Result = 0;
    return true;
}

// ---------------------------------------------------------------- TListBox

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
    width_ = 121;
    height_ = 97;
    color_ = clWindow;
    items_.OnChange = [this] { Fill(); };
}

void TListBox::CreateParams(TCreateParams& params) {
    params.className = L"LISTBOX";
    params.style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    params.exStyle = WS_EX_CLIENTEDGE;
}

void TListBox::Fill() {
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    if (!hwnd_) return;
    ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items_.Items())
        ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    ::SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TListBox::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < items_.Count() ? index : -1;
    if (hwnd_) ::SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

bool TListBox::Notify(TMessage& msg) {
    if (msg.Msg != WM_COMMAND || HIWORD(msg.WParam) != LBN_SELCHANGE) return false;
    itemIndex_ = static_cast<int>(::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
    Click();
    msg.Result = 0;
    return true;
}

}  // namespace ui
