// The wizard's languages: the list offered in the combo box, the [Setup]
// texts of the chosen Language.ini, and the language stored for the user.
#include "setup/MainForm.h"
#include "shared/DebugTrace.h"
#include "shared/IniValue.h"

const wchar_t* const kSetupLabelKeys[kSetupLabelCount] = {
    L"LabelBackBtn",    L"LabelNextBtn",  L"LabelFinishBtn",      L"LabelCancelBtn",
    L"LabelSelectLang", L"LabelVersion",  L"LabelAudioExt",       L"LabelInstall",
    L"LabelReboot",     L"LabelRebootRadioBtn", L"LabelNoRebootRadioBtn", L"LabelTitle",
    L"LabelWarning1",   L"LabelWarning2", L"LabelWarning3",       L"LabelWarning4",
    L"AntivirusTip",    L"KB3033929Tip",
};

namespace {
constexpr wchar_t kSettingsFile[] = L"AudioConfig.cfg";
}  // namespace

void TMainForm::ReadDefaultLanguage(std::wstring& language) {
    setup_texts::ReadDefaultLanguage(UserFolderFullPath, language);
}

void TMainForm::WriteDefaultLanguage(const std::wstring& language) {
    WriteIniValue(UserFolderFullPath + setup_texts::kUserSettingsFile, L"Language", L"DefaultLanguage", language);
}

// The folder whose sub-folders are the languages offered.
std::wstring TMainForm::LanguageListFolder() const {
    const std::wstring resolution = m_iMultiDisplaySetting == 1 ? m_ResolutionFolder : std::wstring();
    return m_Settings.SourceFolderFullPath + m_Settings.LanguageFolderName + L"\\" + resolution;
}

// A language folder's name as the list shows it; empty for a folder that is
// not offered.
std::wstring TMainForm::LanguageDisplayName(const std::wstring& language) const {
    std::wstring display;
    ReadIniValue(m_Settings.SourceFolderFullPath + kSettingsFile, L"MultiLanguageFolderMap", language, display);
    return display;
}

int TMainForm::ListLanguages(const std::wstring& language) {
    ComboBox->SetItemIndex(-1);
    int count = 0;
    try {
        DirectoryListBox->SetDirectory(LanguageListFolder());
    } catch (const ui::Exception& e) {
        trace::Out(L"***** No language folder: %ls *****\n", e.Message().c_str());
        return 0;
    }
    // The languages are the listed folder's sub-folders (the items below it),
    // named by their path relative to it.
    std::wstring listed = DirectoryListBox->Directory();
    if (listed.back() != L'\\') listed += L'\\';
    for (int i = 0; i < DirectoryListBox->Items().Count(); ++i) {
        const std::wstring path = DirectoryListBox->GetItemPath(i);
        if (path.size() <= listed.size() || path.compare(0, listed.size(), listed) != 0) continue;
        const std::wstring name = path.substr(listed.size());
        const std::wstring display = LanguageDisplayName(name);
        if (display.empty()) continue;
        OriginalComboBox->Items().Add(name);
        ComboBox->Items().Add(display);
        if (name == language) ComboBox->SetItemIndex(ComboBox->Items().Count() - 1);
        ++count;
    }
    if (ComboBox->ItemIndex() < 0 && count > 0) ComboBox->SetItemIndex(0);
    return count;
}

void TMainForm::LoadLanguage(const std::wstring& language) {
    const std::wstring pathPart = (m_iMultiDisplaySetting == 1 ? m_ResolutionFolder : std::wstring()) + language;
    for (int i = 0; i < kSetupLabelCount; ++i) ReadLanguageText(m_LabelInfo[i], kSetupLabelKeys[i], pathPart);
    SetCaption(setup_texts::WindowCaption(m_LabelInfo[kLabelTitle], m_OwnVersion));
}

void TMainForm::ReadLanguageText(LABEL_INFO& record, const wchar_t* key, const std::wstring& pathPart) {
    setup_texts::ReadLanguageText(
        record, setup_texts::LanguageFilePath(m_Settings.SourceFolderFullPath, m_Settings.LanguageFolderName, pathPart),
        kSetupSection, key);
}

void TMainForm::ApplyLanguage() {
    BackBitBtn->SetCaption(m_LabelInfo[kLabelBackBtn].Text);
    NextBitBtn->SetCaption(m_LabelInfo[kLabelNextBtn].Text);
    FinishBitBtn->SetCaption(m_LabelInfo[kLabelFinishBtn].Text);
    CancelBitBtn->SetCaption(m_LabelInfo[kLabelCancelBtn].Text);
    ApplyLabelStyle(m_LabelInfo[kLabelSelectLang], SelectLangLabel);
    ApplyLabelStyle(m_LabelInfo[kLabelVersion], VersionLabel);
    ApplyLabelStyle(m_LabelInfo[kLabelAudioExt], AudioExtLabel);
    ApplyLabelStyle(m_LabelInfo[kLabelInstall], InstallLabel);
    ApplyLabelStyle(m_LabelInfo[kLabelReboot], RebootLabel);
    RebootRadioButton->SetCaption(m_LabelInfo[kLabelRebootRadioBtn].Text);
    NoRebootRadioButton->SetCaption(m_LabelInfo[kLabelNoRebootRadioBtn].Text);
    SetCaption(setup_texts::WindowCaption(m_LabelInfo[kLabelTitle], m_OwnVersion));
}

void TMainForm::ApplyLabelStyle(const LABEL_INFO& record, ui::TControl* control) {
    setup_texts::ApplyLabelStyle(record, *control);
}

void TMainForm::ComboBoxChange(ui::TObject*) {
    const int index = ComboBox->ItemIndex();
    if (index < 0 || index >= OriginalComboBox->Items().Count()) return;
    const std::wstring language = OriginalComboBox->Items()[index];
    LoadLanguage(language);
    ApplyLanguage();
    WriteDefaultLanguage(language);
}
