#include "setup/SetupTexts.h"

#include "shared/IniValue.h"
#include "ui/SysUtils.h"

namespace setup_texts {

namespace {

// The numeric fields and where they go; the font name (field 4) is text.
constexpr int32_t LABEL_INFO::*kNumbers[kLabelFieldCount] = {
    &LABEL_INFO::Colour, &LABEL_INFO::SecondColour, nullptr,      &LABEL_INFO::FontSize,
    &LABEL_INFO::Left,   &LABEL_INFO::Top,          &LABEL_INFO::Width, &LABEL_INFO::Height,
};

std::wstring Cut(const std::wstring& text, size_t chars) { return text.substr(0, chars); }

}  // namespace

std::wstring LanguageFilePath(const std::wstring& programFolder, const std::wstring& languageFolderName,
                              const std::wstring& pathPart) {
    return programFolder + languageFolderName + L"\\" + pathPart + L"\\Language.ini";
}

void ReadDefaultLanguage(const std::wstring& userFolder, std::wstring& language) {
    ReadIniValue(userFolder + kUserSettingsFile, L"Language", L"DefaultLanguage", language);
}

void ParseLabelStyle(LABEL_INFO& record, const std::vector<std::wstring>& fields, int count) {
    const int last = count < 1 + kLabelFieldCount ? count : 1 + kLabelFieldCount;
    for (int i = 0; i < last; ++i) {
        const std::wstring& field = fields.at(static_cast<size_t>(i));
        if (i == 0) {
            record.Text = Cut(field, kLabelTextChars);
            continue;
        }
        if (field.empty()) continue;
        const int index = i - 1;
        if (index == kFieldFontName) record.FontName = Cut(field, kLabelFontChars);
        else record.*kNumbers[index] = ui::StrToInt(field);
        record.Present[index] = 1;
    }
}

void ReadLanguageText(LABEL_INFO& record, const std::wstring& languageFile, const wchar_t* section,
                      const wchar_t* key) {
    std::wstring value;
    ReadIniValue(languageFile, section, key, value);
    std::vector<std::wstring> fields;
    int count = SplitCommaFields(value, fields);
    ParseLabelStyle(record, fields, count);
}

void ReadLanguageTexts(LABEL_INFO* records, const wchar_t* const* keys, size_t count,
                       const std::wstring& languageFile, const wchar_t* section) {
    for (size_t i = 0; i < count; ++i) ReadLanguageText(records[i], languageFile, section, keys[i]);
}

void ApplyLabelStyle(const LABEL_INFO& record, ui::TControl& control) {
    if (record.Text.empty() || record.Text == L"(null)") {
        control.SetVisible(false);
    } else {
        control.SetVisible(true);
        control.SetCaption(record.Text);
    }
    const uint8_t* has = record.Present;
    if (has[kFieldColour]) control.Font().SetColor(static_cast<ui::TColor>(record.Colour));
    if (has[kFieldFontName]) control.Font().SetName(record.FontName);
    if (has[kFieldFontSize]) control.Font().SetSize(record.FontSize);
    if (has[kFieldLeft]) control.SetLeft(record.Left);
    if (has[kFieldTop]) control.SetTop(record.Top);
    if (has[kFieldWidth]) control.SetWidth(record.Width);
    if (has[kFieldHeight]) control.SetHeight(record.Height);
}

std::wstring WindowCaption(const LABEL_INFO& title, const std::wstring& version) {
    return title.Text + L" (V" + version + L")";
}

}  // namespace setup_texts
