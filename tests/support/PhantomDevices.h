// Devices made in the test prefix through SetupAPI (no driver, no hardware):
// they enumerate with the registry properties given here. Each object uses a
// device class of its own, so test programs running side by side never see
// each other's devices; the devices are removed with the object.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <functional>
#include <string>
#include <vector>

namespace vt {

class PhantomDevices {
public:
    PhantomDevices();
    ~PhantomDevices();
    PhantomDevices(const PhantomDevices&) = delete;
    PhantomDevices& operator=(const PhantomDevices&) = delete;

    const GUID& classGuid() const { return class_; }

    // Registers a device; an empty list leaves that property unset. Returns
    // the device's instance ID, or "" on failure.
    std::wstring Add(const std::vector<std::wstring>& hardwareIds,
                     const std::vector<std::wstring>& lowerFilters = {});
    // Removes a device made here (as when it is unplugged); false when there
    // is no such device.
    bool Remove(const std::wstring& instanceId);
    // Sets a REG_SZ property (for example SPDRP_DEVICEDESC) of a device made here.
    bool SetText(const std::wstring& instanceId, DWORD property, const std::wstring& text);
    // Sets raw property data.
    bool SetRaw(const std::wstring& instanceId, DWORD property, const std::string& bytes);

    // Enumerates this class afresh and calls fn for the device of that
    // instance ID; false when it was not found.
    bool WithDevice(const std::wstring& instanceId,
                    const std::function<void(HDEVINFO, PSP_DEVINFO_DATA)>& fn) const;

private:
    bool Find(HDEVINFO set, const std::wstring& instanceId, SP_DEVINFO_DATA& data) const;

    GUID class_ = {};
    HDEVINFO set_ = INVALID_HANDLE_VALUE;
    std::vector<std::wstring> made_;
};

// REG_MULTI_SZ bytes of a list of strings (each with its NUL, one more NUL at the end).
std::string MultiSz(const std::vector<std::wstring>& strings);

}  // namespace vt
