// Closing the product's running programs before their files are replaced or
// deleted: the installer and the uninstaller ask every control panel (and
// companion program) to close with the registered message
// "WM_Qorv73xxAPP_EXIT", and then wait until those programs have ended.
#pragma once

#include <windows.h>

#include <string>

// How long the programs of the install folder are given to end after the
// broadcast; a program that has not ended by then is left running.
constexpr DWORD kProgramsEndWaitMs = 5000;

// Broadcasts "WM_Qorv73xxAPP_EXIT" (100 ms send time-out per window), then
// waits at most waitMs until no process other than this one runs a program
// file below installFolder (a folder path ending in '\'; empty: no wait).
// false, with a debugger line, when one still runs.
bool CloseRunningPrograms(const std::wstring& installFolder, DWORD waitMs = kProgramsEndWaitMs);
