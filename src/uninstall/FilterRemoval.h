// Detaching the maker's filter driver from the supported devices: its name
// is taken out of their lower-filter lists, then the present ones are
// disabled and enabled again so that the change takes effect.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include "shared/DeviceIdMgr.h"

// GUID_DEVCLASS_HIDCLASS; with DIGCF_ALLCLASSES it does not narrow the scan.
constexpr GUID kHidClassGuid = {0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};
// Only its length counts: a qualifying first hardware ID has 36 characters.
constexpr wchar_t kFilterIdLengthTemplate[] = L"USB\\VID_2F7B&PID_73XX&REV_0100&MI_03";
constexpr wchar_t kFilterDriverName[] = L"VelloFlt";

// Results of RemoveFilterFromDevices and RestartDevices.
enum FilterScanResult : int {
    kFilterScanDone = 0,
    kFilterNoDeviceSet = 1,
};

// RemoveFilterFromDevices, then, only when it returned 0, RestartDevices.
// true when a device could not be enabled again (a restart of Windows is
// the user's way out); the rest is not reported.
bool RemoveFilter(const GUID& classGuid, const wchar_t* lengthTemplate, const DEVICEID_MGR::CDeviceIdMgr& ids,
                  const wchar_t* filterName);

// Every device the system knows (present or not) that qualifies loses the
// filter's entries from its lower-filter list, in any letter case and
// wherever they stand; the other filters stay as they were, and the property
// is deleted only when nothing remains.
int RemoveFilterFromDevices(const GUID& classGuid, const wchar_t* lengthTemplate,
                            const DEVICEID_MGR::CDeviceIdMgr& ids, const wchar_t* filterName);

// Restarts every present device that qualifies (ReenableDevice), whatever
// its filters; leftDisabled (when given) is set when one stays disabled.
int RestartDevices(const GUID& classGuid, const wchar_t* lengthTemplate, const DEVICEID_MGR::CDeviceIdMgr& ids,
                   bool* leftDisabled = nullptr);

// Disables the device in the current hardware profile and enables it again
// at once. When the enable fails after the disable succeeded, it is tried
// once more (global, then profile scope); a device that still stays disabled
// sets leftDisabled. true when the device came back without needing a reboot.
bool ReenableDevice(HDEVINFO set, PSP_DEVINFO_DATA device, bool* leftDisabled = nullptr);
