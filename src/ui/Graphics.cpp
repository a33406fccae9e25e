#include "Graphics.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <vector>

#include "SysUtils.h"

namespace ui {

int ScreenPixelsPerInch() {
    // The system's logical density is fixed for the life of a process.
    static const int ppi = [] {
        win::WindowDc dc(nullptr);
        return ::GetDeviceCaps(dc.get(), LOGPIXELSY);
    }();
    return ppi;
}

HDC MeasuringDc() {
    thread_local win::Dc dc(::CreateCompatibleDC(nullptr));
    return dc.get();
}

COLORREF ColorToRGB(TColor color) {
    if (color & clSystemColor) return ::GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0xFFFFFF;
}

// ------------------------------------------------------------------- TFont

TFont::TFont() = default;

TFont::TFont(const TFont& other)
    : name_(other.name_), height_(other.height_), color_(other.color_), style_(other.style_) {}

TFont& TFont::operator=(const TFont& other) {
    if (this == &other) return *this;
    name_ = other.name_;
    height_ = other.height_;
    color_ = other.color_;
    style_ = other.style_;
    Changed();
    return *this;
}

void TFont::SetName(const std::wstring& name) {
    name_ = name;
    Changed();
}

int TFont::Size() const {
    int ppi = ScreenPixelsPerInch();
    int h = height_ < 0 ? -height_ : height_;
    return ::MulDiv(h, 72, ppi);
}

void TFont::SetSize(int points) { SetHeight(-::MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetHeight(int pixels) {
    height_ = pixels;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == color_) return;  // nothing to paint again, and the font stays the parent's
    color_ = color;
    if (OnChange) OnChange();
}

void TFont::SetStyle(TFontStyles style) {
    style_ = style;
    Changed();
}

void TFont::Changed() {
    handle_.reset();
    if (OnChange) OnChange();
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTW lf = {};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.reset(::CreateFontIndirectW(&lf));
    }
    return static_cast<HFONT>(handle_.get());
}

// ---------------------------------------------------------------- TPicture

namespace {

enum class PictureKind { Unknown, Raster, Emf, Wmf };

struct ExtensionKind {
    const wchar_t* extension;
    PictureKind kind;
};

constexpr ExtensionKind kExtensions[] = {
    {L".bmp", PictureKind::Raster}, {L".dib", PictureKind::Raster}, {L".png", PictureKind::Raster},
    {L".ico", PictureKind::Raster}, {L".jpg", PictureKind::Raster}, {L".jpeg", PictureKind::Raster},
    {L".jpe", PictureKind::Raster}, {L".gif", PictureKind::Raster}, {L".emf", PictureKind::Emf},
    {L".wmf", PictureKind::Wmf},
};

std::wstring Extension(const std::wstring& path) {
    size_t dot = path.find_last_of(L'.');
    size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
    std::wstring ext = path.substr(dot);
    for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
    return ext;
}

PictureKind KindOf(const std::wstring& path) {
    std::wstring ext = Extension(path);
    for (const ExtensionKind& e : kExtensions) {
        if (ext == e.extension) return e.kind;
    }
    return PictureKind::Unknown;
}

void CheckReadable(const std::wstring& path) {
    win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD error = ::GetLastError();
        throw EFOpenError(L"Cannot open file \"" + path + L"\". " + SysErrorMessage(error));
    }
}

[[noreturn]] void InvalidPicture(const std::wstring& path) {
    throw EInvalidGraphic(L"Bitmap image is not valid: \"" + path + L"\"");
}

// The frame to show: the largest one (icons hold several sizes).
UINT LargestFrame(IWICBitmapDecoder* decoder) {
    UINT count = 0, best = 0, bestArea = 0;
    decoder->GetFrameCount(&count);
    for (UINT i = 0; i < count; ++i) {
        win::ComPtr<IWICBitmapFrameDecode> frame;
        UINT w = 0, h = 0;
        if (FAILED(decoder->GetFrame(i, frame.put())) || FAILED(frame->GetSize(&w, &h))) continue;
        if (w * h > bestArea) {
            bestArea = w * h;
            best = i;
        }
    }
    return best;
}

}  // namespace

void TPicture::Clear() {
    image_.reset();
    Changed();
}

void TPicture::Assign(const TPicture& other) {
    if (image_ == other.image_) return;  // the same decoded image: nothing changes
    image_ = other.image_;
    Changed();
}

void TPicture::LoadFromFile(const std::wstring& path) {
    PictureKind kind = KindOf(path);
    if (kind == PictureKind::Unknown)
        throw EInvalidGraphic(L"Unknown picture file extension (" + Extension(path) + L")");
    CheckReadable(path);
    switch (kind) {
    case PictureKind::Raster: image_ = LoadRaster(path); break;
    case PictureKind::Emf: image_ = LoadEnhMetafile(path); break;
    case PictureKind::Wmf: image_ = LoadWindowsMetafile(path); break;
    case PictureKind::Unknown: break;
    }
    Changed();
}

namespace {
// A 32-bit top-down bitmap of width x height pixels.
BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}
}  // namespace

std::shared_ptr<const TPicture::Image> TPicture::LoadRaster(const std::wstring& path) {
    win::ComInit com;
    win::ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.put_void())))
        throw EInvalidGraphic(L"The imaging component is not available");
    win::ComPtr<IWICBitmapDecoder> decoder;
    win::ComPtr<IWICBitmapFrameDecode> frame;
    win::ComPtr<IWICFormatConverter> converter;
    UINT w = 0, h = 0;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.put())) ||
        FAILED(decoder->GetFrame(LargestFrame(decoder.get()), frame.put())) ||
        FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0 || w > 32768 || h > 32768)
        InvalidPicture(path);

    BITMAPINFO bi = TopDown32(static_cast<int>(w), static_cast<int>(h));
    void* bits = nullptr;
    win::GdiObject bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) throw EOutOfResources(L"Out of system resources");
    UINT stride = w * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * h, static_cast<BYTE*>(bits))))
        InvalidPicture(path);

    const auto* px = static_cast<const BYTE*>(bits);
    bool alpha = false;
    for (size_t i = 3; i < static_cast<size_t>(stride) * h && !alpha; i += 4) alpha = px[i] != 255;
    const BYTE* corner = px + static_cast<size_t>(stride) * (h - 1);  // bottom-left pixel
    auto image = std::make_shared<Image>();
    image->bitmap = std::move(bitmap);
    image->width = static_cast<int>(w);
    image->height = static_cast<int>(h);
    image->hasAlpha = alpha;
    image->transparentColor = RGB(corner[2], corner[1], corner[0]);
    return image;
}

namespace {
// The 32-bit top-down pixels of a bitmap; empty when they cannot be read.
std::vector<BYTE> TopDownPixels(HBITMAP bitmap, int width, int height) {
    BITMAPINFO bi = TopDown32(width, height);
    std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 4);
    win::WindowDc dc(nullptr);
    if (::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS) != height)
        pixels.clear();
    return pixels;
}
}  // namespace

void TPicture::AssignIcon(HICON icon) {
    ICONINFO info = {};
    if (!icon || !::GetIconInfo(icon, &info)) {
        Clear();
        return;
    }
    win::GdiObject color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm = {};
    if (!color || !::GetObjectW(color.get(), sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        Clear();
        return;
    }
    const int w = bm.bmWidth, h = bm.bmHeight;
    std::vector<BYTE> px = TopDownPixels(static_cast<HBITMAP>(color.get()), w, h);
    std::vector<BYTE> maskPx = TopDownPixels(static_cast<HBITMAP>(mask.get()), w, h);
    if (px.empty()) {
        Clear();
        return;
    }
    bool alpha = false;
    for (size_t i = 3; i < px.size() && !alpha; i += 4) alpha = px[i] != 0;
    for (size_t i = 0; i < px.size(); i += 4) {
        // Without an alpha channel, the mask's set pixels are the see-through ones.
        BYTE a = alpha ? px[i + 3] : (!maskPx.empty() && maskPx[i] != 0 ? 0 : 255);
        for (size_t c = 0; c < 3; ++c) px[i + c] = static_cast<BYTE>(px[i + c] * a / 255);
        px[i + 3] = a;
    }
    BITMAPINFO bi = TopDown32(w, h);
    void* bits = nullptr;
    win::GdiObject bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) throw EOutOfResources(L"Out of system resources");
    std::copy(px.begin(), px.end(), static_cast<BYTE*>(bits));
    auto image = std::make_shared<Image>();
    image->bitmap = std::move(bitmap);
    image->width = w;
    image->height = h;
    image->hasAlpha = true;
    image_ = std::move(image);
    Changed();
}

void TPicture::LoadFromResourceName(HINSTANCE module, const std::wstring& name) {
    win::GdiObject loaded(::LoadImageW(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP bm = {};
    if (!loaded || !::GetObjectW(loaded.get(), sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        throw EResNotFound(L"Resource " + name + L" not found");
    const int w = bm.bmWidth, h = std::abs(bm.bmHeight);
    std::vector<BYTE> px = TopDownPixels(static_cast<HBITMAP>(loaded.get()), w, h);
    if (px.empty()) throw EResNotFound(L"Resource " + name + L" not found");
    for (size_t i = 3; i < px.size(); i += 4) px[i] = 255;  // a plain bitmap is opaque
    BITMAPINFO bi = TopDown32(w, h);
    void* bits = nullptr;
    win::GdiObject bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) throw EOutOfResources(L"Out of system resources");
    std::copy(px.begin(), px.end(), static_cast<BYTE*>(bits));
    const BYTE* corner = px.data() + static_cast<size_t>(w) * 4 * static_cast<size_t>(h - 1);  // bottom-left pixel
    auto image = std::make_shared<Image>();
    image->bitmap = std::move(bitmap);
    image->width = w;
    image->height = h;
    image->transparentColor = RGB(corner[2], corner[1], corner[0]);
    image_ = std::move(image);
    Changed();
}

namespace {
// Pixel size of a metafile frame given in 0.01 mm, at the screen's density.
SIZE FrameToPixels(const RECTL& frame) {
    win::WindowDc dc(nullptr);
    int ppiX = ::GetDeviceCaps(dc.get(), LOGPIXELSX), ppiY = ::GetDeviceCaps(dc.get(), LOGPIXELSY);
    SIZE size;
    size.cx = ::MulDiv(frame.right - frame.left, ppiX, 2540);
    size.cy = ::MulDiv(frame.bottom - frame.top, ppiY, 2540);
    return size;
}
}  // namespace

std::shared_ptr<const TPicture::Image> TPicture::LoadEnhMetafile(const std::wstring& path) {
    win::EnhMetaFile emf(::GetEnhMetaFileW(path.c_str()));
    ENHMETAHEADER header = {};
    if (!emf || ::GetEnhMetaFileHeader(emf.get(), sizeof(header), &header) == 0) InvalidPicture(path);
    SIZE size = FrameToPixels(header.rclFrame);
    if (size.cx <= 0 || size.cy <= 0) {
        size.cx = header.rclBounds.right - header.rclBounds.left + 1;
        size.cy = header.rclBounds.bottom - header.rclBounds.top + 1;
    }
    auto image = std::make_shared<Image>();
    image->metafile = std::move(emf);
    image->width = size.cx;
    image->height = size.cy;
    return image;
}

namespace {
// The 22-byte header that placeable Windows metafiles start with.
#pragma pack(push, 2)
struct PlaceableHeader {
    DWORD key;
    WORD handle;
    SHORT left, top, right, bottom;
    WORD unitsPerInch;
    DWORD reserved;
    WORD checksum;
};
#pragma pack(pop)
constexpr DWORD kPlaceableKey = 0x9AC6CDD7;
}  // namespace

std::shared_ptr<const TPicture::Image> TPicture::LoadWindowsMetafile(const std::wstring& path) {
    win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 18 ||
        size.QuadPart > 64 * 1024 * 1024)
        InvalidPicture(path);
    std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
        got != bytes.size())
        InvalidPicture(path);

    METAFILEPICT pict = {MM_ANISOTROPIC, 0, 0, nullptr};
    size_t offset = 0;
    PlaceableHeader ph = {};
    if (bytes.size() > sizeof(ph)) memcpy(&ph, bytes.data(), sizeof(ph));
    if (ph.key == kPlaceableKey && ph.unitsPerInch != 0) {
        offset = sizeof(ph);
        pict.xExt = ::MulDiv(ph.right - ph.left, 2540, ph.unitsPerInch);
        pict.yExt = ::MulDiv(ph.bottom - ph.top, 2540, ph.unitsPerInch);
    }
    win::EnhMetaFile emf(::SetWinMetaFileBits(static_cast<UINT>(bytes.size() - offset),
                                              bytes.data() + offset, nullptr,
                                              pict.xExt ? &pict : nullptr));
    ENHMETAHEADER header = {};
    if (!emf || ::GetEnhMetaFileHeader(emf.get(), sizeof(header), &header) == 0) InvalidPicture(path);
    SIZE px = FrameToPixels(header.rclFrame);
    auto image = std::make_shared<Image>();
    image->metafile = std::move(emf);
    image->width = std::max<LONG>(px.cx, 1);
    image->height = std::max<LONG>(px.cy, 1);
    return image;
}

void TPicture::Draw(HDC dc, const RECT& dest, bool transparent) const {
    int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    if (dw <= 0 || dh <= 0) return;
    if (!image_) return;
    const Image& im = *image_;
    if (im.metafile) {
        ::PlayEnhMetaFile(dc, im.metafile.get(), &dest);
        return;
    }
    if (!im.bitmap) return;
    win::Dc mem(::CreateCompatibleDC(dc));
    win::Select sel(mem.get(), im.bitmap.get());
    if (im.hasAlpha) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::AlphaBlend(dc, dest.left, dest.top, dw, dh, mem.get(), 0, 0, im.width, im.height, blend);
    } else if (transparent) {
        ::TransparentBlt(dc, dest.left, dest.top, dw, dh, mem.get(), 0, 0, im.width, im.height,
                         im.transparentColor);
    } else {
        int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, dest.left, dest.top, dw, dh, mem.get(), 0, 0, im.width, im.height, SRCCOPY);
        ::SetStretchBltMode(dc, oldMode);
    }
}

// ------------------------------------------------------------------- TIcon

void TIcon::LoadFromFile(const std::wstring& path) {
    CheckReadable(path);
    auto load = [&](int cx, int cy) {
        return static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, cx, cy, LR_LOADFROMFILE));
    };
    HICON big = load(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    if (!big) throw EInvalidGraphic(L"Icon image is not valid");
    HICON small = load(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    Assign(big, small);
}

void TIcon::Assign(HICON big, HICON small) {
    icon_.reset(big);
    small_.reset(small);
    if (OnChange) OnChange();
}

}  // namespace ui
