#include "panel/device/DeviceSearch.h"

int FindDeviceByHardwareId(const GUID& classGuid, const wchar_t* lengthTemplate, const HardwareIdMatcher& match,
                           std::wstring* hardwareId) {
    int found = 0;
    ScanQualifyingDevices(classGuid, DIGCF_PRESENT | DIGCF_ALLCLASSES, lengthTemplate, match,
                          [&](HDEVINFO, PSP_DEVINFO_DATA, const std::wstring& id) {
                              if (hardwareId) *hardwareId = id;
                              found = 1;
                              return false;
                          });
    return found;
}
