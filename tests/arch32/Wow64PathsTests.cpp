// The shared library in a 32-bit program on 64-bit Windows (WOW64): where its
// folders point, which registry view its writers land in, and where a file
// goes with the file-system redirection switched off and on.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "TestSupport.h"
#include "Wow64Files.h"
#include "shared/InstallSettings.h"
#include "shared/Registry.h"
#include "shared/Wow64.h"

namespace {

constexpr wchar_t kTestKey[] = L"Vello WOW64 Test";

std::wstring FolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// A registry text value read in the given view; empty when it is not there.
std::wstring ReadText(const std::wstring& key, const wchar_t* name, REGSAM view) {
    wchar_t data[MAX_PATH] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &raw) != ERROR_SUCCESS) return L"";
    LONG r = ::RegQueryValueExW(raw, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(raw);
    return r == ERROR_SUCCESS ? std::wstring(data) : std::wstring();
}

bool KeyExists(const std::wstring& key, REGSAM view) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &raw) != ERROR_SUCCESS) return false;
    ::RegCloseKey(raw);
    return true;
}

void DeleteKey(const std::wstring& key, REGSAM view) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS | view, &raw) == ERROR_SUCCESS) {
        ::RegDeleteTreeW(raw, nullptr);
        ::RegCloseKey(raw);
    }
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
}

using arch32::Exists;
using arch32::ExistsNatively;
using arch32::Syswow64Folder;

TEST(Wow64Paths, TheReleaseBuildRunsAsA32BitProgramUnderWow64) {
    EXPECT_EQ(sizeof(void*), 4u);
    EXPECT_TRUE(IsRunningUnderWow64());
    EXPECT_FALSE(Syswow64Folder().empty()) << "a 64-bit system has a folder for 32-bit system files";
}

TEST(Wow64Paths, SettingsTakeThe32BitProgramFilesAndTheNativeSystemFolder) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"AudioConfig.cfg", "[Install]\r\nInstallFolderName=Vello Audio\r\n"));
    INSTALL_SETTINGS s;
    LoadInstallSettings(L"AudioConfig.cfg", dir / L"VelloSetup.exe", s);

    const std::wstring programFiles32 = FolderPath(CSIDL_PROGRAM_FILESX86);
    const std::wstring programFiles64 =
        ReadText(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir", KEY_WOW64_64KEY);
    ASSERT_FALSE(programFiles64.empty());
    EXPECT_NE(programFiles32, programFiles64);
    EXPECT_EQ(s.ProgramFilesFolderPath, programFiles32 + L"\\");
    EXPECT_EQ(s.InstallFolderFullPath, programFiles32 + L"\\Vello Audio\\");

    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(s.NativeSystemFolderPath, std::wstring(system) + L"\\");
    EXPECT_NE(s.NativeSystemFolderPath, Syswow64Folder());
    EXPECT_TRUE(IsRunningUnderWow64()) << "the settings loader turned the redirection back on";
    EXPECT_FALSE(Exists(s.NativeSystemFolderPath + L"drivers\\VelloFlt-absent.sys"));
}

// A file written through the native system folder goes to the 64-bit system
// folder only while the redirection is off; with it on, to syswow64.
TEST(Wow64Paths, TheRedirectionPairDecidesWhereAFileLands) {
    INSTALL_SETTINGS s;
    LoadInstallSettings(L"AudioConfig.cfg", L"C:\\absent\\VelloSetup.exe", s);
    const std::wstring name = L"vello-wow64-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    struct Case {
        const char* name;
        std::wstring subFolder;
        bool redirectionOff;
        bool inNative;    // seen in the system folder with the redirection off
        bool inSyswow64;  // seen in syswow64
    };
    const Case cases[] = {
        {"system folder, redirection off", L"", true, true, false},
        {"drivers folder, redirection off", L"drivers\\", true, true, false},
        {"system folder, redirection on", L"", false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = s.NativeSystemFolderPath + c.subFolder + name;
        const std::wstring wow64Path = Syswow64Folder() + c.subFolder + name;
        ::CreateDirectoryW((Syswow64Folder() + c.subFolder).c_str(), nullptr);
        PVOID old = nullptr;
        if (c.redirectionOff) {
            ASSERT_TRUE(DisableWow64Redirection(&old));
        }
        const bool written = vt::WriteFileBytes(path, "payload");
        if (c.redirectionOff) {
            ASSERT_TRUE(RevertWow64Redirection(old));
        }
        ASSERT_TRUE(written);

        EXPECT_EQ(ExistsNatively(path), c.inNative);
        EXPECT_EQ(Exists(wow64Path), c.inSyswow64);
        EXPECT_EQ(Exists(path), c.inSyswow64) << "with the redirection on the system folder shows syswow64";

        ::DeleteFileW(wow64Path.c_str());
        if (DisableWow64Redirection(&old)) {
            ::DeleteFileW(path.c_str());
            RevertWow64Redirection(old);
        }
    }
}

// HKLM\SOFTWARE written by a 32-bit program lands in the 32-bit view
// (WOW6432Node); the services key is one for both.
TEST(Wow64Paths, RegistryWritersLandInTheirViews) {
    const std::wstring software = std::wstring(L"SOFTWARE\\") + kTestKey;
    const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelloWow64Test";
    const std::wstring run = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::wstring service = L"SYSTEM\\CurrentControlSet\\Services\\VelloWow64Flt";

    ASSERT_EQ(WriteRegistryString(kTestKey, L"Text", L"written"), kRegWritten);
    INSTALL_MGR::REG_UNINSTALL_INFO info;
    info.KeyPath = uninstall;
    info.DisplayName = L"Vello WOW64 test";
    ASSERT_TRUE(WriteUninstallInfo(info));
    ASSERT_EQ(WriteRunValue(L"VelloWow64Test", L"C:\\x.exe -boot"), kRegWritten);
    ASSERT_EQ(CreateDriverServiceKey(L"VelloWow64Flt"), kRegWritten);

    struct Case {
        const char* name;
        std::wstring key;
        const wchar_t* value;
        std::wstring expected;
        bool in32BitView;
        bool in64BitView;
    };
    const Case cases[] = {
        {"settings key", software, L"Text", L"written", true, false},
        {"uninstall entry", uninstall, L"DisplayName", L"Vello WOW64 test", true, false},
        {"run value", run, L"VelloWow64Test", L"C:\\x.exe -boot", true, false},
        {"driver service key", service, L"ImagePath", L"System32\\DRIVERS\\VelloWow64Flt.sys", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadText(c.key, c.value, KEY_WOW64_32KEY), c.in32BitView ? c.expected : L"");
        EXPECT_EQ(ReadText(c.key, c.value, KEY_WOW64_64KEY), c.in64BitView ? c.expected : L"");
    }

    // A value only the 64-bit view holds is not what a 32-bit reader sees.
    {
        HKEY raw = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, software.c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &raw, nullptr),
                  ERROR_SUCCESS);
        DWORD seven = 7;
        ::RegSetValueExW(raw, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), sizeof(seven));
        ::RegCloseKey(raw);
        DWORD value = 0;
        EXPECT_EQ(ReadRegistryDWORD(kTestKey, L"Number", value), kRegValueMissing);
        ASSERT_EQ(WriteRegistryDWORD(kTestKey, L"Number", 32), kRegWritten);
        EXPECT_EQ(ReadRegistryDWORD(kTestKey, L"Number", value), kRegRead);
        EXPECT_EQ(value, 32u);
    }

    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        DeleteKey(software, view);
        DeleteKey(uninstall, view);
        DeleteKey(service, view);
        HKEY raw = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, run.c_str(), 0, KEY_SET_VALUE | view, &raw) == ERROR_SUCCESS) {
            ::RegDeleteValueW(raw, L"VelloWow64Test");
            ::RegCloseKey(raw);
        }
    }
    EXPECT_FALSE(KeyExists(software, KEY_WOW64_32KEY));
}

}  // namespace
