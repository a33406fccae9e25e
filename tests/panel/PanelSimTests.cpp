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

TEST_F(PanelSim, TheWindowIsDraggedByItsLogo) {
    Start();
    RECT before{}, after{};
    ::GetWindowRect(window, &before);
    Press(Centre(L"Main", L"LogoImage"), 60);
    ::GetWindowRect(window, &after);
    EXPECT_EQ(after.top - before.top, 60);
    EXPECT_EQ(after.left, before.left);
}

TEST_F(PanelSim, UnplugTakesTheDeviceAwayAndReplugBringsItBack) {
    Start();
    Control("unplug");
    EXPECT_EQ(SimulatedAudioDevices(), 0);
    size_t before = DragBand(-40);
    // The EQ button after the drag: its library calls, which do not need
    // the device, show that the panel handled the drag, which reached none.
    Press(Centre(L"EQ", L"EQEQENImageUp"), 0);
    ASSERT_TRUE(WaitForLine("lib DLLKQ_SetEQ_OnOff_ById 1 0", before));
    EXPECT_TRUE(HidLines(before).empty()) << vt::ReadFileBytes(dir / L"devicelog.txt");

    Control("replug");
    EXPECT_EQ(SimulatedAudioDevices(), 1);
    before = DragBand(-20);
    EXPECT_TRUE(WaitForLine("hid 00 60 20 01 10", before)) << "the band is written to the device again";
}

}  // namespace
