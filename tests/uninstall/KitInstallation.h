// An installation of the sample kit, built the way the installer leaves it
// (program files, folders, shortcuts, registry entries, the per-user folder,
// the driver's and the service's files), with neighbours that belong to
// other products and must survive an uninstall.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "InstalledState.h"

namespace vt {

struct KitInstallation {
    // The kit's folder (with '\').
    std::wstring kit;
    // The program put into the install folder as VelloUninstall.exe; none when empty.
    std::wstring uninstaller;
    // [section, key] = value, written into the installed AudioConfig.cfg and
    // its per-user copy before anything else is made (the installer's own
    // names follow them, for example ShortcutFolderNameUp).
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> settings;
};

// Builds the installation (on a system reset with ResetInstalledState).
void Install(const KitInstallation& installation);
// Removes the neighbours and whatever Install made beyond ResetInstalledState.
void RemoveInstallation();

// Files outside the installation that an uninstall must never touch.
std::wstring OtherProductFile();     // <Program Files>\Other Audio\keep.txt
std::wstring OtherAppDataFile();     // %APPDATA%\other.txt
std::wstring OtherUserFolderFile();  // %APPDATA%\Other Audio\keep.txt
// What the uninstall leaves on purpose: the driver and the update package.
std::wstring DriverFile();
std::wstring UpdatePackageFile();

// Whether a file or folder exists.
bool Exists(const std::wstring& path);

}  // namespace vt
