// The rights each copy of the shared library asks the service manager for:
// the control panel's copy only what querying a service and sending it a
// user-defined code need; the setup programs' copy everything.
#include <gtest/gtest.h>

#include <vector>

#include "shared/ServiceControl.h"
#include "shared/Variant.h"

namespace {

struct Opened {
    DWORD manager = 0;
    std::vector<DWORD> services;
};
Opened g_opened;

SC_HANDLE WINAPI RecordManager(LPCWSTR machine, LPCWSTR database, DWORD access) {
    g_opened.manager = access;
    return SystemServiceOpenCalls().OpenSCManagerW(machine, database, access);
}

SC_HANDLE WINAPI RecordService(SC_HANDLE manager, LPCWSTR name, DWORD access) {
    g_opened.services.push_back(access);
    return SystemServiceOpenCalls().OpenServiceW(manager, name, access);
}

class ServiceRights : public ::testing::Test {
protected:
    void SetUp() override { InstallServiceOpenCalls(&recording_); }
    void TearDown() override { InstallServiceOpenCalls(nullptr); }
    const ServiceOpenCalls recording_ = {RecordManager, RecordService};
};

TEST_F(ServiceRights, EachCopyAsksForItsOwnRights) {
    constexpr DWORD kQueryAndUserCodes = SERVICE_QUERY_STATUS | SERVICE_USER_DEFINED_CONTROL;  // 0x104
    struct Case {
        DWORD code;
        DWORD panelManager, panelService;
        DWORD setupManager, setupService;
    };
    const Case cases[] = {
        {SERVICE_CONTROL_START, SC_MANAGER_CONNECT, SERVICE_ALL_ACCESS, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS},
        {SERVICE_CONTROL_STOP, SC_MANAGER_CONNECT, SERVICE_ALL_ACCESS, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS},
        {127, SC_MANAGER_CONNECT, SERVICE_ALL_ACCESS, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS},
        {SERVICE_CONTROL_PREPARE_REMOVE, SC_MANAGER_CONNECT, kQueryAndUserCodes, SC_MANAGER_ALL_ACCESS,
         SERVICE_ALL_ACCESS},
        {SERVICE_CONTROL_RUN_APP, SC_MANAGER_CONNECT, kQueryAndUserCodes, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS},
        {SERVICE_CONTROL_RUN_APP_ON_BOOT, SC_MANAGER_CONNECT, kQueryAndUserCodes, SC_MANAGER_ALL_ACCESS,
         SERVICE_ALL_ACCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.code));
        g_opened = Opened{};
        EXPECT_EQ(ControlTheService(L"VelloNoSuchService", c.code), kServiceOpenServiceFailed);
        EXPECT_EQ(g_opened.manager, variant::kPanel ? c.panelManager : c.setupManager);
        EXPECT_EQ(g_opened.services, std::vector<DWORD>{variant::kPanel ? c.panelService : c.setupService});
    }
}

}  // namespace
