#include "KitInstallation.h"

#include <windows.h>

#include "InstalledState.h"
#include "TestSupport.h"
#include "shared/DeviceIdMgr.h"
#include "shared/Registry.h"
#include "shared/Shortcuts.h"

namespace vt {

namespace {

std::wstring Setting(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[512] = {};
    ::GetPrivateProfileStringW(section, key, L"", buffer, 512, file.c_str());
    return buffer;
}

void Write(const std::wstring& path, const std::string& bytes) { WriteFileBytes(path, bytes); }

void StoreDeviceIdGroup(const std::wstring& config, const wchar_t* section, const wchar_t* group) {
    DEVICEID_MGR::CDeviceIdMgr ids;
    ids.LoadFromIniFile(config, section);
    ids.SaveToRegistry(group);
}

}  // namespace

std::wstring OtherProductFile() { return ProgramFilesFolder() + L"\\Other Audio\\keep.txt"; }
std::wstring OtherAppDataFile() { return AppDataFolder() + L"\\other.txt"; }
std::wstring OtherUserFolderFile() { return AppDataFolder() + L"\\Other Audio\\keep.txt"; }
std::wstring DriverFile() { return SystemFolder() + L"drivers\\VelloFlt.sys"; }
std::wstring UpdatePackageFile() { return SystemFolder() + L"Windows6.1-KB3033929-x64.msu"; }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Install(const KitInstallation& installation) {
    const std::wstring install = KitInstallFolder();
    const std::wstring user = KitUserFolder();
    ::CreateDirectoryW(install.c_str(), nullptr);
    ::CreateDirectoryW(user.c_str(), nullptr);
    const std::wstring config = install + L"AudioConfig.cfg";
    ::CopyFileW((installation.kit + L"AudioConfig.cfg").c_str(), config.c_str(), FALSE);
    for (const auto& [place, value] : installation.settings)
        ::WritePrivateProfileStringW(place.first.c_str(), place.second.c_str(), value.c_str(), config.c_str());
    ::CopyFileW(config.c_str(), (user + L"AudioConfig.cfg").c_str(), FALSE);
    ::CopyFileW((installation.kit + L"DefaultProfile.ini").c_str(), (user + L"DefaultProfile.ini").c_str(), FALSE);
    Write(user + L"LastProfile.ini", "[EQ]\r\nEnable=1\r\n");

    // The registry: device-ID groups, defaults, driver key, Run and uninstall entries.
    StoreDeviceIdGroup(config, DEVICEID_MGR::kUsbSection, DEVICEID_MGR::kUsbGroup);
    StoreDeviceIdGroup(config, DEVICEID_MGR::kHidSection, DEVICEID_MGR::kHidGroup);
    WriteRegistryDWORD(L"Qorv 73xx Software", L"EncEnable", 1);
    WriteRegistryString(L"Qorv 73xx Software", L"UserPrivilegeExecution_C0", L"\"" + install + L"VelloPanel.exe\" -servicestart");
    CreateDriverServiceKey(L"VelloFlt");
    const std::wstring panel = install + L"VelloPanel.exe";
    const std::wstring uninstaller = install + L"VelloUninstall.exe";
    WriteRunValue(kKitRunValueName, L"\"" + panel + L"\" -boot");
    INSTALL_MGR::_REG_UNINSTALL_INFO info;
    info.KeyPath = kUninstallKey;
    info.DisplayName = L"Vello Audio Center";
    info.UninstallString = uninstaller;
    info.DisplayIcon = uninstaller;
    info.DisplayVersion = L"1.0.0.0";
    info.Publisher = L"Vello Audio Systems";
    WriteUninstallInfo(info);

    // The driver's, the service's and the update package's files.
    Write(DriverFile(), "VelloFlt stand-in");
    Write(SystemFolder() + L"VelloService.exe", "VelloService stand-in");
    Write(UpdatePackageFile(), "update package stand-in");

    // Program files and folders.
    Write(panel, "VelloPanel");
    if (!installation.uninstaller.empty()) ::CopyFileW(installation.uninstaller.c_str(), uninstaller.c_str(), FALSE);
    for (const wchar_t* file : {L"Vello.ico", L"VelloUninstall.ico", L"bee.wav"})
        ::CopyFileW((installation.kit + file).c_str(), (install + file).c_str(), FALSE);
    Write(install + L"DLLKQ_UsbAudio73xx_x32.dll", "device library");
    // The skin tree only in part (the uninstaller reads none of it).
    ::CreateDirectoryW((install + L"Skin").c_str(), nullptr);
    ::CreateDirectoryW((install + L"Skin\\Graphite").c_str(), nullptr);
    for (const wchar_t* file : {L"Skin\\Graphite\\SkinSetting.ini", L"Skin\\Graphite\\MainForm_Frame.rgn"})
        ::CopyFileW((installation.kit + file).c_str(), (install + file).c_str(), FALSE);
    CopyTree(installation.kit + L"Language", install + L"Language");
    ::CreateDirectoryW((install + L"Manual").c_str(), nullptr);
    CopyTree(installation.kit + L"Manual\\English", install + L"Manual\\English");
    CopyTree(installation.kit + L"Plugin", install + L"Plugin");
    for (const wchar_t* name : {L"VelloEffect", L"VelloSoundFX"})
        Write(install + L"Plugin\\" + name + L"\\" + name + L".exe", "companion program");

    // Shortcuts, as the installer names them.
    const std::wstring folder = Setting(config, L"Install", L"ShortcutFolderName");
    const std::wstring upper = Setting(config, L"Install", L"ShortcutFolderNameUp");
    const std::wstring appName = Setting(config, L"Install", L"AppShortcutName");
    CreateShortcut(folder, panel, appName, upper);
    CreateShortcut(folder, uninstaller, Setting(config, L"Uninstall", L"UninstallShortcutName"), upper);
    CreateManualShortcut(folder, install + L"Manual\\English\\VelloAudioManual.html",
                         Setting(config, L"Install", L"UserManualShortcutName"));
    if (Setting(config, L"Install", L"DesktopShortcutEnable") == L"1") CreateDesktopShortcut(panel, appName);

    // Neighbours.
    ::CreateDirectoryW((ProgramFilesFolder() + L"\\Other Audio").c_str(), nullptr);
    Write(OtherProductFile(), "another product");
    Write(OtherAppDataFile(), "another file");
    ::CreateDirectoryW((AppDataFolder() + L"\\Other Audio").c_str(), nullptr);
    Write(OtherUserFolderFile(), "another product's user folder");
}

void RemoveInstallation() {
    ResetInstalledState();
    RemoveTree(ProgramFilesFolder() + L"\\Other Audio");
    RemoveTree(AppDataFolder() + L"\\Other Audio");
    ::DeleteFileW(OtherAppDataFile().c_str());
    ::DeleteFileW(DriverFile().c_str());
    ::DeleteFileW(UpdatePackageFile().c_str());
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDriverKey);
}

}  // namespace vt
