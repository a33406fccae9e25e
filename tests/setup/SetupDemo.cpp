// The installer demo's driver (scripts/demo-setup.sh), run inside the demo's
// own Wine prefix:
//
//   setup_demo.exe <VelloSetup.exe>                  the user runs the wizard;
//       once it has installed and Finish has started the control panel
//       through the service, this waits until the panel's window is closed
//   setup_demo.exe <VelloSetup.exe> <picture folder> no display: drives the
//       wizard itself (Next, then Finish with "restart later"), and saves
//       VelloSetup.png (first page), VelloSetup-finished.png and
//       VelloPanel-installed.png (the installed panel, started through the
//       service) into the folder
//
// It prints what happened: boxes, VelloSetup's exit code, the service's log.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "InstalledState.h"
#include "PictureFixtures.h"
#include "TestSupport.h"

namespace {

constexpr DWORD kStepTimeoutMs = 120000;

void Say(const std::wstring& text) {
    std::printf("demo: %s\n", vt::Narrow(text).c_str());
    std::fflush(stdout);
}

using vt::WindowOfClass;

// Polls until done() gives a window, answering (and printing) VelloSetup's boxes.
HWND WaitFor(DWORD pid, const std::function<HWND()>& done) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kStepTimeoutMs) {
        vt::MessageBoxInfo box;
        if (pid && vt::FindMessageBox(pid, box)) {
            Say(L"VelloSetup says \"" + box.text + L"\" (" + box.caption + L")");
            vt::AnswerMessageBox(box.hwnd);
        }
        if (HWND w = done()) return w;
        ::Sleep(200);
    }
    return nullptr;
}

HWND VisiblePanel() {
    HWND panel = ::FindWindowW(L"TAudioMainForm", nullptr);
    return panel && ::IsWindowVisible(panel) ? panel : nullptr;
}

void Picture(const std::wstring& folder, const wchar_t* name) {
    ::Sleep(1000);  // painted
    const RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const std::wstring path = folder + name;
    Say(vt::CaptureScreenToPng(screen, path) ? L"picture saved: " + path : L"no picture: " + path);
}

HWND Button(HWND wizard, const wchar_t* caption) {
    HWND button = vt::FindControl(wizard, L"Button", caption);
    return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button) ? button : nullptr;
}

// Next on the first page, Finish on the last one: the user's two clicks.
bool DriveWizard(DWORD pid, const std::wstring& pictures) {
    HWND wizard = WaitFor(pid, [&] { return WindowOfClass(pid, L"TMainForm"); });
    HWND next = wizard ? WaitFor(pid, [&] { return Button(wizard, L"Next >"); }) : nullptr;
    if (!next) return false;
    Picture(pictures, L"VelloSetup.png");
    ::PostMessageW(next, BM_CLICK, 0, 0);
    Say(L"Next pressed: installing");
    HWND finish = WaitFor(pid, [&] { return Button(wizard, L"Finish"); });
    if (!finish) return false;
    Picture(pictures, L"VelloSetup-finished.png");
    HWND later = vt::FindControl(wizard, L"Button", L"No - restart later");
    if (::IsWindowVisible(later) && ::SendMessageW(later, BM_GETCHECK, 0, 0) != BST_CHECKED) {
        Say(L"a restart is chosen: the demo closes the wizard instead of pressing Finish");
        ::PostMessageW(wizard, WM_CLOSE, 0, 0);
        return true;
    }
    ::PostMessageW(finish, BM_CLICK, 0, 0);
    Say(L"Finish pressed: the installed control panel starts");
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: setup_demo.exe VelloSetup.exe [picture folder]\n");
        return 2;
    }
    const std::wstring setup = argv[1];
    const std::wstring pictures = argc > 2 ? std::wstring(argv[2]) + L"\\" : std::wstring();
    vt::Child wizard;
    if (!wizard.Start(L"\"" + setup + L"\"")) {
        Say(L"VelloSetup cannot start: " + setup);
        return 1;
    }
    if (!pictures.empty() && !DriveWizard(wizard.pid(), pictures)) {
        Say(L"the wizard did not get to its finish page");
        return 1;
    }
    DWORD exitCode = 0;
    if (!wizard.Wait(INFINITE, &exitCode)) return 1;
    wchar_t code[16];
    swprintf(code, 16, L"0x%lX", exitCode);
    Say(L"VelloSetup ended with " + std::wstring(code) + (exitCode == 0 ? L": installed" : L" (see the README)"));
    if (exitCode != 0) return 0;

    HWND panel = WaitFor(0, VisiblePanel);
    for (const std::wstring& line : vt::LogLines(L"C:\\windows\\system32\\VelloService.log"))
        Say(L"VelloService: " + line);
    if (!panel) {
        Say(L"no control panel window appeared (Finish restarts Windows when a restart is chosen)");
        return 0;
    }
    Say(L"the installed VelloPanel shows its window");
    if (!pictures.empty()) {
        Picture(pictures, L"VelloPanel-installed.png");
        return 0;
    }
    Say(L"close the control panel to end the demo");
    while (::IsWindow(panel)) ::Sleep(500);
    return 0;
}
