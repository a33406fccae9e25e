// File version text and the Windows version.
#pragma once

#include <windows.h>

#include <string>

// Results of GetFileVersionString.
enum FileVersionResult : int {
    kVersionRead = 0,
    kVersionNoResource = 1,
    kVersionInfoFailed = 2,
    kVersionQueryFailed = 3,
    kVersionEmptyBlock = 4,
};

// text = "a.b.c.d" of the file version (at most 259 characters); left as it
// was unless the result is 0 and the block carries the fixed-info signature.
int GetFileVersionString(const std::wstring& filePath, std::wstring& text);

// OS classes (first output of GetWindowsVersion).
enum WindowsClass : int {
    kOsUnknown = -1,
    kOsNT4 = 0,
    kOsWin2000 = 1,
    kOsWinXP = 2,
    kOsVista = 3,
    kOsWin7 = 4,
    kOsWin8 = 5,
    kOsWin10 = 6,
};

// Class and code (major * 256 + minor, -1 for a version not in the table).
void ClassifyWindowsVersion(DWORD major, DWORD minor, int& osClass, int& code);
// The class's trace word ("WIN7", "Unknown", ...).
const wchar_t* WindowsClassName(int osClass);

// 0 done; 1 RtlGetVersion is missing; 2 it failed. Absent outputs are skipped;
// read (when given) receives the record the system filled.
int GetWindowsVersion(int* osClass, int* code, int* servicePack, RTL_OSVERSIONINFOEXW* read = nullptr);

// The system call behind GetWindowsVersion, replaceable by tests that play
// recorded versions. A replacement of null stands for a missing export.
using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
struct VersionApi {
    RtlGetVersionFn rtlGetVersion;
};
// Null restores the system's function; returns the previous replacement.
const VersionApi* ReplaceVersionApi(const VersionApi* api);
