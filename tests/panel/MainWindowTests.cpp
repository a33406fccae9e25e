// The real main window built in this process on the sample kit, against the
// stand-in device library (beside this program) and the simulated HID and
// filter devices, driven with real mouse input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "DeviceLibControl.h"
#include "HidSimulation.h"
#include "PhantomDevices.h"
#include "TestSupport.h"
#include "panel/AudioMainForm.h"

namespace {

constexpr WORD kVid = 0x2F7B;
constexpr WORD kPid = 0x731F;
constexpr wchar_t kUserFolder[] = L"VelloMainWindowTests";

void Pump(DWORD ms) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        ui::Application->ProcessMessages();
        ::Sleep(2);
    }
}

void SendAt(POINT p, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = ::MulDiv(p.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = ::MulDiv(p.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof(INPUT));
}

std::wstring AppData() {
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
    return path;
}

std::wstring UserFolder() { return AppData() + L"\\" + kUserFolder + L"\\"; }

void ReplaceInFile(const std::wstring& path, const std::string& from, const std::string& to) {
    std::string text = vt::ReadFileBytes(path);
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    vt::WriteFileBytes(path, text);
}

// A register report decoded: "sel 0120", "wr ff", "zero" or the raw bytes.
std::string Decode(const std::vector<BYTE>& r) {
    char text[32];
    bool zero = true;
    for (BYTE b : r) zero = zero && b == 0;
    if (zero) return "zero";
    if (r.size() > 4 && r[1] == 0x60 && r[4] == 0x10) {
        std::snprintf(text, sizeof(text), "sel %02x%02x", r[3], r[2]);
        return text;
    }
    if (r.size() > 4 && r[1] == 0x60 && r[4] == 0x20) {
        std::snprintf(text, sizeof(text), "wr %02x", r[2]);
        return text;
    }
    return "other";
}

std::vector<std::string> Reports(const hidsim::Simulation& sim) {
    std::vector<std::string> out;
    for (const auto& r : sim.OutputReports()) out.push_back(Decode(r.bytes));
    return out;
}

std::vector<std::string> Tail(const std::vector<std::string>& all, size_t n) {
    return all.size() < n ? all : std::vector<std::string>(all.end() - static_cast<long>(n), all.end());
}

struct Box {
    std::wstring text, caption;
};

enum class Device { None, HidOnly, Present };

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The kit beside this program, made this program's own: its per-user
        // folder, and the slider track of the default skin layout.
        const std::wstring dir = vt::BinDir();
        ReplaceInFile(dir + L"AudioConfig.cfg", "InstallFolderName=Vello Audio",
                      "InstallFolderName=" + vt::Narrow(kUserFolder));
        for (const wchar_t* res : {L"", L"1366x768\\", L"1920x1080\\", L"960x540\\"})
            ReplaceInFile(dir + L"Skin\\" + res + L"Graphite\\SkinSetting.ini", "EQSlider=150,200",
                          "EQSlider=200,120");
    }

    void SetUp() override {
        lib = std::make_unique<devlibsim::LibraryControl>(vt::BinDir());
        ASSERT_TRUE(lib->ok());
        lib->Reset();
        ::CreateDirectoryW(UserFolder().c_str(), nullptr);
        ASSERT_TRUE(vt::WriteFileBytes(UserFolder() + L"AudioConfig.cfg",
                                       "[Language]\r\nDefaultLanguage=English\r\n[Skin]\r\nDefaultSkin=Graphite\r\n"));
        ::CopyFileW((vt::BinDir() + L"DefaultProfile.ini").c_str(), (UserFolder() + L"DefaultProfile.ini").c_str(),
                    FALSE);
        ::DeleteFileW((UserFolder() + L"LastProfile.ini").c_str());
    }

    void TearDown() override {
        SendAt(Cursor(), MOUSEEVENTF_LEFTUP);
        TAudioMainForm::OnStep = nullptr;
        Close();
    }

    // Ends the window (its shut-down runs) and the application.
    void Close() {
        if (form) form->Free();
        form = nullptr;
        app.reset();
    }

    // Makes the devices present that the case needs and builds the window.
    void Build(Device device) {
        if (device != Device::None && hid < 0) {
            ASSERT_NE(phantoms.Add({L"USB\\VID_2F7B&PID_731F&REV_0100&MI_00"}), L"");
            hid = sim.AddHidDevice({kVid, kPid});
        }
        if (device == Device::Present) sim.AddFilterDevice(kVid, kPid);
        app = std::make_unique<ui::TApplication>();
        app->SetMessageBoxHandler([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
            boxes.push_back(Box{text, caption});
            return IDOK;
        });
        app->CreateForm(form);
        form->Show();
        form->BringToFront();
        ::SetForegroundWindow(form->Handle());
        Pump(100);
        sim.ClearLog();
        lib->ClearLog();
        boxes.clear();
    }

    static POINT Cursor() {
        POINT p;
        ::GetCursorPos(&p);
        return p;
    }
    POINT Centre(ui::TControl* c) const {
        return form->ClientToScreen(POINT{c->Left() + c->Width() / 2, c->Top() + c->Height() / 2});
    }
    void MoveTo(POINT p) {
        ::SetCursorPos(p.x, p.y);
        SendAt(p, 0);
        Pump(30);
    }
    void Click(ui::TControl* c) {
        MoveTo(Centre(c));
        SendAt(Centre(c), MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        SendAt(Centre(c), MOUSEEVENTF_LEFTUP);
        Pump(30);
    }
    // Presses on the control, moves the cursor by dy and releases.
    void Drag(ui::TControl* c, int dy) {
        POINT from = Centre(c);
        MoveTo(from);
        SendAt(from, MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        POINT to{from.x, from.y + dy};
        MoveTo(to);
        SendAt(to, MOUSEEVENTF_LEFTUP);
        Pump(30);
    }
    // Drags a band slider so that its top lands at offset below the track top.
    void DragBandTo(const wchar_t* slider, int offset) {
        ui::TImage* s = form->Image(slider);
        Drag(s, form->m_iEQSliderTop + offset - s->Top());
    }
    std::vector<std::string> LibraryCalls(const std::string& name) const {
        std::vector<std::string> out;
        for (const auto& c : lib->Calls(name)) out.push_back(c.args);
        return out;
    }

    vt::PhantomDevices phantoms;
    hidsim::Simulation sim;
    int hid = -1;
    std::unique_ptr<devlibsim::LibraryControl> lib;
    std::unique_ptr<ui::TApplication> app;
    TAudioMainForm* form = nullptr;
    std::vector<Box> boxes;
};

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
        L"ComputeSpeakerTable", L"SendVirtual7ch1", L"ResetMicUI", L"SetDefaultSpeakerLayout",
        L"InitSpeakerLayout", L"ShowBeeImage", L"LoadLastProfile", L"LoadENCState", L"LoadTimbrexState",
        L"InitMultiColorLED", L"CreateGPIOThread"};
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

TEST_F(MainWindow, FlatPresetSendsNoRegisterAndSwitchesTheEQOff) {
    Build(Device::Present);
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

}  // namespace
