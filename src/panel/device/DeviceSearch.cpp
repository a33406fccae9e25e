#include "panel/device/DeviceSearch.h"

#include <setupapi.h>

#include <cwchar>
#include <memory>

#include "shared/DeviceProperty.h"
#include "shared/ScopedWin.h"

namespace {

struct DeviceInfoListTraits {
    static HDEVINFO Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HDEVINFO h) { ::SetupDiDestroyDeviceInfoList(h); }
};
using DeviceInfoList = win::Scoped<HDEVINFO, DeviceInfoListTraits>;

// The first string of the device's hardware-ID list; empty when it has none
// or it cannot be read.
std::wstring FirstHardwareId(HDEVINFO set, SP_DEVINFO_DATA& device) {
    DWORD size = 0;
    std::unique_ptr<BYTE[]> data = GetDeviceRegistryProperty(set, &device, SPDRP_HARDWAREID, nullptr, &size);
    if (!data) return {};
    const auto* text = reinterpret_cast<const wchar_t*>(data.get());
    return std::wstring(text, wcsnlen(text, size / sizeof(wchar_t)));
}

}  // namespace

int FindDeviceByHardwareId(const GUID& classGuid, const wchar_t* lengthTemplate, const HardwareIdMatcher& match,
                           std::wstring* hardwareId) {
    const size_t length = std::wcslen(lengthTemplate);
    DeviceInfoList set(::SetupDiGetClassDevsW(&classGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (!set) return 0;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(SP_DEVINFO_DATA);
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set.get(), index, &device); ++index) {
        std::wstring id = FirstHardwareId(set.get(), device);
        if (id.empty() || id.size() != length) continue;
        if (!match(id)) continue;
        if (hardwareId) *hardwareId = id;
        return 1;
    }
    return 0;
}
