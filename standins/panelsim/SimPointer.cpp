// SimPointer: plays a user's press, move and release on VelloPanel's main
// window, for demos and scripts:
//
//   SimPointer.exe X Y [DY]
//
// presses the left button at the client point (X, Y) of the running panel's
// main window, moves the pointer DY pixels down (up when negative) and
// releases it. Each step waits until the panel has handled the one before
// (the panel reads the pointer's position when it handles a move). Exit
// code 0 when done, 1 without a panel window, 2 when the panel did not
// answer within 10 s.
#include <windows.h>

#include <cwchar>
#include <cstdlib>

namespace {

void SendAt(POINT p, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = ::MulDiv(p.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = ::MulDiv(p.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof(INPUT));
}

// The panel takes the mouse capture when it handles a press on a control
// and gives it back with the release.
bool WaitForCapture(HWND window, bool held) {
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    const DWORD start = ::GetTickCount();
    do {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (::GetGUIThreadInfo(thread, &info) && (info.hwndCapture == window) == held) return true;
        ::Sleep(10);
    } while (::GetTickCount() - start < 10000);
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: SimPointer X Y [DY]\n");
        return 1;
    }
    HWND window = ::FindWindowW(L"TAudioMainForm", nullptr);
    if (!window) {
        std::fwprintf(stderr, L"SimPointer: no panel window\n");
        return 1;
    }
    POINT from{std::wcstol(argv[1], nullptr, 10), std::wcstol(argv[2], nullptr, 10)};
    const int dy = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 0;
    ::ClientToScreen(window, &from);
    ::SetCursorPos(from.x, from.y);
    SendAt(from, 0);
    SendAt(from, MOUSEEVENTF_LEFTDOWN);
    if (!WaitForCapture(window, true)) return 2;
    const POINT to{from.x, from.y + dy};
    // The pointer itself moves too: the panel reads its position.
    ::SetCursorPos(to.x, to.y);
    if (dy) SendAt(to, 0);
    SendAt(to, MOUSEEVENTF_LEFTUP);
    return WaitForCapture(window, false) ? 0 : 2;
}
