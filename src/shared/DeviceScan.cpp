#include "shared/DeviceScan.h"

#include <cwchar>
#include <memory>

#include "shared/DeviceProperty.h"

std::wstring FirstHardwareId(HDEVINFO set, PSP_DEVINFO_DATA device) {
    DWORD size = 0;
    std::unique_ptr<BYTE[]> data = GetDeviceRegistryProperty(set, device, SPDRP_HARDWAREID, nullptr, &size);
    if (!data) return {};
    const auto* text = reinterpret_cast<const wchar_t*>(data.get());
    return std::wstring(text, wcsnlen(text, size / sizeof(wchar_t)));
}

int ScanQualifyingDevices(const GUID& classGuid, DWORD flags, const wchar_t* lengthTemplate,
                          const HardwareIdMatcher& match, const QualifyingDeviceVisitor& visit) {
    return ScanQualifyingDevices(classGuid, flags, std::wcslen(lengthTemplate), match, visit);
}

int ScanQualifyingDevices(const GUID& classGuid, DWORD flags, size_t length, const HardwareIdMatcher& match,
                          const QualifyingDeviceVisitor& visit) {
    win::DeviceInfoList set(::SetupDiGetClassDevsW(&classGuid, nullptr, nullptr, flags));
    if (!set) return kDeviceSetUnavailable;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(SP_DEVINFO_DATA);
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set.get(), index, &device); ++index) {
        const std::wstring id = FirstHardwareId(set.get(), &device);
        if (id.empty() || id.size() != length || !match(id)) continue;
        if (!visit(set.get(), &device, id)) break;
    }
    return kDevicesScanned;
}
