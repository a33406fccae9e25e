// The system structures the programs fill, at the sizes 32-bit Windows
// expects, and the 32-bit system functions that check them.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>
#include <setupapi.h>
#include <shellapi.h>

#include <cstddef>

#include "TestSupport.h"

namespace {

TEST(StructureSizes, TheSystemStructuresHaveTheir32BitSizes) {
    struct Case {
        const char* name;
        size_t size;
        size_t expected;
    };
    const Case cases[] = {
        {"SP_DEVINFO_DATA", sizeof(SP_DEVINFO_DATA), 28},
        {"SP_DEVINSTALL_PARAMS_W", sizeof(SP_DEVINSTALL_PARAMS_W), 556},
        {"SP_CLASSINSTALL_HEADER", sizeof(SP_CLASSINSTALL_HEADER), 8},
        {"SP_PROPCHANGE_PARAMS", sizeof(SP_PROPCHANGE_PARAMS), 20},
        {"SHELLEXECUTEINFOW", sizeof(SHELLEXECUTEINFOW), 60},
        {"STARTUPINFOW", sizeof(STARTUPINFOW), 68},
        {"device path in DEV_BROADCAST_DEVICEINTERFACE_W", offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name), 28},
    };
    for (const Case& c : cases) EXPECT_EQ(c.size, c.expected) << c.name;
}

// The 32-bit SetupAPI takes these sizes and refuses the 64-bit ones.
TEST(StructureSizes, SetupApiTakesThe32BitSizesOnly) {
    HDEVINFO set = ::SetupDiCreateDeviceInfoList(nullptr, nullptr);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    const GUID mediaClass = {0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    struct Case {
        const char* name;
        DWORD deviceSize;
        DWORD paramsSize;
        bool accepted;
    };
    const Case cases[] = {
        {"32-bit sizes", 28, 556, true},
        {"64-bit sizes", 32, 584, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SP_DEVINFO_DATA device{};
        device.cbSize = c.deviceSize;
        const BOOL created = ::SetupDiCreateDeviceInfoW(set, L"VELLO_SIZE_TEST", &mediaClass, nullptr, nullptr,
                                                        DICD_GENERATE_ID, &device);
        EXPECT_EQ(created != FALSE, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
        }
        SP_DEVINFO_DATA first{};
        first.cbSize = sizeof(first);
        ASSERT_TRUE(::SetupDiEnumDeviceInfo(set, 0, &first));
        SP_DEVINSTALL_PARAMS_W params{};
        params.cbSize = c.paramsSize;
        EXPECT_EQ(::SetupDiGetDeviceInstallParamsW(set, &first, &params) != FALSE, c.accepted);
    }
    ::SetupDiDestroyDeviceInfoList(set);
}

// The launch the programs make with a 60-byte SHELLEXECUTEINFOW (the system
// does not check the size: the 32-bit layout must simply be the one filled).
TEST(StructureSizes, ShellExecuteStartsAProgramWithThe32BitStructure) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = L"cmd.exe";
    info.lpParameters = L"/c exit 3";
    info.nShow = SW_HIDE;
    ASSERT_TRUE(::ShellExecuteExW(&info));
    ASSERT_NE(info.hProcess, nullptr);
    EXPECT_EQ(::WaitForSingleObject(info.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 3u);
    ::CloseHandle(info.hProcess);
}

}  // namespace
