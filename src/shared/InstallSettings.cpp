#include "InstallSettings.h"

#include <windows.h>
#include <shlobj.h>

#include "shared/DebugTrace.h"
#include "shared/IniValue.h"
#include "shared/Wow64.h"

namespace {

constexpr size_t kPathChars = MAX_PATH;

struct KeyField {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring INSTALL_SETTINGS::*field;
};

// Read in this order. The control panel's record has no ShortcutFolderNameUp
// and no SoundEffectAPPFileName, so its loader skips those two keys.
const KeyField kKeys[] = {
    {L"Language", L"LanguageFolderName", &INSTALL_SETTINGS::LanguageFolderName},
    {L"Skin", L"SkinFolderName", &INSTALL_SETTINGS::SkinFolderName},
    {L"Install", L"InstallAppTitle", &INSTALL_SETTINGS::InstallAppTitle},
    {L"Install", L"InstallIconFileName", &INSTALL_SETTINGS::InstallIconFileName},
    {L"Install", L"InstallFolderName", &INSTALL_SETTINGS::InstallFolderName},
    {L"Install", L"ShortcutFolderName", &INSTALL_SETTINGS::ShortcutFolderName},
#ifndef VELLO_PANEL_VARIANT
    {L"Install", L"ShortcutFolderNameUp", &INSTALL_SETTINGS::ShortcutFolderNameUp},
#endif
    {L"Install", L"AppShortcutName", &INSTALL_SETTINGS::AppShortcutName},
    {L"Uninstall", L"UninstallAppTitle", &INSTALL_SETTINGS::UninstallAppTitle},
    {L"Uninstall", L"UninstallIconFileName", &INSTALL_SETTINGS::UninstallIconFileName},
    {L"Uninstall", L"UninstallShortcutName", &INSTALL_SETTINGS::UninstallShortcutName},
    {L"Uninstall", L"Publisher", &INSTALL_SETTINGS::Publisher},
    {L"Uninstall", L"UninstallDisplayName", &INSTALL_SETTINGS::UninstallDisplayName},
    {L"Application", L"DeviceActiveIconFileName", &INSTALL_SETTINGS::DeviceActiveIconFileName},
    {L"Application", L"DeviceUnactiveIconFileName", &INSTALL_SETTINGS::DeviceUnactiveIconFileName},
    {L"Application", L"TrayIconRestorOn", &INSTALL_SETTINGS::TrayIconRestorOn},
    {L"Install", L"APPFileName", &INSTALL_SETTINGS::APPFileName},
    {L"Install", L"UserManualShortcutName", &INSTALL_SETTINGS::UserManualShortcutName},
    {L"Uninstall", L"UninstallFileName", &INSTALL_SETTINGS::UninstallFileName},
    {L"DebugLevel", L"Application", &INSTALL_SETTINGS::DebugLevelApplication},
    {L"DebugLevel", L"Service", &INSTALL_SETTINGS::DebugLevelService},
    {L"Install", L"EffectAPPFileName", &INSTALL_SETTINGS::EffectAPPFileName},
    {L"Install", L"EffectAppShortcutName", &INSTALL_SETTINGS::EffectAppShortcutName},
    {L"Plugin", L"PluginFolderName", &INSTALL_SETTINGS::PluginFolderName},
#ifndef VELLO_PANEL_VARIANT
    {L"Install", L"SoundEffectAPPFileName", &INSTALL_SETTINGS::SoundEffectAPPFileName},
#endif
};

std::wstring ProgramFilesFolder() {
    wchar_t buffer[kPathChars] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, buffer);
    buffer[kPathChars - 1] = L'\0';
    std::wstring path(buffer);
    AppendBackslash(path, kPathChars);
    return path;
}

// The system folder as the system itself sees it: under WOW64 the
// redirection is switched off for the call and restored afterwards.
std::wstring NativeSystemFolder() {
    const bool wow64 = IsRunningUnderWow64();
    PVOID oldValue = nullptr;
    if (wow64) DisableWow64Redirection(&oldValue);
    wchar_t buffer[kPathChars] = {};
    UINT n = ::GetSystemDirectoryW(buffer, kPathChars);
    if (n >= kPathChars) buffer[0] = L'\0';  // did not fit: nothing was written
    if (wow64) RevertWow64Redirection(oldValue);
    return std::wstring(buffer) + L"\\";
}

bool IsOnlyDotsAndBlanks(const std::wstring& part) {
    return part.find_first_not_of(L". ") == std::wstring::npos;
}

}  // namespace

void AppendBackslash(std::wstring& text, size_t limit) {
    if (!text.empty() && text.back() == L'\\') return;
    if (text.size() + 1 < limit) text += L'\\';
}

void LoadInstallSettings(const std::wstring& settingsFileName, const std::wstring& executablePath,
                         INSTALL_SETTINGS& settings) {
    size_t slash = executablePath.rfind(L'\\');
    if (slash == std::wstring::npos) {
        settings.SourceAppFileName = executablePath;
        settings.SourceFolderFullPath.clear();
    } else {
        settings.SourceAppFileName = executablePath.substr(slash + 1);
        settings.SourceFolderFullPath = executablePath.substr(0, slash + 1);
    }
    trace::Out(L"##### SourceAppFileName = %ls\n", settings.SourceAppFileName.c_str());
    trace::Out(L"##### SourceFolderFullPath = %ls\n", settings.SourceFolderFullPath.c_str());

    const std::wstring file = settings.SourceFolderFullPath + settingsFileName;
    for (const KeyField& k : kKeys) ReadIniValue(file, k.section, k.key, settings.*k.field);

    if (settings.DebugLevelApplication.empty()) settings.DebugLevelApplication = L"0";
    if (settings.DebugLevelService.empty()) settings.DebugLevelService = L"0";

    settings.ProgramFilesFolderPath = ProgramFilesFolder();
    settings.InstallFolderFullPath =
        settings.ProgramFilesFolderPath + settings.InstallFolderName + L"\\";
    settings.NativeSystemFolderPath = NativeSystemFolder();
}

bool IsUsableFolderName(const std::wstring& name) {
    if (name.empty() || name.front() == L'\\' || name.front() == L'/') return false;
    if (name.find_first_of(L":*?\"<>|") != std::wstring::npos) return false;
    size_t start = 0;
    for (;;) {
        size_t end = name.find_first_of(L"\\/", start);
        std::wstring part = name.substr(start, end == std::wstring::npos ? end : end - start);
        if (IsOnlyDotsAndBlanks(part)) return false;
        if (end == std::wstring::npos) return true;
        start = end + 1;
    }
}

bool IsUsableNameComponent(const std::wstring& name) {
    return name.find_first_of(L"\\/") == std::wstring::npos && IsUsableFolderName(name);
}

bool HasUsableInstallFolderName(const INSTALL_SETTINGS& settings) {
    return IsUsableFolderName(settings.InstallFolderName);
}
