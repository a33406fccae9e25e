// The per-user choice of language and skin, the Language and Skin submenus
// of the popup menu, and switching either of them while the panel runs.
#include <algorithm>
#include <cmath>
#include <functional>

#include "panel/AudioMainForm.h"
#include "panel/skin/SkinPictures.h"
#include "shared/DebugTrace.h"
#include "shared/FileHelpers.h"

namespace {

// Longest stored language or skin folder name.
constexpr size_t kNameChars = 127;
// Longest language name shown in the menu.
constexpr size_t kDisplayNameChars = 31;

std::wstring Cut(const std::wstring& text, size_t chars) { return text.size() > chars ? text.substr(0, chars) : text; }

// %APPDATA% (empty when unset or longer than 255 characters).
std::wstring AppDataFolder() {
    wchar_t folder[256] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", folder, 256);
    return n > 0 && n < 256 ? std::wstring(folder, n) : std::wstring();
}

// A menu caption without its access-key marks: "&" is dropped and the
// character after it taken as it is ("&&" gives "&").
std::wstring WithoutAccessKeys(const std::wstring& caption) {
    std::wstring name;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        else if (caption[i] == L'&') break;
        name += caption[i];
    }
    return name;
}

}  // namespace

void TAudioMainForm::ReadDefaultLanguageSkin(std::wstring& language, std::wstring& skin) {
    const std::wstring appData = AppDataFolder();
    const std::wstring path = appData + L"\\" + m_szUserFolderName + L"\\AudioConfig.cfg";
    trace::Out(L"==> strLastPath, tcProgramPath = %ls\n", appData.c_str());
    // A user other than the one who installed has no copy yet: it is made
    // as the installer makes it.
    if (!IsFileExist(Handle(), path) && !appData.empty() && !m_szUserFolderName.empty()) MakeUserCopies(appData);
    if (!IsFileExist(Handle(), path)) return;
    ReadIniString(path, L"Language", L"DefaultLanguage", language);
    ReadIniString(path, L"Skin", L"DefaultSkin", skin);
    language = Cut(language, kNameChars);
    skin = Cut(skin, kNameChars);
}

void TAudioMainForm::MakeUserCopies(const std::wstring& appData) {
    const std::wstring folder = appData + L"\\" + m_szUserFolderName + L"\\";
    trace::Out(L"##### Per-user settings made in %ls\n", folder.c_str());
    CreateFolderPath(folder);
    CopyFileOverwrite(m_ProgramFolder + L"AudioConfig.cfg", folder + L"AudioConfig.cfg");
    CopyFileOverwrite(m_ProgramFolder + L"DefaultProfile.ini", folder + L"DefaultProfile.ini");
}

std::vector<std::wstring> TAudioMainForm::ListedFolders(const std::wstring& base) {
    std::vector<std::wstring> listed;
    for (std::wstring& name : ui::SortedSubFolders(base))
        if (name.size() <= kNameChars) listed.push_back(std::move(name));
    return listed;
}

std::wstring TAudioMainForm::ListedChoice(const std::wstring& name, const std::vector<std::wstring>& listed,
                                          const wchar_t* defaultKey) {
    auto isListed = [&listed](const std::wstring& n) {
        return !n.empty() && std::find(listed.begin(), listed.end(), n) != listed.end();
    };
    if (isListed(name)) return name;
    std::wstring fallback;
    ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", defaultKey, (std::wstring(L"Default") + defaultKey).c_str(),
                  fallback);
    fallback = Cut(fallback, kNameChars);
    if (isListed(fallback)) return fallback;
    return listed.empty() ? std::wstring() : listed.front();
}

void TAudioMainForm::WriteDefaultLanguageSkin(const std::wstring& language, const std::wstring& skin) {
    const std::wstring path = AppDataFolder() + L"\\" + m_szUserFolderName + L"\\AudioConfig.cfg";
    if (!IsFileExist(Handle(), path)) return;
    WriteIniString(path, L"Language", L"DefaultLanguage", language);
    WriteIniString(path, L"Skin", L"DefaultSkin", skin);
}

int TAudioMainForm::BuildLanguageMenu() {
    using namespace std::placeholders;
    const std::wstring base = m_ProgramFolder + m_Config.LanguageFolderName.substr(0, 30) + L"\\" + m_szResolutionFolder;
    const std::wstring config = m_ProgramFolder + L"AudioConfig.cfg";
    bool ticked = false;
    // A name the panel could not store is not offered.
    for (const std::wstring& name : ListedFolders(base)) {
        std::wstring display;
        ReadIniString(config, L"MultiLanguageFolderMap", name.c_str(), display);
        ListBoxLanguageMap->Items().Add(name);
        auto* item = new ui::TMenuItem(this);
        item->SetCaption(Cut(display, kDisplayNameChars));
        item->OnClick = std::bind(&TAudioMainForm::LanguageMenuClick, this, _1);
        if (name == m_szDefaultLanguage) {
            item->SetChecked(true);
            ticked = true;
        }
        LanguageMenu->Add(item);
    }
    if (LanguageMenu->Count() == 0) {
        trace::Out(L"***** No language folder in %ls *****\n", base.c_str());
        return 0;
    }
    if (!ticked) LanguageMenu->Items(0)->SetChecked(true);
    return LanguageMenu->Count();
}

int TAudioMainForm::BuildSkinMenu() {
    using namespace std::placeholders;
    const std::wstring base = m_ProgramFolder + m_Config.SkinFolderName.substr(0, 30) + L"\\" + m_szResolutionFolder;
    bool ticked = false;
    for (const std::wstring& name : ListedFolders(base)) {
        auto* item = new ui::TMenuItem(this);
        item->SetCaption(name);
        item->OnClick = std::bind(&TAudioMainForm::SkinMenuClick, this, _1);
        if (item->Caption() == m_szDefaultSkin) {
            item->SetChecked(true);
            ticked = true;
        }
        SkinMenu->Add(item);
    }
    if (SkinMenu->Count() == 0) {
        trace::Out(L"***** No skin folder in %ls *****\n", base.c_str());
        return 0;
    }
    if (!ticked) SkinMenu->Items(0)->SetChecked(true);
    return SkinMenu->Count();
}

void TAudioMainForm::LanguageMenuClick(ui::TObject* Sender) {
    auto* item = dynamic_cast<ui::TMenuItem*>(Sender);
    if (!item) return;
    for (int k = 0; k < LanguageMenu->Count(); ++k) LanguageMenu->Items(k)->SetChecked(false);
    item->SetChecked(true);
    // The clicked item itself names the folder (two languages may share a
    // display name).
    const int k = LanguageMenu->IndexOf(item);
    if (k >= 0 && k < ListBoxLanguageMap->Items().Count()) m_szDefaultLanguage = ListBoxLanguageMap->Items()[k];
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
    m_szDefaultSkin.clear();
    m_szDefaultSkin = Cut(WithoutAccessKeys(item->Caption()), kNameChars);
    LoadSkinSettingIni(m_szDefaultSkin);
    ApplySkin();
    ApplyLanguageCaptions();
    UpdateENCUI();
    UpdateTimbrexUI();
    ShowPage(m_iCurrentPage);
    ShowEQPreset(m_iEQPreset - 1);
    ReadMicState();
    RescaleSpeakerField();
    WriteDefaultLanguageSkin(m_szDefaultLanguage, m_szDefaultSkin);
    m_Pictures->PrefetchRest();
}

void TAudioMainForm::RescaleSpeakerField() {
    // Without a previous circle (or with a new one of no size) the icons
    // keep their distances.
    double ratio = 1.0;
    if (m_iVirtualOldRadius > 0 && m_iVirtualRadius > 0)
        ratio = static_cast<double>(m_iVirtualRadius) / static_cast<double>(m_iVirtualOldRadius);
    else
        trace::Out(L"***** Virtual radius %d -> %d: distances kept *****\n", m_iVirtualOldRadius, m_iVirtualRadius);
    for (int i = 0; i < kSpeakerCount; ++i) {
        SPEAKER_POS scaled = m_Speaker[i];
        scaled.distance *= ratio;
        PlaceSpeakerImage(SpeakerImage(i), scaled, 2);
    }
}
