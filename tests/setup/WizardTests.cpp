// The wizard in this program's own process, on the sample kit beside it, in
// the setup prefix: what it writes to the registry and the user's folder
// when it shows and when the installation starts, the worker's hold on both
// windows, the finish page with its reboot choice, and Finish itself (a
// restart through the in-process seam, or the installed control panel,
// which hands its start to the stand-in service).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "InstalledState.h"
#include "TestSupport.h"
#include "setup/BackgroundForm.h"
#include "setup/MainForm.h"
#include "setup/SystemApi.h"
#include "shared/Registry.h"
#include "shared/ServiceControl.h"

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
// window can be closed. This build's worker ends at its first step.
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
    bool first = true;
    for (const Case& c : cases) {
        if (!first) {
            Quit();
            vt::ResetInstalledState();
            Open();
        }
        first = false;
        if (c.volatileSettingsKey) {
            ASSERT_TRUE(vt::CreateVolatileKey(vt::kSettingsKey)) << c.name;
        }
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

// The finish page for each reboot option and need, and what Finish then does.
class FinishPage : public Wizard {
protected:
    static void SetUpTestSuite() { service_ = new vt::StandInService(L"VelloService"); }
    static void TearDownTestSuite() {
        delete service_;
        service_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(service_->registered());
        ASSERT_EQ(ControlTheService(L"VelloService", SERVICE_CONTROL_START), kServiceDone);
        service_->ClearLog();
        Wizard::SetUp();
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
    static vt::StandInService* service_;
};
vt::StandInService* FinishPage::service_ = nullptr;

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
