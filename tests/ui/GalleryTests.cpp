// The gallery program draws every control; its screenshot (ui_gallery.png
// in the build's bin folder) is kept for a person to look at.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "shared/ScopedWin.h"
#include "ui/Graphics.h"

namespace {

COLORREF PixelOf(const ui::TPicture& picture, int x, int y) {
    win::WindowDc screen(nullptr);
    win::Dc mem(::CreateCompatibleDC(screen.get()));
    win::GdiObject bitmap(::CreateCompatibleBitmap(screen.get(), picture.Width(), picture.Height()));
    win::Select select(mem.get(), bitmap.get());
    RECT r = {0, 0, picture.Width(), picture.Height()};
    picture.Draw(mem.get(), r, false);
    return ::GetPixel(mem.get(), x, y);
}

TEST(Gallery, ScreenshotShowsTheControls) {
    std::wstring shot = vt::BinPath(L"ui_gallery.png");
    ::DeleteFileW(shot.c_str());
    vt::RunResult run = vt::RunDebugged(L"\"" + vt::BinPath(L"ui_gallery.exe") + L"\" --screenshot \"" + shot + L"\"", 60000);
    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(0u, run.exitCode);
    ui::TPicture picture;
    picture.LoadFromFile(shot);
    ASSERT_EQ(760, picture.Width());
    ASSERT_EQ(500, picture.Height());
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    struct Case {
        int x, y;
        COLORREF expected;
        const char* what;
    } cases[] = {
        {20, 124, RGB(200, 0, 0), "BMP picture, left half"},
        {52, 124, RGB(0, 0, 200), "BMP picture, right half"},
        {80, 124, RGB(0, 160, 0), "PNG picture inside its circle"},
        {71, 101, face, "PNG picture outside its circle: the form"},
        {152, 124, RGB(128, 0, 128), "ICO picture"},
        {320, 124, RGB(255, 0, 255), "EMF picture"},
        {380, 124, RGB(96, 96, 96), "WMF picture"},
        {425, 110, RGB(255, 200, 200), "transparent bitmap: its key colour shows the shape below"},
        {460, 110, RGB(0, 0, 160), "transparent bitmap: the rest"},
        {42, 200, RGB(255, 0, 0), "rectangle"},
        {422, 200, RGB(0, 255, 255), "circle"},
        {395, 182, face, "circle's corner"},
        {376, 365, RGB(0, 128, 255), "shape inside the group box"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(uitest::Near(c.expected, PixelOf(picture, c.x, c.y), 2)) << std::hex << PixelOf(picture, c.x, c.y);
    }
}

}  // namespace
