// Progress bars and track bars over the common controls.
#pragma once

#include "Controls.h"

namespace ui {

// A windowed control that shows a position within a range.
class TRangeControl : public TWinControl {
public:
    using TWinControl::TWinControl;

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    void SetMin(int v) { SetRange(v, max_); }
    void SetMax(int v) { SetRange(min_, v); }
    int Position() const { return position_; }
    void SetPosition(int value);

protected:
    // Pass the range and the position on to the window.
    virtual void SendRange() = 0;
    virtual void SendPosition() = 0;
    void HandleCreated() override;

    int min_ = 0, max_ = 100, position_ = 0;
};

class TProgressBar : public TRangeControl {
public:
    explicit TProgressBar(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TProgressBar"; }

    // Smooth: one continuous bar instead of blocks.
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool value);
    int Step() const { return step_; }
    void SetStep(int value) { step_ = value; }
    void StepIt() { SetPosition(position_ + step_); }

protected:
    void CreateParams(TCreateParams& params) override;
    void SendRange() override;
    void SendPosition() override;

private:
    int step_ = 10;
    bool smooth_ = false;
};

class TTrackBar : public TRangeControl {
public:
    explicit TTrackBar(TComponent* owner);
    const wchar_t* ClassName() const override { return L"TTrackBar"; }

    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);

    // The user moved the thumb.
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void SendRange() override;
    void SendPosition() override;
    bool Notify(TMessage& msg) override;

private:
    int pageSize_ = 2;
};

}  // namespace ui
