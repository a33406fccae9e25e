// Registry writers and readers under HKEY_LOCAL_MACHINE. Keys are opened
// without a 64-bit view flag: on 64-bit Windows the 32-bit programs land in
// the 32-bit view. String values are written with their terminating NUL.
#pragma once

#include <windows.h>

#include <string>

// Result of the writers: 0 written, 1 the key cannot be created or the value
// cannot be written.
enum RegistryWriteResult : int {
    kRegWritten = 0,
    kRegWriteFailed = 1,
};

// REG_SZ / REG_DWORD under HKLM\SOFTWARE\<subKey>; the key is created when missing.
int WriteRegistryString(const std::wstring& subKey, const std::wstring& name,
                        const std::wstring& text);
int WriteRegistryDWORD(const std::wstring& subKey, const std::wstring& name, DWORD value);

// Results of ReadRegistryDWORD.
enum RegistryReadResult : int {
    kRegRead = 0,
    kRegKeyMissing = 1,    // the key does not exist or cannot be opened for reading
    kRegValueMissing = 2,  // the value cannot be read as four bytes
};
// Reads with query rights only and never creates the key, so that a user
// without administrator rights reads what the installer wrote. value is
// untouched unless 0 is returned.
int ReadRegistryDWORD(const std::wstring& subKey, const std::wstring& name, DWORD& value);

// The two calls through which the functions above open their keys and ask
// for their rights. By default the system's; a test installs a table of its
// own to see the rights (it must outlive its use; nullptr restores the
// system's).
struct RegistryOpenCalls {
    LSTATUS(WINAPI* RegOpenKeyExW)(HKEY key, LPCWSTR subKey, DWORD options, REGSAM rights, PHKEY result);
    LSTATUS(WINAPI* RegCreateKeyExW)(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                                     REGSAM rights, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                                     LPDWORD disposition);
};
const RegistryOpenCalls& SystemRegistryOpenCalls();
void InstallRegistryOpenCalls(const RegistryOpenCalls* calls);

// The kernel driver's service key SYSTEM\CurrentControlSet\Services\<name>
// (on-demand start, normal error control, image System32\DRIVERS\<name>.sys).
// 0 written; 1 the key cannot be created or a value cannot be written.
int CreateDriverServiceKey(const std::wstring& driverName);

namespace INSTALL_MGR {
// The uninstall entry: its key (under HKLM) and the five values written into it.
struct _REG_UNINSTALL_INFO {
    std::wstring KeyPath;
    std::wstring DisplayName;
    std::wstring UninstallString;
    std::wstring DisplayIcon;
    std::wstring DisplayVersion;
    std::wstring Publisher;
};
using REG_UNINSTALL_INFO = _REG_UNINSTALL_INFO;
}  // namespace INSTALL_MGR

// Opens or creates the entry's key and writes DisplayName, UninstallString,
// DisplayIcon, DisplayVersion and Publisher. false when the key can be
// neither opened nor created or a value cannot be written.
bool WriteUninstallInfo(const INSTALL_MGR::_REG_UNINSTALL_INFO& info);

// REG_SZ under HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run.
// 0 written; 1 the key cannot be opened or the value cannot be written.
int WriteRunValue(const std::wstring& name, const std::wstring& commandLine);

// A REG_SZ value's text from raw value data: at most byteCount / 2
// characters, ending at the first NUL. Odd trailing bytes are ignored.
std::wstring RegistryTextFromBytes(const BYTE* data, DWORD byteCount);
