// The resolution class of a screen: the sub-folder of the skin and language
// folders that holds the pictures and texts made for screens of that size.
#pragma once

namespace resolution {

// How a screen area is compared with the lower bound of each class: the
// panel puts a screen that lies exactly on a bound into the smaller class
// (Greater), the uninstaller into the larger one (GreaterOrEqual).
enum class Compare { Greater, GreaterOrEqual };

// "1920x1080\", "1366x768\", "960x540\" or "" (screens of 960 x 540 pixels
// or less by the panel's comparison) for a screen of width x height pixels.
const wchar_t* FolderFor(int width, int height, Compare compare);

// The same for the primary screen (GetSystemMetrics).
const wchar_t* FolderForScreen(Compare compare);

}  // namespace resolution
