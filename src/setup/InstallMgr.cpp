#include "setup/InstallMgr.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cwchar>
#include <vector>

#include "shared/DebugTrace.h"
#include "shared/DeviceProperty.h"
#include "shared/DeviceScan.h"
#include "shared/FileHelpers.h"
#include "shared/Wow64.h"

namespace INSTALL_MGR {

namespace {

NativeSystemInfoFn g_nativeSystemInfo = nullptr;

void AddBackslash(std::wstring& path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
}

// Filter names compare and are written back the way the class installer's
// lists hold them: characters below 256 through the C library's toupper.
std::wstring UpperCased(const wchar_t* text) {
    std::wstring upper = text;
    for (wchar_t& c : upper) {
        if (c < 256) c = static_cast<wchar_t>(toupper(c));
    }
    return upper;
}

}  // namespace

NativeSystemInfoFn ReplaceNativeSystemInfo(NativeSystemInfoFn fn) {
    const NativeSystemInfoFn previous = g_nativeSystemInfo;
    g_nativeSystemInfo = fn;
    return previous;
}

CInstallMgr::CInstallMgr() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder);
    m_ProgramFilesFolderPath = folder;
    AddBackslash(m_ProgramFilesFolderPath);

    Is64BitOS(m_i64Bit);

    wchar_t system[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, system, m_i64Bit ? CSIDL_SYSTEMX86 : CSIDL_SYSTEM, TRUE);
    m_SystemFolderPath = std::wstring(system) + L"\\";

    wchar_t native[MAX_PATH] = {};
    PVOID redirection = nullptr;
    if (m_i64Bit) DisableWow64Redirection(&redirection);
    ::GetSystemDirectoryW(native, MAX_PATH);
    if (m_i64Bit) RevertWow64Redirection(redirection);
    m_NativeSystemFolderPath = std::wstring(native) + L"\\";

    if (m_VersionInfoMgr.GetWindowsVersion(&m_iOSClass, &m_iVersionCode, &m_iServicePack) != 0)
        trace::Text(L"CInstallMgr::CInstallMgr ***** GetWindowsVersion FAIL! *****\n");
    m_VersionInfoMgr.PrintWindowsVersion(&m_iOSClass, &m_iVersionCode, &m_iServicePack);
}

// ------------------------------------------------------------ filter removal

bool CInstallMgr::RemoveFilter(const GUID& deviceClass, DWORD hardwareIdLength,
                               const DEVICEID_MGR::CDeviceIdMgr& list, const wchar_t* filterName, DWORD property) {
    bool leftDisabled = false;
    if (RemoveFilterFromDevices(deviceClass, hardwareIdLength, list, filterName, property) == kDevicesDone)
        RestartDevices(deviceClass, hardwareIdLength, list, &leftDisabled);
    return leftDisabled;
}

int CInstallMgr::RemoveFilterFromDevices(const GUID& deviceClass, DWORD hardwareIdLength,
                                         const DEVICEID_MGR::CDeviceIdMgr& list, const wchar_t* filterName,
                                         DWORD property) {
    const int result = ScanQualifyingDevices(
        deviceClass, DIGCF_ALLCLASSES, hardwareIdLength, MatcherOf(list),
        [&](HDEVINFO set, PSP_DEVINFO_DATA device, const std::wstring& id) {
            if (!DevicePropertyContains(set, device, filterName, property)) return true;
            trace::Out(L"##### Remove %ls from %ls #####\n", filterName, id.c_str());
            RemoveDeviceFilter(set, device, filterName, property);
            return true;
        });
    return result == kDevicesScanned ? kDevicesDone : kDeviceListFailed;
}

int CInstallMgr::RestartDevices(const GUID& deviceClass, DWORD hardwareIdLength,
                                const DEVICEID_MGR::CDeviceIdMgr& list, bool* leftDisabled) {
    const int result = ScanQualifyingDevices(
        deviceClass, DIGCF_PRESENT | DIGCF_ALLCLASSES, hardwareIdLength, MatcherOf(list),
        [leftDisabled](HDEVINFO set, PSP_DEVINFO_DATA device, const std::wstring& id) {
            trace::Out(L"##### Restart %ls #####\n", id.c_str());
            RestartDevice(set, device, leftDisabled);
            return true;
        });
    return result == kDevicesScanned ? kDevicesDone : kDeviceListFailed;
}

bool CInstallMgr::RemoveDeviceFilter(HDEVINFO set, PSP_DEVINFO_DATA device, const wchar_t* filterName,
                                     DWORD property) {
    std::unique_ptr<BYTE[]> data = GetMultiSzDeviceProperty(set, device, property);
    if (!data) return true;
    auto* list = reinterpret_cast<wchar_t*>(data.get());
    std::vector<std::wstring> kept;
    for (const wchar_t* entry = list; *entry; entry += std::wcslen(entry) + 1) kept.emplace_back(entry);
    if (kept.empty()) return false;

    // Written back over the list it came from: never longer than that.
    const std::wstring filter = UpperCased(filterName);
    wchar_t* out = list;
    for (const std::wstring& entry : kept) {
        const std::wstring upper = UpperCased(entry.c_str());
        if (upper == filter) continue;
        out = std::copy(upper.begin(), upper.end(), out);
        *out++ = L'\0';
    }
    *out = L'\0';
    const DWORD bytes = GetMultiSzLength(list) * sizeof(wchar_t);
    if (bytes == 0) {
        ::SetupDiSetDeviceRegistryPropertyW(set, device, property, nullptr, 0);  // deletes it
        return true;
    }
    return ::SetupDiSetDeviceRegistryPropertyW(set, device, property, data.get(), bytes) != FALSE;
}

std::unique_ptr<BYTE[]> CInstallMgr::GetMultiSzDeviceProperty(HDEVINFO set, PSP_DEVINFO_DATA device,
                                                              DWORD property) const {
    DWORD type = 0;
    std::unique_ptr<BYTE[]> data = GetDeviceRegistryProperty(set, device, property, &type);
    if (type != REG_MULTI_SZ) return nullptr;
    return data;
}

DWORD CInstallMgr::GetMultiSzLength(const wchar_t* list) {
    DWORD length = 0;
    for (const wchar_t* entry = list; *entry; entry += std::wcslen(entry) + 1)
        length += static_cast<DWORD>(std::wcslen(entry)) + 1;
    return length == 0 ? 0 : length + 1;
}

// ------------------------------------------------- payloads and redirection

const void* CInstallMgr::LoadResourceData(WORD id, const wchar_t* type, DWORD& size) const {
    return ::LoadResourceData(id, type, size);
}

int CInstallMgr::WriteBufferToFile(const std::wstring& path, const void* data, size_t size) const {
    return ::WriteBufferToFile(path, data, size);
}

void CInstallMgr::DisableWow64Redirection(PVOID* oldValue) const { ::DisableWow64Redirection(oldValue); }

void CInstallMgr::RevertWow64Redirection(PVOID oldValue) const { ::RevertWow64Redirection(oldValue); }

int CInstallMgr::Is64BitOS(int& flag) const {
    SYSTEM_INFO info = {};
    (g_nativeSystemInfo ? g_nativeSystemInfo : ::GetNativeSystemInfo)(&info);
    switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: flag = 0; return 0;
    case PROCESSOR_ARCHITECTURE_AMD64: flag = 1; return 0;
    default: return 1;
    }
}

}  // namespace INSTALL_MGR
