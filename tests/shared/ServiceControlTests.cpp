#include <gtest/gtest.h>

#include "TestSupport.h"
#include "shared/ServiceControl.h"

namespace {

constexpr wchar_t kService[] = L"VelloSharedTestSvc";

int CountLines(const std::vector<std::wstring>& log, const std::wstring& line) {
    int n = 0;
    for (const auto& l : log) n += l == line;
    return n;
}

TEST(ControlTheService, UnknownServiceGivesTwoForEveryCode) {
    for (DWORD code : {0u, 1u, 128u, 193u, 196u}) {
        EXPECT_EQ(ControlTheService(L"VelloNoSuchService", code), kServiceOpenServiceFailed)
            << "code " << code;
    }
}

TEST(ControlTheService, StartsSignalsAndStopsTheService) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());

    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_STOP), kServiceDone) << "stop while stopped";
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_START), kServiceDone);
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_START), kServiceDone) << "start while running";
    for (DWORD code : {128u, 193u, 196u, 200u}) {
        EXPECT_EQ(ControlTheService(kService, code), kServiceDone) << "code " << code;
    }
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_STOP), kServiceDone);
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_STOPPED));

    std::vector<std::wstring> expected = {L"start",       L"control 128", L"control 193", L"control 196",
                                          L"control 200", L"control 1",   L"stop"};
    EXPECT_EQ(svc.Log(), expected) << "one start, the codes in order, one stop";
}

TEST(ControlTheService, UserCodeOnStoppedServiceStillGivesZero) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());
    // ControlService fails on a stopped service; its result is not looked at.
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_PREPARE_REMOVE), kServiceDone);
    EXPECT_EQ(CountLines(svc.Log(), L"control 128"), 0);
}

TEST(ControlTheService, SlowStopTimesOutWithFive) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());
    svc.Set(L"StopDelayMs", 12000);  // longer than 30 polls of 300 ms
    ASSERT_EQ(ControlTheService(kService, SERVICE_CONTROL_START), kServiceDone);
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_STOP), kServiceStopTimedOut);
    svc.StopAndWait();
}

}  // namespace
