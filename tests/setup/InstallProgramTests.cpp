// VelloSetup installing for real, run as a process from copies of the
// assembled setup folder (the sample kit, the stand-in device library and
// the program) in the setup prefix: the whole installation from the kit and
// the control panel's start through the service afterwards, a second
// installation over the first, one failure per install step, and the refusal
// to install over an earlier version. Each case checks the program's boxes,
// debugger output and exit code, and what it left on the system.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "InstalledState.h"
#include "TestSupport.h"
#include "shared/ServiceControl.h"

namespace {

constexpr DWORD kRunTimeoutMs = 120000;
constexpr DWORD kPanelTimeoutMs = 60000;
constexpr DWORD kExitInstalled = 0;
constexpr DWORD kExitPreviousVersion = 3;

const std::wstring kProgramsLinkFolder = L"Vello Audio\\";
constexpr wchar_t kFailureText[] = L"The installation failed. Error code:";

std::wstring BuildDir() { return vt::BinDir() + L"..\\"; }
std::wstring Built(const std::wstring& file) { return BuildDir() + file; }

bool Bytes(const std::wstring& path, const std::wstring& samePath) {
    const std::string a = vt::ReadFileBytes(path);
    return !a.empty() && a == vt::ReadFileBytes(samePath);
}

std::wstring Install(const std::wstring& file) { return vt::KitInstallFolder() + file; }
std::wstring Panel() { return Install(L"VelloPanel.exe"); }
std::wstring Uninstaller() { return Install(L"VelloUninstall.exe"); }
std::wstring ServiceLog() { return vt::SystemFolder() + L"VelloService.log"; }

// Relative paths of every file below folder (which ends in '\').
void ListFiles(const std::wstring& folder, const std::wstring& relative, std::set<std::wstring>& files) {
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + relative + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListFiles(folder, relative + name + L"\\", files);
        else files.insert(relative + name);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

std::set<std::wstring> FilesBelow(const std::wstring& folder, const std::wstring& relative = L"") {
    std::set<std::wstring> files;
    ListFiles(folder, relative, files);
    return files;
}

// A registry text value and its type; empty text when missing.
std::wstring RegText(const std::wstring& key, const wchar_t* name, DWORD* type) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    *type = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, data, &size) !=
        ERROR_SUCCESS)
        return L"";
    return data;
}

std::wstring KeyClass(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"";
    wchar_t cls[64] = {};
    DWORD chars = 64;
    ::RegQueryInfoKeyW(key, cls, &chars, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr);
    ::RegCloseKey(key);
    return cls;
}

// The fifteen command lines the service starts programs by.
std::map<std::wstring, std::wstring> ExecutionValues(const std::wstring& pluginFolder) {
    const struct {
        const wchar_t* name;
        const wchar_t* startSwitch;
    } contexts[] = {
        {L"UserPrivilegeExecution_%lc0", L" -servicestart"},        {L"AdminPrivilegeExecution_%lc1", L" -servicestart"},
        {L"SystemPrivilegeExecution_%lc2", L" -servicestart"},      {L"SystemPrivilegeExecutionOnBoot_%lc3", L" -serviceboot"},
        {L"AdminPrivilegeExecutionOnBoot_%lc4", L" -serviceboot"},
    };
    const std::pair<wchar_t, std::wstring> programs[] = {
        {L'C', Panel()},
        {L'B', Install(pluginFolder + L"\\VelloEffect\\VelloEffect.exe")},
        {L'D', Install(pluginFolder + L"\\VelloSoundFX\\VelloSoundFX.exe")},
    };
    std::map<std::wstring, std::wstring> values;
    for (const auto& program : programs) {
        for (const auto& context : contexts) {
            wchar_t name[64];
            swprintf(name, 64, context.name, program.first);
            values[name] = L"\"" + program.second + L"\"" + context.startSwitch;
        }
    }
    return values;
}

// The settings key as a kit installation leaves it: the defaults and the
// fifteen command lines.
std::map<std::wstring, std::wstring> KitSettingsValues() {
    std::map<std::wstring, std::wstring> values = ExecutionValues(L"Plugin");
    const std::pair<const wchar_t*, DWORD> defaults[] = {
        {L"EncEnable", 1}, {L"TimbrexEnable", 0}, {L"TimbrexLevel", 2},
        {L"Virtual7ch1Scalar", 20}, {L"EncScalar", 10}, {L"EncGpio", 2},
    };
    for (const auto& d : defaults) values[d.first] = vt::Dword(d.second);
    return values;
}

bool HasExecutionValues() { return vt::RegValues(vt::kSettingsKey).count(L"UserPrivilegeExecution_C0") != 0; }

// Evidence that a step ran to its end, with the sample kit.
struct StepEvidence {
    const char* step;
    std::function<bool()> done;
};
const StepEvidence kStepEvidence[] = {
    {"STEP1",
     [] {
         return vt::RegKeyExists(vt::kDriverKey) &&
                Bytes(vt::SystemFolder() + L"drivers\\VelloFlt.sys", Built(L"payload\\driver-native\\VelloFlt.sys"));
     }},
    {"STEP2",
     [] {
         return Bytes(vt::SystemFolder() + L"VelloService.exe", vt::BinPath(L"VelloService.exe")) &&
                vt::QueryService(vt::kServiceName).state == SERVICE_RUNNING && HasExecutionValues();
     }},
    {"STEP3", [] { return Bytes(Panel(), vt::BinPath(L"VelloPanel.exe")) && vt::RegValues(vt::kRunKey).count(L"VelloPanel"); }},
    {"STEP4", [] { return Bytes(Uninstaller(), vt::BinPath(L"VelloUninstall.exe")) && vt::RegKeyExists(vt::kUninstallKey); }},
    {"STEP5", [] { return vt::FileExists(Install(L"DLLKQ_UsbAudio73xx_x32.dll")); }},
    {"STEP6", [] { return vt::FileExists(Install(L"Manual\\English\\VelloAudioManual.html")); }},
    {"STEP7", [] { return vt::FileExists(Install(L"Plugin")); }},
    {"STEP8", [] { return Bytes(Install(L"Plugin\\VelloEffect\\VelloEffect.exe"), Built(L"bin\\companion\\VelloEffect.exe")); }},
    {"STEP8.1",
     [] { return Bytes(Install(L"Plugin\\VelloSoundFX\\VelloSoundFX.exe"), Built(L"bin\\companion\\VelloSoundFX.exe")); }},
};

HWND WindowOfClass(DWORD pid, const wchar_t* cls) {
    for (HWND w : vt::ProcessWindows(pid, true)) {
        if (vt::WindowClass(w) == cls) return w;
    }
    return nullptr;
}

bool IsChecked(HWND button) { return button && ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Whether the lines appear in this order among the debug output.
bool InOrder(const std::vector<std::wstring>& debug, const std::vector<std::wstring>& lines) {
    size_t next = 0;
    for (const std::wstring& d : debug) {
        if (next < lines.size() && d == lines[next]) ++next;
    }
    return next == lines.size();
}

// One run of VelloSetup: Next on the first page, every box answered, and on
// the finish page Finish (only with "restart later" chosen) or a close.
struct SetupRun {
    vt::RunResult result;
    std::vector<std::wstring> boxes;  // "caption: text"
    bool finishPage = false;
    bool finishPressed = false;
};

SetupRun RunSetup(const std::wstring& folder, bool pressFinish) {
    enum Stage { kFirstPage, kInstalling, kDone } stage = kFirstPage;
    SetupRun run;
    run.result = vt::RunDebugged(L"\"" + folder + L"VelloSetup.exe\"", kRunTimeoutMs, [&](DWORD pid) {
        vt::MessageBoxInfo box;
        if (vt::FindMessageBox(pid, box)) {
            run.boxes.push_back(box.caption + L": " + box.text);
            vt::AnswerMessageBox(box.hwnd);
            return;
        }
        HWND wizard = WindowOfClass(pid, L"TMainForm");
        if (!wizard) return;
        switch (stage) {
        case kFirstPage:
            if (HWND next = vt::FindControl(wizard, L"Button", L"Next >")) {
                if (!::IsWindowEnabled(next)) break;
                ::PostMessageW(next, BM_CLICK, 0, 0);
                stage = kInstalling;
            }
            break;
        case kInstalling: {
            HWND finish = vt::FindControl(wizard, L"Button", L"Finish");
            if (!finish || !::IsWindowVisible(finish) || !::IsWindowEnabled(finish)) break;
            run.finishPage = true;
            const bool restartLater = IsChecked(vt::FindControl(wizard, L"Button", L"No - restart later"));
            if (pressFinish && restartLater) {
                ::PostMessageW(finish, BM_CLICK, 0, 0);
                run.finishPressed = true;
            } else {
                ::PostMessageW(wizard, WM_CLOSE, 0, 0);
            }
            stage = kDone;
            break;
        }
        case kDone: break;
        }
    });
    return run;
}

// The control panel's main window, shown by any process.
HWND WaitForPanelWindow(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND w = ::FindWindowW(L"TAudioMainForm", nullptr);
        if (w && ::IsWindowVisible(w)) return w;
        if (::GetTickCount() - start > timeoutMs) return nullptr;
        ::Sleep(200);
    }
}

class InstallProgram : public ::testing::Test {
protected:
    void SetUp() override {
        vt::ResetInstalledState();
        ASSERT_TRUE(vt::CopyTree(Built(L"setup\\"), setup.path()));
    }
    void TearDown() override { vt::ResetInstalledState(); }

    std::wstring Setup(const std::wstring& file) const { return setup / file; }

    // Files the kit's installation puts into the install folder, each with
    // the file it must equal.
    std::map<std::wstring, std::wstring> KitInstallFiles() const {
        std::map<std::wstring, std::wstring> files;
        for (const wchar_t* tree : {L"Skin\\", L"Language\\", L"Manual\\English\\", L"Plugin\\"}) {
            for (const std::wstring& file : FilesBelow(setup.path(), tree)) files[file] = Setup(file);
        }
        for (const wchar_t* file : {L"AudioConfig.cfg", L"Vello.ico", L"VelloUninstall.ico", L"bee.wav",
                                    L"DLLKQ_UsbAudio73xx_x32.dll"})
            files[file] = Setup(file);
        files[L"VelloPanel.exe"] = vt::BinPath(L"VelloPanel.exe");
        files[L"VelloUninstall.exe"] = vt::BinPath(L"VelloUninstall.exe");
        files[L"Plugin\\VelloEffect\\VelloEffect.exe"] = Built(L"bin\\companion\\VelloEffect.exe");
        files[L"Plugin\\VelloSoundFX\\VelloSoundFX.exe"] = Built(L"bin\\companion\\VelloSoundFX.exe");
        return files;
    }

    void ExpectKitInstalled(const char* when) {
        SCOPED_TRACE(when);
        // The driver: its service key and the file of the system's build.
        DWORD type = 0;
        EXPECT_EQ(RegText(vt::kDriverKey, L"ImagePath", &type), L"System32\\DRIVERS\\VelloFlt.sys");
        EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
        EXPECT_EQ(vt::RegValues(vt::kDriverKey),
                  (std::map<std::wstring, std::wstring>{{L"ErrorControl", vt::Dword(1)},
                                                        {L"Start", vt::Dword(3)},
                                                        {L"Type", vt::Dword(1)},
                                                        {L"ImagePath", L"type:2"}}));
        EXPECT_EQ(KeyClass(vt::kDriverKey), L"VelloFlt");
        EXPECT_TRUE(Bytes(vt::SystemFolder() + L"drivers\\VelloFlt.sys", Built(L"payload\\driver-native\\VelloFlt.sys")));

        // The service: registered from the system folder, running.
        EXPECT_TRUE(Bytes(vt::SystemFolder() + L"VelloService.exe", vt::BinPath(L"VelloService.exe")));
        const vt::ServiceInfo service = vt::QueryService(vt::kServiceName);
        EXPECT_EQ(service.state, static_cast<DWORD>(SERVICE_RUNNING));
        EXPECT_EQ(service.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
        EXPECT_EQ(service.serviceType & SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
        EXPECT_EQ(service.binaryPath, L"\"" + vt::SystemFolder() + L"VelloService.exe\" VelloService");

        // The settings key with the command lines, in the programs' own view
        // (the 64-bit one for this build); nothing in the other view.
        EXPECT_EQ(vt::RegValues(vt::kSettingsKey, KEY_WOW64_64KEY), KitSettingsValues());
        EXPECT_TRUE(vt::RegValues(vt::kSettingsKey, KEY_WOW64_32KEY).empty());

        // The Run value, the uninstall entry and the shortcuts.
        EXPECT_EQ(vt::RegValues(vt::kRunKey, KEY_WOW64_64KEY)[L"VelloPanel"], L"\"" + Panel() + L"\" -boot");
        EXPECT_EQ(vt::RegValues(vt::kUninstallKey, KEY_WOW64_64KEY),
                  (std::map<std::wstring, std::wstring>{{L"DisplayName", L"Vello Audio Center"},
                                                        {L"UninstallString", Uninstaller()},
                                                        {L"DisplayIcon", Uninstaller()},
                                                        {L"DisplayVersion", L"1.0.0.0"},
                                                        {L"Publisher", L"Vello Audio Systems"}}));
        const std::wstring menu = vt::KitStartMenuFolder();
        EXPECT_EQ(FilesBelow(menu), (std::set<std::wstring>{L"Uninstall Vello Audio.lnk", L"Vello Audio Center.lnk",
                                                            L"Vello Audio Manual.lnk"}));
        EXPECT_EQ(vt::ShortcutTarget(menu + L"Vello Audio Center.lnk"), Panel());
        EXPECT_EQ(vt::ShortcutTarget(menu + L"Uninstall Vello Audio.lnk"), Uninstaller());
        EXPECT_EQ(vt::ShortcutTarget(menu + L"Vello Audio Manual.lnk"), Install(L"Manual\\English\\VelloAudioManual.html"));
        EXPECT_EQ(vt::ShortcutTarget(vt::DesktopFolder() + L"Vello Audio Center.lnk"), Panel());

        // The install folder holds exactly its files, each equal to its source,
        // with normal attributes.
        const auto expected = KitInstallFiles();
        std::set<std::wstring> names;
        for (const auto& file : expected) names.insert(file.first);
        EXPECT_EQ(FilesBelow(vt::KitInstallFolder()), names);
        for (const auto& file : expected) {
            EXPECT_TRUE(Bytes(Install(file.first), file.second)) << vt::Narrow(file.first);
            EXPECT_EQ(::GetFileAttributesW(Install(file.first).c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
                      0u)
                << vt::Narrow(file.first);
        }
    }

    vt::TempDir setup;
};

TEST_F(InstallProgram, KitInstallsEverythingAndFinishStartsThePanelThroughTheService) {
    // A setup file that is read-only and hidden is installed with normal attributes.
    ASSERT_TRUE(::SetFileAttributesW(Setup(L"bee.wav").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    SetupRun run = RunSetup(setup.path(), true);
    ASSERT_TRUE(run.result.started);
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << vt::Narrow(run.boxes.empty() ? L"" : run.boxes[0]);
    EXPECT_TRUE(run.finishPressed);
    EXPECT_EQ(run.result.exitCode, kExitInstalled);
    EXPECT_TRUE(InOrder(run.result.debug,
                        {L"==> TMainForm::Install\n", L"===== Install STEP1 =====\n", L"==> TMainForm::Install_FilterDriver\n",
                         L"===== Install STEP2 =====\n", L"##### \"" + vt::SystemFolder() + L"VelloService.exe\" /Service ended with 0 #####\n",
                         L"##### " + Panel() + L" #####\n", L"===== Install STEP3 =====\n", L"===== Install STEP4 =====\n",
                         L"===== Install STEP5 =====\n", L"===== Install STEP6 =====\n", L"===== Install STEP7 =====\n",
                         L"===== Install STEP8 =====\n", L"===== Install STEP8.1 =====\n", L"===== Install STEP9 =====\n"}))
        << vt::Narrow(run.result.DebugText());
    EXPECT_FALSE(run.result.HasDebug(L"===== Install STEP10 =====\n")) << "the kit does not ask for the update";
    EXPECT_TRUE(run.result.HasDebug(L"VelloSetup:  ==> TMainForm::Copy_KB3033929\n"));
    ExpectKitInstalled("after the installation");

    // Finish started the installed panel with its own path; it handed the
    // start to the service, which started it with its command line.
    HWND panel = WaitForPanelWindow(kPanelTimeoutMs);
    ASSERT_NE(panel, nullptr) << "the installed control panel shows its window";
    const std::vector<std::wstring> log = vt::LogLines(ServiceLog());
    const std::vector<std::wstring> handOver = {L"control 193", L"launched \"" + Panel() + L"\" -servicestart"};
    EXPECT_TRUE(InOrder(log, handOver)) << vt::ReadFileBytes(ServiceLog());
    DWORD pid = 0;
    ::GetWindowThreadProcessId(panel, &pid);
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    ASSERT_NE(process, nullptr);
    wchar_t image[MAX_PATH] = {};
    DWORD chars = MAX_PATH;
    ::QueryFullProcessImageNameW(process, 0, image, &chars);
    EXPECT_EQ(image, Panel());

    // A second installation over the first, its service running and its
    // panel closed: everything is written again, the same way.
    ::PostMessageW(panel, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
    ::CloseHandle(process);
    ASSERT_TRUE(vt::WriteFileBytes(Install(L"Only here.txt"), "kept"));
    run = RunSetup(setup.path(), false);
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << vt::Narrow(run.boxes.empty() ? L"" : run.boxes[0]);
    EXPECT_EQ(run.result.exitCode, kExitInstalled);
    ASSERT_TRUE(::DeleteFileW(Install(L"Only here.txt").c_str())) << "a file only in the install folder stays";
    ExpectKitInstalled("after the second installation");
}

// One failure per step: the box names the step's code, the program ends with
// it, the steps before stay done and none after runs.
TEST_F(InstallProgram, FailedStepStopsTheInstallationWithItsCode) {
    struct Case {
        const char* name;
        size_t failingStep;  // index into kStepEvidence
        DWORD code;
        std::function<void(const std::wstring& setupFolder)> prepare;  // before the run
        std::function<std::wstring()> heldFile;                         // held open during the run
        std::function<void(const char* row)> failedStep;                // what the failing step left
    };
    const Case cases[] = {
        {"driver file held", 0, 0x80000001, nullptr, [] { return vt::SystemFolder() + L"drivers\\VelloFlt.sys"; },
         [](const char* row) {
             EXPECT_TRUE(vt::RegKeyExists(vt::kDriverKey)) << row << ": the key is written before the file";
         }},
        {"service program held", 1, 0x80000002, nullptr, [] { return vt::SystemFolder() + L"VelloService.exe"; },
         [](const char* row) {
             EXPECT_EQ(vt::QueryService(vt::kServiceName).state, 0u) << row;
             EXPECT_FALSE(HasExecutionValues()) << row;
         }},
        {"service refuses to register", 1, 0x80000002,
         [](const std::wstring&) {
             ::WritePrivateProfileStringW(L"Behaviour", L"RegisterFails", L"1",
                                          (vt::SystemFolder() + L"VelloService.ini").c_str());
         },
         nullptr,
         [](const char* row) {
             EXPECT_TRUE(Bytes(vt::SystemFolder() + L"VelloService.exe", vt::BinPath(L"VelloService.exe"))) << row;
             EXPECT_EQ(vt::LogLines(ServiceLog()), std::vector<std::wstring>{L"registration refused"}) << row;
             EXPECT_EQ(vt::QueryService(vt::kServiceName).state, 0u) << row;
             EXPECT_FALSE(HasExecutionValues()) << row;
         }},
        {"control panel held", 2, 0x80000003, nullptr, [] { return Panel(); },
         [](const char* row) {
             EXPECT_FALSE(vt::RegValues(vt::kRunKey).count(L"VelloPanel")) << row;
             EXPECT_FALSE(vt::FileExists(vt::KitStartMenuFolder())) << row;
             EXPECT_FALSE(vt::FileExists(vt::DesktopFolder() + L"Vello Audio Center.lnk")) << row;
         }},
        {"uninstaller held", 3, 0x80000004, nullptr, [] { return Uninstaller(); },
         [](const char* row) {
             EXPECT_FALSE(vt::RegKeyExists(vt::kUninstallKey)) << row;
             EXPECT_FALSE(vt::FileExists(vt::KitStartMenuFolder() + L"Uninstall Vello Audio.lnk")) << row;
             EXPECT_TRUE(vt::FileExists(vt::KitStartMenuFolder() + L"Vello Audio Center.lnk")) << row;
         }},
        {"uninstall entry refused", 3, 0x80000004,
         [](const std::wstring&) { ASSERT_TRUE(vt::CreateDanglingKeyLink(vt::kUninstallKey)); }, nullptr,
         [](const char* row) {
             EXPECT_TRUE(Bytes(Uninstaller(), vt::BinPath(L"VelloUninstall.exe"))) << row << ": written before";
             EXPECT_TRUE(vt::FileExists(vt::KitStartMenuFolder() + L"Uninstall Vello Audio.lnk")) << row;
         }},
        {"installed settings file held", 4, 0x80000005, nullptr, [] { return Install(L"AudioConfig.cfg"); },
         [](const char* row) {
             EXPECT_TRUE(vt::FileExists(Install(L"Skin\\Graphite\\SkinSetting.ini"))) << row << ": copied before";
             EXPECT_FALSE(vt::FileExists(Install(L"bee.wav"))) << row << ": not copied after";
         }},
        {"installed plug-in file held", 6, 0x80000007,
         [](const std::wstring& folder) {
             ASSERT_TRUE(vt::WriteFileBytes((folder + L"Plugin\\VelloEffect\\Readme.txt"), "companion"));
         },
         [] { return Install(L"Plugin\\VelloEffect\\Readme.txt"); },
         [](const char* row) {
             EXPECT_FALSE(vt::FileExists(Install(L"Plugin\\VelloEffect\\VelloEffect.exe"))) << row;
         }},
        {"setup folder lacks the effect program's folder", 7, 0x80000008,
         [](const std::wstring& folder) { ASSERT_TRUE(vt::RemoveTree((folder + L"Plugin\\VelloEffect"))); }, nullptr,
         [](const char* row) {
             EXPECT_TRUE(vt::FileExists(Install(L"Plugin\\VelloSoundFX"))) << row;
         }},
        {"setup folder lacks the sound-effect program's folder", 8, 0x80000008,
         [](const std::wstring& folder) { ASSERT_TRUE(vt::RemoveTree((folder + L"Plugin\\VelloSoundFX"))); }, nullptr,
         [](const char*) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vt::ResetInstalledState();
        vt::RemoveTree(setup.path());
        ASSERT_TRUE(vt::CopyTree(Built(L"setup\\"), setup.path()));
        if (c.prepare) c.prepare(setup.path());
        SetupRun run;
        {
            std::unique_ptr<vt::HeldFile> held;
            if (c.heldFile) {
                held = std::make_unique<vt::HeldFile>(c.heldFile());
                ASSERT_TRUE(held->held());
            }
            run = RunSetup(setup.path(), false);
        }
        ASSERT_TRUE(run.result.started);
        EXPECT_FALSE(run.result.timedOut);
        wchar_t code[32];
        swprintf(code, 32, L"(Code = 0x%.8X)", c.code);
        EXPECT_EQ(run.boxes, std::vector<std::wstring>{L"Install: " + std::wstring(kFailureText) + code});
        EXPECT_TRUE(run.finishPage);
        EXPECT_EQ(run.result.exitCode, c.code);
        EXPECT_TRUE(run.result.HasDebug(L"===== Install " + vt::Widen(kStepEvidence[c.failingStep].step) + L" =====\n"));
        for (size_t i = 0; i < sizeof(kStepEvidence) / sizeof(kStepEvidence[0]); ++i) {
            if (i == c.failingStep) continue;
            EXPECT_EQ(kStepEvidence[i].done(), i < c.failingStep) << kStepEvidence[i].step;
            if (i > c.failingStep)
                EXPECT_FALSE(run.result.HasDebug(L"===== Install " + vt::Widen(kStepEvidence[i].step) + L" =====\n"))
                    << kStepEvidence[i].step;
        }
        c.failedStep(c.name);
        EXPECT_FALSE(run.result.HasDebug(L"===== Install STEP9 =====\n"));
    }
}

// While an earlier version's filter driver is loaded nothing is installed,
// and the earlier installation's service, stopped on the way, runs again.
TEST_F(InstallProgram, EarlierVersionIsRefusedAndItsServiceRunsAgain) {
    vt::StandInService earlier(vt::kServiceName);
    ASSERT_TRUE(earlier.registered());
    ASSERT_EQ(ControlTheService(vt::kServiceName, SERVICE_CONTROL_START), kServiceDone);
    ASSERT_TRUE(vt::SetEarlierFilterDevice(true));

    SetupRun run = RunSetup(setup.path(), false);
    vt::SetEarlierFilterDevice(false);
    ASSERT_TRUE(run.result.started);
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_EQ(run.boxes, std::vector<std::wstring>{L"Install: An earlier version is installed. Please remove it first."});
    EXPECT_TRUE(run.finishPage);
    EXPECT_EQ(run.result.exitCode, kExitPreviousVersion);
    EXPECT_TRUE(run.result.HasDebug(L"==> TMainForm::Install\n"));
    EXPECT_FALSE(run.result.DebugContains(L"===== Install STEP")) << vt::Narrow(run.result.DebugText());
    EXPECT_EQ(earlier.Log(), (std::vector<std::wstring>{L"start", L"control 128", L"control 1", L"stop", L"start"}));
    EXPECT_EQ(earlier.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_FALSE(vt::RegKeyExists(vt::kDriverKey));
    EXPECT_FALSE(vt::FileExists(vt::KitInstallFolder()));
    EXPECT_FALSE(HasExecutionValues());
}

}  // namespace
