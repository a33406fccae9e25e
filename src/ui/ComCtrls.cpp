#include "ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

// ----------------------------------------------------------- TRangeControl

void TRangeControl::HandleCreated() {
    SendRange();
    SendPosition();
}

void TRangeControl::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
    if (hwnd_) HandleCreated();
}

void TRangeControl::SetPosition(int value) {
    position_ = std::clamp(value, min_, max_);
    if (hwnd_) SendPosition();
}

// ------------------------------------------------------------ TProgressBar

TProgressBar::TProgressBar(TComponent* owner) : TRangeControl(owner) {
    width_ = 150;
    height_ = 17;
}

void TProgressBar::CreateParams(TCreateParams& params) {
    params.className = PROGRESS_CLASSW;
    params.style = smooth_ ? PBS_SMOOTH : 0;
}

void TProgressBar::SendRange() { ::SendMessageW(hwnd_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_); }

void TProgressBar::SendPosition() { ::SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(position_), 0); }

void TProgressBar::SetSmooth(bool value) {
    smooth_ = value;
    if (!hwnd_) return;
    LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, value ? (style | PBS_SMOOTH) : (style & ~PBS_SMOOTH));
    Invalidate();
}

// --------------------------------------------------------------- TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TRangeControl(owner) {
    width_ = 150;
    height_ = 45;
    max_ = 10;
}

void TTrackBar::CreateParams(TCreateParams& params) {
    params.className = TRACKBAR_CLASSW;
    params.style = WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM;
}

void TTrackBar::SendRange() {
    ::SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, min_);
    ::SendMessageW(hwnd_, TBM_SETRANGEMAX, FALSE, max_);
    ::SendMessageW(hwnd_, TBM_SETPAGESIZE, 0, pageSize_);
}

void TTrackBar::SendPosition() { ::SendMessageW(hwnd_, TBM_SETPOS, TRUE, position_); }

void TTrackBar::SetPageSize(int value) {
    pageSize_ = value;
    if (hwnd_) ::SendMessageW(hwnd_, TBM_SETPAGESIZE, 0, value);
}

bool TTrackBar::Notify(TMessage& msg) {
    if (msg.Msg != WM_HSCROLL && msg.Msg != WM_VSCROLL) return false;
    int pos = static_cast<int>(::SendMessageW(hwnd_, TBM_GETPOS, 0, 0));
    if (pos != position_) {
        position_ = pos;
        if (OnChange) OnChange(this);
    }
    msg.Result = 0;
    return true;
}

}  // namespace ui
