// .lnk shortcuts made through the shell's link object. Failures are silent:
// a missing shortcut never stops the caller.
#pragma once

#include <string>

// <common programs>[\<upperFolder>]\<folder>\<name>.lnk pointing at target;
// the upper folder (when given) and the folder are created.
void CreateShortcut(const std::wstring& folder, const std::wstring& target,
                    const std::wstring& name, const std::wstring& upperFolder);
// <common programs>\<folder>\<name>.lnk; the folder is created.
void CreateManualShortcut(const std::wstring& folder, const std::wstring& target,
                          const std::wstring& name);
// <desktop folder of the running account>\<name>.lnk.
void CreateDesktopShortcut(const std::wstring& target, const std::wstring& name);
