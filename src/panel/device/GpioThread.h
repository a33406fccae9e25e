// The GPIO worker: when a hardware button asks for a skinned control to be
// pressed, the main window hands the worker the control and wakes it; 100 ms
// later the worker passes the click on to the window's sink (which performs
// it on the window's own thread).
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>

#include "ui/Classes.h"

class TMyThread : public ui::TThread {
public:
    // Receives the deferred click on the worker's thread.
    using ClickSink = std::function<void(ui::TObject* component, ui::TShiftState shift)>;

    // wake: the auto-reset event that SetButtonClick's caller sets.
    TMyThread(bool createSuspended, HANDLE wake, ClickSink sink);
    // Ends the worker (a click not yet passed on is dropped).
    ~TMyThread() override;

    // The control to click at the next wake-up (a later request replaces an
    // earlier one not yet clicked). The caller sets the wake event afterwards.
    void SetButtonClick(ui::TObject* component, ui::TShiftState shift);
    // Asks the worker to end and waits until it has.
    void Stop();

protected:
    void Execute() override;

private:
    void DoButtonClick(ui::TObject* component, ui::TShiftState shift);

    HANDLE wake_;
    ClickSink sink_;
    std::mutex lock_;
    int pending_ = 0;
    ui::TObject* component_ = nullptr;
    ui::TShiftState shift_ = 0;
};
