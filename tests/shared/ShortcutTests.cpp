#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "TestSupport.h"
#include "shared/ScopedWin.h"
#include "shared/Shortcuts.h"

namespace {

std::wstring Special(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

// The target path stored in a .lnk file; "" when it cannot be loaded.
std::wstring LinkTarget(const std::wstring& lnk) {
    win::ComInit com;
    win::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())))
        return L"";
    win::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
        FAILED(file->Load(lnk.c_str(), STGM_READ)))
        return L"";
    wchar_t target[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, 0);
    return target;
}

class ShortcutTest : public ::testing::Test {
protected:
    void TearDown() override {
        vt::RemoveTree(programs + L"\\" + unique);
        vt::RemoveTree(programs + L"\\" + unique + L"Up");
        ::DeleteFileW((desktop + L"\\" + unique + L".lnk").c_str());
    }
    const std::wstring unique = L"VelloLinkTest" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring programs = Special(CSIDL_COMMON_PROGRAMS);
    const std::wstring desktop = Special(CSIDL_DESKTOPDIRECTORY);
    const std::wstring target = L"C:\\Program Files\\Vello Audio\\VelloPanel.exe";
};

TEST_F(ShortcutTest, MakesLinksWhereEachMakerPutsThem) {
    ASSERT_FALSE(programs.empty());
    const std::wstring up = unique + L"Up";
    CreateShortcut(unique, target, L"Vello Panel", up);
    CreateShortcut(unique, target, L"Vello Uninstall", L"");
    CreateManualShortcut(unique, L"C:\\Program Files\\Vello Audio\\Manual\\English\\Manual.pdf", L"Manual");
    CreateDesktopShortcut(target, unique);
    const struct {
        const char* name;
        std::wstring lnk;
        std::wstring target;
    } expected[] = {
        {"with upper folder", programs + L"\\" + up + L"\\" + unique + L"\\Vello Panel.lnk", target},
        {"without upper folder", programs + L"\\" + unique + L"\\Vello Uninstall.lnk", target},
        {"manual", programs + L"\\" + unique + L"\\Manual.lnk",
         L"C:\\Program Files\\Vello Audio\\Manual\\English\\Manual.pdf"},
        {"desktop", desktop + L"\\" + unique + L".lnk", target},
    };
    for (const auto& e : expected) {
        EXPECT_TRUE(vt::FileExists(e.lnk)) << e.name;
        EXPECT_EQ(LinkTarget(e.lnk), e.target) << e.name;
    }
}

TEST_F(ShortcutTest, TooLongPathIsSkippedSilently) {
    const std::wstring name(300, L'n');
    CreateShortcut(unique, target, name, L"");
    CreateDesktopShortcut(target, name);
    EXPECT_FALSE(vt::FileExists(programs + L"\\" + unique + L"\\" + name + L".lnk"));
}

}  // namespace
