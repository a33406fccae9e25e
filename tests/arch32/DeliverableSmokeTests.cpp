// The 32-bit deliverables as they ship, each started from a folder that holds
// the sample kit, the program and the stand-in device library, as the
// installer lays them out.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "PictureFixtures.h"
#include "TestSupport.h"

namespace {

// Generous: under an emulated 32-bit Wine a program takes seconds to start.
constexpr DWORD kRunTimeoutMs = 240000;
// How long the window stays on the screen before it is looked at.
constexpr DWORD kSettleMs = 2000;

// A fresh folder with the kit and the given programs from the build, plus
// the per-user copies of the settings the installer makes in %APPDATA%.
class KitFolder {
public:
    explicit KitFolder(std::initializer_list<const wchar_t*> programs) {
        ok_ = vt::CopyTree(vt::BinDir() + L"..\\kit", dir_.path());
        for (const wchar_t* program : programs) ok_ = Copy(program) && ok_;
        ok_ = Copy(L"DLLKQ_UsbAudio73xx_x32.dll") && ok_;
        ok_ = MakeUserFolder() && ok_;
    }
    ~KitFolder() {
        if (!userFolder_.empty()) vt::RemoveTree(userFolder_);
    }
    KitFolder(const KitFolder&) = delete;
    KitFolder& operator=(const KitFolder&) = delete;

    bool ok() const { return ok_; }
    std::wstring operator/(const std::wstring& name) const { return dir_ / name; }

private:
    bool Copy(const wchar_t* name) {
        return ::CopyFileW(vt::BinPath(name).c_str(), (dir_ / name).c_str(), FALSE) != FALSE;
    }
    bool MakeUserFolder() {
        wchar_t name[MAX_PATH] = {};
        ::GetPrivateProfileStringW(L"Install", L"InstallFolderName", L"", name, MAX_PATH,
                                   (dir_ / L"AudioConfig.cfg").c_str());
        wchar_t appData[MAX_PATH] = {};
        if (!name[0] || !::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH)) return false;
        const std::wstring folder = std::wstring(appData) + L"\\" + name;
        if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (!::CreateDirectoryW(folder.c_str(), nullptr)) return false;
            userFolder_ = folder;
        }
        for (const wchar_t* file : {L"AudioConfig.cfg", L"DefaultProfile.ini"})
            if (!::CopyFileW((dir_ / file).c_str(), (folder + L"\\" + file).c_str(), FALSE)) return false;
        return true;
    }

    vt::TempDir dir_;
    std::wstring userFolder_;  // removed at the end when this made it
    bool ok_ = false;
};

// Colours on a grid over the rectangle: a painted skin has many.
size_t ColoursOnScreen(const RECT& r) {
    vt::Capture shot = vt::CaptureScreen(r);
    std::set<COLORREF> colours;
    for (int y = 0; y < shot.height; y += 8)
        for (int x = 0; x < shot.width; x += 8) colours.insert(shot.At(x, y));
    return colours.size();
}

// Started as a plain child (no debugger), as the user starts it.
TEST(DeliverableSmoke, ThePanelShowsItsSkinnedWindowFromAKit) {
    KitFolder kit({L"VelloPanel.exe"});
    ASSERT_TRUE(kit.ok());
    vt::Child panel;
    ASSERT_TRUE(panel.Start(L"\"" + (kit / L"VelloPanel.exe") + L"\" -servicestart", kit / L""));
    const DWORD pid = panel.pid();
    HWND window = vt::WaitForWindow(pid, [&](HWND w) {
        vt::MessageBoxInfo box;
        if (vt::FindMessageBox(pid, box)) {
            ADD_FAILURE() << "message box: " << vt::Narrow(box.text);
            vt::AnswerMessageBox(box.hwnd);
        }
        return vt::WindowClass(w) == L"TAudioMainForm";
    }, kRunTimeoutMs);
    ASSERT_NE(window, nullptr) << "no main window";
    ::Sleep(kSettleMs);

    BOOL wow64 = FALSE;
    EXPECT_TRUE(::IsWow64Process(panel.process(), &wow64));
    EXPECT_TRUE(wow64) << "the panel runs as a 32-bit program under WOW64";
    RECT box{};
    EXPECT_NE(::GetWindowRgnBox(window, &box), ERROR) << "the skin's region shapes the window";
    EXPECT_GT(box.right - box.left, 200);
    EXPECT_NE(::GetWindowLongW(window, GWL_STYLE) & WS_CAPTION, static_cast<LONG>(WS_CAPTION));
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    EXPECT_GT(ColoursOnScreen(bounds), 8u) << "the skin's pictures are painted";
    const std::wstring screenshots = vt::BinDir() + L"..\\screenshots\\";
    ::CreateDirectoryW(screenshots.c_str(), nullptr);
    EXPECT_TRUE(vt::CaptureScreenToPng(bounds, screenshots + L"arch32-panel.png"));

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(panel.Wait(kRunTimeoutMs, &code)) << "the panel ends when its window closes";
    EXPECT_EQ(code, 0u);
}

}  // namespace
