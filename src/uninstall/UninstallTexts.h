// The uninstaller's window texts: the [Uninstall] entries of Language.ini,
// read and applied by the setup programs' shared text module.
#pragma once

#include "setup/SetupTexts.h"

enum UninstallLabel : int {
    kLabelUninstallBtn,
    kLabelUninstallCancelBtn,
    kLabel1,
    kLabel2,
    kLabelUninstallTitle,
    kLabelUninstallWarning1,
    kUninstallLabelCount
};
extern const wchar_t* const kUninstallLabelKeys[kUninstallLabelCount];
constexpr wchar_t kUninstallSection[] = L"Uninstall";
