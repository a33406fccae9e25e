// Finding the supported device among the present devices by hardware ID.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>
#include <utility>

#include "shared/DeviceScan.h"

// The audio device interface class the panel searches with.
constexpr GUID KSCATEGORY_AUDIO_GUID = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
// Only its length counts: a qualifying first hardware ID has 36 characters.
constexpr wchar_t kHardwareIdLengthTemplate[] = L"USB\\VID_2F7B&PID_73XX&REV_0100&MI_00";

// Walks every present device (of every class; the GUID does not narrow the
// list) in SetupAPI's order and takes the first whose first hardware ID has
// the template's length and is accepted by match. Returns 1 and copies that
// ID into hardwareId (when given), or 0 when no device qualifies.
int FindDeviceByHardwareId(const GUID& classGuid, const wchar_t* lengthTemplate, const HardwareIdMatcher& match,
                           std::wstring* hardwareId);

// The same with a supported-device list (anything with MatchHardwareId).
template <typename IdList,
          typename = decltype(std::declval<const IdList&>().MatchHardwareId(std::declval<const std::wstring&>()))>
int FindDeviceByHardwareId(const GUID& classGuid, const wchar_t* lengthTemplate, const IdList& ids,
                           std::wstring* hardwareId) {
    return FindDeviceByHardwareId(classGuid, lengthTemplate, MatcherOf(ids), hardwareId);
}
