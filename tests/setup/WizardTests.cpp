// The wizard in this program's own process, on the sample kit beside it and
// with VelloSetup's payload linked in, in the setup prefix: what it writes to
// the registry and the user's folder when it shows and when the installation
// starts, the worker's hold on both windows, the progress it reports, the
// install steps on 64-bit Windows, the manual's language, the finish page
// with its reboot choice, and Finish itself (a restart through the
// in-process seam, or the installed control panel, which hands its start to
// the stand-in service).
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DeviceInstallerRecorder.h"
#include "InstalledState.h"
#include "PhantomDevices.h"
#include "RecordedWow64.h"
#include "TestSupport.h"
#include "UpdateHandler.h"
#include "setup/BackgroundForm.h"
#include "setup/InstallCodes.h"
#include "setup/MainForm.h"
#include "setup/SystemApi.h"
#include "shared/Registry.h"
#include "shared/ServiceControl.h"
#include "shared/Wow64.h"

namespace {

constexpr DWORD kWaitMs = 30000;
constexpr DWORD kStep1Code = 0x80000001;

std::wstring Kit() { return vt::BinDir(); }

bool WriteText(const std::wstring& path, const std::string& text) { return vt::WriteFileBytes(path, text); }

std::wstring ReadIni(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[1024] = {};
    ::GetPrivateProfileStringW(section, key, L"", buffer, 1024, file.c_str());
    return buffer;
}

// A device-ID group as the registry should hold it: the section's entries
// ordered by their device ID, numbered from 1.
std::map<std::wstring, std::wstring> ExpectedGroup(const wchar_t* section) {
    std::vector<std::wstring> entries;
    for (int n = 1;; ++n) {
        std::wstring entry = ReadIni(Kit() + L"AudioConfig.cfg", section, std::to_wstring(n).c_str());
        if (entry.empty()) break;
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return a.substr(0, a.find(L',')) < b.substr(0, b.find(L','));
    });
    std::map<std::wstring, std::wstring> group;
    for (size_t i = 0; i < entries.size(); ++i) group[std::to_wstring(i + 1)] = entries[i];
    return group;
}

bool CloseGreyed(HWND window) {
    HMENU menu = ::GetSystemMenu(window, FALSE);
    return menu && (::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
}

bool Checked(ui::TRadioButton* button) {
    return ::SendMessageW(button->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// What the replaced system calls were asked to do.
struct SystemCalls {
    int privilege = 0;
    int reboots = 0;
    UINT rebootFlags = 0;
    bool failThreads = false;
};
SystemCalls g_calls;

const SetupSystemApi kRecordingApi = {
    [] {
        ++g_calls.privilege;
        return true;
    },
    [](UINT flags, DWORD) -> BOOL {
        ++g_calls.reboots;
        g_calls.rebootFlags = flags;
        return TRUE;
    },
    [](LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags,
       LPDWORD id) -> HANDLE {
        if (!g_calls.failThreads) return ::CreateThread(security, stack, routine, parameter, flags, id);
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    },
};

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        vt::ResetInstalledState();
        g_calls = SystemCalls{};
        ReplaceSetupSystemApi(&kRecordingApi);
        Open();
    }
    void TearDown() override {
        Quit();
        ReplaceSetupSystemApi(nullptr);
        vt::ResetInstalledState();
    }

    void Open() {
        app = std::make_unique<ui::TApplication>();
        app->SetMessageBoxHandler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
            boxes.push_back(caption + L": " + text);
            return IDOK;
        });
        app->CreateForm(BackgroundForm);
        app->CreateForm(MainForm);
    }
    void Quit() {
        app.reset();
        BackgroundForm = nullptr;
        MainForm = nullptr;
    }
    // A new wizard on a system that never saw an installation.
    void StartOver() {
        Quit();
        vt::ResetInstalledState();
        Open();
    }
    // Shows the wizard as the program does: through the background.
    void Show() {
        BackgroundForm->Show();
        Pump(100);
    }
    void Pump(DWORD ms) {
        DWORD start = ::GetTickCount();
        do {
            app->ProcessMessages();
            ::Sleep(5);
        } while (::GetTickCount() - start < ms && !app->Terminated());
    }
    // Pumps until done() or the time-out; false on time-out.
    bool PumpUntil(const std::function<bool()>& done, DWORD ms = kWaitMs) {
        DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start > ms) return false;
            app->ProcessMessages();
            ::Sleep(5);
        }
        return true;
    }
    void Click(ui::TWinControl* button) { ::SendMessageW(button->Handle(), BM_CLICK, 0, 0); }
    // Picks a language in the combo box as the user does.
    void Pick(int index) {
        HWND combo = MainForm->ComboBox->Handle();
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }
    // The install worker's message box, once it shows.
    vt::MessageBoxInfo WaitForWorkerBox() {
        vt::MessageBoxInfo box;
        PumpUntil([&] { return vt::FindMessageBox(::GetCurrentProcessId(), box); });
        return box;
    }

    std::unique_ptr<ui::TApplication> app;
    std::vector<std::wstring> boxes;
};

TEST_F(Wizard, ShowingStoresTheDeviceListsAndTheUserCopiesOnly) {
    Show();
    EXPECT_EQ(MainForm->Notebook->PageIndex(), kPageLanguage);
    EXPECT_TRUE(MainForm->NextBitBtn->Focused());
    const auto usb = ExpectedGroup(L"USB_VID_PID"), hid = ExpectedGroup(L"HID_VID_PID");
    ASSERT_EQ(usb.size(), 5u);
    ASSERT_EQ(hid.size(), 3u);
    EXPECT_EQ(vt::RegValues(vt::kUsbGroupKey), usb);
    EXPECT_EQ(vt::RegValues(vt::kHidGroupKey), hid);
    for (const wchar_t* file : {L"AudioConfig.cfg", L"DefaultProfile.ini"}) {
        std::string copy = vt::ReadFileBytes(vt::KitUserFolder() + file);
        EXPECT_FALSE(copy.empty()) << vt::Narrow(file);
        EXPECT_EQ(copy, vt::ReadFileBytes(Kit() + file)) << vt::Narrow(file);
    }
    EXPECT_FALSE(vt::RegKeyExists(vt::kSettingsKey)) << "the defaults wait for the installation";
    EXPECT_EQ(MainForm->ComboBox->Items().Items(), (std::vector<std::wstring>{L"English", L"Russian"}));
    EXPECT_EQ(MainForm->ComboBox->ItemIndex(), 0);
    EXPECT_EQ(vt::WindowText(MainForm->Handle()), L"Vello Audio Center Setup (V)");
    EXPECT_TRUE(boxes.empty());

    // Cancel before installing leaves the lists and copies, writes nothing else.
    Click(MainForm->CancelBitBtn);
    Pump(100);
    EXPECT_TRUE(app->Terminated());
    EXPECT_EQ(MainForm->ExitCode(), static_cast<DWORD>(kSetupCancelled));
    EXPECT_FALSE(vt::RegKeyExists(vt::kSettingsKey));
}

TEST_F(Wizard, SecondRunKeepsTheUserCopiesAndPreselectsTheirLanguage) {
    Show();
    const std::wstring userConfig = vt::KitUserFolder() + L"AudioConfig.cfg";
    Pick(1);
    EXPECT_EQ(ReadIni(userConfig, L"Language", L"DefaultLanguage"), L"Russian");
    EXPECT_EQ(vt::WindowText(MainForm->NextBitBtn->Handle()), L"Далее >");
    EXPECT_EQ(vt::WindowText(MainForm->Handle()), L"Установка Vello Audio Center (V)");
    ::WritePrivateProfileStringW(L"Test", L"Marker", L"kept", userConfig.c_str());
    Click(MainForm->CancelBitBtn);
    Pump(100);
    Quit();

    Open();
    Show();
    EXPECT_EQ(ReadIni(userConfig, L"Test", L"Marker"), L"kept") << "the user's copy is not replaced";
    EXPECT_EQ(MainForm->ComboBox->ItemIndex(), 1);
    EXPECT_EQ(vt::WindowText(MainForm->NextBitBtn->Handle()), L"Далее >");
}

// Next writes the defaults, then the worker runs; while it does, neither
// window can be closed. A driver file held open stops the worker at its
// first step, with its box up.
TEST_F(Wizard, InstallationWritesTheDefaultsAndHoldsBothWindowsOpen) {
    struct Case {
        const char* name;
        bool volatileSettingsKey;
        std::map<std::wstring, std::wstring> encValueMap;
    };
    const Case cases[] = {
        {"the kit",
         false,
         {{L"VID_2F7B&PID_731F", vt::Dword(10)}, {L"VID_2F7B&PID_731B", vt::Dword(12)},
          {L"VID_2F7B&PID_7320", vt::Dword(8)}}},
        {"the settings key refuses sub-keys", true, {}},
    };
    const std::map<std::wstring, std::wstring> settings = {
        {L"EncEnable", vt::Dword(1)},         {L"TimbrexEnable", vt::Dword(0)}, {L"TimbrexLevel", vt::Dword(2)},
        {L"Virtual7ch1Scalar", vt::Dword(20)}, {L"EncScalar", vt::Dword(10)},    {L"EncGpio", vt::Dword(2)},
    };
    for (const Case& c : cases) {
        if (&c != &cases[0]) StartOver();
        if (c.volatileSettingsKey) {
            ASSERT_TRUE(vt::CreateVolatileKey(vt::kSettingsKey)) << c.name;
        }
        vt::HeldFile driver(vt::SystemFolder() + L"drivers\\VelloFlt.sys");
        ASSERT_TRUE(driver.held()) << c.name;
        Show();
        Click(MainForm->NextBitBtn);
        EXPECT_EQ(MainForm->Notebook->PageIndex(), kPageInstall) << c.name;
        EXPECT_EQ(vt::RegValues(vt::kSettingsKey), settings) << c.name;
        EXPECT_EQ(vt::RegValues(vt::kEncValueMapKey), c.encValueMap) << c.name;

        vt::MessageBoxInfo box = WaitForWorkerBox();
        ASSERT_NE(box.hwnd, nullptr) << c.name;
        EXPECT_EQ(box.caption, L"Install") << c.name;
        EXPECT_EQ(box.text, L"The installation failed. Error code:(Code = 0x80000001)") << c.name;
        EXPECT_TRUE(MainForm->Installing()) << c.name;
        EXPECT_FALSE(::IsWindowEnabled(MainForm->CancelBitBtn->Handle())) << c.name;
        EXPECT_FALSE(::IsWindowEnabled(MainForm->NextBitBtn->Handle())) << c.name;
        EXPECT_TRUE(CloseGreyed(MainForm->Handle())) << c.name;
        for (HWND w : {MainForm->Handle(), BackgroundForm->Handle(), app->Handle()}) {
            ::PostMessageW(w, WM_CLOSE, 0, 0);
            ::PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        Click(MainForm->CancelBitBtn);
        EXPECT_EQ(::SendMessageW(MainForm->Handle(), WM_QUERYENDSESSION, 0, 0), FALSE) << c.name;
        Pump(300);
        EXPECT_FALSE(app->Terminated()) << c.name;
        EXPECT_TRUE(::IsWindowVisible(MainForm->Handle())) << c.name;
        EXPECT_TRUE(::IsWindowVisible(BackgroundForm->Handle())) << c.name;

        vt::AnswerMessageBox(box.hwnd);
        EXPECT_TRUE(PumpUntil([] { return MainForm->Notebook->PageIndex() == kPageFinish; })) << c.name;
        EXPECT_FALSE(MainForm->Installing()) << c.name;
        EXPECT_FALSE(CloseGreyed(MainForm->Handle())) << c.name;
        EXPECT_EQ(MainForm->ExitCode(), kStep1Code) << c.name;
        ::PostMessageW(MainForm->Handle(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return app->Terminated(); })) << c.name;
        EXPECT_EQ(g_calls.reboots, 0) << c.name;
    }
}

TEST_F(Wizard, RegistryDefaultsTable) {
    struct Case {
        const char* name;
        const char* settings;
        std::map<std::wstring, DWORD> earlier;  // values already in the settings key
        std::map<std::wstring, std::wstring> expected;
        std::map<std::wstring, std::wstring> encValueMap;
    };
    const Case cases[] = {
        {"every default",
         "[DefaultSet]\r\nEncEnable=1\r\nTimbrexEnable=0\r\nTimbrexLevel=2\r\nV7ch1Scalar=20\r\nEncScalar=10\r\n"
         "EncGpio=2\r\n[EncValueMap]\r\n1=VID_2F7B&PID_731F,10\r\n2=VID_2F7B&PID_731B,12\r\n",
         {},
         {{L"EncEnable", vt::Dword(1)},
          {L"TimbrexEnable", vt::Dword(0)},
          {L"TimbrexLevel", vt::Dword(2)},
          {L"Virtual7ch1Scalar", vt::Dword(20)},
          {L"EncScalar", vt::Dword(10)},
          {L"EncGpio", vt::Dword(2)}},
         {{L"VID_2F7B&PID_731F", vt::Dword(10)}, {L"VID_2F7B&PID_731B", vt::Dword(12)}}},
        {"map with gaps, one field, keys past 19",
         "[EncValueMap]\r\n1=VID_2F7B&PID_731F,10\r\n3=VID_2F7B&PID_731B,12,99\r\n4=VID_2F7B&PID_7320\r\n"
         "5=VID_AAAA&PID_0005,high\r\n19=VID_AAAA&PID_0019,19\r\n20=VID_AAAA&PID_0020,20\r\n",
         {},
         {{L"EncEnable", vt::Dword(0)}},
         {{L"VID_2F7B&PID_731F", vt::Dword(10)},
          {L"VID_2F7B&PID_731B", vt::Dword(12)},
          {L"VID_AAAA&PID_0005", vt::Dword(0)},
          {L"VID_AAAA&PID_0019", vt::Dword(19)}}},
        {"unset keys keep the user's values",
         "[DefaultSet]\r\nEncEnable=\r\nTimbrexLevel=3,9\r\nV7ch1Scalar=20,5\r\n",
         {{L"TimbrexEnable", 1}, {L"TimbrexLevel", 4}, {L"EncEnable", 1}},
         {{L"EncEnable", vt::Dword(0)},
          {L"TimbrexEnable", vt::Dword(1)},
          {L"TimbrexLevel", vt::Dword(3)},
          {L"Virtual7ch1Scalar", vt::Dword(20)}},
         {}},
    };
    for (const Case& c : cases) {
        vt::ResetInstalledState();
        for (const auto& value : c.earlier) ASSERT_EQ(WriteRegistryDWORD(L"Qorv 73xx Software", value.first, value.second), 0);
        vt::TempDir setup;
        ASSERT_TRUE(WriteText(setup / L"AudioConfig.cfg", c.settings));
        MainForm->m_Settings.SourceFolderFullPath = setup.path();
        EXPECT_EQ(MainForm->SaveRegistryDefaults(), 0) << c.name;
        EXPECT_EQ(vt::RegValues(vt::kSettingsKey), c.expected) << c.name;
        EXPECT_EQ(vt::RegValues(vt::kEncValueMapKey), c.encValueMap) << c.name;
    }
}

TEST_F(Wizard, WorkerThatCannotStartEndsOnTheFinishPage) {
    g_calls.failThreads = true;
    Show();
    Click(MainForm->NextBitBtn);
    Pump(100);
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"Install: The installation failed. Error code:(Code = 0x00000008)"});
    EXPECT_EQ(MainForm->Notebook->PageIndex(), kPageFinish);
    EXPECT_TRUE(::IsWindowEnabled(MainForm->FinishBitBtn->Handle()));
    EXPECT_FALSE(MainForm->Installing());
    EXPECT_EQ(MainForm->ExitCode(), static_cast<DWORD>(kSetupError));
    ::PostMessageW(BackgroundForm->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return app->Terminated(); }));
}

// The progress the worker reports and how each of its ends leaves the
// wizard: the kit; no plug-in folder with the update step asked for, on this
// build's own system (the update is not for it) and on 64-bit Windows 7 with
// a service pack, where the stand-in update handler succeeds or fails; a
// step that fails; a device that stays disabled after its restart.
TEST_F(Wizard, WorkerReportsItsProgressAndEnds) {
    constexpr DWORD kNoUpdateRun = ~DWORD{0};
    struct Case {
        const char* name;
        bool plugins;
        int installWindowsKB;
        bool wow64;          // the wizard runs on 64-bit Windows
        DWORD updateExit;    // the update handler's exit code; kNoUpdateRun: it must not run
        bool holdPanel;
        bool deviceStaysDisabled;
        std::vector<WPARAM> progress;
        DWORD result;
        int rebootNeeded;
        std::vector<std::wstring> boxes;
    };
    const std::vector<WPARAM> toStep5 = {1, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    auto then = [&](std::initializer_list<WPARAM> more) {
        std::vector<WPARAM> all = toStep5;
        all.insert(all.end(), more);
        return all;
    };
    const Case cases[] = {
        {"the kit", true, 0, false, kNoUpdateRun, false, false, then({95, 98, 98}), 0, 0, {}},
        {"no plug-in folder, update asked for, not for this system", false, 1, false, kNoUpdateRun, false, false,
         then({100}), 0, 1, {}},
        {"64-bit Windows 7 SP1, the update installs", false, 1, true, ERROR_SUCCESS_REBOOT_REQUIRED, false, false,
         then({100}), 0, 1, {}},
        {"64-bit Windows 7 SP1, the update fails", false, 1, true, 0x80070643, false, false, toStep5,
         kStepWindowsUpdateCode, 0, {L"Install: The installation failed. Error code:(Code = 0x80000006)"}},
        {"control panel held", true, 0, false, kNoUpdateRun, true, false, {1, 10, 20, 30, 40, 50, 60}, kStepAppCode, 0,
         {L"Install: The installation failed. Error code:(Code = 0x80000003)"}},
        {"a device stays disabled after its restart", true, 0, false, kNoUpdateRun, false, true,
         then({95, 98, 98}), 0, 1, {}},
    };
    for (const Case& c : cases) {
        if (&c != &cases[0]) StartOver();
        std::unique_ptr<vt::HeldFile> panel;
        if (c.holdPanel) panel = std::make_unique<vt::HeldFile>(vt::KitInstallFolder() + L"VelloPanel.exe");
        vt::StandInUpdateHandler handler;
        ASSERT_TRUE(handler.registered()) << c.name;
        handler.SetExitCode(c.updateExit);
        // A supported device with the filter, whose enable is refused after
        // its disable, every time.
        vt::PhantomDevices devices;
        std::unique_ptr<vt::DeviceInstallerRecorder> installer;
        if (c.deviceStaysDisabled) {
            ASSERT_FALSE(devices.Add({L"USB\\VID_2F7B&PID_7301&REV_0100&MI_03"}, {L"VelloFlt"}).empty()) << c.name;
            installer = std::make_unique<vt::DeviceInstallerRecorder>();
            installer->failFrom = 2;
        }
        std::vector<WPARAM> progress;
        app->OnMessage = [&](MSG& msg, bool&) {
            if (msg.message == WM_INSTALL_PROGRESS) progress.push_back(msg.wParam);
        };
        Show();
        if (!c.plugins) {
            MainForm->m_iPluginFolderConfigured = 0;
            MainForm->m_Settings.PluginFolderName.clear();
        }
        MainForm->m_iInstallWindowsKB = c.installWindowsKB;
        MainForm->m_bWow64 = c.wow64 ? TRUE : FALSE;
        Click(MainForm->NextBitBtn);
        std::vector<std::wstring> shown;
        HWND answered = nullptr;
        EXPECT_TRUE(PumpUntil([&] {
            vt::MessageBoxInfo box;
            if (vt::FindMessageBox(::GetCurrentProcessId(), box) && box.hwnd != answered) {
                shown.push_back(box.caption + L": " + box.text);
                vt::AnswerMessageBox(box.hwnd);
                answered = box.hwnd;
            }
            return MainForm->Notebook->PageIndex() == kPageFinish;
        })) << c.name;
        Pump(100);
        EXPECT_EQ(progress, c.progress) << c.name;
        EXPECT_EQ(MainForm->ProgressBar->Position(), static_cast<int>(c.progress.back())) << c.name;
        EXPECT_EQ(shown, c.boxes) << c.name;
        EXPECT_EQ(MainForm->ExitCode(), c.result) << c.name;
        EXPECT_EQ(MainForm->m_iRebootNeeded, c.rebootNeeded) << c.name;
        const std::wstring package = vt::SystemFolder() + L"Windows6.1-KB3033929-x64.msu";
        EXPECT_EQ(handler.Log(),
                  c.updateExit == kNoUpdateRun ? std::vector<std::wstring>{}
                                               : std::vector<std::wstring>{L"run \"" + package + L"\""})
            << c.name;
        if (!c.holdPanel) {
            EXPECT_EQ(vt::ReadFileBytes(package),
                      vt::ReadFileBytes(vt::BinDir() + L"..\\..\\payload\\update\\Windows6.1-KB3033929-x64.msu"))
                << c.name << ": STEP5 places the package";
        }
        if (!c.plugins) {
            // The companions' command lines are written all the same, below
            // an empty plug-in folder name.
            EXPECT_EQ(vt::RegValues(vt::kSettingsKey)[L"UserPrivilegeExecution_B0"],
                      L"\"" + vt::KitInstallFolder() + L"\\VelloEffect\\VelloEffect.exe\" -servicestart")
                << c.name;
            EXPECT_FALSE(vt::FileExists(vt::KitInstallFolder() + L"Plugin")) << c.name;
        }
    }
}

// STEP1 and STEP2 write the build that matches the system into the native
// system folders, with the redirection off only around it, on every path.
TEST_F(Wizard, DriverAndServiceOfTheSystemsBuild) {
    struct Case {
        const char* name;
        bool wow64;
        const wchar_t* held;  // file in the system folder held open
        DWORD driverResult;
        DWORD serviceResult;
        const wchar_t* driver;   // the payload file the driver must equal
        const wchar_t* service;  // the same for the service
    };
    const Case cases[] = {
        {"32-bit Windows", false, nullptr, 0, 0, L"payload\\driver-native\\VelloFlt.sys", L"bin\\VelloService.exe"},
        {"64-bit Windows", true, nullptr, 0, 0, L"payload\\driver-x64\\VelloFlt.sys",
         L"payload\\service-x64\\VelloService.exe"},
        {"64-bit Windows, driver file held", true, L"drivers\\VelloFlt.sys", kDriverWriteFailed, 0, nullptr,
         L"payload\\service-x64\\VelloService.exe"},
        {"64-bit Windows, service program held", true, L"VelloService.exe", 0, kServiceWriteFailed,
         L"payload\\driver-x64\\VelloFlt.sys", nullptr},
    };
    const std::wstring build = vt::BinDir() + L"..\\..\\";
    Show();
    for (const Case& c : cases) {
        vt::ResetInstalledState();
        MainForm->m_bWow64 = c.wow64 ? TRUE : FALSE;
        DWORD driverResult = 0, serviceResult = 0;
        {
            vt::RecordedWow64 wow64;
            std::unique_ptr<vt::HeldFile> held;
            if (c.held) held = std::make_unique<vt::HeldFile>(vt::SystemFolder() + c.held);
            driverResult = MainForm->Install_FilterDriver();
            serviceResult = MainForm->Install_Service();
        }
        EXPECT_EQ(driverResult, c.driverResult) << c.name;
        EXPECT_EQ(serviceResult, c.serviceResult) << c.name;
        if (c.driver) {
            const std::string written = vt::ReadFileBytes(vt::SystemFolder() + L"drivers\\VelloFlt.sys");
            EXPECT_FALSE(written.empty()) << c.name;
            EXPECT_EQ(written, vt::ReadFileBytes(build + c.driver)) << c.name;
        }
        if (c.service) {
            EXPECT_EQ(vt::ReadFileBytes(vt::SystemFolder() + L"VelloService.exe"), vt::ReadFileBytes(build + c.service))
                << c.name;
            EXPECT_EQ(vt::QueryService(vt::kServiceName).state, static_cast<DWORD>(SERVICE_RUNNING)) << c.name;
        }
        EXPECT_EQ(vt::RecordedWow64::Calls().off, c.wow64 ? 2 : 0) << c.name << ": once in each step";
        EXPECT_EQ(vt::RecordedWow64::Calls().on, vt::RecordedWow64::Calls().off) << c.name;
        EXPECT_TRUE(vt::RecordedWow64::Calls().balanced) << c.name;
    }
}

// The manual is copied only for a language the setup folder offers: the
// per-user settings file, which the user can write, names it.
TEST_F(Wizard, ManualOnlyForAnOfferedLanguage) {
    struct Case {
        const char* name;
        const wchar_t* language;
        const wchar_t* manual;  // installed file the shortcut points at, or none
    };
    const Case cases[] = {
        {"English", L"English", L"Manual\\English\\Guide.html"},
        {"Russian", L"Russian", L"Manual\\Russian\\A.txt"},
        {"folder without files", L"French", nullptr},
        {"not offered", L"German", nullptr},
        {"no language", L"", nullptr},
        {"leaves the manual folder", L"..\\..\\..\\..\\Outside", nullptr},
        {"two folder names", L"English\\..\\Russian", nullptr},
        {"absolute path", L"C:\\Outside", nullptr},
    };
    Show();
    vt::TempDir root;
    const std::wstring setup = root / L"a\\b\\Setup\\";
    // From the manual folders, "..\..\..\..\Outside" is root\Outside in the
    // setup folder and root\i\Outside in the install folder.
    const std::wstring install = root / L"i\\j\\k\\Installed\\";
    for (const wchar_t* folder : {L"a", L"a\\b", L"a\\b\\Setup", L"Outside", L"i", L"i\\j", L"i\\j\\k",
                                  L"i\\j\\k\\Installed"})
        ASSERT_TRUE(::CreateDirectoryW((root / folder).c_str(), nullptr));
    ASSERT_TRUE(WriteText(setup + L"AudioConfig.cfg",
                          "[MultiLanguageFolderMap]\r\nEnglish=English\r\nRussian=Russian\r\nFrench=French\r\n"));
    ASSERT_TRUE(WriteText(root / L"Outside\\Planted.txt", "outside"));
    const std::pair<const wchar_t*, const char*> files[] = {
        {L"Manual\\English\\Guide.html", "en"}, {L"Manual\\Russian\\A.txt", "ru"},
        {L"Manual\\French\\.hidden", "dot"},    {L"Manual\\German\\G.txt", "de"},
    };
    for (const wchar_t* folder : {L"Manual", L"Manual\\English", L"Manual\\Russian", L"Manual\\French",
                                  L"Manual\\French\\Sub", L"Manual\\German", L"Language", L"Language\\English",
                                  L"Language\\Russian", L"Language\\French", L"Language\\German"})
        ASSERT_TRUE(::CreateDirectoryW((setup + folder).c_str(), nullptr));
    for (const auto& f : files) ASSERT_TRUE(WriteText(setup + f.first, f.second));
    MainForm->m_Settings.SourceFolderFullPath = setup;
    MainForm->m_Settings.InstallFolderFullPath = install;
    MainForm->m_Settings.LanguageFolderName = L"Language";
    MainForm->m_Settings.ShortcutFolderName = L"Vello Manual Test";
    MainForm->m_Settings.UserManualShortcutName = L"Manual";
    MainForm->m_iMultiDisplaySetting = 0;
    wchar_t programs[MAX_PATH] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE));
    const std::wstring links = std::wstring(programs) + L"\\Vello Manual Test\\";
    const std::wstring link = links + L"Manual.lnk";

    for (const Case& c : cases) {
        vt::RemoveTree(install + L"Manual");
        vt::RemoveTree(links);
        ::WritePrivateProfileStringW(L"Language", L"DefaultLanguage", c.language,
                                     (MainForm->UserFolderFullPath + L"AudioConfig.cfg").c_str());
        EXPECT_EQ(MainForm->Install_Manual(), 0u) << c.name;
        if (c.manual) {
            EXPECT_EQ(vt::ReadFileBytes(install + c.manual), vt::ReadFileBytes(setup + c.manual)) << c.name;
            EXPECT_EQ(vt::ShortcutTarget(link), install + c.manual) << c.name;
        } else {
            EXPECT_FALSE(vt::FileExists(install + L"Manual")) << c.name;
            EXPECT_FALSE(vt::FileExists(link)) << c.name;
        }
        EXPECT_EQ(vt::ReadFileBytes(root / L"Outside\\Planted.txt"), "outside") << c.name;
        EXPECT_FALSE(vt::FileExists(root / L"i\\Outside")) << c.name;
    }
    vt::RemoveTree(links);
}

TEST_F(Wizard, FirstFileOfAFolder) {
    struct Case {
        const char* name;
        std::vector<const wchar_t*> folders;
        std::vector<const wchar_t*> files;
        int result;
        const wchar_t* found;
    };
    const Case cases[] = {
        {"missing folder", {}, {}, 0, L"unchanged"},
        {"empty folder", {L"F"}, {}, 0, L"unchanged"},
        {"sub-folders and dot names only", {L"F", L"F\\Sub", L"F\\.git"}, {L"F\\.profile"}, 0, L"unchanged"},
        {"one file among them", {L"F", L"F\\Sub"}, {L"F\\.profile", L"F\\Manual.pdf"}, 1, L"Manual.pdf"},
    };
    for (const Case& c : cases) {
        vt::TempDir dir;
        for (const wchar_t* f : c.folders) ASSERT_TRUE(::CreateDirectoryW((dir / f).c_str(), nullptr)) << c.name;
        for (const wchar_t* f : c.files) ASSERT_TRUE(WriteText(dir / f, "x")) << c.name;
        std::wstring name = L"unchanged";
        EXPECT_EQ(MainForm->FindFirstFileInFolder(dir / L"F\\", name), c.result) << c.name;
        EXPECT_EQ(name, c.found) << c.name;
    }
}

// The finish page for each reboot option and need, and what Finish then does.
class FinishPage : public Wizard {
protected:
    // Registered after the installed state is reset, which removes the service.
    void SetUp() override {
        Wizard::SetUp();
        service_ = std::make_unique<vt::StandInService>(L"VelloService");
        ASSERT_TRUE(service_->registered());
        ASSERT_EQ(ControlTheService(L"VelloService", SERVICE_CONTROL_START), kServiceDone);
        service_->ClearLog();
    }
    void TearDown() override {
        Wizard::TearDown();
        service_.reset();
    }
    // Whether the service got the control panel's start request within ms.
    bool PanelHandedOver(DWORD ms) {
        DWORD start = ::GetTickCount();
        for (;;) {
            auto log = service_->Log();
            if (std::find(log.begin(), log.end(), L"control 193") != log.end()) return true;
            if (::GetTickCount() - start > ms) return false;
            ::Sleep(100);
        }
    }
    std::unique_ptr<vt::StandInService> service_;
};

TEST_F(FinishPage, RebootOnlyWhereTheUserSeesTheChoice) {
    struct Case {
        int showRebootScreen;
        int rebootNeeded;
        bool radiosShown;
        bool rebootChecked;  // as the page opens
        bool userPicksReboot;
        bool reboots;
    };
    const Case cases[] = {
        {0, 0, false, false, false, false}, {0, 1, false, false, false, false}, {1, 0, true, false, false, false},
        {1, 1, true, true, false, true},    {1, 0, true, false, true, true},    {2, 0, false, false, false, false},
        {2, 1, false, false, false, false},
    };
    vt::TempDir installed;
    ASSERT_TRUE(::CopyFileW(vt::BinPath(L"VelloPanel.exe").c_str(), (installed / L"VelloPanel.exe").c_str(), FALSE));
    bool first = true;
    for (const Case& c : cases) {
        const std::string row = "ShowRebootScreen " + std::to_string(c.showRebootScreen) + ", reboot needed " +
                                std::to_string(c.rebootNeeded) + (c.userPicksReboot ? ", user picks reboot" : "");
        if (!first) {
            Quit();
            service_->ClearLog();
            g_calls = SystemCalls{};
            Open();
        }
        first = false;
        Show();
        vt::TempDir setup;
        ASSERT_TRUE(WriteText(setup / L"AudioConfig.cfg",
                              "[Install]\r\nShowRebootScreen=" + std::to_string(c.showRebootScreen) + "\r\n"));
        MainForm->m_Settings.SourceFolderFullPath = setup.path();
        MainForm->ReadInstallOptions();
        MainForm->m_Settings.InstallFolderFullPath = installed.path();
        MainForm->m_iRebootNeeded = c.rebootNeeded;
        ::SendMessageW(MainForm->Handle(), WM_INSTALL_FINISH, 0, 0);

        EXPECT_EQ(MainForm->Notebook->PageIndex(), kPageFinish) << row;
        EXPECT_TRUE(::IsWindowVisible(MainForm->FinishBitBtn->Handle())) << row;
        EXPECT_TRUE(::IsWindowEnabled(MainForm->FinishBitBtn->Handle())) << row;
        EXPECT_FALSE(::IsWindowVisible(MainForm->NextBitBtn->Handle())) << row;
        EXPECT_FALSE(::IsWindowVisible(MainForm->CancelBitBtn->Handle())) << row;
        EXPECT_EQ(::IsWindowVisible(MainForm->RebootRadioButton->Handle()) != FALSE, c.radiosShown) << row;
        EXPECT_EQ(::IsWindowVisible(MainForm->NoRebootRadioButton->Handle()) != FALSE, c.radiosShown) << row;
        EXPECT_EQ(Checked(MainForm->RebootRadioButton), c.rebootChecked) << row;

        if (c.userPicksReboot) Click(MainForm->RebootRadioButton);
        Click(MainForm->FinishBitBtn);
        EXPECT_TRUE(PumpUntil([&] { return app->Terminated(); })) << row;
        EXPECT_EQ(g_calls.reboots, c.reboots ? 1 : 0) << row;
        EXPECT_EQ(g_calls.privilege, c.reboots ? 1 : 0) << row;
        if (c.reboots) {
            EXPECT_EQ(g_calls.rebootFlags, static_cast<UINT>(EWX_REBOOT)) << row;
            EXPECT_FALSE(PanelHandedOver(2000)) << row << ": no control panel started";
        } else {
            EXPECT_TRUE(PanelHandedOver(kWaitMs)) << row << ": the installed control panel hands over";
        }
    }
}

}  // namespace
