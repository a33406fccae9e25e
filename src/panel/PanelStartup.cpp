#include "panel/PanelStartup.h"

#include <windows.h>

#include "panel/PanelForms.h"
#include "shared/DebugTrace.h"
#include "shared/IniValue.h"
#include "shared/ServiceControl.h"

TAudioMainForm* AudioMainForm = nullptr;
TAboutForm* AboutForm = nullptr;
TLEDForm* LEDForm = nullptr;
TSimpleForm* SimpleForm = nullptr;
TLEDColorForm* LEDColorForm = nullptr;

namespace {

// Marks the application window of the copy that owns the user interface, so
// a second copy finds it whatever title the first has taken since.
constexpr wchar_t kInstanceProp[] = L"VelloPanel.Instance";

enum class StartMode { HandOff, HandOffOnBoot, UserInterface };

std::wstring LowerAscii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

StartMode ScanSwitches() {
    ui::TApplication& app = *ui::Application;
    for (int i = 0; i <= app.ParamCount(); ++i) {
        trace::Out(L"ParamStr(%d) = %ls\n", i, app.ParamStr(i).c_str());
    }
    for (int j = 1; j <= app.ParamCount(); ++j) {
        std::wstring arg = LowerAscii(app.ParamStr(j));
        trace::Text(arg);
        if (arg.empty()) continue;
        if (arg == L"-boot") return StartMode::HandOffOnBoot;
        if (arg == L"-servicestart" || arg == L"-serviceboot") return StartMode::UserInterface;
    }
    return StartMode::HandOff;
}

void HandOffToService(DWORD code, const wchar_t* banner) {
    trace::Text(banner);
    int ret = ControlTheService(kPanelServiceName, code);
    trace::Out(L"ControlTheService ret = %d\n", ret);
}

struct FindState {
    HWND self;
    HWND found;
};

BOOL CALLBACK FindMarkedWindow(HWND hwnd, LPARAM lParam) {
    auto* state = reinterpret_cast<FindState*>(lParam);
    wchar_t cls[32] = {};
    if (hwnd == state->self || !::GetClassNameW(hwnd, cls, 32) || wcscmp(cls, L"TApplication") != 0)
        return TRUE;
    if (!::GetPropW(hwnd, kInstanceProp)) return TRUE;
    state->found = hwnd;
    return FALSE;
}

// The running copy's application window: by title first, then by its mark.
HWND FindRunningCopy(const std::wstring& title) {
    HWND self = ui::Application->Handle();
    HWND found = ::FindWindowW(L"TApplication", title.c_str());
    if (found && found != self) return found;
    FindState state{self, nullptr};
    ::EnumWindows(FindMarkedWindow, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

void BringRunningCopyForward() {
    std::wstring title = ui::Application->Title();
    ::SetWindowTextW(ui::Application->Handle(), nullptr);
    HWND running = FindRunningCopy(title);
    if (!running) return;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(running, &pid);
    ::AllowSetForegroundWindow(pid);
    // The running copy restores and raises its main window itself.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(running, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    ::BringWindowToTop(running);
    ::SetForegroundWindow(running);
}

void RunUserInterface() {
    ui::TApplication& app = *ui::Application;
    HANDLE existing = ::OpenMutexW(SYNCHRONIZE, FALSE, kPanelMutexName);
    if (existing) {
        // Another copy runs: hand the user over to it and end without
        // building a window, touching the device or writing any profile.
        trace::Text(L"##### Another VelloPanel is running #####\n");
        BringRunningCopyForward();
        app.SetShowMainForm(false);
        app.Terminate();
        return;  // the handle stays open until the process ends
    }
    ::CreateMutexW(nullptr, FALSE, kPanelMutexName);  // kept for the life of the process
    ::SetPropW(app.Handle(), kInstanceProp, reinterpret_cast<HANDLE>(1));

    app.Initialize();
    SetApplicationIcon();
    app.CreateForm(AudioMainForm);
    app.CreateForm(AboutForm);
    app.CreateForm(LEDForm);
    app.CreateForm(SimpleForm);
    app.CreateForm(LEDColorForm);
    app.Run();
}

}  // namespace

void SetApplicationIcon() {
    ui::TApplication& app = *ui::Application;
    std::wstring exe = app.ExeName();
    size_t slash = exe.find_last_of(L'\\');
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash + 1);
    std::wstring file = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    trace::Out(L"##### SourceAppFileName = %ls\n", file.c_str());
    trace::Out(L"##### SourceFolderFullPath = %ls\n", folder.c_str());

    std::wstring iconName;
    ReadIniValue(folder + L"AudioConfig.cfg", L"Install", L"InstallIconFileName", iconName);
    trace::Out(L"##### InstallIconFileName = %ls\n", iconName.c_str());

    std::wstring iconPath = folder + iconName;
    app.Icon().LoadFromFile(iconPath);
    app.ApplyIcon();
    trace::Out(L"##### [2]InstallIconFileName = %ls\n", iconPath.c_str());
}

int PanelMain() {
    ui::TApplication app;
    try {
        switch (ScanSwitches()) {
        case StartMode::HandOffOnBoot:
            HandOffToService(SERVICE_CONTROL_RUN_APP_ON_BOOT, L"===== Service Control Execution -boot =====\n");
            return 0;
        case StartMode::HandOff:
            HandOffToService(SERVICE_CONTROL_RUN_APP, L"===== Service Control Execution no service =====\n");
            return 0;
        case StartMode::UserInterface: RunUserInterface(); break;
        }
    } catch (const ui::Exception& e) {
        app.ShowException(e);
    } catch (...) {
        app.ShowException(ui::Exception(L""));
    }
    ::RemovePropW(app.Handle(), kInstanceProp);
    return 0;
}
