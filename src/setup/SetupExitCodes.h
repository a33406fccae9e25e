// VelloSetup's exit codes. Only a finished installation ends with 0; the
// README lists them for deployment scripts.
#pragma once

#include <windows.h>

enum SetupExitCode : DWORD {
    kSetupInstalled = 0,        // the install sequence ran to its end
    kSetupPathTooLong = 1,      // the program's own path is too long (TLPD box)
    kSetupConfigRefused = 2,    // the setup folder's AudioConfig.cfg cannot be used
    kSetupPreviousVersion = 3,  // an earlier version's filter driver is still loaded
    kSetupCancelled = 4,        // closed before the installation ran
    kSetupError = 5,            // an error box ended the program, or the install could not start
    // A failed install step ends with the code its failure box shows,
    // 0x80000001 to 0x80000008.
};
