// VelloSetup and VelloUninstall of the 32-bit release as they ship, on 64-bit
// Windows (WOW64), in a prefix of their own made anew for every run. The
// setup folder the build assembles installs the product the way 64-bit
// Windows needs it: the 64-bit driver and service written into the native
// system folders and the service running as a 64-bit process; the programs
// under Program Files (x86); the settings, Run value and uninstall entry in
// the 32-bit registry view, the driver's key where the kernel reads it.
// Finish starts the installed panel through that 64-bit service, which finds
// its command line in the 32-bit view. The installed uninstaller removes what
// it must, natively too, and leaves what it must. Both programs are started
// as the user starts them (no debugger); what they did is read from outside.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <shlobj.h>

#include "InstalledKit.h"
#include "InstalledState.h"
#include "TestSupport.h"
#include "Wow64Files.h"
#include "shared/ScopedWin.h"

namespace {

// Generous: under an emulated 32-bit Wine a program takes seconds to start.
constexpr DWORD kRunTimeoutMs = 240000;
constexpr DWORD kCleanUpWaitMs = 60000;
constexpr DWORD kExitInstalled = 0;

using arch32::Exists;
using arch32::ExistsNatively;
using arch32::ReadNatively;
using vt::Values;

std::wstring Built(const std::wstring& file) { return vt::BinDir() + L"..\\" + file; }
std::wstring Install(const std::wstring& file) { return vt::KitInstallFolder() + file; }
std::wstring Panel() { return Install(L"VelloPanel.exe"); }
std::wstring Uninstaller() { return Install(L"VelloUninstall.exe"); }
std::wstring InstallFolderPath() { return vt::ProgramFilesFolder() + L"\\" + vt::kKitInstallFolderName; }
// In the native system folder: C:\windows\system32\... with the redirection off.
std::wstring Native(const std::wstring& file) { return arch32::SystemFolder() + file; }
std::wstring CleanUpLog() { return vt::CommonAppDataFolder() + L"FinalDeleteFile.log"; }

std::wstring FolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Program Files as 64-bit programs see it.
std::wstring ProgramFiles64() {
    return vt::RegValues(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_WOW64_64KEY)[L"ProgramFilesDir"];
}

bool SameNatively(const std::wstring& nativePath, const std::wstring& builtFile) {
    const std::string bytes = ReadNatively(nativePath);
    return !bytes.empty() && bytes == vt::ReadFileBytes(builtFile);
}

// The machine a program file is built for (IMAGE_FILE_MACHINE_...), 0 when
// it is no program.
WORD MachineOf(const std::string& image) {
    DWORD pe = 0;
    WORD machine = 0;
    if (image.size() < 0x40) return 0;
    std::memcpy(&pe, image.data() + 0x3C, sizeof(pe));
    if (pe + 6 > image.size() || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    std::memcpy(&machine, image.data() + pe + 4, sizeof(machine));
    return machine;
}

// Only the named value of a key's values (nothing when it is missing).
Values Only(const Values& values, const std::wstring& name) {
    Values one;
    auto found = values.find(name);
    if (found != values.end()) one.insert(*found);
    return one;
}

// A REG_EXPAND_SZ value as stored (not expanded); empty when it is not one.
std::wstring ExpandSzValue(const std::wstring& path, const wchar_t* name, REGSAM view) {
    win::RegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS)
        return L"";
    wchar_t data[512] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    return ::RegGetValueW(key.get(), nullptr, name, RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, data, &size) ==
                   ERROR_SUCCESS
               ? data
               : L"";
}

std::vector<std::wstring> ServiceLog() {
    arch32::NativeFileSystem native;
    return vt::LogLines(Native(L"VelloService.log"));
}

// A running process: whether it is a 32-bit one under WOW64, and its program.
struct ProcessInfo {
    bool found = false;
    bool wow64 = false;
    std::wstring image;
};

ProcessInfo InfoOfProcess(DWORD pid) {
    ProcessInfo info;
    win::Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return info;
    BOOL wow64 = FALSE;
    wchar_t image[MAX_PATH] = {};
    DWORD chars = MAX_PATH;
    info.found =
        ::IsWow64Process(process.get(), &wow64) && ::QueryFullProcessImageNameW(process.get(), 0, image, &chars);
    info.wow64 = wow64 != FALSE;
    info.image = image;
    return info;
}

ProcessInfo ServiceProcess(const wchar_t* name) {
    win::ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    win::ServiceHandle service(manager ? ::OpenServiceW(manager.get(), name, SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!service || !::QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                            sizeof(status), &needed) ||
        !status.dwProcessId)
        return ProcessInfo();
    return InfoOfProcess(status.dwProcessId);
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// One run of a program, started as a plain child: step is called about
// every 100 ms while it runs, after any message box has been recorded and
// answered.
struct ProgramRun {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    bool wow64 = false;               // IsWow64Process on the program
    std::vector<std::wstring> boxes;  // "caption: text"

    std::string FirstBox() const { return boxes.empty() ? std::string() : vt::Narrow(boxes[0]); }
};

ProgramRun RunProgram(const std::wstring& commandLine, const std::wstring& workDir,
                      const std::function<void(DWORD pid)>& step) {
    ProgramRun run;
    vt::Child child;
    run.started = child.Start(commandLine, workDir);
    if (!run.started) return run;
    BOOL wow64 = FALSE;
    run.wow64 = ::IsWow64Process(child.process(), &wow64) && wow64;
    std::set<HWND> answered;
    const DWORD start = ::GetTickCount();
    while (!(run.ended = child.Wait(100, &run.exitCode)) && ::GetTickCount() - start < kRunTimeoutMs) {
        vt::MessageBoxInfo box;
        if (vt::FindMessageBox(child.pid(), box)) {
            if (answered.insert(box.hwnd).second) run.boxes.push_back(box.caption + L": " + box.text);
            vt::AnswerMessageBox(box.hwnd);
            continue;
        }
        step(child.pid());
    }
    return run;  // a program still running is ended with the child
}

using vt::WindowOfClass;

HWND UsableButton(HWND window, const wchar_t* caption) {
    HWND button = vt::FindControl(window, L"Button", caption);
    return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button) ? button : nullptr;
}

// VelloSetup from the folder: Next on the first page, then on the finish
// page Finish (with "restart later" chosen) or a close.
ProgramRun RunSetup(const std::wstring& folder, bool pressFinish, bool* finishPressed) {
    enum Stage { kFirstPage, kInstalling, kDone } stage = kFirstPage;
    *finishPressed = false;
    return RunProgram(L"\"" + folder + L"VelloSetup.exe\"", L"", [&](DWORD pid) {
        HWND wizard = WindowOfClass(pid, L"TMainForm");
        if (!wizard || stage == kDone) return;
        if (stage == kFirstPage) {
            if (HWND next = UsableButton(wizard, L"Next >")) {
                ::PostMessageW(next, BM_CLICK, 0, 0);
                stage = kInstalling;
            }
            return;
        }
        HWND finish = UsableButton(wizard, L"Finish");
        if (!finish) return;
        HWND later = vt::FindControl(wizard, L"Button", L"No - restart later");
        if (pressFinish && later && ::SendMessageW(later, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            ::PostMessageW(finish, BM_CLICK, 0, 0);
            *finishPressed = true;
        } else {
            ::PostMessageW(wizard, WM_CLOSE, 0, 0);
        }
        stage = kDone;
    });
}

BOOL CALLBACK CollectButton(HWND child, LPARAM buttons) {
    if (vt::WindowClass(child) == L"Button") reinterpret_cast<std::vector<HWND>*>(buttons)->push_back(child);
    return TRUE;
}

// The installed uninstaller, its Uninstall button pressed (the left one of
// its two: the captions come from the language file).
ProgramRun RunUninstaller(std::wstring* caption) {
    bool pressed = false;
    return RunProgram(L"\"" + Uninstaller() + L"\"", L"C:\\", [&](DWORD pid) {
        HWND window = pressed ? nullptr : WindowOfClass(pid, L"TMainForm");
        if (!window) return;
        std::vector<HWND> buttons;
        ::EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&buttons));
        if (buttons.size() != 2) return;
        RECT a = {}, b = {};
        ::GetWindowRect(buttons[0], &a);
        ::GetWindowRect(buttons[1], &b);
        *caption = vt::WindowText(window);
        ::PostMessageW(a.left < b.left ? buttons[0] : buttons[1], BM_CLICK, 0, 0);
        pressed = true;
    });
}

// The clean-up program's log once it has ended its work (or after the wait).
std::vector<std::wstring> CleanUpLines() {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const std::vector<std::wstring> lines = vt::LogLines(CleanUpLog());
        for (const std::wstring& line : lines) {
            for (const wchar_t* last : {L"removed ", L"not empty ", L"not removed ", L"refused "})
                if (line.rfind(last, 0) == 0) return lines;
        }
        if (::GetTickCount() - start > kCleanUpWaitMs) return lines;
        ::Sleep(200);
    }
}

// The driver's service key as the installer writes it (one key for both
// views: the services key is not redirected).
const Values kDriverValues = {
    {L"ErrorControl", vt::Dword(1)}, {L"Start", vt::Dword(3)}, {L"Type", vt::Dword(1)}, {L"ImagePath", L"type:2"}};

class InstallSmoke : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        ASSERT_TRUE(vt::CopyTree(Built(L"setup\\"), setup_.path()));
    }
    void TearDown() override { Reset(); }

    // Removes the product, the native system files included (the shared reset
    // sees system32 through the redirection).
    static void Reset() {
        vt::ResetInstalledState();
        arch32::NativeFileSystem native;
        for (const wchar_t* file : {L"VelloService.exe", L"VelloService.log", L"drivers\\VelloFlt.sys"}) {
            // The service's process may still be ending.
            const std::wstring path = Native(file);
            for (int i = 0; i < 50 && !::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND; ++i)
                ::Sleep(100);
        }
    }

    ProgramRun RunTheInstaller(bool pressFinish) {
        bool finishPressed = false;
        ProgramRun run = RunSetup(setup_.path(), pressFinish, &finishPressed);
        EXPECT_TRUE(run.started);
        EXPECT_TRUE(run.ended) << "VelloSetup did not end";
        EXPECT_TRUE(run.wow64) << "VelloSetup runs as a 32-bit program under WOW64";
        EXPECT_TRUE(run.boxes.empty()) << run.FirstBox();
        EXPECT_EQ(finishPressed, pressFinish) << "the finish page offers Finish with \"restart later\"";
        EXPECT_EQ(run.exitCode, kExitInstalled);
        return run;
    }

    // What the installation left: the 64-bit driver and service natively,
    // the registry views, the service process, the files and shortcuts.
    void ExpectInstalledForWow64() {
        // The installer takes the branch of a 64-bit system: the payloads of
        // the 64-bit builds in the native folders, nothing in syswow64.
        ASSERT_NE(vt::ReadFileBytes(Built(L"payload\\driver-x64\\VelloFlt.sys")),
                  vt::ReadFileBytes(Built(L"payload\\driver-native\\VelloFlt.sys")));
        EXPECT_TRUE(SameNatively(Native(L"drivers\\VelloFlt.sys"), Built(L"payload\\driver-x64\\VelloFlt.sys")));
        EXPECT_TRUE(SameNatively(Native(L"VelloService.exe"), Built(L"payload\\service-x64\\VelloService.exe")));
        EXPECT_EQ(MachineOf(ReadNatively(Native(L"VelloService.exe"))), IMAGE_FILE_MACHINE_AMD64);
        for (const wchar_t* file : {L"drivers\\VelloFlt.sys", L"VelloService.exe"})
            EXPECT_FALSE(Exists(arch32::Syswow64Folder() + file)) << vt::Narrow(file) << " in syswow64";

        // The service: registered by the 64-bit program's own run, started
        // from the native folder as a 64-bit process.
        const vt::ServiceInfo service = vt::QueryService(vt::kServiceName);
        EXPECT_EQ(service.state, static_cast<DWORD>(SERVICE_RUNNING));
        EXPECT_EQ(service.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
        EXPECT_EQ(service.serviceType & SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
        EXPECT_EQ(service.binaryPath, L"\"" + Native(L"VelloService.exe") + L"\" VelloService");
        const ProcessInfo process = ServiceProcess(vt::kServiceName);
        EXPECT_TRUE(process.found) << "the service's process";
        EXPECT_FALSE(process.wow64) << "the service runs as a 64-bit process";
        EXPECT_TRUE(SamePath(process.image, Native(L"VelloService.exe"))) << vt::Narrow(process.image);
        const std::vector<std::wstring> log = ServiceLog();
        EXPECT_TRUE(!log.empty() && log.front() == L"start") << vt::Narrow(log.empty() ? L"(no log)" : log.front());

        // The registry: what the installer writes under SOFTWARE lies in the
        // 32-bit view only; the driver's key is where the kernel reads it.
        struct ViewCase {
            const char* name;
            std::wstring key;
            const wchar_t* value;  // only this value of the key; null: all of them
            Values in32BitView;
            Values in64BitView;
        };
        const ViewCase views[] = {
            {"settings key", vt::kSettingsKey, nullptr, vt::KitSettingsValues(), {}},
            {"uninstall entry", vt::kUninstallKey, nullptr, vt::KitUninstallValues(), {}},
            {"Run value", vt::kRunKey, vt::kKitRunValueName,
             {{vt::kKitRunValueName, L"\"" + Panel() + L"\" -boot"}}, {}},
            {"driver's service key", vt::kDriverKey, nullptr, kDriverValues, kDriverValues},
        };
        for (const ViewCase& c : views) {
            for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
                const Values values = vt::RegValues(c.key, view);
                EXPECT_EQ(c.value ? Only(values, c.value) : values,
                          view == KEY_WOW64_32KEY ? c.in32BitView : c.in64BitView)
                    << c.name << (view == KEY_WOW64_32KEY ? " in the 32-bit view" : " in the 64-bit view");
            }
        }
        EXPECT_EQ(ExpandSzValue(vt::kDriverKey, L"ImagePath", KEY_WOW64_64KEY), L"System32\\DRIVERS\\VelloFlt.sys");
        for (const wchar_t* group : {vt::kUsbGroupKey, vt::kHidGroupKey}) {
            EXPECT_FALSE(vt::RegValues(group, KEY_WOW64_32KEY).empty()) << vt::Narrow(group);
            EXPECT_TRUE(vt::RegValues(group, KEY_WOW64_64KEY).empty()) << vt::Narrow(group);
        }

        // The install folder under Program Files (x86), exactly its files,
        // each equal to its source; nothing under the 64-bit Program Files.
        EXPECT_EQ(vt::KitInstallFolder(), FolderPath(CSIDL_PROGRAM_FILESX86) + L"\\Vello Audio\\");
        EXPECT_FALSE(ProgramFiles64().empty());
        EXPECT_FALSE(Exists(ProgramFiles64() + L"\\Vello Audio"));
        const auto expected = vt::KitInstallFiles(setup_.path());
        std::set<std::wstring> names;
        for (const auto& file : expected) names.insert(file.first);
        EXPECT_EQ(vt::FilesBelow(vt::KitInstallFolder()), names);
        for (const auto& file : expected)
            EXPECT_TRUE(vt::SameBytes(Install(file.first), file.second)) << vt::Narrow(file.first);
        EXPECT_EQ(MachineOf(vt::ReadFileBytes(Panel())), IMAGE_FILE_MACHINE_I386);

        // The shortcuts and the user's copies of the settings.
        const std::wstring menu = vt::KitStartMenuFolder();
        EXPECT_EQ(vt::FilesBelow(menu), (std::set<std::wstring>{L"Uninstall Vello Audio.lnk", L"Vello Audio Center.lnk",
                                                                L"Vello Audio Manual.lnk"}));
        EXPECT_EQ(vt::ShortcutTarget(menu + L"Vello Audio Center.lnk"), Panel());
        EXPECT_EQ(vt::ShortcutTarget(menu + L"Uninstall Vello Audio.lnk"), Uninstaller());
        EXPECT_EQ(vt::ShortcutTarget(menu + L"Vello Audio Manual.lnk"),
                  Install(L"Manual\\English\\VelloAudioManual.html"));
        EXPECT_EQ(vt::ShortcutTarget(vt::DesktopFolder() + vt::kKitDesktopShortcut), Panel());
        EXPECT_EQ(vt::FilesBelow(vt::KitUserFolder()),
                  (std::set<std::wstring>{L"AudioConfig.cfg", L"DefaultProfile.ini"}));
    }

    vt::TempDir setup_;
};

// The installation as the wizard leaves it (closed on its finish page), then
// the installed uninstaller.
TEST_F(InstallSmoke, SetupInstallsForA64BitSystemAndUninstallRemovesIt) {
    const ProgramRun setup = RunTheInstaller(false);
    ASSERT_TRUE(setup.ended && setup.exitCode == kExitInstalled);
    ExpectInstalledForWow64();

    std::wstring caption;
    const ProgramRun run = RunUninstaller(&caption);
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.ended) << "VelloUninstall did not end";
    EXPECT_TRUE(run.wow64) << "VelloUninstall runs as a 32-bit program under WOW64";
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(caption, L"Vello Audio Center Uninstall (V1.0.0.0)");
    EXPECT_TRUE(run.boxes.empty()) << run.FirstBox();

    // The clean-up program it carries took the uninstaller and then the
    // install folder under Program Files (x86), which nothing else was left in.
    const std::vector<std::wstring> cleanUp = CleanUpLines();
    EXPECT_EQ(vt::FilesBelow(InstallFolderPath() + L"\\"), std::set<std::wstring>()) << "left in the install folder";
    EXPECT_EQ(cleanUp, (std::vector<std::wstring>{L"args " + Uninstaller() + L"|" + InstallFolderPath(),
                                                  L"deleted " + Uninstaller(), L"removed " + InstallFolderPath()}));
    EXPECT_FALSE(Exists(InstallFolderPath()));
    EXPECT_TRUE(vt::SameBytes(vt::CommonAppDataFolder() + L"FinalDeleteFile.exe", vt::BinPath(L"FinalDeleteFile.exe")));

    // Gone: the service's program from the native folder, the user's folder,
    // the shortcuts, the Run value and the uninstall entry in both views.
    EXPECT_FALSE(ExistsNatively(Native(L"VelloService.exe")));
    EXPECT_FALSE(Exists(vt::KitUserFolder()));
    EXPECT_FALSE(Exists(vt::KitStartMenuFolder()));
    EXPECT_FALSE(Exists(vt::DesktopFolder() + vt::kKitDesktopShortcut));
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        const char* name = view == KEY_WOW64_32KEY ? "32-bit view" : "64-bit view";
        EXPECT_EQ(vt::RegValues(vt::kRunKey, view).count(vt::kKitRunValueName), 0u) << name;
        EXPECT_TRUE(vt::RegValues(vt::kUninstallKey, view).empty()) << name;
    }

    // Kept: the service's registration (stopped), the driver's key and
    // native file, the settings and device-ID groups in the 32-bit view.
    EXPECT_EQ(vt::QueryService(vt::kServiceName).state, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_TRUE(vt::InOrder(ServiceLog(), {L"start", L"control 128", L"stop"}));
    EXPECT_EQ(vt::RegValues(vt::kDriverKey, KEY_WOW64_64KEY), kDriverValues);
    EXPECT_TRUE(SameNatively(Native(L"drivers\\VelloFlt.sys"), Built(L"payload\\driver-x64\\VelloFlt.sys")));
    EXPECT_EQ(vt::RegValues(vt::kSettingsKey, KEY_WOW64_32KEY), vt::KitSettingsValues());
    EXPECT_FALSE(vt::RegValues(vt::kUsbGroupKey, KEY_WOW64_32KEY).empty());
    EXPECT_FALSE(vt::RegValues(vt::kHidGroupKey, KEY_WOW64_32KEY).empty());
}

// Finish starts the installed panel; the panel hands its start to the
// service, a 64-bit process, which reads the panel's command line from the
// 32-bit view and starts the 32-bit panel.
TEST_F(InstallSmoke, FinishStartsThePanelThroughThe64BitService) {
    const ProgramRun setup = RunTheInstaller(true);
    ASSERT_TRUE(setup.ended && setup.exitCode == kExitInstalled);

    HWND panel = nullptr;
    const DWORD start = ::GetTickCount();
    while (!(panel = ::FindWindowW(L"TAudioMainForm", nullptr)) || !::IsWindowVisible(panel)) {
        if (::GetTickCount() - start > kRunTimeoutMs) break;
        ::Sleep(200);
    }
    ASSERT_NE(panel, nullptr) << "the installed control panel shows its window";
    const std::vector<std::wstring> log = ServiceLog();
    EXPECT_TRUE(vt::InOrder(log, {L"start", L"control 193", L"launched \"" + Panel() + L"\" -servicestart"}))
        << vt::Narrow(log.empty() ? L"(no service log)" : log.back());
    const ProcessInfo service = ServiceProcess(vt::kServiceName);
    EXPECT_TRUE(service.found && !service.wow64) << "the service that started it is a 64-bit process";
    DWORD pid = 0;
    ::GetWindowThreadProcessId(panel, &pid);
    const ProcessInfo process = InfoOfProcess(pid);
    EXPECT_TRUE(process.wow64) << "the panel runs as a 32-bit program under WOW64";
    EXPECT_TRUE(SamePath(process.image, Panel())) << vt::Narrow(process.image);

    win::Handle handle(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    ::PostMessageW(panel, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(handle.get(), kRunTimeoutMs), WAIT_OBJECT_0) << "the panel ends on WM_CLOSE";
}

}  // namespace
