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
#include "SetupRuns.h"
#include "TestSupport.h"
#include "shared/ServiceControl.h"

namespace {

constexpr DWORD kPanelTimeoutMs = 60000;
constexpr DWORD kExitInstalled = 0;
constexpr DWORD kExitPreviousVersion = 3;
constexpr wchar_t kFailureText[] = L"The installation failed. Error code:";

using vt::Built;
std::wstring Install(const std::wstring& file) { return vt::InstalledFile(file); }
std::wstring Panel() { return vt::InstalledPanel(); }
std::wstring Uninstaller() { return vt::InstalledUninstaller(); }
bool Bytes(const std::wstring& path, const std::wstring& samePath) { return vt::SameBytes(path, samePath); }
bool HasExecutionValues() { return vt::HasExecutionValues(); }

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
    {"STEP5", [] { return vt::FileExists(Install(L"DLLKQ_UsbAudio73xx_x32.dll")) && vt::FileExists(vt::UpdatePackagePath()); }},
    {"STEP6", [] { return vt::FileExists(Install(L"Manual\\English\\VelloAudioManual.html")); }},
    {"STEP7", [] { return vt::FileExists(Install(L"Plugin")); }},
    {"STEP8", [] { return Bytes(Install(L"Plugin\\VelloEffect\\VelloEffect.exe"), Built(L"bin\\companion\\VelloEffect.exe")); }},
    {"STEP8.1",
     [] { return Bytes(Install(L"Plugin\\VelloSoundFX\\VelloSoundFX.exe"), Built(L"bin\\companion\\VelloSoundFX.exe")); }},
};

// One run of VelloSetup: Next on the first page, every box answered, and on
// the finish page Finish (only with "restart later" chosen) or a close.
vt::SetupRun RunSetup(const std::wstring& folder, bool pressFinish) {
    vt::SetupOptions options;
    options.pressFinish = pressFinish;
    return vt::RunSetup(folder, options);
}

class InstallProgram : public ::testing::Test {
protected:
    void SetUp() override {
        vt::ResetInstalledState();
        ASSERT_TRUE(vt::CopyTree(Built(L"setup\\"), setup.path()));
    }
    void TearDown() override { vt::ResetInstalledState(); }

    std::wstring Setup(const std::wstring& file) const { return setup / file; }
    void ExpectKitInstalled(const char* when) { vt::ExpectKitInstalled(setup.path(), L"English", when); }

    vt::TempDir setup;
};

TEST_F(InstallProgram, KitInstallsEverythingAndFinishStartsThePanelThroughTheService) {
    // A setup file that is read-only and hidden is installed with normal attributes.
    ASSERT_TRUE(::SetFileAttributesW(Setup(L"bee.wav").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    vt::SetupRun run = RunSetup(setup.path(), true);
    ASSERT_TRUE(run.result.started);
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_TRUE(run.boxes.empty()) << vt::Narrow(run.boxes.empty() ? L"" : run.boxes[0]);
    EXPECT_TRUE(run.finishPressed);
    EXPECT_EQ(run.result.exitCode, kExitInstalled);
    EXPECT_TRUE(vt::InOrder(run.result.debug,
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
    HWND panel = vt::WaitForPanelWindow(kPanelTimeoutMs);
    ASSERT_NE(panel, nullptr) << "the installed control panel shows its window";
    const std::vector<std::wstring> log = vt::LogLines(vt::ServiceLogFile());
    const std::vector<std::wstring> handOver = {L"control 193", L"launched \"" + Panel() + L"\" -servicestart"};
    EXPECT_TRUE(vt::InOrder(log, handOver)) << vt::ReadFileBytes(vt::ServiceLogFile());
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
             EXPECT_EQ(vt::LogLines(vt::ServiceLogFile()), std::vector<std::wstring>{L"registration refused"}) << row;
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
        vt::SetupRun run;
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
            if (i > c.failingStep) {
                EXPECT_FALSE(run.result.HasDebug(L"===== Install " + vt::Widen(kStepEvidence[i].step) + L" =====\n"))
                    << kStepEvidence[i].step;
            }
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

    vt::SetupRun run = RunSetup(setup.path(), false);
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
