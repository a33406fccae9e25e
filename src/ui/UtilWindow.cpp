#include "UtilWindow.h"

#include "Controls.h"

namespace ui {

namespace {
constexpr wchar_t kClass[] = L"TPUtilWindow";

void RegisterOnce() {
    static const ATOM atom = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        return ::RegisterClassExW(&wc);
    }();
    (void)atom;
}
}  // namespace

UtilWindow::UtilWindow(Handler handler, bool messageOnly) : handler_(std::move(handler)) {
    RegisterOnce();
    hwnd_.reset(::CreateWindowExW(0, kClass, L"", WS_POPUP, 0, 0, 0, 0,
                                  messageOnly ? HWND_MESSAGE : nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr));
    ::SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(hwnd_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
}

LRESULT CALLBACK UtilWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<UtilWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->handler_ && msg != WM_NCDESTROY) {
        LRESULT result = 0;
        try {
            if (self->handler_(msg, wParam, lParam, result)) return result;
        } catch (...) {
            HandleCurrentException();
            return 0;
        }
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace ui
