// Stand-in for the maker's companion effect programs (built as VelloEffect and
// VelloSoundFX). It appends its arguments to <own folder>\<own name>.log
// ("started <arguments>"), keeps a hidden top-level window (so broadcasts
// reach it) and ends on "WM_AUDIO_EFFECT_EXIT", "WM_Qorv73xxAPP_EXIT" or
// WM_CLOSE, logging "ended <message>". With [Behaviour] EndDelayMs in
// <own folder>\<own name>.ini it first takes that long over its ending, as a
// program saving its state does (tests of those who wait for it).
#include <windows.h>

#include <string>

#include "StandInFiles.h"

namespace {

UINT g_effectExit = 0;
UINT g_appExit = 0;

// The program's name without folder and extension.
std::wstring OwnName() {
    std::wstring name = standin::OwnPath();
    name.erase(0, name.find_last_of(L'\\') + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

void Log(const std::wstring& line) { standin::AppendLine(standin::OwnFolder() + OwnName() + L".log", line); }

// The command line without the program's own path.
std::wstring Arguments() {
    const wchar_t* p = ::GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

DWORD EndDelayMs() {
    const std::wstring ini = standin::OwnFolder() + OwnName() + L".ini";
    return ::GetPrivateProfileIntW(L"Behaviour", L"EndDelayMs", 0, ini.c_str());
}

void End(HWND window, const wchar_t* reason) {
    ::Sleep(EndDelayMs());
    Log(std::wstring(L"ended ") + reason);
    ::DestroyWindow(window);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_effectExit && g_effectExit) {
        End(window, L"WM_AUDIO_EFFECT_EXIT");
        return 0;
    }
    if (message == g_appExit && g_appExit) {
        End(window, L"WM_Qorv73xxAPP_EXIT");
        return 0;
    }
    switch (message) {
    case WM_CLOSE: End(window, L"WM_CLOSE"); return 0;
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Log(L"started " + Arguments());
    g_effectExit = ::RegisterWindowMessageW(L"WM_AUDIO_EFFECT_EXIT");
    g_appExit = ::RegisterWindowMessageW(L"WM_Qorv73xxAPP_EXIT");
    WNDCLASSW cls = {};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.lpszClassName = L"VelloCompanionStandIn";
    if (!::RegisterClassW(&cls)) return 1;
    const std::wstring title = OwnName();
    HWND window = ::CreateWindowExW(0, cls.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                    nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
