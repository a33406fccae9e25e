// The settings record every program fills at start from the AudioConfig.cfg
// beside its executable, plus the folders that follow from the system.
#pragma once

#include <string>

// Folder fields that the loader derives end in '\'.
struct INSTALL_SETTINGS {
    std::wstring SourceAppFileName;
    std::wstring LanguageFolderName;
    std::wstring SkinFolderName;
    std::wstring ProgramFilesFolderPath;
    std::wstring InstallAppTitle;
    std::wstring InstallIconFileName;
    std::wstring InstallFolderName;
    std::wstring ShortcutFolderName;
#ifndef VELLO_PANEL_VARIANT
    std::wstring ShortcutFolderNameUp;
#endif
    std::wstring AppShortcutName;
    std::wstring UninstallAppTitle;
    std::wstring UninstallIconFileName;
    std::wstring UninstallShortcutName;
    std::wstring Publisher;
    std::wstring UninstallDisplayName;
    std::wstring SourceFolderFullPath;
    std::wstring InstallFolderFullPath;
    std::wstring APPFileName;
    std::wstring UninstallFileName;
    std::wstring UserManualShortcutName;
    std::wstring NativeSystemFolderPath;
    std::wstring DeviceActiveIconFileName;
    std::wstring DeviceUnactiveIconFileName;
    std::wstring TrayIconRestorOn;
    std::wstring EffectAPPFileName;
    std::wstring EffectAppShortcutName;
    std::wstring PluginFolderName;
#ifndef VELLO_PANEL_VARIANT
    std::wstring SoundEffectAPPFileName;
#endif
    std::wstring DebugLevelApplication;
    std::wstring DebugLevelService;
};

// Fills settings from <folder of executablePath>\<settingsFileName> and the
// system. A missing key, an empty value or a missing file leaves the field
// as it was; the two debug levels become "0" when still empty.
void LoadInstallSettings(const std::wstring& settingsFileName, const std::wstring& executablePath,
                         INSTALL_SETTINGS& settings);

// True when InstallFolderName names a folder of its own below Program Files
// and %APPDATA%: not empty, not absolute, no drive, no wildcard, and no part
// that is empty or only dots and blanks (such parts name the parent folder).
// Callers that create or delete <ProgramFiles>\<name> or <APPDATA>\<name>
// must check it first.
bool HasUsableInstallFolderName(const INSTALL_SETTINGS& settings);
bool IsUsableFolderName(const std::wstring& name);
// True when name is one usable part of a path: a folder or file name of its
// own, as IsUsableFolderName checks it, without any '\' or '/'.
bool IsUsableNameComponent(const std::wstring& name);

// Appends '\' unless text already ends in one, as long as the result stays
// within limit - 1 characters (a buffer of limit characters with its NUL).
void AppendBackslash(std::wstring& text, size_t limit);
