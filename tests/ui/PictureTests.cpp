// Pictures loaded from every format the loader knows, drawn and checked by
// their pixels, and the errors of files that cannot be loaded.
#include <gtest/gtest.h>

#include <string>

#include "PictureFixtures.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "shared/ScopedWin.h"
#include "ui/Graphics.h"
#include "ui/SysUtils.h"

namespace {

// Draws the picture at its own size onto white and returns the pixels.
vt::Capture DrawOnWhite(const ui::TPicture& picture, bool transparent) {
    int w = picture.Width(), h = picture.Height();
    win::WindowDc screen(nullptr);
    win::Dc mem(::CreateCompatibleDC(screen.get()));
    win::GdiObject bitmap(::CreateCompatibleBitmap(screen.get(), w, h));
    win::Select select(mem.get(), bitmap.get());
    RECT r = {0, 0, w, h};
    ::FillRect(mem.get(), &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    picture.Draw(mem.get(), r, transparent);
    vt::Capture cap;
    cap.width = w;
    cap.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) cap.pixels.push_back(::GetPixel(mem.get(), x, y));
    return cap;
}

struct FormatCase {
    const wchar_t* file;
    vt::PictureFormat format;
    int tolerance;  // colour difference allowed (lossy formats)
    int sizeSlack;  // metafile sizes go through 0.01 mm units
};

TEST(Picture, LoadsEveryFormatByItsExtension) {
    const FormatCase cases[] = {
        {L"a.bmp", vt::PictureFormat::Bmp, 0, 0},  {L"a.png", vt::PictureFormat::Png, 0, 0},
        {L"a.jpg", vt::PictureFormat::Jpeg, 40, 0}, {L"a.JPEG", vt::PictureFormat::Jpeg, 40, 0},
        {L"a.gif", vt::PictureFormat::Gif, 0, 0},  {L"a.emf", vt::PictureFormat::Emf, 0, 2},
        {L"a.wmf", vt::PictureFormat::Wmf, 0, 2},
    };
    vt::TempDir dir;
    const COLORREF left = RGB(200, 20, 20), right = RGB(20, 20, 200);
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.file));
        std::wstring path = dir / c.file;
        ASSERT_TRUE(vt::WriteTestPicture(path, c.format, 40, 24, left, right));
        ui::TPicture picture;
        int changes = 0;
        picture.OnChange = [&] { ++changes; };
        picture.LoadFromFile(path);
        EXPECT_EQ(1, changes);
        EXPECT_NEAR(40, picture.Width(), c.sizeSlack);
        EXPECT_NEAR(24, picture.Height(), c.sizeSlack);
        vt::Capture cap = DrawOnWhite(picture, false);
        EXPECT_TRUE(uitest::Near(left, cap.At(8, 12), c.tolerance)) << std::hex << cap.At(8, 12);
        EXPECT_TRUE(uitest::Near(right, cap.At(cap.width - 8, 12), c.tolerance)) << std::hex << cap.At(30, 12);
    }
}

TEST(Picture, IconTakesItsLargestImage) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteTestPicture(dir / L"a.ico", vt::PictureFormat::Ico, 32, 32, RGB(0, 128, 0), 0));
    ui::TPicture picture;
    picture.LoadFromFile(dir / L"a.ico");
    EXPECT_EQ(32, picture.Width());
    EXPECT_EQ(32, picture.Height());
    EXPECT_EQ(RGB(0, 128, 0), DrawOnWhite(picture, false).At(16, 16));
}

TEST(Picture, AlphaAndTransparentColourLeaveTheBackground) {
    vt::TempDir dir;
    // PNG with alpha: outside its circle the white beneath stays.
    ASSERT_TRUE(vt::WriteTestPicture(dir / L"alpha.png", vt::PictureFormat::Png, 40, 40, RGB(0, 0, 255),
                                     RGB(0, 0, 255), true));
    ui::TPicture png;
    png.LoadFromFile(dir / L"alpha.png");
    EXPECT_TRUE(png.HasAlpha());
    vt::Capture cap = DrawOnWhite(png, false);
    EXPECT_EQ(RGB(255, 255, 255), cap.At(1, 1));
    EXPECT_EQ(RGB(0, 0, 255), cap.At(20, 20));

    // Bitmap without alpha: the bottom-left colour is left out only when transparent.
    ASSERT_TRUE(vt::WriteTestPicture(dir / L"key.bmp", vt::PictureFormat::Bmp, 40, 40, RGB(0, 255, 0),
                                     RGB(255, 0, 0)));
    ui::TPicture bmp;
    bmp.LoadFromFile(dir / L"key.bmp");
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_EQ(RGB(0, 255, 0), bmp.TransparentColor());
    EXPECT_EQ(RGB(0, 255, 0), DrawOnWhite(bmp, false).At(5, 5));
    EXPECT_EQ(RGB(255, 255, 255), DrawOnWhite(bmp, true).At(5, 5));
    EXPECT_EQ(RGB(255, 0, 0), DrawOnWhite(bmp, true).At(35, 5));
}

TEST(Picture, RaisesTheErrorOfEachUnloadableFile) {
    vt::TempDir dir;
    vt::WriteFileBytes(dir / L"text.png", "this is not a picture");
    vt::WriteFileBytes(dir / L"empty.bmp", "");
    vt::WriteFileBytes(dir / L"short.wmf", "\x01\x02");
    vt::WriteTestPicture(dir / L"picture.xyz", vt::PictureFormat::Png, 4, 4, 0, 0);
    struct Case {
        const wchar_t* file;
        const wchar_t* error;
    } cases[] = {
        {L"missing.png", L"EFOpenError"},   {L"text.png", L"EInvalidGraphic"},
        {L"empty.bmp", L"EInvalidGraphic"}, {L"short.wmf", L"EInvalidGraphic"},
        {L"picture.xyz", L"EInvalidGraphic"}, {L"noextension", L"EInvalidGraphic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.file));
        ui::TPicture picture;
        try {
            picture.LoadFromFile(dir / c.file);
            ADD_FAILURE() << "loaded";
        } catch (const ui::Exception& e) {
            EXPECT_STREQ(c.error, e.ClassName());
            EXPECT_FALSE(e.Message().empty());
        }
        EXPECT_TRUE(picture.Empty());
    }
}

TEST(Icon, LoadsBothSizesOrRaises) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"app.ico", vt::MakeIcoBytes(32, RGB(1, 2, 3))));
    vt::WriteFileBytes(dir / L"bad.ico", "nope");
    ui::TIcon icon;
    int changes = 0;
    icon.OnChange = [&] { ++changes; };
    icon.LoadFromFile(dir / L"app.ico");
    EXPECT_TRUE(icon.Handle() != nullptr);
    EXPECT_TRUE(icon.SmallHandle() != nullptr);
    EXPECT_EQ(1, changes);
    EXPECT_THROW(icon.LoadFromFile(dir / L"missing.ico"), ui::EFOpenError);
    EXPECT_THROW(icon.LoadFromFile(dir / L"bad.ico"), ui::EInvalidGraphic);
    EXPECT_TRUE(icon.Handle() != nullptr);  // a failed load keeps the icon
}

TEST(Font, SizeFollowsThePixelsPerInch) {
    int ppi = ui::ScreenPixelsPerInch();
    for (int points : {6, 8, 9, 10, 12, 14, 22}) {
        SCOPED_TRACE(points);
        ui::TFont font;
        font.SetSize(points);
        EXPECT_EQ(-::MulDiv(points, ppi, 72), font.Height());
        EXPECT_EQ(points, font.Size());
    }
    ui::TFont font;
    font.SetHeight(-13);
    font.SetName(L"Tahoma");
    font.SetStyle(ui::fsBold | ui::fsUnderline);
    LOGFONTW lf = {};
    ASSERT_NE(0, ::GetObjectW(font.Handle(), sizeof(lf), &lf));
    EXPECT_EQ(-13, lf.lfHeight);
    EXPECT_EQ(FW_BOLD, lf.lfWeight);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_FALSE(lf.lfItalic);
    EXPECT_STREQ(L"Tahoma", lf.lfFaceName);
}

TEST(Color, SystemColoursAreLookedUp) {
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), ui::ColorToRGB(ui::clBtnFace));
    EXPECT_EQ(RGB(255, 0, 0), ui::ColorToRGB(ui::clRed));
    EXPECT_EQ(15780518u, ui::ColorToRGB(15780518));
}

}  // namespace
