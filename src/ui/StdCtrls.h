// Labels, buttons, check boxes, radio buttons, group boxes, combo boxes and
// list boxes.
#pragma once

#include "Controls.h"

namespace ui {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A windowless text. AutoSize fits the control to its text (with WordWrap
// only its height); Transparent leaves the background of what lies beneath.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TLabel"; }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    void Paint(HDC dc) override;

protected:
    void TextChanged() override;
    void FontChanged() override;

private:
    UINT TextFlags() const;
    void AdjustBounds();

    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
};

// A control over the system's BUTTON class.
class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TButtonControl"; }

protected:
    bool Notify(TMessage& msg) override;
    virtual void Clicked() { Click(); }
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TButton"; }

    // The default button is pressed by Enter anywhere in its form.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool IsDefaultButton() const override { return default_; }

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool default_ = false;
};

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner) : TButton(owner) {}
    const wchar_t* ClassName() const override { return L"TBitBtn"; }
};

class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TCheckBox"; }

    bool Checked() const { return checked_; }
    // A change of state fires OnClick, also when made by code.
    void SetChecked(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void Clicked() override { SetChecked(!checked_); }
    void HandleCreated() override { ::SendMessageW(hwnd_, BM_SETCHECK, checked_, 0); }

private:
    bool checked_ = false;
};

// Radio buttons with the same parent form one group: checking one unchecks
// the others.
class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TRadioButton"; }

    bool Checked() const { return checked_; }
    // Checking fires OnClick, also when made by code.
    void SetChecked(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void Clicked() override { SetChecked(true); }
    void HandleCreated() override { ::SendMessageW(hwnd_, BM_SETCHECK, checked_, 0); }

private:
    bool checked_ = false;
};

// A frame with a caption around other controls.
class TGroupBox : public TCustomControl {
public:
    explicit TGroupBox(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TGroupBox"; }

protected:
    void PaintBackground(HDC dc, const RECT& client) override;
    // Height of the caption line (the frame starts in its middle).
    int CaptionHeight() const;
};

// A drop-down list (no free text).
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TComboBox"; }

    TStrings& Items() { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    // The selected item's text, empty when none is selected.
    std::wstring Text() const;

    // The user picked another item.
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override { Fill(); }
    int WindowHeight() const override { return height_ + 200; }
    bool Notify(TMessage& msg) override;

private:
    void Fill();

    TStrings items_;
    int itemIndex_ = -1;
};

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TListBox"; }

    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override { Fill(); }
    bool Notify(TMessage& msg) override;
    void Fill();

    TStrings items_;
    int itemIndex_ = -1;
};

}  // namespace ui
