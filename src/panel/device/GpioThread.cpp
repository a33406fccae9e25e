#include "panel/device/GpioThread.h"

namespace {
constexpr DWORD kClickDelayMs = 100;
}

TMyThread::TMyThread(bool createSuspended, HANDLE wake, ClickSink sink)
    : ui::TThread(createSuspended), wake_(wake), sink_(std::move(sink)) {}

TMyThread::~TMyThread() { Stop(); }

void TMyThread::SetButtonClick(ui::TObject* component, ui::TShiftState shift) {
    std::lock_guard<std::mutex> lock(lock_);
    component_ = component;
    shift_ = shift;
    pending_ = 1;
}

void TMyThread::Stop() {
    Terminate();
    ::SetEvent(wake_);
    if (Started()) WaitFor();
}

void TMyThread::Execute() {
    while (!Terminated()) {
        ::WaitForSingleObject(wake_, INFINITE);
        if (Terminated()) break;
        ::Sleep(kClickDelayMs);
        if (Terminated()) break;
        // The request is taken and cleared before the click: one made while
        // the click runs waits for the next wake-up instead of being lost.
        ui::TObject* component = nullptr;
        ui::TShiftState shift = 0;
        {
            std::lock_guard<std::mutex> lock(lock_);
            if (!pending_) continue;
            pending_ = 0;
            component = component_;
            shift = shift_;
        }
        DoButtonClick(component, shift);
    }
}

void TMyThread::DoButtonClick(ui::TObject* component, ui::TShiftState shift) {
    if (sink_) sink_(component, shift);
}
