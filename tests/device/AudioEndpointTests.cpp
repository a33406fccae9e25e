// The audio endpoint helpers against simulated capture devices, Core Audio
// objects and mixers, and against what Wine has for real: its capture
// device list, its MMDevice enumerator and endpoint, its winmm mixer, the
// registry and the service control manager with the stand-in service.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EndpointFakes.h"
#include "TestSupport.h"
#include "panel/device/AudioEndpoint.h"
#include "panel/device/EndpointSystem.h"
#include "shared/ScopedWin.h"
#include "shared/ServiceControl.h"

namespace {

using epfake::EndpointWorld;
using Held = std::vector<std::string>;

constexpr WORD kVid = 0x2F7B, kPid = 0x731F;
const std::wstring kDevicePath =
    L"\\\\?\\USB#VID_2F7B&PID_731F&MI_00#7&2f5e3c1a&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const std::wstring kOtherPath =
    L"\\\\?\\USB#VID_0D8C&PID_0014&MI_00#7&11aa22bb&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

std::string N(const std::wstring& text) { return vt::Narrow(text); }

// --- capture-device name ---------------------------------------------------

TEST(CaptureDeviceName, IsTheLastDescriptionWhosePathStartsWithTheDevicePrefix) {
    const std::wstring longName(300, L'n');
    struct Row {
        const char* name;
        std::vector<device::CaptureDevice> devices;
        std::wstring expected;
    } rows[] = {
        {"the device's own", {{kOtherPath, L"Realtek"}, {kDevicePath, L"Speaker X"}}, L"Speaker X"},
        {"path in lower case", {{L"\\\\?\\usb#vid_2f7b&pid_731f&mi_00#7&1&0#{x}\\global", L"Speaker X"}}, L"Speaker X"},
        {"two of the device's: the last", {{kDevicePath, L"First"}, {kDevicePath, L"Second"}, {kOtherPath, L"Other"}},
         L"Second"},
        {"another product of the vendor", {{L"\\\\?\\USB#VID_2F7B&PID_7310&MI_00#7&1&0#{x}", L"Other"}}, L""},
        {"path shorter than the prefix", {{L"\\\\?\\USB#VID_2F7B", L"Short"}}, L""},
        {"no path", {{L"", L"Unknown"}}, L""},
        {"other devices only", {{kOtherPath, L"Realtek"}}, L""},
        {"no capture devices", {}, L""},
        {"description cut to 259", {{kDevicePath, longName}}, longName.substr(0, 259)},
    };
    for (const Row& row : rows) {
        EndpointWorld world;
        world.captureDevices = row.devices;
        EXPECT_EQ(FindCaptureDeviceName(kVid, kPid), row.expected) << row.name;
        EXPECT_STREQ(DeviceUsbPathPrefix, L"\\\\?\\USB#VID_2F7B&PID_731F") << row.name;
    }
    EndpointWorld world;
    FindCaptureDeviceName(0x0D8C, 0x0014);
    EXPECT_STREQ(DeviceUsbPathPrefix, L"\\\\?\\USB#VID_0D8C&PID_0014") << "four upper-case digits each";
}

// Names of Wine's active capture endpoints, through its own enumerator.
std::vector<std::wstring> RealCaptureEndpointNames() {
    std::vector<std::wstring> names;
    win::ComPtr<IMMDeviceEnumerator> enumerator;
    win::ComPtr<IMMDeviceCollection> endpoints;
    UINT count = 0;
    if (FAILED(device::RealEndpointSystem().CreateDeviceEnumerator(enumerator.put())) ||
        FAILED(enumerator->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, endpoints.put())) ||
        FAILED(endpoints->GetCount(&count)))
        return names;
    for (UINT i = 0; i < count; ++i) {
        win::ComPtr<IMMDevice> endpoint;
        win::ComPtr<IPropertyStore> store;
        PROPVARIANT value;
        ::PropVariantInit(&value);
        if (SUCCEEDED(endpoints->Item(i, endpoint.put())) &&
            SUCCEEDED(endpoint->OpenPropertyStore(STGM_READ, store.put())) &&
            SUCCEEDED(store->GetValue(PROPERTYKEY{{0xA45C254E, 0xDF1C, 0x4EFD,
                                                   {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}},
                                                  14},
                                      &value)) &&
            value.vt == VT_LPWSTR)
            names.push_back(value.pwszVal);
        ::PropVariantClear(&value);
    }
    return names;
}

// The real list, read without the simulated one in force.
std::vector<device::CaptureDevice> RealCaptureDevices() { return device::RealEndpointSystem().ListCaptureDevices(); }

TEST(CaptureDeviceName, SystemListGivesEachCaptureDevicesPathAndEndpointName) {
    win::ComInit com;
    const std::vector<device::CaptureDevice> devices = RealCaptureDevices();
    const std::vector<std::wstring> endpoints = RealCaptureEndpointNames();
    ASSERT_FALSE(devices.empty()) << "the prefix's null sound device records";
    for (const device::CaptureDevice& capture : devices) {
        EXPECT_FALSE(capture.interfacePath.empty()) << N(capture.description);
        bool named = false;
        for (const std::wstring& endpoint : endpoints) named |= endpoint.find(capture.description) != std::wstring::npos;
        EXPECT_TRUE(named) << "no active capture endpoint is named after '" << N(capture.description) << "'";
    }
}

// --- the capture endpoint --------------------------------------------------

TEST(FindCaptureEndpoint, GivesTheFirstActiveEndpointNamedAfterTheCaptureDevice) {
    using Edit = std::function<void(EndpointWorld&)>;
    const Edit none = [](EndpointWorld&) {};
    struct Row {
        const char* name;
        std::vector<device::CaptureDevice> devices;
        std::vector<std::wstring> endpoints;
        Edit edit;
        int expected;  // index of the endpoint returned, -1 for none
    } rows[] = {
        {"first that contains the name", {{kDevicePath, L"Speaker X"}},
         {L"Microphone (Realtek)", L"Microphone (Speaker X)", L"Line (Speaker X)"}, none, 1},
        {"no endpoint carries the name", {{kDevicePath, L"Speaker X"}}, {L"Microphone (Realtek)"}, none, -1},
        {"names compare case-sensitively", {{kDevicePath, L"Speaker X"}}, {L"Microphone (SPEAKER X)"}, none, -1},
        {"device without a capture device", {{kOtherPath, L"Realtek"}}, {L"Microphone (Speaker X)", L"Realtek"},
         none, -1},
        {"no capture devices", {}, {L"Microphone (Speaker X)"}, none, -1},
        {"enumerator not created", {{kDevicePath, L"Speaker X"}}, {L"Microphone (Speaker X)"},
         [](EndpointWorld& w) { w.createResult = REGDB_E_CLASSNOTREG; }, -1},
        {"endpoints not listed", {{kDevicePath, L"Speaker X"}}, {L"Microphone (Speaker X)"},
         [](EndpointWorld& w) { w.enumerator.enumResult = E_OUTOFMEMORY; }, -1},
        {"count not read", {{kDevicePath, L"Speaker X"}}, {L"Microphone (Speaker X)"},
         [](EndpointWorld& w) { w.enumerator.activeCapture.countResult = E_FAIL; }, -1},
        {"endpoint not handed out", {{kDevicePath, L"Speaker X"}}, {L"Microphone (Speaker X)"},
         [](EndpointWorld& w) { w.enumerator.activeCapture.itemResult = E_FAIL; }, -1},
        {"an earlier endpoint's properties fail", {{kDevicePath, L"Speaker X"}},
         {L"Microphone (Realtek)", L"Microphone (Speaker X)"},
         [](EndpointWorld& w) { w.enumerator.devices[0]->storeResult = E_ACCESSDENIED; }, -1},
        {"an earlier endpoint's name fails", {{kDevicePath, L"Speaker X"}},
         {L"Microphone (Realtek)", L"Microphone (Speaker X)"},
         [](EndpointWorld& w) { w.enumerator.devices[0]->properties.valueResult = E_FAIL; }, -1},
    };
    for (const Row& row : rows) {
        EndpointWorld world;
        world.captureDevices = row.devices;
        for (const std::wstring& name : row.endpoints) world.AddCaptureEndpoint(name);
        row.edit(world);

        IMMDevice* endpoint = FindCaptureEndpoint(kVid, kPid);
        if (row.expected < 0) {
            EXPECT_EQ(endpoint, nullptr) << row.name;
            EXPECT_EQ(world.HeldReferences(), Held{}) << row.name;
        } else {
            epfake::Device& expected = *world.enumerator.devices[row.expected];
            EXPECT_EQ(endpoint, static_cast<IMMDevice*>(&expected)) << row.name;
            EXPECT_EQ(world.HeldReferences(), Held{"device '" + N(row.endpoints[row.expected]) + "' 1"})
                << row.name << ": only the caller's reference is left";
        }
        ReleaseCaptureEndpoint(endpoint);
        EXPECT_EQ(endpoint, nullptr) << row.name;
        EXPECT_EQ(world.HeldReferences(), Held{}) << row.name;
    }
}

// --- endpoint volume and mute ----------------------------------------------

class EndpointTest : public ::testing::Test {
protected:
    void SetUp() override {
        world_.captureDevices = {{kDevicePath, L"Speaker X"}};
        endpoint_ = &world_.AddCaptureEndpoint(L"Microphone (Speaker X)");
    }
    EndpointWorld world_;
    epfake::Device* endpoint_ = nullptr;
};

TEST_F(EndpointTest, VolumePercentComesFromTheStepPosition) {
    struct Row {
        const char* name;
        bool hasVolume;
        HRESULT stepInfo;
        UINT step, count;
        int result, percent;  // percent -1: untouched
    } rows[] = {
        {"7 of 11", true, S_OK, 7, 11, kEndpointDone, 70},
        {"9 of 11", true, S_OK, 9, 11, kEndpointDone, 90},
        {"last of 11", true, S_OK, 10, 11, kEndpointDone, 100},
        {"2 of 4 truncates", true, S_OK, 2, 4, kEndpointDone, 66},
        {"first of 2", true, S_OK, 0, 2, kEndpointDone, 0},
        {"a single step", true, S_OK, 0, 1, kEndpointVolumeFailed, -1},
        {"no steps", true, S_OK, 0, 0, kEndpointVolumeFailed, -1},
        {"step info refused", true, E_NOTIMPL, 7, 11, kEndpointVolumeFailed, -1},
        {"no endpoint volume", false, S_OK, 7, 11, kEndpointNoVolumeControl, -1},
    };
    for (const Row& row : rows) {
        endpoint_->hasVolume = row.hasVolume;
        endpoint_->volume.stepInfoResult = row.stepInfo;
        endpoint_->volume.step = row.step;
        endpoint_->volume.stepCount = row.count;
        int percent = -1;
        EXPECT_EQ(GetEndpointVolume(endpoint_, percent), row.result) << row.name;
        EXPECT_EQ(percent, row.percent) << row.name;
        EXPECT_EQ(world_.HeldReferences(), Held{}) << row.name;
    }
}

TEST_F(EndpointTest, SettingTheVolumeWritesTheScalarAndReportsARefusal) {
    EXPECT_EQ(SetEndpointVolume(endpoint_, 55), kEndpointDone);
    EXPECT_FLOAT_EQ(endpoint_->volume.level, 0.55f);
    EXPECT_TRUE(IsEqualGUID(endpoint_->volume.levelContext, GUID_NULL)) << "no event context";

    endpoint_->volume.levelResult = E_INVALIDARG;
    EXPECT_EQ(SetEndpointVolume(endpoint_, 40), kEndpointVolumeFailed) << "the level was refused";
    EXPECT_FLOAT_EQ(endpoint_->volume.level, 0.55f);

    endpoint_->hasVolume = false;
    EXPECT_EQ(SetEndpointVolume(endpoint_, 40), kEndpointNoVolumeControl);
    EXPECT_EQ(SetEndpointVolume(nullptr, 40), kEndpointNoVolumeControl);
    EXPECT_EQ(world_.HeldReferences(), Held{});
}

TEST_F(EndpointTest, MuteGivesZeroOrTheCallsFailure) {
    const HRESULT kGone = static_cast<HRESULT>(0x88890004);  // AUDCLNT_E_DEVICE_INVALIDATED
    endpoint_->volume.muted = TRUE;
    BOOL muted = 7;
    EXPECT_EQ(GetEndpointMute(endpoint_, muted), 0);
    EXPECT_EQ(muted, TRUE);

    EXPECT_EQ(SetEndpointMute(endpoint_, FALSE), 0);
    EXPECT_EQ(endpoint_->volume.muted, FALSE);
    EXPECT_EQ(SetEndpointMute(endpoint_, FALSE), 0) << "already unmuted (S_FALSE)";

    endpoint_->volume.muteResults = {kGone, kGone};
    muted = 7;
    EXPECT_EQ(GetEndpointMute(endpoint_, muted), static_cast<int>(kGone));
    EXPECT_EQ(muted, 7) << "untouched";
    EXPECT_EQ(SetEndpointMute(endpoint_, TRUE), static_cast<int>(kGone));
    EXPECT_EQ(endpoint_->volume.muted, FALSE);

    endpoint_->hasVolume = false;
    EXPECT_EQ(GetEndpointMute(endpoint_, muted), kEndpointNoVolumeControl);
    EXPECT_EQ(SetEndpointMute(endpoint_, TRUE), kEndpointNoVolumeControl);
    EXPECT_EQ(world_.HeldReferences(), Held{});
}

// --- automatic gain control ------------------------------------------------

// The endpoint's connector leads to the device; the device's first subunit
// has no gain control, its second one has.
struct AgcWorld {
    AgcWorld() {
        world.captureDevices = {{kDevicePath, L"Speaker X"}};
        endpoint = &world.AddCaptureEndpoint(L"Microphone (Speaker X)");
        endpoint->topology.connector.connectedDeviceId = L"{2}.\\\\?\\usb#vid_2f7b&pid_731f&mi_00#topology";
        device = &world.AddDevice(endpoint->topology.connector.connectedDeviceId);
        device->topology.AddSubunit().activateResult = E_NOINTERFACE;
        device->topology.AddSubunit().control.enabled = TRUE;
    }
    epfake::Subunit& Subunit(size_t i) { return *device->topology.subunits[i]; }
    EndpointWorld world;
    epfake::Device* endpoint = nullptr;
    epfake::Device* device = nullptr;
};

TEST(EndpointAgc, EachFailingStepGivesItsNumberAndReleasesEverything) {
    struct Row {
        int step;
        std::function<void(AgcWorld&)> fail;
    } rows[] = {
        {kAgcNoEnumerator, [](AgcWorld& a) { a.world.createResult = REGDB_E_CLASSNOTREG; }},
        {kAgcNoEndpointTopology, [](AgcWorld& a) { a.endpoint->topologyResult = E_NOINTERFACE; }},
        {kAgcNoConnector, [](AgcWorld& a) { a.endpoint->topology.connectorResult = E_INVALIDARG; }},
        {kAgcNoConnectedDeviceId, [](AgcWorld& a) { a.endpoint->topology.connector.idResult = E_NOTFOUND; }},
        {kAgcNoConnectedDevice, [](AgcWorld& a) { a.world.enumerator.getDeviceResult = E_NOTFOUND; }},
        {kAgcNoDeviceTopology, [](AgcWorld& a) { a.device->topologyResult = E_NOINTERFACE; }},
        {kAgcNoSubunitCount, [](AgcWorld& a) { a.device->topology.subunitCountResult = E_FAIL; }},
        {kAgcNoSubunit, [](AgcWorld& a) { a.device->topology.subunitResult = E_FAIL; }},
        {kAgcNoPart, [](AgcWorld& a) { a.Subunit(0).partResult = E_NOINTERFACE; }},
    };
    for (const Row& row : rows) {
        AgcWorld a;
        row.fail(a);
        BOOL enabled = 7;
        EXPECT_EQ(GetEndpointAGC(a.endpoint, enabled), row.step) << "step " << row.step;
        EXPECT_EQ(enabled, 7) << "step " << row.step << ": untouched";
        EXPECT_EQ(SetEndpointAGC(a.endpoint, FALSE), row.step) << "step " << row.step;
        EXPECT_EQ(a.Subunit(1).control.sets, 0) << "step " << row.step;
        EXPECT_EQ(a.world.HeldReferences(), Held{}) << "step " << row.step;
    }
}

TEST(EndpointAgc, TheFirstSubunitWithTheControlIsUsed) {
    AgcWorld a;
    BOOL enabled = 7;
    EXPECT_EQ(GetEndpointAGC(a.endpoint, enabled), kAgcDone);
    EXPECT_EQ(enabled, TRUE);
    EXPECT_EQ(SetEndpointAGC(a.endpoint, FALSE), kAgcDone);
    EXPECT_EQ(a.Subunit(1).control.enabled, FALSE);
    EXPECT_EQ(a.Subunit(1).control.sets, 1);

    a.device->topology.AddSubunit().control.enabled = TRUE;  // a third one, never reached
    EXPECT_EQ(SetEndpointAGC(a.endpoint, TRUE), kAgcDone);
    EXPECT_EQ(a.Subunit(1).control.enabled, TRUE);
    EXPECT_EQ(a.Subunit(2).control.sets, 0);
    EXPECT_EQ(a.world.HeldReferences(), Held{});
}

TEST(EndpointAgc, WithoutAControlTheLastRefusalIsTheResult) {
    AgcWorld a;
    a.Subunit(1).activateResult = E_NOTIMPL;
    BOOL enabled = 7;
    EXPECT_EQ(GetEndpointAGC(a.endpoint, enabled), static_cast<int>(E_NOTIMPL));
    EXPECT_EQ(SetEndpointAGC(a.endpoint, TRUE), static_cast<int>(E_NOTIMPL));
    EXPECT_EQ(enabled, 7);

    a.device->topology.subunits.clear();
    EXPECT_EQ(GetEndpointAGC(a.endpoint, enabled), kAgcDone) << "no subunits";
    EXPECT_EQ(enabled, 7) << "no subunits: untouched";
    EXPECT_EQ(a.world.HeldReferences(), Held{});
}

// --- Wine's own capture endpoint -------------------------------------------

// The simulated list names Wine's capture device as the device's; Core Audio
// and the mixer are Wine's own.
class WineEndpointTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<device::CaptureDevice> real = RealCaptureDevices();
        ASSERT_FALSE(real.empty());
        wineCapture_ = real[0].description;
        world_.captureDevices = {{kDevicePath, wineCapture_}};
        const auto& os = device::RealEndpointSystem();
        world_.calls.CreateDeviceEnumerator = os.CreateDeviceEnumerator;
        world_.calls.mixerGetNumDevs = os.mixerGetNumDevs;
        world_.calls.mixerOpen = os.mixerOpen;
        world_.calls.mixerClose = os.mixerClose;
        world_.calls.mixerGetLineInfoW = os.mixerGetLineInfoW;
        world_.calls.mixerGetLineControlsW = os.mixerGetLineControlsW;
        world_.calls.mixerGetControlDetailsW = os.mixerGetControlDetailsW;
        world_.calls.mixerSetControlDetails = os.mixerSetControlDetails;
    }
    win::ComInit com_;
    EndpointWorld world_;
    std::wstring wineCapture_;
};

TEST_F(WineEndpointTest, CoreAudioCallsReachWinesEndpoint) {
    IMMDevice* endpoint = FindCaptureEndpoint(kVid, kPid);
    ASSERT_NE(endpoint, nullptr) << "Wine's capture endpoint '" << N(wineCapture_) << "'";

    // Wine keeps no mute state between activations; it takes the calls.
    BOOL muted = 7;
    EXPECT_EQ(GetEndpointMute(endpoint, muted), 0);
    EXPECT_EQ(muted, FALSE);
    EXPECT_EQ(SetEndpointMute(endpoint, TRUE), 0);
    EXPECT_EQ(SetEndpointMute(endpoint, FALSE), 0) << "unchanged (S_FALSE)";

    // Wine's capture endpoints have neither volume steps nor a device topology.
    int percent = -1;
    EXPECT_EQ(GetEndpointVolume(endpoint, percent), kEndpointVolumeFailed);
    EXPECT_EQ(percent, -1);
    EXPECT_EQ(SetEndpointVolume(endpoint, 55), kEndpointVolumeFailed) << "Wine refuses the level";
    BOOL enabled = 7;
    EXPECT_EQ(GetEndpointAGC(endpoint, enabled), kAgcNoEndpointTopology);
    ReleaseCaptureEndpoint(endpoint);
}

// The wave-in volume control of Wine's mixer named after the capture device.
bool ReadWineCaptureVolume(const std::wstring& captureName, DWORD& value) {
    for (UINT id = 0; id < ::mixerGetNumDevs(); ++id) {
        HMIXER mixer = nullptr;
        if (::mixerOpen(&mixer, id, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) continue;
        MIXERLINEW line = {};
        line.cbStruct = sizeof(line);
        line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
        MIXERCONTROLW control = {};
        control.cbStruct = sizeof(control);
        MIXERLINECONTROLSW query = {};
        query.cbStruct = sizeof(query);
        query.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
        query.cControls = 1;
        query.cbmxctrl = sizeof(control);
        query.pamxctrl = &control;
        MIXERCONTROLDETAILS_UNSIGNED detail = {};
        MIXERCONTROLDETAILS details = {};
        details.cbStruct = sizeof(details);
        details.cChannels = 1;
        details.cbDetails = sizeof(detail);
        details.paDetails = &detail;
        bool read = false;
        if (::mixerGetLineInfoW(reinterpret_cast<HMIXEROBJ>(mixer), &line, MIXER_GETLINEINFOF_COMPONENTTYPE) == 0 &&
            captureName == line.Target.szPname) {
            query.dwLineID = line.dwLineID;
            details.dwControlID = 0;
            read = ::mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer), &query,
                                           MIXER_GETLINECONTROLSF_ONEBYTYPE) == 0;
            details.dwControlID = control.dwControlID;
            read = read && ::mixerGetControlDetailsW(reinterpret_cast<HMIXEROBJ>(mixer), &details,
                                                     MIXER_GETCONTROLDETAILSF_VALUE) == 0;
        }
        ::mixerClose(mixer);
        if (read) {
            value = detail.dwValue;
            return true;
        }
    }
    return false;
}

TEST_F(WineEndpointTest, GainOf37PercentWritesItsVolumeToWinesMixer) {
    DWORD before = 0, value = MixerVolumeFromPercent(37), minimum = 1, maximum = 1;
    ASSERT_TRUE(ReadWineCaptureVolume(wineCapture_, before));
    EXPECT_EQ(value, 24247u);
    ASSERT_EQ(MixerDeviceControl(kMixerWriteVolume, value, minimum, maximum, kVid, kPid), 1);
    DWORD written = 0;
    ASSERT_TRUE(ReadWineCaptureVolume(wineCapture_, written));
    EXPECT_EQ(written, 24247u);

    value = 0;
    EXPECT_EQ(MixerDeviceControl(kMixerReadVolume, value, minimum, maximum, kVid, kPid), 1);
    EXPECT_EQ(value, 24247u);
    EXPECT_EQ(minimum, 0u);
    EXPECT_EQ(maximum, 65535u);
    int percent = -1;
    EXPECT_TRUE(PercentFromMixerVolume(value, minimum, maximum, percent));
    EXPECT_EQ(percent, 36) << "24247 of 65535 is 36.99 %";

    MixerDeviceControl(kMixerWriteVolume, before, minimum, maximum, kVid, kPid);
}

// --- simulated mixers ------------------------------------------------------

using epfake::Mixer;
using epfake::MixerControl;
using epfake::MixerLine;
constexpr DWORD kVolume = MIXERCONTROL_CONTROLTYPE_VOLUME, kMute = MIXERCONTROL_CONTROLTYPE_MUTE,
                kMux = MIXERCONTROL_CONTROLTYPE_MUX;
constexpr DWORD kMicrophone = MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, kUndefined = MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED,
                kLineIn = MIXERLINE_COMPONENTTYPE_SRC_LINE;

Mixer NamedMixer(const std::wstring& name, std::vector<MixerControl> destination,
                 std::vector<MixerLine> sources = {}) {
    Mixer mixer;
    mixer.targetName = name;
    mixer.destination.controls = std::move(destination);
    mixer.sources = std::move(sources);
    return mixer;
}

TEST(MixerDeviceControl, UsesTheWaveInLineOrItsFirstMicrophoneSourceWithTheControl) {
    struct Row {
        const char* name;
        int operation;
        DWORD value;
        std::vector<MixerControl> destination;
        std::vector<MixerLine> sources;
        int result;
        DWORD valueAfter;
        int line;  // -1 destination, else source index: where a write lands
    } rows[] = {
        {"volume on the destination", kMixerReadVolume, 0, {{kVolume, 0, 65535, 32768}}, {}, 1, 32768, -1},
        {"mute from the microphone source", kMixerReadMute, 0, {{kVolume}},
         {{kMicrophone, {{kVolume}, {kMute, 0, 1, 1}}}}, 1, 1, 0},
        {"an undefined source is searched", kMixerReadMute, 0, {{kVolume}}, {{kUndefined, {{kMute, 0, 1, 1}}}}, 1, 1,
         0},
        {"a line-in source is not", kMixerReadMute, 5, {{kVolume}}, {{kLineIn, {{kMute, 0, 1, 1}}}}, 0, 5, -1},
        {"the first source that has it", kMixerWriteMute, 1, {},
         {{kMicrophone, {{kVolume}}}, {kLineIn, {{kMute}}}, {kMicrophone, {{kMute}}}, {kMicrophone, {{kMute}}}}, 1, 1,
         2},
        {"destination before sources", kMixerWriteVolume, 24247, {{kMute}, {kVolume}},
         {{kMicrophone, {{kVolume}}}}, 1, 24247, -1},
        {"multiplexer write", kMixerWriteMux, 1, {{kVolume}, {kMux, 0, 1, 0}}, {}, 1, 1, -1},
        {"no line has it", kMixerReadMux, 5, {{kVolume}}, {{kMicrophone, {{kMute}}}}, 0, 5, -1},
    };
    for (const Row& row : rows) {
        EndpointWorld world;
        world.captureDevices = {{kDevicePath, L"Microphone (Speaker X)"}};
        world.mixers = {NamedMixer(L"Microphone (Speaker X)", row.destination, row.sources)};
        DWORD value = row.value, minimum = 7, maximum = 7;
        EXPECT_EQ(MixerDeviceControl(row.operation, value, minimum, maximum, kVid, kPid), row.result) << row.name;
        EXPECT_EQ(world.mixersOpen, 0) << row.name << ": mixer closed";
        const bool write = row.operation % 2 == 1;
        if (!write) {
            EXPECT_EQ(value, row.valueAfter) << row.name;
        }
        if (write && row.result == 1) {
            Mixer& mixer = world.mixers[0];
            MixerLine& line = row.line < 0 ? mixer.destination : mixer.sources[row.line];
            DWORD type = row.operation == kMixerWriteVolume ? kVolume : row.operation == kMixerWriteMute ? kMute : kMux;
            EXPECT_EQ(line.Find(type)->value, row.valueAfter) << row.name;
            EXPECT_EQ(mixer.lastChannels, 1u) << row.name;
            EXPECT_EQ(mixer.lastItems, 0u) << row.name;
            EXPECT_EQ(mixer.lastDetailBytes, sizeof(MIXERCONTROLDETAILS_UNSIGNED)) << row.name;
        }
        if (row.operation == kMixerReadVolume && row.result == 1) {
            EXPECT_EQ(minimum, 0u) << row.name;
            EXPECT_EQ(maximum, 65535u) << row.name;
        } else {
            EXPECT_EQ(minimum, 7u) << row.name << ": bounds only from a volume read";
        }
    }
}

TEST(MixerDeviceControl, TakesTheFirstMixerNamedAfterTheCaptureDeviceThatHasTheControl) {
    const std::wstring kLong = L"Microphone (Speaker X Pro Headset Deluxe)";
    struct Row {
        const char* name;
        std::vector<device::CaptureDevice> devices;
        std::vector<Mixer> mixers;
        int used;  // index of the mixer whose mute is written, -1 none
    } rows[] = {
        {"named in other case", {{kDevicePath, L"Microphone (Speaker X)"}},
         {NamedMixer(L"Realtek HD Audio Input", {{kMute}}), NamedMixer(L"MICROPHONE (SPEAKER X)", {{kMute}})}, 1},
        {"target name cut to 31 characters", {{kDevicePath, kLong}},
         {NamedMixer(kLong.substr(0, MAXPNAMELEN - 1), {{kMute}})}, 0},
        {"capture name shorter than the target", {{kDevicePath, L"Microphone"}},
         {NamedMixer(L"Microphone (Speaker X)", {{kMute}})}, 0},
        {"the first named one lacks the control", {{kDevicePath, L"Microphone (Speaker X)"}},
         {NamedMixer(L"Microphone (Speaker X)", {{kVolume}}), NamedMixer(L"Microphone (Speaker X)", {{kMute}})}, 1},
        {"a mixer without wave-in", {{kDevicePath, L"Microphone (Speaker X)"}},
         {[] { Mixer m = NamedMixer(L"Microphone (Speaker X)", {{kMute}}); m.hasWaveIn = false; return m; }(),
          NamedMixer(L"Microphone (Speaker X)", {{kMute}})},
         1},
        {"an empty target names nothing", {{kDevicePath, L"Microphone (Speaker X)"}},
         {NamedMixer(L"", {{kMute}}), NamedMixer(L"Microphone (Speaker X)", {{kMute}})}, 1},
        {"device without a capture device", {{kOtherPath, L"Realtek HD Audio Input"}},
         {NamedMixer(L"Realtek HD Audio Input", {{kMute}}), NamedMixer(L"Microphone (Speaker X)", {{kMute}})}, -1},
        {"no mixer named", {{kDevicePath, L"Microphone (Speaker X)"}},
         {NamedMixer(L"Realtek HD Audio Input", {{kMute}})}, -1},
    };
    for (const Row& row : rows) {
        EndpointWorld world;
        world.captureDevices = row.devices;
        world.mixers = row.mixers;
        DWORD value = 1, minimum = 0, maximum = 0;
        EXPECT_EQ(MixerDeviceControl(kMixerWriteMute, value, minimum, maximum, kVid, kPid), row.used >= 0 ? 1 : 0)
            << row.name;
        for (size_t i = 0; i < world.mixers.size(); ++i) {
            MixerControl* mute = world.mixers[i].destination.Find(kMute);
            if (mute) {
                EXPECT_EQ(mute->value, static_cast<int>(i) == row.used ? 1u : 0u) << row.name << ", mixer " << i;
            }
        }
        EXPECT_EQ(world.mixersOpen, 0) << row.name;
    }
    EndpointWorld world;
    world.captureDevices = {{kOtherPath, L"Realtek HD Audio Input"}};
    world.mixers = {NamedMixer(L"Realtek HD Audio Input", {{kMute}})};
    DWORD value = 1, minimum = 0, maximum = 0;
    MixerDeviceControl(kMixerWriteMute, value, minimum, maximum, kVid, kPid);
    EXPECT_EQ(world.mixerOpens, 0) << "without a capture device no mixer is opened";
}

TEST(MixerDeviceControl, FailuresGiveZeroAndLeaveTheValues) {
    struct Row {
        const char* name;
        int operation;
        std::function<void(Mixer&)> edit;
    } rows[] = {
        {"controls not read", kMixerReadMute, [](Mixer& m) { m.lineControlsResult = MMSYSERR_ERROR; }},
        {"value not read", kMixerReadMute, [](Mixer& m) { m.detailsResult = MMSYSERR_ERROR; }},
        {"value not written", kMixerWriteVolume, [](Mixer& m) { m.detailsResult = MMSYSERR_NOTSUPPORTED; }},
        {"equal volume bounds", kMixerReadVolume, [](Mixer& m) { m.destination.Find(kVolume)->maximum = 0; }},
        {"unknown operation", 6, [](Mixer&) {}},
        {"negative operation", -1, [](Mixer&) {}},
    };
    for (const Row& row : rows) {
        EndpointWorld world;
        world.captureDevices = {{kDevicePath, L"Microphone (Speaker X)"}};
        world.mixers = {NamedMixer(L"Microphone (Speaker X)", {{kVolume, 0, 65535, 1000}, {kMute, 0, 1, 1}})};
        row.edit(world.mixers[0]);
        DWORD value = 77, minimum = 7, maximum = 7;
        EXPECT_EQ(MixerDeviceControl(row.operation, value, minimum, maximum, kVid, kPid), 0) << row.name;
        EXPECT_EQ(value, 77u) << row.name;
        EXPECT_EQ(minimum, 7u) << row.name;
        EXPECT_EQ(maximum, 7u) << row.name;
        EXPECT_EQ(world.mixers[0].destination.Find(kVolume)->value, 1000u) << row.name;
        EXPECT_EQ(world.mixersOpen, 0) << row.name;
    }
}

TEST(MixerDeviceControl, PercentAndVolumeConvertAsThePanelShowsThem) {
    struct Row {
        int percent;
        DWORD volume;
    } toVolume[] = {{0, 0}, {37, 24247}, {50, 32767}, {100, 65535}};
    for (const Row& row : toVolume) EXPECT_EQ(MixerVolumeFromPercent(row.percent), row.volume) << row.percent << " %";

    struct Back {
        DWORD value, minimum, maximum;
        bool ok;
        int percent;
    } toPercent[] = {
        {32768, 0, 65535, true, 50}, {65535, 0, 65535, true, 100}, {0, 0, 65535, true, 0},
        {600, 100, 1100, true, 60},  // the minimum is not taken off the value
        {5, 9, 9, false, -1},
    };
    for (const Back& row : toPercent) {
        int percent = -1;
        EXPECT_EQ(PercentFromMixerVolume(row.value, row.minimum, row.maximum, percent), row.ok) << row.value;
        EXPECT_EQ(percent, row.percent) << row.value << " of " << row.minimum << ".." << row.maximum;
    }
}

// --- listen-to-device property ---------------------------------------------

TEST(ListenToDeviceProperty, WritesTheSettingOfTheDevicesEndpointsOnly) {
    const std::wstring kListen1 = L"{24dbb0fc-9311-4b3d-9cf0-18ff155639d4},1";
    const std::wstring kListen4 = L"{24dbb0fc-9311-4b3d-9cf0-18ff155639d4},4";
    struct Row {
        const wchar_t* endpoint;
        std::wstring instance;
        bool written;
    } rows[] = {
        {L"{0.0.1.00000000}.{11111111-0000-0000-0000-000000000001}",
         L"{1}.USB\\VID_2F7B&PID_731F&MI_00\\7&2F5E3C1A&0&0000", true},
        {L"{0.0.1.00000000}.{11111111-0000-0000-0000-000000000002}",
         L"{1}.usb\\vid_2f7b&pid_731f&mi_00\\7&1a&0&0000", true},
        {L"{0.0.1.00000000}.{11111111-0000-0000-0000-000000000003}",
         L"{1}.USB\\VID_0D8C&PID_731F&MI_00\\7&3&0&0000", false},
        {L"{0.0.1.00000000}.{11111111-0000-0000-0000-000000000004}",
         L"{1}.USB\\VID_2F7B&PID_7310&MI_00\\7&4&0&0000", false},
        {L"{0.0.1.00000000}.{11111111-0000-0000-0000-000000000005}",
         L"{1}.SWD\\MMDEVAPI\\{2f7b731f-0000-4000-8000-000000000005}", false},
        {L"{0.0.1.00000000}.{11111111-0000-0000-0000-000000000006}", L"", false},
        {L"{0.0.1.00000000}.{11111111-0000-0000-0000-000000000007}",
         L"{1}.USB\\VID_2F7B&PID_731F&MI_00\\" + std::wstring(140, L'7'), false},  // longer than 260 bytes
    };
    EndpointWorld world;
    for (const Row& row : rows) ASSERT_TRUE(world.AddEndpointKey(row.endpoint, row.instance)) << N(row.endpoint);

    const std::vector<BYTE> on = {0x0B, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0};
    const std::vector<BYTE> off = {0x0B, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    SetListenToDeviceProperty(1, kVid, kPid);
    for (const Row& row : rows) {
        for (const std::wstring& value : {kListen1, kListen4})
            EXPECT_EQ(world.EndpointValue(row.endpoint, value), row.written ? on : std::vector<BYTE>{})
                << N(row.instance) << " " << N(value);
    }
    SetListenToDeviceProperty(0, kVid, kPid);
    for (const Row& row : rows) {
        for (const std::wstring& value : {kListen1, kListen4})
            EXPECT_EQ(world.EndpointValue(row.endpoint, value), row.written ? off : std::vector<BYTE>{})
                << N(row.instance) << " " << N(value);
    }
}

// --- the audio service -----------------------------------------------------

// Waits up to 10 s for a state.
bool ReachesState(const vt::StandInService& service, DWORD state) {
    for (int i = 0; i < 100; ++i) {
        if (service.State() == state) return true;
        ::Sleep(100);
    }
    return false;
}

TEST(RestartAudioService, StopsTheServiceWaitsForItAndStartsItAgain) {
    const std::wstring kName = L"VelloEndpointTestAudio";
    vt::StandInService service(kName);
    ASSERT_TRUE(service.registered());
    EndpointWorld world;
    world.UseAudioService(kName);

    // Stopped: only started.
    EXPECT_EQ(RestartAudioService(), kAudioServiceRestarted);
    EXPECT_TRUE(ReachesState(service, SERVICE_RUNNING));
    EXPECT_EQ(service.Log(), std::vector<std::wstring>{L"start"});

    // Running, with a stop that takes its time.
    service.ClearLog();
    service.Set(L"StopDelayMs", 1500);
    EXPECT_EQ(RestartAudioService(), kAudioServiceRestarted);
    EXPECT_TRUE(ReachesState(service, SERVICE_RUNNING)) << "sound is back";
    EXPECT_EQ(service.Log(), (std::vector<std::wstring>{L"control 1", L"stop", L"start"}));

    world.UseAudioService(L"VelloNoSuchAudioService");
    EXPECT_EQ(RestartAudioService(), kAudioServiceStartFailed) << "no such service";
}

}  // namespace
