#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PhantomDevices.h"
#include "TestSupport.h"
#include "shared/DeviceProperty.h"

namespace {

constexpr wchar_t kFilter[] = L"VelloFlt";

TEST(DeviceProperty, ReadsPropertiesOfEnumeratedDevices) {
    vt::PhantomDevices devices;
    const std::vector<std::wstring> ids = {L"USB\\VID_2F7B&PID_7312&REV_0100&MI_00",
                                           L"USB\\VID_2F7B&PID_7312&MI_00"};
    const std::wstring id = devices.Add(ids);
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(devices.WithDevice(id, [&](HDEVINFO set, PSP_DEVINFO_DATA device) {
        DWORD type = 0, size = 0;
        auto data = GetDeviceRegistryProperty(set, device, SPDRP_HARDWAREID, &type, &size);
        ASSERT_TRUE(data);
        EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
        const std::string expected = vt::MultiSz(ids);
        ASSERT_EQ(size, expected.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.get()), size), expected);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(data[size + i], 0) << "zero byte " << i << " after the data";

        EXPECT_TRUE(GetDeviceRegistryProperty(set, device, SPDRP_HARDWAREID, nullptr)) << "no type wanted";
        DWORD untouched = 77;
        EXPECT_FALSE(GetDeviceRegistryProperty(set, device, SPDRP_LOWERFILTERS, &untouched))
            << "property not set";
        EXPECT_FALSE(GetDeviceRegistryProperty(set, device, SPDRP_FRIENDLYNAME, nullptr));
    }));
}

TEST(DeviceProperty, FilterListMembership) {
    vt::PhantomDevices devices;
    const std::wstring three = devices.Add({L"USB\\VID_2F7B&PID_7312"}, {L"ksthunk", kFilter, L"other"});
    const std::wstring one = devices.Add({L"USB\\VID_2F7B&PID_7313"}, {kFilter});
    const std::wstring none = devices.Add({L"USB\\VID_2F7B&PID_7314"});
    const std::wstring empty = devices.Add({L"USB\\VID_2F7B&PID_7315"});
    const std::wstring unterminated = devices.Add({L"USB\\VID_2F7B&PID_7316"});
    const std::wstring text = devices.Add({L"USB\\VID_2F7B&PID_7317"});
    ASSERT_FALSE(three.empty() || one.empty() || none.empty() || empty.empty() || unterminated.empty() ||
                 text.empty());
    ASSERT_TRUE(devices.SetRaw(empty, SPDRP_LOWERFILTERS, std::string(2, '\0')));
    const std::wstring bare = std::wstring(L"a") + L'\0' + kFilter;  // no terminators at all
    ASSERT_TRUE(devices.SetRaw(unterminated, SPDRP_LOWERFILTERS,
                               std::string(reinterpret_cast<const char*>(bare.data()), bare.size() * 2)));
    ASSERT_TRUE(devices.SetText(text, SPDRP_DEVICEDESC, kFilter));

    struct Case {
        const char* name;
        std::wstring device;
        const wchar_t* lookFor;
        DWORD property;
        int result;
    };
    const Case cases[] = {
        {"second of three", three, kFilter, SPDRP_LOWERFILTERS, 1},
        {"first of three", three, L"ksthunk", SPDRP_LOWERFILTERS, 1},
        {"last of three", three, L"other", SPDRP_LOWERFILTERS, 1},
        {"other letter case", three, L"vELLOflt", SPDRP_LOWERFILTERS, 1},
        {"shorter name", three, L"VelloFl", SPDRP_LOWERFILTERS, 0},
        {"longer name", three, L"VelloFlt2", SPDRP_LOWERFILTERS, 0},
        {"empty name", three, L"", SPDRP_LOWERFILTERS, 0},
        {"only entry", one, kFilter, SPDRP_LOWERFILTERS, 1},
        {"no property", none, kFilter, SPDRP_LOWERFILTERS, 0},
        {"empty list", empty, kFilter, SPDRP_LOWERFILTERS, 0},
        {"list without terminators", unterminated, kFilter, SPDRP_LOWERFILTERS, 1},
        {"property of another type", text, kFilter, SPDRP_DEVICEDESC, 0},
        {"the hardware IDs", one, L"usb\\vid_2f7b&pid_7313", SPDRP_HARDWAREID, 1},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(devices.WithDevice(c.device, [&](HDEVINFO set, PSP_DEVINFO_DATA device) {
            EXPECT_EQ(DevicePropertyContains(set, device, c.lookFor, c.property), c.result) << c.name;
        })) << c.name;
    }
}

// ---- disable, enable, restart through a recording class installer --------------

struct InstallerRecord {
    std::vector<std::string> calls;
    int failAt = -1;  // index of the call that fails
    int failAlso = -1;  // and of a second one
    DWORD flags = 0;
};
InstallerRecord g_rec;

bool Fails() {
    const int index = static_cast<int>(g_rec.calls.size()) - 1;
    return index == g_rec.failAt || index == g_rec.failAlso;
}

BOOL WINAPI FakeSetParams(HDEVINFO, PSP_DEVINFO_DATA, PSP_CLASSINSTALL_HEADER header, DWORD size) {
    auto* p = reinterpret_cast<SP_PROPCHANGE_PARAMS*>(header);
    std::string call = "set ";
    call += p->StateChange == DICS_DISABLE ? "disable" : p->StateChange == DICS_ENABLE ? "enable" : "?";
    call += p->Scope == DICS_FLAG_GLOBAL ? " global" : p->Scope == DICS_FLAG_CONFIGSPECIFIC ? " config" : " ?";
    if (header->cbSize != 8 || header->InstallFunction != DIF_PROPERTYCHANGE || size != 20 ||
        p->HwProfile != 0)
        call += " (bad header)";
    g_rec.calls.push_back(call);
    return !Fails();
}
BOOL WINAPI FakeCall(DI_FUNCTION function, HDEVINFO, PSP_DEVINFO_DATA) {
    g_rec.calls.push_back(function == DIF_PROPERTYCHANGE ? "call" : "call ?");
    return !Fails();
}
BOOL WINAPI FakeGetParams(HDEVINFO, PSP_DEVINFO_DATA, PSP_DEVINSTALL_PARAMS_W params) {
    g_rec.calls.push_back(params->cbSize == sizeof(SP_DEVINSTALL_PARAMS_W) ? "get" : "get (bad size)");
    params->Flags = g_rec.flags;
    return !Fails();
}
void WINAPI FakeSleep(DWORD ms) { g_rec.calls.push_back("sleep " + std::to_string(ms)); }

class RecordingInstaller : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = ReplaceDeviceInstallerApi(&api_);
        id_ = devices_.Add({L"USB\\VID_2F7B&PID_7312&REV_0100&MI_00"});
        ASSERT_FALSE(id_.empty());
    }
    void TearDown() override { ReplaceDeviceInstallerApi(previous_); }
    void Run(const std::function<void(HDEVINFO, PSP_DEVINFO_DATA)>& fn) {
        ASSERT_TRUE(devices_.WithDevice(id_, fn));
    }

private:
    DeviceInstallerApi api_ = {FakeSetParams, FakeCall, FakeGetParams, FakeSleep};
    const DeviceInstallerApi* previous_ = nullptr;
    vt::PhantomDevices devices_;
    std::wstring id_;
};

using Calls = std::vector<std::string>;
const Calls kEnableCalls = {"set enable global", "call", "set enable config", "call", "get"};

TEST_F(RecordingInstaller, DisableDevice) {
    struct Case {
        const char* name;
        int failAt;
        int result;
        Calls calls;
    };
    const Case cases[] = {
        {"done", -1, kDeviceChanged, {"set disable config", "call"}},
        {"parameters refused", 0, kDeviceSetParamsFailed, {"set disable config"}},
        {"class installer fails", 1, kDeviceCallInstallerFailed, {"set disable config", "call"}},
    };
    for (const Case& c : cases) {
        g_rec = InstallerRecord();
        g_rec.failAt = c.failAt;
        Run([&](HDEVINFO set, PSP_DEVINFO_DATA device) {
            EXPECT_EQ(DisableDevice(set, device), c.result) << c.name;
        });
        EXPECT_EQ(g_rec.calls, c.calls) << c.name;
    }
}

TEST_F(RecordingInstaller, EnableDevice) {
    struct Case {
        const char* name;
        int failAt;
        DWORD flags;
        int result;
        size_t callsMade;
    };
    const Case cases[] = {
        {"done", -1, 0, kDeviceChanged, 5},
        {"other flags", -1, DI_NOVCP | DI_QUIETINSTALL, kDeviceChanged, 5},
        {"global parameters refused", 0, 0, kDeviceSetParamsFailed, 1},
        {"global change fails", 1, 0, kDeviceCallInstallerFailed, 2},
        {"profile parameters refused", 2, 0, kDeviceSetParams2Failed, 3},
        {"profile change fails", 3, 0, kDeviceCallInstaller2Failed, 4},
        {"install parameters unreadable", 4, DI_NEEDREBOOT, kDeviceGetParamsFailed, 5},
        {"reboot needed", -1, DI_NEEDREBOOT, kDeviceNeedsReboot, 5},
    };
    for (const Case& c : cases) {
        g_rec = InstallerRecord();
        g_rec.failAt = c.failAt;
        g_rec.flags = c.flags;
        Run([&](HDEVINFO set, PSP_DEVINFO_DATA device) {
            EXPECT_EQ(EnableDevice(set, device), c.result) << c.name;
        });
        EXPECT_EQ(g_rec.calls, Calls(kEnableCalls.begin(), kEnableCalls.begin() + c.callsMade)) << c.name;
    }
}

// A device that was disabled is never given up after one refused enable:
// it is enabled once more, and one that still refuses is reported.
TEST_F(RecordingInstaller, RestartDevice) {
    Calls all = {"set disable config", "call", "sleep 1000"};
    all.insert(all.end(), kEnableCalls.begin(), kEnableCalls.end());
    Calls retried(all.begin(), all.begin() + 5);  // the global enable's call fails
    retried.insert(retried.end(), kEnableCalls.begin(), kEnableCalls.end());
    struct Case {
        const char* name;
        int failAt;
        int failAlso;
        DWORD flags;
        bool result;
        bool leftDisabled;
        Calls calls;
    };
    const Case cases[] = {
        {"comes back", -1, -1, 0, true, false, all},
        {"disable failing does not stop the enable", 1, -1, 0, true, false, all},
        {"reboot needed", -1, -1, DI_NEEDREBOOT, false, false, all},
        {"enable fails once", 4, -1, 0, true, false, retried},
        {"enable fails twice", 4, 6, 0, false, true, Calls(retried.begin(), retried.begin() + 7)},
        {"the retry needs a reboot", 4, -1, DI_NEEDREBOOT, false, false, retried},
        {"disable and enable fail: nothing to take back", 1, 4, 0, false, false, Calls(all.begin(), all.begin() + 5)},
    };
    for (const Case& c : cases) {
        g_rec = InstallerRecord();
        g_rec.failAt = c.failAt;
        g_rec.failAlso = c.failAlso;
        g_rec.flags = c.flags;
        bool leftDisabled = false;
        Run([&](HDEVINFO set, PSP_DEVINFO_DATA device) {
            EXPECT_EQ(RestartDevice(set, device, &leftDisabled), c.result) << c.name;
        });
        EXPECT_EQ(leftDisabled, c.leftDisabled) << c.name;
        EXPECT_EQ(g_rec.calls, c.calls) << c.name;
    }
}

}  // namespace
