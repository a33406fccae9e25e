// ENC, the voice effect and the About box through the real main window: what
// reaches the stand-in library (audio-command blocks, the ENC parameter
// block), what the installer's settings key holds afterwards, the boxes and
// the shell call the About box makes.
#include <cstring>

#include "MainWindowFixture.h"
#include "shared/Registry.h"

namespace {

// An audio-command block as the library received it: its first n bytes.
std::vector<BYTE> Head(const devlibsim::LoggedCall& call, size_t n) {
    return std::vector<BYTE>(call.bytes.begin(), call.bytes.begin() + static_cast<long>(std::min(n, call.bytes.size())));
}

std::vector<std::vector<BYTE>> Blocks(const std::vector<devlibsim::LoggedCall>& calls, size_t n) {
    std::vector<std::vector<BYTE>> out;
    for (const auto& c : calls)
        if (c.name == "DLLKQ_AudioCommand") out.push_back(Head(c, n));
    return out;
}

std::vector<devlibsim::LoggedCall> Named(const std::vector<devlibsim::LoggedCall>& calls, const std::string& name) {
    std::vector<devlibsim::LoggedCall> out;
    for (const auto& c : calls)
        if (c.name == name) out.push_back(c);
    return out;
}

DWORD Setting(const std::wstring& key, const wchar_t* name) {
    DWORD value = 0xDEAD;
    ReadSetting(key, name, value);
    return value;
}

const std::vector<BYTE> kEncOn = {4, 0, 1, 0, 0, 0};
const std::vector<BYTE> kEncOff = {4, 0, 0, 0, 0, 0};
const std::vector<BYTE> kEncReadAll = {4, 8, 0, 0, 0, 0};

class EncAndVoice : public MainWindow {
protected:
    static void SetUpTestSuite() {
        MainWindow::SetUpTestSuite();
        // A level track 150 pixels high (from 150 to 300).
        for (const wchar_t* res : {L"", L"1366x768\\", L"1920x1080\\", L"960x540\\"})
            ReplaceInFile(vt::BinDir() + L"Skin\\" + res + L"Graphite\\SkinSetting.ini", "ENCSlider=150,200",
                          "ENCSlider=150,150");
    }
    // Builds the window as at a start without a last profile (a closed
    // window leaves one).
    void Rebuild(Device device) {
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
        Build(device);
    }
    // The pages as their tabs show them (without a device the tabs show
    // nothing but the warning, so the page is put up the way a tab would).
    void ShowEncPage() { ShowPageOf(L"PageENCLabel", 7); }
    void ShowVoicePage() { ShowPageOf(L"PageTbxEffectLabel", 8); }
    void ShowPageOf(const wchar_t* tab, int page) {
        if (form->m_bDeviceActive) {
            Click(form->Label(tab));
            return;
        }
        form->m_iCurrentPage = page;
        form->ShowPage(page);
        Pump(30);
    }
    // Clicks the control at alternating points, so that clicks in a row are
    // never taken for a double click.
    void ClickAgain(ui::TControl* c) {
        const int x = (clicks_++ % 2) ? c->Width() / 4 : c->Width() * 3 / 4;
        ClickAt(c, POINT{x, c->Height() / 2});
    }
    std::wstring Caption(const wchar_t* label) const { return form->Label(label)->Caption(); }
    // A distinctive ENC parameter block for the device to report.
    void DeviceReportsEncParameters() {
        lib->Edit([](devlibsim::State& s) {
            for (int i = 0; i < 16; ++i) s.audioReply[4][134 + i] = static_cast<BYTE>(0xA0 + i);
        });
    }

private:
    int clicks_ = 0;
};

// ---------------------------------------------------------------- availability

TEST_F(EncAndVoice, TheDevicesEncValueDecidesWhetherEncAndTheVoiceEffectAreOffered) {
    struct Case {
        const char* name;
        Device device;
        const wchar_t* valueName;  // the EncValueMap value there is (null: none)
        bool offered;
    };
    // In this order: the device, once there, stays.
    const Case cases[] = {
        {"no device", Device::None, kEncValueName, false},
        {"the device's value", Device::Present, kEncValueName, true},
        {"no value", Device::Present, nullptr, false},
        {"another device's value only", Device::Present, L"VID_2F7B&PID_731B", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteSetting(kEncValueMap, kEncValueName);
        DeleteSetting(kEncValueMap, L"VID_2F7B&PID_731B");
        if (c.valueName) WriteSetting(kEncValueMap, c.valueName, 10);
        WriteSetting(kSettings, L"TimbrexEnable", 1);
        Rebuild(c.device);
        EXPECT_EQ(form->m_bENCAvailable, c.offered ? 1 : 0);
        const auto blocks = Blocks(constructionCalls, 6);
        if (c.offered) {
            ASSERT_GE(blocks.size(), 2u);
            EXPECT_EQ(blocks[0], kEncOn);
            EXPECT_EQ(blocks[1], kEncReadAll);
        } else {
            EXPECT_TRUE(blocks.empty()) << "nothing of ENC or the voice effect is sent";
        }

        // Every ENC and voice-effect control: inert without a device, the
        // warning when the device does not offer them.
        ShowEncPage();
        const std::vector<ui::TControl*> controls = {form->Image(L"ENCFunctionImage"), form->Label(L"ENCFunctionLabel"),
                                                     form->Image(L"ENCSliderImage")};
        for (ui::TControl* control : controls) {
            SCOPED_TRACE(vt::Narrow(control->Name()));
            boxes.clear();
            lib->ClearLog();
            ClickAgain(control);
            if (c.offered) {
                EXPECT_TRUE(boxes.empty());
                continue;
            }
            EXPECT_TRUE(lib->Calls("DLLKQ_AudioCommand").empty());
            EXPECT_TRUE(lib->Calls("DLLKQ_SetEnc_Parameters").empty());
            if (c.device == Device::None) {
                // Only the slider's press warns that no device is there.
                EXPECT_EQ(boxes.size(), control == form->Image(L"ENCSliderImage") ? 1u : 0u);
                continue;
            }
            ASSERT_EQ(boxes.size(), 1u) << "one box per click";
            EXPECT_EQ(boxes[0].text, L"This function is not available for the connected device.");
            EXPECT_EQ(boxes[0].caption, form->m_Config.InstallAppTitle);
            EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_ICONEXCLAMATION));
        }
        ShowVoicePage();
        for (const wchar_t* name : {L"TbxFunctionImage", L"TbxFunctionLabel", L"TbxEffect2Image", L"TbxEffect3Label"}) {
            SCOPED_TRACE(vt::Narrow(name));
            boxes.clear();
            lib->ClearLog();
            ui::TControl* control = form->Image(name);
            if (!control) control = form->Label(name);
            ClickAgain(control);
            if (c.offered) {
                EXPECT_TRUE(boxes.empty());
                EXPECT_FALSE(lib->Calls("DLLKQ_AudioCommand").empty());
                continue;
            }
            EXPECT_TRUE(lib->Calls("DLLKQ_AudioCommand").empty());
            EXPECT_EQ(boxes.size(), c.device == Device::None ? 0u : 1u);
        }
        if (!c.offered) EXPECT_EQ(Setting(kSettings, L"TimbrexEnable"), 1u) << "the voice effect stays as stored";
        Close();
    }
}

// ---------------------------------------------------------------- ENC level and switch

TEST_F(EncAndVoice, ConnectionSwitchesEncOnWithTheStoredLevel) {
    struct Case {
        const char* name;
        DWORD stored;
        int level;  // used for the slider and the device
    };
    const Case cases[] = {
        {"17", 17, 17}, {"0", 0, 0}, {"30", 30, 30}, {"beyond the range", 45, 30}, {"negative", 0xFFFFFFFF, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSetting(kEncValueMap, kEncValueName, c.stored);
        lib->Reset();
        DeviceReportsEncParameters();
        Rebuild(Device::Present);
        EXPECT_EQ(form->m_bENCEnable, 1);
        EXPECT_EQ(form->m_iENCLevel, c.level);
        EXPECT_EQ(Caption(L"ENCValueLabel"), std::to_wstring(c.level));
        // Top of the track is level 30, its bottom 0 (150 pixels high).
        EXPECT_EQ(form->Image(L"ENCSliderImage")->Top(), 150 + (150 - 5 * c.level));
        // Once for the default profile's load, once for a start without a
        // last profile: both take ENC from the registry.
        const auto params = Named(constructionCalls, "DLLKQ_SetEnc_Parameters");
        ASSERT_EQ(params.size(), 2u);
        std::vector<BYTE> expected(16);
        for (int i = 0; i < 16; ++i) expected[i] = static_cast<BYTE>(0xA0 + i);
        expected[8] = static_cast<BYTE>(c.level);
        expected[9] = expected[10] = expected[11] = 0;
        for (const auto& p : params) EXPECT_EQ(p.bytes, expected) << "the device's block with the level in bytes 8..11";
        EXPECT_EQ(Setting(kEncValueMap, kEncValueName), c.stored) << "the stored value stays until a release";
        Close();
    }
}

TEST_F(EncAndVoice, EveryStartTakesEncAndTheVoiceEffectFromTheRegistry) {
    // The first start leaves a last profile behind; the next start, which
    // loads it, still offers ENC with the stored level and switches it on.
    Build(Device::Present);
    Close();
    ASSERT_TRUE(vt::FileExists(UserFolder() + L"LastProfile.ini"));
    WriteSetting(kEncValueMap, kEncValueName, 23);
    WriteSetting(kSettings, L"TimbrexLevel", 9);
    Build(Device::Present);
    EXPECT_EQ(form->m_bENCAvailable, 1);
    EXPECT_EQ(form->m_iENCLevel, 23);
    EXPECT_EQ(form->m_iTimbrexEffect, 1);
    const auto blocks = Blocks(constructionCalls, 6);
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks[0], kEncOn);
}

TEST_F(EncAndVoice, TheSliderSetsTheLevelAndItsReleaseStoresAndSendsIt) {
    Build(Device::Present);
    ShowEncPage();
    ui::TImage* slider = form->Image(L"ENCSliderImage");
    struct Case {
        const char* name;
        int height;  // of the track (its top at 150)
        int top;     // where the slider is dragged to
        int landsAt;
        int level;
    };
    const Case cases[] = {
        {"top", 150, 150, 150, 30},           {"bottom", 150, 300, 300, 0},
        {"75 pixels below the top", 150, 225, 225, 15}, {"above the track", 150, 120, 150, 30},
        {"below the track", 150, 330, 300, 0}, {"top of a 128-pixel track", 128, 150, 150, 29},
        {"track without height", 0, 200, 150, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->m_iENCSliderHeight = c.height;
        lib->ClearLog();
        Drag(slider, c.top - slider->Top());
        EXPECT_EQ(slider->Top(), c.landsAt);
        EXPECT_EQ(form->m_iENCLevel, c.level);
        EXPECT_EQ(Caption(L"ENCValueLabel"), std::to_wstring(c.level));
        EXPECT_EQ(Setting(kEncValueMap, kEncValueName), static_cast<DWORD>(c.level));
        const auto params = lib->Calls("DLLKQ_SetEnc_Parameters");
        ASSERT_EQ(params.size(), 1u) << "sent once, at the release";
        EXPECT_EQ(params[0].bytes[8], c.level);
        EXPECT_TRUE(lib->Calls("DLLKQ_AudioCommand").empty()) << "the level does not switch ENC";
    }
    form->m_iENCSliderHeight = 150;

    // A release without a move stores the level again.
    WriteSetting(kEncValueMap, kEncValueName, 99);
    Click(slider);
    EXPECT_EQ(Setting(kEncValueMap, kEncValueName), static_cast<DWORD>(form->m_iENCLevel));
}

TEST_F(EncAndVoice, TheEncButtonSwitchesTheDeviceAndSendsTheParameters) {
    Build(Device::Present);
    ShowEncPage();
    struct Case {
        const char* name;
        bool failOnce;  // the first on/off block fails
        int state;      // after the click
        std::vector<std::vector<BYTE>> blocks;
    };
    const Case cases[] = {
        {"off", false, 0, {kEncOff}},
        {"on", false, 1, {kEncOn}},
        {"off, refused once: sent again", true, 0, {kEncOff, kEncOff}},
        {"on, refused once: sent again", true, 1, {kEncOn, kEncOn}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib->ClearLog();
        if (c.failOnce) lib->FailNext("DLLKQ_AudioCommand");
        ClickAgain(form->Image(L"ENCFunctionImage"));
        EXPECT_EQ(form->m_bENCEnable, c.state);
        EXPECT_EQ(Blocks(lib->Calls(), 6), c.blocks);
        ASSERT_EQ(lib->Calls("DLLKQ_SetEnc_Parameters").size(), 1u);
        EXPECT_EQ(Shown(L"ENCFunctionImage"), c.state ? L"ENCFunctionDownImage.png" : L"ENCFunctionUpImage.png");
        const LANGUAGE_ENTRY& colours = form->LanguageEntry(L"LabelEffectNothing");
        EXPECT_EQ(form->Label(L"ENCFunctionLabel")->Font().Color(), c.state ? colours.colorDown : colours.colorUp);
    }
    EXPECT_EQ(Setting(kEncValueMap, kEncValueName), 10u) << "the switch is not stored";

    // ENC off, the device connected again: ENC is on again.
    ClickAgain(form->Image(L"ENCFunctionImage"));
    ASSERT_EQ(form->m_bENCEnable, 0);
    lib->ClearLog();
    form->LoadENCState();
    EXPECT_EQ(form->m_bENCEnable, 1);
    EXPECT_EQ(Blocks(lib->Calls(), 6).front(), kEncOn);
}

// ---------------------------------------------------------------- voice effect

TEST_F(EncAndVoice, EachPresetIsStoredAndSentWithItsShift) {
    Build(Device::Present);
    ShowVoicePage();
    struct Case {
        const wchar_t* button;
        int effect;
        short shift;
        DWORD level;
    };
    const Case cases[] = {
        {L"TbxEffect1Image", 1, -3, 9},  {L"TbxEffect2Image", 2, 7, 19},    {L"TbxEffect3Image", 3, -10, 2},
        {L"TbxEffect4Image", 4, 12, 24}, {L"TbxEffectNoneImage", 0, 0, 12},
    };
    for (bool on : {false, true}) {
        if (on) Click(form->Image(L"TbxFunctionImage"));
        ASSERT_EQ(form->m_bTimbrexEnable, on ? 1 : 0);
        for (const Case& c : cases) {
            SCOPED_TRACE(vt::Narrow(c.button) + (on ? " while on" : " while off"));
            lib->ClearLog();
            Click(form->Image(c.button));
            EXPECT_EQ(form->m_iTimbrexEffect, c.effect);
            EXPECT_EQ(Setting(kSettings, L"TimbrexLevel"), c.level);
            const WORD shift = static_cast<WORD>(c.shift);
            const std::vector<BYTE> block = {7, 2, static_cast<BYTE>(on), 0, 0, 0,
                                             static_cast<BYTE>(shift), static_cast<BYTE>(shift >> 8), 0, 0, 0, 0};
            EXPECT_EQ(Blocks(lib->Calls(), 12), std::vector<std::vector<BYTE>>({block}));
            const std::wstring stem = c.effect ? L"TbxEffect" + std::to_wstring(c.effect) : L"TbxEffectNone";
            EXPECT_EQ(Shown(c.button), stem + L"DownImage.png");
            for (const wchar_t* other : {L"TbxEffectNoneImage", L"TbxEffect1Image", L"TbxEffect2Image",
                                         L"TbxEffect3Image", L"TbxEffect4Image"})
                if (std::wcscmp(other, c.button) != 0)
                    EXPECT_NE(Shown(other).find(L"UpImage"), std::wstring::npos) << vt::Narrow(other);
            EXPECT_EQ(form->m_bTimbrexEnable, on ? 1 : 0) << "choosing an effect leaves the switch";
        }
    }
}

TEST_F(EncAndVoice, TheVoiceSwitchIsStoredAndSentWithThePreset) {
    Build(Device::Present);
    ShowVoicePage();
    Click(form->Image(L"TbxEffect2Image"));
    for (int on : {1, 0}) {
        SCOPED_TRACE(on);
        lib->ClearLog();
        ClickAgain(form->Label(L"TbxFunctionLabel"));
        EXPECT_EQ(Setting(kSettings, L"TimbrexEnable"), static_cast<DWORD>(on));
        EXPECT_EQ(Blocks(lib->Calls(), 10),
                  std::vector<std::vector<BYTE>>({{7, 0, static_cast<BYTE>(on), 0, 0, 0, 0, 0, 0, 0},
                                                  {7, 2, static_cast<BYTE>(on), 0, 0, 0, 7, 0, 0, 0}}));
        EXPECT_EQ(Shown(L"TbxFunctionImage"), on ? L"TbxFunctionDownImage.png" : L"TbxFunctionUpImage.png");
    }
}

TEST_F(EncAndVoice, TheStoredVoiceStateIsAppliedAndWrittenBackAtConnection) {
    struct Case {
        const char* name;
        bool stored;
        DWORD enable, level;
        int effect;
        DWORD enableAfter, levelAfter;
    };
    const Case cases[] = {
        {"effect 2 on", true, 1, 19, 2, 1, 19},       {"effect 3 off", true, 0, 2, 3, 0, 2},
        {"no preset's level", true, 1, 13, 0, 1, 12}, {"nothing stored", false, 0, 0, 0, 0, 12},
        {"on written as 5", true, 5, 24, 4, 1, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stored) {
            WriteSetting(kSettings, L"TimbrexEnable", c.enable);
            WriteSetting(kSettings, L"TimbrexLevel", c.level);
        } else {
            DeleteSetting(kSettings, L"TimbrexEnable");
            DeleteSetting(kSettings, L"TimbrexLevel");
        }
        Rebuild(Device::Present);
        EXPECT_EQ(form->m_iTimbrexEffect, c.effect);
        EXPECT_EQ(form->m_bTimbrexEnable, static_cast<int>(c.enableAfter));
        // The default profile's load and the start without a last profile
        // each send the same four.
        auto blocks = Blocks(constructionCalls, 12);
        ASSERT_EQ(blocks.size(), 8u) << "ENC on, ENC read, voice switch, voice parameters, twice";
        EXPECT_TRUE(std::equal(blocks.begin(), blocks.begin() + 4, blocks.begin() + 4));
        blocks.erase(blocks.begin(), blocks.begin() + 4);
        const WORD shift = static_cast<WORD>(static_cast<int>(c.levelAfter) - 12);
        const BYTE on = static_cast<BYTE>(c.enableAfter);
        EXPECT_EQ(blocks[2], std::vector<BYTE>({7, 0, on, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(blocks[3], std::vector<BYTE>({7, 2, on, 0, 0, 0, static_cast<BYTE>(shift),
                                                static_cast<BYTE>(shift >> 8), 0, 0, 0, 0}));
        EXPECT_EQ(Setting(kSettings, L"TimbrexEnable"), c.enableAfter);
        EXPECT_EQ(Setting(kSettings, L"TimbrexLevel"), c.levelAfter);
        Close();
    }
}

// ---------------------------------------------------------------- rights

// The registry as a user without administrator rights meets it: the
// settings key opens for reading only, nothing under it can be created.
struct StandardUser {
    struct Open {
        std::string call;
        std::wstring path;
        REGSAM rights;
    };
    static std::vector<Open> opens;
    static bool Settings(LPCWSTR path) { return _wcsnicmp(path, L"SOFTWARE\\Qorv 73xx Software", 27) == 0; }
    static LSTATUS WINAPI OpenKey(HKEY root, LPCWSTR path, DWORD options, REGSAM rights, PHKEY key) {
        if (Settings(path)) {
            opens.push_back({"open", path, rights});
            if (rights & ~KEY_READ) return ERROR_ACCESS_DENIED;
        }
        return ::RegOpenKeyExW(root, path, options, rights, key);
    }
    static LSTATUS WINAPI CreateKey(HKEY root, LPCWSTR path, DWORD reserved, LPWSTR keyClass, DWORD options,
                                    REGSAM rights, const LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition) {
        if (Settings(path)) {
            opens.push_back({"create", path, rights});
            return ERROR_ACCESS_DENIED;
        }
        return ::RegCreateKeyExW(root, path, reserved, keyClass, options, rights, security, key, disposition);
    }
};
std::vector<StandardUser::Open> StandardUser::opens;

TEST_F(EncAndVoice, AUserWithoutAdministratorRightsGetsEncAndTheVoiceEffect) {
    WriteSetting(kEncValueMap, kEncValueName, 21);
    WriteSetting(kSettings, L"TimbrexEnable", 1);
    WriteSetting(kSettings, L"TimbrexLevel", 24);
    const RegistryOpenCalls calls = {StandardUser::OpenKey, StandardUser::CreateKey};
    StandardUser::opens.clear();
    InstallRegistryOpenCalls(&calls);
    Build(Device::Present);
    InstallRegistryOpenCalls(nullptr);
    EXPECT_EQ(form->m_bENCAvailable, 1);
    EXPECT_EQ(form->m_iENCLevel, 21);
    EXPECT_EQ(form->m_iTimbrexEffect, 4);
    EXPECT_EQ(form->m_bTimbrexEnable, 1);
    EXPECT_TRUE(boxes.empty());
    int reads = 0;
    for (const auto& o : StandardUser::opens) {
        SCOPED_TRACE(vt::Narrow(o.path));
        if (o.call == "open") {
            ++reads;
            EXPECT_EQ(o.rights, static_cast<REGSAM>(KEY_QUERY_VALUE)) << "reads ask for query rights only";
        } else {
            EXPECT_EQ(o.path, L"SOFTWARE\\Qorv 73xx Software") << "only the voice values are written back";
        }
    }
    EXPECT_EQ(reads, 6) << "EncValueMap, TimbrexEnable, TimbrexLevel, for the default profile and the start";
    EXPECT_EQ(Setting(kEncValueMap, kEncValueName), 21u);
}

// ---------------------------------------------------------------- About box

struct ShellCall {
    std::wstring verb, file;
    bool parameters, folder;
    INT show;
};
std::vector<ShellCall> g_shellCalls;
HINSTANCE WINAPI RecordShellOpen(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, INT show) {
    g_shellCalls.push_back({verb ? verb : L"", file ? file : L"", parameters != nullptr, folder != nullptr, show});
    return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(EncAndVoice, TheAboutBoxShowsTheKitsTextsAndOpensOnlyAddresses) {
    Build(Device::Present);
    app->CreateForm(AboutForm);
    TAboutForm::ShellOpen = RecordShellOpen;
    struct Case {
        const char* name;
        const wchar_t* web;  // LabelWeb (null: the kit's)
        const wchar_t* opened;  // null: nothing
    };
    const Case cases[] = {
        {"the kit's address", nullptr, L"https://www.vello-audio.example"},
        {"mail", L"mailto:info@vello-audio.example", L"mailto:info@vello-audio.example"},
        {"upper-case scheme", L"HTTP://VELLO.EXAMPLE/", L"HTTP://VELLO.EXAMPLE/"},
        {"outside the code page", L"https://vello.example/\x4E16", L"https://vello.example/?"},
        {"a program", L"C:\\Windows\\notepad.exe", nullptr},
        {"no scheme", L"www.vello-audio.example", nullptr},
        {"another scheme", L"file:///C:/Windows/notepad.exe", nullptr},
    };
    const std::wstring kitWeb = form->LanguageEntry(L"LabelWeb").caption;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wcsncpy(form->LanguageEntry(L"LabelWeb").caption, c.web ? c.web : kitWeb.c_str(), 127);
        g_shellCalls.clear();
        std::wstring caption, about, web, logo;
        bool shown = false;
        AboutForm->OnShow = [&](ui::TObject*) {
            form->RunOnMainThread([&] {
                shown = true;
                caption = AboutForm->Caption();
                about = AboutForm->AboutLabel->Caption();
                web = AboutForm->WebLabel->Caption();
                logo = TAudioMainFormAccess::Shown(form, AboutForm->LOGOKQImage);
                ui::TLabel* label = AboutForm->WebLabel;
                POINT p = AboutForm->ClientToScreen(
                    POINT{label->Left() + label->Width() / 2, label->Top() + label->Height() / 2});
                MoveTo(p);
                SendAt(p, MOUSEEVENTF_LEFTDOWN);
                Pump(30);
                SendAt(p, MOUSEEVENTF_LEFTUP);
                Pump(30);
                AboutForm->Close();
            });
        };
        ClickAgain(form->Image(L"Menu3Image"));
        Pump(50);
        ASSERT_TRUE(shown);
        EXPECT_FALSE(AboutForm->Visible());
        EXPECT_EQ(caption, L"About");
        EXPECT_EQ(about, L"Vello Audio Center, version 1.0");
        EXPECT_EQ(web, c.web ? c.web : L"https://www.vello-audio.example");
        EXPECT_EQ(logo, L"AboutLogo.png");
        if (!c.opened) {
            EXPECT_TRUE(g_shellCalls.empty());
            continue;
        }
        ASSERT_EQ(g_shellCalls.size(), 1u);
        EXPECT_EQ(g_shellCalls[0].verb, L"open");
        EXPECT_EQ(g_shellCalls[0].file, c.opened);
        EXPECT_FALSE(g_shellCalls[0].parameters);
        EXPECT_FALSE(g_shellCalls[0].folder);
        EXPECT_EQ(g_shellCalls[0].show, SW_SHOW);
    }
    TAboutForm::ShellOpen = ::ShellExecuteW;
    AboutForm = nullptr;  // the application frees it
}

TEST(SimpleForm, IsBuiltAsDesignedWithTheProgramsVersionAndNeverShown) {
    ui::TApplication app;
    TSimpleForm* simple = nullptr;
    app.CreateForm(simple);
    EXPECT_EQ(simple->Caption(), L"SimpleForm (V2.5.0.7)");
    EXPECT_FALSE(simple->Visible());
    EXPECT_EQ(simple->ClientWidth(), 559);
    EXPECT_EQ(simple->ClientHeight(), 462);
    ASSERT_NE(simple->EffectModeRadioGroup, nullptr);
    EXPECT_EQ(simple->EffectModeRadioGroup->Caption(), L"Mode");
    EXPECT_EQ(simple->EffectModeRadioGroup->Items().Items(),
              std::vector<std::wstring>({L"None", L"Music", L"Game", L"Movie"}));
    EXPECT_EQ(simple->EffectModeRadioGroup->ItemIndex(), 0);
    EXPECT_FALSE(simple->EffectModeRadioGroup->Enabled());
}

}  // namespace
