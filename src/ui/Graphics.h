// Colours, fonts, brushes, pens, pictures and icons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "shared/ScopedWin.h"

namespace ui {

// 0x00BBGGRR, or a system colour: the high bit set and the COLOR_ index in
// the low byte.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor clNone = 0x1FFFFFFF;

// The screen's logical pixels per inch (96 at 100 %).
int ScreenPixelsPerInch();

// A memory device context compatible with the screen, for measuring text on
// the calling thread (kept for the thread's life).
HDC MeasuringDc();

// The COLORREF a colour stands for (system colours looked up now).
COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// A font described by name, size, colour and style; the GDI font is made
// when first needed. Size is in points and follows the screen's pixels per
// inch; Height is in pixels (negative: character height without leading).
class TFont {
public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);

    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& name);
    int Size() const;
    void SetSize(int points);
    int Height() const { return height_; }
    void SetHeight(int pixels);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);

    HFONT Handle() const;
    void Assign(const TFont& other) { *this = other; }

    // Called after every change (the control repaints or re-applies it).
    std::function<void()> OnChange;

private:
    void Changed();

    std::wstring name_ = L"Tahoma";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_ = 0;
    mutable win::GdiObject handle_;
};

enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psClear };

class TBrush {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; Changed(); }
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style) { style_ = style; Changed(); }
    std::function<void()> OnChange;

private:
    void Changed() { if (OnChange) OnChange(); }
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

class TPen {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; Changed(); }
    int Width() const { return width_; }
    void SetWidth(int width) { width_ = width < 1 ? 1 : width; Changed(); }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style) { style_ = style; Changed(); }
    std::function<void()> OnChange;

private:
    void Changed() { if (OnChange) OnChange(); }
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
};

// A picture loaded from a file. The decoder follows the file's extension:
// .bmp, .png, .ico, .jpg/.jpeg, .gif through the imaging component, .emf and
// .wmf as metafiles. Raster pictures are kept as 32-bit premultiplied bitmaps.
// The decoded image is immutable: pictures that Assign one another share it.
// Loading may run on any thread (the caller initialises COM there or lets
// the load do it); drawing belongs to the thread that paints.
class TPicture {
public:
    // Raises EFOpenError when the file cannot be opened and EInvalidGraphic
    // when its extension is unknown or its contents cannot be decoded. A
    // failed load leaves the picture as it was.
    void LoadFromFile(const std::wstring& path);
    // A copy of an icon's image at its own size, with its transparency (the
    // icon's alpha channel, else its mask). A null or unreadable icon clears
    // the picture.
    void AssignIcon(HICON icon);
    // A bitmap resource (type BITMAP) of module by name, as the program's
    // forms carry their design pictures. Raises EResNotFound when the module
    // has no such bitmap; the picture stays as it was.
    void LoadFromResourceName(HINSTANCE module, const std::wstring& name);
    // Shows the same decoded image as other (nothing is copied).
    void Assign(const TPicture& other);
    void Clear();
    bool Empty() const { return !image_; }
    int Width() const { return image_ ? image_->width : 0; }
    int Height() const { return image_ ? image_->height : 0; }
    bool HasAlpha() const { return image_ && image_->hasAlpha; }
    bool IsMetafile() const { return image_ && image_->metafile; }
    // The colour of a raster picture's bottom-left pixel: the colour that a
    // transparent image leaves out when the picture has no alpha channel.
    COLORREF TransparentColor() const { return image_ ? image_->transparentColor : 0; }

    // Draws the picture into dest (scaled to it). transparent leaves out the
    // transparent colour of pictures without alpha; alpha is always honoured.
    void Draw(HDC dc, const RECT& dest, bool transparent) const;

    std::function<void()> OnChange;

private:
    struct Image {
        win::GdiObject bitmap;
        win::EnhMetaFile metafile;
        int width = 0;
        int height = 0;
        bool hasAlpha = false;
        COLORREF transparentColor = 0;
    };
    static std::shared_ptr<const Image> LoadRaster(const std::wstring& path);
    static std::shared_ptr<const Image> LoadEnhMetafile(const std::wstring& path);
    static std::shared_ptr<const Image> LoadWindowsMetafile(const std::wstring& path);
    void Changed() { if (OnChange) OnChange(); }

    std::shared_ptr<const Image> image_;
};

class TIcon {
public:
    // Raises EFOpenError when the file cannot be opened, EInvalidGraphic when
    // it holds no icon.
    void LoadFromFile(const std::wstring& path);
    HICON Handle() const { return icon_.get(); }
    HICON SmallHandle() const { return small_.get(); }
    bool Empty() const { return !icon_; }
    // Takes ownership of both icons.
    void Assign(HICON big, HICON small);

    std::function<void()> OnChange;

private:
    win::Icon icon_;
    win::Icon small_;
};

}  // namespace ui
