// The records that a skin (SkinSetting.ini) and a language (Language.ini)
// give each control of the main window.
#pragma once

#include <windows.h>

#include "ui/Graphics.h"

// One image key: picture file, bounds and page (0 = every page).
struct SKIN_ENTRY {
    wchar_t file[64];
    int left, top, width, height;
    int page;
    BYTE hasLeft, hasTop, hasWidth, hasHeight;
};

// One caption key: text, colours, font, bounds and page.
struct LANGUAGE_ENTRY {
    wchar_t caption[128];
    ui::TColor colorUp;
    ui::TColor colorDown;
    wchar_t font[64];
    int fontSize;
    int left, top, width, height;
    int page;
    BYTE hasColorUp, hasColorDown, hasFont, hasFontSize, hasLeft, hasTop, hasWidth, hasHeight;
};
