// Lighting through the real main window and the LED dialog: the lighting
// page's choices, colours and speed sliders, the lighting thread, the LED
// button's GPIO line and the dialog with its worker, checked on the stand-in
// library's RGB call log and the simulated device's reports.
#include "MainWindowFixture.h"

#include <commctrl.h>
#include <tlhelp32.h>

namespace {

constexpr ui::TColor kRed = 0x0000FF;

class Lighting : public MainWindow {
protected:
    void TearDown() override {
        ui::SetColorDialogHandler(nullptr);
        MainWindow::TearDown();
        ASSERT_EQ(LEDForm, nullptr) << "the dialog went with the application";
    }

    // The window with an active device and the LED dialog created after it,
    // as the program creates its forms.
    void BuildWithDialog() {
        Build(Device::Present);
        app->CreateForm(LEDForm);
    }

    // The lighting exports the library saw, "name args" in order.
    std::vector<std::string> RGBCalls() const {
        std::vector<std::string> out;
        for (const auto& c : lib->Calls())
            if (c.name.find("RGB") != std::string::npos) out.push_back(c.name + " " + c.args);
        return out;
    }
    // Waits (handling messages) until the RGB log holds count calls.
    bool WaitForRGBCalls(size_t count, DWORD ms = 5000) {
        DWORD start = ::GetTickCount();
        while (RGBCalls().size() < count) {
            if (::GetTickCount() - start > ms) return false;
            Pump(10);
        }
        return true;
    }
    void ShowLightingPage() {
        Click(form->Label(L"PageLEDLabel"));
        ASSERT_EQ(form->m_iCurrentPage, 6);
        lib->ClearLog();
    }
    // Presses on the control, moves the cursor by dx (in steps, so that the
    // window sees where it went) and releases.
    void DragBy(ui::TControl* c, int dx) {
        PressOn(c);
        POINT from = Cursor();
        for (int step : {dx / 2, dx, dx}) MoveTo(POINT{from.x + step, from.y});
        SendAt(Cursor(), MOUSEEVENTF_LEFTUP);
        Pump(30);
    }
    // Answers every colour dialog with (ok, colour) and counts them.
    void AnswerColourDialogs(bool ok, ui::TColor colour) {
        dialogs = 0;
        ui::SetColorDialogHandler([this, ok, colour](HWND, ui::TColor& c) {
            ++dialogs;
            opened = c;
            if (ok) c = colour;
            return ok;
        });
    }
    // Clicks a control of another form in its middle.
    void ClickOn(ui::TControl* c) {
        POINT p = c->Parent()->ClientToScreen(POINT{c->Left() + c->Width() / 2, c->Top() + c->Height() / 2});
        MoveTo(p);
        SendAt(p, MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        SendAt(p, MOUSEEVENTF_LEFTUP);
        Pump(30);
    }
    // Clicks a windowed control of the LED dialog in its middle.
    void ClickWindow(ui::TWinControl* c) {
        RECT r;
        ::GetWindowRect(c->Handle(), &r);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        MoveTo(p);
        SendAt(p, MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        SendAt(p, MOUSEEVENTF_LEFTUP);
        Pump(30);
    }
    // Moves a track bar of the dialog to its last position as the user's
    // End key does (the bar tells its parent, which tells the form).
    void TrackToEnd(ui::TTrackBar* bar) {
        ::SendMessageW(bar->Handle(), WM_KEYDOWN, VK_END, 0);
        ::SendMessageW(bar->Handle(), WM_KEYUP, VK_END, 0);
        Pump(10);
    }
    void TrackTo(ui::TTrackBar* bar, int position) {
        ::SendMessageW(bar->Handle(), TBM_SETPOS, TRUE, position);
        ::SendMessageW(::GetParent(bar->Handle()), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                       reinterpret_cast<LPARAM>(bar->Handle()));
        Pump(10);
    }

    int dialogs = 0;
    ui::TColor opened = 0;
};

std::string Mode(int mode, int speed) {
    return "DLLKQ_SetRGB_Mode_ById 3A 0 " + std::to_string(mode) + " " + std::to_string(speed) + " 50 0";
}
std::string Colour(const char* name, int ledOrMode, int slotOrMode, ui::TColor c) {
    char text[96];
    std::snprintf(text, sizeof(text), "%s 3A %d %d %u %u %u 50 0", name, ledOrMode, slotOrMode, c & 0xFF,
                  (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return text;
}
std::string Slot(int slot, ui::TColor c) { return Colour("DLLKQ_SetRGB_Color_ById", 1, slot, c); }
std::string Effect(int mode, ui::TColor c) { return Colour("DLLKQ_SetRGB_SingleColor_ById", 1, mode, c); }

const ui::TColor kRainbow[7] = {0xF7F009, 0x09F7A9, 0xF50AF5, 0x09F7A9, 0xF7F009, 0xF50AF5, 0x09F7A9};

// ---------------------------------------------------------------- the one-time start

TEST_F(Lighting, TheFirstConnectionAnnouncesSevenSlotsAndSendsTheirColours) {
    std::vector<std::string> atStart;
    TAudioMainForm::OnStep = [&](const wchar_t* step) {
        if (std::wstring(step) == L"CreateGPIOThread") atStart = RGBCalls();
    };
    // Without the maker's lighting in the default profile: the skin's places
    // and colours alone.
    ::WritePrivateProfileStringW(L"LED", nullptr, nullptr, (UserFolder() + L"DefaultProfile.ini").c_str());
    Build(Device::Present);
    ASSERT_EQ(form->m_iLEDPageMode, 1) << "the kit's Graphite skin has the lighting page";
    std::vector<std::string> expected = {"DLLKQ_SetRGB_Step_ById 3A 7 50 0"};
    for (int slot = 1; slot <= 7; ++slot) expected.push_back(Slot(slot, form->m_LEDColor[slot + 1]));
    EXPECT_EQ(atStart, expected);
    EXPECT_EQ(form->m_bInitMultiColorLED, 0);
    EXPECT_NE(form->m_hLEDThread, nullptr);
    // The sliders stand at the left end of their bars, the skin's slow end.
    EXPECT_EQ(form->m_iLEDFastRightSide, 1);
    EXPECT_EQ(form->m_iLEDBreatheSpeed, 255);
    EXPECT_EQ(form->m_iLEDRainbowSpeed, 255);
    EXPECT_EQ(form->m_iLEDMultiBreatheSpeed, 255);
}

TEST_F(Lighting, NoDeviceNoLightingThread) {
    Build(Device::None);
    EXPECT_EQ(form->m_hLEDThread, nullptr);
    EXPECT_EQ(form->m_bInitMultiColorLED, 1);
}

// ---------------------------------------------------------------- the five choices

TEST_F(Lighting, EachChoiceSendsItsExports) {
    Build(Device::Present);
    ShowLightingPage();
    form->m_iLEDBreatheSpeed = 40;
    form->m_iLEDRainbowSpeed = 90;
    form->m_iLEDMultiBreatheSpeed = 160;
    const ui::TColor single = form->m_LEDColor[0], breathe = form->m_LEDColor[1];
    std::vector<std::string> rainbow = {Mode(5, 90)}, multi = {Mode(6, 160)};
    for (int slot = 1; slot <= 7; ++slot) {
        rainbow.push_back(Slot(slot, kRainbow[slot - 1]));
        multi.push_back(Slot(slot, form->m_LEDColor[slot + 1]));
    }
    rainbow.push_back(Mode(5, 90));
    multi.push_back(Mode(6, 160));
    struct Case {
        const char* name;
        const wchar_t* check;
        std::vector<std::string> calls;  // the page's refresh first, then the choice
        int deviceMode, effect;
    };
    const Case cases[] = {
        {"off", L"ColorLEDOffCheckImage", {Mode(1, 1), Mode(1, 1)}, 1, 0},
        {"single colour", L"ColorSingleCheckImage", {Mode(2, 0), Effect(2, single)}, 2, 0},
        {"breathe", L"ColorBreatheCheckImage", {Mode(4, 40), Effect(4, breathe), Mode(4, 40)}, 4, 1},
        {"rainbow", L"ColorRainbowCheckImage", rainbow, 5, 2},
        {"multi-breathe", L"ColorPulsatingCheckImage", multi, 6, 3},
        {"single colour after an effect", L"ColorSingleCheckImage", {Mode(2, 0), Effect(2, single)}, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib->ClearLog();
        Click(form->Image(c.check));
        EXPECT_EQ(RGBCalls(), c.calls);
        EXPECT_EQ(form->m_byLEDMode, c.deviceMode);
        EXPECT_EQ(form->m_iLEDEffectMode, c.effect);
    }
    // The chosen effect shows its check and slider Down, the others Up.
    Click(form->Image(L"ColorRainbowCheckImage"));
    EXPECT_EQ(Shown(L"ColorRainbowCheckImage"), L"ColorRainbowCheckDownImage.png");
    EXPECT_EQ(Shown(L"ColorRainbowSliderImage"), L"ColorRainbowSliderDownImage.png");
    EXPECT_EQ(Shown(L"ColorBreatheCheckImage"), L"ColorBreatheCheckUpImage.png");
    EXPECT_EQ(Shown(L"ColorSingleCheckImage"), L"ColorSingleCheckUpImage.png");
}

TEST_F(Lighting, AFailedSendIsTriedOnceMore) {
    Build(Device::Present);
    ShowLightingPage();
    struct Case {
        const char* name;
        int failures;  // of the next mode commands
        size_t calls;  // the refresh's and the choice's mode commands
    };
    for (const Case& c : {Case{"none fails", 0, 2}, Case{"the first fails", 1, 3}, Case{"every one fails", 9, 4}}) {
        SCOPED_TRACE(c.name);
        Pump(::GetDoubleClickTime() + 50);  // each press a click of its own
        lib->ClearLog();
        if (c.failures) lib->FailNext("DLLKQ_SetRGB_Mode_ById", c.failures);
        Click(form->Image(L"ColorLEDOffCheckImage"));
        EXPECT_EQ(RGBCalls(), std::vector<std::string>(c.calls, Mode(1, 1)));
        lib->Reset();
    }
}

TEST_F(Lighting, AProfileWithTheLightsOffDoesNotStartItsEffect) {
    Build(Device::Present);
    const std::wstring profile = UserFolder() + L"LightingProfile.ini";
    ASSERT_TRUE(vt::WriteFileBytes(profile,
                                   "[LED]\r\nLEDOff=1\r\nLEDEffectMode=2\r\nLEDRainbowSpeed=300\r\n"
                                   "LEDBreatheSpeed=0\r\nLEDRainbowSliderPos=-50\r\nLEDMultiBreatheSliderPos=9999\r\n"
                                   "LEDColor3RGB=65280\r\nLEDPageMode=1\r\n"));
    form->m_LastProfilePath = profile;
    form->LoadLEDUI();
    EXPECT_EQ(form->m_iLEDRainbowSpeed, 255) << "speeds are kept within 1..255";
    EXPECT_EQ(form->m_iLEDBreatheSpeed, 1);
    ui::TImage* bar = form->Image(L"ColorRainbowBarImage");
    EXPECT_EQ(form->m_iLEDRainbowSliderPos, bar->Left()) << "positions are kept on the bar";
    ui::TImage* pulsating = form->Image(L"ColorPulsatingBarImage");
    EXPECT_EQ(form->m_iLEDMultiBreatheSliderPos,
              pulsating->Left() + pulsating->Width() - form->Image(L"ColorPulsatingSliderImage")->Width() + 3);
    EXPECT_EQ(form->m_LEDColor[4], 65280u);
    EXPECT_EQ(form->Shape(L"Color03Shape")->Brush().Color(), 65280u);
    lib->ClearLog();
    form->RefreshLEDPage();
    EXPECT_EQ(RGBCalls(), std::vector<std::string>({Mode(1, 1)}));
    EXPECT_EQ(form->m_iLEDEffectMode, 0);
    ::DeleteFileW(profile.c_str());
}

TEST_F(Lighting, OverlongProfileValuesAreCutNotOverrun) {
    Build(Device::Present);
    const std::wstring profile = UserFolder() + L"LongProfile.ini";
    std::string text = "[LED]\r\nLEDBreatheSpeed=" + std::string(200, '7') + "\r\nLEDColor1RGB=" +
                       std::string(127, '0') + "255\r\nLEDColor2RGB=" + std::string(124, '0') + "255\r\n";
    ASSERT_TRUE(vt::WriteFileBytes(profile, text));
    form->m_LastProfilePath = profile;
    form->m_iLEDBreatheSpeed = 10;
    form->LoadLEDUI();
    EXPECT_EQ(form->m_iLEDBreatheSpeed, 10) << "127 digits make no number: the speed stays";
    EXPECT_EQ(form->m_LEDColor[2], 0u) << "only the first 127 characters count: all zeros";
    EXPECT_EQ(form->m_LEDColor[3], 255u);
    ::DeleteFileW(profile.c_str());
}

// ---------------------------------------------------------------- colours

TEST_F(Lighting, TheColourDialogChangesShapesAndSendsWhatTheEffectUses) {
    Build(Device::Present);
    ShowLightingPage();
    const ui::TColor green = 0x00C800;
    struct Case {
        const char* name;
        int effect;  // m_iLEDEffectMode before
        const wchar_t* shape;
        bool ok;
        ui::TColor colour;
        std::vector<std::string> calls;
        size_t member;  // index in m_LEDColor that takes the colour (none: 99)
        int deviceMode;
    };
    const Case cases[] = {
        {"cancelled", 3, L"Color03Shape", false, green, {}, 99, 6},
        {"black", 3, L"Color03Shape", true, 0, {}, 99, 6},
        {"slot while multi-breathe", 3, L"Color03Shape", true, green, {Slot(3, green)}, 4, 6},
        {"slot while breathe", 1, L"Color05Shape", true, green, {}, 6, 4},
        {"slot while rainbow", 2, L"Color07Shape", true, green, {}, 8, 5},
        {"breathe colour while rainbow", 2, L"ColorBreatheShape", true, green, {Effect(4, green)}, 1, 4},
        {"single colour", 0, L"ColorSingleShape", true, green, {Effect(2, green)}, 0, 2},
    };
    const std::array<ui::TColor, 9> start = form->m_LEDColor;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_LEDColor = start;
        for (int i = 1; i <= 7; ++i) form->FindShapeByTag(150 + i)->Brush().SetColor(start[i + 1]);
        form->m_iLEDEffectMode = c.effect;
        form->m_byLEDMode = static_cast<BYTE>(c.effect == 0 ? 1 : c.effect + 3);
        AnswerColourDialogs(c.ok, c.colour);
        lib->ClearLog();
        ui::TShape* shape = form->Shape(c.shape);
        const ui::TColor was = shape->Brush().Color();
        Click(shape);
        EXPECT_EQ(dialogs, 1);
        EXPECT_EQ(opened, was) << "the dialog opens on the shape's colour";
        EXPECT_EQ(RGBCalls(), c.calls);
        EXPECT_EQ(shape->Brush().Color(), c.member == 99 ? was : c.colour);
        for (size_t i = 0; i < 9; ++i)
            EXPECT_EQ(form->m_LEDColor[i], i == c.member ? c.colour : start[i]) << "colour " << i;
        EXPECT_EQ(form->m_byLEDMode, c.deviceMode);
        EXPECT_EQ(form->m_iLEDEffectMode, c.effect) << "a colour chooses no effect";
    }
    // The shape chosen last wears the selection pen, the one before the plain one.
    AnswerColourDialogs(false, 0);
    Click(form->Shape(L"Color02Shape"));
    Click(form->Shape(L"Color06Shape"));
    EXPECT_EQ(form->m_iSelectedColorShape, 156);
    EXPECT_EQ(form->Shape(L"Color06Shape")->Pen().Color(), 15780518u);
    EXPECT_EQ(form->Shape(L"Color06Shape")->Pen().Width(), 3);
    EXPECT_EQ(form->Shape(L"Color02Shape")->Pen().Color(), 0u);
    EXPECT_EQ(form->Shape(L"Color02Shape")->Pen().Width(), 1);
}

// ---------------------------------------------------------------- speed sliders

TEST_F(Lighting, SpeedSliderEndsGiveTheirSpeeds) {
    Build(Device::Present);
    ShowLightingPage();
    ui::TImage* bar = form->Image(L"ColorRainbowBarImage");
    ui::TImage* slider = form->Image(L"ColorRainbowSliderImage");
    const int rightEnd = bar->Left() + bar->Width() - slider->Width();
    const int travel = rightEnd - bar->Left();
    struct Case {
        const char* name;
        int fastRightSide;
        int by;  // pixels the cursor moves
        int speed, left;
    };
    const Case cases[] = {
        {"left end, slow right", 0, -400, 2, bar->Left()},
        {"right end, slow right", 0, 400, 255, rightEnd + 3},
        {"left end, fast right", 1, -400, 253, bar->Left()},
        {"right end, fast right", 1, 400, 1, rightEnd + 3},
        {"left end again", 0, -400, 2, bar->Left()},
        {"half way from the left end", 0, travel / 2, 50 * 255 / 100, bar->Left() + travel / 2 + 3},
    };
    form->m_iLEDEffectMode = 1;  // breathe runs: the rainbow slider sends nothing
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iLEDFastRightSide = c.fastRightSide;
        lib->ClearLog();
        DragBy(slider, c.by);
        EXPECT_EQ(form->m_iLEDRainbowSpeed, c.speed);
        EXPECT_EQ(slider->Left(), c.left);
        EXPECT_EQ(form->m_iLEDRainbowSliderPos, c.left);
        EXPECT_TRUE(RGBCalls().empty());
    }
}

TEST_F(Lighting, ReleasingTheRunningEffectsSliderSendsTheNewSpeed) {
    Build(Device::Present);
    ShowLightingPage();
    form->m_iLEDFastRightSide = 1;
    Click(form->Image(L"ColorBreatheCheckImage"));
    lib->ClearLog();
    ui::TImage* slider = form->Image(L"ColorBreatheSliderImage");
    DragBy(slider, 400);
    EXPECT_EQ(form->m_iLEDBreatheSpeed, 1);
    // The refresh and the choice send the new speed; the lighting thread,
    // woken on the release, repeats it 100 ms later.
    ASSERT_TRUE(WaitForRGBCalls(4));
    Pump(300);
    std::vector<std::string> calls = RGBCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), Mode(4, 1)), 3);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), Effect(4, form->m_LEDColor[1])), 1);
    EXPECT_EQ(calls.size(), 4u);
}

TEST_F(Lighting, TheOneTimeSpeedsAreExactAtTheEndsAndABarNoWiderThanItsSliderChangesNothing) {
    Build(Device::Present);
    ui::TImage* bar = form->Image(L"ColorBreatheBarImage");
    ui::TImage* slider = form->Image(L"ColorBreatheSliderImage");
    const int travel = bar->Width() - slider->Width();
    struct Case {
        const char* name;
        int fastRightSide, left, speed;
    };
    const Case cases[] = {
        {"left end, slow right", 0, bar->Left(), 1},   {"left end, fast right", 1, bar->Left(), 255},
        {"right end, slow right", 0, bar->Left() + travel, 255}, {"right end, fast right", 1, bar->Left() + travel, 1},
        {"one pixel in, slow right", 0, bar->Left() + 1, 2},      {"one pixel in, fast right", 1, bar->Left() + 1, 253},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iLEDFastRightSide = c.fastRightSide;
        slider->SetLeft(c.left);
        form->ComputeLEDSpeeds();
        EXPECT_EQ(form->m_iLEDBreatheSpeed, c.speed);
    }
    // A skin whose bar is as wide as its slider: the speed stays.
    form->m_iLEDBreatheSpeed = 77;
    bar->SetWidth(slider->Width());
    slider->SetLeft(bar->Left() + 5);
    form->ComputeLEDSpeeds();
    EXPECT_EQ(form->m_iLEDBreatheSpeed, 77);
    ShowLightingPage();
    slider->SetLeft(bar->Left());
    DragBy(slider, 30);
    EXPECT_EQ(form->m_iLEDBreatheSpeed, 77);
    EXPECT_EQ(slider->Left(), bar->Left());
}

// ---------------------------------------------------------------- the lighting thread

TEST_F(Lighting, TheThreadRepeatsTheRunningEffectWhenWoken) {
    Build(Device::Present);
    const std::wstring profile = UserFolder() + L"WakeProfile.ini";
    ASSERT_TRUE(vt::WriteFileBytes(profile, "[LED]\r\nLEDRainbowSpeed=77\r\n"));
    form->m_LastProfilePath = profile;
    struct Case {
        const char* name;
        BYTE mode;
        int byId;
        bool failOnce;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"rainbow", 5, 1, false, {Mode(5, 77)}},
        {"rainbow, the first send fails", 5, 1, true, {Mode(5, 77), Mode(5, 77)}},
        {"single colour: nothing", 2, 1, false, {}},
        {"off: nothing", 1, 1, false, {}},
        {"rainbow, slave road", 5, 0, false, {"DLLKQ_UsbHidSlave_SetRGB_Mode_Ex 0 5 77 50"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_byLEDMode = c.mode;
        form->m_bLEDById = c.byId;
        lib->ClearLog();
        if (c.failOnce) lib->FailNext(c.byId ? "DLLKQ_SetRGB_Mode_ById" : "DLLKQ_UsbHidSlave_SetRGB_Mode_Ex");
        form->LoadLEDUI();  // signals the thread with a device and the lighting page
        WaitForRGBCalls(c.calls.size(), 2000);
        Pump(250);
        EXPECT_EQ(RGBCalls(), c.calls);
    }
    // Colours not sent yet: the thread sends them first, on either road.
    form->m_byLEDMode = 4;
    form->m_iLEDBreatheSpeed = 9;
    for (int byId : {1, 0}) {
        SCOPED_TRACE(byId);
        form->m_bLEDById = byId;
        form->m_bInitMultiColorLED = 1;
        lib->ClearLog();
        ASSERT_TRUE(vt::WriteFileBytes(profile, "[LED]\r\nLEDBreatheSpeed=9\r\n"));
        form->LoadLEDUI();
        ASSERT_TRUE(WaitForRGBCalls(8, 3000));
        std::vector<std::string> expected;
        for (int slot = 1; slot <= 7; ++slot) {
            const ui::TColor c = form->m_LEDColor[slot + 1];
            char slave[96];
            std::snprintf(slave, sizeof(slave), "DLLKQ_UsbHidSlave_SetRGB_Color_Ex 1 %d %u %u %u 50", slot, c & 0xFF,
                          (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            expected.push_back(byId ? Slot(slot, c) : std::string(slave));
        }
        expected.push_back(byId ? Mode(4, 9) : "DLLKQ_UsbHidSlave_SetRGB_Mode_Ex 0 4 9 50");
        EXPECT_EQ(RGBCalls(), expected);
        EXPECT_EQ(form->m_bInitMultiColorLED, 0);
    }
    ::DeleteFileW(profile.c_str());
}

TEST_F(Lighting, AfterRemovalTheThreadStaysIdleAndTheLightsAreLeftAlone) {
    Build(Device::Present);
    const std::wstring profile = UserFolder() + L"IdleProfile.ini";
    ASSERT_TRUE(vt::WriteFileBytes(profile, "[LED]\r\nLEDRainbowSpeed=30\r\n"));
    form->m_LastProfilePath = profile;
    form->m_byLEDMode = 5;
    form->IdleLightingAfterRemoval();
    EXPECT_EQ(form->m_hLEDThread, nullptr);
    lib->ClearLog();
    for (int i = 0; i < 3; ++i) {
        form->LoadLEDUI();
        Pump(150);
    }
    Pump(400);
    EXPECT_TRUE(RGBCalls().empty()) << "woken after the removal, the thread sends nothing, once or in a loop";
    Close();
    EXPECT_TRUE(RGBCalls().empty()) << "the shut-down does not switch the lights off";
    ::DeleteFileW(profile.c_str());
}

TEST_F(Lighting, TheShutDownSwitchesTheLightsOff) {
    Build(Device::Present);
    Close();
    EXPECT_EQ(RGBCalls(), std::vector<std::string>({Mode(1, 1)}));
}

// ---------------------------------------------------------------- the LED button

TEST_F(Lighting, TheLEDButtonDrivesGpioZero) {
    Build(Device::Present);
    auto firstBytes = [this] {
        std::vector<std::string> out;
        for (const auto& r : sim.OutputReports()) {
            char text[32];
            std::snprintf(text, sizeof(text), "%02x %02x %02x %02x %02x", r.bytes[0], r.bytes[1], r.bytes[2],
                          r.bytes[3], r.bytes[4]);
            out.push_back(text);
        }
        return out;
    };
    const std::string zero = "00 00 00 00 00";
    ui::TImage* button = form->Image(L"LEDImage");
    sim.ClearLog();
    PressOn(button);
    EXPECT_EQ(firstBytes(), std::vector<std::string>({"00 60 01 ff 3c", zero}));
    EXPECT_EQ(sim.GpioOutputs(hid)[0], 1);
    EXPECT_EQ(form->m_bLEDOn, 0);
    sim.ClearLog();
    SendAt(Cursor(), MOUSEEVENTF_LEFTUP);
    Pump(30);
    EXPECT_EQ(firstBytes(), std::vector<std::string>({"00 60 00 ff 3c", zero}));
    EXPECT_EQ(sim.GpioOutputs(hid)[0], 0);
    EXPECT_EQ(form->m_bLEDOn, 1);

    struct Case {
        const char* name;
        int state;
        bool present;
        int failAfter;  // output reports that pass before one fails (-1: none fails)
        int result;
        std::vector<std::string> reports;
    };
    const Case cases[] = {
        {"off: every level 0", 0, true, -1, 0, {"00 60 00 ff 3c", zero}},
        {"on: the levels are read", 1, true, -1, 0, {"00 60 00 00 30", zero}},
        {"no HID interface", 1, false, -1, 1, {}},
        {"the GPIO report fails", 0, true, 0, 2, {}},
        {"the empty report fails", 0, true, 1, 3, {"00 60 00 ff 3c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.SetPresent(hid, c.present);
        sim.ClearLog();
        if (c.failAfter >= 0) sim.Fail(hidsim::Call::SetOutputReport, 1, c.failAfter);
        const int inputsBefore = sim.CallCount(hidsim::Call::GetInputReport);
        EXPECT_EQ(form->SyncLEDGpio(c.state), c.result);
        EXPECT_EQ(firstBytes(), c.reports);
        EXPECT_EQ(sim.CallCount(hidsim::Call::GetInputReport) - inputsBefore, c.state && c.present ? 1 : 0);
        sim.SetPresent(hid, true);
    }
}

// ---------------------------------------------------------------- the page tab

TEST_F(Lighting, ThePageTabOpensThePageOrTheDialogByTheSkin) {
    BuildWithDialog();
    struct Case {
        const char* name;
        int pageMode;
        bool label;  // the tab's label, else its picture
        bool dialog, refresh;
    };
    const Case cases[] = {
        {"page, picture", 1, false, false, true}, {"page, label", 1, true, false, true},
        {"dialog, picture", 2, false, true, false}, {"dialog, label", 2, true, true, false},
        {"none, picture", 0, false, false, false}, {"none, label", 0, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iLEDPageMode = c.pageMode;
        form->m_bLEDOff = 1;
        lib->ClearLog();
        bool shown = false;
        // The dialog is modal: it notes that it shows and closes itself.
        form->RunOnMainThread([&] {
            shown = LEDForm->m_bShown == 1;
            if (shown) LEDForm->Close();
        });
        if (c.label) form->PageLEDLabelClick(form->Label(L"PageLEDLabel"));
        else form->PageLEDClick(form->Image(L"PageLEDImage"));
        Pump(50);
        EXPECT_EQ(shown, c.dialog);
        EXPECT_EQ(LibraryCalls("DLLKQ_SetRGB_Step").size(), c.dialog ? 1u : 0u);
        EXPECT_EQ(LibraryCalls("DLLKQ_SetRGB_Mode_ById").size(), c.refresh ? 1u : 0u);
        EXPECT_EQ(LEDForm->m_bShown, 0);
    }
}

// ---------------------------------------------------------------- the LED dialog

class LEDDialog : public Lighting {
protected:
    void ShowDialog() {
        BuildWithDialog();
        LEDForm->Show();
        Pump(50);
    }
    std::vector<std::string> DialogCalls() const {
        std::vector<std::string> out;
        for (const auto& c : lib->Calls())
            if (c.name.find("RGB") != std::string::npos && c.name.find("_ById") == std::string::npos)
                out.push_back(c.name + " " + c.args);
        return out;
    }
    bool WaitForDialogCalls(size_t count, DWORD ms = 3000) {
        DWORD start = ::GetTickCount();
        while (DialogCalls().size() < count) {
            if (::GetTickCount() - start > ms) return false;
            Pump(10);
        }
        return true;
    }
};

TEST_F(LEDDialog, ShowingAnnouncesSevenSlotsAndBlinkingAfterOffTurnsOffAgain) {
    BuildWithDialog();
    lib->ClearLog();
    LEDForm->Show();
    Pump(50);
    EXPECT_EQ(DialogCalls(), std::vector<std::string>({"DLLKQ_SetRGB_Step 3A 7 500"}));
    EXPECT_EQ(LEDForm->m_iLEDMode, 1);
    EXPECT_EQ(LEDForm->FindShapeByTag(1)->Pen().Color(), 15780518u);
    EXPECT_EQ(LEDForm->TrackBarRainbow->Left(), LEDForm->RadioButtonRainbow->Left() + 96);
    EXPECT_EQ(LEDForm->ShapeBreatheColor->Top(), LEDForm->RadioButtonBreathe->Top());
    EXPECT_EQ(LEDForm->m_bShown, 1);

    LEDForm->TrackBarBlinking->SetPosition(40);
    lib->ClearLog();
    ClickWindow(LEDForm->RadioButtonBlinking);
    const auto calls = lib->Calls("DLLKQ_SetRGB_Mode");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].args, "3A 0 3 40 500");
    EXPECT_EQ(calls[1].args, "3A 0 1 0 500");
    EXPECT_EQ(LEDForm->m_iLEDMode, 3);
    // Choosing again while on: no turning off.
    lib->ClearLog();
    ClickWindow(LEDForm->RadioButtonBreathe);
    EXPECT_EQ(DialogCalls(), std::vector<std::string>({"DLLKQ_SetRGB_Mode 3A 0 4 1 500"}));
    lib->ClearLog();
    ClickWindow(LEDForm->RadioButtonOff);
    EXPECT_EQ(DialogCalls(), std::vector<std::string>({"DLLKQ_SetRGB_Mode 3A 0 1 1 500"}));
}

TEST_F(LEDDialog, TheLEDNumberRoutesModesBrightnessAndColours) {
    ShowDialog();
    const ui::TColor c = 0x204060;
    AnswerColourDialogs(true, c);
    struct Case {
        const char* name;
        ui::TRadioButton* TLEDForm::*led;
        const char* mode;  // "<led> <colour led>"
        const char* colourLed;
    };
    const Case cases[] = {{"LED All", &TLEDForm::RadioButtonAllLED, "0", "1"},
                          {"LED1", &TLEDForm::RadioButtonLED1, "1", "1"},
                          {"LED2", &TLEDForm::RadioButtonLED2, "2", "2"}};
    ClickWindow(LEDForm->RadioButtonBreathe);  // on: a choice sends no LED Off after it
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ClickWindow(LEDForm->*k.led);
        lib->ClearLog();
        ClickWindow(LEDForm->RadioButtonOn);
        ClickWindow(LEDForm->ButtonSetColor);
        TrackToEnd(LEDForm->TrackBarBrightness);
        const std::string led = k.mode, cl = k.colourLed;
        EXPECT_EQ(DialogCalls(), std::vector<std::string>({"DLLKQ_SetRGB_Mode 3A " + led + " 2 0 500",
                                                           "DLLKQ_SetRGB_Color 3A " + cl + " 1 96 64 32 500",
                                                           "DLLKQ_SetRGB_Brightness 3A " + led + " 6 500"}));
        TrackTo(LEDForm->TrackBarBrightness, 1);
    }
}

TEST_F(LEDDialog, TheWorkerSendsASpeedHalfASecondLaterWithoutTouchingTheLEDNumber) {
    ShowDialog();
    ClickWindow(LEDForm->RadioButtonLED2);
    struct Case {
        const char* name;
        ui::TRadioButton* TLEDForm::*radio;
        ui::TTrackBar* TLEDForm::*bar;
        int mode, speed;
    };
    const Case cases[] = {
        {"blinking", &TLEDForm::RadioButtonBlinking, &TLEDForm::TrackBarBlinking, 3, 30},
        {"rainbow", &TLEDForm::RadioButtonRainbow, &TLEDForm::TrackBarRainbow, 5, 200},
        {"multi-breathe", &TLEDForm::RadioButtonMultiBreathe, &TLEDForm::TrackBarMultiBreathe, 6, 7},
        {"single random", &TLEDForm::RadioButtonSingleRandom, &TLEDForm::TrackBarSingleRandom, 7, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClickWindow(LEDForm->*c.radio);
        lib->ClearLog();
        const DWORD start = ::GetTickCount();
        TrackTo(LEDForm->*c.bar, c.speed);
        EXPECT_TRUE(DialogCalls().empty()) << "nothing before the worker's pause";
        ASSERT_TRUE(WaitForDialogCalls(1));
        EXPECT_GE(::GetTickCount() - start, 450u);
        EXPECT_EQ(DialogCalls(), std::vector<std::string>({"DLLKQ_SetRGB_Mode 3A 2 " + std::to_string(c.mode) + " " +
                                                           std::to_string(c.speed) + " 500"}));
        EXPECT_EQ(LEDForm->m_iLEDNumber, 2u);
        EXPECT_EQ(LEDForm->m_bySpeed[c.mode - 3], c.speed);
    }
    // A bar of another mode stores and sends nothing.
    lib->ClearLog();
    TrackTo(LEDForm->TrackBarBreathe, 99);
    Pump(700);
    EXPECT_TRUE(DialogCalls().empty());
    EXPECT_EQ(LEDForm->m_bySpeed[1], 1);
}

TEST_F(LEDDialog, EffectColoursChooseTheirModeEvenWhenCancelled) {
    ShowDialog();
    const ui::TColor c = 0x0A0B0C;
    AnswerColourDialogs(false, c);
    lib->ClearLog();
    ClickOn(LEDForm->ShapeBreatheColor);
    Pump(700);
    EXPECT_EQ(LEDForm->m_iLEDMode, 4);
    EXPECT_TRUE(DialogCalls().empty());
    AnswerColourDialogs(true, c);
    ClickOn(LEDForm->ShapeBlinkingColor);
    EXPECT_EQ(LEDForm->m_iLEDMode, 3);
    EXPECT_TRUE(LEDForm->RadioButtonBlinking->Checked());
    ASSERT_TRUE(WaitForDialogCalls(2));
    EXPECT_EQ(DialogCalls(), std::vector<std::string>({"DLLKQ_SetRGB_SingleColor 3A 1 3 12 11 10 500",
                                                       "DLLKQ_SetRGB_Mode 3A 0 3 1 500"}));
}

TEST_F(LEDDialog, TheSlaveRoadUsesTheSlaveExports) {
    ShowDialog();
    ClickWindow(LEDForm->RadioButtonSlave);
    AnswerColourDialogs(true, 0x010203);
    LEDForm->TrackBarBlinking->SetPosition(12);
    lib->ClearLog();
    LEDForm->Close();
    LEDForm->Show();
    Pump(30);
    ClickWindow(LEDForm->RadioButtonBlinking);
    ClickWindow(LEDForm->ButtonSetColor);
    TrackTo(LEDForm->TrackBarBrightness, 3);
    TrackTo(LEDForm->TrackBarBlinking, 20);
    ASSERT_TRUE(WaitForDialogCalls(6));
    ClickWindow(LEDForm->RadioButtonOff);
    EXPECT_EQ(DialogCalls(), std::vector<std::string>({
                                 "DLLKQ_UsbHidSlave_SetRGB_Step_Ex 7 500",
                                 "DLLKQ_UsbHidSlave_SetRGB_Mode_Ex 0 3 12 500",
                                 "DLLKQ_UsbHidSlave_SetRGB_Mode_Ex 0 1 0 500",
                                 "DLLKQ_UsbHidSlave_SetRGB_Color_Ex 1 1 3 2 1 500",
                                 "DLLKQ_UsbHidSlave_SetRGB_Brightness_Ex 0 3 500",
                                 "DLLKQ_UsbHidSlave_SetRGB_Mode_Ex 0 3 20 500",
                                 "DLLKQ_UsbHidSlave_SetRGB_Mode_Ex 0 1 0 500",
                             }));
}

// The threads of this process.
int ThreadCount() {
    win::Handle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 e{};
    e.dwSize = sizeof(e);
    int n = 0;
    for (BOOL ok = ::Thread32First(snap.get(), &e); ok; ok = ::Thread32Next(snap.get(), &e))
        if (e.th32OwnerProcessID == ::GetCurrentProcessId()) ++n;
    return n;
}

TEST_F(LEDDialog, OneWorkerServesEveryShowing) {
    ShowDialog();
    LEDForm->Close();
    Pump(50);
    const int threads = ThreadCount();
    for (int i = 0; i < 5; ++i) {
        LEDForm->Show();
        Pump(20);
        LEDForm->Close();
        Pump(20);
    }
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_EQ(LEDForm->m_bShown, 0);
    // The worker still serves the dialog.
    LEDForm->Show();
    ClickWindow(LEDForm->RadioButtonRainbow);
    lib->ClearLog();
    TrackTo(LEDForm->TrackBarRainbow, 66);
    EXPECT_TRUE(WaitForDialogCalls(1));
}

TEST_F(LEDDialog, DestroyingTheWindowWhileItsWorkersAreBusyEndsCleanly) {
    const std::wstring profile = UserFolder() + L"BusyProfile.ini";
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        ShowDialog();
        ASSERT_TRUE(vt::WriteFileBytes(profile, "[LED]\r\nLEDMultiBreatheSpeed=5\r\n"));
        form->m_LastProfilePath = profile;
        form->m_byLEDMode = 6;
        ClickWindow(LEDForm->RadioButtonMultiBreathe);
        // Both workers are in their pauses when the window goes.
        TrackTo(LEDForm->TrackBarMultiBreathe, 100 + round);
        form->LoadLEDUI();
        lib->ClearLog();
        Close();
        const size_t after = lib->Calls().size();
        ::Sleep(700);
        EXPECT_EQ(lib->Calls().size(), after) << "nothing reaches the library after the window went";
        EXPECT_EQ(LEDEffectEvent, nullptr);
        EXPECT_EQ(LEDCommandEvent, nullptr);
    }
    ::DeleteFileW(profile.c_str());
}

// ---------------------------------------------------------------- the colour picker

TEST_F(Lighting, TheColourPickerHoldsFortyEightSwatchesAndReturnsTheChosenOne) {
    Build(Device::Present);
    app->CreateForm(LEDColorForm);
    TLEDColorForm* picker = LEDColorForm;
    struct Swatch {
        int tag, left, top;
        ui::TColor colour;
    };
    for (const Swatch& s : {Swatch{1, 16, 29, 8421631}, Swatch{8, 198, 29, 16744703}, Swatch{9, 16, 55, ui::clRed},
                            Swatch{37, 120, 133, ui::clNavy}, Swatch{48, 198, 159, 9189575}}) {
        SCOPED_TRACE(s.tag);
        ui::TShape* shape = picker->FindShapeByTag(s.tag);
        ASSERT_NE(shape, nullptr);
        EXPECT_EQ(shape->Left(), s.left);
        EXPECT_EQ(shape->Top(), s.top);
        EXPECT_EQ(shape->Brush().Color(), s.colour);
    }
    EXPECT_EQ(picker->FindShapeByTag(49), nullptr);
    picker->Show();
    Pump(30);
    ClickOn(picker->FindShapeByTag(19));
    EXPECT_EQ(picker->m_SelectedColor, ui::clLime);
    EXPECT_EQ(picker->m_iSelectedShape, 19u);
    EXPECT_EQ(picker->FindShapeByTag(19)->Pen().Width(), 2);
    picker->LEDColorOKButtonClick(picker->LEDColorOKButton);
    EXPECT_EQ(picker->m_ResultColor, ui::clLime);
    picker->LEDColorCancelButtonClick(picker->LEDColorCancelButton);
    EXPECT_EQ(picker->m_ResultColor, 0u);
}

}  // namespace
