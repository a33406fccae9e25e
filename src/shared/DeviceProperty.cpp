#include "DeviceProperty.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include "shared/DebugTrace.h"

namespace {

const DeviceInstallerApi* g_replacement = nullptr;

void WINAPI SystemSleep(DWORD ms) { ::Sleep(ms); }

DeviceInstallerApi CurrentApi() {
    if (g_replacement) return *g_replacement;
    return {::SetupDiSetClassInstallParamsW, ::SetupDiCallClassInstaller,
            ::SetupDiGetDeviceInstallParamsW, SystemSleep};
}

constexpr DWORD kTrailingZeros = 4;

}  // namespace

const DeviceInstallerApi* ReplaceDeviceInstallerApi(const DeviceInstallerApi* api) {
    const DeviceInstallerApi* previous = g_replacement;
    g_replacement = api;
    return previous;
}

std::unique_ptr<BYTE[]> GetDeviceRegistryProperty(HDEVINFO set, PSP_DEVINFO_DATA device,
                                                  DWORD property, DWORD* type, DWORD* size) {
    DWORD required = 0;
    if (::SetupDiGetDeviceRegistryPropertyW(set, device, property, nullptr, nullptr, 0,
                                            &required) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || required == 0)
        return nullptr;
    // Twice the size the system asks for, and zeroed: the data always ends in
    // at least four zero bytes, also when it changed between the two calls.
    const DWORD capacity = 2 * required + kTrailingZeros;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[capacity]());
    if (!buffer) return nullptr;
    DWORD returned = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(set, device, property, type, buffer.get(),
                                             capacity - kTrailingZeros, &returned))
        return nullptr;
    if (size) *size = returned;
    return buffer;
}

bool ReadMultiSzDeviceProperty(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                               std::vector<std::wstring>& strings) {
    DWORD type = 0;
    DWORD size = 0;
    std::unique_ptr<BYTE[]> data = GetDeviceRegistryProperty(set, device, property, &type, &size);
    if (!data || type != REG_MULTI_SZ) return false;
    const wchar_t* text = reinterpret_cast<const wchar_t*>(data.get());
    const size_t units = size / sizeof(wchar_t);
    // Each string ends at its NUL or at the end of the data; an empty string
    // ends the list.
    std::vector<std::wstring> found;
    for (size_t pos = 0; pos < units && text[pos] != L'\0';) {
        size_t end = pos;
        while (end < units && text[end] != L'\0') ++end;
        found.emplace_back(text + pos, end - pos);
        pos = end + 1;
    }
    strings = std::move(found);
    return true;
}

int DevicePropertyContains(HDEVINFO set, PSP_DEVINFO_DATA device, const wchar_t* name,
                           DWORD property) {
    std::vector<std::wstring> strings;
    if (!ReadMultiSzDeviceProperty(set, device, property, strings)) return 0;
    for (const std::wstring& entry : strings) {
        if (_wcsicmp(entry.c_str(), name) == 0) return 1;
    }
    return 0;
}

int ChangeDeviceState(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD stateChange, DWORD scope) {
    const DeviceInstallerApi api = CurrentApi();
    SP_PROPCHANGE_PARAMS params = {};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = stateChange;
    params.Scope = scope;
    params.HwProfile = 0;
    if (!api.setClassInstallParams(set, device, &params.ClassInstallHeader, sizeof(params)))
        return 1;
    if (!api.callClassInstaller(DIF_PROPERTYCHANGE, set, device)) return 2;
    return 0;
}

int DeviceRebootState(HDEVINFO set, PSP_DEVINFO_DATA device) {
    SP_DEVINSTALL_PARAMS_W params = {};
    params.cbSize = sizeof(params);
    if (!CurrentApi().getDeviceInstallParams(set, device, &params)) return kDeviceGetParamsFailed;
    return (params.Flags & DI_NEEDREBOOT) ? kDeviceNeedsReboot : kDeviceChanged;
}

int DisableDevice(HDEVINFO set, PSP_DEVINFO_DATA device) {
    return ChangeDeviceState(set, device, DICS_DISABLE, DICS_FLAG_CONFIGSPECIFIC);
}

int EnableDevice(HDEVINFO set, PSP_DEVINFO_DATA device) {
    int result = ChangeDeviceState(set, device, DICS_ENABLE, DICS_FLAG_GLOBAL);
    if (result != 0) return result;  // 1 or 2
    result = ChangeDeviceState(set, device, DICS_ENABLE, DICS_FLAG_CONFIGSPECIFIC);
    if (result != 0) return result + 2;  // 3 or 4
    return DeviceRebootState(set, device);
}

bool RetryEnable(HDEVINFO set, PSP_DEVINFO_DATA device, bool* leftDisabled) {
    const int retry = EnableDevice(set, device);
    if (retry == kDeviceChanged) return true;
    // Both enable calls went through: the device is enabled (perhaps only
    // after a reboot), just not reported back.
    if (retry == kDeviceGetParamsFailed || retry == kDeviceNeedsReboot) return false;
    trace::Text(L"***** The device stays disabled *****\n");
    if (leftDisabled) *leftDisabled = true;
    return false;
}

bool RestartDevice(HDEVINFO set, PSP_DEVINFO_DATA device, bool* leftDisabled) {
    const bool disabled = DisableDevice(set, device) == kDeviceChanged;
    CurrentApi().sleep(1000);
    const int enabled = EnableDevice(set, device);
    if (enabled == kDeviceChanged) return true;
    const bool enableRefused = enabled != kDeviceGetParamsFailed && enabled != kDeviceNeedsReboot;
    if (disabled && enableRefused) return RetryEnable(set, device, leftDisabled);
    return false;
}
