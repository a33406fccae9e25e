// Helpers of the user-interface tests.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/Forms.h"

namespace uitest {

// Handles messages for about ms milliseconds (or until done returns true).
inline void Pump(DWORD ms, const std::function<bool()>& done = {}) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        if (ui::Application) ui::Application->ProcessMessages();
        else {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
        if (done && done()) return;
        ::Sleep(2);
    }
}

inline bool Near(COLORREF a, COLORREF b, int tolerance) {
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace uitest
