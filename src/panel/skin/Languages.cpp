// Languages: the per-user choice of language and skin, the two menus, and a
// plain reading of Language.ini that puts each entry's caption, colours,
// font and bounds on its label.
#include <cmath>
#include <vector>

#include "panel/AudioMainForm.h"
#include "shared/DebugTrace.h"

namespace {

struct SectionPage {
    const wchar_t* section;
    int page;
};
const SectionPage kLanguageSections[] = {{L"Main", 0}, {L"EQ", 1},  {L"3D", 5},  {L"Effect", 2},
                                         {L"Mic", 3},  {L"Virtual7ch1", 4}, {L"LED", 6}, {L"ENC", 7},
                                         {L"Timbrex", 8}, {L"About", 0}};

// Labels that show an entry, and the state in which they take ColorDown.
struct CaptionRow {
    const wchar_t* control;
    const wchar_t* entry;
    int TAudioMainForm::*member;  // null: always ColorUp
    int downWhen;
};
const CaptionRow kCaptions[] = {
    {L"SyncLabel", L"LabelSync", nullptr, 0},
    {L"SettingLabel", L"LabelSetting", nullptr, 0},
    {L"FeaturesLabel", L"LabelFeatures", nullptr, 0},
    {L"CompanyNameLabel", L"LabelCompanyName", nullptr, 0},
    {L"DeviceInLabel", L"DeviceInLabel", nullptr, 0},
    {L"DeviceOutLabel", L"DeviceOutLabel", nullptr, 0},
    {L"EQEQENLabel", L"LabelEQEnable", &TAudioMainForm::m_bEQEnable, 1},
    {L"EQ3DENLabel", L"LableEQ3DEnable", &TAudioMainForm::m_b3DEnable, 1},
    {L"EQResetLabel", L"LabelEQReset", nullptr, 0},
    {L"EQS1Label", L"LabelEQS1", &TAudioMainForm::m_iEQPreset, 1},
    {L"EQS2Label", L"LabelEQS2", &TAudioMainForm::m_iEQPreset, 2},
    {L"EQS3Label", L"LabelEQS3", &TAudioMainForm::m_iEQPreset, 3},
    {L"EQS4Label", L"LabelEQS4", &TAudioMainForm::m_iEQPreset, 4},
    {L"EQ60HzLabel", L"LabelEQ60Hz", nullptr, 0},
    {L"EQ300HzLabel", L"LabelEQ300Hz", nullptr, 0},
    {L"EQ1200HzLabel", L"LabelEQ1200Hz", nullptr, 0},
    {L"EQ3600HzLabel", L"LabelEQ3600Hz", nullptr, 0},
    {L"EQ12000HzLabel", L"LabelEQ12000Hz", nullptr, 0},
    {L"D33DENLabel", L"Label3DEnable", &TAudioMainForm::m_b3DEnable, 1},
    {L"D3FBMLabel", L"Label3DFBM", &TAudioMainForm::m_bFBM, 1},
    {L"D3ResetLabel", L"Label3DReset", nullptr, 0},
    {L"D3LChannelLabel", L"Label3DLeftChannel", nullptr, 0},
    {L"D3RChannelLabel", L"Label3DRightChannel", nullptr, 0},
    {L"D3ConnectLabel", L"Label3DConnection", nullptr, 0},
    {L"EffectNonLabel", L"LabelEffectNothing", &TAudioMainForm::m_iEffect, 1},
    {L"EffectTheaterLabel", L"LabelEffectTheater", &TAudioMainForm::m_iEffect, 2},
    {L"EffectBathroomLabel", L"LabelEffectBathroom", &TAudioMainForm::m_iEffect, 3},
    {L"EffectLivingroomLabel", L"LabelEffectLivingroom", &TAudioMainForm::m_iEffect, 4},
    {L"EffectStoneGalleryLabel", L"LabelEffectStoneGallery", &TAudioMainForm::m_iEffect, 5},
    {L"MicBoostLabel", L"LabelMicBoost", &TAudioMainForm::m_bMicBoost, 1},
    {L"MicMuteLabel", L"LabelMicMute", &TAudioMainForm::m_bMicMute, 1},
    {L"MicMonitorLabel", L"LabelMicMonitor", &TAudioMainForm::m_bMicMonitor, 1},
    {L"MicGainLabel", L"LabelMicGain", nullptr, 0},
    {L"MicValueLabel", L"LabelMicValue", nullptr, 0},
    {L"VirtualENLabel", L"Label7ch1Enable", &TAudioMainForm::m_b7ch1Enable, 1},
    {L"VirtualClockwiseLabel", L"LabelVirtualClockwise", &TAudioMainForm::m_bRotateCW, 1},
    {L"VirtualCounterclockwiseLabel", L"LabelVirtualCounterclockwise", &TAudioMainForm::m_bRotateCCW, 1},
    {L"VirtualEnlargeLabel", L"LabelVirtualEnlarge", &TAudioMainForm::m_bEnlarge, 1},
    {L"VirtualNarrowLabel", L"LabelVirtualNarrow", &TAudioMainForm::m_bNarrow, 1},
    {L"VirtualResetLabel", L"Label7ch1Reset", nullptr, 0},
    {L"ColorBreatheLabel", L"ColorBreatheLabel", nullptr, 0},
    {L"ColorRainbowLabel", L"ColorRainbowLabel", nullptr, 0},
    {L"ColorPulsatingLabel", L"ColorPulsatingLabel", nullptr, 0},
    {L"ColorSelectLabel", L"ColorSelectLabel", nullptr, 0},
    {L"ColorEffectLabel", L"ColorEffectLabel", nullptr, 0},
    {L"ColorLEDOffLabel", L"ColorLEDOffLabel", nullptr, 0},
    {L"ColorSingleLabel", L"ColorSingleLabel", nullptr, 0},
    {L"ColorSlowLabel", L"ColorSlowLabel", nullptr, 0},
    {L"ColorFastLabel", L"ColorFastLabel", nullptr, 0},
    {L"ENCFunctionLabel", L"ENCFunctionLabel", nullptr, 0},
    {L"ENCValueLabel", L"LabelENCValue", nullptr, 0},
    {L"TbxEffectNoneLabel", L"TbxEffectNoneLabel", nullptr, 0},
    {L"TbxEffect1Label", L"TbxEffect1Label", nullptr, 0},
    {L"TbxEffect2Label", L"TbxEffect2Label", nullptr, 0},
    {L"TbxEffect3Label", L"TbxEffect3Label", nullptr, 0},
    {L"TbxEffect4Label", L"TbxEffect4Label", nullptr, 0},
    {L"TbxFunctionLabel", L"TbxFunctionLabel", nullptr, 0},
};

// Page tabs: label, entry and the page on which the tab is selected.
const CaptionRow kTabs[] = {
    {L"Menu1Label", L"LabelMenu1", nullptr, 0},
    {L"Menu2Label", L"LabelMenu2", nullptr, 0},
    {L"Menu3Label", L"LabelMenu3", nullptr, 0},
    {L"PageEQLabel", L"LabelPageEQ", &TAudioMainForm::m_iCurrentPage, 1},
    {L"Page3DLabel", L"LabelPage3D", &TAudioMainForm::m_iCurrentPage, 5},
    {L"PageEffectLabel", L"LabelPageEffect", &TAudioMainForm::m_iCurrentPage, 2},
    {L"PageMicLabel", L"LabelPageMic", &TAudioMainForm::m_iCurrentPage, 3},
    {L"PageVirtual7p1Label", L"LabelPageVirtual7ch1", &TAudioMainForm::m_iCurrentPage, 4},
    {L"PageLEDLabel", L"LabelPageLED", &TAudioMainForm::m_iCurrentPage, 6},
    {L"PageENCLabel", L"LabelPageENC", &TAudioMainForm::m_iCurrentPage, 7},
    {L"PageTbxEffectLabel", L"LabelPageTbxEffect", &TAudioMainForm::m_iCurrentPage, 8},
};

// Keys of a section in file order.
std::vector<std::wstring> SectionKeys(const std::wstring& file, const wchar_t* section) {
    std::vector<wchar_t> buffer(32768);
    DWORD n = ::GetPrivateProfileStringW(section, nullptr, L"", buffer.data(), static_cast<DWORD>(buffer.size()),
                                         file.c_str());
    std::vector<std::wstring> keys;
    for (DWORD i = 0; i < n;) {
        std::wstring key(&buffer[i]);
        if (key.empty()) break;
        i += static_cast<DWORD>(key.size()) + 1;
        keys.push_back(key);
    }
    return keys;
}

void CopyText(wchar_t* target, size_t chars, const std::wstring& text) { lstrcpynW(target, text.c_str(), static_cast<int>(chars)); }

double FontFactor(int dpi, int osClass) {
    if (dpi == 96) return osClass == 6 ? 1.0 : 0.9;
    if (dpi == 120) return osClass == 6 ? 0.8 : 0.72;
    if (dpi == 144) return 0.6664;
    return dpi > 0 ? 96.0 / dpi : 1.0;
}

}  // namespace

LANGUAGE_ENTRY& TAudioMainForm::LanguageEntry(const std::wstring& key) { return m_LanguageEntry[key]; }

void TAudioMainForm::ReadDefaultLanguageSkin(std::wstring& language, std::wstring& skin) {
    wchar_t appData[256] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, 256);
    std::wstring path = std::wstring(appData) + L"\\" + m_szUserFolderName + L"\\AudioConfig.cfg";
    trace::Out(L"==> strLastPath, tcProgramPath = %ls\n", appData);
    if (!IsFileExist(Handle(), path)) return;
    ReadIniString(path, L"Language", L"DefaultLanguage", language);
    ReadIniString(path, L"Skin", L"DefaultSkin", skin);
}

void TAudioMainForm::WriteDefaultLanguageSkin(const std::wstring& language, const std::wstring& skin) {
    wchar_t appData[256] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, 256);
    std::wstring path = std::wstring(appData) + L"\\" + m_szUserFolderName + L"\\AudioConfig.cfg";
    if (!IsFileExist(Handle(), path)) return;
    WriteIniString(path, L"Language", L"DefaultLanguage", language);
    WriteIniString(path, L"Skin", L"DefaultSkin", skin);
}

int TAudioMainForm::BuildLanguageMenu() {
    using namespace std::placeholders;
    std::wstring base = m_ProgramFolder + m_Config.LanguageFolderName + L"\\" + m_szResolutionFolder;
    std::vector<std::wstring> folders = ui::SortedSubFolders(base);
    bool ticked = false;
    for (const std::wstring& name : folders) {
        std::wstring display;
        ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", L"MultiLanguageFolderMap", name.c_str(), display);
        ListBoxLanguageMap->Items().Add(name);
        auto* item = new ui::TMenuItem(this);
        item->SetCaption(display);
        item->OnClick = std::bind(&TAudioMainForm::LanguageMenuClick, this, _1);
        if (name == m_szDefaultLanguage) {
            item->SetChecked(true);
            ticked = true;
        }
        LanguageMenu->Add(item);
    }
    if (!ticked && LanguageMenu->Count() > 0) LanguageMenu->Items(0)->SetChecked(true);
    return LanguageMenu->Count();
}

int TAudioMainForm::BuildSkinMenu() {
    using namespace std::placeholders;
    std::wstring base = m_ProgramFolder + m_Config.SkinFolderName + L"\\" + m_szResolutionFolder;
    bool ticked = false;
    for (const std::wstring& name : ui::SortedSubFolders(base)) {
        auto* item = new ui::TMenuItem(this);
        item->SetCaption(name);
        item->OnClick = std::bind(&TAudioMainForm::SkinMenuClick, this, _1);
        if (name == m_szDefaultSkin) {
            item->SetChecked(true);
            ticked = true;
        }
        SkinMenu->Add(item);
    }
    if (!ticked && SkinMenu->Count() > 0) SkinMenu->Items(0)->SetChecked(true);
    return SkinMenu->Count();
}

void TAudioMainForm::LanguageMenuClick(ui::TObject* Sender) {
    auto* item = dynamic_cast<ui::TMenuItem*>(Sender);
    if (!item) return;
    for (int k = 0; k < LanguageMenu->Count(); ++k) LanguageMenu->Items(k)->SetChecked(false);
    item->SetChecked(true);
    for (int k = 0; k < LanguageMenu->Count() && k < ListBoxLanguageMap->Items().Count(); ++k) {
        if (LanguageMenu->Items(k)->Caption() == item->Caption()) {
            m_szDefaultLanguage = ListBoxLanguageMap->Items()[k];
            break;
        }
    }
    LoadLanguageIni(m_szDefaultLanguage);
    ApplyLanguageCaptions();
    ShowPage(m_iCurrentPage);
    WriteDefaultLanguageSkin(m_szDefaultLanguage, m_szDefaultSkin);
}

void TAudioMainForm::SkinMenuClick(ui::TObject* Sender) {
    auto* item = dynamic_cast<ui::TMenuItem*>(Sender);
    if (!item) return;
    for (int k = 0; k < SkinMenu->Count(); ++k) SkinMenu->Items(k)->SetChecked(false);
    item->SetChecked(true);
    std::wstring name;
    const std::wstring& caption = item->Caption();
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        name += caption[i];
    }
    m_szDefaultSkin = name;
    LoadSkinSettingIni(m_szDefaultSkin);
    ApplySkin();
    ApplyLanguageCaptions();
    ShowPage(m_iCurrentPage);
    ShowEQPreset(m_iEQPreset - 1);
    WriteDefaultLanguageSkin(m_szDefaultLanguage, m_szDefaultSkin);
}

void TAudioMainForm::LoadLanguageIni(const std::wstring& language) {
    const std::wstring path = m_ProgramFolder + m_Config.LanguageFolderName + L"\\" + m_szResolutionFolder +
                              language + L"\\Language.ini";
    m_LanguageEntry.clear();
    m_GlobalFont = LANGUAGE_ENTRY{};
    std::wstring value;
    auto firstNumber = [&](const wchar_t* key, int fallback) {
        ReadIniString(path, L"GlobalFont", key, value);
        std::vector<std::wstring> fields = SplitCommaList(value);
        return fields.empty() || fields[0].empty() ? fallback : ui::StrToIntDef(fields[0], fallback);
    };
    m_GlobalFont.colorUp = static_cast<ui::TColor>(firstNumber(L"ColorUp", 0));
    m_GlobalFont.colorDown = static_cast<ui::TColor>(firstNumber(L"ColorDown", 0));
    m_GlobalFont.fontSize = firstNumber(L"FontSize", -1);
    ReadIniString(path, L"GlobalFont", L"Font", value);
    CopyText(m_GlobalFont.font, 64, value);

    for (const SectionPage& section : kLanguageSections) {
        for (const std::wstring& key : SectionKeys(path, section.section)) {
            ReadIniString(path, section.section, key.c_str(), value);
            std::vector<std::wstring> f = SplitCommaList(value);
            LANGUAGE_ENTRY& e = m_LanguageEntry[key];
            e = LANGUAGE_ENTRY{};
            e.page = section.page;
            const bool shift = m_iOldVersion != 0 && section.page != 0;
            auto number = [&](size_t i, int& target, BYTE* has, int add) {
                if (i >= f.size() || f[i].empty()) return;
                target = ui::StrToIntDef(f[i], 0) + add;
                if (has) *has = 1;
            };
            if (!f.empty()) CopyText(e.caption, 128, f[0]);
            int colour = 0;
            number(1, colour, &e.hasColorUp, 0);
            if (e.hasColorUp) e.colorUp = static_cast<ui::TColor>(colour);
            number(2, colour, &e.hasColorDown, 0);
            if (e.hasColorDown) e.colorDown = static_cast<ui::TColor>(colour);
            if (f.size() > 3 && !f[3].empty()) {
                CopyText(e.font, 64, f[3]);
                e.hasFont = 1;
            }
            number(4, e.fontSize, &e.hasFontSize, 0);
            number(5, e.left, &e.hasLeft, shift ? 196 : 0);
            number(6, e.top, &e.hasTop, shift ? 52 : 0);
            number(7, e.width, &e.hasWidth, 0);
            number(8, e.height, &e.hasHeight, 0);
            number(9, e.page, nullptr, 0);
        }
    }
}

void TAudioMainForm::ApplyLanguageEntry(LANGUAGE_ENTRY& entry, ui::TControl* control, int up) {
    if (!control) return;
    bool hidden = entry.caption[0] == L'\0' || std::wcscmp(entry.caption, L"(null)") == 0;
    control->SetVisible(!hidden);
    if (!hidden) control->SetCaption(entry.caption);
    if (m_GlobalFont.colorUp != 0 && !entry.hasColorUp) entry.colorUp = m_GlobalFont.colorUp;
    if (m_GlobalFont.colorDown != 0 && !entry.hasColorDown) entry.colorDown = m_GlobalFont.colorDown;
    const bool own = up ? entry.hasColorUp : entry.hasColorDown;
    const ui::TColor global = up ? m_GlobalFont.colorUp : m_GlobalFont.colorDown;
    if (own) control->Font().SetColor(up ? entry.colorUp : entry.colorDown);
    else if (global != 0) control->Font().SetColor(global);
    if (entry.hasFont) control->Font().SetName(entry.font);
    else if (m_GlobalFont.font[0]) control->Font().SetName(m_GlobalFont.font);
    int size = entry.hasFontSize ? entry.fontSize : m_GlobalFont.fontSize;
    if (entry.hasFontSize || m_GlobalFont.fontSize != -1) {
        double scaled = size * FontFactor(ui::ScreenPixelsPerInch(), m_iOSVersionClass);
        control->Font().SetSize(static_cast<int>(std::nearbyint(scaled)));
    }
    if (entry.hasLeft) control->SetLeft(entry.left);
    if (entry.hasTop) control->SetTop(entry.top);
    if (entry.hasWidth) control->SetWidth(entry.width);
    if (entry.hasHeight) control->SetHeight(entry.height);
}

void TAudioMainForm::ApplyLanguageCaptions() {
    auto apply = [this](const CaptionRow& row) {
        bool down = row.member && this->*row.member == row.downWhen;
        ApplyLanguageEntry(LanguageEntry(row.entry), Label(row.control), down ? 0 : 1);
    };
    for (const CaptionRow& row : kTabs) apply(row);
    ApplyLanguageEntry(LanguageEntry(m_bDeviceActive ? L"LabelActive" : L"LabelUnactive"), Label(L"DeviceActiveLabel"),
                       1);
    ApplyLanguageEntry(LanguageEntry(L"LabelSX"), Label(L"SXLabel"), 1);
    if (m_iEQPreset >= 1 && m_iEQPreset <= 4)
        Label(L"SXLabel")->SetCaption(LanguageEntry(L"LabelEQS" + std::to_wstring(m_iEQPreset)).caption);
    for (const CaptionRow& row : kCaptions) {
        apply(row);
        if (std::wcscmp(row.entry, L"LabelMicValue") == 0) Label(row.control)->SetCaption(std::to_wstring(m_iMicVolume));
        if (std::wcscmp(row.entry, L"LabelENCValue") == 0) Label(row.control)->SetCaption(std::to_wstring(m_iENCLevel));
    }
    struct MenuRow {
        ui::TMenuItem* item;
        const wchar_t* entry;
        const wchar_t* builtIn;
    };
    for (const MenuRow& row : {MenuRow{LanguageMenu, L"LabelLanguage", L"Language"},
                               MenuRow{SkinMenu, L"LabelSkin", L"Skin"}, MenuRow{CloseMenu, L"LabelClose", L"Close"},
                               MenuRow{ModeMenu, L"LabelPlugin", L"Plugin"}}) {
        const wchar_t* caption = LanguageEntry(row.entry).caption;
        row.item->SetCaption(caption[0] ? caption : row.builtIn);
    }
}
