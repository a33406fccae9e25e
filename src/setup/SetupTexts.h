// The window texts of the two setup programs (VelloSetup and
// VelloUninstall). Each text is one Language.ini entry of up to nine comma
// fields: text, colour, second colour, font name, font size, left, top,
// width, height; every field after the text is optional and an empty or
// missing field keeps what an earlier entry gave.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Controls.h"

// Longest text and font name an entry keeps; longer fields are cut.
constexpr size_t kLabelTextChars = 127;
constexpr size_t kLabelFontChars = 63;

// The optional fields, in entry order (field 2 to field 9).
enum LabelField : int {
    kFieldColour,
    kFieldSecondColour,
    kFieldFontName,
    kFieldFontSize,
    kFieldLeft,
    kFieldTop,
    kFieldWidth,
    kFieldHeight,
    kLabelFieldCount
};

struct LABEL_INFO {
    std::wstring Text;
    int32_t Colour = 0;
    int32_t SecondColour = 0;  // kept, applied by neither program
    std::wstring FontName;
    int32_t FontSize = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    // 1 once the field has been given, indexed by LabelField.
    uint8_t Present[kLabelFieldCount] = {};
};

namespace setup_texts {

// The per-user settings file that holds the language in use.
constexpr wchar_t kUserSettingsFile[] = L"AudioConfig.cfg";

// <programFolder><languageFolderName>\<pathPart>\Language.ini, where
// pathPart is [resolution folder] + language folder.
std::wstring LanguageFilePath(const std::wstring& programFolder, const std::wstring& languageFolderName,
                              const std::wstring& pathPart);

// [Language] DefaultLanguage of <userFolder>AudioConfig.cfg; a missing file or
// key leaves language as it was.
void ReadDefaultLanguage(const std::wstring& userFolder, std::wstring& language);

// Fills the record from the split entry: the text always (cut to
// kLabelTextChars), each non-empty optional field with its present flag.
// Numbers are strict integers (ui::StrToInt); a field that is not one raises
// ui::EConvertError and leaves the fields after it as they were.
void ParseLabelStyle(LABEL_INFO& record, const std::vector<std::wstring>& fields, int count);

// Reads key of section from languageFile and parses it into record; a missing
// file, section or key gives an empty text.
void ReadLanguageText(LABEL_INFO& record, const std::wstring& languageFile, const wchar_t* section,
                      const wchar_t* key);

// Reads every key of keys, in order, into the record of the same index.
// Raises like ParseLabelStyle; the keys after a bad entry are not read.
void ReadLanguageTexts(LABEL_INFO* records, const wchar_t* const* keys, size_t count,
                       const std::wstring& languageFile, const wchar_t* section);

// An empty text or "(null)" hides the control (its caption stays); any other
// text shows it as its caption. Then, shown or hidden, the font colour, font
// name, font size and bounds the record gives.
void ApplyLabelStyle(const LABEL_INFO& record, ui::TControl& control);

// The window caption: the title's text, " (V", the program's version, ")".
std::wstring WindowCaption(const LABEL_INFO& title, const std::wstring& version);

}  // namespace setup_texts
