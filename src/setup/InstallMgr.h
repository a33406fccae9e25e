// The installer's manager: what the install worker needs beyond the shared
// library. This build has only the operation the worker's preamble calls.
#pragma once

#include <windows.h>

#include "shared/DeviceIdMgr.h"

namespace INSTALL_MGR {

// The device interface class of audio devices (KSCATEGORY_AUDIO).
constexpr GUID kAudioDeviceClass = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

class CInstallMgr {
public:
    // Removes filterName from the device property (a multi-string list) of
    // every device whose first hardware ID is hardwareIdLength characters long
    // and matches the list, then restarts the matching present devices.
    // Not part of this build: it changes no device and says so on the
    // debugger output; the worker does not use a result.
    void RemoveFilter(const GUID& deviceClass, DWORD hardwareIdLength, DEVICEID_MGR::CDeviceIdMgr& list,
                      const wchar_t* filterName, DWORD property);
};

}  // namespace INSTALL_MGR
