// The microphone page through the real main window: volume, mute and boost
// on a simulated capture endpoint (Core Audio) or mixer (older Windows),
// monitoring through the chip's registers, the endpoint's listen-to-device
// setting or the record test, and the level meter on Wine's real waveIn
// device; checked on what reaches the simulated endpoint and mixer, the
// stand-in library's log, the endpoint's registry values, the files and
// the controls.
#include "MainWindowFixture.h"

#include "EndpointFakes.h"
#include "panel/RecordTest.h"
#include "panel/device/AudioEndpoint.h"

namespace {

using Held = std::vector<std::string>;

const std::wstring kCapturePath =
    L"\\\\?\\USB#VID_2F7B&PID_731F&MI_00#7&2f5e3c1a&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr wchar_t kEndpointName[] = L"Microphone (Speaker X)";
constexpr wchar_t kTopologyId[] = L"{2}.\\\\?\\usb#vid_2f7b&pid_731f&mi_00#topology";
constexpr wchar_t kEndpointKey[] = L"{0.0.1.00000000}.{5f1e3c2a-0000-4000-8000-2f7b731f0001}";
constexpr wchar_t kListen1[] = L"{24dbb0fc-9311-4b3d-9cf0-18ff155639d4},1";
const std::vector<BYTE> kListenOn = {0x0B, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0};
const std::vector<BYTE> kListenOff = {0x0B, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Held kEndpointKept = {"device 'Microphone (Speaker X)' 1"};

constexpr BYTE kMixerClass = 4;

// A page of memory nobody may read or write: a read or write is recorded
// and then let through, so a test reports it instead of crashing.
class WatchedPage {
public:
    WatchedPage() {
        page_ = static_cast<BYTE*>(::VirtualAlloc(nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS));
        watched_ = this;
        handler_ = ::AddVectoredExceptionHandler(1, &WatchedPage::OnException);
    }
    ~WatchedPage() {
        ::RemoveVectoredExceptionHandler(handler_);
        watched_ = nullptr;
        ::VirtualFree(page_, 0, MEM_RELEASE);
    }
    WatchedPage(const WatchedPage&) = delete;
    WatchedPage& operator=(const WatchedPage&) = delete;

    BYTE* data() const { return page_; }
    bool touched() const { return touched_; }
    // Locked again for the next row.
    void Relock() {
        DWORD old = 0;
        ::VirtualProtect(page_, kSize, PAGE_NOACCESS, &old);
        touched_ = false;
    }
    // The page's bytes laid out while it is open, then locked.
    template <typename Fill>
    void Prepare(Fill fill) {
        DWORD old = 0;
        ::VirtualProtect(page_, kSize, PAGE_READWRITE, &old);
        fill(page_);
        Relock();
    }

private:
    static constexpr SIZE_T kSize = 4096;
    static LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* r = info->ExceptionRecord;
        if (!watched_ || r->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || r->NumberParameters < 2)
            return EXCEPTION_CONTINUE_SEARCH;
        auto* at = reinterpret_cast<BYTE*>(r->ExceptionInformation[1]);
        if (at < watched_->page_ || at >= watched_->page_ + kSize) return EXCEPTION_CONTINUE_SEARCH;
        watched_->touched_ = true;
        DWORD old = 0;
        ::VirtualProtect(watched_->page_, kSize, PAGE_READWRITE, &old);
        return EXCEPTION_CONTINUE_EXECUTION;
    }

    BYTE* page_ = nullptr;
    PVOID handler_ = nullptr;
    volatile bool touched_ = false;
    static WatchedPage* watched_;
};
WatchedPage* WatchedPage::watched_ = nullptr;

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, path);
    return path;
}

std::wstring CurrentFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, path);
    return std::wstring(path) + L"\\";
}

// Waits (pumping the window's messages) until done() holds, at most 10 s.
template <typename Done>
bool PumpUntil(Done done) {
    for (int i = 0; i < 500 && !done(); ++i) Pump(20);
    return done();
}

class Microphone : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        // The simulated microphone is in place before the window looks for it.
        world = std::make_unique<epfake::EndpointWorld>();
        world->AddCaptureDevice(kCapturePath, L"Speaker X");
        endpoint = &world->AddCaptureEndpoint(kEndpointName);
        endpoint->volume.stepCount = 11;
        endpoint->volume.step = 7;
        endpoint->topology.connector.connectedDeviceId = kTopologyId;
        topology = &world->AddDevice(kTopologyId);
        agc = &topology->topology.AddSubunit().control;
        ASSERT_TRUE(world->AddEndpointKey(kEndpointKey, L"{1}.USB\\VID_2F7B&PID_731F&MI_00\\7&2F5E3C1A&0&0000"));
    }
    void TearDown() override {
        MainWindow::TearDown();
        SetRecordTest(0);
        world.reset();
    }

    // A mixer whose wave-in line carries the device's capture name: volume
    // and mute on the line, the boost's multiplexer on its microphone.
    epfake::Mixer& AddMixer() {
        epfake::Mixer mixer;
        mixer.targetName = L"Speaker X";
        mixer.destination.controls = {{MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 0},
                                      {MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 0}};
        mixer.sources = {{MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, {{MIXERCONTROL_CONTROLTYPE_MUX, 0, 1, 0}}}};
        world->mixers.push_back(mixer);
        return world->mixers.back();
    }
    DWORD MixerValue(DWORD type) {
        epfake::Mixer& mixer = world->mixers.at(0);
        epfake::MixerControl* control = mixer.destination.Find(type);
        if (!control) control = mixer.sources.at(0).Find(type);
        return control ? control->value : 0xDEAD;
    }

    // The gain slider's top for a percent (the kit's track is 200 pixels).
    int SliderTopFor(int percent) const {
        return form->m_iMicSliderTop + form->m_iMicSliderHeight - percent * form->m_iMicSliderHeight / 100;
    }
    // A click on the gain bar that puts the slider at percent.
    void ClickGainBar(int percent) {
        ASSERT_EQ(percent * form->m_iMicSliderHeight % 100, 0) << "the track gives whole percents";
        ui::TImage* bar = form->Image(L"MicBarImage");
        ui::TImage* slider = form->Image(L"MicSliderImage");
        ClickAt(bar, POINT{bar->Width() / 2, SliderTopFor(percent) + slider->Height() / 2 - bar->Top()});
    }
    void ShowMicPage() { Click(form->Label(L"PageMicLabel")); }
    // Lets go of an endpoint a failed operation kept (rows start clean).
    void ForgetEndpoint() {
        if (form->m_pAudioEndpoint) ReleaseCaptureEndpoint(form->m_pAudioEndpoint);
    }
    std::vector<std::string> RegisterCalls() const {
        std::vector<std::string> out;
        for (const auto& c : lib->Calls())
            if (c.name.find("Register_ById") != std::string::npos) out.push_back(c.name + " " + c.args);
        return out;
    }

    std::unique_ptr<epfake::EndpointWorld> world;
    epfake::Device* endpoint = nullptr;
    epfake::Device* topology = nullptr;
    epfake::AutoGainControl* agc = nullptr;
};

// ---------------------------------------------------------------- construction

TEST_F(Microphone, ConstructionReadsTheMicrophoneAndLetsTheEndpointGo) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int initialized, volume, boost, mute;
    };
    const Case cases[] = {
        {"volume, boost and mute read", [] {}, 1, 70, 1, 1},
        {"no capture device: the microphone is unavailable",
         [this] { world->captureDevices.clear(); }, 0, 0, 0, 0},
        {"the volume cannot be read: the endpoint serves the next read",
         [this] { endpoint->volume.stepInfoResult = E_FAIL; }, 1, 0, 1, 1},
        {"nothing can be read: the endpoint still goes at the end",
         [this] {
             endpoint->volume.stepInfoResult = E_FAIL;
             endpoint->topologyResult = E_NOINTERFACE;
         },
         1, 0, 0, 0},
    };
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!first) SetUp();  // each row a window and a microphone of its own
        first = false;
        agc->enabled = TRUE;
        endpoint->volume.muted = TRUE;
        c.arrange();
        Build(Device::Present);
        EXPECT_EQ(form->m_bMicInitialized, c.initialized);
        EXPECT_EQ(form->m_iMicVolume, c.volume);
        EXPECT_EQ(form->m_bMicBoost, c.boost);
        EXPECT_EQ(form->m_bMicMute, c.mute);
        EXPECT_EQ(Shown(L"MicBoostImage"), c.boost ? L"MicBoostImageDown.png" : L"MicBoostImageUp.png");
        EXPECT_EQ(Shown(L"MicMuteImage"), c.mute ? L"MicMuteImageDown.png" : L"MicMuteImageUp.png");
        if (c.volume) {
            EXPECT_EQ(form->Label(L"MicValueLabel")->Caption(), std::to_wstring(c.volume));
            EXPECT_EQ(form->Image(L"MicSliderImage")->Top(), SliderTopFor(c.volume));
        }
        EXPECT_EQ(form->m_pAudioEndpoint, nullptr);
        EXPECT_EQ(world->HeldReferences(), Held{}) << "nothing held once the window is built";
        EXPECT_EQ(form->m_hWaveIn, nullptr) << "the first reading's meter is closed again";
        TearDown();
    }
    SetUp();  // for the fixture's own tear-down
}

TEST_F(Microphone, WindowKeepsComOnItsThreadForItsLife) {
    Build(Device::Present);
    HRESULT during = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(during)) ::CoUninitialize();
    EXPECT_EQ(during, S_FALSE) << "initialised while the window lives";
    Close();
    HRESULT after = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(after)) ::CoUninitialize();
    EXPECT_EQ(after, S_OK) << "given back with the window";
}

// ---------------------------------------------------------------- volume

TEST_F(Microphone, GainBarSetsTheEndpointVolumeAndTheSliderSettlesWhereTheDeviceReadsIt) {
    Build(Device::Present);
    ShowMicPage();
    struct Case {
        const char* name;
        int percent;       // where the click puts the slider
        HRESULT refused;   // SetMasterVolumeLevelScalar's answer
        float level;       // the scalar the endpoint holds afterwards
        int settled;       // the percent read back (11 steps)
        int lookups;       // endpoint lookups for the set and the read
    };
    const Case cases[] = {
        {"37 %: step 4 of 11 reads 40", 37, S_OK, 0.37f, 40, 2},
        {"top", 100, S_OK, 1.0f, 100, 2},
        {"bottom", 0, S_OK, 0.0f, 0, 2},
        {"refused: the endpoint is kept for the read", 55, E_INVALIDARG, 0.0f, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        endpoint->volume.levelResult = c.refused;
        const int before = world->enumeratorsCreated;
        ClickGainBar(c.percent);
        EXPECT_FLOAT_EQ(endpoint->volume.level, c.level);
        EXPECT_EQ(form->m_iMicVolume, c.settled);
        EXPECT_EQ(form->Label(L"MicValueLabel")->Caption(), std::to_wstring(c.settled));
        EXPECT_EQ(form->Image(L"MicSliderImage")->Top(), SliderTopFor(c.settled));
        EXPECT_EQ(world->enumeratorsCreated - before, c.lookups);
        EXPECT_EQ(world->HeldReferences(), Held{});
    }
}

TEST_F(Microphone, GainBarOnTheMixerWritesTheMixerVolume) {
    AddMixer();
    Build(Device::Present);
    form->m_iOSVersionClass = kMixerClass;
    ShowMicPage();
    struct Case {
        const char* name;
        int percent;
        DWORD written;
        int settled;  // value / (max - min) * 100, truncated
    };
    const Case cases[] = {
        {"37 %", 37, 24247, 36},
        {"50 %", 50, 32767, 49},
        {"top", 100, 65535, 100},
        {"bottom", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClickGainBar(c.percent);
        EXPECT_EQ(MixerValue(MIXERCONTROL_CONTROLTYPE_VOLUME), c.written);
        EXPECT_EQ(form->m_iMicVolume, c.settled);
        EXPECT_EQ(form->Image(L"MicSliderImage")->Top(), SliderTopFor(c.settled));
    }
    EXPECT_FLOAT_EQ(endpoint->volume.level, -1.0f) << "Core Audio is not used on the mixer road";

    // Equal bounds: the volume cannot be read back; the slider stays where
    // the click put it and the value shown stays.
    epfake::MixerControl* volume = world->mixers[0].destination.Find(MIXERCONTROL_CONTROLTYPE_VOLUME);
    volume->minimum = volume->maximum = 0;
    ClickGainBar(80);
    EXPECT_EQ(form->Image(L"MicSliderImage")->Top(), SliderTopFor(80));
    EXPECT_EQ(form->m_iMicVolume, 0);
    EXPECT_EQ(form->Label(L"MicValueLabel")->Caption(), L"0");
    EXPECT_EQ(world->mixersOpen, 0);
}

// ---------------------------------------------------------------- mute and boost

TEST_F(Microphone, MuteAndBoostButtonsReachTheEndpointAndKeepItOnlyAfterAFailure) {
    Build(Device::Present);
    ShowMicPage();
    struct Case {
        const char* name;
        const wchar_t* button;
        std::function<void()> arrange;
        BOOL muted, boosted;  // what the endpoint holds afterwards
        int muteCalls;
        Held held;
        int initialized;
    };
    const Case cases[] = {
        {"mute", L"MicMuteImage", [] {}, TRUE, FALSE, 1, {}, 1},
        {"mute fails twice, then succeeds", L"MicMuteImage",
         [this] { endpoint->volume.muteResults = {E_FAIL, E_FAIL}; }, TRUE, FALSE, 3, {}, 1},
        {"mute fails three times", L"MicMuteImage",
         [this] { endpoint->volume.muteResults = {E_FAIL, E_FAIL, E_FAIL}; }, FALSE, FALSE, 3,
         kEndpointKept, 1},
        {"boost", L"MicBoostImage", [] {}, FALSE, TRUE, 0, {}, 1},
        {"boost: no gain control on the device", L"MicBoostImage",
         [this] { topology->topologyResult = E_NOINTERFACE; }, FALSE, FALSE, 0, kEndpointKept, 1},
        {"mute without a capture device", L"MicMuteImage",
         [this] { world->captureDevices.clear(); }, FALSE, FALSE, 0, {}, 0},
        {"boost without a capture device", L"MicBoostImage",
         [this] { world->captureDevices.clear(); }, FALSE, FALSE, 0, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForgetEndpoint();
        world->captureDevices = {{kCapturePath, L"Speaker X"}};
        endpoint->volume.muted = FALSE;
        endpoint->volume.muteCalls = 0;
        endpoint->volume.muteResults.clear();
        topology->topologyResult = S_OK;
        agc->enabled = FALSE;
        form->m_bMicMute = form->m_bMicBoost = 0;
        c.arrange();
        Click(form->Image(c.button));
        EXPECT_EQ(endpoint->volume.muted, c.muted);
        EXPECT_EQ(agc->enabled, c.boosted);
        EXPECT_EQ(endpoint->volume.muteCalls, c.muteCalls);
        EXPECT_EQ(world->HeldReferences(), c.held);
        EXPECT_EQ(form->m_bMicInitialized, c.initialized);
    }
    // An endpoint kept after a failure serves the next operation without
    // a new lookup.
    world->captureDevices = {{kCapturePath, L"Speaker X"}};
    endpoint->volume.muteResults = {E_FAIL, E_FAIL, E_FAIL};
    Click(form->Image(L"MicMuteImage"));
    ASSERT_EQ(world->HeldReferences(), kEndpointKept);
    const int before = world->enumeratorsCreated;
    Click(form->Image(L"MicMuteImage"));
    EXPECT_EQ(world->enumeratorsCreated, before);
    EXPECT_EQ(world->HeldReferences(), Held{});
}

TEST_F(Microphone, MuteAndBoostButtonsOnTheMixerSetItsControls) {
    AddMixer();
    Build(Device::Present);
    form->m_iOSVersionClass = kMixerClass;
    ShowMicPage();
    const int muteCalls = endpoint->volume.muteCalls, agcSets = agc->sets;
    Click(form->Image(L"MicMuteImage"));
    Click(form->Image(L"MicBoostImage"));
    EXPECT_EQ(MixerValue(MIXERCONTROL_CONTROLTYPE_MUTE), 1u);
    EXPECT_EQ(MixerValue(MIXERCONTROL_CONTROLTYPE_MUX), 1u) << "the boost is the microphone's multiplexer";
    Click(form->Image(L"MicMuteImage"));
    Click(form->Image(L"MicBoostImage"));
    EXPECT_EQ(MixerValue(MIXERCONTROL_CONTROLTYPE_MUTE), 0u);
    EXPECT_EQ(MixerValue(MIXERCONTROL_CONTROLTYPE_MUX), 0u);
    EXPECT_EQ(endpoint->volume.muteCalls, muteCalls) << "Core Audio is not used on the mixer road";
    EXPECT_EQ(agc->sets, agcSets);

    // Read back by the skin menu's state refresh.
    world->mixers[0].destination.Find(MIXERCONTROL_CONTROLTYPE_MUTE)->value = 1;
    world->mixers[0].sources[0].Find(MIXERCONTROL_CONTROLTYPE_MUX)->value = 1;
    form->ReadMicState();
    EXPECT_EQ(form->m_bMicMute, 1);
    EXPECT_EQ(form->m_bMicBoost, 1);
    EXPECT_EQ(Shown(L"MicMuteImage"), L"MicMuteImageDown.png");
    EXPECT_EQ(Shown(L"MicBoostImage"), L"MicBoostImageDown.png");
    EXPECT_EQ(world->mixersOpen, 0);
}

// ---------------------------------------------------------------- monitor

TEST_F(Microphone, MonitorButtonSwitchesTheChipAndTheListenSettingOnAndBothOff) {
    Build(Device::Present);
    ShowMicPage();
    const std::vector<std::string> on = {"DLLKQ_Read_Register_ById 0200 0", "DLLKQ_Write_Register_ById 0200 04 0",
                                         "DLLKQ_Write_Register_ById 0230 20 0"};
    const std::vector<std::string> off = {"DLLKQ_Read_Register_ById 0200 0", "DLLKQ_Write_Register_ById 0200 04 0",
                                          "DLLKQ_Write_Register_ById 0230 00 0"};
    struct Case {
        const char* name;
        int mode;
        std::vector<std::string> onCalls, offCalls;
        std::vector<BYTE> listenOn, listenOff;
    };
    const Case cases[] = {
        {"mode 1 (the default)", 1, on, off, kListenOn, kListenOff},
        {"mode 3", 3, on, off, kListenOn, kListenOff},
        {"another mode", 0, on, off, kListenOn, kListenOff},
        {"mode 2: the record test only", 2, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iMicMonitorMode = c.mode;
        ASSERT_TRUE(world->AddEndpointKey(kEndpointKey, L"{1}.USB\\VID_2F7B&PID_731F&MI_00\\7&2F5E3C1A&0&0000"));
        HKEY props = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (world->captureEndpointsKey + L"\\" + kEndpointKey + L"\\Properties").c_str(),
                                  0, KEY_SET_VALUE | KEY_WOW64_64KEY, &props),
                  ERROR_SUCCESS);
        ::RegDeleteValueW(props, kListen1);
        ::RegCloseKey(props);
        lib->ClearLog();
        Click(form->Image(L"MicMonitorImage"));
        EXPECT_EQ(form->m_bMicMonitor, 1);
        EXPECT_EQ(RegisterCalls(), c.onCalls);
        EXPECT_EQ(world->EndpointValue(kEndpointKey, kListen1), c.listenOn);
        EXPECT_EQ(RecordTestRunning(), c.mode == 2);
        EXPECT_EQ(lib->Snapshot().registers[0x230], c.mode == 2 ? 0 : 0x20);

        lib->ClearLog();
        Click(form->Image(L"MicMonitorImage"));
        EXPECT_EQ(form->m_bMicMonitor, 0);
        EXPECT_EQ(RegisterCalls(), c.offCalls);
        EXPECT_EQ(world->EndpointValue(kEndpointKey, kListen1), c.listenOff);
        EXPECT_EQ(lib->Snapshot().registers[0x230], 0) << "the chip monitors no longer";
        EXPECT_FALSE(RecordTestRunning());
    }
}

TEST_F(Microphone, MonitorRegisterCallsAreMadeOnceMoreWhenTheyFail) {
    Build(Device::Present);
    ShowMicPage();
    form->m_iMicMonitorMode = 1;
    struct Case {
        const char* failing;
        int times;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"DLLKQ_Read_Register_ById", 1,
         {"DLLKQ_Read_Register_ById 0200 0", "DLLKQ_Read_Register_ById 0200 0", "DLLKQ_Write_Register_ById 0200 04 0",
          "DLLKQ_Write_Register_ById 0230 20 0"}},
        {"DLLKQ_Write_Register_ById", 2,
         {"DLLKQ_Read_Register_ById 0200 0", "DLLKQ_Write_Register_ById 0200 04 0",
          "DLLKQ_Write_Register_ById 0200 04 0", "DLLKQ_Write_Register_ById 0230 20 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        form->m_bMicMonitor = 0;
        lib->ClearLog();
        lib->FailNext(c.failing, c.times);
        Click(form->Image(L"MicMonitorImage"));
        EXPECT_EQ(RegisterCalls(), c.calls);
    }
}

TEST_F(Microphone, RecordTestRunsOnlyBetweenOnAndOffAndKeepsItsFileInTheTemporaryFolder) {
    Build(Device::Present);
    ShowMicPage();
    form->m_iMicMonitorMode = 2;
    const std::wstring inTemp = TempFolder() + L"RecordTest.pcm";
    const std::wstring inCurrent = CurrentFolder() + L"RecordTest.pcm";
    ::DeleteFileW(inTemp.c_str());
    ::DeleteFileW(inCurrent.c_str());

    // Off with no test running, as every device arrival in this mode does.
    EXPECT_EQ(form->SetMicMonitor(0), 0);
    EXPECT_FALSE(RecordTestRunning());
    EXPECT_FALSE(vt::FileExists(inTemp));

    Click(form->Image(L"MicMonitorImage"));
    ASSERT_TRUE(RecordTestRunning());
    EXPECT_TRUE(vt::FileExists(inTemp));
    EXPECT_FALSE(vt::FileExists(inCurrent));
    EXPECT_TRUE(PumpUntil([] { return RecordTestPlaybacks() >= 2; })) << "played back every second";
    EXPECT_EQ(form->SetMicMonitor(1), 0) << "on while it runs";
    EXPECT_GE(RecordTestPlaybacks(), 2) << "the same test goes on";

    Click(form->Image(L"MicMonitorImage"));
    EXPECT_FALSE(RecordTestRunning());
    EXPECT_FALSE(vt::FileExists(inTemp)) << "deleted at the end";
    EXPECT_EQ(RegisterCalls(), std::vector<std::string>{});
}

TEST_F(Microphone, ListenToDeviceBoxWritesTheSettingAndRestartsTheAudioService) {
    const std::wstring kService = L"VelloMicrophoneTestAudio";
    vt::StandInService service(kService);
    ASSERT_TRUE(service.registered());
    world->UseAudioService(kService);
    Build(Device::Present);
    for (bool ticked : {true, false}) {
        SCOPED_TRACE(ticked ? "ticked" : "cleared");
        service.ClearLog();
        form->ListenToDeviceCheckBox->SetChecked(ticked);
        EXPECT_EQ(world->EndpointValue(kEndpointKey, kListen1), ticked ? kListenOn : kListenOff);
        std::vector<std::wstring> log = service.Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), L"start");
        EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_RUNNING));
    }
    EXPECT_EQ(lib->Calls("DLLKQ_Write_Register_ById").size(), 0u) << "the box touches no chip register";
}

// ---------------------------------------------------------------- level meter

TEST_F(Microphone, LevelMeterRecordsWhileThePageIsShown) {
    Build(Device::Present);
    EXPECT_EQ(form->m_hWaveIn, nullptr);
    ShowMicPage();
    const HWAVEIN recording = form->m_hWaveIn;
    ASSERT_NE(recording, nullptr);
    form->m_iMicLevel = -1;
    EXPECT_TRUE(PumpUntil([this] { return form->m_iMicLevel == 0; })) << "Wine's device records silence";
    EXPECT_EQ(form->Image(L"MicProgressImage")->Width(), 0);

    ShowMicPage();
    EXPECT_EQ(form->m_hWaveIn, recording) << "the tab pressed again keeps the recording";

    Click(form->Label(L"PageEQLabel"));
    EXPECT_EQ(form->m_hWaveIn, nullptr);
    EXPECT_EQ(form->m_pMicMeter, nullptr);
    Pump(200);  // the buffers the closed recording gives back arrive and are left alone
    ShowMicPage();
    EXPECT_NE(form->m_hWaveIn, nullptr);
}

TEST_F(Microphone, LevelBarFollowsTheMeanDeviationOfTheSamples) {
    Build(Device::Present);
    ShowMicPage();
    ASSERT_NE(form->m_hWaveIn, nullptr);
    struct Case {
        const char* name;
        std::function<BYTE(int)> sample;
        int length;  // the bar's full width
        int level, width;
    };
    const Case cases[] = {
        {"silence", [](int) { return BYTE(128); }, 203, 0, 0},
        {"mean deviation 64", [](int i) { return BYTE(i % 2 ? 64 : 192); }, 203, 203, 202},
        {"mean deviation 8", [](int) { return BYTE(136); }, 203, 25, 106},
        {"mean deviation 1", [](int) { return BYTE(127); }, 203, 3, 18},
        {"full swing on the kit's bar", [](int i) { return BYTE(i % 2 ? 0 : 255); }, 300, 595, 298},
        {"a bar too short for the first step", [](int) { return BYTE(192); }, 9, 9, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iMicProgressLength = c.length;
        form->Image(L"MicProgressImage")->SetWidth(77);
        // The recording stopped and its buffers handed back, then filled
        // before the window sees them.
        ::waveInStop(form->m_hWaveIn);
        ::waveInReset(form->m_hWaveIn);
        for (int b = 0; b < 2; ++b)
            for (int i = 0; i < 400; ++i) form->m_pMicMeter->samples[b][i] = c.sample(i);
        Pump(100);
        EXPECT_EQ(form->m_iMicLevel, c.level);
        EXPECT_EQ(form->Image(L"MicProgressImage")->Width(), c.width < 0 ? 77 : c.width);
        for (const WAVEHDR& h : form->m_pMicMeter->header) EXPECT_TRUE(h.dwFlags & WHDR_INQUEUE) << "queued again";
    }
}

TEST_F(Microphone, BuffersThatAreNotTheOpenRecordingsAreNeverRead) {
    Build(Device::Present);
    WatchedPage stale;
    // A header and its samples in memory that is no longer the window's.
    auto* header = reinterpret_cast<WAVEHDR*>(stale.data());
    stale.Prepare([](BYTE* page) {
        auto* h = reinterpret_cast<WAVEHDR*>(page);
        *h = WAVEHDR{};
        h->lpData = reinterpret_cast<LPSTR>(page + 512);
        h->dwBufferLength = 400;
        h->dwBytesRecorded = 400;
        h->dwFlags = WHDR_DONE | WHDR_PREPARED;
        std::memset(page + 512, 255, 400);
    });
    struct Case {
        const char* name;
        bool open;
        std::function<WPARAM()> handle;
    };
    const Case cases[] = {
        {"meter closed: a buffer the closed recording gave back", false,
         [] { return WPARAM(0x5A5A); }},
        {"meter open: a buffer of another recording", true, [] { return WPARAM(0x5A5A); }},
        {"meter open: its own handle with a header that is not one of its two", true,
         [this] { return reinterpret_cast<WPARAM>(form->m_hWaveIn); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.open) ShowMicPage();
        else Click(form->Label(L"PageEQLabel"));
        ASSERT_EQ(form->m_hWaveIn != nullptr, c.open);
        ::waveInStop(form->m_hWaveIn);  // no real buffers meanwhile
        Pump(50);
        form->m_iMicLevel = -1;
        form->Image(L"MicProgressImage")->SetWidth(77);
        stale.Relock();
        ::SendMessageW(form->Handle(), MM_WIM_DATA, c.handle(), reinterpret_cast<LPARAM>(header));
        EXPECT_FALSE(stale.touched()) << "the stale header or its samples were read";
        EXPECT_EQ(form->m_iMicLevel, -1);
        EXPECT_EQ(form->Image(L"MicProgressImage")->Width(), 77);
    }
}

}  // namespace
