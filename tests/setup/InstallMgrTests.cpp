// The installer's manager in this program's own process, in the setup
// prefix (the filter removal scans devices of every class): what it learns
// about the machine on 32- and 64-bit Windows, the filter driver taken out
// of supported devices made through SetupAPI with their restarts recorded
// (Wine cannot change a device's state), the update package placed from the
// payload this program carries, and the Windows update step for each system
// and update state, with the stand-in update handler as the program .msu
// files open with.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "DeviceInstallerRecorder.h"
#include "InstalledState.h"
#include "PhantomDevices.h"
#include "RecordedWow64.h"
#include "TestSupport.h"
#include "UpdateHandler.h"
#include "setup/InstallCodes.h"
#include "setup/InstallMgr.h"
#include "setup/MainForm.h"
#include "shared/DebugTrace.h"
#include "shared/DeviceProperty.h"
#include "shared/VersionInfo.h"
#include "shared/Wow64.h"

namespace {

using Strings = std::vector<std::wstring>;
using INSTALL_MGR::CInstallMgr;

constexpr wchar_t kFilter[] = L"VelloFlt";
constexpr DWORD kHardwareIdLength = 36;
// Supported first hardware IDs: the kit's USB patterns ...73XX...MI_03 and ...MI_00.
constexpr wchar_t kSupported[] = L"USB\\VID_2F7B&PID_7301&REV_0100&MI_03";
constexpr wchar_t kSupportedAudio[] = L"USB\\VID_2F7B&PID_7344&REV_0100&MI_00";
constexpr wchar_t kOtherVendor[] = L"USB\\VID_1234&PID_7301&REV_0100&MI_03";
constexpr wchar_t kShortFirstId[] = L"USB\\VID_2F7B&PID_7301&REV_010&MI_03";  // 35 characters

// A restart by the installer: disable, a second's pause, enable (globally,
// then in the current profile).
const Strings kRestart = {L"disable profile", L"call", L"enable global", L"call", L"enable profile", L"call", L"get"};

std::string Joined(const Strings& strings) {
    std::string text;
    for (const std::wstring& s : strings) text += (text.empty() ? "" : ", ") + vt::Narrow(s);
    return text;
}

// The lower-filter list of a device; "(none)" when the property is missing
// or empty (Wine keeps an empty list where Windows deletes the property).
Strings LowerFilters(const vt::PhantomDevices& devices, const std::wstring& id) {
    Strings filters = {L"(device missing)"};
    devices.WithDevice(id, [&](HDEVINFO set, PSP_DEVINFO_DATA device) {
        filters.clear();
        if (!ReadMultiSzDeviceProperty(set, device, SPDRP_LOWERFILTERS, filters) || filters.empty())
            filters = {L"(none)"};
    });
    return filters;
}

// The debugger lines this process writes while the object lives.
class TraceLines {
public:
    TraceLines() {
        trace::SetObserver([this](const std::wstring& line) { lines.push_back(line); });
    }
    ~TraceLines() { trace::SetObserver(nullptr); }
    bool Has(const std::wstring& line) const {
        for (const std::wstring& l : lines) {
            if (l == line) return true;
        }
        return false;
    }
    Strings lines;
};

// ---- the machine as the manager sees it: replaced system calls -------------

WORD g_architecture = PROCESSOR_ARCHITECTURE_AMD64;
void WINAPI PlayedNativeSystemInfo(LPSYSTEM_INFO info) {
    *info = {};
    info->wProcessorArchitecture = g_architecture;
}

struct PlayedVersion {
    DWORD major = 6, minor = 1, servicePack = 1;
    bool fails = false;
};
PlayedVersion g_version;
const VersionApi kPlayedVersion = {[](RTL_OSVERSIONINFOEXW* info) -> LONG {
    if (g_version.fails) return 0xC0000001;
    info->dwMajorVersion = g_version.major;
    info->dwMinorVersion = g_version.minor;
    info->wServicePackMajor = static_cast<WORD>(g_version.servicePack);
    return 0;
}};

// The machine the manager is built on while the object lives.
class PlayedMachine {
public:
    PlayedMachine(WORD architecture, const PlayedVersion& version) {
        g_architecture = architecture;
        g_version = version;
        INSTALL_MGR::ReplaceNativeSystemInfo(PlayedNativeSystemInfo);
        ReplaceVersionApi(&kPlayedVersion);
    }
    ~PlayedMachine() {
        INSTALL_MGR::ReplaceNativeSystemInfo(nullptr);
        ReplaceVersionApi(nullptr);
    }

private:
    vt::RecordedWow64 wow64_;
};

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return std::wstring(path) + L"\\";
}

// ---- filter removal ------------------------------------------------------------

class InstallerFilterRemoval : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ids.LoadFromIniFile(vt::BinDir() + L"AudioConfig.cfg", DEVICEID_MGR::kUsbSection), 0);
    }
    DEVICEID_MGR::CDeviceIdMgr ids;
    vt::DeviceInstallerRecorder installer;
};

TEST_F(InstallerFilterRemoval, TakesItsFilterOutOfSupportedDevicesAndRestartsThem) {
    struct Case {
        const char* name;
        Strings hardwareIds;
        Strings before;  // empty: no property
        Strings after;
        bool restarted;
    };
    const Case cases[] = {
        {"alone", {kSupported}, {L"VelloFlt"}, {L"(none)"}, true},
        {"first, before another vendor's", {kSupported}, {L"VelloFlt", L"OtherFlt"}, {L"OTHERFLT"}, true},
        {"last, after another vendor's", {kSupported}, {L"ksthunk", L"vellOFLT"}, {L"KSTHUNK"}, true},
        {"between two others", {kSupported}, {L"ksthunk", L"VELLOFLT", L"OtherFlt"}, {L"KSTHUNK", L"OTHERFLT"}, true},
        {"twice", {kSupported}, {L"VelloFlt", L"OtherFlt", L"velloflt"}, {L"OTHERFLT"}, true},
        {"a one-character first entry", {kSupported}, {L"a", L"VelloFlt"}, {L"A"}, true},
        {"the audio interface", {kSupportedAudio}, {L"VelloFlt"}, {L"(none)"}, true},
        {"absent: the list is not touched", {kSupported}, {L"OtherFlt", L"ksthunk"}, {L"OtherFlt", L"ksthunk"}, true},
        {"a longer name only", {kSupported}, {L"VelloFlt2"}, {L"VelloFlt2"}, true},
        {"no filter list", {kSupported}, {}, {L"(none)"}, true},
        {"first ID of 35 characters, a later one supported", {kShortFirstId, kSupported}, {L"VelloFlt"}, {L"VelloFlt"},
         false},
        {"another vendor's device", {kOtherVendor}, {L"VelloFlt"}, {L"VelloFlt"}, false},
    };
    vt::PhantomDevices devices;
    Strings made;
    for (const Case& c : cases) {
        made.push_back(devices.Add(c.hardwareIds, c.before));
        ASSERT_FALSE(made.back().empty()) << c.name;
    }

    CInstallMgr manager;
    EXPECT_FALSE(manager.RemoveFilter(INSTALL_MGR::kAudioDeviceClass, kHardwareIdLength, ids, kFilter,
                                      SPDRP_LOWERFILTERS));

    size_t restarts = 0;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(Joined(LowerFilters(devices, made[i])), Joined(c.after)) << c.name;
        EXPECT_EQ(installer.CallsOf(made[i]), c.restarted ? kRestart : Strings{}) << c.name;
        restarts += c.restarted ? 1 : 0;
    }
    size_t pauses = 0;
    for (const std::wstring& call : installer.all) pauses += call == L"sleep 1000" ? 1 : 0;
    EXPECT_EQ(pauses, restarts) << "a second's pause between disable and enable of each device";
}

TEST_F(InstallerFilterRemoval, AnEmptyDeviceListTouchesNothing) {
    vt::PhantomDevices devices;
    const std::wstring id = devices.Add({kSupported}, {L"VelloFlt", L"OtherFlt"});
    ASSERT_FALSE(id.empty());
    DEVICEID_MGR::CDeviceIdMgr empty;
    CInstallMgr manager;
    EXPECT_FALSE(manager.RemoveFilter(INSTALL_MGR::kAudioDeviceClass, kHardwareIdLength, empty, kFilter,
                                      SPDRP_LOWERFILTERS));
    EXPECT_EQ(LowerFilters(devices, id), (Strings{L"VelloFlt", L"OtherFlt"}));
    EXPECT_TRUE(installer.all.empty()) << Joined(installer.all);
}

// A device the restart disabled is never given up after one refused enable;
// one that stays disabled is reported.
TEST_F(InstallerFilterRemoval, RestartNeverLeavesADeviceDisabledUnsaid) {
    struct Case {
        const char* name;
        std::vector<int> failing;  // indices of the failing calls (pauses not counted)
        bool reported;
        Strings calls;
    };
    const Strings retried = {L"disable profile", L"call", L"sleep 1000", L"enable global", L"call",
                             L"enable global",   L"call", L"enable profile", L"call", L"get"};
    const Case cases[] = {
        {"back at once", {}, false,
         {L"disable profile", L"call", L"sleep 1000", L"enable global", L"call", L"enable profile", L"call", L"get"}},
        {"enable refused once, then back", {3}, false, retried},
        {"enable refused twice", {3, 5}, true,
         {L"disable profile", L"call", L"sleep 1000", L"enable global", L"call", L"enable global", L"call"}},
        {"the disable failed: nothing to take back", {1, 3}, false,
         {L"disable profile", L"call", L"sleep 1000", L"enable global", L"call"}},
    };
    vt::PhantomDevices devices;
    const std::wstring id = devices.Add({kSupported}, {L"VelloFlt"});
    ASSERT_FALSE(id.empty());
    CInstallMgr manager;
    for (const Case& c : cases) {
        installer.Reset();
        installer.failing = c.failing;
        EXPECT_EQ(manager.RemoveFilter(INSTALL_MGR::kAudioDeviceClass, kHardwareIdLength, ids, kFilter,
                                       SPDRP_LOWERFILTERS),
                  c.reported)
            << c.name;
        EXPECT_EQ(installer.all, c.calls) << c.name << ": " << Joined(installer.all);
    }
}

TEST(MultiSzLength, CountsEveryTerminator) {
    struct Case {
        const char* name;
        std::wstring list;  // with its terminators
        DWORD length;
    };
    const Case cases[] = {
        {"no entries", std::wstring(2, L'\0'), 0},
        {"one entry", std::wstring(L"A\0\0", 3), 3},
        {"two entries", std::wstring(L"A\0B\0\0", 5), 5},
        {"an empty first string ends the list", std::wstring(L"\0A\0\0", 4), 0},
        {"a longer entry", std::wstring(L"VELLOFLT\0KS\0\0", 13), 13},
    };
    for (const Case& c : cases) EXPECT_EQ(CInstallMgr::GetMultiSzLength(c.list.c_str()), c.length) << c.name;
}

// ---- what the manager learns about the machine ---------------------------------

TEST(InstallerManager, LearnsTheMachinesArchitectureVersionAndFolders) {
    struct Case {
        const char* name;
        WORD architecture;
        PlayedVersion version;
        int is64Bit;
        int systemFolder;  // CSIDL of the folder for 32-bit programs
        int redirectionSwitches;
        int osClass, versionCode, servicePack;
        Strings traced;
    };
    const Case cases[] = {
        {"32-bit Windows 7 SP1", PROCESSOR_ARCHITECTURE_INTEL, {6, 1, 1}, 0, CSIDL_SYSTEM, 0, kOsWin7, 0x601, 1,
         {L"GetWindowsVersion: Major = 0x00000006, Minor = 0x00000001\n", L"##### The OS is WIN7 #####\n",
          L"##### The service pack version = 1 #####\n"}},
        {"64-bit Windows 7 SP1", PROCESSOR_ARCHITECTURE_AMD64, {6, 1, 1}, 1, CSIDL_SYSTEMX86, 1, kOsWin7, 0x601, 1,
         {L"##### The OS is WIN7 #####\n"}},
        {"64-bit Windows 8.1", PROCESSOR_ARCHITECTURE_AMD64, {6, 3, 0}, 1, CSIDL_SYSTEMX86, 1, kOsWin8, 0x603, 0,
         {L"##### The OS is WIN8.1 #####\n", L"##### The service pack version = 0 #####\n"}},
        {"64-bit Windows 10", PROCESSOR_ARCHITECTURE_AMD64, {10, 0, 0}, 1, CSIDL_SYSTEMX86, 1, kOsWin10, 0xA00, 0,
         {L"GetWindowsVersion: Major = 0x0000000A, Minor = 0x00000000\n", L"##### The OS is WIN10 #####\n"}},
        {"another architecture counts as 32-bit", PROCESSOR_ARCHITECTURE_ARM64, {10, 0, 0}, 0, CSIDL_SYSTEM, 0,
         kOsWin10, 0xA00, 0, {}},
        {"a version it does not know", PROCESSOR_ARCHITECTURE_AMD64, {6, 4, 0}, 1, CSIDL_SYSTEMX86, 1, kOsUnknown, -1,
         0, {L"##### The OS is Unknown #####\n"}},
        {"the version query fails", PROCESSOR_ARCHITECTURE_AMD64, {6, 1, 1, true}, 1, CSIDL_SYSTEMX86, 1, 0, 0, 0,
         {L"CInstallMgr::CInstallMgr ***** GetWindowsVersion FAIL! *****\n", L"##### The OS is Unknown #####\n",
          L"##### The service pack version = 0 #####\n"}},
    };
    for (const Case& c : cases) {
        TraceLines traced;
        std::unique_ptr<CInstallMgr> manager;
        {
            PlayedMachine machine(c.architecture, c.version);
            manager = std::make_unique<CInstallMgr>();
        }
        EXPECT_EQ(manager->m_i64Bit, c.is64Bit) << c.name;
        EXPECT_EQ(manager->m_iOSClass, c.osClass) << c.name;
        EXPECT_EQ(manager->m_iVersionCode, c.versionCode) << c.name;
        EXPECT_EQ(manager->m_iServicePack, c.servicePack) << c.name;
        EXPECT_EQ(manager->m_ProgramFilesFolderPath, vt::ProgramFilesFolder() + L"\\") << c.name;
        EXPECT_EQ(manager->m_SystemFolderPath, SpecialFolder(c.systemFolder)) << c.name;
        EXPECT_EQ(manager->m_NativeSystemFolderPath, vt::SystemFolder()) << c.name;
        EXPECT_EQ(vt::RecordedWow64::Calls().off, c.redirectionSwitches) << c.name << ": off for the native system folder";
        EXPECT_EQ(vt::RecordedWow64::Calls().on, vt::RecordedWow64::Calls().off) << c.name << ": and on again";
        EXPECT_TRUE(vt::RecordedWow64::Calls().balanced) << c.name;
        for (const std::wstring& line : c.traced) EXPECT_TRUE(traced.Has(line)) << c.name << ": " << vt::Narrow(line);
    }
}

TEST(InstallerManager, PlacesTheUpdatePackageFromItsPayload) {
    struct Case {
        const char* name;
        WORD id;
        bool held;
        int result;
    };
    const Case cases[] = {
        {"a read-only, hidden file is replaced", 110, false, INSTALL_MGR::kPackagePlaced},
        {"no such resource", 109, false, INSTALL_MGR::kPackageResourceMissing},
        {"the file cannot be written", 110, true, INSTALL_MGR::kPackageWriteFailed},
    };
    const std::wstring package = vt::SystemFolder() + INSTALL_MGR::kUpdatePackageFileName;
    const std::string marker = vt::ReadFileBytes(vt::BinDir() + L"..\\..\\payload\\update\\Windows6.1-KB3033929-x64.msu");
    ASSERT_FALSE(marker.empty());
    std::unique_ptr<CInstallMgr> manager;
    {
        PlayedMachine machine(PROCESSOR_ARCHITECTURE_AMD64, {});
        manager = std::make_unique<CInstallMgr>();
    }
    for (const Case& c : cases) {
        ::SetFileAttributesW(package.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(package.c_str());
        ASSERT_TRUE(vt::WriteFileBytes(package, "earlier")) << c.name;
        ::SetFileAttributesW(package.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        int result = -1;
        {
            std::unique_ptr<vt::HeldFile> held;
            if (c.held) held = std::make_unique<vt::HeldFile>(package);
            PlayedMachine machine(PROCESSOR_ARCHITECTURE_AMD64, {});
            result = manager->Copy_KB3033929(c.id, L"WindowPatch");
            EXPECT_EQ(vt::RecordedWow64::Calls().off, 0) << c.name << ": the package is written in the program's own view";
        }
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(vt::ReadFileBytes(package), c.result == INSTALL_MGR::kPackagePlaced ? marker : "earlier") << c.name;
        if (c.result == INSTALL_MGR::kPackagePlaced) {
            EXPECT_EQ(::GetFileAttributesW(package.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u)
                << c.name;
        }
    }
    ::SetFileAttributesW(package.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(package.c_str());
}

// ---- the Windows update step ---------------------------------------------------

constexpr wchar_t kServicing[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\";

// A key of the servicing stack (64-bit view) for the life of the object.
class ServicingKey {
public:
    explicit ServicingKey(const std::wstring& path) : path_(path.empty() ? path : kServicing + path) {
        if (path_.empty()) return;
        HKEY key = nullptr;
        made_ = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY,
                                  nullptr, &key, nullptr) == ERROR_SUCCESS;
        if (made_) ::RegCloseKey(key);
    }
    ~ServicingKey() {
        if (made_) ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), KEY_WOW64_64KEY, 0);
    }
    bool ok() const { return path_.empty() || made_; }

private:
    std::wstring path_;
    bool made_ = false;
};

class UpdateStep : public ::testing::Test {
protected:
    void SetUp() override {
        vt::ResetInstalledState();
        app = std::make_unique<ui::TApplication>();
        app->CreateForm(MainForm);
    }
    void TearDown() override {
        app.reset();
        MainForm = nullptr;
        vt::ResetInstalledState();
    }
    std::unique_ptr<ui::TApplication> app;
};

TEST_F(UpdateStep, RunsTheUpdateOnlyWhereItIsNeededAndJudgesItsExitCode) {
    struct System {
        BOOL wow64;            // the wizard's facts
        int osClass;
        int servicePack;
        WORD architecture;     // the manager's
        PlayedVersion version;
    };
    const System win7Sp1x64 = {TRUE, kOsWin7, 1, PROCESSOR_ARCHITECTURE_AMD64, {6, 1, 1}};
    const std::wstring packagesPrefix = L"Packages\\Package_for_KB3033929~31bf3856ad364e35~amd64~~6.1.1.1";
    constexpr DWORD kNoHandler = ~DWORD{0};
    struct Case {
        const char* name;
        System system;
        std::wstring presence;  // a servicing key present before
        bool packagePlaced;
        DWORD handlerExit;      // kNoHandler: nothing opens .msu files
        bool runs;
        DWORD result;
        std::wstring traced;
    };
    const Case cases[] = {
        {"32-bit Windows 7 SP1", {FALSE, kOsWin7, 1, PROCESSOR_ARCHITECTURE_INTEL, {6, 1, 1}}, L"", true, 0, false, 0,
         L"##### The OS is 32-Bit #####\n"},
        {"64-bit Windows 10", {TRUE, kOsWin10, 0, PROCESSOR_ARCHITECTURE_AMD64, {10, 0, 0}}, L"", true, 0, false, 0,
         L"##### The OS is not Win7 #####\n"},
        {"64-bit Windows 7 without a service pack", {TRUE, kOsWin7, 0, PROCESSOR_ARCHITECTURE_AMD64, {6, 1, 0}}, L"",
         true, 0, false, 0, L"##### The OS is Win7, but not install the service pack! #####\n"},
        {"WOW64 for the wizard, an x86 machine for the manager",
         {TRUE, kOsWin7, 1, PROCESSOR_ARCHITECTURE_INTEL, {6, 1, 1}}, L"", true, 0, false, 0,
         L"##### The OS is 32-Bit #####\n"},
        {"Windows 8 for the manager", {TRUE, kOsWin7, 1, PROCESSOR_ARCHITECTURE_AMD64, {6, 2, 0}}, L"", true, 0, false,
         0, L"##### The OS is not Win7 #####\n"},
        {"installed", win7Sp1x64, L"", true, 0, true, 0, L"##### InstallKB3033929: installed (0x00000000) #####\n"},
        {"installed, Windows must restart", win7Sp1x64, L"", true, ERROR_SUCCESS_REBOOT_REQUIRED, true, 0, L""},
        {"the update says it is already installed", win7Sp1x64, L"", true, 0x00240006, true, 0, L""},
        {"the update says it does not apply", win7Sp1x64, L"", true, 0x80240017, true, 0, L""},
        {"the update fails", win7Sp1x64, L"", true, 0x80070643, true, kUpdateRunFailed,
         L"***** InstallKB3033929 failed: 0x80070643 *****\n"},
        {"the user cancels the update", win7Sp1x64, L"", true, 0x800704C7, true, kUpdateRunFailed, L""},
        {"nothing opens .msu files", win7Sp1x64, L"", true, kNoHandler, false, kUpdateNotStarted,
         L"***** InstallKB3033929 *****\n"},
        {"the package was not placed", win7Sp1x64, L"", false, 0, false, kUpdateNotStarted,
         L"***** InstallKB3033929 *****\n"},
        {"already installed: its package", win7Sp1x64, packagesPrefix, true, 0, false, 0, L"##### KB3033929 is installed #####\n"},
        {"a package name in other letters is not it", win7Sp1x64,
         L"Packages\\package_for_kb3033929~31bf3856ad364e35~amd64~~6.1.1.1", true, 0, true, 0, L""},
        {"a package of a longer name is not it", win7Sp1x64,
         L"Packages\\Package_for_KB30339290~31bf3856ad364e35~amd64~~6.1.1.1", true, 0, true, 0, L""},
        {"already installed: its applicability entry", win7Sp1x64,
         L"ApplicabilityEvaluationCache\\Package_for_KB3033929~31bf3856ad364e35~amd64~~6.1.1.1", true, 0, false, 0,
         L"##### KB3033929 is installed #####\n"},
    };
    const std::wstring package = vt::SystemFolder() + INSTALL_MGR::kUpdatePackageFileName;
    for (const Case& c : cases) {
        {
            PlayedMachine machine(c.system.architecture, c.system.version);
            MainForm->m_InstallMgr = CInstallMgr();
        }
        MainForm->m_bWow64 = c.system.wow64;
        MainForm->m_iOSClass = c.system.osClass;
        MainForm->m_iServicePack = c.system.servicePack;
        ::DeleteFileW(package.c_str());
        if (c.packagePlaced) {
            ASSERT_EQ(MainForm->Copy_KB3033929(), 0u) << c.name;
        }
        ServicingKey presence(c.presence);
        ASSERT_TRUE(presence.ok()) << c.name;
        std::unique_ptr<vt::StandInUpdateHandler> handler;
        if (c.handlerExit != kNoHandler) {
            handler = std::make_unique<vt::StandInUpdateHandler>();
            ASSERT_TRUE(handler->registered()) << c.name;
            handler->SetExitCode(c.handlerExit);
        }

        TraceLines traced;
        EXPECT_EQ(MainForm->Install_KB3033929(), c.result) << c.name;
        if (!c.traced.empty()) {
            EXPECT_TRUE(traced.Has(c.traced)) << c.name << "\n" << vt::Narrow(c.traced);
        }
        if (handler) {
            EXPECT_EQ(handler->Log(), c.runs ? Strings{L"run \"" + package + L"\""} : Strings{}) << c.name;
        }
    }
    ::DeleteFileW(package.c_str());
}

}  // namespace
