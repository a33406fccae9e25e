// Profiles through the real main window: what a saved profile holds and in
// which order, what loading one reads back and sends to the device, the Save
// and Load buttons with their dialogs, and damaged files, the last profile's
// at start-up above all.
#include <sstream>

#include "MainWindowFixture.h"

namespace {

// Writes a profile as raw text. Its time is set apart from any earlier
// version of the same file, so the profile functions read it anew.
void WriteProfileText(const std::wstring& path, const std::string& text) {
    static int written = 0;
    ASSERT_TRUE(vt::WriteFileBytes(path, text));
    win::FileHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{};
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= 36000000000ULL + 100000000ULL * static_cast<ULONGLONG>(++written);  // an hour and more ago
    FILETIME past{t.LowPart, t.HighPart};
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &past));
}

// The sections ("[EQ]") and keys of an INI text in file order.
std::vector<std::string> KeysInOrder(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') out.push_back(line);
        else if (line.find('=') != std::string::npos) out.push_back(line.substr(0, line.find('=')));
    }
    return out;
}

std::wstring ReadValue(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    wchar_t value[512] = {};
    ::GetPrivateProfileStringW(section, key, L"", value, 512, path.c_str());
    return value;
}

// Lines of a profile text with one key's line replaced ("" drops it).
std::string WithLine(std::string text, const std::string& key, const std::string& line) {
    size_t at = text.find("\r\n" + key + "=");
    if (at == std::string::npos) {
        ADD_FAILURE() << key << " not in the profile";
        return text;
    }
    size_t end = text.find("\r\n", at + 2);
    text.replace(at, end - at, line.empty() ? std::string() : "\r\n" + line);
    return text;
}

std::wstring UserProfileFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"USERPROFILE", path, MAX_PATH);
    return std::wstring(path) + L"\\" + kUserFolder;
}

constexpr DWORD kSetEffect = 0x08232008;
constexpr DWORD kEnableEffect = 0x08232000;

const wchar_t* const kIcons[kSpeakerCount] = {L"VirtualLImage",   L"VirtualRImage",  L"VirtualCImage",
                                              L"VirtualSUBImage", L"VirtualLSImage", L"VirtualRSImage",
                                              L"VirtualLBImage",  L"VirtualRBImage"};

class Profiles : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        // The release that ends the previous test can land on the Save or
        // Load button of the next window: no system dialog may wait for a
        // user then.
        ui::SetFileDialogHandler([](ui::TFileDialogRequest&) { return false; });
    }
    void TearDown() override {
        ui::SetFileDialogHandler({});
        trace::SetObserver({});
        ::WritePrivateProfileStringW(L"LastINI", L"Path", L"", (vt::BinDir() + L"AudioConfig.cfg").c_str());
        MainWindow::TearDown();
    }

    std::vector<WORD> Preset(int n) const {
        EQ_PARAMS p{};
        GetEQParamsFromImage(EQPresetOffset(n), p, form->ConfigImage);
        return std::vector<WORD>(p.wGain, p.wGain + 5);
    }
    void SetPreset(int n, const std::vector<WORD>& gains) {
        EQ_PARAMS p{};
        GetEQParamsFromImage(EQPresetOffset(n), p, form->ConfigImage);
        for (int b = 0; b < 5; ++b) p.wGain[b] = gains[static_cast<size_t>(b)];
        SetEQParamsToImage(EQPresetOffset(n), p, form->ConfigImage);
    }
    std::string Layout71() const {
        std::string out;
        for (const wchar_t* icon : kIcons) {
            ui::TImage* i = form->Image(icon);
            out += std::to_string(i->Left()) + "," + std::to_string(i->Top()) + " ";
        }
        return out;
    }

    // A state that differs from a fresh window's in every saved value.
    void SetUnusualState() {
        const std::vector<WORD> presets[4] = {{0x560, 0x9FF, 0x200, 0x400, 0x5AB},
                                              {0x600, 0x440, 0x3C0, 0x480, 0x4C0},
                                              {0x4C0, 0x400, 0x440, 0x520, 0x500},
                                              {0x300, 0x401, 0x500, 0x4C0, 0x380}};
        for (int n = 1; n <= 4; ++n) SetPreset(n, presets[n - 1]);
        form->m_iEQPreset = 3;
        form->m_bEQEnable = 1;
        form->m_bEQFromEEPROM = 1;
        form->m_3DParameters.byLeftAlpha = 2;
        form->m_3DParameters.byLeftBeta = 13;
        form->m_3DParameters.byRightAlpha = 14;
        form->m_3DParameters.byRightBeta = 1;
        form->m_bFBM = 0;
        form->m_b3DEnable = 1;
        form->m_b3DFromEEPROM = 1;
        form->m_iEffect = 4;
        form->m_b7ch1Enable = 1;
        for (int i = 0; i < kSpeakerCount; ++i) {
            ui::TImage* icon = form->Image(kIcons[i]);
            icon->SetLeft(icon->Left() + 3 + i);
            icon->SetTop(icon->Top() - 2 - i);
        }
        form->m_bLEDOn = 0;
        form->m_iLEDEffectMode = 1;
        form->m_iLEDBreatheSpeed = 37;
        form->m_iLEDRainbowSpeed = 200;
        form->m_iLEDMultiBreatheSpeed = 9;
        form->m_iLEDBreatheSliderPos = form->Image(L"ColorBreatheBarImage")->Left() + 5;
        form->m_iLEDRainbowSliderPos = form->Image(L"ColorRainbowBarImage")->Left() + 6;
        form->m_iLEDMultiBreatheSliderPos = form->Image(L"ColorPulsatingBarImage")->Left() + 7;
        for (size_t i = 0; i < form->m_LEDColor.size(); ++i) form->m_LEDColor[i] = 0x123400 + static_cast<ui::TColor>(i);
        form->m_iLEDFastRightSide = 1 - form->m_iLEDFastRightSide;
        form->m_bENCEnable = 1;
        form->m_iENCLevel = 17;
        form->m_bTimbrexEnable = 1;
        form->m_iTimbrexEffect = 3;
    }

    // Ends the window and takes away the last profile its shut-down wrote,
    // so the next window starts as a fresh one.
    void CloseFresh() {
        Close();
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
    }

    // The profile of SetUnusualState, saved by a window of its own.
    std::string UnusualProfile(const std::wstring& path, Device device = Device::Present) {
        Build(device);
        SetUnusualState();
        form->SaveProfile(path);
        CloseFresh();
        return vt::ReadFileBytes(path);
    }

    vt::TempDir dir;
};

// ---------------------------------------------------------------- saving

TEST_F(Profiles, AFreshProfileListsItsSectionsAndKeysInTheirOrder) {
    Build(Device::Present);
    SetUnusualState();
    const std::wstring path = dir / L"fresh.ini";
    sim.ClearLog();
    EXPECT_EQ(form->SaveProfile(path), 0);

    const std::string text = vt::ReadFileBytes(path);
    const std::vector<std::string> expected = {
        "[EQ]", "S1", "S2", "S3", "S4", "EQEN", "EQFromEEPROM",
        "[3D]", "LeftAlpha", "LeftBeta", "RightAlpha", "RightBeta", "FBM", "3DEN", "3DFromEEPROM",
        "[Effect]", "CurrentEffect",
        "[Virtual7ch1]", "C", "L", "LS", "LB", "RB", "RS", "SUB", "R", "7ch1EN",
        "[LED]", "LEDON", "LEDPageMode", "LEDOff", "LEDSingleColor", "LEDEffectMode", "LEDBreatheSpeed",
        "LEDRainbowSpeed", "LEDMultiBreatheSpeed", "LEDBreatheSliderPos", "LEDRainbowSliderPos",
        "LEDMultiBreatheSliderPos", "LEDSingleColorRGB", "LEDBreatheColorRGB", "LEDColor1RGB", "LEDColor2RGB",
        "LEDColor3RGB", "LEDColor4RGB", "LEDColor5RGB", "LEDColor6RGB", "LEDColor7RGB", "LEDFastRightSide",
        "[ENC]", "ENCEN", "ENCValue",
        "[Timbrex]", "TimbrexEN", "TimbrexMode"};
    EXPECT_EQ(KeysInOrder(text), expected) << text;

    struct Value {
        const wchar_t* section;
        const wchar_t* key;
        std::wstring text;
    };
    auto place = [&](const wchar_t* icon) {
        ui::TImage* i = form->Image(icon);
        return std::to_wstring(i->Left()) + L"," + std::to_wstring(i->Top());
    };
    const Value values[] = {
        {L"EQ", L"S1", L"0x560,0x9FF,0x200,0x400,0x5AB,1"},
        {L"EQ", L"S2", L"0x600,0x440,0x3C0,0x480,0x4C0,1"},
        {L"EQ", L"S3", L"0x4C0,0x400,0x440,0x520,0x500,1"},
        {L"EQ", L"S4", L"0x300,0x401,0x500,0x4C0,0x380,1"},
        {L"EQ", L"EQEN", L"1"},
        {L"EQ", L"EQFromEEPROM", L"1"},
        {L"3D", L"LeftAlpha", L"2"},
        {L"3D", L"LeftBeta", L"13"},
        {L"3D", L"RightAlpha", L"14"},
        {L"3D", L"RightBeta", L"1"},
        {L"3D", L"FBM", L"0"},
        {L"3D", L"3DEN", L"1"},
        {L"3D", L"3DFromEEPROM", L"1"},
        {L"Effect", L"CurrentEffect", L"4"},
        {L"Virtual7ch1", L"C", place(L"VirtualCImage")},
        {L"Virtual7ch1", L"L", place(L"VirtualLImage")},
        {L"Virtual7ch1", L"SUB", place(L"VirtualSUBImage")},
        {L"Virtual7ch1", L"RB", place(L"VirtualRBImage")},
        {L"Virtual7ch1", L"7ch1EN", L"1"},
        {L"LED", L"LEDON", L"0"},
        {L"LED", L"LEDPageMode", std::to_wstring(form->m_iLEDPageMode)},
        {L"LED", L"LEDEffectMode", L"1"},
        {L"LED", L"LEDBreatheSpeed", L"37"},
        {L"LED", L"LEDMultiBreatheSpeed", L"9"},
        {L"LED", L"LEDRainbowSliderPos", std::to_wstring(form->m_iLEDRainbowSliderPos)},
        {L"LED", L"LEDSingleColorRGB", std::to_wstring(0x123400)},
        {L"LED", L"LEDBreatheColorRGB", std::to_wstring(0x123401)},
        {L"LED", L"LEDColor7RGB", std::to_wstring(0x123408)},
        {L"LED", L"LEDFastRightSide", std::to_wstring(form->m_iLEDFastRightSide)},
        {L"ENC", L"ENCEN", L"1"},
        {L"ENC", L"ENCValue", L"17"},
        {L"Timbrex", L"TimbrexEN", L"1"},
        {L"Timbrex", L"TimbrexMode", L"3"},
    };
    for (const Value& v : values)
        EXPECT_EQ(ReadValue(path, v.section, v.key), v.text) << vt::Narrow(v.section) << " " << vt::Narrow(v.key);

    // Stepping through the presets writes no band register, and the
    // current preset is the working record again.
    const std::vector<std::string> reports = Reports(sim);
    EXPECT_EQ(reports, std::vector<std::string>(reports.size(), "zero"));
    EXPECT_EQ(std::vector<WORD>(form->m_EQParameters.wGain, form->m_EQParameters.wGain + 5), Preset(3));
    EXPECT_EQ(form->m_iEQPreset, 3);
    EXPECT_EQ(form->m_bSavingProfile, 0);
}


// ---------------------------------------------------------------- loading

TEST_F(Profiles, WhatARoundTripReadsBack) {
    const std::wstring path = dir / L"roundtrip.ini";
    Build(Device::Present);
    SetUnusualState();
    form->m_bEQEnable = 0;  // the default profile switches it on
    struct Row {
        const char* name;
        std::function<std::string()> value;
        bool readBack;
    };
    auto words = [](const std::vector<WORD>& g) {
        std::string out;
        for (WORD w : g) out += std::to_string(w) + " ";
        return out;
    };
    const Row rows[] = {
        {"presets S1 to S4",
         [&] { return words(Preset(1)) + words(Preset(2)) + words(Preset(3)) + words(Preset(4)); },
         true},
        {"EQ-EN", [this] { return std::to_string(form->m_bEQEnable); }, true},
        {"EQ from the EEPROM", [this] { return std::to_string(form->m_bEQFromEEPROM); }, true},
        {"3D alpha and beta",
         [this] {
             const D3_PARAMS& p = form->m_3DParameters;
             return std::to_string(p.byLeftAlpha) + " " + std::to_string(p.byLeftBeta) + " " +
                    std::to_string(p.byRightAlpha) + " " + std::to_string(p.byRightBeta);
         },
         false},
        {"FBM", [this] { return std::to_string(form->m_bFBM); }, false},
        {"3D-EN", [this] { return std::to_string(form->m_b3DEnable); }, true},
        {"3D from the EEPROM", [this] { return std::to_string(form->m_b3DFromEEPROM); }, true},
        {"environment effect", [this] { return std::to_string(form->m_iEffect); }, true},
        {"speaker icons", [this] { return Layout71(); }, true},
        {"7.1 switch", [this] { return std::to_string(form->m_b7ch1Enable); }, true},
        {"7.1 switch applied at arrival", [this] { return std::to_string(form->m_iProfile7ch1Enable); },
         true},
        {"LED button", [this] { return std::to_string(form->m_bLEDOn) + vt::Narrow(Shown(L"LEDImage")); }, true},
        {"lighting effect and speeds",
         [this] {
             return std::to_string(form->m_iLEDEffectMode) + " " + std::to_string(form->m_iLEDBreatheSpeed) + " " +
                    std::to_string(form->m_iLEDRainbowSpeed) + " " + std::to_string(form->m_iLEDMultiBreatheSpeed);
         },
         true},
        {"lighting slider places",
         [this] {
             return std::to_string(form->m_iLEDBreatheSliderPos) + " " + std::to_string(form->m_iLEDRainbowSliderPos) +
                    " " + std::to_string(form->m_iLEDMultiBreatheSliderPos);
         },
         true},
        {"lighting colours",
         [this] {
             std::string out;
             for (ui::TColor c : form->m_LEDColor) out += std::to_string(c) + " ";
             return out;
         },
         true},
        {"lighting's fast side", [this] { return std::to_string(form->m_iLEDFastRightSide); }, true},
        {"ENC (the registry's)",
         [this] { return std::to_string(form->m_bENCEnable) + " " + std::to_string(form->m_iENCLevel); },
         false},
        {"voice effect (the registry's)",
         [this] {
             return std::to_string(form->m_bTimbrexEnable) + " " + std::to_string(form->m_iTimbrexEffect);
         },
         false},
        {"profile loaded last", [this] { return vt::Narrow(form->m_LastProfilePath); }, true},
    };
    std::vector<std::string> saved;
    // What loading the file makes these (the LED button shows the state).
    int s = form->m_bLEDOn ? 0 : 1;
    form->ToggleButton(51, s);
    form->m_LastProfilePath = path;
    form->m_iProfile7ch1Enable = form->m_b7ch1Enable;
    for (const Row& r : rows) saved.push_back(r.value());
    form->SaveProfile(path);
    CloseFresh();

    Build(Device::Present);
    form->m_b3DV7ch1Exclusive = 0;  // both switches read back
    std::vector<std::string> fresh;
    for (const Row& r : rows) fresh.push_back(r.value());
    EXPECT_EQ(form->LoadProfile(path), 0);
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        ASSERT_NE(saved[i], fresh[i]) << "the row shows nothing";
        EXPECT_EQ(rows[i].value(), rows[i].readBack ? saved[i] : fresh[i]);
    }
    EXPECT_EQ(form->m_iEQPreset, 1) << "the current preset is the window's own";
}

TEST_F(Profiles, LoadingSendsTheProfileToTheDevice) {
    const std::wstring path = dir / L"device.ini";
    UnusualProfile(path, Device::None);
    struct Case {
        const char* name;
        Device device;
    };
    // In this order: the fixture's devices stay once made.
    for (const Case& c : {Case{"no device", Device::None}, Case{"device present", Device::Present}}) {
        SCOPED_TRACE(c.name);
        Build(c.device);
        form->m_b3DV7ch1Exclusive = 0;
        if (c.device == Device::Present) sim.SetRegister(hid, 0x100, 0x01);
        sim.ClearLog();
        lib->ClearLog();
        form->LoadProfile(path);

        // The library: 3D on, 7.1 on, then the table with its on flag; the
        // 7.1 switch goes to the library with or without a device.
        std::vector<std::string> calls;
        for (const auto& call : lib->Calls())
            if (call.name.find("3D_OnOff") != std::string::npos || call.name.find("Virtual7ch1") != std::string::npos)
                calls.push_back(call.name + (call.args.empty() ? "" : " " + call.args));
        std::vector<std::string> expected = {"DLLKQ_Set3D_OnOff_ById 1 0", "DLLKQ_SetVirtual7ch1_OnOff 1"};
        if (c.device == Device::Present) expected.push_back("DLLKQ_SetVirtual7ch1");
        EXPECT_EQ(calls, expected);
        if (c.device == Device::None) {
            EXPECT_TRUE(sim.OutputReports().empty()) << "nothing is written without a device";
            CloseFresh();
            continue;
        }
        const std::vector<devlibsim::LoggedCall> tables = lib->Calls("DLLKQ_SetVirtual7ch1");
        ASSERT_EQ(tables.size(), 1u);
        ASSERT_EQ(tables[0].bytes.size(), 68u);
        EXPECT_EQ(tables[0].bytes[0], 1) << "the table's on flag";

        // The filter driver: the effect's index, then its switch.
        const std::vector<hidsim::IoctlRecord> ioctls = sim.Ioctls();
        ASSERT_EQ(ioctls.size(), 2u);
        EXPECT_EQ(ioctls[0].code, kSetEffect);
        EXPECT_EQ(ioctls[0].input, std::vector<BYTE>({3, 0, 0, 0}));
        EXPECT_EQ(ioctls[1].code, kEnableEffect);
        EXPECT_EQ(ioctls[1].input, std::vector<BYTE>({1, 0, 0, 0}));

        // The chip: the current preset's gains (S1 here) and the EQ's
        // feature bit.
        const WORD s1[5] = {0x560, 0x9FF, 0x200, 0x400, 0x5AB};
        for (int b = 0; b < 5; ++b) {
            SCOPED_TRACE(b);
            EXPECT_EQ(sim.Register(hid, static_cast<WORD>(0x120 + 2 * b)), s1[b] & 0xFF);
            EXPECT_EQ(sim.Register(hid, static_cast<WORD>(0x121 + 2 * b)) & 0x0F, (s1[b] >> 8) & 0x0F);
        }
        EXPECT_EQ(sim.Register(hid, 0x100), 0x05);
        CloseFresh();
    }
}

TEST_F(Profiles, ThreeDOnTurnsTheProfiles71OffWhenTheyExcludeEachOther) {
    const std::wstring path = dir / L"both.ini";
    UnusualProfile(path);  // 3D and 7.1 both on
    struct Case {
        const char* name;
        int exclusive;
        int v71;
    };
    for (const Case& c : {Case{"exclusive", 1, 0}, Case{"independent", 0, 1}}) {
        SCOPED_TRACE(c.name);
        Build(Device::Present);
        form->m_b3DV7ch1Exclusive = c.exclusive;
        lib->ClearLog();
        form->LoadProfile(path);
        EXPECT_EQ(form->m_b3DEnable, 1);
        EXPECT_EQ(form->m_b7ch1Enable, c.v71);
        EXPECT_EQ(form->m_iProfile7ch1Enable, c.v71);
        EXPECT_EQ(LibraryCalls("DLLKQ_SetVirtual7ch1_OnOff"), std::vector<std::string>({std::to_string(c.v71)}));
        CloseFresh();
    }
}

TEST_F(Profiles, ALightingSectionMovesTheLightsAndItsAbsenceLeavesThem) {
    const std::wstring path = dir / L"lights.ini";
    const std::string text = UnusualProfile(path);
    const size_t led = text.find("[LED]"), enc = text.find("[ENC]");
    struct Case {
        const char* name;
        std::string text;
        bool applied;
    };
    const Case cases[] = {
        {"with its lights", text, true},
        {"without an [LED] section", text.substr(0, led) + text.substr(enc), false},
        {"LEDON not a number", WithLine(text, "LEDON", "LEDON=off"), true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring file = dir / (L"lights" + std::to_wstring(++n) + L".ini");
        WriteProfileText(file, c.text);
        Build(Device::Present);
        const int on = form->m_bLEDOn, speed = form->m_iLEDBreatheSpeed;
        const std::array<ui::TColor, 9> colours = form->m_LEDColor;
        const std::wstring button = Shown(L"LEDImage");
        sim.ClearLog();
        form->LoadProfile(file);
        const bool buttonRead = c.applied && c.text.find("LEDON=0") != std::string::npos;
        EXPECT_EQ(form->m_bLEDOn, buttonRead ? 0 : on);
        EXPECT_EQ(Shown(L"LEDImage"), buttonRead ? L"LedImageUp.png" : button);
        const std::vector<std::string> reports = Reports(sim);
        EXPECT_EQ(std::count(reports.begin(), reports.end(), "other") > 0, buttonRead) << "the LED's GPIO line";
        EXPECT_EQ(form->m_iLEDBreatheSpeed, c.applied ? 37 : speed);
        EXPECT_EQ(form->m_LEDColor[8], c.applied ? 0x123408u : colours[8]);
        CloseFresh();
    }
}

TEST_F(Profiles, EncAndTheVoiceEffectFollowTheRegistryNotTheFile) {
    // The file says off for both; the registry decides.
    const std::wstring path = dir / L"off.ini";
    std::string text = UnusualProfile(path);
    for (const char* line : {"ENCEN=0", "ENCValue=3", "TimbrexEN=0", "TimbrexMode=0"})
        text = WithLine(text, std::string(line).substr(0, std::string(line).find('=')), line);
    WriteProfileText(path, text);
    struct Case {
        const char* name;
        bool encStored;  // the device's EncValueMap value (level 10)
        int enc, level;
        bool encSent;
    };
    const Case cases[] = {
        {"the device's value stored", true, 1, 10, true},
        {"no value stored", false, 0, 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.encStored) WriteSetting(kEncValueMap, kEncValueName, 10);
        else DeleteSetting(kEncValueMap, kEncValueName);
        WriteSetting(kSettings, L"TimbrexEnable", 1);
        WriteSetting(kSettings, L"TimbrexLevel", 24);
        Build(Device::Present);
        form->m_iENCLevel = 5;
        form->m_bTimbrexEnable = 0;
        lib->ClearLog();
        form->LoadProfile(path);
        EXPECT_EQ(form->m_bENCEnable, c.enc);
        EXPECT_EQ(form->m_iENCLevel, c.level);
        EXPECT_EQ(form->m_bTimbrexEnable, c.encStored ? 1 : 0) << "the voice effect comes with ENC only";
        bool encOn = false;
        for (const auto& call : lib->Calls("DLLKQ_AudioCommand"))
            encOn = encOn || (call.bytes.size() > 2 && call.bytes[0] == 4 && call.bytes[1] == 0 && call.bytes[2] == 1);
        EXPECT_EQ(encOn, c.encSent);
        CloseFresh();
    }
}

// ---------------------------------------------------------------- damaged profiles

TEST_F(Profiles, ADamagedProfileStopsAtItsFirstBadKey) {
    const std::wstring good = dir / L"good.ini";
    const std::string text = UnusualProfile(good);
    const std::string nines(300, '9');
    std::string fortyFields = "S1=0x560,0x9FF,0x200,0x400,0x5AB,1";
    for (int i = 6; i < 40; ++i) fortyFields += ",7";
    struct Case {
        const char* name;
        std::string text;
        const wchar_t* badKey;  // named in the error; null: the file loads
        int presetsApplied;     // S1.. taken from the file
        int effect;             // afterwards (the window's own is 1)
        bool effectSent, speakersMoved;
    };
    const Case cases[] = {
        {"S3 missing", WithLine(text, "S3", ""), L"[EQ] S3", 2, 1, false, false},
        {"S2 with five fields", WithLine(text, "S2", "S2=0x600,0x440,0x3C0,0x480,0x4C0"), L"[EQ] S2", 1, 1, false,
         false},
        {"S1 with a 300-character field", WithLine(text, "S1", "S1=" + nines + ",0x400,0x400,0x400,0x400,1"),
         L"[EQ] S1", 0, 1, false, false},
        {"S1 with 40 fields", WithLine(text, "S1", fortyFields), nullptr, 4, 4, true, true},
        {"S4 not a number", WithLine(text, "S4", "S4=0x300,0x401,loud,0x4C0,0x380,1"), L"[EQ] S4", 3, 1, false,
         false},
        {"effect missing", WithLine(text, "CurrentEffect", ""), L"[Effect] CurrentEffect", 4, 1, false, false},
        {"effect 0", WithLine(text, "CurrentEffect", "CurrentEffect=0"), nullptr, 4, 1, true, true},
        {"effect 6", WithLine(text, "CurrentEffect", "CurrentEffect=6"), nullptr, 4, 1, true, true},
        {"effect -1", WithLine(text, "CurrentEffect", "CurrentEffect=-1"), nullptr, 4, 1, true, true},
        {"effect 5", WithLine(text, "CurrentEffect", "CurrentEffect=5"), nullptr, 4, 5, true, true},
        {"7.1 switch empty", WithLine(text, "7ch1EN", "7ch1EN="), L"[Virtual7ch1] 7ch1EN", 4, 4, true, false},
        {"a speaker with one field", WithLine(text, "RS", "RS=300"), L"[Virtual7ch1] RS", 4, 4, true, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = dir / (L"damaged" + std::to_wstring(++n) + L".ini");
        WriteProfileText(path, c.text);
        Build(Device::Present);
        form->m_b3DV7ch1Exclusive = 0;
        const std::vector<WORD> marked(5, 0x777);
        for (int p = 1; p <= 4; ++p) SetPreset(p, marked);
        form->m_iEffect = 1;
        form->m_LastProfilePath.clear();
        const std::string layoutBefore = Layout71();
        sim.ClearLog();
        lib->ClearLog();

        std::wstring error;
        try {
            form->LoadProfile(path);
        } catch (const ui::EConvertError& e) {
            error = e.Message();
        }
        if (c.badKey) {
            EXPECT_NE(error.find(c.badKey), std::wstring::npos) << vt::Narrow(error);
            EXPECT_NE(error.find(path), std::wstring::npos) << vt::Narrow(error);
        } else {
            EXPECT_EQ(error, L"");
        }
        for (int p = 1; p <= 4; ++p) {
            SCOPED_TRACE(p);
            EXPECT_EQ(Preset(p) != marked, p <= c.presetsApplied);
        }
        EXPECT_EQ(lib->Calls("DLLKQ_Set3D_OnOff_ById").empty(), c.presetsApplied < 4) << "3D follows the presets";
        EXPECT_EQ(form->m_iEffect, c.effect);
        EXPECT_EQ(!sim.Ioctls().empty(), c.effectSent);
        for (const hidsim::IoctlRecord& r : sim.Ioctls())
            if (r.code == kSetEffect) EXPECT_EQ(r.input[0], c.effect - 1) << "only an index the driver knows";
        EXPECT_EQ(Layout71() != layoutBefore, c.speakersMoved);
        EXPECT_EQ(form->m_LastProfilePath == path, c.badKey == nullptr);
        CloseFresh();
    }
}

TEST_F(Profiles, SwitchesFromAFileAreOnOrOff) {
    const std::wstring path = dir / L"switches.ini";
    std::string text = UnusualProfile(path);
    text = WithLine(text, "EQEN", "EQEN=2");
    text = WithLine(text, "3DEN", "3DEN=0");
    text = WithLine(text, "7ch1EN", "7ch1EN=-5");
    WriteProfileText(path, text);
    Build(Device::Present);
    lib->ClearLog();
    form->LoadProfile(path);
    EXPECT_EQ(form->m_bEQEnable, 1);
    EXPECT_EQ(form->m_b7ch1Enable, 1);
    EXPECT_EQ(LibraryCalls("DLLKQ_SetVirtual7ch1_OnOff"), std::vector<std::string>({"1"}));
    const std::vector<std::string> eq = LibraryCalls("DLLKQ_SetEQ_OnOff_ById");
    ASSERT_FALSE(eq.empty());
    EXPECT_EQ(eq.back(), "1 0") << "the library is handed on, never another number";
    EXPECT_EQ(lib->Calls("DLLKQ_SetVirtual7ch1").at(0).bytes.at(0), 1) << "the table's on flag";
}

TEST_F(Profiles, GainsFromAFileStayWithinTheSlidersRange) {
    const std::wstring path = dir / L"gains.ini";
    const std::string text = UnusualProfile(path);
    struct Case {
        const char* name;
        const char* field;
        WORD gain;
    };
    const Case cases[] = {
        {"below the range", "0x10", 512},         {"low 16 bits of a large number", "0x10400", 0x400},
        {"above 12 bits", "0x1400", 2559},        {"above the range", "0xC00", 2559},
        {"negative", "-1", 2559},                 {"largest integer", "2147483647", 2559},
        {"within", "0x9FF", 2559},                {"lowest", "512", 512},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring file = dir / (L"gain" + std::to_wstring(++n) + L".ini");
        WriteProfileText(file, WithLine(text, "S1", std::string("S1=") + c.field + ",0x400,0x400,0x400,0x400,1"));
        Build(Device::Present);
        form->LoadProfile(file);
        EXPECT_EQ(Preset(1)[0], c.gain);
        ui::TImage* slider = form->Image(L"EQ60HzSliderImage");
        EXPECT_GE(slider->Top(), form->m_iEQSliderTop);
        EXPECT_LE(slider->Top(), form->m_iEQSliderTop + form->m_iEQSliderHeight);
        EXPECT_EQ(sim.Register(hid, 0x120), c.gain & 0xFF);
        EXPECT_EQ(sim.Register(hid, 0x121) & 0x0F, (c.gain >> 8) & 0x0F);
        CloseFresh();
    }
}

// ---------------------------------------------------------------- the last profile at start-up

TEST_F(Profiles, ADamagedLastProfileLetsTheWindowComeUpAndIsWrittenAnew) {
    const std::wstring good = dir / L"good.ini";
    const std::string text = WithLine(UnusualProfile(good), "EQFromEEPROM", "EQFromEEPROM=0");
    const std::string eqOnly =
        "[EQ]\r\nS1=0x560,0x9FF,0x200,0x400,0x5AB,1\r\nS2=0x600,0x440,0x3C0,0x480,0x4C0,1\r\n"
        "S3=0x4C0,0x400,0x440,0x520,0x500,1\r\nS4=0x300,0x401,0x500,0x4C0,0x380,1\r\nEQEN=1\r\n";
    struct Case {
        const char* name;
        std::string text;
        std::vector<WORD> s1;  // afterwards
    };
    const std::vector<WORD> kitS1 = {0x560, 0x480, 0x400, 0x470, 0x540};  // the default profile's
    const std::vector<WORD> fileS1 = {0x560, 0x9FF, 0x200, 0x400, 0x5AB};
    const Case cases[] = {
        {"cut short inside S3", text.substr(0, text.find("S3=") + 10), fileS1},
        {"only the EQ lines, as an earlier panel wrote it", eqOnly, fileS1},
        {"no profile at all", std::string("\x01\x02\x03 not text \xff", 16), kitS1},
        {"empty", "", kitS1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring last = UserFolder() + L"LastProfile.ini";
        WriteProfileText(last, c.text);
        std::vector<std::wstring> lines;
        trace::SetObserver([&](const std::wstring& line) { lines.push_back(line); });
        std::vector<std::wstring> steps;
        TAudioMainForm::OnStep = [&](const wchar_t* step) { steps.push_back(step); };
        ASSERT_NO_THROW(Build(Device::Present));
        trace::SetObserver({});
        TAudioMainForm::OnStep = nullptr;
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->Visible());
        EXPECT_TRUE(boxes.empty());
        bool told = false;
        for (const std::wstring& line : lines)
            told = told || (line.find(L"LoadLastProfile") != std::wstring::npos &&
                            line.find(L"LastProfile.ini") != std::wstring::npos);
        EXPECT_TRUE(told) << "a debugger line names the damaged file";
        EXPECT_EQ(Preset(1), c.s1) << "what came before the damage stays applied";
        auto after = std::find(steps.begin(), steps.end(), L"LoadLastProfile");
        EXPECT_NE(std::find(after, steps.end(), L"LoadENCState"), steps.end()) << "ENC from the registry";
        EXPECT_NE(std::find(after, steps.end(), L"LoadTimbrexState"), steps.end());

        // The window works, and its shut-down writes the whole profile.
        sim.ClearLog();
        DragBandTo(L"EQ60HzSliderImage", 0);
        EXPECT_EQ(Tail(Reports(sim), 5), (std::vector<std::string>{"sel 0120", "wr ff", "sel 0121", "wr 09", "zero"}));
        Close();
        EXPECT_NE(ReadValue(last, L"Timbrex", L"TimbrexMode"), L"") << "the whole profile";
        EXPECT_EQ(ReadValue(last, L"EQ", L"S1").compare(0, 6, L"0x9FF,"), 0) << vt::Narrow(ReadValue(last, L"EQ", L"S1"));
    }
}

TEST_F(Profiles, TheLastProfileIsLoadedAtStartUp) {
    // Saved at shut-down, read at the next start: over the default profile.
    Build(Device::Present);
    SetUnusualState();
    form->m_iEQPreset = 1;
    form->m_bEQFromEEPROM = form->m_b3DFromEEPROM = 0;  // the file's values alone
    Close();
    ASSERT_TRUE(vt::FileExists(UserFolder() + L"LastProfile.ini"));
    std::vector<std::wstring> steps;
    TAudioMainForm::OnStep = [&](const wchar_t* step) { steps.push_back(step); };
    Build(Device::Present);
    TAudioMainForm::OnStep = nullptr;
    EXPECT_EQ(Preset(1), (std::vector<WORD>{0x560, 0x9FF, 0x200, 0x400, 0x5AB}));
    EXPECT_EQ(Preset(4), (std::vector<WORD>{0x300, 0x401, 0x500, 0x4C0, 0x380}));
    EXPECT_EQ(form->m_iEffect, 4);
    EXPECT_EQ(form->m_bEQEnable, 1);
    EXPECT_EQ(form->m_LastProfilePath, UserFolder() + L"LastProfile.ini");
    EXPECT_EQ(std::find(steps.begin(), steps.end(), L"LoadENCState"), steps.end())
        << "ENC comes from the registry inside the profile's load";
    EXPECT_EQ(sim.Register(hid, 0x120), 0x60);
}

// ---------------------------------------------------------------- the Save and Load buttons

bool IsFolder(const std::wstring& path) {
    DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Profiles, TheSaveButtonNamesTheFileAndRemembersWhereItWent) {
    struct Case {
        const char* name;
        const wchar_t* typed;  // null: the dialog is cancelled
        const wchar_t* savedAs;
    };
    const Case cases[] = {
        {"a name without extension", L"name", L"name.ini"},
        {"with the extension", L"mine.ini", L"mine.ini"},
        {"the extension before another", L"a.ini.bak", L"a.ini.bak"},
        {"upper-case extension", L"A.INI", L"A.INI.ini"},
        {"in a folder named like a profile", L"old.ini.d\\name", L"old.ini.d\\name.ini"},
        {"cancelled", nullptr, nullptr},
    };
    ::CreateDirectoryW((dir / L"old.ini.d").c_str(), nullptr);
    const std::wstring config = vt::BinDir() + L"AudioConfig.cfg";
    const std::wstring folder = UserProfileFolder();
    vt::RemoveTree(folder);
    Build(Device::Present);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::WritePrivateProfileStringW(L"LastINI", L"Path", L"before", config.c_str());
        std::vector<ui::TFileDialogRequest> asked;
        ui::SetFileDialogHandler([&](ui::TFileDialogRequest& r) {
            asked.push_back(r);
            if (!c.typed) return false;
            r.fileName = dir / c.typed;
            return true;
        });
        // Never twice at one place: that would be a double click.
        ClickAt(form->Image(L"Menu1Image"), POINT{4 + 146 * (n++ % 2), 12});
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].save);
        EXPECT_EQ(asked[0].initialDir, folder);
        EXPECT_TRUE(IsFolder(folder)) << "the folder is made";
        EXPECT_EQ(asked[0].filter, L"INI (*.ini)|*.ini");
        if (!c.typed) {
            EXPECT_EQ(ReadValue(config, L"LastINI", L"Path"), L"before");
            continue;
        }
        const std::wstring saved = dir / c.savedAs;
        EXPECT_NE(ReadValue(saved, L"Timbrex", L"TimbrexMode"), L"") << "a whole profile";
        if (std::wstring(c.savedAs) != c.typed) EXPECT_FALSE(vt::FileExists(dir / c.typed));
        EXPECT_EQ(ReadValue(config, L"LastINI", L"Path"), saved);
        EXPECT_EQ(form->SaveDialog->FileName(), saved) << "proposed next time";
    }
}

TEST_F(Profiles, SaveAndLoadNeedTheDeviceAndAChosenFile) {
    // Written here: the fixture's devices stay once made, and the cases
    // without a device come first.
    const std::wstring path = dir / L"chosen.ini";
    WriteProfileText(path, "[EQ]\r\nS1=0x400,0x400,0x400,0x400,0x400,0\r\nS2=0x400,0x400,0x400,0x400,0x400,0\r\n"
                           "S3=0x400,0x400,0x400,0x400,0x400,0\r\nS4=0x400,0x400,0x400,0x400,0x400,0\r\n"
                           "[Effect]\r\nCurrentEffect=2\r\n[Virtual7ch1]\r\nC=1,1\r\nL=1,1\r\nLS=1,1\r\n"
                           "LB=1,1\r\nRB=1,1\r\nRS=1,1\r\nSUB=1,1\r\nR=1,1\r\n7ch1EN=0\r\n");
    struct Case {
        const char* name;
        Device device;
        bool save;
        bool chosen;  // the dialog's answer
        int status;
        bool asked;
    };
    const Case cases[] = {
        {"save without a device", Device::None, true, true, 1, false},
        {"load without a device", Device::None, false, true, 1, false},
        {"save cancelled", Device::Present, true, false, 2, true},
        {"load cancelled", Device::Present, false, false, 2, true},
        {"load", Device::Present, false, true, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring target = c.save ? dir / L"written.ini" : path;
        ::DeleteFileW((dir / L"written.ini").c_str());
        Build(c.device);
        int asked = 0;
        ui::SetFileDialogHandler([&](ui::TFileDialogRequest& r) {
            ++asked;
            r.fileName = target;
            return c.chosen;
        });
        sim.ClearLog();
        lib->ClearLog();
        EXPECT_EQ(c.save ? form->SaveProfileAs() : form->OpenProfile(), c.status);
        EXPECT_EQ(asked, c.asked ? 1 : 0);
        EXPECT_TRUE(boxes.empty());
        EXPECT_FALSE(vt::FileExists(dir / L"written.ini"));
        const bool loaded = !c.save && c.status == 0;
        EXPECT_EQ(form->m_LastProfilePath == path, loaded);
        EXPECT_EQ(lib->Calls("DLLKQ_SetVirtual7ch1_OnOff").empty(), !loaded);
        CloseFresh();
    }
}

TEST_F(Profiles, TheLoadDialogOpensWhereTheLastProfileWasSaved) {
    const std::wstring config = vt::BinDir() + L"AudioConfig.cfg";
    const std::wstring folder = UserProfileFolder();
    struct Case {
        const char* name;
        const wchar_t* lastPath;
        std::wstring initialDir;
    };
    const Case cases[] = {
        {"a file in a folder", L"C:\\x\\y\\p.ini", L"C:\\x\\y"},
        {"a file at the root", L"C:\\p.ini", L"C:"},
        {"a name alone", L"p.ini", L"p.ini"},
        {"a backslash only in front", L"\\p.ini", L"\\p.ini"},
        {"nothing saved yet", L"", folder},
    };
    Build(Device::Present);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::WritePrivateProfileStringW(L"LastINI", L"Path", c.lastPath, config.c_str());
        vt::RemoveTree(folder);
        std::vector<ui::TFileDialogRequest> asked;
        ui::SetFileDialogHandler([&](ui::TFileDialogRequest& r) {
            asked.push_back(r);
            return false;
        });
        ClickAt(form->Image(L"Menu2Image"), POINT{4 + 146 * (n++ % 2), 12});
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_FALSE(asked[0].save);
        EXPECT_EQ(asked[0].initialDir, c.initialDir);
        EXPECT_EQ(asked[0].filter, L"INI (*.ini)|*.ini");
        EXPECT_EQ(IsFolder(folder), c.initialDir == folder) << "made only when it is the one offered";
    }
}

TEST_F(Profiles, TheLoadButtonShowsADamagedFilesErrorAndTheWindowGoesOn) {
    const std::wstring good = dir / L"good.ini";
    const std::wstring damaged = dir / L"damaged.ini";
    WriteProfileText(damaged, WithLine(UnusualProfile(good), "S3", ""));
    const std::wstring config = vt::BinDir() + L"AudioConfig.cfg";
    ::WritePrivateProfileStringW(L"LastINI", L"Path", L"kept", config.c_str());
    Build(Device::Present);
    ui::SetFileDialogHandler([&](ui::TFileDialogRequest& r) {
        r.fileName = damaged;
        return true;
    });
    ClickAt(form->Image(L"Menu2Image"), POINT{4, 12});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"[EQ] S3"), std::wstring::npos) << vt::Narrow(boxes[0].text);
    EXPECT_EQ(Preset(2), (std::vector<WORD>{0x600, 0x440, 0x3C0, 0x480, 0x4C0})) << "S1 and S2 applied";
    EXPECT_EQ(form->Label(L"Menu2Label")->Font().Color(), form->LanguageEntry(L"LabelMenu2").colorUp)
        << "the button is released";
    EXPECT_EQ(ReadValue(config, L"LastINI", L"Path"), L"kept") << "loading does not remember the path";
    sim.ClearLog();
    DragBandTo(L"EQ60HzSliderImage", 0);
    EXPECT_EQ(Tail(Reports(sim), 5), (std::vector<std::string>{"sel 0120", "wr ff", "sel 0121", "wr 09", "zero"}));
}

}  // namespace
