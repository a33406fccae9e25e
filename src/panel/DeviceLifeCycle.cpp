// Device life cycle: the retry timer, device IDs from a device path and the
// GPIO worker. The arrival, removal and retry sequences are still to come;
// the functions below are what the window's construction calls today.
#include <cwctype>

#include "panel/AudioMainForm.h"
#include "panel/device/GpioThread.h"

namespace {

// Up to four hexadecimal digits after the first of the two markers.
WORD HexAfter(const std::wstring& path, const wchar_t* upper, const wchar_t* mixed, bool& found) {
    size_t at = path.find(upper);
    if (at == std::wstring::npos) at = path.find(mixed);
    found = at != std::wstring::npos;
    if (!found) return 0;
    WORD value = 0;
    for (size_t i = at + 4; i < path.size() && i < at + 8 && std::iswxdigit(path[i]); ++i) {
        wchar_t c = path[i];
        int digit = c <= L'9' ? c - L'0' : (std::towupper(c) - L'A' + 10);
        value = static_cast<WORD>(value * 16 + digit);
    }
    return value;
}

}  // namespace

void TAudioMainForm::GetVidPidFromPath(const std::wstring& path, WORD& vendorId, WORD& productId) {
    vendorId = productId = 0;
    bool found = false;
    vendorId = HexAfter(path, L"VID_", L"Vid_", found);
    if (!found) return;
    productId = HexAfter(path, L"PID_", L"Pid_", found);
}

void TAudioMainForm::Timer1Timer(ui::TObject*) {}

void TAudioMainForm::CreateGPIOThread() {
    if (m_pGPIOThread) return;
    // The worker only waits; its click runs on the window's thread.
    m_pGPIOThread = new TMyThread(false, GPIOThreadEvent, [this](ui::TObject* control, ui::TShiftState shift) {
        RunOnMainThread([this, control, shift] { DeferredGpioClick(control, shift); });
    });
    m_pGPIOThread->AfterConstruction();
}

void TAudioMainForm::Dispatch(ui::TMessage& msg) {
    switch (msg.Msg) {
    case MM_WIM_DATA: OnMicLevelData(msg); break;
    default: break;
    }
    ui::TForm::Dispatch(msg);
}
