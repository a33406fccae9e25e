// Starting a file the way the setup programs start their helpers: through
// the shell (ShellExecuteExW), with the file type's default action, hidden,
// without the shell's error boxes, keeping the started process.
#pragma once

#include <string>

#include "shared/ScopedWin.h"

// Opens file with parameters (none when empty). false when the shell could
// not start it (GetLastError says why); otherwise process holds the started
// process, or nothing when the shell started none.
bool StartHidden(const std::wstring& file, const std::wstring& parameters, win::Handle& process);
