// What the setup programs leave on the system, for the tests that run them
// in the setup prefix (tests/SystemPrefix.cmake): reading it back and
// removing it between cases.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace vt {

// The sample kit's InstallFolderName: the per-user folder's name.
constexpr wchar_t kKitInstallFolderName[] = L"Vello Audio";
// Registry keys under HKLM that VelloSetup writes.
constexpr wchar_t kUsbGroupKey[] = L"SOFTWARE\\Qorv USB DeviceId Group";
constexpr wchar_t kHidGroupKey[] = L"SOFTWARE\\Qorv HID DeviceId Group";
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Qorv 73xx Software";
constexpr wchar_t kEncValueMapKey[] = L"SOFTWARE\\Qorv 73xx Software\\EncValueMap";

// %APPDATA% without a trailing '\'.
std::wstring AppDataFolder();
// %APPDATA%\<kKitInstallFolderName>\ .
std::wstring KitUserFolder();

// Removes everything VelloSetup writes, so each case starts from a system
// that never saw an installation.
void ResetInstalledState();

// HKLM keys in the view the test build and the programs share.
bool RegKeyExists(const std::wstring& path);
// The values of a key: REG_SZ as their text, REG_DWORD as "dword:<decimal>",
// other types as "type:<n>". Empty when the key is missing.
std::map<std::wstring, std::wstring> RegValues(const std::wstring& path);
std::wstring Dword(DWORD value);  // "dword:<decimal>"
// Creates the key as a volatile key: non-volatile keys below it cannot be
// created (the one registry write that can be refused here).
bool CreateVolatileKey(const std::wstring& path);

}  // namespace vt
