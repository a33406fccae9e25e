// VelloUninstall run as a real process from an installation of the sample
// kit in the setup prefix, with the stand-in service registered and the
// stand-in clean-up program it carries: what an uninstall removes and what
// it leaves (also when a program of the installation takes its time to end
// on the broadcast), links in the user's folder, the clean-up program it
// starts (or refuses to start), and its window without the icon file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CompanionProgram.h"
#include "InstalledState.h"
#include "KitInstallation.h"
#include "TestSupport.h"

namespace {

constexpr DWORD kRunTimeoutMs = 90000;
constexpr DWORD kCleanUpWaitMs = 40000;

std::wstring KitFolder() { return vt::BinDir() + L"..\\kit\\"; }
std::wstring Uninstaller() { return vt::KitInstallFolder() + L"VelloUninstall.exe"; }
std::wstring InstallFolderPath() { return vt::ProgramFilesFolder() + L"\\" + vt::kKitInstallFolderName; }
std::wstring CleanUpProgram() { return vt::CommonAppDataFolder() + L"FinalDeleteFile.exe"; }
std::wstring CleanUpLog() { return vt::CommonAppDataFolder() + L"FinalDeleteFile.log"; }

// The window's buttons, left to right (Uninstall, then Cancel: their
// captions come from the language file and may be empty).
std::vector<HWND> ButtonsLeftToRight(HWND window) {
    std::vector<HWND> buttons;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM all) {
            if (vt::WindowClass(child) == L"Button") reinterpret_cast<std::vector<HWND>*>(all)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) {
        RECT ra = {}, rb = {};
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return buttons;
}

enum Button { kUninstallButton = 0, kCancelButton = 1 };

using vt::WindowOfClass;

// The file holds exactly the clean-up program this build carries.
bool IsOurCleanUpProgram(const std::wstring& path) {
    const std::string ours = vt::ReadFileBytes(vt::BinPath(L"FinalDeleteFile.exe"));
    return !ours.empty() && vt::ReadFileBytes(path) == ours;
}

// The clean-up program's log once it has ended its work (or after the wait).
std::vector<std::wstring> CleanUpLines() { return vt::CleanUpLogWhenDone(kCleanUpWaitMs); }

using vt::InOrder;

std::vector<std::wstring> StepTraces() {
    std::vector<std::wstring> steps;
    for (int n = 1; n <= 7; ++n) steps.push_back(L"===== Uninstall STEP" + std::to_wstring(n) + L" =====\n");
    steps.push_back(L"==> TMainForm::Execute_FinalDeleteFile\n");
    return steps;
}

// What one run of the uninstaller showed.
struct Shown {
    std::wstring caption;
    std::vector<std::wstring> boxes;
};

class UninstallProgram : public ::testing::Test {
protected:
    void SetUp() override { vt::RemoveInstallation(); }
    void TearDown() override { vt::RemoveInstallation(); }

    void Install(const std::map<std::pair<std::wstring, std::wstring>, std::wstring>& settings = {}) {
        vt::RemoveInstallation();
        vt::Install({KitFolder(), vt::BinPath(L"VelloUninstall.exe"), settings});
    }
    // Runs the installed uninstaller and presses the button once its window
    // shows. Message boxes are answered and recorded.
    vt::RunResult Run(Button press, Shown& shown) {
        bool pressed = false;
        return vt::RunDebugged(L"\"" + Uninstaller() + L"\"", kRunTimeoutMs, [&](DWORD pid) {
            vt::MessageBoxInfo box;
            if (vt::FindMessageBox(pid, box)) {
                shown.boxes.push_back(box.caption + L": " + box.text);
                vt::AnswerMessageBox(box.hwnd);
            }
            HWND window = pressed ? nullptr : WindowOfClass(pid, L"TMainForm");
            if (!window) return;
            shown.caption = vt::WindowText(window);
            // Posted: a sent click would wait for a child that waits for its
            // debugger, which is this thread.
            const std::vector<HWND> buttons = ButtonsLeftToRight(window);
            if (buttons.size() == 2) {
                pressed = true;
                ::PostMessageW(buttons[press], BM_CLICK, 0, 0);
            }
        }, L"C:\\");
    }
};

TEST_F(UninstallProgram, RemovesTheInstallationAndKeepsTheRest) {
    struct Case {
        const char* name;
        std::map<std::pair<std::wstring, std::wstring>, std::wstring> settings;
        std::wstring shortcutFolder;  // below the common programs folder
        bool desktopShortcutGoes;
        // A companion program of the installation runs and takes this long
        // over its ending when the broadcast asks it to; 0: none runs.
        DWORD runningCompanionEndDelayMs = 0;
    };
    const Case cases[] = {
        {"the kit", {}, L"Vello Audio", true},
        {"an upper shortcut folder, no desktop shortcut by the installer",
         {{{L"Install", L"ShortcutFolderNameUp"}, L"0Tools"}, {{L"Install", L"DesktopShortcutEnable"}, L"2"}},
         L"0Tools\\Vello Audio", false},
        {"a companion program that takes its time to end", {}, L"Vello Audio", true, 2500},
    };
    const std::wstring programs = vt::CommonProgramsFolder() + L"\\";
    const std::wstring desktopShortcut = vt::DesktopFolder() + vt::kKitDesktopShortcut;
    for (const Case& c : cases) {
        Install(c.settings);
        // Registered after the installation is built: building it starts
        // from a system without the product, service included.
        vt::StandInService service(L"VelloService");
        ASSERT_TRUE(service.registered()) << c.name;
        // A shortcut of the user's own where the installer made none.
        if (!c.desktopShortcutGoes) vt::WriteFileBytes(desktopShortcut, "the user's own");
        ASSERT_TRUE(vt::Exists(programs + c.shortcutFolder + L"\\Uninstall Vello Audio.lnk")) << c.name;
        ASSERT_TRUE(vt::Exists(programs + L"Vello Audio\\Vello Audio Manual.lnk")) << c.name;
        std::unique_ptr<vt::CompanionProgram> companion;
        if (c.runningCompanionEndDelayMs) {
            companion = std::make_unique<vt::CompanionProgram>(
                vt::KitInstallFolder() + L"Plugin\\VelloEffect\\VelloEffect.exe", c.runningCompanionEndDelayMs);
            ASSERT_TRUE(companion->started()) << c.name;
        }

        Shown shown;
        vt::RunResult r = Run(kUninstallButton, shown);
        ASSERT_TRUE(r.started) << c.name;
        EXPECT_FALSE(r.timedOut) << c.name;
        EXPECT_EQ(r.exitCode, 0u) << c.name;
        EXPECT_EQ(shown.caption, L"Vello Audio Center Uninstall (V1.0.0.0)") << c.name;
        EXPECT_TRUE(shown.boxes.empty()) << c.name << ": " << vt::Narrow(shown.boxes.empty() ? L"" : shown.boxes[0]);
        EXPECT_TRUE(InOrder(r.debug, StepTraces())) << c.name << "\n" << vt::Narrow(r.DebugText());
        if (companion) {
            EXPECT_TRUE(companion->Ended()) << c.name << ": the uninstall waited for it";
            EXPECT_TRUE(companion->EndsByItself()) << c.name;
        }

        const std::vector<std::wstring> cleanUp = CleanUpLines();
        EXPECT_EQ(cleanUp, (std::vector<std::wstring>{L"args " + Uninstaller() + L"|" + InstallFolderPath(),
                                                      L"deleted " + Uninstaller(), L"removed " + InstallFolderPath()}))
            << c.name;

        // Gone.
        EXPECT_FALSE(vt::Exists(InstallFolderPath())) << c.name;
        EXPECT_FALSE(vt::Exists(vt::KitUserFolder())) << c.name;
        EXPECT_FALSE(vt::Exists(programs + c.shortcutFolder)) << c.name;
        EXPECT_FALSE(vt::Exists(programs + L"Vello Audio")) << c.name << ": the manual's shortcut folder";
        EXPECT_EQ(!vt::Exists(desktopShortcut), c.desktopShortcutGoes) << c.name;
        EXPECT_FALSE(vt::Exists(vt::SystemFolder() + L"VelloService.exe")) << c.name;
        EXPECT_EQ(vt::RegValues(vt::kRunKey).count(vt::kKitRunValueName), 0u) << c.name;
        EXPECT_FALSE(vt::RegKeyExists(vt::kUninstallKey)) << c.name;
        // Kept.
        if (!c.desktopShortcutGoes) {
            EXPECT_TRUE(vt::Exists(programs + L"0Tools")) << c.name;
        }
        EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_STOPPED)) << c.name << ": still registered, stopped";
        EXPECT_TRUE(InOrder(service.Log(), {L"control 128", L"stop"})) << c.name;
        EXPECT_TRUE(vt::RegKeyExists(vt::kDriverKey)) << c.name;
        EXPECT_TRUE(vt::Exists(vt::DriverFile())) << c.name;
        EXPECT_TRUE(vt::Exists(vt::UpdatePackageFile())) << c.name;
        EXPECT_EQ(vt::RegValues(vt::kSettingsKey).count(L"EncEnable"), 1u) << c.name;
        EXPECT_FALSE(vt::RegValues(vt::kUsbGroupKey).empty()) << c.name;
        EXPECT_FALSE(vt::RegValues(vt::kHidGroupKey).empty()) << c.name;
        EXPECT_TRUE(IsOurCleanUpProgram(CleanUpProgram())) << c.name;
        for (const std::wstring& file : {vt::OtherProductFile(), vt::OtherAppDataFile(), vt::OtherUserFolderFile()})
            EXPECT_TRUE(vt::Exists(file)) << c.name << ": " << vt::Narrow(file);

        ::DeleteFileW(desktopShortcut.c_str());
        vt::RemoveTree(programs + L"0Tools");
    }
}

TEST_F(UninstallProgram, LinksInTheUserFolderAreNotFollowed) {
    struct Case {
        const char* name;
        bool folderIsLink;  // else a link inside it
    };
    const Case cases[] = {{"a link in the user's folder", false}, {"the user's folder is a link", true}};
    const std::wstring outside = L"C:\\Outside";
    for (const Case& c : cases) {
        Install();
        vt::RemoveTree(outside);
        ::CreateDirectoryW(outside.c_str(), nullptr);
        vt::WriteFileBytes(outside + L"\\outside.txt", "not ours");
        std::unique_ptr<vt::HostLink> link;
        std::wstring user = vt::KitUserFolder();
        user.pop_back();
        if (c.folderIsLink) {
            // Settings for the window to read through the link.
            ::CopyFileW((user + L"\\AudioConfig.cfg").c_str(), (outside + L"\\AudioConfig.cfg").c_str(), FALSE);
            vt::RemoveTree(user);
            link = std::make_unique<vt::HostLink>(outside, user);
        } else {
            link = std::make_unique<vt::HostLink>(outside, user + L"\\link");
        }
        ASSERT_TRUE(link->made()) << c.name;

        Shown shown;
        vt::RunResult r = Run(kUninstallButton, shown);
        ASSERT_TRUE(r.started) << c.name;
        EXPECT_FALSE(r.timedOut) << c.name;
        CleanUpLines();
        EXPECT_TRUE(vt::Exists(outside + L"\\outside.txt")) << c.name;
        if (c.folderIsLink) {
            EXPECT_TRUE(vt::Exists(outside + L"\\AudioConfig.cfg")) << c.name;
        }
        EXPECT_FALSE(vt::Exists(InstallFolderPath())) << c.name << ": the rest is removed";
        link.reset();
        vt::RemoveTree(outside);
    }
}

TEST_F(UninstallProgram, StartsItsOwnCleanUpProgramOrNone) {
    struct Case {
        const char* name;
        const wchar_t* installFolderName;  // null: the kit's
        bool planted;
        DWORD heldSharing;  // the planter keeps the file open, sharing this; ~0: not open
        bool started;
    };
    constexpr DWORD kNotHeld = ~DWORD{0};
    const Case cases[] = {
        {"a read-only program planted before", nullptr, true, kNotHeld, true},
        {"a planted program its planter keeps open (sharing everything)", nullptr, true,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
        {"a planted program held exclusively", nullptr, true, 0, false},
        {"no install folder of its own", L"", false, kNotHeld, false},
    };
    for (const Case& c : cases) {
        std::map<std::pair<std::wstring, std::wstring>, std::wstring> settings;
        if (c.installFolderName) settings[{L"Install", L"InstallFolderName"}] = c.installFolderName;
        Install(settings);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.planted) {
            vt::WriteFileBytes(CleanUpProgram(), "planted");
            ::SetFileAttributesW(CleanUpProgram().c_str(), FILE_ATTRIBUTE_READONLY);
        }
        if (c.heldSharing != kNotHeld) {
            held = ::CreateFileW(CleanUpProgram().c_str(), GENERIC_READ, c.heldSharing, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.name;
        }

        Shown shown;
        vt::RunResult r = Run(kUninstallButton, shown);
        ASSERT_TRUE(r.started) << c.name;
        EXPECT_FALSE(r.timedOut) << c.name;
        EXPECT_EQ(r.exitCode, 0u) << c.name;
        EXPECT_TRUE(shown.boxes.empty()) << c.name;
        if (c.started) {
            EXPECT_FALSE(CleanUpLines().empty()) << c.name;
            EXPECT_TRUE(IsOurCleanUpProgram(CleanUpProgram())) << c.name;
            EXPECT_FALSE(vt::Exists(InstallFolderPath())) << c.name;
        } else {
            ::Sleep(2000);  // a clean-up program would have started by now
            if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
            held = INVALID_HANDLE_VALUE;
            EXPECT_FALSE(vt::Exists(CleanUpLog())) << c.name << ": a clean-up program ran";
            EXPECT_FALSE(IsOurCleanUpProgram(CleanUpProgram())) << c.name << ": written although it is not started";
            EXPECT_TRUE(vt::Exists(Uninstaller())) << c.name;
        }
        if (c.installFolderName) {
            EXPECT_TRUE(vt::Exists(vt::KitInstallFolder() + L"Skin")) << c.name << ": nothing below Program Files";
            EXPECT_TRUE(vt::Exists(vt::KitUserFolder())) << c.name << ": nothing below APPDATA";
            EXPECT_TRUE(vt::Exists(vt::OtherAppDataFile())) << c.name;
            EXPECT_FALSE(vt::RegKeyExists(vt::kUninstallKey)) << c.name << ": the other steps still run";
        }
        if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    }
}

TEST_F(UninstallProgram, StartsWithoutItsIconFile) {
    struct Case {
        const char* name;
        bool present;
        std::string iconFile;  // VelloUninstall.ico in the install folder
    };
    const Case cases[] = {
        {"no icon file", false, ""},
        {"not an icon", true, "not an icon"},
        {"the kit's icon", true, vt::ReadFileBytes(KitFolder() + L"VelloUninstall.ico")},
    };
    for (const Case& c : cases) {
        Install();
        const std::wstring icon = vt::KitInstallFolder() + L"VelloUninstall.ico";
        if (c.present) vt::WriteFileBytes(icon, c.iconFile);
        else ::DeleteFileW(icon.c_str());
        Shown shown;
        vt::RunResult r = Run(kCancelButton, shown);
        ASSERT_TRUE(r.started) << c.name;
        EXPECT_FALSE(r.timedOut) << c.name;
        EXPECT_EQ(r.exitCode, 0u) << c.name;
        EXPECT_TRUE(shown.boxes.empty()) << c.name << ": " << vt::Narrow(shown.boxes.empty() ? L"" : shown.boxes[0]);
        EXPECT_EQ(shown.caption, L"Vello Audio Center Uninstall (V1.0.0.0)") << c.name;
        EXPECT_EQ(r.DebugContains(L"cannot be loaded"), c.name != cases[2].name) << c.name;
        EXPECT_TRUE(vt::Exists(vt::KitInstallFolder() + L"Skin")) << c.name << ": Cancel removes nothing";
        EXPECT_TRUE(vt::Exists(vt::KitUserFolder())) << c.name;
    }
}

// What the program carries: its icon (shown without the icon file) and the
// clean-up program, byte for byte.
TEST_F(UninstallProgram, CarriesItsIconAndTheCleanUpProgram) {
    HMODULE module = ::LoadLibraryExW(vt::BinPath(L"VelloUninstall.exe").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HICON icon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) ::DestroyIcon(icon);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(101), L"APP");
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    EXPECT_TRUE(std::string(bytes, ::SizeofResource(module, found)) == vt::ReadFileBytes(vt::BinPath(L"FinalDeleteFile.exe")));
    ::FreeLibrary(module);
}

}  // namespace
