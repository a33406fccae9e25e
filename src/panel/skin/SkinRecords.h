// The records that a skin (SkinSetting.ini) and a language (Language.ini)
// give each control of the main window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Graphics.h"

// Character room of the records' text fields (with the terminating zero):
// longer texts are cut to one character less.
constexpr size_t kCaptionChars = 128;
constexpr size_t kFontNameChars = 64;
constexpr size_t kPictureFileChars = 64;

// One image key: picture file, bounds and page (0 = every page).
struct SKIN_ENTRY {
    wchar_t file[kPictureFileChars];
    int left, top, width, height;
    int page;
    BYTE hasLeft, hasTop, hasWidth, hasHeight;
};

// One caption key: text, colours, font, bounds and page.
struct LANGUAGE_ENTRY {
    wchar_t caption[kCaptionChars];
    ui::TColor colorUp;
    ui::TColor colorDown;
    wchar_t font[kFontNameChars];
    int fontSize;
    int left, top, width, height;
    int page;
    BYTE hasColorUp, hasColorDown, hasFont, hasFontSize, hasLeft, hasTop, hasWidth, hasHeight;
};

// [GlobalFont] of Language.ini: what every entry takes when it gives no
// value of its own (colour 0 and an empty font mean none, FontSize -1 keeps
// the control's size).
struct GLOBAL_FONT {
    ui::TColor ColorUp;
    ui::TColor ColorDown;
    wchar_t Font[kFontNameChars];
    int FontSize;
};

// A language known by name; the window keeps a list of them that nothing
// fills at run time.
class CLanguage {
public:
    std::wstring Name;
};

class MultiLanguage {
public:
    std::vector<std::wstring> LanguageNames;
    std::vector<std::unique_ptr<CLanguage>> Languages;
};

// Copies text into a fixed buffer of chars characters, cut to chars - 1.
void CopyFieldText(wchar_t* target, size_t chars, const std::wstring& text);
