// VelloPanel's start-up, run as a real process: the service hand-off, the
// user-interface switches, the single copy and the application icon.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "shared/ServiceControl.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;

bool IsMainWindow(HWND w) { return vt::WindowClass(w) == L"TAudioMainForm"; }

class PanelStartup : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        service_ = new vt::StandInService(L"VelloService");
    }
    static void TearDownTestSuite() {
        delete service_;
        service_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(service_->registered());
        ASSERT_EQ(ControlTheService(L"VelloService", SERVICE_CONTROL_START), kServiceDone);
        service_->ClearLog();
        ASSERT_TRUE(::CopyFileW(vt::BinPath(L"VelloPanel.exe").c_str(), exe().c_str(), FALSE));
        // The main window needs the device library beside the program.
        ASSERT_TRUE(::CopyFileW(vt::BinPath(L"DLLKQ_UsbAudio73xx_x32.dll").c_str(),
                                (dir / L"DLLKQ_UsbAudio73xx_x32.dll").c_str(), FALSE));
        WriteConfig(L"Vello.ico");
        ASSERT_TRUE(vt::WriteFileBytes(dir / L"Vello.ico", vt::MakeIcoBytes(32, RGB(0, 120, 215))));
    }

    // The sample kit's settings (the main window reads its GPIO, skin and
    // simple-mode keys) with the icon given and no window region, since no
    // skin folder lies beside the program here.
    void WriteConfig(const std::wstring& icon) {
        std::string text = vt::ReadFileBytes(vt::BinDir() + L"..\\kit\\AudioConfig.cfg");
        ASSERT_FALSE(text.empty());
        Replace(text, "InstallIconFileName=Vello.ico", "InstallIconFileName=" + vt::Narrow(icon));
        Replace(text, "RegionCut=1", "RegionCut=0");
        ASSERT_TRUE(vt::WriteFileBytes(dir / L"AudioConfig.cfg", text));
    }
    static void Replace(std::string& text, const std::string& from, const std::string& to) {
        size_t at = text.find(from);
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }

    std::wstring exe(const std::wstring& name = L"VelloPanel.exe") const { return dir / name; }
    std::wstring Command(const std::wstring& args, const std::wstring& name = L"VelloPanel.exe") const {
        return L"\"" + exe(name) + L"\"" + (args.empty() ? L"" : L" " + args);
    }

    // Runs the panel; whenever its main window shows, onWindow decides what to
    // do with it (by default close it). Returns the run and whether it showed.
    vt::RunResult RunPanel(const std::wstring& args, bool* showedWindow = nullptr,
                           const std::function<void(HWND)>& onWindow = {}) {
        bool showed = false;
        vt::RunResult r = vt::RunDebugged(Command(args), kRunTimeoutMs, [&](DWORD pid) {
            for (HWND w : vt::ProcessWindows(pid, true)) {
                if (!IsMainWindow(w) || showed) continue;
                showed = true;
                if (onWindow) onWindow(w);
                ::PostMessageW(w, WM_CLOSE, 0, 0);
            }
        });
        if (showedWindow) *showedWindow = showed;
        return r;
    }

    static vt::StandInService* service_;
    vt::TempDir dir;
};

vt::StandInService* PanelStartup::service_ = nullptr;

TEST_F(PanelStartup, WithoutUserInterfaceSwitchHandsOffToTheService) {
    struct Case {
        const wchar_t* args;
        const wchar_t* logged;
    };
    const Case cases[] = {
        {L"", L"control 193"},
        {L"foo bar", L"control 193"},
        {L"\"\" -servicestar", L"control 193"},
        {L"-boot", L"control 196"},
        {L"-BOOT", L"control 196"},
        {L"x -Boot -servicestart", L"control 196"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.args));
        service_->ClearLog();
        bool showed = true;
        vt::RunResult r = RunPanel(c.args, &showed);
        ASSERT_TRUE(r.started);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_FALSE(showed);
        EXPECT_TRUE(r.HasDebug(L"ControlTheService ret = 0\n")) << vt::Narrow(r.DebugText());
        EXPECT_EQ(service_->Log(), std::vector<std::wstring>{c.logged});
    }
}

TEST_F(PanelStartup, WritesEveryParameterAndTheLoweredArguments) {
    vt::RunResult r = RunPanel(L"Foo -BOOT");
    EXPECT_TRUE(r.HasDebug(L"ParamStr(0) = " + exe() + L"\n")) << vt::Narrow(r.DebugText());
    EXPECT_TRUE(r.HasDebug(L"ParamStr(1) = Foo\n"));
    EXPECT_TRUE(r.HasDebug(L"ParamStr(2) = -BOOT\n"));
    EXPECT_TRUE(r.HasDebug(L"foo"));
    EXPECT_TRUE(r.HasDebug(L"===== Service Control Execution -boot =====\n"));
}

TEST_F(PanelStartup, FirstMatchingSwitchOpensTheWindowAndSendsNothing) {
    bool showed = false;
    vt::RunResult r = RunPanel(L"x -servicestart -boot", &showed);
    EXPECT_TRUE(showed);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(service_->Log().empty());
    EXPECT_FALSE(r.DebugContains(L"ControlTheService"));
    EXPECT_TRUE(r.HasDebug(L"##### InstallIconFileName = Vello.ico\n")) << vt::Narrow(r.DebugText());
}

// Minimised to the tray: iconic, or hidden once it has been shown.
bool IsMinimised(HWND w) { return ::IsIconic(w) || !::IsWindowVisible(w); }

// The state a window settles in within a second or so (the minimise request
// is posted at the first activation).
bool SettlesMinimised(HWND w) {
    for (int i = 0; i < 40; ++i) {
        if (IsMinimised(w)) return true;
        ::Sleep(50);
    }
    return false;
}

TEST_F(PanelStartup, ServiceBootMinimisesAtFirstActivationOnly) {
    struct Case {
        const wchar_t* args;
        bool minimised;
    };
    const Case cases[] = {{L"-serviceboot", true}, {L"-ServiceBoot", false}, {L"-servicestart", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.args));
        vt::Child panel;
        ASSERT_TRUE(panel.Start(Command(c.args)));
        // Shown, or already minimised again by the time we look.
        HWND w = vt::WaitForWindow(
            panel.pid(), [](HWND h) { return IsMainWindow(h) && (::IsWindowVisible(h) || ::IsIconic(h)); },
            kRunTimeoutMs);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(SettlesMinimised(w), c.minimised);
        if (c.minimised) {
            // Restored and activated again, it stays restored.
            HWND app = vt::WaitForWindow(panel.pid(), [](HWND h) { return vt::WindowClass(h) == L"TApplication"; },
                                         kRunTimeoutMs);
            ASSERT_NE(app, nullptr);
            ::PostMessageW(app, WM_SYSCOMMAND, SC_RESTORE, 0);
            for (int i = 0; i < 40 && IsMinimised(w); ++i) ::Sleep(50);
            ASSERT_FALSE(IsMinimised(w)) << "restored";
            ::SetForegroundWindow(w);
            EXPECT_FALSE(SettlesMinimised(w)) << "not minimised at a later activation";
        }
        ::PostMessageW(w, WM_CLOSE, 0, 0);
        DWORD code = 1;
        EXPECT_TRUE(panel.Wait(kRunTimeoutMs, &code));
        EXPECT_EQ(code, 0u);
    }
}

TEST_F(PanelStartup, SecondCopyBringsTheFirstForwardAndEnds) {
    // The first copy runs under another file name, so its title differs:
    // the second copy must find it all the same.
    for (const wchar_t* firstName : {L"VelloPanel.exe", L"RenamedPanel.exe"}) {
        SCOPED_TRACE(vt::Narrow(firstName));
        if (exe(firstName) != exe()) {
            ASSERT_TRUE(::CopyFileW(exe().c_str(), exe(firstName).c_str(), FALSE));
        }
        vt::Child first;
        ASSERT_TRUE(first.Start(Command(L"-servicestart", firstName)));
        HWND w = vt::WaitForWindow(first.pid(), [](HWND h) { return IsMainWindow(h) && ::IsWindowVisible(h); },
                                   kRunTimeoutMs);
        ASSERT_NE(w, nullptr);
        ::ShowWindow(w, SW_MINIMIZE);
        ::Sleep(200);
        ASSERT_TRUE(::IsIconic(w));

        bool showed = false;
        vt::RunResult second = RunPanel(L"-servicestart", &showed);
        EXPECT_FALSE(second.timedOut);
        EXPECT_EQ(second.exitCode, 0u);
        EXPECT_FALSE(showed);
        EXPECT_TRUE(second.DebugContains(L"Another VelloPanel is running"));
        EXPECT_FALSE(second.DebugContains(L"InstallIconFileName")) << "no forms in the second copy";
        EXPECT_FALSE(::IsIconic(w)) << "the first copy is restored";
        EXPECT_TRUE(service_->Log().empty());

        ::PostMessageW(w, WM_CLOSE, 0, 0);
        DWORD code = 1;
        EXPECT_TRUE(first.Wait(kRunTimeoutMs, &code));
        EXPECT_EQ(code, 0u);
    }
}

TEST_F(PanelStartup, WithoutTheDeviceLibraryThePanelEndsAfterItsMessage) {
    ASSERT_TRUE(::DeleteFileW((dir / L"DLLKQ_UsbAudio73xx_x32.dll").c_str()));
    std::vector<std::wstring> boxes;
    vt::RunResult r = vt::RunDebugged(Command(L"-servicestart"), kRunTimeoutMs, [&](DWORD pid) {
        vt::MessageBoxInfo found;
        if (vt::FindMessageBox(pid, found)) {
            boxes.push_back(found.text);
            vt::AnswerMessageBox(found.hwnd);
            ::Sleep(200);
        }
    });
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), L"***** Open_DLLKQ_UsbAudio73xx, ret = 1 *****");
    EXPECT_TRUE(r.HasDebug(L"***** Open_DLLKQ_UsbAudio73xx, ret = 1 *****")) << vt::Narrow(r.DebugText());
}

TEST_F(PanelStartup, MissingIconShowsTheErrorAndCreatesNoForm) {
    struct Case {
        const wchar_t* name;
        const wchar_t* iconValue;  // nullptr: key missing
    };
    const Case cases[] = {{L"missing file", L"absent.ico"}, {L"key missing", nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.name));
        if (c.iconValue) {
            WriteConfig(c.iconValue);
        } else {
            ASSERT_TRUE(vt::WriteFileBytes(dir / L"AudioConfig.cfg", "[Install]\r\n"));
        }
        vt::MessageBoxInfo box;
        bool sawMainWindow = false;
        vt::RunResult r = vt::RunDebugged(Command(L"-servicestart"), kRunTimeoutMs, [&](DWORD pid) {
            for (HWND w : vt::ProcessWindows(pid, false)) sawMainWindow |= IsMainWindow(w);
            vt::MessageBoxInfo found;
            if (!box.hwnd && vt::FindMessageBox(pid, found)) {
                box = found;
                vt::AnswerMessageBox(found.hwnd);
            }
        });
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0u);
        ASSERT_NE(box.hwnd, nullptr) << "an error box";
        EXPECT_NE(box.text.find(L"Cannot open file"), std::wstring::npos) << vt::Narrow(box.text);
        EXPECT_EQ(box.caption, L"VelloPanel");
        EXPECT_FALSE(sawMainWindow);
    }
}

}  // namespace
