// Device registry properties, filter-list membership and device restarts
// through SetupAPI. The caller owns the device information set and element.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <memory>
#include <string>
#include <vector>

// A property's data in a buffer that ends in at least four zero bytes, so a
// string property without its own terminator still ends inside the buffer.
// Null when the property cannot be read. type and size (bytes returned by
// the system) are optional.
std::unique_ptr<BYTE[]> GetDeviceRegistryProperty(HDEVINFO set, PSP_DEVINFO_DATA device,
                                                  DWORD property, DWORD* type,
                                                  DWORD* size = nullptr);

// The strings of a REG_MULTI_SZ property, from the first up to the empty
// string that ends the list (never past the data returned). false, and
// strings untouched, when the property cannot be read or has another type.
bool ReadMultiSzDeviceProperty(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                               std::vector<std::wstring>& strings);

// 1 when the property is a REG_MULTI_SZ list holding name (case ignored), else 0.
int DevicePropertyContains(HDEVINFO set, PSP_DEVINFO_DATA device, const wchar_t* name,
                           DWORD property);

// Results of DisableDevice and EnableDevice.
enum DeviceChangeResult : int {
    kDeviceChanged = 0,
    kDeviceSetParamsFailed = 1,       // (enable: global scope)
    kDeviceCallInstallerFailed = 2,   // (enable: global scope)
    kDeviceSetParams2Failed = 3,      // enable: configuration-specific scope
    kDeviceCallInstaller2Failed = 4,  // enable: configuration-specific scope
    kDeviceGetParamsFailed = 5,
    kDeviceNeedsReboot = 6,
};

// One DIF_PROPERTYCHANGE through the class installer: state change
// (DICS_DISABLE, DICS_ENABLE) in scope (DICS_FLAG_GLOBAL,
// DICS_FLAG_CONFIGSPECIFIC) of the current hardware profile. 0 done,
// 1 the parameters were refused, 2 the class installer failed.
int ChangeDeviceState(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD stateChange, DWORD scope);
// After a change: kDeviceChanged, kDeviceGetParamsFailed or kDeviceNeedsReboot.
int DeviceRebootState(HDEVINFO set, PSP_DEVINFO_DATA device);

int DisableDevice(HDEVINFO set, PSP_DEVINFO_DATA device);
int EnableDevice(HDEVINFO set, PSP_DEVINFO_DATA device);
// For a device this program disabled and could not enable again: one more
// EnableDevice. true when the device came back without needing a reboot.
// When it still cannot be enabled, that is traced and leftDisabled (when
// given) is set: only a restart of Windows brings it back.
bool RetryEnable(HDEVINFO set, PSP_DEVINFO_DATA device, bool* leftDisabled);
// Disable, one second's pause, enable; true when the device came back
// without needing a reboot. A device that was disabled and refuses the
// enable gets RetryEnable, which sets leftDisabled when it stays disabled.
bool RestartDevice(HDEVINFO set, PSP_DEVINFO_DATA device, bool* leftDisabled = nullptr);

// The class-installer calls behind the three functions above. Tests replace
// them (a property change needs a real device driver); the program always
// uses the system's own.
struct DeviceInstallerApi {
    BOOL(WINAPI* setClassInstallParams)(HDEVINFO, PSP_DEVINFO_DATA, PSP_CLASSINSTALL_HEADER, DWORD);
    BOOL(WINAPI* callClassInstaller)(DI_FUNCTION, HDEVINFO, PSP_DEVINFO_DATA);
    BOOL(WINAPI* getDeviceInstallParams)(HDEVINFO, PSP_DEVINFO_DATA, PSP_DEVINSTALL_PARAMS_W);
    void(WINAPI* sleep)(DWORD);
};
// Null restores the system's functions; returns the previous replacement.
const DeviceInstallerApi* ReplaceDeviceInstallerApi(const DeviceInstallerApi* api);
