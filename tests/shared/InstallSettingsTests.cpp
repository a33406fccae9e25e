// Runs in both test programs: the control panel's record has no
// ShortcutFolderNameUp and no SoundEffectAPPFileName.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "TestSupport.h"
#include "shared/InstallSettings.h"
#include "shared/Variant.h"
#include "shared/Wow64.h"

namespace {

template <typename T, typename = void>
struct HasShortcutFolderNameUp : std::false_type {};
template <typename T>
struct HasShortcutFolderNameUp<T, std::void_t<decltype(&T::ShortcutFolderNameUp)>> : std::true_type {};
template <typename T, typename = void>
struct HasSoundEffectAPPFileName : std::false_type {};
template <typename T>
struct HasSoundEffectAPPFileName<T, std::void_t<decltype(&T::SoundEffectAPPFileName)>>
    : std::true_type {};

static_assert(HasShortcutFolderNameUp<INSTALL_SETTINGS>::value == !variant::kPanel,
              "only the setup programs' record holds ShortcutFolderNameUp");
static_assert(HasSoundEffectAPPFileName<INSTALL_SETTINGS>::value == !variant::kPanel,
              "only the setup programs' record holds SoundEffectAPPFileName");

struct KeyRow {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring INSTALL_SETTINGS::*field;
};

const KeyRow kRows[] = {
    {L"Language", L"LanguageFolderName", &INSTALL_SETTINGS::LanguageFolderName},
    {L"Skin", L"SkinFolderName", &INSTALL_SETTINGS::SkinFolderName},
    {L"Install", L"InstallAppTitle", &INSTALL_SETTINGS::InstallAppTitle},
    {L"Install", L"InstallIconFileName", &INSTALL_SETTINGS::InstallIconFileName},
    {L"Install", L"InstallFolderName", &INSTALL_SETTINGS::InstallFolderName},
    {L"Install", L"ShortcutFolderName", &INSTALL_SETTINGS::ShortcutFolderName},
#ifndef VELLO_PANEL_VARIANT
    {L"Install", L"ShortcutFolderNameUp", &INSTALL_SETTINGS::ShortcutFolderNameUp},
    {L"Install", L"SoundEffectAPPFileName", &INSTALL_SETTINGS::SoundEffectAPPFileName},
#endif
    {L"Install", L"AppShortcutName", &INSTALL_SETTINGS::AppShortcutName},
    {L"Uninstall", L"UninstallAppTitle", &INSTALL_SETTINGS::UninstallAppTitle},
    {L"Uninstall", L"UninstallIconFileName", &INSTALL_SETTINGS::UninstallIconFileName},
    {L"Uninstall", L"UninstallShortcutName", &INSTALL_SETTINGS::UninstallShortcutName},
    {L"Uninstall", L"Publisher", &INSTALL_SETTINGS::Publisher},
    {L"Uninstall", L"UninstallDisplayName", &INSTALL_SETTINGS::UninstallDisplayName},
    {L"Application", L"DeviceActiveIconFileName", &INSTALL_SETTINGS::DeviceActiveIconFileName},
    {L"Application", L"DeviceUnactiveIconFileName", &INSTALL_SETTINGS::DeviceUnactiveIconFileName},
    {L"Application", L"TrayIconRestorOn", &INSTALL_SETTINGS::TrayIconRestorOn},
    {L"Install", L"APPFileName", &INSTALL_SETTINGS::APPFileName},
    {L"Install", L"UserManualShortcutName", &INSTALL_SETTINGS::UserManualShortcutName},
    {L"Uninstall", L"UninstallFileName", &INSTALL_SETTINGS::UninstallFileName},
    {L"DebugLevel", L"Application", &INSTALL_SETTINGS::DebugLevelApplication},
    {L"DebugLevel", L"Service", &INSTALL_SETTINGS::DebugLevelService},
    {L"Install", L"EffectAPPFileName", &INSTALL_SETTINGS::EffectAPPFileName},
    {L"Install", L"EffectAppShortcutName", &INSTALL_SETTINGS::EffectAppShortcutName},
    {L"Plugin", L"PluginFolderName", &INSTALL_SETTINGS::PluginFolderName},
};

std::wstring ProgramFiles() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

class InstallSettingsTest : public ::testing::Test {
protected:
    void WriteConfig(const std::string& text) {
        ASSERT_TRUE(vt::WriteFileBytes(dir / L"AudioConfig.cfg", text));
    }
    void Load(INSTALL_SETTINGS& s) { LoadInstallSettings(L"AudioConfig.cfg", dir / L"VelloSetup.exe", s); }

    vt::TempDir dir;
};

TEST_F(InstallSettingsTest, FillsEveryFieldFromItsKey) {
    std::map<std::wstring, std::string> sections;
    for (const KeyRow& r : kRows) {
        sections[r.section] += vt::Narrow(r.key) + "=value of " + vt::Narrow(r.section) + "/" +
                               vt::Narrow(r.key) + "\r\n";
    }
    if (variant::kPanel) {  // present in the file, not in the panel's record
        sections[L"Install"] += "ShortcutFolderNameUp=up\r\nSoundEffectAPPFileName=sound\r\n";
    }
    std::string text;
    for (const auto& section : sections) text += "[" + vt::Narrow(section.first) + "]\r\n" + section.second;
    WriteConfig(text);
    INSTALL_SETTINGS s;
    Load(s);
    for (const KeyRow& r : kRows) {
        EXPECT_EQ(s.*r.field, L"value of " + std::wstring(r.section) + L"/" + r.key)
            << vt::Narrow(r.section) << "/" << vt::Narrow(r.key);
    }
    EXPECT_EQ(s.SourceAppFileName, L"VelloSetup.exe");
    EXPECT_EQ(s.SourceFolderFullPath, dir.path());
    EXPECT_EQ(s.InstallFolderFullPath,
              s.ProgramFilesFolderPath + L"value of Install/InstallFolderName\\");
}

TEST_F(InstallSettingsTest, MissingFileGivesEmptyFieldsAndDerivedFolders) {
    INSTALL_SETTINGS s;
    Load(s);
    for (const KeyRow& r : kRows) {
        const bool debug = std::wstring(r.section) == L"DebugLevel";
        EXPECT_EQ(s.*r.field, debug ? L"0" : L"") << vt::Narrow(r.key);
    }
    EXPECT_EQ(s.ProgramFilesFolderPath, ProgramFiles() + L"\\");
    EXPECT_EQ(s.InstallFolderFullPath, ProgramFiles() + L"\\\\") << "two backslashes at the end";
    EXPECT_EQ(s.NativeSystemFolderPath, SystemFolder() + L"\\");
    EXPECT_FALSE(HasUsableInstallFolderName(s)) << "callers must not work on bare Program Files";
}

TEST_F(InstallSettingsTest, EmptyValuesLeaveFieldsAndLongValuesAreCut) {
    WriteConfig("[Install]\r\nInstallAppTitle=\r\nAPPFileName=" + std::string(1500, 'p') +
                "\r\nInstallFolderName=Vello Audio\r\n[DebugLevel]\r\nApplication=\r\nService=3\r\n");
    INSTALL_SETTINGS s;
    s.InstallAppTitle = L"kept";
    Load(s);
    EXPECT_EQ(s.InstallAppTitle, L"kept") << "an empty value counts as missing";
    EXPECT_EQ(s.APPFileName, std::wstring(1023, L'p'));
    EXPECT_EQ(s.DebugLevelApplication, L"0");
    EXPECT_EQ(s.DebugLevelService, L"3");
    EXPECT_TRUE(HasUsableInstallFolderName(s));

    // A second load changes only fields whose keys have values.
    vt::TempDir other;
    ASSERT_TRUE(vt::WriteFileBytes(other / L"AudioConfig.cfg", "[Install]\r\nInstallFolderName=Other\r\n"));
    LoadInstallSettings(L"AudioConfig.cfg", other / L"VelloSetup.exe", s);
    EXPECT_EQ(s.InstallFolderName, L"Other");
    EXPECT_EQ(s.APPFileName, std::wstring(1023, L'p'));
    EXPECT_EQ(s.InstallFolderFullPath, s.ProgramFilesFolderPath + L"Other\\");
    EXPECT_EQ(s.SourceFolderFullPath, other.path());
}

TEST_F(InstallSettingsTest, ExecutablePathWithoutFolderReadsTheBareFileName) {
    // The profile functions look for a bare file name in the Windows folder.
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring name = L"VelloSettingsTest" + std::to_wstring(::GetCurrentProcessId()) + L".cfg";
    const std::wstring file = std::wstring(windows) + L"\\" + name;
    ASSERT_TRUE(vt::WriteFileBytes(file, "[Install]\r\nInstallFolderName=FromBareName\r\n"));
    INSTALL_SETTINGS s;
    LoadInstallSettings(name, L"VelloPanel.exe", s);
    ::DeleteFileW(file.c_str());
    EXPECT_EQ(s.SourceAppFileName, L"VelloPanel.exe");
    EXPECT_EQ(s.SourceFolderFullPath, L"");
    EXPECT_EQ(s.InstallFolderName, L"FromBareName");
}

// ---- WOW64 branch -------------------------------------------------------------

struct Wow64Record {
    BOOL reported = FALSE;
    BOOL callResult = TRUE;
    std::vector<std::string> calls;
    DWORD thread = 0;
    bool sameThread = true;
};
Wow64Record g_wow;
PVOID const kOldValue = reinterpret_cast<PVOID>(0x1234);

BOOL WINAPI FakeIsWow64(HANDLE process, PBOOL wow64) {
    g_wow.calls.push_back(process == ::GetCurrentProcess() ? "is-wow64(self)" : "is-wow64(other)");
    *wow64 = g_wow.reported;
    return g_wow.callResult;
}
BOOL WINAPI FakeDisable(PVOID* old) {
    g_wow.calls.push_back("disable");
    g_wow.sameThread = g_wow.sameThread && ::GetCurrentThreadId() == g_wow.thread;
    *old = kOldValue;
    return TRUE;
}
BOOL WINAPI FakeRevert(PVOID old) {
    g_wow.calls.push_back(old == kOldValue ? "revert(kept value)" : "revert(other value)");
    g_wow.sameThread = g_wow.sameThread && ::GetCurrentThreadId() == g_wow.thread;
    return TRUE;
}

class FakeWow64 {
public:
    explicit FakeWow64(const Wow64Api& api) : api_(api) { previous_ = ReplaceWow64Api(&api_); }
    ~FakeWow64() { ReplaceWow64Api(previous_); }

private:
    Wow64Api api_;
    const Wow64Api* previous_ = nullptr;
};

TEST_F(InstallSettingsTest, SwitchesRedirectionOffOnlyUnderWow64) {
    struct Case {
        const char* name;
        bool hasIsWow64;
        BOOL reported;
        BOOL callResult;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"WOW64", true, 1, TRUE, {"is-wow64(self)", "disable", "revert(kept value)"}},
        {"not WOW64", true, 0, TRUE, {"is-wow64(self)"}},
        {"only exactly 1 counts", true, 2, TRUE, {"is-wow64(self)"}},
        {"the test fails", true, 1, FALSE, {"is-wow64(self)"}},
        {"no IsWow64Process", false, 1, TRUE, {}},
    };
    for (const Case& c : cases) {
        g_wow = Wow64Record();
        g_wow.reported = c.reported;
        g_wow.callResult = c.callResult;
        g_wow.thread = ::GetCurrentThreadId();
        Wow64Api api = {c.hasIsWow64 ? FakeIsWow64 : nullptr, FakeDisable, FakeRevert};
        FakeWow64 fake(api);
        INSTALL_SETTINGS s;
        Load(s);
        EXPECT_EQ(g_wow.calls, c.calls) << c.name;
        EXPECT_TRUE(g_wow.sameThread) << c.name;
        EXPECT_EQ(s.NativeSystemFolderPath, SystemFolder() + L"\\") << c.name;
    }
}

// ---- helpers ------------------------------------------------------------------

TEST(InstallSettingsHelpers, AppendBackslashOnceWithinTheBuffer) {
    struct Case {
        const char* name;
        std::wstring text;
        std::wstring result;
    };
    const Case cases[] = {
        {"plain folder", L"C:\\Program Files", L"C:\\Program Files\\"},
        {"already there", L"C:\\Program Files\\", L"C:\\Program Files\\"},
        {"empty", L"", L"\\"},
        {"room for one more", std::wstring(258, L'a'), std::wstring(258, L'a') + L"\\"},
        {"buffer full", std::wstring(259, L'a'), std::wstring(259, L'a')},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        AppendBackslash(text, MAX_PATH);
        EXPECT_EQ(text, c.result) << c.name;
    }
}

TEST(InstallSettingsHelpers, UsableFolderNamesNameAFolderOfTheirOwn) {
    struct Case {
        const wchar_t* name;
        bool usable;
    };
    const Case cases[] = {
        {L"Vello Audio", true}, {L"Vendor\\Product", true}, {L"Vello.", true},
        {L"", false},           {L".", false},              {L"..", false},
        {L"...", false},        {L" ", false},              {L" . ", false},
        {L"\\Windows", false},  {L"/Windows", false},       {L"C:\\Data", false},
        {L"C:", false},         {L"a\\..\\..", false},      {L"a\\", false},
        {L"a\\\\b", false},     {L"*", false},              {L"a?b", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsUsableFolderName(c.name), c.usable) << "'" << vt::Narrow(c.name) << "'";
    }
}

}  // namespace
