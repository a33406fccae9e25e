// Controls: position, size, visibility and parent/child relations.
// TWinControl owns a window handle; windowless controls are painted by it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Classes.h"

namespace ui {

class TWinControl;

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

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    // Windowless controls draw themselves here, in parent client coordinates.
    virtual void Paint(HDC dc) {}
    virtual bool IsWindowed() const { return false; }
    virtual void Invalidate();

protected:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TWinControl* parent_ = nullptr;
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
    void Invalidate() override;

    // Child controls in z-order: the first is at the bottom, the last on top.
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    // Handles a message of this control's window; the default passes it on.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

    // Makes this object the owner of a window created by the caller
    // (CreateWindowExW with lpParam = this and the shared window procedure).
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void RegisterClassOnce(const wchar_t* className, UINT style, HBRUSH background);
    void DestroyHandle();

    HWND hwnd_ = nullptr;
    WNDPROC defaultProc_ = ::DefWindowProcW;

private:
    std::vector<TControl*> controls_;
};

}  // namespace ui
