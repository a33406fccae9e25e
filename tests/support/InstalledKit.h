// The sample kit's installation as VelloSetup leaves it, for the tests that
// install it (the installer's program tests, the end-to-end test and the
// 32-bit install test): the files of the install folder with their sources,
// and the values of the settings key and the uninstall entry. Paths follow
// the running build (vt::KitInstallFolder()).
#pragma once

#include <map>
#include <string>

namespace vt {

using Values = std::map<std::wstring, std::wstring>;

// The settings key (vt::kSettingsKey) after the kit's installation: the
// defaults and the fifteen command lines the service starts programs by.
Values KitSettingsValues();
// The uninstall entry's values (vt::kUninstallKey) after it.
Values KitUninstallValues();
// Every file the installation puts into the install folder (relative path)
// with the file it must equal: the setup folder's (setupFolder ends in '\'),
// the manual in the language chosen, or the build's programs beside the test
// program.
Values KitInstallFiles(const std::wstring& setupFolder, const std::wstring& manualLanguage = L"English");

}  // namespace vt
