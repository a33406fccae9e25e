// VelloSetup run as a real process from copies of the assembled setup folder
// (the sample kit, the device library and the program), in the setup prefix: the long-path refusal,
// refused settings, the first page on its background, Cancel, and close
// requests while the installation runs. Each case checks the program's
// windows, boxes, exit code and what it left in the registry and the
// user's folder.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "InstalledState.h"
#include "PictureFixtures.h"
#include "SetupRuns.h"
#include "TestSupport.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;
constexpr DWORD kExitPathTooLong = 1;
constexpr DWORD kExitConfigRefused = 2;
constexpr DWORD kExitCancelled = 4;
constexpr DWORD kStep1Code = 0x80000001;

std::wstring KitFolder() { return vt::BinDir() + L"..\\kit\\"; }

// A copy of the setup folder the build assembles.
bool MakeSetupFolder(const std::wstring& folder) { return vt::CopyTree(vt::BinDir() + L"..\\setup\\", folder); }

using vt::WindowOfClass;

bool HasWindowOfClass(DWORD pid, const wchar_t* cls) { return WindowOfClass(pid, cls, false) != nullptr; }

void Click(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }

using vt::InOrder;

bool NothingInstalled() {
    return !vt::RegKeyExists(vt::kUsbGroupKey) && !vt::RegKeyExists(vt::kHidGroupKey) &&
           !vt::RegKeyExists(vt::kSettingsKey) && !vt::FileExists(vt::KitUserFolder());
}

class SetupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        vt::ResetInstalledState();
        ASSERT_TRUE(MakeSetupFolder(dir.path()));
    }
    void TearDown() override { vt::ResetInstalledState(); }

    vt::RunResult Run(const std::wstring& exe, const std::function<void(DWORD pid)>& whileRunning) {
        return vt::RunDebugged(L"\"" + exe + L"\"", kRunTimeoutMs, whileRunning);
    }
    vt::RunResult Run(const std::function<void(DWORD pid)>& whileRunning) {
        return Run(dir / L"VelloSetup.exe", whileRunning);
    }
    // Presses Cancel once the first page shows.
    static void CancelFirstPage(DWORD pid) {
        HWND wizard = WindowOfClass(pid, L"TMainForm");
        if (HWND cancel = wizard ? vt::FindControl(wizard, L"Button", L"Cancel") : nullptr) Click(cancel);
    }

    vt::TempDir dir;
};

TEST_F(SetupProgram, LongPathIsRefusedBeforeAnythingHappens) {
    struct Case {
        size_t length;  // of the program's full path
        bool refused;
    };
    const Case cases[] = {{180, false}, {181, true}};
    for (const Case& c : cases) {
        vt::ResetInstalledState();
        // C:\vlp\<name>\VelloSetup.exe
        const std::wstring base = L"C:\\vlp\\";
        const std::wstring folder = base + std::wstring(c.length - base.size() - 1 - 14, L'd') + L"\\";
        vt::RemoveTree(base);
        ASSERT_TRUE(::CreateDirectoryW(base.c_str(), nullptr));
        ASSERT_TRUE(MakeSetupFolder(folder));
        const std::wstring exe = folder + L"VelloSetup.exe";
        ASSERT_EQ(exe.size(), c.length);

        vt::MessageBoxInfo box;
        bool formsWhileBox = false, wizardShown = false;
        vt::RunResult r = Run(exe, [&](DWORD pid) {
            if (!box.hwnd && vt::FindMessageBox(pid, box)) {
                formsWhileBox = HasWindowOfClass(pid, L"TMainForm") || HasWindowOfClass(pid, L"TBackgroundForm");
                vt::AnswerMessageBox(box.hwnd);
            }
            if (WindowOfClass(pid, L"TMainForm")) {
                wizardShown = true;
                CancelFirstPage(pid);
            }
        });
        vt::RemoveTree(base);
        ASSERT_TRUE(r.started) << c.length;
        EXPECT_FALSE(r.timedOut) << c.length;
        if (c.refused) {
            EXPECT_EQ(box.caption, L"ERROR") << c.length;
            EXPECT_EQ(box.text, L"TLPD - Too Long Path Detector") << c.length;
            EXPECT_FALSE(formsWhileBox) << c.length;
            EXPECT_FALSE(wizardShown) << c.length;
            EXPECT_EQ(r.exitCode, kExitPathTooLong) << c.length;
            EXPECT_TRUE(NothingInstalled()) << c.length;
        } else {
            EXPECT_EQ(box.hwnd, nullptr) << c.length << ": " << vt::Narrow(box.text);
            EXPECT_TRUE(wizardShown) << c.length;
            EXPECT_EQ(r.exitCode, kExitCancelled) << c.length;
        }
    }
}

TEST_F(SetupProgram, RefusedSettingsEndWithoutInstalling) {
    struct Case {
        const char* name;
        const wchar_t* variant;          // a broken AudioConfig.cfg of the kit's variants
        const wchar_t* installFolder;    // or this InstallFolderName
        bool box;
        bool usbGroupStored;
    };
    const Case cases[] = {
        {"HID entry without its cipher text", L"empty-device-side.cfg", nullptr, false, true},
        {"empty folder name", nullptr, L"", true, false},
        {"parent folder", nullptr, L"..\\Elsewhere", true, false},
        {"absolute path", nullptr, L"C:\\Vello", true, false},
        {"drive", nullptr, L"D:", true, false},
        {"wildcard", nullptr, L"Vello*", true, false},
    };
    for (const Case& c : cases) {
        vt::ResetInstalledState();
        const std::wstring config = dir / L"AudioConfig.cfg";
        if (c.variant) {
            ASSERT_TRUE(::CopyFileW((vt::BinDir() + L"..\\kit-variants\\" + c.variant).c_str(), config.c_str(), FALSE));
        } else {
            ASSERT_TRUE(::CopyFileW((KitFolder() + L"AudioConfig.cfg").c_str(), config.c_str(), FALSE));
            ::WritePrivateProfileStringW(L"Install", L"InstallFolderName", c.installFolder, config.c_str());
        }
        vt::MessageBoxInfo box;
        bool wizardShown = false;
        vt::RunResult r = Run([&](DWORD pid) {
            if (!box.hwnd && vt::FindMessageBox(pid, box)) vt::AnswerMessageBox(box.hwnd);
            if (WindowOfClass(pid, L"TMainForm")) {
                wizardShown = true;
                CancelFirstPage(pid);
            }
        });
        ASSERT_TRUE(r.started) << c.name;
        EXPECT_FALSE(r.timedOut) << c.name;
        EXPECT_EQ(r.exitCode, kExitConfigRefused) << c.name;
        EXPECT_EQ(box.hwnd != nullptr, c.box) << c.name << ": " << vt::Narrow(box.text);
        if (c.box) {
            EXPECT_EQ(box.caption, L"ERROR") << c.name;
            EXPECT_NE(box.text.find(L"InstallFolderName"), std::wstring::npos) << c.name;
        }
        EXPECT_EQ(vt::RegKeyExists(vt::kUsbGroupKey), c.usbGroupStored) << c.name;
        EXPECT_FALSE(vt::RegKeyExists(vt::kHidGroupKey)) << c.name;
        EXPECT_FALSE(vt::RegKeyExists(vt::kSettingsKey)) << c.name;
        EXPECT_FALSE(vt::FileExists(vt::KitUserFolder())) << c.name;
        EXPECT_FALSE(vt::FileExists(vt::AppDataFolder() + L"\\AudioConfig.cfg")) << c.name;
        EXPECT_FALSE(vt::FileExists(vt::AppDataFolder() + L"\\Elsewhere")) << c.name;
    }
}

TEST_F(SetupProgram, FirstPageOnItsBackgroundThenCancel) {
    RECT background = {}, wizard = {};
    std::wstring caption;
    bool shot = false, active = false;
    vt::RunResult r = Run([&](DWORD pid) {
        HWND w = WindowOfClass(pid, L"TMainForm");
        if (!w || shot) return;
        ::Sleep(500);  // painted
        ::GetWindowRect(w, &wizard);
        ::GetWindowRect(WindowOfClass(pid, L"TBackgroundForm"), &background);
        caption = vt::WindowText(w);
        active = ::GetForegroundWindow() == w;
        const std::wstring folder = vt::BinDir() + L"..\\screenshots\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        shot = vt::CaptureScreenToPng(RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)},
                                      folder + L"setup-first-page.png");
        CancelFirstPage(pid);
    });
    ASSERT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut);
    EXPECT_TRUE(shot);
    EXPECT_EQ(r.exitCode, kExitCancelled);
    EXPECT_EQ(caption, L"Vello Audio Center Setup (V1.0.0.0)");
    EXPECT_TRUE(active) << "the wizard has the keyboard, in front of its background";
    EXPECT_EQ(background.left, 0);
    EXPECT_EQ(background.top, 0);
    EXPECT_EQ(background.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(background.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(wizard.left + wizard.right, background.right) << "centred";
    EXPECT_TRUE(InOrder(r.debug, {L"\n", L"==> TBackgroundForm::TBackgroundForm\n", L"\n", L"==> TMainForm::TMainForm\n",
                                  L"==> TBackgroundForm::FormShow\n", L"==> TMainForm::FormShow\n"}))
        << vt::Narrow(r.DebugText());
    EXPECT_TRUE(r.HasDebug(L"##### Background picture = " + dir.path() + L"Skin\\1366x768\\SetupBackground.png\n"))
        << vt::Narrow(r.DebugText());
    EXPECT_TRUE(vt::RegKeyExists(vt::kUsbGroupKey));
    EXPECT_TRUE(vt::FileExists(vt::KitUserFolder() + L"AudioConfig.cfg"));
    EXPECT_FALSE(vt::RegKeyExists(vt::kSettingsKey)) << "Cancel before installing writes no defaults";
}

// A bad number in a language entry is reported, and the wizard still opens
// with the texts read before it; a missing language folder lists nothing.
TEST_F(SetupProgram, LanguageErrorsDoNotStopTheWizard) {
    struct Case {
        const char* name;
        bool breakEntry;      // LabelSelectLang gets a colour that is not a number
        bool removeLanguages;
        const wchar_t* box;   // text of the error box, or none
        const wchar_t* caption;
        bool nextCaptioned;
    };
    const Case cases[] = {
        {"bad colour", true, false, L"'blue' is not a valid integer value.", L" (V1.0.0.0)", true},
        {"no language folder", false, true, nullptr, L" (V1.0.0.0)", false},
    };
    for (const Case& c : cases) {
        vt::ResetInstalledState();
        vt::TempDir setup;
        ASSERT_TRUE(MakeSetupFolder(setup.path()));
        // The kit asks for the screen's resolution folder (1366x768 on this screen).
        const std::wstring english = setup / L"Language\\1366x768\\English\\Language.ini";
        if (c.breakEntry) ::WritePrivateProfileStringW(L"Setup", L"LabelSelectLang", L"Pick,blue", english.c_str());
        if (c.removeLanguages) {
            ASSERT_TRUE(vt::RemoveTree(setup / L"Language"));
        }
        vt::MessageBoxInfo box;
        std::wstring caption;
        bool nextCaptioned = false, shown = false;
        vt::RunResult r = Run(setup / L"VelloSetup.exe", [&](DWORD pid) {
            if (!box.hwnd && vt::FindMessageBox(pid, box)) vt::AnswerMessageBox(box.hwnd);
            HWND wizard = WindowOfClass(pid, L"TMainForm");
            if (!wizard || shown) return;
            shown = true;
            caption = vt::WindowText(wizard);
            nextCaptioned = vt::FindControl(wizard, L"Button", L"Next >") != nullptr;
            ::PostMessageW(wizard, WM_CLOSE, 0, 0);
        });
        ASSERT_TRUE(r.started) << c.name;
        EXPECT_FALSE(r.timedOut) << c.name;
        EXPECT_TRUE(shown) << c.name;
        EXPECT_EQ(box.hwnd != nullptr, c.box != nullptr) << c.name << ": " << vt::Narrow(box.text);
        if (c.box) {
            EXPECT_EQ(box.text, c.box) << c.name;
            EXPECT_EQ(box.caption, L"Vello Audio Center") << c.name;
        }
        EXPECT_EQ(caption, c.caption) << c.name;
        EXPECT_EQ(nextCaptioned, c.nextCaptioned) << c.name;
        EXPECT_EQ(r.exitCode, kExitCancelled) << c.name;
    }
}

// A maker's tip shows once, at the first Next, before the installation
// (which a driver file held open stops at its first step here).
TEST_F(SetupProgram, AntivirusTipShowsOnceBeforeTheInstallation) {
    vt::HeldFile driver(vt::SystemFolder() + L"drivers\\VelloFlt.sys");
    ASSERT_TRUE(driver.held());
    const std::wstring english = dir / L"Language\\1366x768\\English\\Language.ini";
    ::WritePrivateProfileStringW(L"Setup", L"AntivirusTip", L"Pause your antivirus.", english.c_str());
    enum Stage { kFirstNext, kTip, kSecondNext, kWorkerBox, kFinishPage, kDone } stage = kFirstNext;
    std::vector<std::wstring> boxes;
    bool stayedOnFirstPage = false;
    vt::RunResult r = Run([&](DWORD pid) {
        HWND wizard = WindowOfClass(pid, L"TMainForm");
        if (!wizard) return;
        HWND next = vt::FindControl(wizard, L"Button", L"Next >");
        HWND progress = vt::FindControl(wizard, L"msctls_progress32", L"");
        vt::MessageBoxInfo box;
        switch (stage) {
        case kFirstNext:
        case kSecondNext:
            if (vt::FindMessageBox(pid, box) || !next || !::IsWindowEnabled(next)) break;
            if (stage == kSecondNext) stayedOnFirstPage = progress && !::IsWindowVisible(progress);
            ::PostMessageW(next, BM_CLICK, 0, 0);
            stage = stage == kFirstNext ? kTip : kWorkerBox;
            break;
        case kTip:
        case kWorkerBox:
            if (!vt::FindMessageBox(pid, box)) break;
            boxes.push_back(box.caption + L": " + box.text);
            vt::AnswerMessageBox(box.hwnd);
            stage = stage == kTip ? kSecondNext : kFinishPage;
            break;
        case kFinishPage: {
            HWND finish = vt::FindControl(wizard, L"Button", L"Finish");
            if (!finish || !::IsWindowEnabled(finish)) break;
            ::PostMessageW(wizard, WM_CLOSE, 0, 0);
            stage = kDone;
            break;
        }
        case kDone: break;
        }
    });
    ASSERT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut) << "stage " << stage;
    EXPECT_EQ(boxes, (std::vector<std::wstring>{L"Install: Pause your antivirus.",
                                                L"Install: The installation failed. Error code:(Code = 0x80000001)"}));
    EXPECT_TRUE(stayedOnFirstPage);
    EXPECT_EQ(r.exitCode, kStep1Code);
}

// While the installation runs (here: while the worker's failure box is up,
// a driver file held open having stopped it at its first step), no close
// request ends the program; it ends on Finish with the failed step's code.
TEST_F(SetupProgram, CloseRequestsWaitForTheInstallation) {
    vt::HeldFile driver(vt::SystemFolder() + L"drivers\\VelloFlt.sys");
    ASSERT_TRUE(driver.held());
    enum Stage { kFirstPage, kInstalling, kFinishing, kDone } stage = kFirstPage;
    vt::MessageBoxInfo box;
    bool survivedCloses = false, cancelEnabled = true, noRebootChecked = false;
    vt::RunResult r = Run([&](DWORD pid) {
        HWND wizard = WindowOfClass(pid, L"TMainForm");
        switch (stage) {
        case kFirstPage:
            if (HWND next = wizard ? vt::FindControl(wizard, L"Button", L"Next >") : nullptr) {
                ::PostMessageW(next, BM_CLICK, 0, 0);
                stage = kInstalling;
            }
            break;
        case kInstalling: {
            if (!vt::FindMessageBox(pid, box)) break;
            HWND back = WindowOfClass(pid, L"TBackgroundForm");
            HWND cancel = vt::FindControl(wizard, L"Button", L"Cancel");
            cancelEnabled = cancel && ::IsWindowEnabled(cancel);
            vt::PostCloseRequests(pid);
            ::Sleep(1000);
            survivedCloses = ::IsWindow(wizard) && ::IsWindowVisible(back);
            vt::AnswerMessageBox(box.hwnd);
            stage = kFinishing;
            break;
        }
        case kFinishing: {
            HWND finish = wizard ? vt::FindControl(wizard, L"Button", L"Finish") : nullptr;
            if (!finish || !::IsWindowVisible(finish) || !::IsWindowEnabled(finish)) break;
            HWND no = vt::FindControl(wizard, L"Button", L"No - restart later");
            noRebootChecked = no && ::SendMessageW(no, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (!noRebootChecked) break;  // never press Finish with a restart chosen here
            ::PostMessageW(finish, BM_CLICK, 0, 0);
            stage = kDone;
            break;
        }
        case kDone: break;
        }
    });
    ASSERT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut) << "stage " << stage;
    EXPECT_EQ(box.text, L"The installation failed. Error code:(Code = 0x80000001)");
    EXPECT_EQ(box.caption, L"Install");
    EXPECT_FALSE(cancelEnabled);
    EXPECT_TRUE(survivedCloses);
    EXPECT_TRUE(noRebootChecked);
    EXPECT_EQ(r.exitCode, kStep1Code);
    EXPECT_TRUE(r.HasDebug(L"==> TMainForm::Install\n"));
    EXPECT_EQ(vt::RegValues(vt::kSettingsKey)[L"EncEnable"], vt::Dword(1)) << "written when Next was pressed";
}

}  // namespace
