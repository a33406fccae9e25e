#include "ExtCtrls.h"

#include <algorithm>

namespace ui {

// ------------------------------------------------------------------ TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    width_ = 105;
    height_ = 105;
    picture_.OnChange = [this] { PictureChanged(); };
}

void TImage::PictureChanged() {
    if (autoSize_ && !picture_.Empty()) SetBounds(left_, top_, picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::SetAutoSize(bool value) {
    autoSize_ = value;
    // Only the size follows the picture; the picture itself is unchanged.
    if (value && !picture_.Empty()) SetBounds(left_, top_, picture_.Width(), picture_.Height());
}

void TImage::SetStretch(bool value) {
    stretch_ = value;
    Invalidate();
}

void TImage::SetTransparent(bool value) {
    transparent_ = value;
    Invalidate();
}

void TImage::Paint(HDC dc) {
    if (picture_.Empty()) return;
    RECT r = BoundsRect();
    if (!stretch_) r = RECT{left_, top_, left_ + picture_.Width(), top_ + picture_.Height()};
    picture_.Draw(dc, r, transparent_);
}

// ------------------------------------------------------------------ TShape

TShape::TShape(TComponent* owner) : TGraphicControl(owner) {
    width_ = 65;
    height_ = 65;
    brush_.OnChange = [this] { Invalidate(); };
    pen_.OnChange = [this] { Invalidate(); };
}

void TShape::SetShape(TShapeType shape) {
    shape_ = shape;
    Invalidate();
}

void TShape::Paint(HDC dc) {
    int penWidth = pen_.Style() == psClear ? 0 : pen_.Width();
    // The pen is centred on the outline: keep all of it inside the bounds.
    int x = left_ + penWidth / 2, y = top_ + penWidth / 2;
    int w = width_ - penWidth + 1, h = height_ - penWidth + 1;
    if (penWidth == 0) {
        --w;
        --h;
    }
    int s = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    win::GdiObject pen(penWidth ? ::CreatePen(PS_SOLID, penWidth, ColorToRGB(pen_.Color()))
                                : ::CreatePen(PS_NULL, 0, 0));
    win::GdiObject brush(brush_.Style() == bsSolid ? ::CreateSolidBrush(ColorToRGB(brush_.Color()))
                                                   : nullptr);
    win::Select selectPen(dc, pen.get());
    win::Select selectBrush(dc, brush ? brush.get() : ::GetStockObject(NULL_BRUSH));
    switch (shape_) {
    case stRectangle:
    case stSquare: ::Rectangle(dc, x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: ::RoundRect(dc, x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse:
    case stCircle: ::Ellipse(dc, x, y, x + w, y + h); break;
    }
}

// ------------------------------------------------------------------ TBevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    width_ = 50;
    height_ = 50;
}

void TBevel::SetShape(TBevelShape shape) {
    shape_ = shape;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
    style_ = style;
    Invalidate();
}

namespace {
void Line(HDC dc, COLORREF color, int x1, int y1, int x2, int y2) {
    win::GdiObject pen(::CreatePen(PS_SOLID, 1, color));
    win::Select select(dc, pen.get());
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}
}  // namespace

void TBevel::Paint(HDC dc) {
    COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW), light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF first = style_ == bsLowered ? shadow : light;
    COLORREF second = style_ == bsLowered ? light : shadow;
    int l = left_, t = top_, r = left_ + width_ - 1, b = top_ + height_ - 1;
    switch (shape_) {
    case bsBox:
        Line(dc, first, l, b, l, t);
        Line(dc, first, l, t, r, t);
        Line(dc, second, r, t, r, b);
        Line(dc, second, r, b, l - 1, b);
        break;
    case bsFrame:
        // Two nested rectangles offset by one pixel make an etched frame.
        Line(dc, first, l, t, r, t);
        Line(dc, first, l, t, l, b);
        Line(dc, first, l, b - 1, r, b - 1);
        Line(dc, first, r - 1, t, r - 1, b);
        Line(dc, second, l + 1, t + 1, r - 1, t + 1);
        Line(dc, second, l + 1, t + 1, l + 1, b - 1);
        Line(dc, second, l, b, r + 1, b);
        Line(dc, second, r, t, r, b);
        break;
    case bsTopLine:
        Line(dc, first, l, t, r + 1, t);
        Line(dc, second, l, t + 1, r + 1, t + 1);
        break;
    case bsBottomLine:
        Line(dc, first, l, b - 1, r + 1, b - 1);
        Line(dc, second, l, b, r + 1, b);
        break;
    case bsLeftLine:
        Line(dc, first, l, t, l, b + 1);
        Line(dc, second, l + 1, t, l + 1, b + 1);
        break;
    case bsRightLine:
        Line(dc, first, r - 1, t, r - 1, b + 1);
        Line(dc, second, r, t, r, b + 1);
        break;
    case bsSpacer: break;
    }
}

// ------------------------------------------------------------------ TTimer

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    window_ = std::make_unique<UtilWindow>(
        [this](UINT msg, WPARAM, LPARAM, LRESULT& result) {
            if (msg != WM_TIMER) return false;
            if (enabled_ && OnTimer) OnTimer(this);
            result = 0;
            return true;
        },
        true);
}

TTimer::~TTimer() {
    if (running_) ::KillTimer(window_->Handle(), 1);
}

void TTimer::SetEnabled(bool value) {
    enabled_ = value;
    Update();
}

void TTimer::SetInterval(unsigned ms) {
    interval_ = ms;
    Update();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    OnTimer = std::move(handler);
    Update();
}

void TTimer::Update() {
    if (running_) ::KillTimer(window_->Handle(), 1);
    running_ = enabled_ && interval_ > 0 && static_cast<bool>(OnTimer);
    if (running_) ::SetTimer(window_->Handle(), 1, interval_, nullptr);
}

// ------------------------------------------------------------- TRadioGroup

TRadioGroup::TRadioGroup(TComponent* owner) : TGroupBox(owner) {
    items_.OnChange = [this] { BuildButtons(); };
}

void TRadioGroup::BuildButtons() {
    updating_ = true;
    for (TRadioButton* b : buttons_) b->Free();
    buttons_.clear();
    for (int i = 0; i < items_.Count(); ++i) {
        auto* b = new TRadioButton(this);
        b->SetCaption(items_[i]);
        b->SetEnabled(enabled_);
        b->SetParent(this);
        b->OnClick = [this, b](TObject*) { ButtonClicked(b); };
        buttons_.push_back(b);
    }
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    if (itemIndex_ >= 0) buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(true);
    updating_ = false;
    ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
    if (buttons_.empty()) return;
    int top = CaptionHeight() + 2;
    int each = std::max(1, (height_ - top - 4) / static_cast<int>(buttons_.size()));
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->SetBounds(8, top + static_cast<int>(i) * each, std::max(1, width_ - 16),
                               std::min(each, 20));
    }
}

void TRadioGroup::SetBounds(int left, int top, int width, int height) {
    TGroupBox::SetBounds(left, top, width, height);
    ArrangeButtons();
}

void TRadioGroup::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < items_.Count() ? index : -1;
    updating_ = true;
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->SetChecked(static_cast<int>(i) == itemIndex_);
    updating_ = false;
}

void TRadioGroup::SetEnabled(bool enabled) {
    TGroupBox::SetEnabled(enabled);
    for (TRadioButton* b : buttons_) b->SetEnabled(enabled);
    Invalidate();
}

void TRadioGroup::ButtonClicked(TRadioButton* button) {
    if (updating_ || !button->Checked()) return;
    auto it = std::find(buttons_.begin(), buttons_.end(), button);
    itemIndex_ = static_cast<int>(it - buttons_.begin());
    Click();
}

// --------------------------------------------------------------- TNotebook

TNotebook::TNotebook(TComponent* owner) : TCustomControl(owner) {
    width_ = 150;
    height_ = 150;
    parentColor_ = true;
}

TPage* TNotebook::AddPage(const std::wstring& name) {
    auto* page = new TPage(this);
    page->SetCaption(name);
    page->SetVisible(pages_.empty());
    page->SetParent(this);
    page->SetAlign(alClient);
    pages_.push_back(page);
    if (pageIndex_ < 0) pageIndex_ = 0;
    return page;
}

void TNotebook::SetPageIndex(int index) {
    if (index < 0 || index >= PageCount()) return;
    pageIndex_ = index;
    for (int i = 0; i < PageCount(); ++i) Pages(i)->SetVisible(i == index);
    Realign();
}

std::wstring TNotebook::ActivePage() const {
    return pageIndex_ >= 0 ? Pages(pageIndex_)->Caption() : std::wstring();
}

void TNotebook::SetActivePage(const std::wstring& name) {
    for (int i = 0; i < PageCount(); ++i) {
        if (Pages(i)->Caption() == name) SetPageIndex(i);
    }
}

}  // namespace ui
