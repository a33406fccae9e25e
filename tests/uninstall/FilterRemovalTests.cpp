// Taking the filter driver out of the supported devices' lower-filter lists
// and restarting them, on devices made through SetupAPI in the setup prefix
// (the scan covers every device class). The class installer is replaced by
// a recorder: Wine cannot change a device's state.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "DeviceInstallerRecorder.h"
#include "PhantomDevices.h"
#include "TestSupport.h"
#include "shared/DeviceIdMgr.h"
#include "shared/DeviceProperty.h"
#include "uninstall/FilterRemoval.h"

namespace {

using Strings = std::vector<std::wstring>;

// A supported device's first hardware ID (the kit's pattern ...73XX...MI_03).
constexpr wchar_t kSupported[] = L"USB\\VID_2F7B&PID_7301&REV_0100&MI_03";
constexpr wchar_t kSupportedToo[] = L"USB\\VID_2F7B&PID_73A2&REV_0100&MI_03";
constexpr wchar_t kOtherVendor[] = L"USB\\VID_1234&PID_7301&REV_0100&MI_03";
constexpr wchar_t kShortFirstId[] = L"USB\\VID_2F7B&PID_7301&REV_010&MI_03";  // 35 characters

const Strings& kRestart = vt::kProfileRestartCalls;

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

std::string Joined(const Strings& strings) {
    std::string text;
    for (const std::wstring& s : strings) text += (text.empty() ? "" : ", ") + vt::Narrow(s);
    return text;
}

class FilterRemoval : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ids.LoadFromIniFile(vt::BinDir() + L"AudioConfig.cfg", DEVICEID_MGR::kUsbSection), 0);
    }

    DEVICEID_MGR::CDeviceIdMgr ids;
    vt::DeviceInstallerRecorder installer;
};

TEST_F(FilterRemoval, TakesOnlyItsOwnEntryOutOfSupportedDevicesAndRestartsThem) {
    struct Case {
        const char* name;
        Strings hardwareIds;
        Strings before;  // empty: no property
        Strings after;
        bool restarted;
    };
    const Case cases[] = {
        {"alone", {kSupported}, {L"VelloFlt"}, {L"(none)"}, true},
        {"first, before another vendor's", {kSupported}, {L"VelloFlt", L"OtherFlt"}, {L"OtherFlt"}, true},
        {"last, after another vendor's", {kSupported}, {L"OtherFlt", L"VelloFlt"}, {L"OtherFlt"}, true},
        {"between two others", {kSupported}, {L"ksthunk", L"VELLOFLT", L"OtherFlt"}, {L"ksthunk", L"OtherFlt"}, true},
        {"mixed case, alone", {kSupportedToo}, {L"vELLOfLT"}, {L"(none)"}, true},
        {"twice", {kSupported}, {L"VelloFlt", L"OtherFlt", L"velloflt"}, {L"OtherFlt"}, true},
        {"absent", {kSupported}, {L"OtherFlt", L"ksthunk"}, {L"OtherFlt", L"ksthunk"}, true},
        {"a longer name only", {kSupported}, {L"VelloFlt2"}, {L"VelloFlt2"}, true},
        {"no filter list", {kSupported}, {}, {L"(none)"}, true},
        {"first ID of 35 characters", {kShortFirstId, kSupported}, {L"VelloFlt"}, {L"VelloFlt"}, false},
        {"another vendor's device", {kOtherVendor}, {L"VelloFlt"}, {L"VelloFlt"}, false},
    };
    vt::PhantomDevices devices;
    std::vector<std::wstring> made;
    for (const Case& c : cases) {
        made.push_back(devices.Add(c.hardwareIds, c.before));
        ASSERT_FALSE(made.back().empty()) << c.name;
    }

    EXPECT_FALSE(RemoveFilter(kHidClassGuid, kFilterIdLengthTemplate, ids, kFilterDriverName));

    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(Joined(LowerFilters(devices, made[i])), Joined(c.after)) << c.name;
        EXPECT_EQ(installer.CallsOf(made[i]), c.restarted ? kRestart : Strings{}) << c.name;
    }
    for (const std::wstring& call : installer.all) EXPECT_EQ(call.find(L"sleep"), std::wstring::npos);
}

TEST_F(FilterRemoval, AnEmptyDeviceListTouchesNothing) {
    vt::PhantomDevices devices;
    const std::wstring id = devices.Add({kSupported}, {L"VelloFlt", L"OtherFlt"});
    ASSERT_FALSE(id.empty());
    DEVICEID_MGR::CDeviceIdMgr empty;
    EXPECT_FALSE(RemoveFilter(kHidClassGuid, kFilterIdLengthTemplate, empty, kFilterDriverName));
    EXPECT_EQ(LowerFilters(devices, id), (Strings{L"VelloFlt", L"OtherFlt"}));
    EXPECT_TRUE(installer.all.empty()) << Joined(installer.all);
}

// One restart: disable and enable in the current hardware profile, no pause;
// an enable that fails after the disable is tried once more.
TEST_F(FilterRemoval, RestartOfOneDevice) {
    struct Case {
        const char* name;
        std::vector<int> failing;  // indices of the failing calls
        DWORD flags;
        bool result;
        bool leftDisabled;
        Strings calls;
    };
    const Strings retried = {L"disable profile", L"call", L"enable profile", L"call",
                             L"enable global",   L"call", L"enable profile", L"call", L"get"};
    const Case cases[] = {
        {"back at once", {}, 0, true, false, kRestart},
        {"needs a reboot", {}, DI_NEEDREBOOT, false, false, kRestart},
        {"disable refused", {0}, 0, false, false, {L"disable profile"}},
        {"disable fails", {1}, 0, false, false, {L"disable profile", L"call"}},
        {"enable refused once", {2}, 0, true, false,
         {L"disable profile", L"call", L"enable profile", L"enable global", L"call", L"enable profile", L"call",
          L"get"}},
        {"enable fails once", {3}, 0, true, false, retried},
        {"enable fails once, then needs a reboot", {3}, DI_NEEDREBOOT, false, false, retried},
        {"enable fails once, then its state is unknown", {3, 8}, 0, false, false, retried},
        {"enable fails twice", {3, 5}, 0, false, true,
         {L"disable profile", L"call", L"enable profile", L"call", L"enable global", L"call"}},
        {"the retry's second scope fails", {3, 7}, 0, false, true,
         {L"disable profile", L"call", L"enable profile", L"call", L"enable global", L"call", L"enable profile",
          L"call"}},
    };
    vt::PhantomDevices devices;
    const std::wstring id = devices.Add({kSupported});
    ASSERT_FALSE(id.empty());
    for (const Case& c : cases) {
        installer.Reset();
        installer.failing = c.failing;
        installer.flags = c.flags;
        bool leftDisabled = false;
        bool result = false;
        ASSERT_TRUE(devices.WithDevice(id, [&](HDEVINFO set, PSP_DEVINFO_DATA device) {
            result = ReenableDevice(set, device, &leftDisabled);
        })) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(leftDisabled, c.leftDisabled) << c.name;
        EXPECT_EQ(installer.all, c.calls) << c.name << ": " << Joined(installer.all);
    }
}

TEST_F(FilterRemoval, ADeviceLeftDisabledIsReported) {
    vt::PhantomDevices devices;
    const std::wstring id = devices.Add({kSupported}, {L"VelloFlt"});
    ASSERT_FALSE(id.empty());
    installer.failFrom = 2;  // every call after the disable
    EXPECT_TRUE(RemoveFilter(kHidClassGuid, kFilterIdLengthTemplate, ids, kFilterDriverName));
    EXPECT_EQ(LowerFilters(devices, id), Strings{L"(none)"});
}

}  // namespace
