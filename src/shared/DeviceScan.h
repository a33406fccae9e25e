// Walking the devices that SetupAPI knows and picking the supported ones.
// A device qualifies when the first string of its hardware-ID list is
// exactly as long as a template ID and the supported-device list accepts it;
// a device without hardware IDs never does. The control panel's device
// search and the setup programs' filter removals share this test.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <functional>
#include <string>

#include "shared/ScopedWin.h"

namespace win {
struct DeviceInfoListTraits {
    static HDEVINFO Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HDEVINFO h) { ::SetupDiDestroyDeviceInfoList(h); }
};
using DeviceInfoList = Scoped<HDEVINFO, DeviceInfoListTraits>;
}  // namespace win

// 1 when the list accepts a hardware ID, else 0.
using HardwareIdMatcher = std::function<int(const std::wstring& hardwareId)>;

// The matcher of a supported-device list (anything with MatchHardwareId).
template <typename IdList>
HardwareIdMatcher MatcherOf(const IdList& ids) {
    return [&ids](const std::wstring& id) { return ids.MatchHardwareId(id); };
}

// The first string of the device's hardware-ID list; empty when it has none
// or it cannot be read.
std::wstring FirstHardwareId(HDEVINFO set, PSP_DEVINFO_DATA device);

// Called for each qualifying device with its first hardware ID, in
// SetupAPI's order; returning false ends the walk.
using QualifyingDeviceVisitor =
    std::function<bool(HDEVINFO set, PSP_DEVINFO_DATA device, const std::wstring& hardwareId)>;

// Results of ScanQualifyingDevices.
enum DeviceScanResult : int {
    kDevicesScanned = 0,
    kDeviceSetUnavailable = 1,
};

// Builds the device set SetupDiGetClassDevsW(classGuid, flags) gives (with
// DIGCF_ALLCLASSES the GUID does not narrow it) and visits every device whose
// first hardware ID is hardwareIdLength characters long and matches.
int ScanQualifyingDevices(const GUID& classGuid, DWORD flags, size_t hardwareIdLength,
                          const HardwareIdMatcher& match, const QualifyingDeviceVisitor& visit);
// The same, with the length of a template ID.
int ScanQualifyingDevices(const GUID& classGuid, DWORD flags, const wchar_t* lengthTemplate,
                          const HardwareIdMatcher& match, const QualifyingDeviceVisitor& visit);
