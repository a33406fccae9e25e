// The sample kit's installation as VelloSetup leaves it, as the 32-bit
// install test compares it: the files of the install folder with their
// sources, and the values of the settings key and the uninstall entry.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace arch32 {

using Values = std::map<std::wstring, std::wstring>;

// Relative paths of every file below folder (which ends in '\').
std::set<std::wstring> FilesBelow(const std::wstring& folder);
// Whether both files can be read and hold the same bytes.
bool SameBytes(const std::wstring& path, const std::wstring& otherPath);
// Whether wanted appear among lines in this order (others may come between).
bool InOrder(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& wanted);

// The settings key (vt::kSettingsKey) after the kit's installation: the
// defaults and the fifteen command lines the service starts programs by.
Values KitSettingsValues();
// The uninstall entry's values (vt::kUninstallKey) after it.
Values KitUninstallValues();
// Every file the installation puts into the install folder (relative path)
// with the file it must equal: the setup folder's (setupFolder ends in '\')
// or the build's programs beside the test program.
Values KitInstallFiles(const std::wstring& setupFolder);

}  // namespace arch32
