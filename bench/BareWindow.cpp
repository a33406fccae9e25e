// A bare Win32 window of the panel's size that paints one colour: the
// reference for the panel's time to its first painted frame.
#include <windows.h>

namespace {
LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        HBRUSH brush = ::CreateSolidBrush(RGB(200, 30, 30));
        ::FillRect(dc, &ps.rcPaint, brush);
        ::DeleteObject(brush);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    default: return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"BenchBareWindow";
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&wc);
    int x = (::GetSystemMetrics(SM_CXSCREEN) - 819) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - 513) / 2;
    HWND hwnd = ::CreateWindowExW(WS_EX_APPWINDOW, L"BenchBareWindow", L"Bare", WS_POPUP, x, y, 819, 513, nullptr,
                                  nullptr, instance, nullptr);
    ::ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
