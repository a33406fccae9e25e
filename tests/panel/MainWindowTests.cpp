// The real main window built in this process on the sample kit, against the
// stand-in device library (beside this program) and the simulated HID and
// filter devices, driven with real mouse input.
#include "MainWindowFixture.h"

namespace {

// The device library's EQ switch and audio commands, counted, and counted
// again when the device I/O lock was held while they ran: whoever holds it
// across a library call can deadlock against the library's own thread. The
// EQ calls are also written to events, with their arguments.
struct LibraryWatch {
    static int calls, callsUnderLock;
    static std::vector<std::string> events;
    static PFN_DLLKQ_ConfigEQ_ById configEQ;
    static PFN_DLLKQ_SetEQ_OnOff_ById setEQ;
    static PFN_DLLKQ_IsEQ_Enable_ById isEQ;
    static PFN_DLLKQ_AudioCommand audioCommand;

    // Another thread takes the lock at once unless someone holds it.
    static bool LockHeld() {
        auto taken = std::make_shared<std::promise<void>>();
        std::future<void> done = taken->get_future();
        std::thread([taken] {
            DeviceIoGuard guard;
            taken->set_value();
        }).detach();
        return done.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    }
    static void Seen() {
        ++calls;
        if (LockHeld()) ++callsUnderLock;
    }
    static void Record(const std::string& event) {
        static std::mutex guard;
        std::lock_guard<std::mutex> hold(guard);
        events.push_back(event);
    }
    static int WINAPI ConfigEQ(BYTE index) {
        Seen();
        Record("ConfigEQ " + std::to_string(index));
        return configEQ(index);
    }
    static int WINAPI SetEQ(int on, BYTE index) {
        Seen();
        Record("SetEQ_OnOff " + std::to_string(on) + " " + std::to_string(index));
        return setEQ(on, index);
    }
    static int WINAPI IsEQ(int* enabled, BYTE index) {
        Seen();
        Record("IsEQ_Enable " + std::to_string(index));
        return isEQ(enabled, index);
    }
    static int WINAPI AudioCommand(AUDIO_COMMAND_BLOCK* block, int* length) {
        Seen();
        return audioCommand(block, length);
    }
    // Puts the counting entries in place of the bound ones (the next window
    // binds the library afresh).
    static void Install() {
        calls = callsUnderLock = 0;
        events.clear();
        configEQ = fnDLLKQ_ConfigEQ_ById;
        setEQ = fnDLLKQ_SetEQ_OnOff_ById;
        isEQ = fnDLLKQ_IsEQ_Enable_ById;
        audioCommand = fnDLLKQ_AudioCommand;
        fnDLLKQ_ConfigEQ_ById = ConfigEQ;
        fnDLLKQ_SetEQ_OnOff_ById = SetEQ;
        fnDLLKQ_IsEQ_Enable_ById = IsEQ;
        fnDLLKQ_AudioCommand = AudioCommand;
    }
};
int LibraryWatch::calls = 0;
int LibraryWatch::callsUnderLock = 0;
std::vector<std::string> LibraryWatch::events;
PFN_DLLKQ_ConfigEQ_ById LibraryWatch::configEQ = nullptr;
PFN_DLLKQ_SetEQ_OnOff_ById LibraryWatch::setEQ = nullptr;
PFN_DLLKQ_IsEQ_Enable_ById LibraryWatch::isEQ = nullptr;
PFN_DLLKQ_AudioCommand LibraryWatch::audioCommand = nullptr;

TEST_F(MainWindow, ConstructionShowsTheDeviceState) {
    // In this order: each case adds to the devices of the one before.
    struct Case {
        const char* name;
        Device device;
        const wchar_t* caption;  // of the kit's English Language.ini
        int active;
        bool retryTimer;
        bool handleKept;
    };
    const Case cases[] = {
        {"no device", Device::None, L"No device", 0, true, false},
        {"HID interface without filter driver", Device::HidOnly, L"Driver missing", 0, true, true},
        {"device and filter driver", Device::Present, L"Device connected", 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(c.device);
        EXPECT_EQ(form->Label(L"DeviceActiveLabel")->Caption(), c.caption);
        EXPECT_TRUE(form->Label(L"DeviceActiveLabel")->Visible());
        EXPECT_EQ(form->m_bDeviceActive, c.active);
        EXPECT_EQ(form->m_bSync, c.active);
        EXPECT_EQ(form->Timer1->Enabled(), c.retryTimer);
        EXPECT_EQ(form->m_hDevice != nullptr, c.handleKept);
        EXPECT_EQ(form->m_wVID, c.device == Device::None ? 0 : kVid);
        EXPECT_EQ(form->m_wPID, c.device == Device::None ? 0 : kPid);
        EXPECT_EQ(form->m_iCurrentPage, 1);
        EXPECT_TRUE(form->Image(L"EQ60HzSliderImage")->Visible());
        EXPECT_FALSE(form->Image(L"Back_MicImage")->Visible());
        Close();
    }
}

TEST_F(MainWindow, LaterFeaturesAreSetUpInTheirOrder) {
    std::vector<std::wstring> steps;
    TAudioMainForm::OnStep = [&](const wchar_t* step) { steps.push_back(step); };
    Build(Device::Present);
    const std::vector<std::wstring> expected = {
        L"ReadDefaultLanguageSkin", L"LoadTrayIcon", L"BuildLanguageMenu", L"BuildSkinMenu", L"ShowPluginMenu",
        L"LoadLanguageIni", L"ApplyLanguageCaptions", L"LoadSkinRegion", L"LoadSkinSettingIni", L"ApplySkin",
        L"ApplyLanguageCaptions", L"LoadDefaultProfile", L"ReadDefaultEnables", L"Init3D", L"InitEffect",
        L"ComputeSpeakerTable", L"SendVirtual7ch1", L"ResetMicUI", L"FindCaptureEndpoint",
        L"SetDefaultSpeakerLayout", L"InitSpeakerLayout", L"ShowBeeImage", L"LoadLastProfile", L"LoadENCState", L"LoadTimbrexState",
        L"SetENCGpioMode", L"ScanENCGPIO", L"InitMultiColorLED", L"CreateGPIOThread"};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(form->LanguageMenu->Count(), 2);
    EXPECT_EQ(form->SkinMenu->Count(), 2);
}

TEST_F(MainWindow, BandSliderDragWritesTheGainOfItsPosition) {
    Build(Device::Present);
    struct Case {
        const char* name;
        int offset;  // below the track top (height 120)
        const char* label;
        std::vector<std::string> writes;
    };
    const Case cases[] = {
        {"track top", -30, "9ff", {"sel 0120", "wr ff", "sel 0121", "wr 09", "zero"}},
        {"centre", 60, "400", {"sel 0120", "wr 00", "sel 0121", "wr 04", "zero"}},
        {"bottom", 200, "200", {"sel 0120", "wr 00", "sel 0121", "wr 02", "zero"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.ClearLog();
        lib->ClearLog();
        DragBandTo(L"EQ60HzSliderImage", c.offset);
        EXPECT_EQ(Tail(Reports(sim), 5), c.writes);
        EXPECT_FALSE(LibraryCalls("DLLKQ_SetEQ_OnOff_ById").empty()) << "the EQ switch goes with each move";
        EXPECT_EQ(vt::Narrow(form->Label(L"EQ60HzValueLabel")->Caption()), c.label);
        EXPECT_TRUE(boxes.empty());
    }
}

TEST_F(MainWindow, OneFlatBandSwitchesTheEQOffOnlyWhenAllAreFlat) {
    Build(Device::Present);
    // Every preset flat again (the default profile shaped them at start).
    form->InitEQConfig();
    form->RefreshEQPage(0);
    form->m_bEQEnable = 1;
    struct Case {
        const char* name;
        int otherBandOffset;  // of the 300 Hz band, first
        const char* lastSwitch;
    };
    const Case cases[] = {{"other bands flat", 60, "0 0"}, {"300 Hz raised", 0, "1 0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DragBandTo(L"EQ300HzSliderImage", c.otherBandOffset);
        lib->ClearLog();
        DragBandTo(L"EQ60HzSliderImage", 60);
        EXPECT_EQ(form->m_EQParameters.wGain[0], 1024);
        std::vector<std::string> calls = LibraryCalls("DLLKQ_SetEQ_OnOff_ById");
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), c.lastSwitch);
        EXPECT_EQ(form->m_bEQEnable, 1) << "the button keeps its state";
    }
}

TEST_F(MainWindow, EachDragMoveSendsItsBandOnAnInterfaceOpenedForIt) {
    Build(Device::Present);
    form->m_bEQEnable = 1;
    // The traffic in the order it leaves the process: the library's EQ calls
    // and the output reports, each report marked when no HID handle besides
    // the window's own was open while it went.
    LibraryWatch::Install();
    const int kept = sim.OpenHandles();
    sim.SetObserver({[this, kept](const hidsim::SentReport& r) {
                         LibraryWatch::Record(Decode(r.bytes) +
                                              (sim.OpenHandles() > kept ? "" : " (no handle of its own)"));
                     },
                     {}});
    // What one move sends for band b at one gain: the EQ switch, the band's
    // two registers (12 kHz reads 0x129 first to keep its flag nibble) and
    // the all-zero report.
    auto move = [](int band, int gain, int flags) {
        char low[16], high[16], value[16], bits[16];
        std::snprintf(low, sizeof(low), "sel %04x", 0x120 + 2 * band);
        std::snprintf(value, sizeof(value), "wr %02x", gain & 0xFF);
        std::snprintf(high, sizeof(high), "sel %04x", 0x121 + 2 * band);
        std::snprintf(bits, sizeof(bits), "wr %02x", flags | (gain >> 8));
        std::vector<std::string> m = {"ConfigEQ 0", "SetEQ_OnOff 1 0", "IsEQ_Enable 0", low, value};
        if (band == 4) m.push_back(high);
        m.insert(m.end(), {high, bits, "zero"});
        return m;
    };
    // Offsets 48 (the start), 36, 24 and 12 of the track of 120.
    const int gains[] = {0x534, 0x666, 0x79B, 0x8CD};
    struct Case {
        const char* name;
        const wchar_t* slider;
        int band;
        BYTE flags;  // high nibble of 0x129 on the device
    };
    const Case cases[] = {
        {"60 Hz", L"EQ60HzSliderImage", 0, 0x00},
        {"12 kHz, its flags kept", L"EQ12000HzSliderImage", 4, 0xA0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DragBandTo(c.slider, 48);
        sim.SetRegister(hid, 0x129, c.flags);
        LibraryWatch::events.clear();
        const int opened = sim.CallCount(hidsim::Call::CreateFile);
        // One press (beside the last one, or the system makes it a double
        // click), moves 12, 24 and 36 pixels up, one release.
        ui::TImage* slider = form->Image(c.slider);
        const POINT from = {Centre(slider).x + slider->Width() / 4, Centre(slider).y};
        MoveTo(from);
        SendAt(from, MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        for (int dy : {-12, -24, -36}) MoveTo(POINT{from.x, from.y + dy});
        SendAt(Cursor(), MOUSEEVENTF_LEFTUP);
        Pump(30);

        // The system may deliver a move twice or one from a place the
        // pointer has left: each is a move of its own, sent whole.
        std::vector<std::vector<std::string>> moves;
        for (const std::string& e : LibraryWatch::events) {
            if (e.rfind("ConfigEQ", 0) == 0) moves.emplace_back();
            ASSERT_FALSE(moves.empty()) << "sent before the first move: " << e;
            moves.back().push_back(e);
        }
        ASSERT_FALSE(moves.empty());
        EXPECT_EQ(sim.CallCount(hidsim::Call::CreateFile) - opened, static_cast<int>(moves.size()))
            << "the interface is opened once per move";
        for (const std::vector<std::string>& m : moves) {
            bool known = false;
            for (int gain : gains) known = known || m == move(c.band, gain, c.flags);
            EXPECT_TRUE(known) << ::testing::PrintToString(m);
        }
        EXPECT_EQ(moves.back(), move(c.band, gains[3], c.flags));
        EXPECT_EQ(sim.OpenHandles(), 1) << "only the window's own handle stays open";
    }
}

TEST_F(MainWindow, FlatPresetSendsNoRegisterAndSwitchesTheEQOff) {
    Build(Device::Present);
    // Every preset flat again (the default profile shaped them at start).
    form->InitEQConfig();
    form->RefreshEQPage(0);
    form->m_bEQEnable = 1;
    Click(form->Image(L"EQS2Image"));
    EXPECT_EQ(form->m_iEQPreset, 2);
    EXPECT_TRUE(Reports(sim).empty());
    std::vector<std::string> calls = LibraryCalls("DLLKQ_SetEQ_OnOff_ById");
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "0 0");
    EXPECT_EQ(form->Label(L"SXLabel")->Caption(), L"Movie");
}

TEST_F(MainWindow, DeviceFeaturesWithoutDeviceShowTheWarning) {
    Build(Device::None);
    struct Case {
        const wchar_t* control;
        bool drag;
        bool box;
    };
    const Case cases[] = {
        {L"EQEQENImage", false, true},
        {L"EQEQENLabel", false, true},
        {L"EQS3Image", false, true},
        {L"PageMicLabel", false, true},
        {L"Menu3Image", false, false},  // About: no box, and nothing opens
        {L"EQ60HzSliderImage", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.control));
        boxes.clear();
        ui::TControl* control = form->Image(c.control);
        if (!control) control = form->Label(c.control);
        ASSERT_NE(control, nullptr);
        int top = form->Image(L"EQ60HzSliderImage")->Top();
        if (c.drag) Drag(control, -40);
        else Click(control);
        ASSERT_EQ(boxes.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(boxes[0].text, L"Please connect the audio device first.");
            EXPECT_EQ(boxes[0].caption, L"Vello Audio Center");
        }
        EXPECT_EQ(form->Image(L"EQ60HzSliderImage")->Top(), top);
        EXPECT_EQ(form->m_iEQPreset, 1);
        EXPECT_EQ(form->m_iCurrentPage, 1);
        EXPECT_TRUE(Reports(sim).empty());
    }
}

TEST_F(MainWindow, DragsOnlyFollowTheMainWindowWhileItTakesInput) {
    Build(Device::Present);
    ui::TImage* slider = form->Image(L"EQ60HzSliderImage");
    const int top = slider->Top();
    ::EnableWindow(form->Handle(), FALSE);  // as while a modal box is open
    Drag(slider, -40);
    ::EnableWindow(form->Handle(), TRUE);
    EXPECT_EQ(slider->Top(), top);
    EXPECT_TRUE(Reports(sim).empty());
    EXPECT_FALSE(form->m_bDragging);
    // A move aimed at another window is not a drag either.
    MSG msg{};
    msg.hwnd = form->CTrayIcon->Handle();
    msg.message = WM_LBUTTONDOWN;
    bool handled = false;
    MoveTo(Centre(slider));
    form->ApplicationMessage(msg, handled);
    EXPECT_FALSE(form->m_bDragging);
}

TEST_F(MainWindow, PageTabsShowTheirPage) {
    Build(Device::Present);
    struct Case {
        const wchar_t* tab;
        int page;
        const wchar_t* shown;
        const wchar_t* hidden;
    };
    const Case cases[] = {
        {L"PageMicLabel", 3, L"Back_MicImage", L"Back_EQImage"},
        {L"PageEffectImage", 2, L"Back_EffectImage", L"Back_MicImage"},
        {L"PageVirtual7p1Image", 4, L"VirtualPicImage", L"EQ60HzSliderImage"},
        {L"PageEQLabel", 1, L"EQ60HzSliderImage", L"VirtualPicImage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.tab));
        ui::TControl* tab = form->Image(c.tab);
        if (!tab) tab = form->Label(c.tab);
        Click(tab);
        EXPECT_EQ(form->m_iCurrentPage, c.page);
        EXPECT_TRUE(form->Image(c.shown)->Visible());
        EXPECT_FALSE(form->Image(c.hidden)->Visible());
        EXPECT_TRUE(form->Image(L"EQ60HzBarDownImage")->Visible() == (c.page == 1))
            << "the kit's pedestals belong to page 1";
    }
    EXPECT_TRUE(form->BeeCheckBox->Visible() == false);
}

// The 3D page has no tab and its pictures lie beneath every page: on the
// pages without a background picture of their own nothing of it shows.
TEST_F(MainWindow, PagesWithoutABackgroundShowNothingOfThe3DPage) {
    Build(Device::Present);
    std::vector<ui::TControl*> pictures;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        ui::TComponent* c = form->Components(i);
        const std::wstring name = c->Name();
        if (std::wcscmp(c->ClassName(), L"TImage") == 0 && (name.rfind(L"D3", 0) == 0 || name == L"Back_3DImage"))
            pictures.push_back(static_cast<ui::TControl*>(c));
    }
    ASSERT_FALSE(pictures.empty());
    struct Case {
        const wchar_t* tab;
        int page;
    };
    const Case cases[] = {{L"PageENCLabel", 7}, {L"PageTbxEffectLabel", 8}, {L"PageLEDLabel", 6}};
    for (const Case& c : cases) {
        Click(form->Label(c.tab));
        ASSERT_EQ(form->m_iCurrentPage, c.page) << vt::Narrow(c.tab);
        for (ui::TControl* picture : pictures)
            EXPECT_FALSE(picture->Visible()) << vt::Narrow(c.tab) << ": " << vt::Narrow(picture->Name());
    }
}

TEST_F(MainWindow, ShutDownSavesTheProfileFirstThenSwitchesTheDeviceOff) {
    struct Case {
        const char* name;
        Device device;
    };
    for (const Case& c : {Case{"no device", Device::None}, Case{"device present", Device::Present}}) {
        SCOPED_TRACE(c.name);
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
        Build(c.device);
        size_t reportsAtSave = 99;
        TAudioMainForm::OnStep = [&](const wchar_t* step) {
            if (std::wstring(step) == L"SaveLastProfile") reportsAtSave = sim.OutputReports().size();
        };
        Close();
        TAudioMainForm::OnStep = nullptr;
        EXPECT_EQ(reportsAtSave, 0u) << "the profile comes before any device traffic";
        EXPECT_TRUE(vt::FileExists(UserFolder() + L"LastProfile.ini"));
        std::vector<std::string> reports = Reports(sim);
        std::vector<hidsim::IoctlRecord> ioctls = sim.Ioctls();
        std::vector<devlibsim::LoggedCall> commands = lib->Calls("DLLKQ_AudioCommand");
        if (c.device == Device::None) {
            EXPECT_TRUE(reports.empty());
            EXPECT_TRUE(ioctls.empty());
            EXPECT_TRUE(commands.empty());
            continue;
        }
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back(), "zero");
        std::vector<std::string> clear = {"sel 0100", "wr 00"};
        EXPECT_NE(std::search(reports.begin(), reports.end(), clear.begin(), clear.end()), reports.end());
        ASSERT_GE(ioctls.size(), 2u);
        EXPECT_EQ(ioctls[ioctls.size() - 2].code, 0x08232008u);
        EXPECT_EQ(ioctls[ioctls.size() - 2].input, std::vector<BYTE>({0, 0, 0, 0}));
        EXPECT_EQ(ioctls.back().code, 0x08232000u);
        EXPECT_EQ(ioctls.back().input, std::vector<BYTE>({1, 0, 0, 0}));
        ASSERT_EQ(commands.size(), 2u);
        EXPECT_EQ(commands[0].bytes[0], 4);
        EXPECT_EQ(commands[1].bytes[0], 7);
        for (const auto& cmd : commands) EXPECT_EQ(cmd.bytes[2] | cmd.bytes[3] | cmd.bytes[4] | cmd.bytes[5], 0);
    }
}

TEST_F(MainWindow, WorkerCallsRunOnTheWindowsThread) {
    Build(Device::None);
    DWORD ranOn = 0;
    std::thread worker([&] { form->RunOnMainThread([&] { ranOn = ::GetCurrentThreadId(); }); });
    worker.join();
    EXPECT_EQ(ranOn, 0u) << "nothing runs on the worker";
    Pump(50);
    EXPECT_EQ(ranOn, ::GetCurrentThreadId());
}


// ---------------------------------------------------------------- the equaliser's registers and presets

TEST_F(MainWindow, TwelveKilohertzBandKeepsTheFlagsOfItsHighRegister) {
    Build(Device::Present);
    struct Case {
        const char* name;
        BYTE before;  // register 0x129 as the chip holds it
        BYTE after;   // its flags (bits 4 to 7) with the band's top gain 0x9FF
    };
    const Case cases[] = {
        {"bit 4", 0x10, 0x19}, {"bit 5", 0x20, 0x29}, {"bit 6", 0x40, 0x49},
        {"bit 7", 0x80, 0x89}, {"no flag, old gain bits", 0x03, 0x09}, {"every flag", 0xF5, 0xF9},
    };
    ui::TImage* slider = form->Image(L"EQ12000HzSliderImage");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each drag starts at another place than the last (two presses at
        // one place make a double click, which starts no drag).
        form->MoveEQSlider(slider, form->m_iEQSliderTop + 40 + 20 * (n++ % 2));
        sim.SetRegister(hid, 0x129, c.before);
        sim.ClearLog();
        DragBandTo(L"EQ12000HzSliderImage", -30);
        char written[8];
        std::snprintf(written, sizeof(written), "wr %02x", c.after);
        const std::vector<std::string> expected = {"sel 0128", "wr ff", "sel 0129", "sel 0129", written, "zero"};
        EXPECT_EQ(Tail(Reports(sim), expected.size()), expected);
        EXPECT_EQ(sim.Register(hid, 0x129), c.after);
    }
}

TEST_F(MainWindow, EepromPresetIsReadFromItsBank) {
    Build(Device::Present);
    struct Case {
        const char* name;
        std::vector<std::pair<int, BYTE>> at50, at51;  // EEPROM bytes (the rest 0xFF)
        int result;
        std::vector<WORD> gains;  // preset S1 afterwards; empty: unchanged
        int eqEnable, eeprom3D, flat;
        std::vector<std::string> reads;  // "address register" of each read, in order
    };
    const std::vector<WORD> unchanged;
    const Case cases[] = {
        {"bank 2 with its table", {{0x8D, 0x01}, {0x8E, 0x12}},
         {{0x20, 0xFF}, {0x21, 0x0F}, {0x22, 0x00}, {0x23, 0x00}, {0x24, 0x08}, {0x25, 0x40}, {0x26, 0x00},
          {0x27, 0x14}},
         0, {2559, 512, 1536, 1024, 1024}, 1, 1, 0,
         {"50 8D", "50 8E", "51 27", "51 20", "51 21", "51 22", "51 23", "51 24", "51 25", "51 26", "51 27"}},
        {"other bank byte: bank 0", {{0x8D, 0x01}, {0x8E, 0x20}},
         {{0x00, 0x00}, {0x01, 0x04}, {0x02, 0x40}, {0x03, 0x00}, {0x04, 0x04}, {0x05, 0x40}, {0x06, 0x00},
          {0x07, 0x84}},
         0, {1024, 1024, 1024, 1024, 1024}, 0, 0, 1,
         {"50 8D", "50 8E", "51 07", "51 00", "51 01", "51 02", "51 03", "51 04", "51 05", "51 06", "51 07"}},
        {"no table: flat gains, the switch from the data byte", {{0x8D, 0x00}, {0x8E, 0x11}}, {{0x17, 0x10}}, 0,
         {1024, 1024, 1024, 1024, 1024}, 1, 1, 1, {"50 8D", "50 8E", "51 17"}},
        {"data byte 0xFF stops", {{0x8D, 0x01}, {0x8E, 0x10}}, {}, 2, unchanged, 0, 0, 1, {"50 8D", "50 8E", "51 07"}},
        {"data byte 0 stops", {{0x8D, 0x01}, {0x8E, 0x13}}, {{0x37, 0x00}}, 2, unchanged, 0, 0, 1,
         {"50 8D", "50 8E", "51 37"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib->Edit([&](devlibsim::State& st) {
            std::memset(st.eeprom, 0xFF, sizeof(st.eeprom));
            for (const auto& b : c.at50) st.eeprom[0][b.first] = b.second;
            for (const auto& b : c.at51) st.eeprom[1][b.first] = b.second;
        });
        // S1 as something no case reads, so an unchanged preset shows.
        EQ_PARAMS marked = form->m_EQParameters;
        for (WORD& g : marked.wGain) g = 0x777;
        SetEQParamsToImage(EQPresetOffset(1), marked, form->ConfigImage);
        form->m_bEQEnable = 0;
        form->m_bEEPROM3D = 0;
        lib->ClearLog();
        EXPECT_EQ(form->ReadEEPROMEQPreset(), c.result);
        EQ_PARAMS s1{};
        GetEQParamsFromImage(EQPresetOffset(1), s1, form->ConfigImage);
        const std::vector<WORD> gains(s1.wGain, s1.wGain + 5);
        EXPECT_EQ(gains, c.gains.empty() ? std::vector<WORD>(5, 0x777) : c.gains);
        EXPECT_EQ(form->m_bEQEnable, c.eqEnable);
        EXPECT_EQ(form->m_bEEPROM3D, c.eeprom3D);
        EXPECT_EQ(form->m_bEQFlat, c.flat);
        std::vector<std::string> reads;
        for (const std::string& args : LibraryCalls("DLLKQ_Read_I2C_ById")) reads.push_back(args.substr(0, 5));
        EXPECT_EQ(reads, c.reads);
    }
}

TEST_F(MainWindow, ResetTakesTheChipDefaultsOrTheDefaultProfile) {
    struct Case {
        const char* name;
        int defaultIni;
        std::vector<WORD> s1, s2;  // presets afterwards (S2 is the current one)
        int eqEnable;
    };
    const std::vector<WORD> flat(5, 1024), odd = {0x500, 0x500, 0x500, 0x500, 0x500};
    const Case cases[] = {
        {"chip defaults: only the current preset", 0, odd, flat, 1},
        {"default profile: every preset", 1, {0x560, 0x480, 0x400, 0x470, 0x540}, {0x600, 0x440, 0x3C0, 0x480, 0x4C0},
         0},
    };
    // The profile's last preset carries the EQ switch that stays.
    ::WritePrivateProfileStringW(L"EQ", L"S4", L"0x300,0x400,0x500,0x4C0,0x380,0",
                                 (UserFolder() + L"DefaultProfile.ini").c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(Device::Present);
        form->m_iDefaultIni = c.defaultIni;
        EQ_PARAMS p = form->m_EQParameters;
        for (WORD& g : p.wGain) g = 0x500;
        SetEQParamsToImage(EQPresetOffset(1), p, form->ConfigImage);
        SetEQParamsToImage(EQPresetOffset(2), p, form->ConfigImage);
        form->m_iEQPreset = 2;
        form->m_bEQEnable = 1;
        sim.ClearLog();
        // On the button's picture beside its caption (a label that fits its
        // text when its colour changes).
        ClickAt(form->Image(L"EQResetImage"), POINT{3, 15});
        EQ_PARAMS s1{}, s2{};
        GetEQParamsFromImage(EQPresetOffset(1), s1, form->ConfigImage);
        GetEQParamsFromImage(EQPresetOffset(2), s2, form->ConfigImage);
        EXPECT_EQ(std::vector<WORD>(s1.wGain, s1.wGain + 5), c.s1);
        EXPECT_EQ(std::vector<WORD>(s2.wGain, s2.wGain + 5), c.s2);
        EXPECT_EQ(form->m_bEQEnable, c.eqEnable);
        // The current preset reaches the chip (its first band, which the
        // slider shows without rounding).
        EXPECT_EQ(sim.Register(hid, 0x120), c.s2[0] & 0xFF);
        EXPECT_EQ(sim.Register(hid, 0x121), (c.s2[0] >> 8) & 0x0F);
        Close();
    }
}

TEST_F(MainWindow, PresetNumberFromOutsideIsKeptInItsRange) {
    Build(Device::Present);
    form->m_iEQPreset = 9;  // as a damaged profile could give it
    const CONFIG_IMAGE before = form->ConfigImage;
    DragBandTo(L"EQ60HzSliderImage", 0);
    EXPECT_EQ(form->m_iEQPreset, 1);
    EXPECT_EQ(Tail(Reports(sim), 5), (std::vector<std::string>{"sel 0120", "wr ff", "sel 0121", "wr 09", "zero"}));
    EQ_PARAMS s1{};
    GetEQParamsFromImage(EQPresetOffset(1), s1, form->ConfigImage);
    EXPECT_EQ(s1.wGain[0], 0x9FF);
    for (size_t i = EQPresetOffset(5); i < before.size(); ++i)
        ASSERT_EQ(form->ConfigImage[i], before[i]) << "image byte " << i << " beyond the presets";
}

// ---------------------------------------------------------------- dispatch, drags and the GPIO lock

TEST_F(MainWindow, PicturesWithoutATagAreNoButtons) {
    Build(Device::Present);
    struct Case {
        const wchar_t* tab;  // the page the picture shows on
        const wchar_t* picture;
        POINT at;  // within the picture, from its top-left corner
    };
    const Case cases[] = {
        {L"PageEffectLabel", L"EffectPicImage", {20, 20}}, {L"PageMicLabel", L"MicPicImage", {20, 20}},
        {L"PageMicLabel", L"MicGainImage", {10, 10}},       {L"PageMicLabel", L"MicValueImage", {10, 10}},
        {L"PageVirtual7p1Label", L"VirtualPicImage", {15, 15}}, {L"PageENCLabel", L"ENCFunctionImage", {20, 10}},
        {L"PageENCLabel", L"ENCValueImage", {10, 10}},      {L"PageTbxEffectLabel", L"TbxEffectNoneImage", {20, 20}},
        {L"PageTbxEffectLabel", L"TbxEffect2Image", {20, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.picture));
        Click(form->Label(c.tab));
        ui::TImage* picture = form->Image(c.picture);
        ASSERT_TRUE(picture->Visible());
        POINT p = form->ClientToScreen(POINT{picture->Left() + c.at.x, picture->Top() + c.at.y});
        MoveTo(p);
        SendAt(p, MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        EXPECT_EQ(Shown(L"CloseImage"), L"CloseImageUp.png") << "the close button stays up";
        SendAt(p, MOUSEEVENTF_LEFTUP);
        Pump(30);
        EXPECT_TRUE(boxes.empty());
        EXPECT_TRUE(form->Visible()) << "nothing closed the window";
    }
}

TEST_F(MainWindow, ADragEndsWhenItsReleaseIsSeenElsewhere) {
    Build(Device::Present);
    ui::TImage* slider = form->Image(L"EQ60HzSliderImage");
    ui::TImage* graduation = form->Image(L"EQGraduationImage");
    const HWND elsewhere = form->CTrayIcon->Handle();
    struct Case {
        const char* name;
        void (*lose)(HWND elsewhere);
    };
    const Case cases[] = {
        {"the capture went to another window", [](HWND w) { ::SetCapture(w); }},
        {"the release reached another window", [](HWND w) { ::PostMessageW(w, WM_LBUTTONUP, 0, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PressOn(slider);
        ASSERT_TRUE(form->m_bDragging);
        c.lose(elsewhere);
        Pump(30);
        EXPECT_FALSE(form->m_bDragging);
        ::ReleaseCapture();
        SendAt(Cursor(), MOUSEEVENTF_LEFTUP);
        Pump(30);
        // The next press, on a control no drag takes, moves nothing.
        const int sliderTop = slider->Top(), graduationTop = graduation->Top();
        sim.ClearLog();
        Drag(graduation, 30);
        EXPECT_EQ(graduation->Top(), graduationTop);
        EXPECT_EQ(slider->Top(), sliderTop);
        EXPECT_TRUE(Reports(sim).empty());
    }
}

TEST_F(MainWindow, GpioModeLocksThe71ButtonsButNotTheirSimulatedClicks) {
    Build(Device::Present);
    Click(form->Label(L"PageVirtual7p1Label"));
    ASSERT_EQ(form->m_iCurrentPage, 4);
    form->m_GPIOTable[kGpioModeOn] = 1;
    struct Case {
        const char* name;
        DWORD hardwareSwitch, simulatedClick;
        const wchar_t* enableShows;  // after a press on 7.1 on/off
        int enabled;
        bool resetLocked, speakerReleaseLocked, speakerMoves;
    };
    const Case cases[] = {
        {"switch off", 0, 0, L"VirtualEnableImageUp.png", 0, true, true, false},
        {"switch on", 1, 0, L"VirtualEnableImageUp.png", 0, false, true, true},
        {"simulated click, switch off", 0, 1, L"VirtualDisableImageUp.png", 0, false, false, true},
        {"simulated click, switch on", 1, 1, L"VirtualDisableImageDown.png", 1, false, false, true},
    };
    ui::TImage* enable = form->Image(L"VirtualEnableImage");
    ui::TImage* reset = form->Image(L"VirtualResetImage");
    ui::TImage* speaker = form->Image(L"VirtualCImage");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_GPIOTable[kGpioHw7ch1Switch] = c.hardwareSwitch;
        form->m_GPIOTable[kGpioSimulatedClick] = c.simulatedClick;
        auto press = [&](ui::TImage* image) {
            if (c.simulatedClick) {  // as the GPIO worker clicks
                form->OnImageMouseDown(image, ui::mbLeft, 0, 0, 0);
                form->OnImageMouseUp(image, ui::mbLeft, 0, 0, 0);
            } else {
                Click(image);
            }
        };
        // 7.1 on/off: in GPIO mode the button shows the hardware switch.
        form->m_b7ch1Enable = 0;
        form->LoadSkinImage(form->SkinEntry(L"VirtualEnableImageUp"), enable);
        press(enable);
        EXPECT_EQ(Shown(L"VirtualEnableImage"), c.enableShows);
        EXPECT_EQ(form->m_b7ch1Enable, c.enabled);
        // 7.1 reset: its pressed picture.
        form->LoadSkinImage(form->SkinEntry(L"VirtualResetUpImage"), reset);
        if (c.simulatedClick) form->OnImageMouseDown(reset, ui::mbLeft, 0, 0, 0);
        else PressOn(reset);
        EXPECT_EQ(Shown(L"VirtualResetImage"),
                  c.resetLocked ? L"VirtualResetUpImage.png" : L"VirtualResetDownImage.png");
        if (!c.simulatedClick) SendAt(Cursor(), MOUSEEVENTF_LEFTUP);
        Pump(30);
        // A speaker's release starts the rotation timer again.
        form->Timer->SetEnabled(false);
        form->OnImageMouseUp(speaker, ui::mbLeft, 0, 0, 0);
        EXPECT_EQ(form->Timer->Enabled(), !c.speakerReleaseLocked);
        // Dragging a speaker: no press lock, the move asks the switch itself.
        if (!c.simulatedClick) {
            const int top = speaker->Top();
            lib->ClearLog();
            Drag(speaker, 10);
            EXPECT_EQ(form->m_iDragMode, dmSpeaker);
            EXPECT_EQ(speaker->Top() != top, c.speakerMoves);
            EXPECT_EQ(!LibraryCalls("DLLKQ_SetVirtual7ch1_OnOff").empty(), c.speakerMoves);
            speaker->SetTop(top);
        }
    }
    form->m_GPIOTable[kGpioModeOn] = 0;
    form->m_GPIOTable[kGpioSimulatedClick] = 0;
}

// ---------------------------------------------------------------- device I/O and shut-down

TEST_F(MainWindow, NoDeviceLockIsHeldAcrossALibraryCall) {
    Build(Device::Present);
    LibraryWatch::Install();
    DragBandTo(L"EQ60HzSliderImage", 20);
    Click(form->Image(L"EQResetImage"));
    Close();  // the shut-down: EQ reset and switch, ENC and voice effect off
    EXPECT_GT(LibraryWatch::calls, 10);
    EXPECT_EQ(LibraryWatch::callsUnderLock, 0);
}

TEST_F(MainWindow, AShutDownStepThatFailsLeavesTheDeviceResetToTheOthers) {
    Build(Device::Present);
    // The EQ button's pictures break after start-up: the EQ reset of the
    // shut-down raises when it repaints the button.
    ReplacedFile up(KitSkin() + L"EQEQENImageUp.png", "no picture");
    ReplacedFile down(KitSkin() + L"EQEQENImageDown.png", "no picture");
    Close();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"EQEQENImage"), std::wstring::npos) << vt::Narrow(boxes[0].text);
    std::vector<std::string> reports = Reports(sim);
    const std::vector<std::string> clear = {"sel 0100", "wr 00"};
    EXPECT_NE(std::search(reports.begin(), reports.end(), clear.begin(), clear.end()), reports.end());
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), "zero");
    std::vector<hidsim::IoctlRecord> ioctls = sim.Ioctls();
    ASSERT_GE(ioctls.size(), 2u);
    EXPECT_EQ(ioctls.back().code, 0x08232000u);
    EXPECT_EQ(lib->Calls("DLLKQ_AudioCommand").size(), 2u) << "ENC and the voice effect switched off";
}

TEST_F(MainWindow, DefaultEnablesAreStrictNumbers) {
    struct Case {
        const wchar_t* value;
        bool raises;
        int enable;
    };
    const Case cases[] = {{L"", false, 0}, {L"1", false, 1}, {L"0x1", false, 1}, {L"on", true, 0}, {L"1,", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.value));
        ::WritePrivateProfileStringW(L"EQ", L"EQEN", c.value, (UserFolder() + L"DefaultProfile.ini").c_str());
        if (c.raises) {
            app = std::make_unique<ui::TApplication>();
            EXPECT_THROW(app->CreateForm(form), ui::EConvertError);
            EXPECT_EQ(form, nullptr);
            app.reset();
            continue;
        }
        Build(Device::None);
        EXPECT_EQ(form->m_iDefaultEQEnable, c.enable);
        Close();
    }
}

// ---------------------------------------------------------------- window messages, tray icon and menus

TEST_F(MainWindow, APressOnTheWindowsBackgroundDragsTheWindow) {
    Build(Device::Present);
    ui::TImage* background = form->Image(L"MainFormImage");
    // A point of the window's shape where nothing but the background
    // picture lies.
    POINT free{-1, -1};
    for (int y = 2; y < form->ClientHeight() && free.x < 0; y += 4)
        for (int x = 2; x < form->ClientWidth() && free.x < 0; x += 4)
            if (form->ControlAtPos(POINT{x, y}, false) == background &&
                ::WindowFromPoint(form->ClientToScreen(POINT{x, y})) == form->Handle())
                free = POINT{x, y};
    ASSERT_GE(free.x, 0);
    auto centre = [this](const wchar_t* name) {
        ui::TControl* c = form->Image(name);
        return POINT{c->Left() + c->Width() / 2, c->Top() + c->Height() / 2};
    };
    struct Case {
        const char* name;
        POINT at;  // client point
        DWORD down, up;
        bool ledDialog;
        bool moves;
    };
    const Case cases[] = {
        {"background picture", free, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, false, true},
        {"logo", centre(L"LogoImage"), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, false, true},
        {"left picture", centre(L"MainLeftImage"), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, false, true},
        {"device picture", centre(L"DeviceActiveImage"), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, false, true},
        {"right button", free, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, false, false},
        {"a button", centre(L"EQS2Image"), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, false, false},
        {"LED dialog showing", free, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, true, false},
    };
    const int dx = 40, dy = 30;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.ledDialog) {
            LEDForm = new TLEDForm(app.get());
            LEDForm->SetBounds(0, 0, 60, 40);
            LEDForm->Show();
        }
        RECT before{}, after{};
        ::GetWindowRect(form->Handle(), &before);
        const POINT from = form->ClientToScreen(c.at);
        const POINT to{from.x + dx, from.y + dy};
        MoveTo(from);
        // The system's move loop runs inside the press's handling on this
        // thread; the rest of the gesture comes from another one.
        std::atomic<bool> done{false};
        std::thread user([&] {
            SendAt(from, c.down);
            for (int step = 1; step <= 4; ++step) {
                ::Sleep(20);
                SendAt(POINT{from.x + dx * step / 4, from.y + dy * step / 4}, 0);
            }
            SendAt(to, c.up);
            done = true;
        });
        while (!done) Pump(10);
        user.join();
        Pump(50);
        ::GetWindowRect(form->Handle(), &after);
        EXPECT_EQ(after.left - before.left, c.moves ? dx : 0);
        EXPECT_EQ(after.top - before.top, c.moves ? dy : 0);
        EXPECT_EQ(form->Left(), after.left) << "the form knows where its window is";
        EXPECT_FALSE(form->m_bDragging);
        if (c.ledDialog) {
            LEDForm->Free();
            LEDForm = nullptr;
        }
    }
    // No control kept the mouse: the next click reaches its button.
    Click(form->Image(L"EQS3Image"));
    EXPECT_EQ(form->m_iEQPreset, 3);
}

// Records, in one list, the registered messages the programs of the system
// broadcast to each other (as a top-level window of another thread sees
// them) and the panel's debugger lines about them.
class MessageRecorder {
public:
    MessageRecorder() {
        for (const wchar_t* name : {L"WM_AUDIO_EFFECT_EXIT", L"WM_APP_EXIT_RESUME", L"WM_Qorv73xxAPP_EXIT"})
            names_[::RegisterWindowMessageW(name)] = vt::Narrow(name);
        std::promise<HWND> created;
        std::future<HWND> window = created.get_future();
        thread_ = std::thread([this, &created] { Run(created); });
        window_ = window.get();
        trace::SetObserver([this](const std::wstring& line) {
            if (line == L"WM_APP_EXIT_RESUME" || line == L"WM_APP_EXIT_EFFECT" ||
                line.find(L".exe") != std::wstring::npos)
                Add("debug " + vt::Narrow(line));
        });
    }
    ~MessageRecorder() {
        trace::SetObserver(nullptr);
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> lock(lock_);
        std::vector<std::string> seen;
        seen.swap(seen_);
        return seen;
    }
    // Broadcasts a registered message from this window's thread, as a
    // companion program would.
    void Broadcast(const wchar_t* name) {
        const UINT message = ::RegisterWindowMessageW(name);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(window_, WM_APP, message, 0, SMTO_NORMAL, 5000, &ignored);
    }

private:
    void Add(const std::string& what) {
        std::lock_guard<std::mutex> lock(lock_);
        seen_.push_back(what);
    }
    void Run(std::promise<HWND>& created) {
        WNDCLASSW cls = {};
        cls.lpfnWndProc = Proc;
        cls.hInstance = ::GetModuleHandleW(nullptr);
        cls.lpszClassName = L"VelloTestMessageRecorder";
        ::RegisterClassW(&cls);
        HWND window = ::CreateWindowExW(0, cls.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                        cls.hInstance, nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        created.set_value(window);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<MessageRecorder*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_APP) {
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(HWND_BROADCAST, static_cast<UINT>(wParam), 0, 0, SMTO_NORMAL, 1000, &ignored);
            return 0;
        }
        if (self && self->names_.count(message)) {
            self->Add(self->names_.at(message));
            return 0;
        }
        if (message == WM_CLOSE) {
            ::DestroyWindow(window);
            return 0;
        }
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    std::map<UINT, std::string> names_;
    std::mutex lock_;
    std::vector<std::string> seen_;
    std::thread thread_;
    HWND window_ = nullptr;
};

// The colours of an icon drawn at the tray's size on a fixed background.
std::vector<DWORD> IconPixels(HICON icon) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win::Dc dc(::CreateCompatibleDC(nullptr));
    win::GdiObject bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::Select select(dc.get(), bitmap.get());
    std::fill_n(static_cast<DWORD*>(bits), 256, 0x00808080u);
    ::DrawIconEx(dc.get(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    return std::vector<DWORD>(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 256);
}

// Largest difference of one colour channel between two pictures.
int ChannelDistance(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    int most = a.size() == b.size() ? 0 : 255;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift : {0, 8, 16})
            most = std::max(most, std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                                           static_cast<int>((b[i] >> shift) & 0xFF)));
    return most;
}

// A companion program's log beside it: "started <arguments>", "ended <message>".
std::wstring CompanionLog(const std::wstring& name) {
    return vt::BinDir() + L"Plugin\\" + name + L"\\" + name + L".log";
}

// Waits until the companion program's window is there to hear broadcasts.
bool WaitForCompanionWindow(const std::wstring& name) {
    DWORD start = ::GetTickCount();
    do {
        if (::FindWindowW(L"VelloCompanionStandIn", name.c_str())) return true;
        Pump(50);
    } while (::GetTickCount() - start < 20000);
    return false;
}

bool WaitForFileText(const std::wstring& path, const std::string& text) {
    DWORD start = ::GetTickCount();
    do {
        if (vt::ReadFileBytes(path).find(text) != std::string::npos) return true;
        Pump(50);
    } while (::GetTickCount() - start < 20000);
    return false;
}

class TrayAndMenus : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        for (const wchar_t* name : {L"VelloEffect", L"VelloSoundFX"}) ::DeleteFileW(CompanionLog(name).c_str());
    }
    void TearDown() override {
        // Companion programs still running end as they do at the panel's Close.
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(HWND_BROADCAST, ::RegisterWindowMessageW(L"WM_AUDIO_EFFECT_EXIT"), 0, 0, SMTO_NORMAL,
                              1000, &ignored);
        ui::TPopupMenu::SetPopupHandler({});
        ui::TCTrayIcon::SetNotifyIconHandler({});
        MainWindow::TearDown();
    }

    // Opens the tray icon's menu as the shell does on a right-button release
    // and chooses item in it; false when the menu does not offer the item.
    bool ChooseInTrayMenu(ui::TMenuItem* item) {
        bool offered = false;
        ui::TPopupMenu::SetPopupHandler([&](ui::TPopupMenu& menu, int, int) {
            win::Menu shown = menu.CreateHandle();
            offered = ::GetMenuState(shown.get(), item->Command(), MF_BYCOMMAND) != static_cast<UINT>(-1);
            if (offered) ui::DispatchMenuCommand(item->Command());
        });
        ::SendMessageW(form->CTrayIcon->Handle(), ui::TCTrayIcon::CallbackMessage(), 1, WM_RBUTTONUP);
        ui::TPopupMenu::SetPopupHandler({});
        return offered;
    }
    void DoubleClickTrayIcon() {
        ::SendMessageW(form->CTrayIcon->Handle(), ui::TCTrayIcon::CallbackMessage(), 1, WM_LBUTTONDBLCLK);
        Pump(50);
    }
    std::vector<std::wstring> PluginCaptions() const {
        std::vector<std::wstring> captions;
        for (int i = 0; i < form->ModeMenu->Count(); ++i) captions.push_back(form->ModeMenu->Items(i)->Caption());
        return captions;
    }
    std::vector<bool> PluginTicks() const {
        std::vector<bool> ticks;
        for (int i = 0; i < form->ModeMenu->Count(); ++i) ticks.push_back(form->ModeMenu->Items(i)->Checked());
        return ticks;
    }
};

TEST_F(TrayAndMenus, APluginStartsAfterItsBroadcastsAndKeepsThePanelInTheTray) {
    Build(Device::Present);
    ASSERT_EQ(PluginCaptions(), std::vector<std::wstring>({L"VelloEffect", L"VelloSoundFX"}));
    EXPECT_TRUE(form->ModeMenu->Visible());
    EXPECT_EQ(form->m_iPluginCount, 2);
    MessageRecorder recorder;

    const std::wstring effect = vt::BinDir() + L"Plugin\\VelloEffect\\VelloEffect.exe";
    ASSERT_TRUE(ChooseInTrayMenu(form->ModeMenu->Items(0)));
    const std::vector<std::string> expected = {
        "WM_AUDIO_EFFECT_EXIT",    "debug WM_APP_EXIT_RESUME", "WM_APP_EXIT_RESUME",
        "debug WM_APP_EXIT_EFFECT", "WM_AUDIO_EFFECT_EXIT",     "debug WM_APP_EXIT_EFFECT",
        "WM_AUDIO_EFFECT_EXIT",    "debug " + vt::Narrow(effect)};
    EXPECT_EQ(recorder.Take(), expected);
    EXPECT_TRUE(WaitForFileText(CompanionLog(L"VelloEffect"), "started " + vt::Narrow(effect)))
        << "the program is started with its own path as its argument";
    EXPECT_EQ(PluginTicks(), std::vector<bool>({true, false}));
    EXPECT_FALSE(::IsWindowVisible(form->Handle())) << "the panel hides while the companion runs";

    // Restoring from the tray sends the window back while a companion runs.
    DoubleClickTrayIcon();
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));

    // The other program: the first is asked to end, the tick moves.
    ASSERT_TRUE(WaitForCompanionWindow(L"VelloEffect"));
    ASSERT_TRUE(ChooseInTrayMenu(form->ModeMenu->Items(1)));
    EXPECT_TRUE(WaitForFileText(CompanionLog(L"VelloEffect"), "ended WM_AUDIO_EFFECT_EXIT"));
    EXPECT_TRUE(WaitForFileText(CompanionLog(L"VelloSoundFX"), "started "));
    EXPECT_EQ(PluginTicks(), std::vector<bool>({false, true}));

    // A companion that ends tells every program so: the ticks go, and the
    // tray shows the window again.
    recorder.Take();
    recorder.Broadcast(L"WM_APP_EXIT_RESUME");
    Pump(50);
    EXPECT_EQ(PluginTicks(), std::vector<bool>({false, false}));
    DoubleClickTrayIcon();
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
}

TEST_F(TrayAndMenus, CloseAsksTheCompanionsToEndAndEndsThePanel) {
    Build(Device::Present);
    ASSERT_TRUE(ChooseInTrayMenu(form->ModeMenu->Items(0)));
    ASSERT_TRUE(WaitForCompanionWindow(L"VelloEffect"));
    MessageRecorder recorder;
    ASSERT_TRUE(ChooseInTrayMenu(form->CloseMenu));
    EXPECT_EQ(recorder.Take(), std::vector<std::string>({"WM_AUDIO_EFFECT_EXIT"}));
    EXPECT_TRUE(WaitForFileText(CompanionLog(L"VelloEffect"), "ended WM_AUDIO_EFFECT_EXIT"));
    EXPECT_TRUE(app->Terminated()) << "the message loop ends, then the shut-down runs";
}

TEST_F(TrayAndMenus, ThePluginMenuOffersTheFoldersTheSettingsEnable) {
    const std::wstring config = vt::BinDir() + L"AudioConfig.cfg";
    const std::wstring plugins = vt::BinDir() + L"Plugin\\";
    const std::wstring tooLong(32, L'L');
    struct Folder {
        std::wstring name;
        const wchar_t* value;  // [Application] <name>, null: no entry
    };
    const Folder folders[] = {{L"Two", L"2"},         {L"Zero", L"0"},   {L"Missing", nullptr},
                              {L"Word", L"on"},       {L"Sound&Voice", L"1"}, {tooLong, L"1"}};
    for (const Folder& f : folders) {
        ASSERT_TRUE(::CreateDirectoryW((plugins + f.name).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
        ::WritePrivateProfileStringW(L"Application", f.name.c_str(), f.value, config.c_str());
    }
    ::CopyFileW((plugins + L"VelloEffect\\VelloEffect.exe").c_str(),
                (plugins + L"Sound&Voice\\Sound&Voice.exe").c_str(), FALSE);
    struct Restore {
        const Folder* begin;
        const Folder* end;
        std::wstring config, plugins;
        ~Restore() {
            for (const Folder* f = begin; f != end; ++f) {
                ::WritePrivateProfileStringW(L"Application", f->name.c_str(), nullptr, config.c_str());
                // A companion program that just ended may still hold its file.
                for (int i = 0; i < 100 && !vt::RemoveTree(plugins + f->name); ++i) ::Sleep(50);
            }
            ::WritePrivateProfileStringW(L"Plugin", L"PluginFolderName", L"Plugin", config.c_str());
        }
    } restore{std::begin(folders), std::end(folders), config, plugins};

    // A plug-in folder named like the program's own folder, so that its name
    // appears in the path twice.
    std::wstring own = vt::BinDir();
    own.pop_back();
    own.erase(0, own.find_last_of(L'\\') + 1);
    ASSERT_TRUE(::CreateDirectoryW((vt::BinDir() + own).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    ::CreateDirectoryW((vt::BinDir() + own + L"\\Two").c_str(), nullptr);
    struct RemoveOwn {
        std::wstring folder;
        ~RemoveOwn() { vt::RemoveTree(folder); }
    } removeOwn{vt::BinDir() + own};

    struct Case {
        const char* name;
        std::wstring pluginFolderName;
        std::vector<std::wstring> captions;  // in the folder's order
    };
    const Case cases[] = {
        {"the kit's folder with more sub-folders", L"Plugin",
         {L"Sound&&Voice", L"Two", L"VelloEffect", L"VelloSoundFX"}},
        {"named like the program's folder", own, {L"Two"}},
        {"no plug-in folder named", L"", {}},
        {"a plug-in folder that does not exist", L"NoSuchFolder", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::WritePrivateProfileStringW(L"Plugin", L"PluginFolderName", c.pluginFolderName.c_str(), config.c_str());
        Build(Device::None);
        EXPECT_TRUE(boxes.empty()) << "the window comes up";
        EXPECT_EQ(PluginCaptions(), c.captions);
        EXPECT_EQ(form->m_iPluginCount, static_cast<int>(c.captions.size()));
        EXPECT_EQ(form->ModeMenu->Visible(), !c.captions.empty());
        for (int i = 0; i < form->ModeMenu->Count(); ++i) {
            EXPECT_TRUE(form->ModeMenu->Items(i)->AutoCheck());
            EXPECT_TRUE(form->ModeMenu->Items(i)->RadioItem());
        }
        Close();
    }

    // A folder whose name holds an '&' is started under its own name.
    ::WritePrivateProfileStringW(L"Plugin", L"PluginFolderName", L"Plugin", config.c_str());
    Build(Device::None);
    ASSERT_EQ(PluginCaptions().front(), L"Sound&&Voice");
    ASSERT_TRUE(ChooseInTrayMenu(form->ModeMenu->Items(0)));
    const std::wstring program = plugins + L"Sound&Voice\\Sound&Voice.exe";
    EXPECT_TRUE(WaitForFileText(plugins + L"Sound&Voice\\Sound&Voice.log", "started " + vt::Narrow(program)));
    EXPECT_TRUE(form->ModeMenu->Items(0)->Checked());
    ASSERT_TRUE(WaitForCompanionWindow(L"Sound&Voice"));
    ASSERT_TRUE(ChooseInTrayMenu(form->CloseMenu));
    EXPECT_TRUE(WaitForFileText(plugins + L"Sound&Voice\\Sound&Voice.log", "ended WM_AUDIO_EFFECT_EXIT"));
}

TEST_F(TrayAndMenus, AProgramThatCannotStartLeavesNoTickAndThePanelShown) {
    const std::wstring program = vt::BinDir() + L"Plugin\\VelloSoundFX\\VelloSoundFX.exe";
    const std::wstring aside = program + L".aside";
    ASSERT_TRUE(::MoveFileW(program.c_str(), aside.c_str()));
    struct PutBack {
        std::wstring from, to;
        ~PutBack() { ::MoveFileW(from.c_str(), to.c_str()); }
    } putBack{aside, program};
    Build(Device::Present);
    ASSERT_TRUE(ChooseInTrayMenu(form->ModeMenu->Items(1)));
    EXPECT_EQ(PluginTicks(), std::vector<bool>({false, false}));
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    DoubleClickTrayIcon();
    EXPECT_TRUE(::IsWindowVisible(form->Handle())) << "restoring from the tray still shows the window";
}

TEST_F(TrayAndMenus, TheTrayShowsTheIconFileAndAddsItAgainForANewShell) {
    struct Notice {
        DWORD message;
        std::vector<DWORD> pixels;
        std::wstring tip;
    };
    std::vector<Notice> notices;
    ui::TCTrayIcon::SetNotifyIconHandler([&](DWORD message, const NOTIFYICONDATAW& data) {
        notices.push_back(Notice{message, IconPixels(data.hIcon), data.szTip});
        return TRUE;
    });
    Build(Device::None);
    win::Icon file(static_cast<HICON>(
        ::LoadImageW(nullptr, (vt::BinDir() + L"Vello.ico").c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)));
    ASSERT_TRUE(file);
    const std::vector<DWORD> expected = IconPixels(file.get());
    EXPECT_LT(form->CTrayIcon->IconIndex(), form->ImageList->Count()) << "the list holds the icon shown";
    ASSERT_FALSE(notices.empty());
    EXPECT_LE(ChannelDistance(notices.back().pixels, expected), 8) << "the tray shows the settings' icon file";
    EXPECT_EQ(notices.back().tip, L"Vello Audio Center");

    // The shell started again with an empty tray: the icon is added anew.
    notices.clear();
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_NORMAL, 1000,
                          &ignored);
    Pump(50);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_LE(ChannelDistance(notices[0].pixels, expected), 8);
    EXPECT_EQ(notices[0].tip, L"Vello Audio Center");
}

}  // namespace
