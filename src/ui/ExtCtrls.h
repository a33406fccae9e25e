// Images, shapes, bevels, timers, radio groups and notebooks.
#pragma once

#include <memory>

#include "StdCtrls.h"
#include "UtilWindow.h"

namespace ui {

// A windowless picture. AutoSize fits the control to the picture; Stretch
// scales the picture to the control; Transparent leaves out the colour of
// the bottom-left pixel of pictures without alpha (alpha always blends).
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TImage"; }

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

    void Paint(HDC dc) override;

private:
    void PictureChanged();

    TPicture picture_;
    bool autoSize_ = false;
    bool stretch_ = false;
    bool transparent_ = false;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TShape"; }

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape);
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }

    void Paint(HDC dc) override;

private:
    TShapeType shape_ = stRectangle;
    TBrush brush_;
    TPen pen_;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TBevel"; }

    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle style);

    void Paint(HDC dc) override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// Fires OnTimer every Interval milliseconds while Enabled (and while
// OnTimer is set), on the thread that made it, through its message queue.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    const wchar_t* ClassName() const override { return L"TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    void SetOnTimer(TNotifyEvent handler);

    TNotifyEvent OnTimer;

private:
    void Update();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    bool running_ = false;
    std::unique_ptr<UtilWindow> window_;
};

// A group box of radio buttons made from Items; ItemIndex is the checked one.
class TRadioGroup : public TGroupBox {
public:
    explicit TRadioGroup(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TRadioGroup"; }

    TStrings& Items() { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    void SetEnabled(bool enabled) override;
    void SetBounds(int left, int top, int width, int height) override;
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TRadioButton* Buttons(int index) const { return buttons_.at(static_cast<size_t>(index)); }

private:
    void BuildButtons();
    void ArrangeButtons();
    void ButtonClicked(TRadioButton* button);

    TStrings items_;
    std::vector<TRadioButton*> buttons_;
    int itemIndex_ = -1;
    bool updating_ = false;
};

// One page of a notebook: a container whose Caption is the page's name.
class TPage : public TCustomControl {
public:
    explicit TPage(TComponent* owner) : TCustomControl(owner) { parentColor_ = true; }
    const wchar_t* ClassName() const override { return L"TPage"; }
};

// Pages laid on top of each other; only the page at PageIndex is shown.
class TNotebook : public TCustomControl {
public:
    explicit TNotebook(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TNotebook"; }

    // Appends a page named name (owned by the notebook) and returns it.
    TPage* AddPage(const std::wstring& name);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TPage* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
    int PageIndex() const { return pageIndex_; }
    void SetPageIndex(int index);
    // The name of the shown page; setting a name shows that page.
    std::wstring ActivePage() const;
    void SetActivePage(const std::wstring& name);

private:
    std::vector<TPage*> pages_;
    int pageIndex_ = -1;
};

}  // namespace ui
