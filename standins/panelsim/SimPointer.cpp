// SimPointer: plays a user's press, move and release on VelloPanel's main
// window, for demos and scripts:
//
//   SimPointer.exe X Y [DY]
//
// presses the left button at the client point (X, Y) of the running panel's
// main window, moves the pointer DY pixels down (up when negative) and
// releases it. Each step waits until the panel has handled the one before.
// Exit code 0 when done, 1 without a panel window, 2 when the pointer could
// not be placed or the panel did not answer within 10 s.
//
// The panel reads the pointer's position when it handles a press or a move.
// Under Wine every move of the display's pointer reaches the panel's window
// as well, and the panel takes it in when it next looks at its messages,
// putting the pointer back where the display had it then. So the press and
// the move are sent only once the pointer has stayed in place while the
// panel caught up, and until the panel has handled the press the pointer is
// placed again every 20 ms, one pixel to the right and back (the panel's
// sliders go by the vertical position).
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <initializer_list>

namespace {

constexpr DWORD kTimeoutMs = 10000;
// Time for the display to pass a moved pointer on to the panel.
constexpr DWORD kSyncMs = 30;

void Send(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof(INPUT));
}

bool At(POINT p) {
    POINT now;
    return ::GetCursorPos(&now) && now.x == p.x && now.y == p.y;
}

// Moves the pointer to p: the display's pointer when that is allowed, and
// by absolute input (0..65535 across the screen), trying the values around
// the scaled one until the system has it on p.
bool Place(POINT p) {
    ::SetCursorPos(p.x, p.y);
    const LONG x = ::MulDiv(p.x, 65536, ::GetSystemMetrics(SM_CXSCREEN));
    const LONG y = ::MulDiv(p.y, 65536, ::GetSystemMetrics(SM_CYSCREEN));
    for (LONG dy : {0, 1, -1, 2, -2, 3, -3}) {
        for (LONG dx : {0, 1, -1, 2, -2, 3, -3}) {
            Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x + dx, y + dy);
            if (At(p)) return true;
        }
    }
    return false;
}

// Waits until the panel's thread has come back to its message loop, where
// it first takes in what the display has told it.
void Sync(HWND window) {
    ::Sleep(kSyncMs);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &ignored);
}

// Places the pointer at p for good. Moving the display's pointer tells the
// panel's window where the pointer went; a panel still busy takes that in
// later, and then puts the pointer back where it was at that moment. So p
// counts as reached only when it has stayed p across two such syncs.
bool Settle(HWND window, POINT p) {
    const DWORD start = ::GetTickCount();
    int held = 0;
    do {
        if (!At(p)) {
            held = 0;
            if (!Place(p)) continue;
        }
        Sync(window);
        if (At(p) && ++held == 2) return true;
    } while (::GetTickCount() - start < kTimeoutMs);
    return false;
}

// The panel takes the mouse capture when it handles a press on a control
// and gives it back with the release. Until then the pointer is kept at p.
bool WaitForCapture(HWND window, bool held, POINT p) {
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    const DWORD start = ::GetTickCount();
    for (LONG step = 1;; ++step) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (::GetGUIThreadInfo(thread, &info) && (info.hwndCapture == window) == held) return true;
        if (::GetTickCount() - start >= kTimeoutMs) return false;
        ::Sleep(20);
        Place(POINT{p.x + step % 2, p.y});
    }
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
    const POINT to{from.x, from.y + dy};
    if (!Settle(window, from)) return 2;
    Send(MOUSEEVENTF_LEFTDOWN);
    if (!WaitForCapture(window, true, from)) return 2;
    if (!Settle(window, to)) return 2;
    Send(MOUSEEVENTF_LEFTUP);
    return WaitForCapture(window, false, to) ? 0 : 2;
}
