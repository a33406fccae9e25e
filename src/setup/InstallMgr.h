// The installer's manager: what it learns about the machine when the wizard
// is built (architecture, Windows version, standard folders), and the
// operations the install worker needs beyond the shared library: taking the
// filter driver out of the devices' filter lists and restarting them, the
// embedded payloads, WOW64 redirection and the Windows update package.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <memory>
#include <string>

#include "setup/VersionInfoMgr.h"
#include "shared/DeviceIdMgr.h"

namespace INSTALL_MGR {

// The device interface class of audio devices (KSCATEGORY_AUDIO).
constexpr GUID kAudioDeviceClass = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// The Windows update the driver needs on 64-bit Windows 7, as the package
// file the installer places in the system folder and the names under which
// the servicing stack records it.
constexpr wchar_t kUpdatePackageFileName[] = L"Windows6.1-KB3033929-x64.msu";
constexpr wchar_t kUpdateName[] = L"KB3033929";
constexpr wchar_t kUpdatePackageIdentity[] = L"Package_for_KB3033929~31bf3856ad364e35~amd64~~6.1.1.1";

// Results of RemoveFilterFromDevices and RestartDevices.
enum DeviceListResult : int {
    kDevicesDone = 0,
    kDeviceListFailed = 1,
};

// Results of Copy_KB3033929.
enum PackageCopyResult : int {
    kPackagePlaced = 0,
    kPackageResourceMissing = 1,
    kPackageWriteFailed = 2,
};

// Results of Install_KB3033929.
enum UpdateResult : int {
    kUpdateDone = 0,        // not needed, already present, or installed
    kUpdateNotStarted = 1,  // the package could not be started
    kUpdateFailed = 2,      // the update ran and reported a failure (or could not be followed)
};

// Results of ExecuteAndWait.
enum ExecuteResult : int {
    kExecuted = 0,         // ran to its end; its exit code is known
    kExecuteFailed = 1,    // could not be started
    kExecuteNotFollowed = 2,  // started, but there is no process to wait for
};

class CInstallMgr {
public:
    // Fills every member (see the members below).
    CInstallMgr();

    // ---- Filter removal -------------------------------------------------
    // RemoveFilterFromDevices, then, when that returned 0, RestartDevices.
    // true when a restarted device could not be enabled again and stays
    // disabled until Windows restarts.
    bool RemoveFilter(const GUID& deviceClass, DWORD hardwareIdLength, const DEVICEID_MGR::CDeviceIdMgr& list,
                      const wchar_t* filterName, DWORD property);
    // Every device the system knows, present or not, whose first hardware ID
    // is hardwareIdLength characters long, matches the list and whose
    // property lists filterName loses that entry (RemoveDeviceFilter).
    int RemoveFilterFromDevices(const GUID& deviceClass, DWORD hardwareIdLength,
                                const DEVICEID_MGR::CDeviceIdMgr& list, const wchar_t* filterName, DWORD property);
    // Restarts (RestartDevice) every present device that qualifies the same
    // way, whatever its filters; leftDisabled is set when one stays disabled.
    int RestartDevices(const GUID& deviceClass, DWORD hardwareIdLength, const DEVICEID_MGR::CDeviceIdMgr& list,
                       bool* leftDisabled = nullptr);
    // Rewrites the property's list without filterName (in any letter case),
    // the other entries upper-cased, or deletes the property when nothing is
    // left. true when there was no list, or it was rewritten or deleted;
    // false for a list without entries or a rewrite that failed.
    bool RemoveDeviceFilter(HDEVINFO set, PSP_DEVINFO_DATA device, const wchar_t* filterName, DWORD property);
    // The property's data when it is a multi-string list (it ends in zero
    // characters inside the buffer); null when it is missing or of another type.
    std::unique_ptr<BYTE[]> GetMultiSzDeviceProperty(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property) const;
    // Characters of a multi-string list with every terminator and the final
    // one; 0 for a list without entries.
    static DWORD GetMultiSzLength(const wchar_t* list);

    // ---- Payloads and redirection (the shared operations) ----------------
    const void* LoadResourceData(WORD id, const wchar_t* type, DWORD& size) const;
    int WriteBufferToFile(const std::wstring& path, const void* data, size_t size) const;
    void DisableWow64Redirection(PVOID* oldValue) const;
    void RevertWow64Redirection(PVOID oldValue) const;
    // 0 with flag 0 (x86) or 1 (AMD64); 1, flag untouched, for another architecture.
    int Is64BitOS(int& flag) const;

    // ---- The Windows update package (WindowsUpdate.cpp) -------------------
    // Writes the resource to the second system folder under the package's
    // name with normal attributes.
    int Copy_KB3033929(WORD id, const wchar_t* type) const;
    // On 64-bit Windows 7 with a service pack, runs the placed package when
    // the update is not present yet, and judges its exit code.
    int Install_KB3033929() const;
    // A sub-key of the servicing stack's Packages key begins with
    // "Package_for_<name>~" (letter case counts).
    bool FindServicingPackage(const wchar_t* name) const;
    // The servicing stack's applicability cache has an entry for the package.
    bool HasApplicabilityEntry(const wchar_t* identity) const;
    // Opens the file with its type's default action, hidden, and waits up to
    // waitMs for the started process; exitCode is set when kExecuted.
    int ExecuteAndWait(const std::wstring& file, DWORD waitMs, DWORD& exitCode) const;

    // ---- What the manager learnt at construction ---------------------------
    int m_i64Bit = 0;           // 1 when the native architecture is AMD64
    int m_iOSClass = 0;         // GetWindowsVersion's class (4: Windows 7)
    int m_iVersionCode = 0;     // major * 256 + minor, -1 for an unknown version
    int m_iServicePack = 0;     // major service-pack number
    std::wstring m_SystemFolderPath;        // the 32-bit programs' system folder, with '\'
    std::wstring m_NativeSystemFolderPath;  // GetSystemDirectoryW with redirection off, with '\'
    std::wstring m_ProgramFilesFolderPath;  // with '\'
    VERSIONINFO_MGR::CVersionInfoMgr m_VersionInfoMgr;
};

// GetNativeSystemInfo, which tests replace to play another machine's
// architecture; the program always uses the system's. Null restores it;
// returns the previous replacement.
using NativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
NativeSystemInfoFn ReplaceNativeSystemInfo(NativeSystemInfoFn fn);

}  // namespace INSTALL_MGR
