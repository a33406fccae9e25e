// What the setup programs leave on the system, for the tests that run them
// in the setup prefix (tests/SystemPrefix.cmake): reading it back and
// removing it between cases.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

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

// ---- What the installation of the sample kit leaves besides the registry
// groups and defaults (the uninstaller's tests build it themselves).

constexpr wchar_t kKitShortcutFolderName[] = L"Vello Audio";
constexpr wchar_t kKitDesktopShortcut[] = L"Vello Audio Center.lnk";
constexpr wchar_t kKitRunValueName[] = L"VelloPanel";
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qorv73xxAudioExt";

// Folders as the programs see them: Program Files and the common Start-menu
// programs (no trailing '\'); the common application-data folder (with '\').
// The install folder, system folder and desktop follow below.
std::wstring ProgramFilesFolder();
std::wstring CommonProgramsFolder();
std::wstring CommonAppDataFolder();

// The host's path of a path in the prefix (it need not exist yet).
std::wstring UnixPath(const std::wstring& windowsPath);
// Runs a host program (Z:\bin\...) and waits for it; true when it exited with 0.
bool RunHostCommand(const std::wstring& commandLine);

// A symbolic link to a folder, made on the host, for the life of the object.
// Windows programs see it as a folder with FILE_ATTRIBUTE_REPARSE_POINT and
// list the target's contents through it, but cannot remove it.
class HostLink {
public:
    HostLink(const std::wstring& target, const std::wstring& link);
    ~HostLink();
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;
    bool made() const { return made_; }

private:
    std::wstring link_;
    std::wstring unixLink_;
    bool made_ = false;
};

// The filter driver's control device "\\.\Class#VelloLink&2F7B&00", openable
// for the life of the object (a link in the prefix's dosdevices folder). It
// is seen by every program of the prefix.
class FilterControlDevice {
public:
    FilterControlDevice();
    ~FilterControlDevice();
    FilterControlDevice(const FilterControlDevice&) = delete;
    FilterControlDevice& operator=(const FilterControlDevice&) = delete;
    bool present() const;

private:
    std::wstring unixLink_;
};

}  // namespace vt

namespace vt {

// Where the installer puts the sample kit's product.
constexpr wchar_t kServiceName[] = L"VelloService";
constexpr wchar_t kDriverKey[] = L"SYSTEM\\CurrentControlSet\\Services\\VelloFlt";
// C:\windows\system32\ and its drivers folder, with '\'.
std::wstring SystemFolder();
// C:\Program Files\Vello Audio\ .
std::wstring KitInstallFolder();
// <common programs>\Vello Audio\ and the user's desktop folder, with '\'.
std::wstring KitStartMenuFolder();
std::wstring DesktopFolder();

// Removes the product VelloSetup installs: ends running control panels,
// stops and deletes the service, deletes the driver and service files, the
// driver key, the Run value, the uninstall entry, the install folder, the
// shortcuts, and makes the filter control device unreachable again. Part of
// ResetInstalledState.
void ResetInstalledProduct();

// The values of a key in one registry view (KEY_WOW64_32KEY or
// KEY_WOW64_64KEY), as RegValues.
std::map<std::wstring, std::wstring> RegValues(const std::wstring& path, REGSAM view);
// A .lnk file's target path; empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& link);
// The service's state (SERVICE_RUNNING ...) and binary path; state 0 when
// it is not registered.
struct ServiceInfo {
    DWORD state = 0;
    DWORD startType = 0;
    DWORD serviceType = 0;
    std::wstring binaryPath;
};
ServiceInfo QueryService(const std::wstring& name);
// Lines of a text log file (CR LF separated).
std::vector<std::wstring> LogLines(const std::wstring& path);

// The log of the uninstaller's clean-up program (in the common application
// data folder) once it has written its last line ("removed", "not empty",
// "not removed" or "refused"), or as it stands after timeoutMs.
std::vector<std::wstring> CleanUpLogWhenDone(DWORD timeoutMs);

// Makes the key a volatile link to a key that does not exist: it can be
// neither opened nor created, so writes below it are refused.
// ResetInstalledProduct removes such a link at the uninstall entry's place.
bool CreateDanglingKeyLink(const std::wstring& path);
void RemoveKeyLink(const std::wstring& path);

// Makes "\\.\Class#VelloLink&2F7B&00", the filter driver's control device of
// an earlier installation, reachable in this prefix (or unreachable again).
bool SetEarlierFilterDevice(bool reachable);

// Holds a file open with no sharing, so nobody else can write or delete it;
// the file (and its folder) is created when missing.
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace vt
