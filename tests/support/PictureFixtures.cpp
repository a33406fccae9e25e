#include "PictureFixtures.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <vector>

#include "TestSupport.h"
#include "shared/ScopedWin.h"

namespace vt {

namespace {

std::vector<BYTE> Pixels(int w, int h, COLORREF left, COLORREF right, bool alpha) {
    std::vector<BYTE> px(static_cast<size_t>(w) * h * 4);
    double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0, r = std::min(w, h) / 2.0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = x < w / 2 ? left : right;
            BYTE a = 255;
            if (alpha && (x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r) a = 0;
            BYTE* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            // Straight (not premultiplied) BGRA.
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
            p[3] = a;
        }
    }
    return px;
}

bool EncodeWic(const std::wstring& path, const GUID& container, int w, int h,
               const std::vector<BYTE>& bgra, bool alpha) {
    win::ComInit com;
    win::ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.put_void())))
        return false;
    win::ComPtr<IWICStream> stream;
    win::ComPtr<IWICBitmapEncoder> encoder;
    win::ComPtr<IWICBitmapFrameEncode> frame;
    win::ComPtr<IPropertyBag2> options;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(container, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), options.put())) ||
        FAILED(frame->Initialize(options.get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h))))
        return false;
    WICPixelFormatGUID format = alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat32bppBGR;
    std::vector<BYTE> data = bgra;
    if (FAILED(frame->SetPixelFormat(&format))) return false;
    UINT stride = static_cast<UINT>(w) * 4;
    if (format == GUID_WICPixelFormat24bppBGR) {
        // The encoder asked for 24-bit rows.
        stride = ((static_cast<UINT>(w) * 3) + 3) & ~3u;
        data.assign(static_cast<size_t>(stride) * h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                memcpy(&data[static_cast<size_t>(y) * stride + x * 3], &bgra[(static_cast<size_t>(y) * w + x) * 4], 3);
    } else if (format == GUID_WICPixelFormat8bppIndexed) {
        // GIF: a palette of the two colours.
        win::ComPtr<IWICPalette> palette;
        WICColor colors[2] = {0xFF000000u | (static_cast<WICColor>(bgra[2]) << 16) | (bgra[1] << 8) | bgra[0],
                              0xFF000000u | (static_cast<WICColor>(bgra[(w - 1) * 4 + 2]) << 16) |
                                  (bgra[(w - 1) * 4 + 1] << 8) | bgra[(w - 1) * 4]};
        if (FAILED(factory->CreatePalette(palette.put())) ||
            FAILED(palette->InitializeCustom(colors, 2)) || FAILED(frame->SetPalette(palette.get())))
            return false;
        stride = (static_cast<UINT>(w) + 3) & ~3u;
        data.assign(static_cast<size_t>(stride) * h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) data[static_cast<size_t>(y) * stride + x] = x < w / 2 ? 0 : 1;
    } else if (format != GUID_WICPixelFormat32bppBGRA && format != GUID_WICPixelFormat32bppBGR) {
        return false;
    }
    return SUCCEEDED(frame->WritePixels(static_cast<UINT>(h), stride, static_cast<UINT>(data.size()), data.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

void PaintHalves(HDC dc, int w, int h, COLORREF left, COLORREF right) {
    win::GdiObject a(::CreateSolidBrush(left)), b(::CreateSolidBrush(right));
    win::Select noPen(dc, ::GetStockObject(NULL_PEN));
    {
        win::Select s(dc, a.get());
        ::Rectangle(dc, 0, 0, w / 2 + 1, h + 1);
    }
    win::Select s(dc, b.get());
    ::Rectangle(dc, w / 2, 0, w + 1, h + 1);
}

bool WriteEmf(const std::wstring& path, int w, int h, COLORREF left, COLORREF right) {
    win::WindowDc screen(nullptr);
    int mmX = ::GetDeviceCaps(screen.get(), HORZSIZE), mmY = ::GetDeviceCaps(screen.get(), VERTSIZE);
    int pxX = ::GetDeviceCaps(screen.get(), HORZRES), pxY = ::GetDeviceCaps(screen.get(), VERTRES);
    RECT frame = {0, 0, w * mmX * 100 / pxX, h * mmY * 100 / pxY};
    HDC dc = ::CreateEnhMetaFileW(screen.get(), path.c_str(), &frame, nullptr);
    if (!dc) return false;
    PaintHalves(dc, w, h, left, right);
    win::EnhMetaFile emf(::CloseEnhMetaFile(dc));
    return static_cast<bool>(emf);
}

bool WriteWmf(const std::wstring& path, int w, int h, COLORREF left, COLORREF right) {
    HDC dc = ::CreateMetaFileW(nullptr);
    if (!dc) return false;
    ::SetWindowExtEx(dc, w, h, nullptr);
    PaintHalves(dc, w, h, left, right);
    HMETAFILE mf = ::CloseMetaFile(dc);
    if (!mf) return false;
    UINT size = ::GetMetaFileBitsEx(mf, 0, nullptr);
    std::string bytes(size, '\0');
    ::GetMetaFileBitsEx(mf, size, &bytes[0]);
    ::DeleteMetaFile(mf);
    // Placeable header: key, handle, bounds, units per inch (the screen's), checksum.
    win::WindowDc screen(nullptr);
    WORD inch = static_cast<WORD>(::GetDeviceCaps(screen.get(), LOGPIXELSX));
    WORD words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<WORD>(w), static_cast<WORD>(h), inch, 0, 0};
    WORD sum = 0;
    for (WORD v : words) sum ^= v;
    std::string header(reinterpret_cast<const char*>(words), sizeof(words));
    header.append(reinterpret_cast<const char*>(&sum), 2);
    return WriteFileBytes(path, header + bytes);
}

}  // namespace

bool WriteTestPicture(const std::wstring& path, PictureFormat format, int width, int height,
                      COLORREF left, COLORREF right, bool withAlpha) {
    switch (format) {
    case PictureFormat::Bmp:
        return EncodeWic(path, GUID_ContainerFormatBmp, width, height, Pixels(width, height, left, right, false), false);
    case PictureFormat::Png:
        return EncodeWic(path, GUID_ContainerFormatPng, width, height,
                         Pixels(width, height, left, right, withAlpha), withAlpha);
    case PictureFormat::Jpeg:
        return EncodeWic(path, GUID_ContainerFormatJpeg, width, height, Pixels(width, height, left, right, false), false);
    case PictureFormat::Gif:
        return EncodeWic(path, GUID_ContainerFormatGif, width, height, Pixels(width, height, left, right, false), false);
    case PictureFormat::Ico: return WriteFileBytes(path, MakeIcoBytes(width, left));
    case PictureFormat::Emf: return WriteEmf(path, width, height, left, right);
    case PictureFormat::Wmf: return WriteWmf(path, width, height, left, right);
    }
    return false;
}

namespace {
Capture FromBitmapDc(HDC src, int x, int y, int w, int h) {
    Capture cap;
    cap.width = w;
    cap.height = h;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    win::GdiObject bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::Dc mem(::CreateCompatibleDC(src));
    {
        win::Select s(mem.get(), bitmap.get());
        ::BitBlt(mem.get(), 0, 0, w, h, src, x, y, SRCCOPY);
    }
    cap.pixels.resize(static_cast<size_t>(w) * h);
    const BYTE* p = static_cast<const BYTE*>(bits);
    for (size_t i = 0; i < cap.pixels.size(); ++i) cap.pixels[i] = RGB(p[i * 4 + 2], p[i * 4 + 1], p[i * 4]);
    return cap;
}
}  // namespace

Capture CaptureScreen(const RECT& area) {
    win::WindowDc screen(nullptr);
    return FromBitmapDc(screen.get(), area.left, area.top, area.right - area.left, area.bottom - area.top);
}

Capture ReadPicture(const std::wstring& path) {
    Capture cap;
    win::ComInit com;
    win::ComPtr<IWICImagingFactory> factory;
    win::ComPtr<IWICBitmapDecoder> decoder;
    win::ComPtr<IWICBitmapFrameDecode> frame;
    win::ComPtr<IWICFormatConverter> converter;
    UINT w = 0, h = 0;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void())) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) || FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&w, &h)))
        return cap;
    std::vector<BYTE> bgr(static_cast<size_t>(w) * h * 4);
    if (FAILED(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(bgr.size()), bgr.data()))) return cap;
    cap.width = static_cast<int>(w);
    cap.height = static_cast<int>(h);
    cap.pixels.resize(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < cap.pixels.size(); ++i) cap.pixels[i] = RGB(bgr[i * 4 + 2], bgr[i * 4 + 1], bgr[i * 4]);
    return cap;
}

Capture RenderClient(HWND hwnd) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    win::WindowDc screen(nullptr);
    win::Dc mem(::CreateCompatibleDC(screen.get()));
    win::GdiObject bitmap(::CreateCompatibleBitmap(screen.get(), std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1)));
    win::Select s(mem.get(), bitmap.get());
    ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.get()), PRF_CLIENT);
    return FromBitmapDc(mem.get(), 0, 0, r.right, r.bottom);
}

bool CaptureScreenToPng(const RECT& area, const std::wstring& path) {
    Capture cap = CaptureScreen(area);
    std::vector<BYTE> bgra(cap.pixels.size() * 4);
    for (size_t i = 0; i < cap.pixels.size(); ++i) {
        bgra[i * 4] = GetBValue(cap.pixels[i]);
        bgra[i * 4 + 1] = GetGValue(cap.pixels[i]);
        bgra[i * 4 + 2] = GetRValue(cap.pixels[i]);
        bgra[i * 4 + 3] = 255;
    }
    return EncodeWic(path, GUID_ContainerFormatPng, cap.width, cap.height, bgra, false);
}

}  // namespace vt
