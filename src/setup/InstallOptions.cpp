// The install options of the setup folder's AudioConfig.cfg, the stored
// device-ID groups and the defaults of the system's settings key.
#include <cwchar>

#include "setup/MainForm.h"
#include "shared/DebugTrace.h"
#include "shared/IniValue.h"
#include "shared/Registry.h"
#include "shared/ResolutionFolder.h"

namespace {

constexpr wchar_t kSettingsFile[] = L"AudioConfig.cfg";
constexpr wchar_t kSettingsKey[] = L"Qorv 73xx Software";
constexpr wchar_t kEncValueMapKey[] = L"Qorv 73xx Software\\EncValueMap";
// [EncValueMap] keys read: "1" to this.
constexpr int kLastEncValueKey = 19;

// [DefaultSet] keys copied into the settings key only when they are set.
struct DefaultValue {
    const wchar_t* iniKey;
    const wchar_t* valueName;
};
const DefaultValue kOptionalDefaults[] = {
    {L"TimbrexEnable", L"TimbrexEnable"},
    {L"TimbrexLevel", L"TimbrexLevel"},
    {L"V7ch1Scalar", L"Virtual7ch1Scalar"},
    {L"EncScalar", L"EncScalar"},
    {L"EncGpio", L"EncGpio"},
};

// An option's value: fallback when empty, else its leading integer.
int Option(const std::wstring& file, const wchar_t* section, const wchar_t* key, int fallback) {
    std::wstring value;
    ReadIniValue(file, section, key, value);
    return value.empty() ? fallback : _wtoi(value.c_str());
}

int FirstField(const std::wstring& value) {
    std::vector<std::wstring> fields;
    SplitCommaFields(value, fields);
    return _wtoi(fields.front().c_str());
}

void WriteDefault(const wchar_t* subKey, const std::wstring& name, int value) {
    if (WriteRegistryDWORD(subKey, name, static_cast<DWORD>(value)) != kRegWritten)
        trace::Out(L"***** %ls\\%ls not written *****\n", subKey, name.c_str());
}

}  // namespace

int TMainForm::ReadInstallOptions() {
    const std::wstring file = m_Settings.SourceFolderFullPath + kSettingsFile;
    std::wstring pluginFolder;
    ReadIniValue(file, L"Plugin", L"PluginFolderName", pluginFolder);
    m_iPluginFolderConfigured = pluginFolder.empty() ? 0 : 1;
    m_iDesktopShortcutEnable = Option(file, L"Install", L"DesktopShortcutEnable", 0);
    m_iInstallWindowsKB = Option(file, L"Install", L"InstallWindowsKB", 1);
    m_iShowRebootScreen = Option(file, L"Install", L"ShowRebootScreen", 0);
    const bool showReboot = m_iShowRebootScreen == 1;
    RebootRadioButton->SetVisible(showReboot);
    NoRebootRadioButton->SetVisible(showReboot);
    m_iMultiDisplaySetting = Option(file, L"Install", L"MultiDisplaySetting", 0);
    if (m_iMultiDisplaySetting == 1) m_ResolutionFolder = resolution::FolderForScreen(resolution::Compare::Greater);
    return 0;
}

int TMainForm::SaveDeviceIdGroup(DEVICEID_MGR::CDeviceIdMgr& list, const std::wstring& group,
                                 const std::wstring& section, const std::wstring& fileName) {
    if (list.LoadFromIniFile(m_Settings.SourceFolderFullPath + fileName, section) != DEVICEID_MGR::kIdsLoaded)
        return 1;
    if (list.SaveToRegistry(group) != 0) return 2;
    return 0;
}

int TMainForm::SaveRegistryDefaults() {
    const std::wstring file = m_Settings.SourceFolderFullPath + kSettingsFile;
    for (int n = 1; n <= kLastEncValueKey; ++n) {
        std::wstring value;
        ReadIniValue(file, L"EncValueMap", std::to_wstring(n), value);
        std::vector<std::wstring> fields;
        if (SplitCommaFields(value, fields) >= 2) WriteDefault(kEncValueMapKey, fields[0], _wtoi(fields[1].c_str()));
    }
    std::wstring encEnable;
    ReadIniValue(file, L"DefaultSet", L"EncEnable", encEnable);
    WriteDefault(kSettingsKey, L"EncEnable", encEnable.empty() ? 0 : FirstField(encEnable));
    for (const DefaultValue& d : kOptionalDefaults) {
        std::wstring value;
        ReadIniValue(file, L"DefaultSet", d.iniKey, value);
        if (!value.empty()) WriteDefault(kSettingsKey, d.valueName, FirstField(value));
    }
    return 0;
}
