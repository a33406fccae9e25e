// The filter driver's control device, simulated behind the system seam.
#include <gtest/gtest.h>

#include <functional>

#include "DeviceTestSupport.h"
#include "HidSimulation.h"
#include "panel/device/FilterControl.h"

namespace {

using devtest::Hex;

TEST(FilterControl, PathCarriesTheIdsInUpperCaseHex) {
    struct Case {
        WORD vid, pid;
        const wchar_t* path;
    };
    const Case cases[] = {
        {0x2F7B, 0x731F, L"\\\\.\\Class#VelloLink&2F7B&731F"},
        {0x00A1, 0x000F, L"\\\\.\\Class#VelloLink&00A1&000F"},
        {0xabcd, 0xef01, L"\\\\.\\Class#VelloLink&ABCD&EF01"},
    };
    hidsim::Simulation sim;
    sim.AddFilterDevice(0x2F7B, 0x731F);
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.path));
        int expected = (c.vid == 0x2F7B && c.pid == 0x731F) ? 0 : 1;
        EXPECT_EQ(Qorv_Set_DEVICE_SYMBOLIC_NAME(c.vid, c.pid), expected);
        EXPECT_STREQ(DeviceSymbolicName, c.path);
    }
    EXPECT_EQ(sim.OpenHandles(), 0);
}

TEST(FilterControl, EachCodeCarriesItsExactInputBytes) {
    hidsim::Simulation sim;
    sim.AddFilterDevice(0x2F7B, 0x731F);
    sim.SetFilterReply(hidsim::FilterReply::Normal, 0x01020304);
    ASSERT_EQ(Qorv_Set_DEVICE_SYMBOLIC_NAME(0x2F7B, 0x731F), 0);
    struct Case {
        const char* name;
        std::function<int()> call;
        DWORD code;
        const char* input;
    };
    DWORD value = 0xA0B0C0D0;
    DWORD state = 0;
    const Case cases[] = {
        {"read value", [&] { return FilterIoctl_ReadValue(0x0102, value); }, 0x00223028, "01 00 02 01 D0 C0 B0 A0"},
        {"read state", [&] { return FilterIoctl_ReadState(state); }, 0x00223190, "01 00 00 00 00 00 00 00"},
        {"set effect", [] { return FilterIoctl_SetEffect(4); }, 0x08232008, "04 00 00 00"},
        {"enable effect", [] { return FilterIoctl_EnableEffect(1); }, 0x08232000, "01 00 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.ClearLog();
        EXPECT_EQ(c.call(), 0);
        auto ioctls = sim.Ioctls();
        ASSERT_EQ(ioctls.size(), 1u);
        EXPECT_EQ(ioctls[0].code, c.code);
        EXPECT_EQ(Hex(ioctls[0].input), c.input);
        EXPECT_EQ(ioctls[0].path, L"\\\\.\\Class#VelloLink&2F7B&731F");
    }
    EXPECT_EQ(value, 0x01020304u);
    EXPECT_EQ(state, 0x01020304u);
    EXPECT_EQ(sim.OpenHandles(), 0);
}

TEST(FilterControl, FailuresGiveTheirStepAndLeaveTheValue) {
    struct Case {
        const char* name;
        hidsim::FilterReply reply;
        bool attached;
        int readValue, readState, setEffect, enable;
    };
    const Case cases[] = {
        {"zero-byte reply", hidsim::FilterReply::ZeroBytes, true, 3, 0, 0, 0},
        {"control code fails", hidsim::FilterReply::Fail, true, 2, 2, 2, 2},
        {"no driver", hidsim::FilterReply::Normal, false, 1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hidsim::Simulation sim;
        if (c.attached) sim.AddFilterDevice(0x2F7B, 0x731F);
        sim.SetFilterReply(c.reply, 0x99);
        EXPECT_EQ(Qorv_Set_DEVICE_SYMBOLIC_NAME(0x2F7B, 0x731F), c.attached ? 0 : 1);
        DWORD value = 7;
        EXPECT_EQ(FilterIoctl_ReadValue(0, value), c.readValue);
        EXPECT_EQ(value, 7u);
        DWORD state = 5;
        EXPECT_EQ(FilterIoctl_ReadState(state), c.readState);
        EXPECT_EQ(FilterIoctl_SetEffect(0), c.setEffect);
        EXPECT_EQ(FilterIoctl_EnableEffect(1), c.enable);
        EXPECT_EQ(sim.OpenHandles(), 0);
    }
}

TEST(FilterControl, WithoutSimulationTheControlPathDoesNotOpen) {
    EXPECT_EQ(Qorv_Set_DEVICE_SYMBOLIC_NAME(0x2F7B, 0x731F), 1);
    DWORD value = 3;
    EXPECT_EQ(FilterIoctl_ReadValue(0, value), 1);
    EXPECT_EQ(value, 3u);
}

}  // namespace
