// Running the real VelloSetup from a copy of the assembled setup folder the
// way a user does (a language picked, Next, Finish or a close on the finish
// page), and what an installation of the sample kit must leave on the
// system. Shared by the installer's program tests and the end-to-end test.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace vt {

// The build folder (bin\..\) and a file in it.
std::wstring BuildDir();
std::wstring Built(const std::wstring& file);
// Every way a user asks VelloSetup to stop, posted: Cancel (its English
// caption) and WM_CLOSE and SC_CLOSE to the wizard, its background and the
// application's window.
void PostCloseRequests(DWORD pid);
// The control panel's main window once it shows (any process), or nullptr.
HWND WaitForPanelWindow(DWORD timeoutMs);

// Paths of the kit's installation.
std::wstring InstalledFile(const std::wstring& file);
std::wstring InstalledPanel();
std::wstring InstalledUninstaller();
std::wstring ServiceLogFile();
std::wstring UpdatePackagePath();

// The settings key holds the service's command lines.
bool HasExecutionValues();

// How to go through the wizard.
struct SetupOptions {
    // The language folder to pick on the first page; empty keeps the first one.
    std::wstring language;
    // Finish on the finish page (only with "restart later" chosen); else the
    // wizard is closed there.
    bool pressFinish = false;
    // Each debugger line of VelloSetup as it is written.
    OnDebugString onDebug;
};

// What one run of VelloSetup showed: every box was answered.
struct SetupRun {
    RunResult result;
    std::vector<std::wstring> boxes;  // "caption: text"
    bool languagePicked = false;
    bool finishPage = false;
    bool finishPressed = false;
    // The wizard went away while the installation ran, before its finish
    // page; the test then ended the program.
    bool wizardVanished = false;
};

SetupRun RunSetup(const std::wstring& setupFolder, const SetupOptions& options);

// Checks everything an installation of the kit from setupFolder, in the
// language folder given, must have left (files, registry, shortcuts,
// service), each failure naming when.
void ExpectKitInstalled(const std::wstring& setupFolder, const std::wstring& language, const char* when);

}  // namespace vt
