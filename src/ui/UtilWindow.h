// A hidden window of the layer's own that hands its messages to a function:
// timers, the tray icon and other non-visual components receive through it.
#pragma once

#include <windows.h>

#include <functional>

#include "shared/ScopedWin.h"

namespace ui {

class UtilWindow {
public:
    // Returns true when it handled the message (result set).
    using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    // messageOnly: a message-only window (no broadcasts reach it).
    UtilWindow(Handler handler, bool messageOnly);
    HWND Handle() const { return hwnd_.get(); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    Handler handler_;
    win::Window hwnd_;
};

}  // namespace ui
