// Language.ini: the [GlobalFont] defaults, one record per caption key, and
// putting captions, colours, fonts and bounds on the window's labels and
// the popup menu.
#include <cmath>
#include <cwchar>
#include <vector>

#include "panel/AudioMainForm.h"
#include "shared/DebugTrace.h"

namespace {

// Sections of Language.ini that the panel reads, with the page their
// entries belong to unless a value names another (0 = every page).
struct SectionPage {
    const wchar_t* section;
    int page;
};
const SectionPage kLanguageSections[] = {{L"Main", 0}, {L"EQ", 1},          {L"3D", 5},  {L"Effect", 2},
                                         {L"Mic", 3},  {L"Virtual7ch1", 4}, {L"LED", 6}, {L"ENC", 7},
                                         {L"Timbrex", 8}, {L"About", 0}};

int SectionPageOf(const wchar_t* section) {
    for (const SectionPage& s : kLanguageSections)
        if (std::wcscmp(s.section, section) == 0) return s.page;
    return 0;
}

// How ApplyLanguageCaptions uses an entry.
enum Role {
    kTab,          // menu buttons and page tabs (first, with their selected state)
    kDeviceState,  // the device state label, by the device's state
    kSX,           // the preset name under the left picture
    kContent,      // the labels of the pages
    kMenuItem,     // a popup-menu caption (caption field only)
    kElsewhere,    // read by other windows and boxes (About box, warnings)
};

// Every caption key in reading order, the control it captions and the state
// in which that control shows ColorDown.
struct LanguageKey {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* control;
    Role role;
    int TAudioMainForm::*state;  // null: always ColorUp
    int downWhen;
};
using F = TAudioMainForm;
const LanguageKey kLanguageKeys[] = {
    {L"Main", L"LabelMenu1", L"Menu1Label", kTab, nullptr, 0},
    {L"Main", L"LabelMenu2", L"Menu2Label", kTab, nullptr, 0},
    {L"Main", L"LabelMenu3", L"Menu3Label", kTab, nullptr, 0},
    {L"Main", L"LabelPageEQ", L"PageEQLabel", kTab, &F::m_iCurrentPage, 1},
    {L"Main", L"LabelPage3D", L"Page3DLabel", kTab, &F::m_iCurrentPage, 5},
    {L"Main", L"LabelPageEffect", L"PageEffectLabel", kTab, &F::m_iCurrentPage, 2},
    {L"Main", L"LabelPageMic", L"PageMicLabel", kTab, &F::m_iCurrentPage, 3},
    {L"Main", L"LabelPageVirtual7ch1", L"PageVirtual7p1Label", kTab, &F::m_iCurrentPage, 4},
    {L"Main", L"LabelActive", L"DeviceActiveLabel", kDeviceState, nullptr, 0},
    {L"Main", L"LabelUnDriver", L"DeviceActiveLabel", kElsewhere, nullptr, 0},
    {L"Main", L"LabelUnactive", L"DeviceActiveLabel", kDeviceState, nullptr, 0},
    {L"Main", L"LabelSync", L"SyncLabel", kContent, nullptr, 0},
    {L"Main", L"LabelSetting", L"SettingLabel", kContent, nullptr, 0},
    {L"Main", L"LabelSX", L"SXLabel", kSX, nullptr, 0},
    {L"Main", L"LabelFeatures", L"FeaturesLabel", kContent, nullptr, 0},
    {L"Main", L"LabelCompanyName", L"CompanyNameLabel", kContent, nullptr, 0},
    {L"Main", L"DeviceInLabel", L"DeviceInLabel", kContent, nullptr, 0},
    {L"Main", L"DeviceOutLabel", L"DeviceOutLabel", kContent, nullptr, 0},
    {L"Main", L"LabelPageLED", L"PageLEDLabel", kTab, &F::m_iCurrentPage, 6},
    {L"Main", L"LabelPageENC", L"PageENCLabel", kTab, &F::m_iCurrentPage, 7},
    {L"Main", L"LabelPageTbxEffect", L"PageTbxEffectLabel", kTab, &F::m_iCurrentPage, 8},
    {L"Main", L"LabelLanguage", nullptr, kMenuItem, nullptr, 0},
    {L"Main", L"LabelSkin", nullptr, kMenuItem, nullptr, 0},
    {L"Main", L"LabelClose", nullptr, kMenuItem, nullptr, 0},
    {L"Main", L"LabelPlugin", nullptr, kMenuItem, nullptr, 0},
    {L"EQ", L"LabelEQEnable", L"EQEQENLabel", kContent, &F::m_bEQEnable, 1},
    {L"EQ", L"LableEQ3DEnable", L"EQ3DENLabel", kContent, &F::m_b3DEnable, 1},
    {L"EQ", L"LabelEQReset", L"EQResetLabel", kContent, nullptr, 0},
    {L"EQ", L"LabelEQS1", L"EQS1Label", kContent, &F::m_iEQPreset, 1},
    {L"EQ", L"LabelEQS2", L"EQS2Label", kContent, &F::m_iEQPreset, 2},
    {L"EQ", L"LabelEQS3", L"EQS3Label", kContent, &F::m_iEQPreset, 3},
    {L"EQ", L"LabelEQS4", L"EQS4Label", kContent, &F::m_iEQPreset, 4},
    {L"EQ", L"LabelEQ60Hz", L"EQ60HzLabel", kContent, nullptr, 0},
    {L"EQ", L"LabelEQ300Hz", L"EQ300HzLabel", kContent, nullptr, 0},
    {L"EQ", L"LabelEQ1200Hz", L"EQ1200HzLabel", kContent, nullptr, 0},
    {L"EQ", L"LabelEQ3600Hz", L"EQ3600HzLabel", kContent, nullptr, 0},
    {L"EQ", L"LabelEQ12000Hz", L"EQ12000HzLabel", kContent, nullptr, 0},
    {L"3D", L"Label3DEnable", L"D33DENLabel", kContent, &F::m_b3DEnable, 1},
    {L"3D", L"Label3DFBM", L"D3FBMLabel", kContent, &F::m_bFBM, 1},
    {L"3D", L"Label3DReset", L"D3ResetLabel", kContent, nullptr, 0},
    {L"3D", L"Label3DLeftChannel", L"D3LChannelLabel", kContent, nullptr, 0},
    {L"3D", L"Label3DRightChannel", L"D3RChannelLabel", kContent, nullptr, 0},
    {L"3D", L"Label3DConnection", L"D3ConnectLabel", kContent, nullptr, 0},
    {L"Effect", L"LabelEffectNothing", L"EffectNonLabel", kContent, &F::m_iEffect, 1},
    {L"Effect", L"LabelEffectTheater", L"EffectTheaterLabel", kContent, &F::m_iEffect, 2},
    {L"Effect", L"LabelEffectBathroom", L"EffectBathroomLabel", kContent, &F::m_iEffect, 3},
    {L"Effect", L"LabelEffectLivingroom", L"EffectLivingroomLabel", kContent, &F::m_iEffect, 4},
    {L"Effect", L"LabelEffectStoneGallery", L"EffectStoneGalleryLabel", kContent, &F::m_iEffect, 5},
    {L"Mic", L"LabelMicBoost", L"MicBoostLabel", kContent, &F::m_bMicBoost, 1},
    {L"Mic", L"LabelMicMute", L"MicMuteLabel", kContent, &F::m_bMicMute, 1},
    {L"Mic", L"LabelMicMonitor", L"MicMonitorLabel", kContent, &F::m_bMicMonitor, 1},
    {L"Mic", L"LabelMicGain", L"MicGainLabel", kContent, nullptr, 0},
    {L"Mic", L"LabelMicValue", L"MicValueLabel", kContent, nullptr, 0},
    {L"Virtual7ch1", L"Label7ch1Enable", L"VirtualENLabel", kContent, &F::m_b7ch1Enable, 1},
    {L"Virtual7ch1", L"LabelVirtualClockwise", L"VirtualClockwiseLabel", kContent, &F::m_bRotateCW, 1},
    {L"Virtual7ch1", L"LabelVirtualCounterclockwise", L"VirtualCounterclockwiseLabel", kContent, &F::m_bRotateCCW, 1},
    {L"Virtual7ch1", L"LabelVirtualEnlarge", L"VirtualEnlargeLabel", kContent, &F::m_bEnlarge, 1},
    {L"Virtual7ch1", L"LabelVirtualNarrow", L"VirtualNarrowLabel", kContent, &F::m_bNarrow, 1},
    {L"Virtual7ch1", L"Label7ch1Reset", L"VirtualResetLabel", kContent, nullptr, 0},
    {L"LED", L"ColorBreatheLabel", L"ColorBreatheLabel", kContent, nullptr, 0},
    {L"LED", L"ColorRainbowLabel", L"ColorRainbowLabel", kContent, nullptr, 0},
    {L"LED", L"ColorPulsatingLabel", L"ColorPulsatingLabel", kContent, nullptr, 0},
    {L"LED", L"ColorSelectLabel", L"ColorSelectLabel", kContent, nullptr, 0},
    {L"LED", L"ColorEffectLabel", L"ColorEffectLabel", kContent, nullptr, 0},
    {L"LED", L"ColorLEDOffLabel", L"ColorLEDOffLabel", kContent, nullptr, 0},
    {L"LED", L"ColorSingleLabel", L"ColorSingleLabel", kContent, nullptr, 0},
    {L"LED", L"ColorSlowLabel", L"ColorSlowLabel", kContent, nullptr, 0},
    {L"LED", L"ColorFastLabel", L"ColorFastLabel", kContent, nullptr, 0},
    {L"ENC", L"ENCFunctionLabel", L"ENCFunctionLabel", kContent, nullptr, 0},
    {L"ENC", L"LabelENCValue", L"ENCValueLabel", kContent, nullptr, 0},
    {L"Timbrex", L"TbxEffectNoneLabel", L"TbxEffectNoneLabel", kContent, nullptr, 0},
    {L"Timbrex", L"TbxEffect1Label", L"TbxEffect1Label", kContent, nullptr, 0},
    {L"Timbrex", L"TbxEffect2Label", L"TbxEffect2Label", kContent, nullptr, 0},
    {L"Timbrex", L"TbxEffect3Label", L"TbxEffect3Label", kContent, nullptr, 0},
    {L"Timbrex", L"TbxEffect4Label", L"TbxEffect4Label", kContent, nullptr, 0},
    {L"Timbrex", L"TbxFunctionLabel", L"TbxFunctionLabel", kContent, nullptr, 0},
    {L"About", L"LabelAbout", nullptr, kElsewhere, nullptr, 0},
    {L"About", L"LabelWeb", nullptr, kElsewhere, nullptr, 0},
    {L"Main", L"LabelWarning", nullptr, kElsewhere, nullptr, 0},
    {L"Main", L"LabelWarning1", nullptr, kElsewhere, nullptr, 0},
};
static_assert(std::size(kLanguageKeys) == 80, "one record per caption key");

// The popup menu's items and the captions they keep without a language.
struct MenuCaption {
    ui::TMenuItem* TAudioMainForm::*item;
    const wchar_t* key;
    const wchar_t* builtIn;
};
const MenuCaption kMenuCaptions[] = {{&F::LanguageMenu, L"LabelLanguage", L"Language"},
                                     {&F::SkinMenu, L"LabelSkin", L"Skin"},
                                     {&F::CloseMenu, L"LabelClose", L"Close"},
                                     {&F::ModeMenu, L"LabelPlugin", L"Plugin"}};

// The page tabs laid out behind each other when the skin shows separator
// bevels: a bevel goes to the right edge of the control before it, a label
// starts gap pixels after the bevel before it.
struct TabPlace {
    const wchar_t* control;
    int gap;  // 0 for a bevel
};
const TabPlace kTabsBeforeENC[] = {{L"Bevel2", 0},      {L"PageEffectLabel", 5},     {L"Bevel3", 0},
                                   {L"PageMicLabel", 5}, {L"Bevel4", 0},             {L"PageVirtual7p1Label", 5},
                                   {L"Bevel5", 0}};
const TabPlace kTabsWithENC[] = {{L"PageENCLabel", 10}, {L"Bevel6", 0}, {L"PageTbxEffectLabel", 5},
                                 {L"Bevel7", 0},        {L"PageLEDLabel", 5}};
const TabPlace kTabsWithoutENC[] = {{L"PageLEDLabel", 5}};

// Font sizes are given for 96 logical pixels per inch; the factor keeps the
// text's pixel size on screens of other densities. Windows before NT 6.0
// draw the panel's fonts a tenth smaller (except at 144).
struct FontFactorRow {
    int dpi;
    double nt6;    // Windows NT 6.0 and later
    double older;  // earlier systems
};
const FontFactorRow kFontFactors[] = {{96, 1.0, 0.9}, {120, 0.8, 0.72}, {144, 0.6664, 0.6664}};

double FontFactor(int dpi, int osClass) {
    for (const FontFactorRow& row : kFontFactors)
        if (row.dpi == dpi) return osClass == 6 ? row.nt6 : row.older;
    // Other densities keep the same pixel size as at 96.
    const double base = osClass == 6 ? 96.0 : 86.4;
    return dpi > 0 ? base / dpi : base / 96.0;
}

// The first comma field of a [GlobalFont] value as strict integer, or
// fallback when the value is empty; an empty first field (",5") is no
// number and raises like any other.
int FirstFieldNumber(const std::wstring& value, int fallback) {
    std::vector<std::wstring> fields = SplitCommaList(value);
    if (fields.empty()) return fallback;
    return ui::StrToInt(fields[0]);
}

}  // namespace

void CopyFieldText(wchar_t* target, size_t chars, const std::wstring& text) {
    if (!target || chars == 0) return;
    const size_t n = text.size() < chars - 1 ? text.size() : chars - 1;
    std::wmemcpy(target, text.data(), n);
    target[n] = L'\0';
}

LANGUAGE_ENTRY& TAudioMainForm::LanguageEntry(const std::wstring& key) { return m_LanguageEntry[key]; }

void TAudioMainForm::LoadLanguageIni(const std::wstring& language) {
    const std::wstring path = m_ProgramFolder + m_Config.LanguageFolderName.substr(0, 30) + L"\\" +
                              m_szResolutionFolder + language + L"\\Language.ini";
    m_LanguageEntry.clear();
    for (const LanguageKey& row : kLanguageKeys) m_LanguageEntry[row.key] = LANGUAGE_ENTRY{};
    m_GlobalFont = GLOBAL_FONT{};
    m_GlobalFont.FontSize = -1;

    std::wstring value;
    ReadIniString(path, L"GlobalFont", L"ColorUp", value);
    m_GlobalFont.ColorUp = static_cast<ui::TColor>(FirstFieldNumber(value, 0));
    ReadIniString(path, L"GlobalFont", L"ColorDown", value);
    m_GlobalFont.ColorDown = static_cast<ui::TColor>(FirstFieldNumber(value, 0));
    ReadIniString(path, L"GlobalFont", L"Font", value);
    CopyFieldText(m_GlobalFont.Font, kFontNameChars, value);
    ReadIniString(path, L"GlobalFont", L"FontSize", value);
    m_GlobalFont.FontSize = FirstFieldNumber(value, -1);

    for (const LanguageKey& row : kLanguageKeys) {
        ReadIniString(path, row.section, row.key, value);
        ParseLanguageEntry(m_LanguageEntry[row.key], SplitCommaList(value), SectionPageOf(row.section));
    }
}

void TAudioMainForm::ParseLanguageEntry(LANGUAGE_ENTRY& entry, const std::vector<std::wstring>& fields,
                                        int sectionPage) {
    entry.page = sectionPage;
    // Entries of the page sections move with the older window layout.
    const bool shift = m_iOldVersion != 0 && sectionPage != 0;
    auto number = [&](size_t i, int& target, BYTE* has) {
        if (fields[i].empty()) return false;
        target = ui::StrToInt(fields[i]);
        if (has) *has = 1;
        return true;
    };
    int colour = 0;
    const size_t count = fields.size() < 10 ? fields.size() : 10;
    for (size_t i = 0; i < count; ++i) {
        switch (i) {
        case 0: CopyFieldText(entry.caption, kCaptionChars, fields[0]); break;
        case 1:
            if (number(1, colour, &entry.hasColorUp)) entry.colorUp = static_cast<ui::TColor>(colour);
            break;
        case 2:
            if (number(2, colour, &entry.hasColorDown)) entry.colorDown = static_cast<ui::TColor>(colour);
            break;
        case 3:
            if (!fields[3].empty()) {
                CopyFieldText(entry.font, kFontNameChars, fields[3]);
                entry.hasFont = 1;
            }
            break;
        case 4: number(4, entry.fontSize, &entry.hasFontSize); break;
        case 5:
            if (number(5, entry.left, &entry.hasLeft) && shift) entry.left += 196;
            break;
        case 6:
            if (number(6, entry.top, &entry.hasTop) && shift) entry.top += 52;
            break;
        case 7: number(7, entry.width, &entry.hasWidth); break;
        case 8: number(8, entry.height, &entry.hasHeight); break;
        case 9: number(9, entry.page, nullptr); break;
        }
    }
}

void TAudioMainForm::ApplyLanguageEntry(LANGUAGE_ENTRY& entry, ui::TControl* control, int up) {
    if (!control) return;
    const bool hidden = entry.caption[0] == L'\0' || std::wcscmp(entry.caption, L"(null)") == 0;
    control->SetVisible(!hidden);
    if (!hidden) control->SetCaption(entry.caption);

    // Entries without colours of their own keep the global ones from now on.
    if (m_GlobalFont.ColorUp != 0 && !entry.hasColorUp) entry.colorUp = m_GlobalFont.ColorUp;
    if (m_GlobalFont.ColorDown != 0 && !entry.hasColorDown) entry.colorDown = m_GlobalFont.ColorDown;
    ui::TFont& font = control->Font();
    if (up) {
        if (entry.hasColorUp) font.SetColor(entry.colorUp);
        else if (m_GlobalFont.ColorUp != 0) font.SetColor(m_GlobalFont.ColorUp);
    } else {
        if (entry.hasColorDown) font.SetColor(entry.colorDown);
        else if (m_GlobalFont.ColorDown != 0) font.SetColor(m_GlobalFont.ColorDown);
    }
    if (entry.hasFont) font.SetName(entry.font);
    else if (m_GlobalFont.Font[0] != L'\0') font.SetName(m_GlobalFont.Font);
    if (entry.hasFontSize || m_GlobalFont.FontSize != -1) {
        const int size = entry.hasFontSize ? entry.fontSize : m_GlobalFont.FontSize;
        const double scaled = size * FontFactor(ui::ScreenPixelsPerInch(), m_iOSVersionClass);
        font.SetSize(static_cast<int>(std::nearbyint(scaled)));  // halves to even
    }
    if (entry.hasLeft) control->SetLeft(entry.left);
    if (entry.hasTop) control->SetTop(entry.top);
    if (entry.hasWidth) control->SetWidth(entry.width);
    if (entry.hasHeight) control->SetHeight(entry.height);
}

void TAudioMainForm::ApplyLanguageCaptions() {
    auto apply = [this](const LanguageKey& row) {
        const bool down = row.state && this->*row.state == row.downWhen;
        ApplyLanguageEntry(LanguageEntry(row.key), Label(row.control), down ? 0 : 1);
    };
    for (const LanguageKey& row : kLanguageKeys)
        if (row.role == kTab) apply(row);

    // Separator bevels between the page tabs.
    ui::TBevel* first = Bevel(L"Bevel2");
    ui::TLabel* eqTab = Label(L"PageEQLabel");
    if (first && eqTab && first->Visible()) {
        first->SetTop(eqTab->Top());
        ui::TControl* before = eqTab;
        auto place = [&](const TabPlace* steps, size_t count) {
            for (size_t i = 0; i < count; ++i) {
                ui::TControl* c = steps[i].gap ? static_cast<ui::TControl*>(Label(steps[i].control))
                                               : static_cast<ui::TControl*>(Bevel(steps[i].control));
                if (!c || !before) continue;
                const int right = before->Left() + before->Width();
                if (steps[i].gap) {
                    c->SetLeft(right + steps[i].gap);
                } else {
                    c->SetLeft(right);
                    c->SetTop(first->Top());
                }
                before = c;
            }
        };
        place(kTabsBeforeENC, std::size(kTabsBeforeENC));
        ui::TBevel* last = Bevel(L"Bevel7");
        if (last && last->Visible()) place(kTabsWithENC, std::size(kTabsWithENC));
        else place(kTabsWithoutENC, std::size(kTabsWithoutENC));
    }

    ApplyLanguageEntry(LanguageEntry(m_bDeviceActive ? L"LabelActive" : L"LabelUnactive"),
                       Label(L"DeviceActiveLabel"), 1);
    if (ui::TLabel* sx = Label(L"SXLabel")) {
        ApplyLanguageEntry(LanguageEntry(L"LabelSX"), sx, 1);
        if (m_iEQPreset >= 1 && m_iEQPreset <= 4)
            sx->SetCaption(LanguageEntry(L"LabelEQS" + std::to_wstring(m_iEQPreset)).caption);
    }
    for (const LanguageKey& row : kLanguageKeys) {
        if (row.role != kContent) continue;
        apply(row);
        if (std::wcscmp(row.key, L"LabelMicValue") == 0) {
            if (ui::TLabel* value = Label(row.control)) value->SetCaption(std::to_wstring(m_iMicVolume));
        } else if (std::wcscmp(row.key, L"LabelENCValue") == 0) {
            if (ui::TLabel* value = Label(row.control)) value->SetCaption(std::to_wstring(m_iENCLevel));
        }
    }
    for (const MenuCaption& menu : kMenuCaptions) {
        const wchar_t* caption = LanguageEntry(menu.key).caption;
        if (ui::TMenuItem* item = this->*menu.item) item->SetCaption(caption[0] ? caption : menu.builtIn);
    }
}
