#include "uninstall/FilterRemoval.h"

#include <string>
#include <vector>

#include "shared/DebugTrace.h"
#include "shared/DeviceProperty.h"
#include "shared/DeviceScan.h"

namespace {

std::vector<std::wstring> WithoutName(const std::vector<std::wstring>& entries, const wchar_t* name) {
    std::vector<std::wstring> kept;
    for (const std::wstring& entry : entries) {
        if (_wcsicmp(entry.c_str(), name) != 0) kept.push_back(entry);
    }
    return kept;
}

// Writes the list back, or deletes the property when it is empty.
void WriteLowerFilters(HDEVINFO set, PSP_DEVINFO_DATA device, const std::vector<std::wstring>& entries) {
    if (entries.empty()) {
        ::SetupDiSetDeviceRegistryPropertyW(set, device, SPDRP_LOWERFILTERS, nullptr, 0);
        return;
    }
    std::wstring list;
    for (const std::wstring& entry : entries) list += entry + L'\0';
    list += L'\0';
    ::SetupDiSetDeviceRegistryPropertyW(set, device, SPDRP_LOWERFILTERS, reinterpret_cast<const BYTE*>(list.data()),
                                        static_cast<DWORD>(list.size() * sizeof(wchar_t)));
}

}  // namespace

bool RemoveFilter(const GUID& classGuid, const wchar_t* lengthTemplate, const DEVICEID_MGR::CDeviceIdMgr& ids,
                  const wchar_t* filterName) {
    bool leftDisabled = false;
    if (RemoveFilterFromDevices(classGuid, lengthTemplate, ids, filterName) == kFilterScanDone)
        RestartDevices(classGuid, lengthTemplate, ids, &leftDisabled);
    return leftDisabled;
}

int RemoveFilterFromDevices(const GUID& classGuid, const wchar_t* lengthTemplate,
                            const DEVICEID_MGR::CDeviceIdMgr& ids, const wchar_t* filterName) {
    const int result = ScanQualifyingDevices(
        classGuid, DIGCF_ALLCLASSES, lengthTemplate, MatcherOf(ids),
        [filterName](HDEVINFO set, PSP_DEVINFO_DATA device, const std::wstring& id) {
            std::vector<std::wstring> filters;
            if (!ReadMultiSzDeviceProperty(set, device, SPDRP_LOWERFILTERS, filters)) return true;
            const std::vector<std::wstring> kept = WithoutName(filters, filterName);
            if (kept.size() == filters.size()) return true;
            trace::Out(L"##### Remove %ls from %ls #####\n", filterName, id.c_str());
            WriteLowerFilters(set, device, kept);
            return true;
        });
    if (result != kDevicesScanned) trace::Text(L"***** The device list is not available *****\n");
    return result == kDevicesScanned ? kFilterScanDone : kFilterNoDeviceSet;
}

int RestartDevices(const GUID& classGuid, const wchar_t* lengthTemplate, const DEVICEID_MGR::CDeviceIdMgr& ids,
                   bool* leftDisabled) {
    const int result = ScanQualifyingDevices(
        classGuid, DIGCF_PRESENT | DIGCF_ALLCLASSES, lengthTemplate, MatcherOf(ids),
        [leftDisabled](HDEVINFO set, PSP_DEVINFO_DATA device, const std::wstring& id) {
            trace::Out(L"##### Restart %ls #####\n", id.c_str());
            ReenableDevice(set, device, leftDisabled);
            return true;
        });
    return result == kDevicesScanned ? kFilterScanDone : kFilterNoDeviceSet;
}

bool ReenableDevice(HDEVINFO set, PSP_DEVINFO_DATA device, bool* leftDisabled) {
    if (ChangeDeviceState(set, device, DICS_DISABLE, DICS_FLAG_CONFIGSPECIFIC) != 0) return false;
    if (ChangeDeviceState(set, device, DICS_ENABLE, DICS_FLAG_CONFIGSPECIFIC) == 0)
        return DeviceRebootState(set, device) == kDeviceChanged;
    // Disabled but not back: one more try before the device is given up.
    return RetryEnable(set, device, leftDisabled);
}
