// The WOW64 test and the per-thread file-system redirection switch. The
// functions are looked up in kernel32 at each call, so the programs also run
// on systems that lack them.
#pragma once

#include <windows.h>

// false when the system lacks the function or it fails.
BOOL DisableWow64Redirection(PVOID* oldValue);
BOOL RevertWow64Redirection(PVOID oldValue);

// True only when IsWow64Process exists and reports exactly 1 for this process.
bool IsRunningUnderWow64();

// The kernel32 functions behind the three above. Tests replace them to take
// the WOW64 branches (the test build is never WOW64); a null member stands
// for a function the system lacks.
struct Wow64Api {
    BOOL(WINAPI* isWow64Process)(HANDLE, PBOOL);
    BOOL(WINAPI* disableRedirection)(PVOID*);
    BOOL(WINAPI* revertRedirection)(PVOID);
};
// Null restores the system's functions; returns the previous replacement.
const Wow64Api* ReplaceWow64Api(const Wow64Api* api);
