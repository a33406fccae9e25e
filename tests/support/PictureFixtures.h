// Small pictures made at test time, in every format the picture loader reads,
// and screen captures written as PNG files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vt {

enum class PictureFormat { Bmp, Png, Jpeg, Gif, Ico, Emf, Wmf };

// A width x height picture: the left half in colour left, the right half in
// colour right. withAlpha (PNG only) makes everything outside the inscribed
// circle fully transparent. Metafiles are sized at the screen's density.
bool WriteTestPicture(const std::wstring& path, PictureFormat format, int width, int height,
                      COLORREF left, COLORREF right, bool withAlpha = false);

// Copies a screen rectangle (the visible desktop) into a PNG file.
bool CaptureScreenToPng(const RECT& area, const std::wstring& path);

// A screen rectangle's pixels, row by row (0x00RRGGBB as COLORREF order is
// not used: each value is a COLORREF).
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureScreen(const RECT& area);
// A picture file's pixels, decoded through WIC (empty when it cannot be read).
Capture ReadPicture(const std::wstring& path);
// Renders a window's client area by sending it WM_PRINTCLIENT.
Capture RenderClient(HWND hwnd);

}  // namespace vt
