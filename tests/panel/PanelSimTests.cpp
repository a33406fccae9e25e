// VelloPanelSim as a user and a script see it: the panel's own program runs
// against the simulated device from a folder laid out like an installed
// panel; what reaches the device shows in devicelog.txt beside it, and the
// device is unplugged and plugged in again through devicecontrol.txt.
#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "TestSupport.h"

namespace {

constexpr wchar_t kUserFolder[] = L"VelloPanelSimTests";
constexpr DWORD kWaitMs = 30000;

std::wstring AppData() {
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
    return path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

bool StartsWith(const std::string& line, const std::string& head) { return line.compare(0, head.size(), head) == 0; }

// The phantom audio devices the simulation registered in the prefix.
int SimulatedAudioDevices() {
    HDEVINFO set = ::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &data); ++i) {
        wchar_t id[256] = {};
        if (::SetupDiGetDeviceInstanceIdW(set, &data, id, 256, nullptr) &&
            _wcsnicmp(id, L"ROOT\\VELLOPANELSIM\\", 19) == 0)
            ++count;
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return count;
}

class PanelSim : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(vt::CopyTree(vt::BinDir() + L"..\\panelsim", dir.path()));
        ::DeleteFileW((dir / L"devicelog.txt").c_str());
        ::DeleteFileW((dir / L"devicecontrol.txt").c_str());
        ::WritePrivateProfileStringW(L"Install", L"InstallFolderName", kUserFolder,
                                     (dir / L"AudioConfig.cfg").c_str());
        // The 60 Hz band of the first preset flat and the EQ off in the
        // maker's defaults: that band's slider starts at the track's centre.
        ::WritePrivateProfileStringW(L"EQ", L"S1", L"0x400,0x480,0x400,0x470,0x540,0",
                                     (dir / L"DefaultProfile.ini").c_str());
        ::WritePrivateProfileStringW(L"EQ", L"EQEN", L"0", (dir / L"DefaultProfile.ini").c_str());
        // A user who never ran the installer: the panel makes its own copy.
        vt::RemoveTree(AppData() + L"\\" + kUserFolder);
    }
    void TearDown() override {
        if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
        panel.Wait(kWaitMs);
    }

    void Start() {
        ASSERT_TRUE(panel.Start(L"\"" + (dir / L"VelloPanelSim.exe") + L"\" -servicestart", dir.path()));
        window = vt::WaitForWindow(
            panel.pid(), [](HWND w) { return vt::WindowClass(w) == L"TAudioMainForm" && ::IsWindowVisible(w); },
            kWaitMs);
        ASSERT_NE(window, nullptr);
        // Built: the last device step of the construction is in the log.
        ASSERT_TRUE(WaitForLine("ioctl 08232000 01 00 00 00"));
        ::WaitForInputIdle(panel.process(), kWaitMs);
    }

    std::vector<std::string> Log() const { return Lines(vt::ReadFileBytes(dir / L"devicelog.txt")); }

    bool WaitForLine(const std::string& line, size_t from = 0) const {
        DWORD start = ::GetTickCount();
        do {
            std::vector<std::string> log = Log();
            for (size_t i = from; i < log.size(); ++i)
                if (log[i] == line) return true;
            ::Sleep(50);
        } while (::GetTickCount() - start < kWaitMs);
        return false;
    }

    // Waits until lines beginning with these heads follow each other (other
    // lines in between) from line from on.
    bool WaitForLinesInOrder(const std::vector<std::string>& heads, size_t from) const {
        DWORD start = ::GetTickCount();
        do {
            std::vector<std::string> log = Log();
            size_t h = 0;
            for (size_t i = from; i < log.size() && h < heads.size(); ++i)
                if (StartsWith(log[i], heads[h])) ++h;
            if (h == heads.size()) return true;
            ::Sleep(50);
        } while (::GetTickCount() - start < kWaitMs);
        return false;
    }

    // Pixels of the device label's place drawn in the colour of a Language.ini
    // [Main] entry (its text colour).
    int LabelPixels(const wchar_t* entry) const {
        const std::wstring language = dir / L"Language\\1366x768\\English\\Language.ini";
        wchar_t value[256] = {};
        ::GetPrivateProfileStringW(L"Main", entry, L"", value, 256, language.c_str());
        wchar_t text[64] = {}, font[64] = {};
        unsigned colour = 0;
        int size = 0, left = 0, top = 0, width = 0, height = 0;
        if (swscanf(value, L"%63[^,],%u,,%63[^,],%d,%d,%d,%d,%d", text, &colour, font, &size, &left, &top, &width,
                    &height) != 8)
            return -1;
        RECT client{};
        ::GetClientRect(window, &client);
        ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const vt::Capture screen = vt::CaptureScreen(client);
        int count = 0;
        for (int y = top; y < top + height && y < screen.height; ++y)
            for (int x = left; x < left + width && x < screen.width; ++x)
                if (screen.At(x, y) == colour) ++count;
        return count;
    }
    // Waits until the label is drawn in the colour of shown and not in that of gone.
    bool WaitForLabel(const wchar_t* shown, const wchar_t* gone) const {
        DWORD start = ::GetTickCount();
        do {
            if (LabelPixels(shown) > 0 && LabelPixels(gone) == 0) return true;
            ::Sleep(50);
        } while (::GetTickCount() - start < kWaitMs);
        return false;
    }

    // Writes a command for the simulation and waits until it was taken.
    void Control(const char* command) {
        const size_t before = Log().size();
        ASSERT_TRUE(vt::WriteFileBytes(dir / L"devicecontrol.txt", command));
        ASSERT_TRUE(WaitForLine(std::string("sim ") + command, before));
        EXPECT_FALSE(vt::FileExists(dir / L"devicecontrol.txt"));
    }

    // The centre of a control in the window's client area, as the skin
    // lays it out.
    POINT Centre(const wchar_t* section, const wchar_t* key) const {
        const std::wstring skin = dir / L"Skin\\1366x768\\Graphite\\SkinSetting.ini";
        wchar_t value[256] = {};
        ::GetPrivateProfileStringW(section, key, L"", value, 256, skin.c_str());
        int left = 0, top = 0, width = 0, height = 0;
        wchar_t file[64] = {};
        swscanf(value, L"%63[^,],%d,%d,%d,%d", file, &left, &top, &width, &height);
        return POINT{left + width / 2, top + height / 2};
    }

    // Presses at the client point, moves by dy and releases, with the
    // folder's SimPointer (which waits for the panel after each step);
    // returns the log's length before.
    size_t Press(POINT at, int dy) {
        size_t before = Log().size();
        vt::RunResult r = vt::RunDebugged(L"\"" + (dir / L"SimPointer.exe") + L"\" " + std::to_wstring(at.x) + L" " +
                                              std::to_wstring(at.y) + L" " + std::to_wstring(dy),
                                          kWaitMs);
        EXPECT_EQ(r.exitCode, 0u) << "SimPointer";
        return before;
    }
    size_t DragBand(int dy) { return Press(Centre(L"EQ", L"EQ60HzSliderImage"), dy); }

    // The log's HID lines from line from on.
    std::vector<std::string> HidLines(size_t from) const {
        std::vector<std::string> hid;
        std::vector<std::string> log = Log();
        for (size_t i = from; i < log.size(); ++i)
            if (StartsWith(log[i], "hid ")) hid.push_back(log[i]);
        return hid;
    }

    // Waits until the HID lines from line from on end with these.
    bool WaitForReports(const std::vector<std::string>& last, size_t from) const {
        DWORD start = ::GetTickCount();
        do {
            std::vector<std::string> hid = HidLines(from);
            if (hid.size() >= last.size() &&
                std::equal(last.begin(), last.end(), hid.end() - static_cast<long>(last.size())))
                return true;
            ::Sleep(50);
        } while (::GetTickCount() - start < kWaitMs);
        return false;
    }

    // Whether any of the 3D page's pictures shows in the window as it is on
    // the screen: a picture shows when most of its own pixels (those that
    // differ from the window's background picture beneath) are on the screen
    // at its place.
    void ExpectNothingOfThe3DPage(const char* page) const {
        // The kit draws the page's pictures but names none; they lie at the
        // form's own places (the 3D switch's place is every page's first button).
        struct Place {
            const wchar_t* picture;
            int left, top;
        };
        const Place places[] = {
            {L"D3LChannelImage.png", 236, 262},     {L"D3RChannelImage.png", 440, 262},
            {L"D3ConnectionImage.png", 376, 262},   {L"D3AlphaIndepImage.png", 380, 136},
            {L"D3BetaIndepImage.png", 380, 186},    {L"D3FBMImageUp.png", 630, 160},
            {L"D3FBMImageDown.png", 630, 160},      {L"D3ResetImageUp.png", 630, 200},
            {L"D3LAlphaSliderImage.png", 248, 165}, {L"D3LBetaSliderImage.png", 304, 165},
            {L"D3RAlphaSliderImage.png", 452, 165}, {L"D3RBetaSliderImage.png", 508, 165},
            {L"D3LAlphaBarImage.png", 255, 105},    {L"D3RBetaBarImage.png", 515, 105},
            {L"D3LAlphaGraduationImage.png", 234, 105}, {L"D3RBetaGraduationImage.png", 494, 105},
        };
        const std::wstring skin = dir / L"Skin\\1366x768\\Graphite\\";
        const vt::Capture background = vt::ReadPicture(skin + L"MainFormImage.png");
        ASSERT_GT(background.width, 0);
        RECT client{};
        ::GetClientRect(window, &client);
        ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const vt::Capture screen = vt::CaptureScreen(client);
        ASSERT_EQ(screen.width, background.width);
        ASSERT_EQ(screen.height, background.height);
        for (const Place& p : places) {
            const vt::Capture picture = vt::ReadPicture(skin + p.picture);
            ASSERT_GT(picture.width, 0) << vt::Narrow(p.picture);
            int own = 0, shown = 0;
            for (int y = 0; y < picture.height; ++y) {
                for (int x = 0; x < picture.width; ++x) {
                    if (picture.At(x, y) == background.At(p.left + x, p.top + y)) continue;
                    ++own;
                    if (screen.At(p.left + x, p.top + y) == picture.At(x, y)) ++shown;
                }
            }
            ASSERT_GT(own, 0) << vt::Narrow(p.picture) << " is not drawn over the background";
            EXPECT_LT(shown * 2, own) << page << " page: " << vt::Narrow(p.picture) << " shows (" << shown << " of "
                                      << own << " of its pixels)";
        }
    }

    vt::TempDir dir;
    vt::Child panel;
    HWND window = nullptr;
};

TEST_F(PanelSim, TheDeviceIsReadyAndABandDragReachesTheDeviceLog) {
    Start();
    EXPECT_EQ(SimulatedAudioDevices(), 1);
    EXPECT_TRUE(vt::FileExists(AppData() + L"\\" + kUserFolder + L"\\AudioConfig.cfg"));
    RECT r{};
    ::GetWindowRect(window, &r);
    const std::wstring screenshots = vt::BinDir() + L"..\\..\\screenshots\\";
    ::CreateDirectoryW(screenshots.c_str(), nullptr);
    EXPECT_TRUE(vt::CaptureScreenToPng(r, screenshots + L"panelsim-device-ready.png"));

    // 40 pixels up from the flat centre of a 200-pixel track: gain 0x666
    // (0x6xx when the pointer lands a pixel off on a busy machine), after the
    // EQ switch through the library.
    size_t before = DragBand(-40);
    ASSERT_TRUE(WaitForReports({"hid 00 60 21 01 10", "hid 00 60 06 01 20", "hid 00 00 00 00 00"}, before))
        << vt::ReadFileBytes(dir / L"devicelog.txt");
    std::vector<std::string> hid = HidLines(before);
    ASSERT_GE(hid.size(), 5u);
    EXPECT_EQ(hid[hid.size() - 5], "hid 00 60 20 01 10");
    EXPECT_TRUE(StartsWith(hid[hid.size() - 4], "hid 00 60 ")) << hid[hid.size() - 4];
    std::vector<std::string> log = Log();
    auto select = std::find(log.begin() + static_cast<long>(before), log.end(), "hid 00 60 20 01 10");
    EXPECT_NE(std::find(log.begin() + static_cast<long>(before), select, "lib DLLKQ_SetEQ_OnOff_ById 0 0"), select)
        << "the EQ switch goes to the library before the band's registers";

    // Closing the panel resets the chip and ends the simulation.
    before = Log().size();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    window = nullptr;
    DWORD code = 99;
    ASSERT_TRUE(panel.Wait(kWaitMs, &code));
    EXPECT_EQ(code, 0u);
    log = Log();
    const std::vector<std::string> clear = {"hid 00 60 00 01 10", "hid 00 60 00 01 20"};
    EXPECT_NE(std::search(log.begin() + static_cast<long>(before), log.end(), clear.begin(), clear.end()), log.end());
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(StartsWith(log.back(), "sim end")) << log.back();
    EXPECT_EQ(SimulatedAudioDevices(), 0);
}

TEST_F(PanelSim, TheSetupProgramsExitMessageClosesThePanelAsTheUserWould) {
    Start();
    const std::wstring lastProfile = AppData() + L"\\" + kUserFolder + L"\\LastProfile.ini";
    ::DeleteFileW(lastProfile.c_str());
    // A band raised first, so the profile written at the end shows it.
    size_t before = DragBand(-40);
    ASSERT_TRUE(WaitForReports({"hid 00 00 00 00 00"}, before));
    before = Log().size();

    // What VelloSetup and VelloUninstall send before they replace or delete
    // the panel's program file.
    const UINT exitMessage = ::RegisterWindowMessageW(L"WM_Qorv73xxAPP_EXIT");
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, exitMessage, 0, 0, SMTO_NORMAL, 100, &ignored);
    DWORD code = 99;
    ASSERT_TRUE(panel.Wait(kWaitMs, &code)) << "the panel is still running";
    window = nullptr;
    EXPECT_EQ(code, 0u);

    // The shut-down ran: the last profile holds the raised band, the chip's
    // feature register was cleared and the simulation ended in order.
    wchar_t s1[64] = {};
    ::GetPrivateProfileStringW(L"EQ", L"S1", L"", s1, 64, lastProfile.c_str());
    EXPECT_EQ(std::wstring(s1).compare(0, 3, L"0x6"), 0) << vt::Narrow(s1);
    std::vector<std::string> log = Log();
    const std::vector<std::string> clear = {"hid 00 60 00 01 10", "hid 00 60 00 01 20"};
    EXPECT_NE(std::search(log.begin() + static_cast<long>(before), log.end(), clear.begin(), clear.end()), log.end())
        << vt::ReadFileBytes(dir / L"devicelog.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(StartsWith(log.back(), "sim end")) << log.back();
    EXPECT_EQ(SimulatedAudioDevices(), 0);
}

TEST_F(PanelSim, AnEqChangeSurvivesARestart) {
    Start();
    // 40 pixels up from the flat centre: the band's high register gets 6.
    size_t before = DragBand(-40);
    ASSERT_TRUE(WaitForReports({"hid 00 60 21 01 10", "hid 00 60 06 01 20", "hid 00 00 00 00 00"}, before));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    window = nullptr;
    ASSERT_TRUE(panel.Wait(kWaitMs));

    // The next start writes the raised band again: the last profile, read
    // after the maker's defaults, which keep the band flat.
    before = Log().size();
    Start();
    const std::vector<std::string> raised = {"hid 00 60 21 01 10", "hid 00 60 06 01 20"};
    auto written = [&] {
        std::vector<std::string> hid = HidLines(before);
        return std::search(hid.begin(), hid.end(), raised.begin(), raised.end()) != hid.end();
    };
    DWORD start = ::GetTickCount();
    while (!written() && ::GetTickCount() - start < kWaitMs) ::Sleep(50);
    EXPECT_TRUE(written()) << vt::ReadFileBytes(dir / L"devicelog.txt");
    RECT r{};
    ::GetWindowRect(window, &r);
    const std::wstring screenshots = vt::BinDir() + L"..\\..\\screenshots\\";
    ::CreateDirectoryW(screenshots.c_str(), nullptr);
    EXPECT_TRUE(vt::CaptureScreenToPng(r, screenshots + L"panelsim-after-restart.png"));
}

// A click that opens one of the system's file dialogs (the button acts on
// its release, and the modal dialog then holds the panel's thread): the
// dialog's window.
HWND ClickForFileDialog(const vt::Child& panel, HWND window, POINT at) {
    ::ClientToScreen(window, &at);
    ::SetCursorPos(at.x, at.y);
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = ::MulDiv(at.x, 65536, ::GetSystemMetrics(SM_CXSCREEN));
        i.mi.dy = ::MulDiv(at.y, 65536, ::GetSystemMetrics(SM_CYSCREEN));
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    ::SendInput(2, in, sizeof(INPUT));
    HWND dialog = vt::WaitForWindow(
        panel.pid(), [](HWND w) { return vt::WindowClass(w) == L"#32770" && ::IsWindowVisible(w); }, kWaitMs);
    if (dialog) ::WaitForInputIdle(panel.process(), kWaitMs);
    return dialog;
}

// Types a name into the file dialog's name box and presses its OK button.
void ChooseInFileDialog(HWND dialog, const std::wstring& name) {
    HWND box = ::GetDlgItem(dialog, 0x47C);  // the name combo box
    if (!box) box = ::GetDlgItem(dialog, 0x480);  // the name edit box
    ASSERT_NE(box, nullptr) << "the dialog has no name box";
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(PanelSim, SaveAndLoadGoThroughTheSystemsFileDialogs) {
    Start();
    size_t before = DragBand(-40);
    ASSERT_TRUE(WaitForReports({"hid 00 60 21 01 10", "hid 00 60 06 01 20", "hid 00 00 00 00 00"}, before));

    // Save: a name typed without extension is saved with ".ini" and
    // remembered in the program's settings.
    HWND dialog = ClickForFileDialog(panel, window, Centre(L"Main", L"Menu1ImageUp"));
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    ChooseInFileDialog(dialog, dir / L"mine");
    const std::wstring saved = dir / L"mine.ini";
    auto value = [](const std::wstring& file, const wchar_t* section, const wchar_t* key) {
        wchar_t text[256] = {};
        ::GetPrivateProfileStringW(section, key, L"", text, 256, file.c_str());
        return std::wstring(text);
    };
    DWORD start = ::GetTickCount();
    while (value(saved, L"Timbrex", L"TimbrexMode").empty() && ::GetTickCount() - start < kWaitMs) ::Sleep(50);
    ASSERT_NE(value(saved, L"Timbrex", L"TimbrexMode"), L"") << "the whole profile is written";
    EXPECT_FALSE(vt::FileExists(dir / L"mine"));
    EXPECT_EQ(value(saved, L"EQ", L"S1").compare(0, 3, L"0x6"), 0)
        << "the raised band: " << vt::Narrow(value(saved, L"EQ", L"S1"));
    EXPECT_EQ(value(dir / L"AudioConfig.cfg", L"LastINI", L"Path"), saved);

    // Load: the file changed by hand reaches the device.
    ::WritePrivateProfileStringW(L"EQ", L"S1", L"0x500,0x480,0x400,0x470,0x540,1", saved.c_str());
    ::WritePrivateProfileStringW(L"Effect", L"CurrentEffect", L"3", saved.c_str());
    before = Log().size();
    dialog = ClickForFileDialog(panel, window, Centre(L"Main", L"Menu2ImageUp"));
    ASSERT_NE(dialog, nullptr) << "no open dialog";
    ChooseInFileDialog(dialog, saved);
    EXPECT_TRUE(WaitForLine("ioctl 08232008 02 00 00 00", before)) << "the effect's index";
    const std::vector<std::string> band = {"hid 00 60 21 01 10", "hid 00 60 05 01 20"};
    const std::vector<std::string> hid = HidLines(before);
    EXPECT_NE(std::search(hid.begin(), hid.end(), band.begin(), band.end()), hid.end())
        << vt::ReadFileBytes(dir / L"devicelog.txt");
}

TEST_F(PanelSim, TheWindowIsDraggedByItsLogo) {
    Start();
    RECT before{}, after{};
    ::GetWindowRect(window, &before);
    Press(Centre(L"Main", L"LogoImage"), 60);
    ::GetWindowRect(window, &after);
    EXPECT_EQ(after.top - before.top, 60);
    EXPECT_EQ(after.left, before.left);
}

TEST_F(PanelSim, TheSoundFieldButtonsReachTheDeviceLog) {
    Start();
    auto linesFrom = [this](size_t from, const std::string& head) {
        std::vector<std::string> found;
        std::vector<std::string> log = Log();
        for (size_t i = from; i < log.size(); ++i)
            if (StartsWith(log[i], head)) found.push_back(log[i]);
        return found;
    };
    // 3D on: the library's switch and the chip's 3D registers.
    size_t before = Press(Centre(L"EQ", L"EQ3DENImageUp"), 0);
    EXPECT_TRUE(WaitForLine("lib DLLKQ_Set3D_OnOff_ById 1 0", before));
    EXPECT_TRUE(WaitForLine("hid 00 60 cd 01 10", before)) << "register 0x1CD";

    // An environment effect: the filter driver's index, then its switch.
    Press(Centre(L"Main", L"PageEffectUpImage"), 0);
    before = Press(Centre(L"Effect", L"EffectButtonTheaterImageUp"), 0);
    ASSERT_TRUE(WaitForLine("ioctl 08232000 01 00 00 00", before));
    EXPECT_EQ(linesFrom(before, "ioctl "),
              std::vector<std::string>({"ioctl 08232008 01 00 00 00", "ioctl 08232000 01 00 00 00"}));

    // 7.1 on: the table with its on flag; 3D goes off (the kit makes them
    // exclude each other).
    Press(Centre(L"Main", L"PageVirtual7p1UpImage"), 0);
    before = Press(Centre(L"Virtual7ch1", L"VirtualEnableImageUp"), 0);
    EXPECT_TRUE(WaitForLine("lib DLLKQ_SetVirtual7ch1_OnOff 1", before));
    EXPECT_TRUE(WaitForLine("lib DLLKQ_Set3D_OnOff_ById 0 0", before));
    const std::string table = "lib DLLKQ_SetVirtual7ch1 : 01 00 00 00 ";
    DWORD start = ::GetTickCount();
    while (linesFrom(before, table).empty() && ::GetTickCount() - start < kWaitMs) ::Sleep(50);
    ASSERT_EQ(linesFrom(before, table).size(), 1u);
    EXPECT_EQ(linesFrom(before, table)[0].size(), table.size() + 64 * 3 - 1) << "68 bytes";

    // Turning: a new table at every step.
    before = Press(Centre(L"Virtual7ch1", L"VirtualClockwiseUpImage"), 0);
    start = ::GetTickCount();
    while (linesFrom(before, table).size() < 10 && ::GetTickCount() - start < kWaitMs) ::Sleep(50);
    std::vector<std::string> tables = linesFrom(before, table);
    ASSERT_GE(tables.size(), 10u);
    EXPECT_NE(tables.front(), tables.back()) << "the angles turn";
    RECT r{};
    ::GetWindowRect(window, &r);
    const std::wstring screenshots = vt::BinDir() + L"..\\..\\screenshots\\";
    ::CreateDirectoryW(screenshots.c_str(), nullptr);
    EXPECT_TRUE(vt::CaptureScreenToPng(r, screenshots + L"panelsim-soundfield.png"));
    Press(Centre(L"Virtual7ch1", L"VirtualClockwiseUpImage"), 0);
}

TEST_F(PanelSim, TheLightingChoicesAndAColourReachTheDeviceLog) {
    Start();
    // The first connection announced the seven slots and sent their colours.
    EXPECT_TRUE(WaitForLine("lib DLLKQ_SetRGB_Step_ById 3A 7 50 0"));
    EXPECT_TRUE(WaitForLine("lib DLLKQ_SetRGB_Color_ById 3A 1 7 0 255 0 50 0"));
    Press(Centre(L"Main", L"PageLEDUpImage"), 0);
    struct Case {
        const wchar_t* check;
        std::vector<std::string> lines;
    };
    // Speeds and the breathe colour as the maker's DefaultProfile.ini sets
    // them (128; 0xFFB000).
    const Case cases[] = {
        {L"ColorRainbowCheckUpImage",
         {"lib DLLKQ_SetRGB_Color_ById 3A 1 1 9 240 247 50 0", "lib DLLKQ_SetRGB_Color_ById 3A 1 6 245 10 245 50 0",
          "lib DLLKQ_SetRGB_Mode_ById 3A 0 5 128 50 0"}},
        {L"ColorBreatheCheckUpImage",
         {"lib DLLKQ_SetRGB_SingleColor_ById 3A 1 4 0 176 255 50 0", "lib DLLKQ_SetRGB_Mode_ById 3A 0 4 128 50 0"}},
        {L"ColorPulsatingCheckUpImage",
         {"lib DLLKQ_SetRGB_Color_ById 3A 1 2 255 255 0 50 0", "lib DLLKQ_SetRGB_Mode_ById 3A 0 6 128 50 0"}},
        {L"ColorSingleCheckUpImage",
         {"lib DLLKQ_SetRGB_Mode_ById 3A 0 2 0 50 0", "lib DLLKQ_SetRGB_SingleColor_ById 3A 1 2 255 0 0 50 0"}},
        {L"ColorLEDOffCheckUpImage", {"lib DLLKQ_SetRGB_Mode_ById 3A 0 1 1 50 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.check));
        const size_t before = Press(Centre(L"LED", c.check), 0);
        for (const std::string& line : c.lines) EXPECT_TRUE(WaitForLine(line, before)) << line;
    }

    // The breathe colour: the system's colour dialog opens on the shape's
    // colour, and OK sends it with the breathe mode.
    // (The dialog takes the mouse from the panel, which SimPointer waits for
    // in vain: the press is made here.)
    const size_t before = Log().size();
    POINT at{420 + 14, 276 + 14};
    ::ClientToScreen(window, &at);
    ::SetCursorPos(at.x, at.y);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = ::MulDiv(at.x, 65536, ::GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = ::MulDiv(at.y, 65536, ::GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    ::SendInput(1, &in, sizeof(INPUT));
    HWND dialog = vt::WaitForWindow(
        panel.pid(), [](HWND w) { return vt::WindowClass(w) == L"#32770" && ::IsWindowVisible(w); }, kWaitMs);
    in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &in, sizeof(INPUT));
    ASSERT_NE(dialog, nullptr);
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForLine("lib DLLKQ_SetRGB_SingleColor_ById 3A 1 4 0 176 255 50 0", before));
}

// Values of the installer's settings key, set for a test and put back.
class SettingsForTest {
public:
    static constexpr const wchar_t* kKey = L"SOFTWARE\\Qorv 73xx Software";
    static constexpr const wchar_t* kEncKey = L"SOFTWARE\\Qorv 73xx Software\\EncValueMap";
    SettingsForTest() {
        for (Value& v : values_) v.present = Read(v.key, v.name, v.value);
    }
    ~SettingsForTest() {
        for (const Value& v : values_) {
            if (v.present) Write(v.key, v.name, v.value);
            else ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, v.key, v.name);
        }
    }
    static bool Read(const wchar_t* key, const wchar_t* name, DWORD& value) {
        DWORD size = sizeof(value);
        return ::RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
    }
    static void Write(const wchar_t* key, const wchar_t* name, DWORD value) {
        HKEY h = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) != 0) return;
        ::RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        ::RegCloseKey(h);
    }
    // Waits until the value is the one wanted (the panel writes it right
    // after its library call).
    static bool WaitFor(const wchar_t* key, const wchar_t* name, DWORD wanted) {
        DWORD start = ::GetTickCount(), value = 0;
        do {
            if (Read(key, name, value) && value == wanted) return true;
            ::Sleep(20);
        } while (::GetTickCount() - start < kWaitMs);
        return false;
    }

private:
    struct Value {
        const wchar_t* key;
        const wchar_t* name;
        bool present;
        DWORD value;
    };
    Value values_[3] = {{kEncKey, L"VID_2F7B&PID_731F", false, 0},
                        {kKey, L"TimbrexEnable", false, 0},
                        {kKey, L"TimbrexLevel", false, 0}};
};

TEST_F(PanelSim, EncAndEachVoicePresetReachTheDeviceLogAndTheRegistry) {
    SettingsForTest settings;
    SettingsForTest::Write(SettingsForTest::kEncKey, L"VID_2F7B&PID_731F", 12);
    SettingsForTest::Write(SettingsForTest::kKey, L"TimbrexEnable", 0);
    SettingsForTest::Write(SettingsForTest::kKey, L"TimbrexLevel", 12);
    Start();
    // The first line of a library call from line from on that starts so.
    auto waitForCall = [this](const std::string& head, size_t from) {
        DWORD start = ::GetTickCount();
        do {
            std::vector<std::string> log = Log();
            for (size_t i = from; i < log.size(); ++i)
                if (StartsWith(log[i], head)) return log[i];
            ::Sleep(50);
        } while (::GetTickCount() - start < kWaitMs);
        return std::string();
    };
    const std::string command = "lib DLLKQ_AudioCommand 234 : ";
    auto screenshot = [this](const wchar_t* name) {
        RECT r{};
        ::GetWindowRect(window, &r);
        const std::wstring folder = vt::BinDir() + L"..\\..\\screenshots\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        EXPECT_TRUE(vt::CaptureScreenToPng(r, folder + name));
    };

    // ENC: on at the start, off with its button.
    Press(Centre(L"Main", L"PageENCUpImage"), 0);
    size_t before = Press(Centre(L"ENC", L"ENCFunctionUpImage"), 0);
    EXPECT_NE(waitForCall(command + "04 00 00 00 00 00", before), "") << vt::ReadFileBytes(dir / L"devicelog.txt");

    // The level: the slider (level 12 of the 200-pixel track from 150: top
    // 270) dragged 40 pixels up gives 18, give or take the pointer's pixel.
    before = Press(POINT{330, 278}, -40);
    const std::string parameters = waitForCall("lib DLLKQ_SetEnc_Parameters : ", before);
    ASSERT_NE(parameters, "") << vt::ReadFileBytes(dir / L"devicelog.txt");
    const DWORD level = std::stoul(parameters.substr(std::string("lib DLLKQ_SetEnc_Parameters : ").size() + 8 * 3, 2),
                                   nullptr, 16);
    EXPECT_GE(level, 17u);
    EXPECT_LE(level, 19u);
    EXPECT_TRUE(SettingsForTest::WaitFor(SettingsForTest::kEncKey, L"VID_2F7B&PID_731F", level));
    screenshot(L"panelsim-enc.png");
    ExpectNothingOfThe3DPage("ENC");

    // The voice effect on, then each preset: its shift to the device, its
    // level to the registry.
    Press(Centre(L"Main", L"PageTbxEffectUpImage"), 0);
    before = Press(Centre(L"Timbrex", L"TbxFunctionUpImage"), 0);
    EXPECT_NE(waitForCall(command + "07 00 01 00 00 00", before), "");
    EXPECT_TRUE(SettingsForTest::WaitFor(SettingsForTest::kKey, L"TimbrexEnable", 1));
    struct Preset {
        const wchar_t* picture;
        const char* shift;
        DWORD level;
    };
    for (const Preset& p : {Preset{L"TbxEffect1UpImage", "fd ff", 9}, Preset{L"TbxEffect2UpImage", "07 00", 19},
                            Preset{L"TbxEffect3UpImage", "f6 ff", 2}, Preset{L"TbxEffect4UpImage", "0c 00", 24},
                            Preset{L"TbxEffectNoneUpImage", "00 00", 12}}) {
        SCOPED_TRACE(vt::Narrow(p.picture));
        before = Press(Centre(L"Timbrex", p.picture), 0);
        EXPECT_NE(waitForCall(command + "07 02 01 00 00 00 " + p.shift + " 00 00 00 00", before), "");
        EXPECT_TRUE(SettingsForTest::WaitFor(SettingsForTest::kKey, L"TimbrexLevel", p.level));
        if (p.level == 19) {
            screenshot(L"panelsim-voice.png");
            ExpectNothingOfThe3DPage("voice effect");
        }
    }
}

TEST_F(PanelSim, MicrophoneBoostMuteMonitorAndGainReachTheDeviceLog) {
    Start();
    Press(Centre(L"Main", L"PageMicUpImage"), 0);
    size_t before = Press(Centre(L"Mic", L"MicBoostImageUp"), 0);
    EXPECT_TRUE(WaitForLine("endpoint boost 1", before)) << vt::ReadFileBytes(dir / L"devicelog.txt");
    before = Press(Centre(L"Mic", L"MicMuteImageUp"), 0);
    EXPECT_TRUE(WaitForLine("endpoint mute 1", before));

    // Monitoring: the chip's monitor switch and the endpoint's listen setting.
    before = Press(Centre(L"Mic", L"MicMonitorImageUp"), 0);
    EXPECT_TRUE(WaitForLine("lib DLLKQ_Write_Register_ById 0230 20 0", before));
    EXPECT_TRUE(WaitForLine("endpoint listen 1", before));

    // A click on the gain bar 40 pixels below the top of the kit's track
    // (150, 200 pixels): 80 %, give or take the pointer's pixel.
    before = Press(POINT{470, 150 + 40 + 8}, 0);
    std::string volume;
    DWORD start = ::GetTickCount();
    while (volume.empty() && ::GetTickCount() - start < kWaitMs) {
        std::vector<std::string> log = Log();
        for (size_t i = before; i < log.size(); ++i)
            if (StartsWith(log[i], "endpoint volume ")) volume = log[i];
        ::Sleep(50);
    }
    ASSERT_NE(volume, "") << vt::ReadFileBytes(dir / L"devicelog.txt");
    const int percent = std::stoi(volume.substr(std::string("endpoint volume ").size()));
    EXPECT_GE(percent, 79);
    EXPECT_LE(percent, 81);
    RECT r{};
    ::GetWindowRect(window, &r);
    const std::wstring screenshots = vt::BinDir() + L"..\\..\\screenshots\\";
    ::CreateDirectoryW(screenshots.c_str(), nullptr);
    EXPECT_TRUE(vt::CaptureScreenToPng(r, screenshots + L"panelsim-microphone.png"));

    // Monitoring off undoes both.
    before = Press(Centre(L"Mic", L"MicMonitorImageUp"), 0);
    EXPECT_TRUE(WaitForLine("lib DLLKQ_Write_Register_ById 0230 00 0", before));
    EXPECT_TRUE(WaitForLine("endpoint listen 0", before));
}

// The device's removal and arrival as Windows announces them: the window
// says so, and once the device is back its state goes to it again.
TEST_F(PanelSim, UnplugTakesTheDeviceAwayAndReplugBringsItBack) {
    Start();
    ASSERT_TRUE(WaitForLabel(L"LabelActive", L"LabelUnactive"));
    size_t before = Log().size();
    Control("unplug");
    EXPECT_EQ(SimulatedAudioDevices(), 0);
    EXPECT_TRUE(WaitForLabel(L"LabelUnactive", L"LabelActive")) << "the window still shows the device";
    EXPECT_TRUE(HidLines(before).empty()) << vt::ReadFileBytes(dir / L"devicelog.txt");

    before = Log().size();
    Control("replug");
    EXPECT_EQ(SimulatedAudioDevices(), 1);
    EXPECT_TRUE(WaitForLabel(L"LabelActive", L"LabelUnactive")) << "the window does not show the device again";
    // The device made active and tested with ENC off, then its state sent
    // again: ENC, the equaliser's switch, virtual 7.1, the filter's value.
    EXPECT_TRUE(WaitForLinesInOrder({"sim replug", "lib DLLKQ_SetActive_Device 2F7B 731F",
                                     "lib DLLKQ_AudioCommand 234 : 04 00 00 00 00 00", "lib DLLKQ_SetEnc_Parameters",
                                     "lib DLLKQ_SetVirtual7ch1_OnOff", "lib DLLKQ_SetVirtual7ch1 ",
                                     "lib DLLKQ_SetVirtual7ch1_Scalar", "ioctl 00223028"},
                                    before))
        << vt::ReadFileBytes(dir / L"devicelog.txt");
    before = DragBand(-20);
    EXPECT_TRUE(WaitForLine("hid 00 60 20 01 10", before)) << "the band is written to the device again";
}

}  // namespace

TEST_F(PanelSim, AButtonReportSwitchesItsFunctionOnTheDevice) {
    Start();
    // The kit's lines are active low: line 3 switches 7.1, line 1 the EQ.
    Control("button 00 00 FF 03 00");
    size_t before = Log().size();
    Control("button 00 00 F7 03 00");
    EXPECT_TRUE(WaitForLine("lib DLLKQ_SetVirtual7ch1_OnOff 1", before)) << vt::ReadFileBytes(dir / L"devicelog.txt");
    before = Log().size();
    Control("button 00 00 FF 03 00");
    Control("button 00 00 FD 03 00");
    EXPECT_TRUE(WaitForLine("lib DLLKQ_SetEQ_OnOff_ById 1 0", before)) << vt::ReadFileBytes(dir / L"devicelog.txt");
    std::vector<std::string> log = Log();
    for (size_t i = before; i < log.size(); ++i)
        EXPECT_FALSE(StartsWith(log[i], "lib DLLKQ_SetVirtual7ch1_OnOff")) << "releasing line 3 does nothing";
}
