// The three programs end to end, as a user meets them, in a Wine prefix made
// afresh for every run (tests/e2e/CMakeLists.txt): VelloSetup installs from
// the assembled setup folder in the second language, Finish hands the start
// of the installed control panel to the service, the uninstall entry's
// command removes everything but what the product keeps (the running panel
// closes on the uninstaller's broadcast, the clean-up program removes the
// uninstaller and its folder), and a second installation succeeds.
//
// The cases after the first need a full installation too and run in the
// same prefix afterwards, each from a system without the product: an
// uninstall while the panel does not answer, and an installation asked to
// stop at each of its steps. GoogleTest runs them in this order.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "InstalledState.h"
#include "SetupRuns.h"
#include "TestSupport.h"
#include "shared/AppExit.h"

namespace {

using Strings = std::vector<std::wstring>;
using State = std::map<std::wstring, std::wstring>;

constexpr DWORD kRunTimeoutMs = 120000;
constexpr DWORD kPanelTimeoutMs = 60000;
constexpr DWORD kCleanUpWaitMs = 40000;
const std::wstring kSetupFolder = L"C:\\VelloSetupKit\\";

std::wstring LanguageText(const std::wstring& language, const wchar_t* section, const wchar_t* key) {
    wchar_t text[256] = {};
    ::GetPrivateProfileStringW(section, key, L"", text, 256,
                               (kSetupFolder + L"Language\\" + language + L"\\Language.ini").c_str());
    return text;
}

std::wstring WithoutBackslash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// Right after a prefix is made its service manager holds its database for a
// while, and StartService fails meanwhile: wait until it can be locked.
bool ServiceManagerReady(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_LOCK);
        SC_LOCK lock = manager ? ::LockServiceDatabase(manager) : nullptr;
        const DWORD error = ::GetLastError();
        if (lock) ::UnlockServiceDatabase(lock);
        if (manager) ::CloseServiceHandle(manager);
        if (lock || (manager && error != ERROR_SERVICE_DATABASE_LOCKED)) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(200);
    }
}

// ---- the system as the product's programs leave it ---------------------------

void AddTopLevel(State& state, const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") state[L"entry " + folder + name] = L"";
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

void AddFiles(State& state, const std::wstring& folder) {
    for (const std::wstring& file : vt::FilesBelow(folder)) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ::GetFileAttributesExW((folder + file).c_str(), GetFileExInfoStandard, &data);
        state[L"file " + folder + file] = std::to_wstring(data.nFileSizeLow) + L" bytes";
    }
}

void AddValues(State& state, const std::wstring& key) {
    for (const auto& value : vt::RegValues(key, KEY_WOW64_64KEY)) state[L"value " + key + L"\\" + value.first] = value.second;
    if (vt::RegKeyExists(key)) state[L"key " + key] = L"";
}

const wchar_t* const kSystemFiles[] = {L"VelloService.exe", L"drivers\\VelloFlt.sys",
                                       L"Windows6.1-KB3033929-x64.msu"};
const wchar_t* const kProductKeys[] = {vt::kRunKey,      vt::kUninstallKey, vt::kSettingsKey, vt::kEncValueMapKey,
                                       vt::kUsbGroupKey, vt::kHidGroupKey,  vt::kDriverKey};

// Where VelloSetup writes, and what stands there: the install and user
// folders file by file, the folders around them entry by entry, the
// Start-menu programs, the desktop, the product's system files, registry
// keys and values, and the service.
State SystemState() {
    State state;
    AddTopLevel(state, vt::ProgramFilesFolder() + L"\\");
    AddFiles(state, vt::KitInstallFolder());
    AddTopLevel(state, vt::AppDataFolder() + L"\\");
    AddFiles(state, vt::KitUserFolder());
    AddFiles(state, vt::CommonProgramsFolder() + L"\\");
    AddTopLevel(state, vt::DesktopFolder());
    AddTopLevel(state, vt::CommonAppDataFolder());
    for (const wchar_t* file : kSystemFiles) {
        if (vt::FileExists(vt::SystemFolder() + file)) state[L"file " + vt::SystemFolder() + file] = L"";
    }
    for (const wchar_t* key : kProductKeys) AddValues(state, key);
    const DWORD service = vt::QueryService(vt::kServiceName).state;
    if (service != 0) state[L"service VelloService"] = service == SERVICE_RUNNING ? L"running" : service == SERVICE_STOPPED ? L"stopped" : L"other";
    return state;
}

// What an uninstall keeps of an installation: the driver's file and key, the
// update package, the service's registration (stopped), the settings and
// device-ID keys; and the clean-up program it leaves behind.
State KeptAfterUninstall(const State& before, const State& installed) {
    const std::wstring kept[] = {
        L"file " + vt::SystemFolder() + L"drivers\\VelloFlt.sys",
        L"file " + vt::SystemFolder() + L"Windows6.1-KB3033929-x64.msu",
        L"key " + std::wstring(vt::kDriverKey), L"value " + std::wstring(vt::kDriverKey) + L"\\",
        L"key " + std::wstring(vt::kSettingsKey), L"value " + std::wstring(vt::kSettingsKey) + L"\\",
        L"key " + std::wstring(vt::kEncValueMapKey), L"value " + std::wstring(vt::kEncValueMapKey) + L"\\",
        L"key " + std::wstring(vt::kUsbGroupKey), L"value " + std::wstring(vt::kUsbGroupKey) + L"\\",
        L"key " + std::wstring(vt::kHidGroupKey), L"value " + std::wstring(vt::kHidGroupKey) + L"\\",
    };
    State expected = before;
    for (const auto& entry : installed) {
        for (const std::wstring& prefix : kept) {
            if (entry.first.rfind(prefix, 0) == 0) expected.insert(entry);
        }
    }
    expected[L"service VelloService"] = L"stopped";
    for (const wchar_t* file : {L"FinalDeleteFile.exe", L"FinalDeleteFile.log"})
        expected[L"entry " + vt::CommonAppDataFolder() + file] = L"";
    return expected;
}

// The entries in which two states differ, for a readable failure.
std::string Difference(const State& actual, const State& expected) {
    std::string text;
    for (const auto& entry : actual) {
        const auto other = expected.find(entry.first);
        if (other == expected.end()) text += "  unexpected: " + vt::Narrow(entry.first) + "\n";
        else if (other->second != entry.second)
            text += "  changed: " + vt::Narrow(entry.first) + " = " + vt::Narrow(entry.second) + ", expected " +
                    vt::Narrow(other->second) + "\n";
    }
    for (const auto& entry : expected) {
        if (!actual.count(entry.first)) text += "  missing: " + vt::Narrow(entry.first) + "\n";
    }
    return text;
}

// ---- processes -------------------------------------------------------------------

// The modules a process has loaded, by path.
Strings ModulesOf(DWORD pid) {
    Strings modules;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32W module = {};
    module.dwSize = sizeof(module);
    for (BOOL more = ::Module32FirstW(snapshot, &module); more; more = ::Module32NextW(snapshot, &module))
        modules.push_back(module.szExePath);
    ::CloseHandle(snapshot);
    return modules;
}

bool HasModule(DWORD pid, const std::wstring& path) {
    for (const std::wstring& module : ModulesOf(pid)) {
        if (_wcsicmp(module.c_str(), path.c_str()) == 0) return true;
    }
    return false;
}

// Every thread of a process stopped while the object lives: the program
// runs on (its file stays in use) but answers nothing.
class StoppedProcess {
public:
    explicit StoppedProcess(DWORD pid) {
        HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != pid) continue;
            HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
            if (thread && ::SuspendThread(thread) != static_cast<DWORD>(-1)) threads_.push_back(thread);
            else if (thread) ::CloseHandle(thread);
        }
        ::CloseHandle(snapshot);
    }
    ~StoppedProcess() {
        for (HANDLE thread : threads_) {
            ::ResumeThread(thread);
            ::CloseHandle(thread);
        }
    }
    StoppedProcess(const StoppedProcess&) = delete;
    StoppedProcess& operator=(const StoppedProcess&) = delete;
    bool stopped() const { return !threads_.empty(); }

private:
    std::vector<HANDLE> threads_;
};

// The running control panel that the installation's Finish started.
struct RunningPanel {
    HWND window = nullptr;
    DWORD pid = 0;
    HANDLE process = nullptr;
    ~RunningPanel() {
        if (process) ::CloseHandle(process);
    }
};

void WaitForPanel(RunningPanel& panel) {
    panel.window = vt::WaitForPanelWindow(kPanelTimeoutMs);
    if (!panel.window) return;
    ::GetWindowThreadProcessId(panel.window, &panel.pid);
    panel.process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, panel.pid);
}

std::wstring ImageOf(HANDLE process) {
    wchar_t image[MAX_PATH] = {};
    DWORD chars = MAX_PATH;
    ::QueryFullProcessImageNameW(process, 0, image, &chars);
    return image;
}

// What one run of the uninstaller showed.
struct UninstallRun {
    vt::RunResult result;
    std::wstring caption;
    Strings boxes;
};

// Runs the uninstall entry's command the way Windows does (as it stands,
// unquoted) and presses the Uninstall button of the language given.
UninstallRun RunUninstallEntry(const std::wstring& language) {
    const std::wstring command = vt::RegValues(vt::kUninstallKey, KEY_WOW64_64KEY)[L"UninstallString"];
    const std::wstring button = LanguageText(language, L"Uninstall", L"LabelUninstallBtn");
    UninstallRun run;
    if (command.empty()) return run;
    bool pressed = false;
    run.result = vt::RunDebugged(command, kRunTimeoutMs, [&](DWORD pid) {
        vt::MessageBoxInfo box;
        if (vt::FindMessageBox(pid, box)) {
            run.boxes.push_back(box.caption + L": " + box.text);
            vt::AnswerMessageBox(box.hwnd);
        }
        HWND window = pressed ? nullptr : vt::WindowOfClass(pid, L"TMainForm");
        HWND uninstall = window ? vt::FindControl(window, L"Button", button) : nullptr;
        if (!uninstall || !::IsWindowEnabled(uninstall)) return;
        run.caption = vt::WindowText(window);
        pressed = true;
        // Posted: a sent click would wait for a child that waits for its
        // debugger, which is this thread.
        ::PostMessageW(uninstall, BM_CLICK, 0, 0);
    }, L"C:\\");
    return run;
}

Strings InstallStepLines(bool withPlugins) {
    Strings steps;
    for (const wchar_t* n : {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"8.1", L"9"}) {
        if (!withPlugins && (n == std::wstring(L"7") || n == std::wstring(L"8") || n == std::wstring(L"8.1"))) continue;
        steps.push_back(L"===== Install STEP" + std::wstring(n) + L" =====\n");
    }
    return steps;
}

Strings UninstallStepLines() {
    Strings steps;
    for (int n = 1; n <= 7; ++n) steps.push_back(L"===== Uninstall STEP" + std::to_wstring(n) + L" =====\n");
    steps.push_back(L"==> TMainForm::Execute_FinalDeleteFile\n");
    return steps;
}

std::wstring InstallFolderPath() { return WithoutBackslash(vt::KitInstallFolder()); }

// ---- the scenario ----------------------------------------------------------------

TEST(EndToEnd, InstallUseUninstallAndInstallAgain) {
    // A prefix that never saw the product.
    ASSERT_FALSE(vt::FileExists(vt::KitInstallFolder())) << "the prefix is not fresh";
    ASSERT_EQ(vt::QueryService(vt::kServiceName).state, 0u) << "the prefix is not fresh";
    ASSERT_TRUE(ServiceManagerReady(60000));
    const State before = SystemState();
    ASSERT_TRUE(vt::CopyTree(vt::Built(L"setup\\"), kSetupFolder));

    // 1. Install from the setup folder, in the second language.
    vt::SetupOptions install;
    install.language = L"Russian";
    install.pressFinish = true;
    vt::SetupRun setup = vt::RunSetup(kSetupFolder, install);
    ASSERT_TRUE(setup.result.started);
    EXPECT_FALSE(setup.result.timedOut);
    EXPECT_TRUE(setup.languagePicked) << "the wizard shows the Russian captions";
    EXPECT_TRUE(setup.boxes.empty()) << vt::Narrow(setup.boxes.empty() ? L"" : setup.boxes[0]);
    EXPECT_EQ(setup.result.exitCode, 0u);
    EXPECT_TRUE(setup.finishPressed);
    EXPECT_TRUE(vt::InOrder(setup.result.debug, InstallStepLines(true))) << vt::Narrow(setup.result.DebugText());
    EXPECT_FALSE(setup.result.HasDebug(L"===== Install STEP10 =====\n")) << "the kit does not ask for the update";
    vt::ExpectKitInstalled(kSetupFolder, L"Russian", "after the installation");
    wchar_t language[64] = {};
    ::GetPrivateProfileStringW(L"Language", L"DefaultLanguage", L"", language, 64,
                               (vt::KitUserFolder() + L"AudioConfig.cfg").c_str());
    EXPECT_STREQ(language, L"Russian") << "the user's choice";
    const State installed = SystemState();

    // 2. Finish handed the panel's start to the service, which started the
    // installed panel; it bound the device library of the install folder.
    RunningPanel panel;
    WaitForPanel(panel);
    ASSERT_NE(panel.window, nullptr) << "the installed control panel shows its window";
    ASSERT_NE(panel.process, nullptr);
    EXPECT_TRUE(vt::InOrder(vt::LogLines(vt::ServiceLogFile()),
                            {L"control 193", L"launched \"" + vt::InstalledPanel() + L"\" -servicestart"}))
        << vt::ReadFileBytes(vt::ServiceLogFile());
    EXPECT_EQ(ImageOf(panel.process), vt::InstalledPanel());
    EXPECT_TRUE(HasModule(panel.pid, vt::InstalledFile(L"DLLKQ_UsbAudio73xx_x32.dll")));

    // 3. The uninstall entry's command, with the panel still running: the
    // panel closes on the broadcast, everything goes but what the product
    // keeps, and the clean-up program removes the uninstaller and its folder.
    UninstallRun uninstall = RunUninstallEntry(L"Russian");
    ASSERT_TRUE(uninstall.result.started) << "the uninstall entry names a program";
    EXPECT_FALSE(uninstall.result.timedOut);
    EXPECT_EQ(uninstall.result.exitCode, 0u);
    EXPECT_EQ(uninstall.caption, LanguageText(L"Russian", L"Uninstall", L"LabelTitle") + L" (V1.0.0.0)");
    EXPECT_TRUE(uninstall.boxes.empty()) << vt::Narrow(uninstall.boxes.empty() ? L"" : uninstall.boxes[0]);
    EXPECT_TRUE(vt::InOrder(uninstall.result.debug, UninstallStepLines())) << vt::Narrow(uninstall.result.DebugText());
    EXPECT_EQ(::WaitForSingleObject(panel.process, 30000), WAIT_OBJECT_0) << "the running panel closed itself";
    DWORD panelExit = 1;
    ::GetExitCodeProcess(panel.process, &panelExit);
    EXPECT_EQ(panelExit, 0u) << "the panel ended the way the user ends it";
    EXPECT_EQ(vt::CleanUpLogWhenDone(kCleanUpWaitMs),
              (Strings{L"args " + vt::InstalledUninstaller() + L"|" + InstallFolderPath(),
                       L"deleted " + vt::InstalledUninstaller(), L"removed " + InstallFolderPath()}));
    const State uninstalled = SystemState();
    const State expected = KeptAfterUninstall(before, installed);
    EXPECT_EQ(uninstalled, expected) << Difference(uninstalled, expected);

    // 4. The uninstall left a consistent system: installing again succeeds.
    vt::SetupRun again = vt::RunSetup(kSetupFolder, vt::SetupOptions{});
    ASSERT_TRUE(again.result.started);
    EXPECT_FALSE(again.result.timedOut);
    EXPECT_TRUE(again.boxes.empty()) << vt::Narrow(again.boxes.empty() ? L"" : again.boxes[0]);
    EXPECT_EQ(again.result.exitCode, 0u);
    vt::ExpectKitInstalled(kSetupFolder, L"English", "after installing again");
}

// ---- failures that need a full installation ---------------------------------------

class FullInstallation : public ::testing::Test {
protected:
    void SetUp() override {
        vt::ResetInstalledState();
        if (!vt::FileExists(kSetupFolder)) {
            ASSERT_TRUE(vt::CopyTree(vt::Built(L"setup\\"), kSetupFolder));
        }
    }
    void TearDown() override { vt::ResetInstalledState(); }
};

// A control panel that does not answer the uninstaller's broadcast keeps
// running and keeps its program file and the device library it loaded: the
// uninstall waits for it a while, then removes everything else, says which
// files it could not delete, and the clean-up program leaves the folder that
// still holds them.
TEST_F(FullInstallation, UninstallWhileThePanelDoesNotAnswer) {
    const State before = SystemState();
    vt::SetupOptions install;
    install.pressFinish = true;
    vt::SetupRun setup = vt::RunSetup(kSetupFolder, install);
    ASSERT_EQ(setup.result.exitCode, 0u);
    ASSERT_TRUE(setup.finishPressed);
    const State installed = SystemState();
    RunningPanel panel;
    WaitForPanel(panel);
    ASSERT_NE(panel.process, nullptr);

    UninstallRun uninstall;
    {
        StoppedProcess stopped(panel.pid);
        ASSERT_TRUE(stopped.stopped());
        uninstall = RunUninstallEntry(L"English");
        EXPECT_EQ(vt::CleanUpLogWhenDone(kCleanUpWaitMs),
                  (Strings{L"args " + vt::InstalledUninstaller() + L"|" + InstallFolderPath(),
                           L"deleted " + vt::InstalledUninstaller(), L"not empty " + InstallFolderPath()}));
        EXPECT_EQ(::WaitForSingleObject(panel.process, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still running";
    }
    EXPECT_FALSE(uninstall.result.timedOut);
    EXPECT_EQ(uninstall.result.exitCode, 0u);
    EXPECT_TRUE(uninstall.boxes.empty()) << vt::Narrow(uninstall.boxes.empty() ? L"" : uninstall.boxes[0]);
    State expected = KeptAfterUninstall(before, installed);
    expected[L"entry " + vt::ProgramFilesFolder() + L"\\" + vt::kKitInstallFolderName] = L"";
    EXPECT_TRUE(uninstall.result.HasDebug(L"***** A program of " + vt::KitInstallFolder() + L" still runs after " +
                                          std::to_wstring(kProgramsEndWaitMs) + L" ms *****\n"))
        << vt::Narrow(uninstall.result.DebugText());
    for (const std::wstring& held : {vt::InstalledPanel(), vt::InstalledFile(L"DLLKQ_UsbAudio73xx_x32.dll")}) {
        EXPECT_TRUE(uninstall.result.DebugContains(L"***** " + held + L" is not deleted ("))
            << vt::Narrow(held) << "\n" << vt::Narrow(uninstall.result.DebugText());
        expected[L"file " + held] = installed.at(L"file " + held);
    }
    State uninstalled = SystemState();
    EXPECT_EQ(uninstalled, expected) << Difference(uninstalled, expected);

    // Once it answers again it closes (the broadcast waited for it) or is closed.
    ::PostMessageW(panel.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(panel.process, 30000), WAIT_OBJECT_0);
}

// Cancel and every close request, sent as each install step begins, are
// refused: the installation runs to its end and leaves exactly what an
// uninterrupted one leaves.
TEST_F(FullInstallation, CancelAndCloseAtEachStepLeaveTheSameInstallation) {
    vt::SetupRun reference = vt::RunSetup(kSetupFolder, vt::SetupOptions{});
    ASSERT_EQ(reference.result.exitCode, 0u);
    ASSERT_TRUE(reference.boxes.empty());
    const State expected = SystemState();
    const Strings steps = InstallStepLines(true);
    ASSERT_TRUE(vt::InOrder(reference.result.debug, steps));

    for (const std::wstring& step : steps) {
        const std::string row = vt::Narrow(step.substr(0, step.size() - 1));
        vt::ResetInstalledState();
        bool requested = false;
        vt::SetupOptions options;
        options.onDebug = [&](DWORD pid, const std::wstring& line) {
            if (line != step) return;
            vt::PostCloseRequests(pid);
            requested = true;
        };
        vt::SetupRun run = vt::RunSetup(kSetupFolder, options);
        EXPECT_TRUE(requested) << row;
        EXPECT_FALSE(run.result.timedOut) << row;
        EXPECT_FALSE(run.wizardVanished) << row << ": the wizard closed while the installation ran";
        EXPECT_TRUE(run.finishPage) << row << ": the wizard reached its finish page";
        EXPECT_TRUE(run.boxes.empty()) << row << ": " << vt::Narrow(run.boxes.empty() ? L"" : run.boxes[0]);
        EXPECT_EQ(run.result.exitCode, reference.result.exitCode) << row;
        const State state = SystemState();
        EXPECT_EQ(state, expected) << row << "\n" << Difference(state, expected);
    }
}

}  // namespace
