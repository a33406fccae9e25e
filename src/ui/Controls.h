// Controls: position, size, visibility, fonts, colours, mouse events and
// parent/child relations. A TWinControl owns a window; windowless
// (graphic) controls are painted by their parent in z-order and get their
// mouse input routed from it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Classes.h"
#include "Graphics.h"

namespace ui {

class TWinControl;

// A window message as a control's handlers see it; Result is returned.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    const wchar_t* ClassName() const override { return L"TControl"; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // The colour painted behind this control: its own, or its parent's while
    // it takes the parent's colour.
    TColor EffectiveColor() const;
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    // Moves the control to the top or the bottom of its parent's z-order.
    virtual void BringToFront();
    void SendToBack();

    virtual bool IsWindowed() const { return false; }
    // Asks for this control's area to be painted again (nothing while it is hidden).
    virtual void Invalidate();
    // Invalidates and paints at once.
    void Repaint();
    // Windowless controls draw themselves here, in parent client coordinates.
    virtual void Paint(HDC dc) {}

    // The control's point p in screen coordinates and back.
    virtual POINT ClientToScreen(POINT p) const;
    virtual POINT ScreenToClient(POINT p) const;

    // Mouse input in this control's coordinates; fire the events below.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    // Asks the parent window to paint this area (parent client coordinates)
    // again; nothing for an empty area or a parent without a shown window.
    void InvalidateArea(const RECT& area) const;
    // The area a control left and the one it now covers.
    void InvalidateMove(const RECT& before, const RECT& after) const;

    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TWinControl* parent_ = nullptr;
    std::wstring caption_;
    TFont font_;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    bool parentFont_ = true;
    TAlign align_ = alNone;

private:
    friend class TWinControl;
    bool assigningFont_ = false;
};

// A windowless control, painted by its parent.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TGraphicControl"; }
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    const wchar_t* ClassName() const override { return L"TWinControl"; }

    HWND Handle() const { return hwnd_; }
    bool HandleAllocated() const { return hwnd_ != nullptr; }
    bool IsWindowed() const override { return true; }

    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetParent(TWinControl* parent) override;
    void Invalidate() override;
    void SetFocus();
    bool Focused() const { return hwnd_ && ::GetFocus() == hwnd_; }
    POINT ClientToScreen(POINT p) const override;
    POINT ScreenToClient(POINT p) const override;
    // A push button that Enter presses (see TButton::Default).
    virtual bool IsDefaultButton() const { return false; }
    UINT ControlId() const { return id_; }
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;

    // Child controls in z-order: the first is at the bottom, the last on top.
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void MoveControl(TControl* control, bool toTop);

    // The topmost visible child under p (client coordinates): disabled ones
    // only when allowDisabled, windowed ones only when allowWinControls;
    // allLevels looks into windowed children for a control of their own.
    TControl* ControlAtPos(POINT p, bool allowDisabled, bool allowWinControls = false,
                           bool allLevels = false) const;

    // Sends a message straight to this control's handlers.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Lays out the children that have an alignment.
    void Realign();

    // The control that owns a window of this layer, or null.
    static TWinControl* FromHandle(HWND hwnd);
    // The brush of this control's background colour (for child controls).
    HBRUSH BackgroundBrush();

protected:
    // Window creation: the class (a system class is subclassed), styles.
    struct TCreateParams {
        const wchar_t* className = L"";
        DWORD style = 0;
        DWORD exStyle = 0;
        bool ownClass = false;  // registered by this layer
        HWND owner = nullptr;   // owner of a top-level window
    };
    virtual void CreateParams(TCreateParams& params);
    // Runs when the window has been made (to put the control's state on it).
    virtual void HandleCreated() {}
    // Height given to the window (a drop-down list also needs room for its list).
    virtual int WindowHeight() const { return height_; }
    void CreateHandle();
    void DestroyHandle();

    // First stop of every message: routes mouse messages to windowless
    // children and fires the mouse events, then Dispatch.
    virtual void WndProc(TMessage& msg);
    // The message handlers of this control; unhandled ones go to DefaultHandler.
    virtual void Dispatch(TMessage& msg);
    void DefaultHandler(TMessage& msg);
    // A notification of this control's own window, reflected by its parent
    // (WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOR...).
    virtual bool Notify(TMessage& msg) { return false; }

    void TextChanged() override;
    void FontChanged() override;
    void ColorChanged() override;

    // Paints background and windowless children into dc (client coordinates).
    virtual void PaintWindow(HDC dc);
    virtual void PaintBackground(HDC dc, const RECT& client);
    void PaintControls(HDC dc);
    // WM_PAINT through a memory bitmap, so nothing flickers.
    void PaintBuffered();

    HWND hwnd_ = nullptr;
    WNDPROC defaultProc_ = ::DefWindowProcW;
    bool ownClass_ = false;
    UINT id_ = 0;  // child-window id

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void RegisterOwnClass(const wchar_t* className);
    void Attach(HWND hwnd);
    bool RouteMouse(TMessage& msg);
    void OwnMouse(TMessage& msg);
    bool Reflect(TMessage& msg);
    void CreateChildHandles();

    std::vector<TControl*> controls_;
    TControl* mouseControl_ = nullptr;  // windowless child holding the mouse
    TControl* clicked_ = nullptr;       // pressed with the left button
    bool ownClicked_ = false;
    win::GdiObject brush_;
    TColor brushColor_ = clNone;
};

// A windowed control of this layer's own window class that paints its
// background and its windowless children itself, double-buffered.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TCustomControl"; }

protected:
    void CreateParams(TCreateParams& params) override;
};

// Shift state of a mouse message's wParam plus the Alt key.
TShiftState ShiftFromMouse(WPARAM wParam);

// Shows the exception being handled (call inside a catch block): a handler
// that raises ends there, the program goes on. Window procedures, timers and
// the tray use it so no exception crosses a system callback.
void HandleCurrentException() noexcept;

}  // namespace ui
