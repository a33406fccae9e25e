// The operating-system calls of the wizard that tests must not let happen (a
// restart of Windows ends every program of the session) or cannot make fail
// (starting a thread). The programs always use the system's own.
#pragma once

#include <windows.h>

struct SetupSystemApi {
    // Enables SeShutdownPrivilege in the process token; false when it cannot.
    bool (*enableShutdownPrivilege)();
    BOOL(WINAPI* exitWindowsEx)(UINT flags, DWORD reason);
    HANDLE(WINAPI* createThread)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                                 LPDWORD);
};

// The calls in use: the replacement, or the system's.
const SetupSystemApi& CurrentSetupSystemApi();
// Null restores the system's calls; returns the previous replacement.
const SetupSystemApi* ReplaceSetupSystemApi(const SetupSystemApi* api);
