#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "shared/VersionInfo.h"

namespace {

TEST(GetFileVersionString, ReadsTheFixedFileVersion) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"plain.txt", "no version here"));
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    struct Case {
        const char* name;
        std::wstring path;
        int result;
        std::wstring text;
    };
    const Case cases[] = {
        {"program, part above 32767", self, kVersionRead, L"1.2.60000.4"},
        {"library", vt::BinPath(L"shared_version_fixture.dll"), kVersionRead, L"1.2.3.4"},
        {"file without version resource", dir / L"plain.txt", kVersionNoResource, L"unchanged"},
        {"missing file", dir / L"missing.exe", kVersionNoResource, L"unchanged"},
    };
    for (const Case& c : cases) {
        std::wstring text = L"unchanged";
        EXPECT_EQ(GetFileVersionString(c.path, text), c.result) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

// Recorded versions played through the version seam.
struct Recorded {
    const char* name;
    DWORD major, minor, build;
    WORD servicePack;
    int osClass, code;
};
const Recorded kRecorded[] = {
    {"NT 4.0 SP6", 4, 0, 1381, 6, kOsNT4, 0x400},
    {"NT 4.1 (not released)", 4, 1, 0, 0, kOsNT4, -1},
    {"2000 SP4", 5, 0, 2195, 4, kOsWin2000, 0x500},
    {"XP SP3", 5, 1, 2600, 3, kOsWinXP, 0x501},
    {"XP x64 / Server 2003 SP2", 5, 2, 3790, 2, kOsWinXP, 0x502},
    {"Vista SP2", 6, 0, 6002, 2, kOsVista, 0x600},
    {"7 SP1", 6, 1, 7601, 1, kOsWin7, 0x601},
    {"7 without service pack", 6, 1, 7600, 0, kOsWin7, 0x601},
    {"8", 6, 2, 9200, 0, kOsWin8, 0x602},
    {"8.1", 6, 3, 9600, 0, kOsWin8, 0x603},
    {"10 22H2", 10, 0, 19045, 0, kOsWin10, 0xA00},
    {"11 23H2", 10, 0, 22631, 0, kOsWin10, 0xA00},
    {"6.4 preview", 6, 4, 9841, 0, kOsUnknown, -1},
    {"NT 3.51", 3, 51, 1057, 5, kOsUnknown, -1},
    {"a future 11.0", 11, 0, 30000, 0, kOsUnknown, -1},
};

const Recorded* g_playing = nullptr;
LONG g_status = 0;
DWORD g_sizeSeen = 0;

LONG WINAPI PlayVersion(RTL_OSVERSIONINFOEXW* info) {
    g_sizeSeen = info->dwOSVersionInfoSize;
    if (g_status != 0) return g_status;
    info->dwMajorVersion = g_playing->major;
    info->dwMinorVersion = g_playing->minor;
    info->dwBuildNumber = g_playing->build;
    info->wServicePackMajor = g_playing->servicePack;
    return 0;
}

class PlayedVersion {
public:
    explicit PlayedVersion(RtlGetVersionFn fn) : api_{fn} { previous_ = ReplaceVersionApi(&api_); }
    ~PlayedVersion() { ReplaceVersionApi(previous_); }

private:
    VersionApi api_;
    const VersionApi* previous_ = nullptr;
};

TEST(GetWindowsVersion, ClassifiesRecordedVersions) {
    PlayedVersion played(PlayVersion);
    g_status = 0;
    for (const Recorded& r : kRecorded) {
        g_playing = &r;
        int osClass = 99, code = 99, sp = 99;
        ASSERT_EQ(GetWindowsVersion(&osClass, &code, &sp), 0) << r.name;
        EXPECT_EQ(osClass, r.osClass) << r.name;
        EXPECT_EQ(code, r.code) << r.name;
        EXPECT_EQ(sp, r.servicePack) << r.name;
        EXPECT_EQ(g_sizeSeen, sizeof(RTL_OSVERSIONINFOEXW)) << r.name;
    }
}

TEST(GetWindowsVersion, ReportsMissingOrFailingCallAndSkipsAbsentOutputs) {
    static const Recorded win81 = {"8.1", 6, 3, 9600, 0, kOsWin8, 0x603};
    g_playing = &win81;
    {
        PlayedVersion missing(nullptr);
        int osClass = 99;
        EXPECT_EQ(GetWindowsVersion(&osClass, nullptr, nullptr), 1);
        EXPECT_EQ(osClass, 99);
    }
    PlayedVersion played(PlayVersion);
    g_status = static_cast<LONG>(0xC0000001);
    int osClass = 99;
    EXPECT_EQ(GetWindowsVersion(&osClass, nullptr, nullptr), 2);
    EXPECT_EQ(osClass, 99);
    g_status = 0;
    int code = 0;
    EXPECT_EQ(GetWindowsVersion(nullptr, &code, nullptr), 0);
    EXPECT_EQ(code, 0x603);
    EXPECT_EQ(GetWindowsVersion(nullptr, nullptr, nullptr), 0);
}

TEST(GetWindowsVersion, AsksTheRunningSystem) {
    int osClass = 99, code = 99, sp = 99;
    ASSERT_EQ(GetWindowsVersion(&osClass, &code, &sp), 0);
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion"));
    ASSERT_NE(rtlGetVersion, nullptr);
    ASSERT_EQ(rtlGetVersion(&info), 0);
    int expectedClass = 0, expectedCode = 0;
    ClassifyWindowsVersion(info.dwMajorVersion, info.dwMinorVersion, expectedClass, expectedCode);
    EXPECT_EQ(osClass, expectedClass);
    EXPECT_EQ(code, expectedCode);
    EXPECT_NE(osClass, kOsUnknown) << "the prefix reports a known version";
}

TEST(GetWindowsVersion, ClassNamesForTraces) {
    struct Case {
        int osClass;
        const wchar_t* name;
    };
    const Case cases[] = {{-1, L"Unknown"}, {0, L"NT4"},  {1, L"WIN2000"}, {2, L"WINXP"}, {3, L"VISTA"},
                          {4, L"WIN7"},    {5, L"WIN8"}, {6, L"WIN10"},   {7, L"Unknown"}};
    for (const Case& c : cases) EXPECT_STREQ(WindowsClassName(c.osClass), c.name) << c.osClass;
}

}  // namespace
