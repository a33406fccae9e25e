// The uninstaller's window and steps in this program's own process, on the
// sample kit beside it, in the setup prefix, against an installation of the
// kit built by the test: the texts it shows, the device lists it needs, the
// worker's progress and its hold on the window, the warning box, and what
// the steps delete or leave when the settings name unusable folders or the
// user's APPDATA is unusable.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "InstalledState.h"
#include "KitInstallation.h"
#include "PhantomDevices.h"
#include "TestSupport.h"
#include "shared/DeviceProperty.h"
#include "shared/Wow64.h"
#include "uninstall/MainForm.h"

namespace {

constexpr DWORD kWaitMs = 30000;
constexpr wchar_t kSupported[] = L"USB\\VID_2F7B&PID_7301&REV_0100&MI_03";

std::wstring Kit() { return vt::BinDir(); }
std::wstring UserConfig() { return vt::KitUserFolder() + L"AudioConfig.cfg"; }

void WriteIni(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    ::WritePrivateProfileStringW(section, key, value, file.c_str());
}

bool CloseGreyed(HWND window) {
    HMENU menu = ::GetSystemMenu(window, FALSE);
    return menu && (::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
}

// Values of INI files beside this program that a test changes, put back as
// they were through the profile functions (which keep a cache of the file).
class KeptValues {
public:
    void Set(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        wchar_t old[1024] = {};
        ::GetPrivateProfileStringW(section, key, L"", old, 1024, file.c_str());
        saved_.push_back({file, section, key, old});
        WriteIni(file, section, key, value);
    }
    void Restore() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            WriteIni(it->file, it->section.c_str(), it->key.c_str(), it->value.c_str());
        saved_.clear();
    }
    ~KeptValues() { Restore(); }

private:
    struct Saved {
        std::wstring file, section, key, value;
    };
    std::vector<Saved> saved_;
};

// A file moved out of the way for the life of the object.
class MovedAway {
public:
    explicit MovedAway(const std::wstring& path) : path_(path) { ::MoveFileW(path.c_str(), (path + L".away").c_str()); }
    ~MovedAway() { ::MoveFileW((path_ + L".away").c_str(), path_.c_str()); }
    MovedAway(const MovedAway&) = delete;
    MovedAway& operator=(const MovedAway&) = delete;

private:
    std::wstring path_;
};

// The class installer, answering every restart (Wine cannot change a
// device's state); enables fail when asked to.
bool g_failEnable = false;
BOOL WINAPI AcceptParams(HDEVINFO, PSP_DEVINFO_DATA, PSP_CLASSINSTALL_HEADER header, DWORD) {
    return !(g_failEnable && reinterpret_cast<SP_PROPCHANGE_PARAMS*>(header)->StateChange == DICS_ENABLE);
}
BOOL WINAPI AcceptCall(DI_FUNCTION, HDEVINFO, PSP_DEVINFO_DATA) { return TRUE; }
BOOL WINAPI AcceptGetParams(HDEVINFO, PSP_DEVINFO_DATA, PSP_DEVINSTALL_PARAMS_W params) {
    params->Flags = 0;
    return TRUE;
}
void WINAPI NoSleep(DWORD) {}
const DeviceInstallerApi kAcceptingInstaller = {AcceptParams, AcceptCall, AcceptGetParams, NoSleep};

std::vector<std::wstring> LowerFilters(const vt::PhantomDevices& devices, const std::wstring& id) {
    std::vector<std::wstring> filters;
    devices.WithDevice(id, [&](HDEVINFO set, PSP_DEVINFO_DATA device) {
        ReadMultiSzDeviceProperty(set, device, SPDRP_LOWERFILTERS, filters);
    });
    return filters;
}

class UninstallWindow : public ::testing::Test {
protected:
    void SetUp() override {
        g_failEnable = false;
        previous_ = ReplaceDeviceInstallerApi(&kAcceptingInstaller);
        Reinstall();
    }
    void TearDown() override {
        Quit();
        ReplaceDeviceInstallerApi(previous_);
        vt::RemoveInstallation();
    }

    void Reinstall() {
        Quit();
        vt::RemoveInstallation();
        vt::Install({Kit(), L"", {}});
        // The running uninstaller's file, which it never deletes itself.
        vt::WriteFileBytes(vt::KitInstallFolder() + L"VelloUninstall.exe", "uninstaller");
    }
    void Open() {
        app = std::make_unique<ui::TApplication>();
        app->SetMessageBoxHandler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
            boxes.push_back(caption + L": " + text);
            return IDOK;
        });
        app->OnMessage = [this](MSG& msg, bool&) {
            if (msg.message == WM_UNINSTALL_PROGRESS) progress.push_back(static_cast<int>(msg.wParam));
        };
        app->CreateForm(MainForm);
    }
    void Show() {
        if (!app) Open();
        MainForm->Show();
        Pump(100);
    }
    void Quit() {
        app.reset();
        MainForm = nullptr;
    }
    void Pump(DWORD ms) {
        const DWORD start = ::GetTickCount();
        do {
            app->ProcessMessages();
            ::Sleep(5);
        } while (::GetTickCount() - start < ms && !app->Terminated());
    }
    bool PumpUntil(const std::function<bool()>& done, DWORD ms = kWaitMs) {
        const DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start > ms) return false;
            app->ProcessMessages();
            ::Sleep(5);
        }
        return true;
    }
    void Click(ui::TWinControl* button) { ::SendMessageW(button->Handle(), BM_CLICK, 0, 0); }

    std::unique_ptr<ui::TApplication> app;
    std::vector<std::wstring> boxes;
    std::vector<int> progress;

private:
    const DeviceInstallerApi* previous_ = nullptr;
};

TEST_F(UninstallWindow, ShowsTheTextsOfTheLanguageChosenAtInstallTime) {
    ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920);
    ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 1080);
    const std::wstring language = Kit() + L"Language\\";
    KeptValues titles;
    for (const wchar_t* folder : {L"", L"1920x1080", L"1366x768"}) {
        titles.Set(language + folder + (*folder ? L"\\" : L"") + L"English\\Language.ini", L"Uninstall", L"LabelTitle",
                   (std::wstring(L"Title ") + (*folder ? folder : L"base")).c_str());
    }
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::wstring caption;
        std::wstring button;
        bool label1;
    };
    std::unique_ptr<MovedAway> moved;
    const Case cases[] = {
        {"the screen's resolution folder (1920 x 1080 takes the larger one)", [] {}, L"Title 1920x1080 (V)",
         L"Uninstall", true},
        {"no Language.ini for the resolution",
         [&] { moved = std::make_unique<MovedAway>(language + L"1920x1080\\English\\Language.ini"); },
         L"Title base (V)", L"Uninstall", true},
        {"the user's language", [] { WriteIni(UserConfig(), L"Language", L"DefaultLanguage", L"Russian"); },
         L"Удаление Vello Audio Center (V)", L"Удалить", true},
        {"no settings in the user's folder", [] { ::DeleteFileW(UserConfig().c_str()); }, L" (V)", L"", false},
    };
    for (const Case& c : cases) {
        Reinstall();
        c.arrange();
        Show();
        moved.reset();
        EXPECT_FALSE(app->Terminated()) << c.name;
        EXPECT_EQ(vt::WindowText(MainForm->Handle()), c.caption) << c.name;
        EXPECT_EQ(vt::WindowText(MainForm->UninstallBitBtn->Handle()), c.button) << c.name;
        EXPECT_EQ(MainForm->Label1->Visible(), c.label1) << c.name;
        EXPECT_TRUE(boxes.empty()) << c.name;
    }
}

// This program carries the uninstaller's built-in icon (resource 1), as
// VelloUninstall does; the icon file named in the settings replaces it.
TEST_F(UninstallWindow, KeepsItsBuiltInIconWithoutTheIconFile) {
    const std::wstring file = Kit() + L"VelloUninstall.ico";
    const std::string kitIcon = vt::ReadFileBytes(file);
    ASSERT_FALSE(kitIcon.empty());
    struct Case {
        const char* name;
        bool present;
        std::string bytes;
        int pictureWidth;  // 48 for the built-in picture
    };
    const Case cases[] = {
        {"no icon file", false, "", 48},
        {"not an icon", true, "not an icon", 48},
        {"an icon of its own", true, vt::MakeIcoBytes(64, RGB(200, 30, 30)), 64},
    };
    for (const Case& c : cases) {
        ::DeleteFileW(file.c_str());
        if (c.present) vt::WriteFileBytes(file, c.bytes);
        Show();
        EXPECT_TRUE(boxes.empty()) << c.name << ": " << vt::Narrow(boxes.empty() ? L"" : boxes[0]);
        EXPECT_TRUE(::IsWindowVisible(MainForm->Handle())) << c.name;
        EXPECT_NE(::SendMessageW(MainForm->Handle(), WM_GETICON, ICON_BIG, 0), 0) << c.name;
        EXPECT_NE(::SendMessageW(app->Handle(), WM_GETICON, ICON_BIG, 0), 0) << c.name;
        EXPECT_EQ(MainForm->IconImage->Picture().Width(), c.pictureWidth) << c.name;
        EXPECT_EQ(MainForm->IconImage->Width(), c.pictureWidth) << c.name;
        Quit();
        boxes.clear();
    }
    vt::WriteFileBytes(file, kitIcon);
}

TEST_F(UninstallWindow, MissingOrBrokenDeviceListsDoNotStopTheUninstall) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<std::wstring> filtersAfter;
    };
    const Case cases[] = {
        {"USB group missing", [] { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, vt::kUsbGroupKey); },
         {L"VelloFlt", L"OtherFlt"}},
        {"USB group entry without its cipher text",
         [] {
             HKEY key = nullptr;
             ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, vt::kUsbGroupKey, 0, KEY_SET_VALUE, &key);
             const std::wstring broken = L"USB\\VID_2F7B&PID_73XX&REV_0100&MI_03,";
             ::RegSetValueExW(key, L"1", 0, REG_SZ, reinterpret_cast<const BYTE*>(broken.c_str()),
                              static_cast<DWORD>((broken.size() + 1) * sizeof(wchar_t)));
             ::RegCloseKey(key);
         },
         {L"VelloFlt", L"OtherFlt"}},
        {"HID group missing", [] { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, vt::kHidGroupKey); }, {L"OtherFlt"}},
    };
    for (const Case& c : cases) {
        Reinstall();
        c.arrange();
        vt::PhantomDevices devices;
        const std::wstring id = devices.Add({kSupported}, {L"VelloFlt", L"OtherFlt"});
        ASSERT_FALSE(id.empty()) << c.name;
        Show();
        EXPECT_FALSE(app->Terminated()) << c.name << ": the window must stay";
        EXPECT_TRUE(::IsWindowVisible(MainForm->Handle())) << c.name;
        MainForm->Uninstall();
        EXPECT_EQ(LowerFilters(devices, id), c.filtersAfter) << c.name;
        EXPECT_FALSE(vt::Exists(vt::KitInstallFolder() + L"Skin")) << c.name << ": the rest is removed";
        EXPECT_FALSE(vt::RegKeyExists(vt::kUninstallKey)) << c.name;
        EXPECT_TRUE(vt::RegKeyExists(vt::kUsbGroupKey)) << c.name << ": the groups stay";
        Quit();
    }
}

TEST_F(UninstallWindow, DesktopShortcutGoesOnlyWhenTheInstallerMadeIt) {
    struct Case {
        const wchar_t* option;  // DesktopShortcutEnable of the user's copy; null: missing
        bool deleted;
    };
    const Case cases[] = {{L"1", true}, {L"2", false}, {L"abc", false}, {nullptr, false}};
    const std::wstring shortcut = vt::DesktopFolder() + vt::kKitDesktopShortcut;
    for (const Case& c : cases) {
        const std::string name = c.option ? vt::Narrow(c.option) : "missing";
        Reinstall();
        ASSERT_TRUE(vt::Exists(shortcut)) << name;
        WriteIni(UserConfig(), L"Install", L"DesktopShortcutEnable", c.option);
        Show();
        MainForm->Uninstall();
        EXPECT_EQ(!vt::Exists(shortcut), c.deleted) << name;
        Quit();
    }
}

// A 32-bit uninstaller on 64-bit Windows deletes the service's program from
// the native system folder, with the file-system redirection off for just
// that deletion. (This build never runs under WOW64: the system's answers
// are replaced.)
std::vector<std::wstring> g_redirection;
BOOL WINAPI Wow64Yes(HANDLE, PBOOL wow64) {
    *wow64 = TRUE;
    return TRUE;
}
BOOL WINAPI RecordDisable(PVOID* old) {
    *old = reinterpret_cast<PVOID>(0x5A);
    g_redirection.push_back(L"off");
    return TRUE;
}
BOOL WINAPI RecordRevert(PVOID old) {
    g_redirection.push_back(old == reinterpret_cast<PVOID>(0x5A) ? L"back" : L"back (wrong value)");
    return TRUE;
}

TEST_F(UninstallWindow, ServiceProgramGoesWithRedirectionOffUnderWow64) {
    const Wow64Api wow64 = {Wow64Yes, RecordDisable, RecordRevert};
    const Wow64Api* previous = ReplaceWow64Api(&wow64);
    Open();
    g_redirection.clear();
    const std::wstring service = vt::SystemFolder() + L"VelloService.exe";
    ASSERT_TRUE(vt::Exists(service));
    MainForm->Uninstall();
    ReplaceWow64Api(previous);
    EXPECT_EQ(g_redirection, (std::vector<std::wstring>{L"off", L"back"}));
    EXPECT_FALSE(vt::Exists(service));
}

// Uninstall runs the worker; it reports its progress to the window, which
// refuses every close request until the worker ends the program. The
// warning box shows when the filter driver is still reachable or a device
// could not be enabled again.
TEST_F(UninstallWindow, WorkerReportsProgressWarnsAndHoldsTheWindowOpen) {
    struct Case {
        const char* name;
        bool filterDevice;
        bool failEnable;
        bool box;
    };
    const Case cases[] = {
        {"filter driver still reachable", true, false, true},
        {"a device left disabled", false, true, true},
        {"neither", false, false, false},
    };
    for (const Case& c : cases) {
        Reinstall();
        progress.clear();
        g_failEnable = c.failEnable;
        vt::PhantomDevices devices;
        ASSERT_FALSE(devices.Add({kSupported}, {L"VelloFlt"}).empty()) << c.name;
        std::unique_ptr<vt::FilterControlDevice> filter;
        if (c.filterDevice) {
            filter = std::make_unique<vt::FilterControlDevice>();
            ASSERT_TRUE(filter->present()) << c.name;
        }
        Show();
        Click(MainForm->UninstallBitBtn);
        EXPECT_TRUE(MainForm->Uninstalling()) << c.name;
        EXPECT_FALSE(::IsWindowEnabled(MainForm->UninstallBitBtn->Handle())) << c.name;
        EXPECT_FALSE(::IsWindowEnabled(MainForm->CancelBitBtn->Handle())) << c.name;
        EXPECT_TRUE(CloseGreyed(MainForm->Handle())) << c.name;

        const HWND form = MainForm->Handle();
        ::SendMessageW(form, WM_CLOSE, 0, 0);
        ::SendMessageW(app->Handle(), WM_CLOSE, 0, 0);
        ::SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
        Click(MainForm->CancelBitBtn);
        EXPECT_EQ(::SendMessageW(form, WM_QUERYENDSESSION, 0, 0), FALSE) << c.name;
        Pump(50);
        EXPECT_FALSE(app->Terminated()) << c.name << ": closed while the worker runs";
        EXPECT_TRUE(::IsWindowVisible(form)) << c.name;

        vt::MessageBoxInfo box;
        ASSERT_TRUE(PumpUntil([&] { return app->Terminated() || vt::FindMessageBox(::GetCurrentProcessId(), box); }))
            << c.name;
        EXPECT_EQ(box.hwnd != nullptr, c.box) << c.name;
        if (box.hwnd) {
            EXPECT_EQ(box.caption, L"Uninstall") << c.name;
            EXPECT_EQ(box.text, L"The audio filter is still active. Please restart Windows.") << c.name;
            ::SendMessageW(form, WM_CLOSE, 0, 0);
            Pump(50);
            EXPECT_FALSE(app->Terminated()) << c.name << ": closed while the box shows";
            vt::AnswerMessageBox(box.hwnd);
        }
        ASSERT_TRUE(PumpUntil([&] { return app->Terminated(); })) << c.name;
        EXPECT_EQ(progress, (std::vector<int>{1, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100})) << c.name;
        EXPECT_EQ(MainForm->ProgressBar->Position(), 100) << c.name;
        EXPECT_FALSE(vt::Exists(vt::KitInstallFolder() + L"VelloPanel.exe")) << c.name;
        EXPECT_TRUE(boxes.empty()) << c.name;
        Quit();
    }
}

// ---- names and paths that reach beyond the installation ------------------

// Files that an uninstall must leave, whatever its settings name.
std::vector<std::wstring> Bystanders() {
    const std::wstring pf = vt::ProgramFilesFolder() + L"\\";
    const std::wstring programs = vt::CommonProgramsFolder() + L"\\";
    return {
        pf + L"Skin\\keep.txt",
        pf + L"Language\\keep.txt",
        pf + L"Manual\\keep.txt",
        pf + L"Plugin\\keep.txt",
        pf + L"bee.wav",
        vt::OtherProductFile(),
        pf + L"Other Audio\\VelloPanel.exe",
        vt::OtherAppDataFile(),
        vt::OtherUserFolderFile(),
        L"C:\\Elsewhere\\Skin\\keep.txt",
        L"C:\\Elsewhere\\AudioConfig.cfg",
        vt::AppDataFolder() + L"\\..\\Elsewhere\\keep.txt",
        programs + L"Vello Audio Center.lnk",
        programs + L"..\\Vello Audio Center.lnk",
        programs + L"..\\Vello Audio\\Vello Audio Center.lnk",
        vt::DesktopFolder() + L"..\\Vello Audio Center.lnk",
        L"C:\\Vello Audio\\keep.txt",
        vt::KitInstallFolder() + L"VelloUninstall.exe",
    };
}

void PlaceBystanders() {
    for (const std::wstring& file : Bystanders()) {
        std::wstring folder = file.substr(0, file.rfind(L'\\'));
        for (size_t slash = folder.find(L'\\', 3); slash != std::wstring::npos; slash = folder.find(L'\\', slash + 1))
            ::CreateDirectoryW(folder.substr(0, slash).c_str(), nullptr);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        if (!vt::Exists(file)) vt::WriteFileBytes(file, "bystander");
    }
}

void RemoveBystanders() {
    const std::wstring pf = vt::ProgramFilesFolder() + L"\\";
    for (const std::wstring& folder : {pf + L"Skin", pf + L"Language", pf + L"Manual", pf + L"Plugin",
                                       std::wstring(L"C:\\Elsewhere"), std::wstring(L"C:\\Vello Audio"),
                                       vt::AppDataFolder() + L"\\..\\Elsewhere",
                                       vt::CommonProgramsFolder() + L"\\..\\Vello Audio"})
        vt::RemoveTree(folder);
    for (const std::wstring& file : {pf + L"bee.wav", vt::CommonProgramsFolder() + L"\\Vello Audio Center.lnk",
                                     vt::CommonProgramsFolder() + L"\\..\\Vello Audio Center.lnk",
                                     vt::DesktopFolder() + L"..\\Vello Audio Center.lnk"})
        ::DeleteFileW(file.c_str());
}

class UninstallNames : public UninstallWindow {
protected:
    void TearDown() override {
        UninstallWindow::TearDown();
        RemoveBystanders();
    }
};

TEST_F(UninstallNames, UnusableNamesDeleteNothingBeyondTheirOwnFolders) {
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
        bool ownFolder;  // InstallFolderName usable: the rest of the installation goes
    };
    std::vector<Case> cases;
    for (const wchar_t* value : {L"", L"C:\\Elsewhere", L"..\\Elsewhere", L"D:", L"Vello*"})
        cases.push_back({L"Install", L"InstallFolderName", value, false});
    for (const auto& [section, key] : std::vector<std::pair<const wchar_t*, const wchar_t*>>{
             {L"Skin", L"SkinFolderName"}, {L"Language", L"LanguageFolderName"}, {L"Plugin", L"PluginFolderName"}}) {
        for (const wchar_t* value : {L"", L"..", L"..\\Other Audio", L"C:\\Elsewhere", L"*"})
            cases.push_back({section, key, value, true});
    }
    for (const auto& [key, value] : std::vector<std::pair<const wchar_t*, const wchar_t*>>{
             {L"ShortcutFolderName", L""},
             {L"ShortcutFolderName", L".."},
             {L"ShortcutFolderName", L"C:\\Elsewhere"},
             {L"ShortcutFolderName", L"*"},
             {L"ShortcutFolderNameUp", L".."},
             {L"AppShortcutName", L"..\\Vello Audio Center"},
             {L"APPFileName", L"..\\Other Audio\\VelloPanel"}})
        cases.push_back({L"Install", key, value, true});

    for (const Case& c : cases) {
        const std::string name = vt::Narrow(std::wstring(c.key) + L"=\"" + c.value + L"\"");
        Reinstall();
        PlaceBystanders();
        KeptValues setting;
        setting.Set(Kit() + L"AudioConfig.cfg", c.section, c.key, c.value);
        Open();
        MainForm->m_IsDesktopShortCut = 1;
        MainForm->Uninstall();
        for (const std::wstring& file : Bystanders()) EXPECT_TRUE(vt::Exists(file)) << name << ": " << vt::Narrow(file);
        EXPECT_FALSE(vt::RegKeyExists(vt::kUninstallKey)) << name << ": the other steps still run";
        EXPECT_EQ(!vt::Exists(vt::KitInstallFolder() + L"Manual"), c.ownFolder) << name;
        EXPECT_EQ(!vt::Exists(vt::KitUserFolder()), c.ownFolder) << name;
        EXPECT_EQ(MainForm->Execute_FinalDeleteFile(),
                  c.ownFolder ? DWORD{kFinalDeleteNoResource} : DWORD{kFinalDeleteNotStarted})
            << name << ": no clean-up program without an install folder of our own";
        Quit();
        RemoveBystanders();
    }
}

// Without a usable APPDATA the user's folder comes from the shell, never
// from the root of the current drive.
TEST_F(UninstallNames, UserFolderWithoutUsableAppData) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_TRUE(::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH));
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    struct Case {
        const char* name;
        const wchar_t* value;  // null: unset
    };
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'a');
    const Case cases[] = {
        {"unset", nullptr},
        {"300 characters", tooLong.c_str()},
        {"relative", L"Roaming"},
        {"a drive", L"C:"},
    };
    for (const Case& c : cases) {
        Reinstall();
        PlaceBystanders();
        ::SetCurrentDirectoryW(L"C:\\");
        ::SetEnvironmentVariableW(L"APPDATA", c.value);
        Open();
        MainForm->Uninstall();
        ::SetEnvironmentVariableW(L"APPDATA", appData);
        ::SetCurrentDirectoryW(current);
        EXPECT_TRUE(vt::Exists(L"C:\\Vello Audio\\keep.txt")) << c.name;
        EXPECT_FALSE(vt::Exists(vt::KitUserFolder())) << c.name << ": the user's folder still goes";
        EXPECT_TRUE(vt::Exists(vt::OtherAppDataFile())) << c.name;
        Quit();
        RemoveBystanders();
    }
}

}  // namespace
