// The sound field through the real main window: the 3D switch, registers and
// sliders, the environment effects, the virtual 7.1 speaker field and the bee
// demonstration, checked on what reaches the simulated device, the stand-in
// library's call log, the filter driver's control codes and the controls.
#include <cmath>

#include "MainWindowFixture.h"
#include "SkinWith3DPage.h"

namespace {

constexpr double kPi = 3.14159265;
constexpr double kDegree = 0.0174532925;

// The speaker icons in the order of the 7.1 table.
const wchar_t* const kIcons[kSpeakerCount] = {L"VirtualLImage",   L"VirtualRImage",  L"VirtualCImage",
                                              L"VirtualSUBImage", L"VirtualLSImage", L"VirtualRSImage",
                                              L"VirtualLBImage",  L"VirtualRBImage"};
enum { L_, R_, C_, SUB_, LS_, RS_, LB_, RB_ };

// A 7.1 table as the library received it.
struct Table71 {
    DWORD on = 0;
    float gain[kSpeakerCount] = {};
    float angle[kSpeakerCount] = {};
};

Table71 DecodeTable(const devlibsim::LoggedCall& call) {
    Table71 t;
    EXPECT_EQ(call.bytes.size(), 68u);
    std::memcpy(&t, call.bytes.data(), std::min<size_t>(call.bytes.size(), sizeof(t)));
    return t;
}

// The angle of an icon's corner seen from the centre, y up, in [0, 2pi).
double AngleFrom(POINT p, int cx, int cy) {
    double a = std::atan2(static_cast<double>(cy - p.y), static_cast<double>(p.x - cx));
    return a < 0 ? a + 2 * kPi : a;
}

class SoundField : public MainWindow {
protected:
    // The kit's skins have no 3D page; this program's copy of the default
    // skin gets one, in every resolution.
    static void SetUpTestSuite() {
        MainWindow::SetUpTestSuite();
        for (const wchar_t* res : {L"", L"1366x768\\", L"1920x1080\\", L"960x540\\"})
            vt::SetThreeDPage(vt::BinDir() + L"Skin\\" + res + L"Graphite\\SkinSetting.ini", true);
    }
    POINT At(const wchar_t* icon) const {
        ui::TImage* i = form->Image(icon);
        return POINT{i->Left(), i->Top()};
    }
    std::array<POINT, kSpeakerCount> Layout() const {
        std::array<POINT, kSpeakerCount> p{};
        for (int i = 0; i < kSpeakerCount; ++i) p[i] = At(kIcons[i]);
        return p;
    }
    POINT Centre71() const { return POINT{form->m_iVirtualCenterX, form->m_iVirtualCenterY}; }
    std::vector<Table71> Tables() const {
        std::vector<Table71> out;
        for (const auto& c : lib->Calls("DLLKQ_SetVirtual7ch1")) out.push_back(DecodeTable(c));
        return out;
    }
    // The 3D exports of the library log, in order.
    std::vector<std::string> Calls3D() const {
        std::vector<std::string> out;
        for (const auto& c : lib->Calls())
            if (c.name.find("3D") != std::string::npos) out.push_back(c.name + " " + c.args);
        return out;
    }
    void ShowPage(const wchar_t* tabLabel) { Click(form->Label(tabLabel)); }
    // The 3D page has no tab: its controls are shown the way the window would.
    void Show3DPage() {
        form->m_iCurrentPage = 5;
        form->ShowPage(5);
        Pump(30);
    }
    // Drags a 3D slider so that its top lands at top.
    void Drag3DTo(const wchar_t* slider, int top) {
        ui::TImage* s = form->Image(slider);
        Drag(s, top - s->Top());
    }
    // One tick of a timer, as its interval would give it.
    static void Tick(ui::TTimer* timer) { timer->OnTimer(timer); }
};

// ---------------------------------------------------------------- 3D

TEST_F(SoundField, ThreeDSwitchAsksTheChipBackAndSwitchesOnceMore) {
    Build(Device::Present);
    struct Case {
        const char* name;
        const char* failing;  // export made to fail once
        bool on;              // the state pressed into
        std::vector<std::string> calls;
    };
    const std::vector<std::string> agreed = {"DLLKQ_Config3D_ById 0", "DLLKQ_Set3D_OnOff_ById 1 0",
                                             "DLLKQ_Is3D_Enable_ById 0"};
    std::vector<std::string> again = agreed;
    again.push_back("DLLKQ_Set3D_OnOff_ById 1 0");
    const Case cases[] = {
        {"on, read back on", nullptr, true, agreed},
        {"on, the switch failed: read back off", "DLLKQ_Set3D_OnOff_ById", true, again},
        {"on, the read-back failed", "DLLKQ_Is3D_Enable_ById", true, again},
        {"off, the read-back failed", "DLLKQ_Is3D_Enable_ById", false,
         {"DLLKQ_Config3D_ById 0", "DLLKQ_Set3D_OnOff_ById 0 0", "DLLKQ_Is3D_Enable_ById 0"}},
    };
    form->m_b3DV7ch1Exclusive = 0;
    ui::TImage* button = form->Image(L"EQ3DENImage");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_b3DEnable = c.on ? 0 : 1;
        lib->Edit([&](devlibsim::State& s) { s.d3Enabled = c.on ? 0 : 1; });
        lib->ClearLog();
        if (c.failing) lib->FailNext(c.failing);
        Click(button);
        EXPECT_EQ(form->m_b3DEnable, c.on ? 1 : 0);
        EXPECT_EQ(Calls3D(), c.calls);
        EXPECT_EQ(lib->Snapshot().d3Enabled, c.on ? 1 : 0) << "the chip ends in the state pressed";
        EXPECT_EQ(Shown(L"EQ3DENImage"), c.on ? L"EQ3DENImageDown.png" : L"EQ3DENImageUp.png");
    }
}

TEST_F(SoundField, ThreeDEnableRegistersFollowTheButton) {
    Build(Device::Present);
    form->m_b3DV7ch1Exclusive = 0;
    struct Case {
        const char* name;
        bool on;
        BYTE before1CD, before1CE;  // the chip's registers before the press
        BYTE after1CD, after1CE;
    };
    const Case cases[] = {
        {"both nibbles 0xA", true, 0xAA, 0x00, 0xFF, 0x00},
        {"low nibble 0xA", true, 0x5A, 0xA0, 0x5F, 0xF0},
        {"no nibble 0xA", true, 0x55, 0x0A, 0x55, 0x0F},
        {"off leaves them", false, 0xAA, 0x5A, 0xAA, 0x5A},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_b3DEnable = c.on ? 0 : 1;
        sim.SetRegister(hid, 0x100, c.on ? 0x05 : 0x85);
        sim.SetRegister(hid, 0x1CD, c.before1CD);
        sim.SetRegister(hid, 0x1CE, c.before1CE);
        sim.ClearLog();
        Click(form->Image(L"EQ3DENImage"));
        EXPECT_EQ(sim.Register(hid, 0x100), c.on ? 0x85 : 0x05) << "bit 7 of 0x100 is the 3D feature";
        EXPECT_EQ(sim.Register(hid, 0x1CD), c.after1CD);
        EXPECT_EQ(sim.Register(hid, 0x1CE), c.after1CE);
        std::vector<std::string> expected = {"sel 0100", "sel 0100", c.on ? "wr 85" : "wr 05"};
        if (c.on) {
            char text[2][16];
            std::snprintf(text[0], 16, "wr %02x", c.after1CD);
            std::snprintf(text[1], 16, "wr %02x", c.after1CE);
            const std::vector<std::string> extra = {"sel 01cd", "sel 01cd", text[0], "sel 01ce", "sel 01ce", text[1]};
            expected.insert(expected.end(), extra.begin(), extra.end());
        }
        expected.push_back("zero");
        EXPECT_EQ(Reports(sim), expected);
    }
}

TEST_F(SoundField, ThreeDSlidersGiveTheirValuesAndMoveTheLinkedPartner) {
    Build(Device::Present);
    Show3DPage();
    ASSERT_EQ(form->m_i3DSliderHeight, 120);
    // Values by position (height 120): the left alpha slider.
    struct Position {
        int top, landsAt, value;
    };
    for (const Position& p : {Position{105, 105, 15}, Position{165, 165, 8}, Position{225, 225, 0},
                              Position{150, 150, 10}, Position{60, 105, 15}, Position{300, 225, 0}}) {
        SCOPED_TRACE(p.top);
        sim.ClearLog();
        Drag3DTo(L"D3LAlphaSliderImage", p.top);
        EXPECT_EQ(form->Image(L"D3LAlphaSliderImage")->Top(), p.landsAt);
        EXPECT_EQ(form->m_3DParameters.byLeftAlpha, p.value);
        EXPECT_EQ(sim.Register(hid, 0x18B) >> 4, p.value) << "left pair: alpha in the high nibble";
        EXPECT_EQ(form->ConfigImage[231] >> 4, p.value) << "and in the configuration image";
        // Each move writes the FBM register and both pairs, once per channel.
        auto written = [&](WORD reg) {
            char t[8];
            std::snprintf(t, sizeof(t), "wr %02x", sim.Register(hid, reg));
            return std::string(t);
        };
        const std::vector<std::string> run = {"sel 018a", "sel 018a", written(0x18A), "sel 018b",
                                              written(0x18B),  "sel 018c", written(0x18C), "zero"};
        EXPECT_EQ(sim.Register(hid, 0x18A) & 1, 1) << "FBM stays on";
        std::vector<std::string> twice = run;
        twice.insert(twice.end(), run.begin(), run.end());
        EXPECT_EQ(Tail(Reports(sim), twice.size()), twice);
    }

    // Link modes, chosen with the alpha link button: -1, 0, 1, 2, then 0.
    struct Link {
        const char* name;
        const wchar_t* picture;  // the button shows
        int partnerTop;          // after the left slider moved to 130 (the partner starts at 165)
    };
    const Link links[] = {
        {"independent", L"D3AlphaIndepImage.png", 165},
        {"dependent", L"D3AlphaDepImage.png", 130},
        {"inverse", L"D3AlphaInvImage.png", 200},
        {"independent again", L"D3AlphaIndepImage.png", 165},
    };
    ASSERT_EQ(form->m_i3DAlphaLink, -1);
    for (const Link& l : links) {
        SCOPED_TRACE(l.name);
        Drag3DTo(L"D3LAlphaSliderImage", 165);
        Drag3DTo(L"D3RAlphaSliderImage", 165);
        Click(form->Image(L"D3AlphaImage"));
        EXPECT_EQ(Shown(L"D3AlphaImage"), l.picture);
        sim.ClearLog();
        Drag3DTo(L"D3LAlphaSliderImage", 130);
        EXPECT_EQ(form->Image(L"D3RAlphaSliderImage")->Top(), l.partnerTop);
        const int partnerValue = 15 - (l.partnerTop - 105) * 15 / 120;
        EXPECT_EQ(form->m_3DParameters.byRightAlpha, partnerValue);
        EXPECT_EQ(sim.Register(hid, 0x18C) >> 4, partnerValue);
        EXPECT_EQ(form->Image(L"D3RBetaSliderImage")->Top(), 165) << "the beta link is not the alpha's";
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SoundField, ThreeDSliderValuesStayWithinTheChipsNibbles) {
    Build(Device::Present);
    Show3DPage();
    // Skins whose slider height is not the fixed track's 120 pixels.
    struct Case {
        const char* name;
        int height, top;
        bool changes;
        int value;
    };
    const Case cases[] = {
        {"no height", 0, 225, false, 0},
        {"negative height", -40, 105, false, 0},
        {"half height, bottom", 60, 225, true, 0},
        {"half height, top", 60, 105, true, 15},
        {"double height, bottom", 240, 225, true, 8},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_i3DSliderHeight = 120;
        Drag3DTo(L"D3LBetaSliderImage", 150 + 10 * (n++ % 2));
        const D3_PARAMS before = form->m_3DParameters;
        const BYTE imageBefore = form->ConfigImage[231];
        form->m_i3DSliderHeight = c.height;
        sim.ClearLog();
        Drag3DTo(L"D3LBetaSliderImage", c.top);
        if (!c.changes) {
            EXPECT_EQ(form->m_3DParameters.byLeftBeta, before.byLeftBeta);
            EXPECT_EQ(form->ConfigImage[231], imageBefore);
            EXPECT_TRUE(Reports(sim).empty());
            continue;
        }
        EXPECT_EQ(form->m_3DParameters.byLeftBeta, c.value);
        EXPECT_EQ(form->ConfigImage[231] & 0x0F, c.value);
        EXPECT_EQ(sim.Register(hid, 0x18B) & 0x0F, c.value) << "the pair reaches the chip";
        ASSERT_FALSE(Reports(sim).empty());
        EXPECT_EQ(Reports(sim).back(), "zero");
    }
    form->m_i3DSliderHeight = 120;
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SoundField, FbmResetAndTheEepromStateReachTheChip) {
    Build(Device::Present);
    Show3DPage();
    // FBM off, then on: bit 0 of 0x18A and bit 6 of the image's flags.
    for (int expected : {0, 1}) {
        SCOPED_TRACE(expected);
        Click(form->Image(L"D3FBMImage"));
        EXPECT_EQ(form->m_bFBM, expected);
        EXPECT_EQ(sim.Register(hid, 0x18A) & 1, expected);
        EXPECT_EQ((form->ConfigImage[161] >> 6) & 1, expected);
        EXPECT_EQ(Reports(sim).back(), "zero");
    }
    // Reset: the defaults (alpha 10, beta 3, FBM) go to the chip; the
    // sliders stay where they are.
    Drag3DTo(L"D3RBetaSliderImage", 120);
    ASSERT_NE(sim.Register(hid, 0x18C), 0xA3);
    ClickAt(form->Image(L"D3ResetImage"), POINT{4, 4});  // the picture, beside its caption
    EXPECT_EQ(sim.Register(hid, 0x18B), 0xA3);
    EXPECT_EQ(sim.Register(hid, 0x18C), 0xA3);
    EXPECT_EQ(sim.Register(hid, 0x18A) & 1, 1);
    EXPECT_EQ(form->Image(L"D3RBetaSliderImage")->Top(), 120);

    // The state kept in the device: 3D on when the chip or the EEPROM says so.
    struct Case {
        const char* name;
        int device3D, eeprom3D, before, after;
    };
    const Case cases[] = {
        {"chip on", 1, 0, 0, 1},
        {"EEPROM bit", 0, 1, 0, 1},
        {"neither, was off", 0, 0, 0, 0},
        {"neither, was on", 0, 0, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib->Edit([&](devlibsim::State& s) { s.d3Enabled = c.device3D; });
        form->m_bEEPROM3D = c.eeprom3D;
        form->m_b3DEnable = c.before;
        form->m_bFBM = 0;
        sim.SetRegister(hid, 0x18A, c.after ? 0x00 : 0x40);
        form->Load3DFromEEPROM();
        EXPECT_EQ(form->m_b3DEnable, c.after);
        EXPECT_EQ(form->m_bFBM, 1);
        EXPECT_EQ((sim.Register(hid, 0x18A) >> 6) & 1, c.after) << "bit 6 of 0x18A follows the state";
        EXPECT_EQ(lib->Snapshot().d3Enabled, c.after);
        EXPECT_EQ(Shown(L"EQ3DENImage"), c.after ? L"EQ3DENImageDown.png" : L"EQ3DENImageUp.png");
        EXPECT_EQ(Shown(L"D3FBMImage"), L"D3FBMImageDown.png");
    }
}

TEST_F(SoundField, EffectButtonsSendTheFilterIndex) {
    Build(Device::Present);
    ShowPage(L"PageEffectLabel");
    struct Case {
        const wchar_t* button;
        int effect;
        BYTE index;
        const wchar_t* picture;
    };
    const Case cases[] = {
        {L"EffectButtonTheaterImage", 2, 1, L"EffectPicTheaterImage.png"},
        {L"EffectButtonStoneGalleryImage", 3, 2, L"EffectPicBathroomImage.png"},  // shows Bathroom
        {L"EffectButtonLivingroomImage", 4, 3, L"EffectPicLivingroomImage.png"},
        {L"EffectButtonBathroomImage", 5, 4, L"EffectPicStoneGalleryImage.png"},  // shows StoneGallery
        {L"EffectButtonNonImage", 1, 0, L"EffectPicNonImage.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.button));
        sim.ClearLog();
        Click(form->Image(c.button));
        EXPECT_EQ(form->m_iEffect, c.effect);
        std::vector<hidsim::IoctlRecord> ioctls = sim.Ioctls();
        ASSERT_EQ(ioctls.size(), 2u);
        EXPECT_EQ(ioctls[0].code, 0x08232008u);
        EXPECT_EQ(ioctls[0].input, std::vector<BYTE>({c.index, 0, 0, 0}));
        EXPECT_EQ(ioctls[1].code, 0x08232000u);
        EXPECT_EQ(ioctls[1].input, std::vector<BYTE>({1, 0, 0, 0}));
        EXPECT_EQ(Shown(L"EffectPicImage"), c.picture);
    }
}

// ---------------------------------------------------------------- 3D and 7.1 exclude each other

TEST_F(SoundField, ThreeDAndVirtual71ExcludeEachOther) {
    // The buttons are pressed the way the hardware buttons press them, so
    // that each is pressed while the other's page shows.
    auto press = [this](const wchar_t* button) {
        form->OnImageMouseDown(form->Image(button), ui::mbLeft, 0, 0, 0);
        form->OnImageMouseUp(form->Image(button), ui::mbLeft, 0, 0, 0);
    };
    struct Case {
        const char* name;
        int exclusive;
    };
    for (const Case& c : {Case{"exclusive", 1}, Case{"not exclusive", 0}}) {
        SCOPED_TRACE(c.name);
        Build(Device::Present);
        form->m_b3DV7ch1Exclusive = c.exclusive;
        // 7.1 on with a latched turn; then 3D on.
        ShowPage(L"PageVirtual7p1Label");
        form->Timer->SetEnabled(false);
        Click(form->Image(L"VirtualEnableImage"));
        Click(form->Image(L"VirtualClockwiseImage"));
        ASSERT_EQ(form->m_b7ch1Enable, 1);
        ASSERT_EQ(form->m_bRotateCW, 1);
        lib->ClearLog();
        press(L"EQ3DENImage");
        ASSERT_EQ(form->m_b3DEnable, 1);
        EXPECT_EQ(lib->Snapshot().d3Enabled, 1);
        EXPECT_EQ(form->m_b7ch1Enable, 1 - c.exclusive);
        EXPECT_EQ(lib->Snapshot().virtual71On, 1 - c.exclusive) << "7.1 off on the device";
        EXPECT_EQ(form->m_bRotateCW, 1 - c.exclusive);
        if (c.exclusive) {
            ASSERT_EQ(Tables().size(), 1u);
            EXPECT_EQ(Tables()[0].on, 0u);
            EXPECT_EQ(LibraryCalls("DLLKQ_SetVirtual7ch1_Scalar"), std::vector<std::string>({"2.000"}));
        } else {
            EXPECT_TRUE(Tables().empty());
        }
        EXPECT_EQ(form->Image(L"VirtualEnableImage")->Visible(), c.exclusive == 0);
        EXPECT_EQ(form->Image(L"VirtualClockwiseImage")->Visible(), c.exclusive == 0);
        EXPECT_EQ(Shown(L"VirtualEnableImage"),
                  c.exclusive ? L"VirtualEnableImageUp.png" : L"VirtualEnableImageDown.png");

        // The reverse: 7.1 on while 3D is on.
        ShowPage(L"PageEQLabel");
        if (form->m_b7ch1Enable) press(L"VirtualEnableImage");
        ASSERT_EQ(form->m_b7ch1Enable, 0);
        ASSERT_TRUE(form->Image(L"EQ3DENImage")->Visible());
        sim.SetRegister(hid, 0x100, 0x85);
        lib->ClearLog();
        press(L"VirtualEnableImage");
        EXPECT_EQ(form->m_b7ch1Enable, 1);
        EXPECT_EQ(lib->Snapshot().virtual71On, 1);
        EXPECT_EQ(form->m_b3DEnable, 1 - c.exclusive);
        EXPECT_EQ(lib->Snapshot().d3Enabled, 1 - c.exclusive) << "3D off on the device";
        EXPECT_EQ(sim.Register(hid, 0x100), c.exclusive ? 0x05 : 0x85) << "and in the chip's feature register";
        EXPECT_EQ(form->Image(L"EQ3DENImage")->Visible(), c.exclusive == 0);
        EXPECT_EQ(Shown(L"EQ3DENImage"), c.exclusive ? L"EQ3DENImageUp.png" : L"EQ3DENImageDown.png");
        ASSERT_FALSE(Tables().empty());
        EXPECT_EQ(Tables().back().on, 1u);
        EXPECT_TRUE(boxes.empty());
        Close();
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());  // the next case starts afresh
    }
}

// ---------------------------------------------------------------- the 7.1 speaker field

TEST_F(SoundField, DefaultCircleIsLaidOutAndSent) {
    struct Case {
        const char* name;
        const char* defaultIni;
        bool defaultProfile;  // the per-user DefaultProfile.ini exists
        bool circle;          // else the default profile's places
    };
    const Case cases[] = {
        {"no default profile configured", "DefaultIni=0", true, true},
        {"default profile", "DefaultIni=1", true, false},
        {"default profile configured but missing", "DefaultIni=1", false, true},
    };
    const std::wstring config = vt::BinDir() + L"AudioConfig.cfg";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = vt::ReadFileBytes(config);
        text.replace(text.find("DefaultIni=1"), 12, c.defaultIni);
        ReplacedFile settings(config, text);
        if (!c.defaultProfile) ::DeleteFileW((UserFolder() + L"DefaultProfile.ini").c_str());
        Build(Device::Present);
        ASSERT_TRUE(boxes.empty());
        const int cx = form->m_iVirtualCenterX, cy = form->m_iVirtualCenterY;
        ASSERT_EQ(form->m_iVirtualRadius, 110);
        // Places from the centre (radius 110: half 55, k 88), or the profile's.
        const POINT circle[kSpeakerCount] = {{-63, -63}, {62, -63}, {0, -88}, {0, -55},
                                             {-88, 0},   {88, 0},   {-63, 62}, {62, 62}};
        const POINT profile[kSpeakerCount] = {{336, 164}, {436, 164}, {386, 151}, {386, 199},
                                              {287, 268}, {484, 268}, {336, 337}, {436, 337}};
        for (int i = 0; i < kSpeakerCount; ++i) {
            SCOPED_TRACE(vt::Narrow(kIcons[i]));
            const POINT want = c.circle ? POINT{cx + circle[i].x, cy + circle[i].y} : profile[i];
            EXPECT_EQ(At(kIcons[i]).x, want.x);
            EXPECT_EQ(At(kIcons[i]).y, want.y);
        }
        // 7.1 on sends the layout.
        ShowPage(L"PageVirtual7p1Label");
        lib->ClearLog();
        Click(form->Image(L"VirtualEnableImage"));
        EXPECT_EQ(LibraryCalls("DLLKQ_SetVirtual7ch1_OnOff"), std::vector<std::string>({"1"}));
        std::vector<Table71> tables = Tables();
        ASSERT_EQ(tables.size(), 1u);
        const Table71& t = tables[0];
        EXPECT_EQ(t.on, 1u);
        for (int i = 0; i < kSpeakerCount; ++i) {
            SCOPED_TRACE(vt::Narrow(kIcons[i]));
            const POINT p = At(kIcons[i]);
            const double distance = std::hypot(p.x - cx, p.y - cy);
            EXPECT_NEAR(t.gain[i], std::min(distance * 1.7 / 110, 1.7), 1e-5);
            EXPECT_NEAR(t.angle[i], AngleFrom(p, cx, cy), 1e-5);
        }
        if (c.circle) {
            EXPECT_NEAR(t.gain[C_], 1.36, 1e-6);
            EXPECT_NEAR(t.angle[C_], kPi / 2, 1e-6);
            EXPECT_NEAR(t.gain[SUB_], 0.85, 1e-6);
            EXPECT_NEAR(t.angle[LS_], 3.14159265, 1e-6);
            EXPECT_EQ(t.angle[RS_], 0.0f);
        }
        Close();
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());  // the next case starts afresh
        if (!c.defaultProfile)
            ::CopyFileW((vt::BinDir() + L"DefaultProfile.ini").c_str(), (UserFolder() + L"DefaultProfile.ini").c_str(),
                        FALSE);
    }
}

TEST_F(SoundField, TableGainsStayWithinTheirRange) {
    Build(Device::Present);
    ShowPage(L"PageVirtual7p1Label");
    const int cx = form->m_iVirtualCenterX, cy = form->m_iVirtualCenterY;
    struct Case {
        const char* name;
        int radius;
        int icon;
        POINT at;  // from the centre
        float gain, angle;
    };
    const Case cases[] = {
        {"on the centre", 110, C_, {0, 0}, 0.0f, 0.0f},
        {"twice the radius", 110, R_, {220, 0}, 1.7f, 0.0f},
        {"below the centre", 110, SUB_, {0, 55}, 0.85f, static_cast<float>(3 * kPi / 2)},
        {"a circle without radius", 0, LS_, {-88, 0}, 0.0f, 3.14159265f},
        {"a circle of negative radius", -20, RS_, {88, 0}, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iVirtualRadius = c.radius;
        ui::TImage* icon = form->Image(kIcons[c.icon]);
        icon->SetLeft(cx + c.at.x);
        icon->SetTop(cy + c.at.y);
        lib->ClearLog();
        Click(form->Image(L"VirtualEnableImage"));  // each press sends the table
        std::vector<Table71> tables = Tables();
        ASSERT_EQ(tables.size(), 1u);
        for (int i = 0; i < kSpeakerCount; ++i) {
            EXPECT_TRUE(std::isfinite(tables[0].gain[i]) && tables[0].gain[i] >= 0 && tables[0].gain[i] <= 1.7f) << i;
            if (c.radius <= 0) {
                EXPECT_EQ(tables[0].gain[i], 0.0f) << i;
            }
        }
        EXPECT_NEAR(tables[0].gain[c.icon], c.gain, 1e-6);
        EXPECT_NEAR(tables[0].angle[c.icon], c.angle, 1e-6);
    }
    // The older window layout: an icon exactly at (664, 355) is moved on.
    form->m_iVirtualRadius = 110;
    form->m_iOldVersion = 1;
    form->Image(kIcons[LB_])->SetLeft(664);
    form->Image(kIcons[LB_])->SetTop(355);
    Click(form->Image(L"VirtualEnableImage"));
    EXPECT_EQ(At(kIcons[LB_]).x, 665);
    EXPECT_EQ(At(kIcons[LB_]).y, 356);
    form->m_iOldVersion = 0;
}

TEST_F(SoundField, LatchedButtonsTurnNarrowAndWidenTheField) {
    Build(Device::Present);
    ShowPage(L"PageVirtual7p1Label");
    form->Timer->SetEnabled(false);  // steps are taken one by one below
    Click(form->Image(L"VirtualEnableImage"));
    const int cx = form->m_iVirtualCenterX, cy = form->m_iVirtualCenterY;

    // One clockwise step turns the records by a degree; the icons follow one
    // step behind, so the second step shows the first degree.
    Click(form->Image(L"VirtualClockwiseImage"));
    ASSERT_EQ(form->m_bRotateCW, 1);
    const SpeakerRecords before = form->m_Speaker;
    lib->ClearLog();
    Tick(form->Timer);
    Tick(form->Timer);
    ASSERT_EQ(Tables().size(), 2u);
    EXPECT_EQ(LibraryCalls("DLLKQ_SetVirtual7ch1_OnOff"), std::vector<std::string>({"1", "1"}));
    const Table71 sent = Tables().back();
    for (int i = 0; i < kSpeakerCount; ++i) {
        SCOPED_TRACE(vt::Narrow(kIcons[i]));
        EXPECT_NEAR(form->m_Speaker[i].angle, before[i].angle + 2 * kDegree, 1e-5);
        const POINT p = At(kIcons[i]);
        const float turned = static_cast<float>(before[i].angle + kDegree);
        EXPECT_EQ(p.x, static_cast<int>(cx + std::cos(turned) * before[i].distance));
        EXPECT_EQ(p.y, static_cast<int>(cy - std::sin(turned) * before[i].distance));
        EXPECT_NEAR(sent.angle[i], AngleFrom(p, cx, cy), 1e-5) << "the table follows the icons";
    }
    // Counterclockwise: the other way.
    Click(form->Image(L"VirtualCounterclockwiseImage"));
    ASSERT_EQ(form->m_bRotateCW, 0) << "one latch at a time";
    const float turnedAngle = form->m_Speaker[C_].angle;
    Tick(form->Timer);
    EXPECT_NEAR(form->m_Speaker[C_].angle, turnedAngle - kDegree, 1e-5);

    // Narrowing and widening at their limits.
    struct Case {
        const char* name;
        const wchar_t* button;
        double first, others;  // record distances before the step
        double change;         // of every distance
    };
    const Case cases[] = {
        {"narrow", L"VirtualNarrowImage", 10.0, 50.0, -1},
        {"narrow, one below 10", L"VirtualNarrowImage", 9.5, 50.0, 0},
        {"widen", L"VirtualEnlargeImage", 110.5, 50.0, +1},
        {"widen, one at 111", L"VirtualEnlargeImage", 111.0, 50.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!(c.button == std::wstring(L"VirtualNarrowImage") ? form->m_bNarrow : form->m_bEnlarge))
            Click(form->Image(c.button));
        ASSERT_EQ(form->m_bRotateCCW, 0);
        for (int i = 0; i < kSpeakerCount; ++i) form->m_Speaker[i].distance = i == 0 ? c.first : c.others;
        const POINT icon = At(kIcons[R_]);
        Tick(form->Timer);
        EXPECT_DOUBLE_EQ(form->m_Speaker[0].distance, c.first + c.change);
        EXPECT_DOUBLE_EQ(form->m_Speaker[R_].distance, c.others + c.change);
        if (c.change == 0) {
            EXPECT_EQ(At(kIcons[R_]).x, icon.x) << "an icon moves only with its record";
        } else {
            POINT want{};
            SPEAKER_POS r = form->m_Speaker[R_];
            want.x = static_cast<int>(cx + std::cos(r.angle) * r.distance);
            want.y = static_cast<int>(cy - std::sin(r.angle) * r.distance);
            EXPECT_EQ(At(kIcons[R_]).x, want.x);
            EXPECT_EQ(At(kIcons[R_]).y, want.y);
        }
    }
    // Turning needs 7.1 on; the latches go with it.
    Click(form->Image(L"VirtualEnableImage"));
    Click(form->Image(L"VirtualClockwiseImage"));
    EXPECT_EQ(form->m_bRotateCW, 0);
}

TEST_F(SoundField, ResetIsRefusedWhileTheBeeFliesOrTheHardwareSwitchIsOff) {
    Build(Device::Present);
    ShowPage(L"PageVirtual7p1Label");
    const std::array<POINT, kSpeakerCount> defaults = Layout();
    struct Case {
        const char* name;
        bool bee;
        DWORD gpioMode, hardwareSwitch;
        bool caption;  // the reset button's caption clicked, else its picture
        bool resets;
    };
    const Case cases[] = {
        {"button", false, 0, 1, false, true},
        {"caption", false, 0, 0, true, true},
        {"bee flies", true, 0, 1, false, false},
        {"bee flies, caption", true, 0, 1, true, false},
        {"GPIO mode, switch off", false, 1, 0, false, false},
        {"GPIO mode, switch off, caption", false, 1, 0, true, false},
        {"GPIO mode, switch on", false, 1, 1, true, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->Image(L"VirtualCImage")->SetLeft(defaults[C_].x + 20);
        if (c.bee) {
            form->BeeCheckBox->SetChecked(true);
            form->BeeTimer->SetEnabled(false);
        }
        const POINT moved = At(L"VirtualCImage");
        form->m_GPIOTable[kGpioModeOn] = c.gpioMode;
        form->m_GPIOTable[kGpioHw7ch1Switch] = c.hardwareSwitch;
        lib->ClearLog();
        // Each click at another point of the control: two at one point would
        // make a double click, which is no click.
        ui::TControl* control = c.caption ? static_cast<ui::TControl*>(form->Label(L"VirtualResetLabel"))
                                          : form->Image(L"VirtualResetImage");
        ClickAt(control, POINT{6 + 6 * (n++ % 6), control->Height() / 2});
        form->m_GPIOTable[kGpioModeOn] = 0;
        form->m_GPIOTable[kGpioHw7ch1Switch] = 1;
        const POINT now = At(L"VirtualCImage");
        const POINT want = c.resets ? defaults[C_] : moved;
        EXPECT_EQ(now.x, want.x);
        EXPECT_EQ(now.y, want.y);
        EXPECT_EQ(Tables().size(), c.resets ? 1u : 0u);
        if (c.bee) form->BeeCheckBox->SetChecked(false);
    }
}

// ---------------------------------------------------------------- the bee

TEST_F(SoundField, TheBeeCarriesTheSpeakersAroundAndBringsThemBack) {
    Build(Device::Present);
    ShowPage(L"PageVirtual7p1Label");
    ASSERT_TRUE(form->BeeCheckBox->Visible());
    const int cx = form->m_iVirtualCenterX, cy = form->m_iVirtualCenterY;
    const std::array<POINT, kSpeakerCount> user = Layout();
    ui::TImage* bee = form->Image(L"BeeImage");
    EXPECT_FALSE(bee->Visible());
    EXPECT_EQ(bee->Width(), 48) << "the window's own bee picture";

    form->BeeCheckBox->SetChecked(true);  // as a click on it
    form->BeeTimer->SetEnabled(false);    // ticks are taken one by one below
    EXPECT_TRUE(bee->Visible());
    EXPECT_EQ(bee->Left(), cx + 88);
    EXPECT_EQ(bee->Top(), cy);
    for (int i = 0; i < kSpeakerCount; ++i) {
        EXPECT_EQ(At(kIcons[i]).x, cx + 88) << i;
        EXPECT_EQ(At(kIcons[i]).y, cy) << i;
        EXPECT_NEAR(form->m_Speaker[i].angle, -kDegree, 1e-6) << i;
    }
    EXPECT_NEAR(form->m_BeePos.angle, -kDegree, 1e-6);
    EXPECT_TRUE(form->MediaPlayer->IsOpen()) << "the buzzing plays";
    EXPECT_TRUE(form->BeePlayTimer->Enabled());

    lib->ClearLog();
    for (int n = 0; n < 100; ++n) {
        Tick(form->BeeTimer);
        for (int i = 0; i < kSpeakerCount; ++i) {
            ASSERT_EQ(At(kIcons[i]).x, bee->Left()) << n;
            ASSERT_EQ(At(kIcons[i]).y, bee->Top()) << n;
        }
    }
    EXPECT_NEAR(form->m_BeePos.angle, -101 * kDegree, 1e-4);
    std::vector<Table71> tables = Tables();
    ASSERT_EQ(tables.size(), 100u) << "one table a tick";
    EXPECT_EQ(LibraryCalls("DLLKQ_SetVirtual7ch1_OnOff").size(), 100u);
    const POINT at{bee->Left(), bee->Top()};
    for (int i = 0; i < kSpeakerCount; ++i) {
        EXPECT_EQ(tables.back().on, 0u) << "7.1 is off";
        EXPECT_NEAR(tables.back().angle[i], AngleFrom(at, cx, cy), 1e-5) << i;
        EXPECT_NEAR(tables.back().gain[i], std::hypot(at.x - cx, at.y - cy) * 1.7 / 110, 1e-5) << i;
    }
    EXPECT_GT(at.y, cy) << "the bee turns clockwise on the screen (below the centre after 100 degrees)";

    // Unticked: the icons go back, the sound and the timers stop, nothing more is sent.
    ClickAt(form->BeeCheckBox, POINT{8, form->BeeCheckBox->Height() / 2});
    EXPECT_FALSE(form->BeeCheckBox->Checked());
    EXPECT_FALSE(bee->Visible());
    EXPECT_FALSE(form->BeeTimer->Enabled());
    EXPECT_FALSE(form->BeePlayTimer->Enabled());
    EXPECT_FALSE(form->MediaPlayer->IsOpen());
    for (int i = 0; i < kSpeakerCount; ++i) {
        EXPECT_LE(std::abs(At(kIcons[i]).x - user[i].x), 1) << i;
        EXPECT_LE(std::abs(At(kIcons[i]).y - user[i].y), 1) << i;
    }
    lib->ClearLog();
    Pump(100);
    EXPECT_TRUE(Tables().empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SoundField, TheBeeFliesWithoutItsSound) {
    const std::wstring sound = vt::BinDir() + L"bee.wav", away = vt::BinDir() + L"bee.wav.away";
    ASSERT_TRUE(::MoveFileExW(sound.c_str(), away.c_str(), MOVEFILE_REPLACE_EXISTING));
    struct Restore {
        std::wstring from, to;
        ~Restore() { ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING); }
    } restore{away, sound};
    Build(Device::Present);
    ShowPage(L"PageVirtual7p1Label");
    const std::array<POINT, kSpeakerCount> user = Layout();
    ClickAt(form->BeeCheckBox, POINT{8, form->BeeCheckBox->Height() / 2});
    EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : vt::Narrow(boxes[0].text));
    EXPECT_TRUE(form->BeeCheckBox->Checked());
    EXPECT_TRUE(form->BeeTimer->Enabled()) << "it flies";
    EXPECT_FALSE(form->MediaPlayer->IsOpen());
    Pump(150);
    EXPECT_NE(At(L"VirtualCImage").x, user[C_].x);
    ClickAt(form->BeeCheckBox, POINT{20, form->BeeCheckBox->Height() / 2});
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(form->BeeTimer->Enabled());
    for (int i = 0; i < kSpeakerCount; ++i) EXPECT_LE(std::abs(At(kIcons[i]).x - user[i].x), 1) << i;
}

TEST_F(SoundField, TheLastProfileKeepsTheUsersLayoutWhileTheBeeFlies) {
    struct Case {
        const char* name;
        bool bee;
    };
    for (const Case& c : {Case{"bee resting", false}, Case{"bee flying", true}}) {
        SCOPED_TRACE(c.name);
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
        Build(Device::Present);
        ShowPage(L"PageVirtual7p1Label");
        // The user's own layout: the centre speaker moved.
        Drag(form->Image(L"VirtualCImage"), 30);
        const std::array<POINT, kSpeakerCount> user = Layout();
        if (c.bee) {
            Click(form->BeeCheckBox);
            Pump(60);  // it flies a little
            ASSERT_NE(At(L"VirtualCImage").x, user[C_].x);
        }
        Close();
        const std::wstring path = UserFolder() + L"LastProfile.ini";
        for (int i = 0; i < kSpeakerCount; ++i) {
            SCOPED_TRACE(vt::Narrow(kIcons[i]));
            const std::wstring key = std::wstring(kIcons[i]).substr(7, std::wstring(kIcons[i]).size() - 12);
            wchar_t value[64] = {};
            ::GetPrivateProfileStringW(L"Virtual7ch1", key.c_str(), L"", value, 64, path.c_str());
            int x = 0, y = 0;
            ASSERT_EQ(std::swscanf(value, L"%d,%d", &x, &y), 2) << vt::Narrow(value);
            EXPECT_LE(std::abs(x - user[i].x), 1);
            EXPECT_LE(std::abs(y - user[i].y), 1);
        }
        wchar_t enable[8] = {};
        ::GetPrivateProfileStringW(L"Virtual7ch1", L"7ch1EN", L"", enable, 8, path.c_str());
        EXPECT_STREQ(enable, L"0");
    }
}

}  // namespace
