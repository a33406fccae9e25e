// The install steps' codes. The failure box shows the step's code; each step
// operation returns 0 or a sub-step code of its own, which only the debugger
// output shows.
#pragma once

#include <windows.h>

enum InstallStepCode : DWORD {
    kStepFilterDriverCode = 0x80000001,  // STEP1
    kStepServiceCode = 0x80000002,       // STEP2
    kStepAppCode = 0x80000003,           // STEP3
    kStepUninstallerCode = 0x80000004,   // STEP4
    kStepFilesCode = 0x80000005,         // STEP5
    kStepWindowsUpdateCode = 0x80000006, // STEP10
    kStepPluginCode = 0x80000007,        // STEP7
    kStepEffectAppCode = 0x80000008,     // STEP8 and STEP8.1
};

enum InstallSubCode : DWORD {
    // STEP1
    kDriverKeyFailed = 0x80000101,
    kDriverResourceMissing = 0x80000102,
    kDriverWriteFailed = 0x80000103,
    // STEP2
    kServiceResourceMissing = 0x80000201,
    kServiceWriteFailed = 0x80000202,
    kServiceRegistrationTimedOut = 0x80000203,
    kServiceRegistrationNotStarted = 0x80000204,
    kServiceNotRegistered = 0x80000205,  // the registration run left no "VelloService"
    // STEP3, STEP8 and STEP8.1
    kProgramResourceMissing = 0x80000301,
    kProgramWriteFailed = 0x80000302,
    kRunValueFailed = 0x80000303,
    // STEP4
    kUninstallerResourceMissing = 0x80000401,
    kUninstallerWriteFailed = 0x80000402,
    kUninstallEntryFailed = 0x80000403,
    // STEP5 and STEP7: a source that exists could not be copied
    kFilesFolderCopyFailed = 0x80000511,
    kFilesFileCopyFailed = 0x80000512,
    kPluginCopyFailed = 0x80000711,
    // STEP10
    kUpdateNotStarted = 0x80000501,
    kUpdateRunFailed = 0x80000502,  // the update ran and reported a failure
};

// STEP5 could not place the update package (it tries once more, then goes on).
constexpr DWORD kUpdatePackageCopyFailed = 0x10000701;
