#include "PhantomDevices.h"

#include <algorithm>

#include <objbase.h>

#include <cstdio>

namespace vt {

constexpr DWORD kInstanceIdChars = 200;

std::string MultiSz(const std::vector<std::wstring>& strings) {
    std::wstring all;
    for (const std::wstring& s : strings) all += s + L'\0';
    all += L'\0';
    return std::string(reinterpret_cast<const char*>(all.data()), all.size() * sizeof(wchar_t));
}

PhantomDevices::PhantomDevices() {
    ::CoCreateGuid(&class_);
    set_ = ::SetupDiCreateDeviceInfoList(&class_, nullptr);
}

PhantomDevices::~PhantomDevices() {
    if (set_ == INVALID_HANDLE_VALUE) return;
    for (const std::wstring& id : made_) {
        SP_DEVINFO_DATA data = {};
        if (Find(set_, id, data)) ::SetupDiRemoveDevice(set_, &data);
    }
    ::SetupDiDestroyDeviceInfoList(set_);
}

std::wstring PhantomDevices::Add(const std::vector<std::wstring>& hardwareIds,
                                 const std::vector<std::wstring>& lowerFilters) {
    static LONG counter = 0;
    wchar_t id[128];
    std::swprintf(id, 128, L"ROOT\\VELLOTEST_%08lX\\%04ld", ::GetCurrentProcessId(),
                  ::InterlockedIncrement(&counter));
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    if (!::SetupDiCreateDeviceInfoW(set_, id, &class_, nullptr, nullptr, 0, &data)) return L"";
    if (!hardwareIds.empty()) {
        std::string bytes = MultiSz(hardwareIds);
        if (!::SetupDiSetDeviceRegistryPropertyW(set_, &data, SPDRP_HARDWAREID,
                                                 reinterpret_cast<const BYTE*>(bytes.data()),
                                                 static_cast<DWORD>(bytes.size())))
            return L"";
    }
    if (!lowerFilters.empty()) {
        std::string bytes = MultiSz(lowerFilters);
        if (!::SetupDiSetDeviceRegistryPropertyW(set_, &data, SPDRP_LOWERFILTERS,
                                                 reinterpret_cast<const BYTE*>(bytes.data()),
                                                 static_cast<DWORD>(bytes.size())))
            return L"";
    }
    if (!::SetupDiRegisterDeviceInfo(set_, &data, 0, nullptr, nullptr, nullptr)) return L"";
    made_.push_back(id);
    return id;
}

bool PhantomDevices::Remove(const std::wstring& instanceId) {
    SP_DEVINFO_DATA data = {};
    if (!Find(set_, instanceId, data) || !::SetupDiRemoveDevice(set_, &data)) return false;
    made_.erase(std::remove(made_.begin(), made_.end(), instanceId), made_.end());
    return true;
}

bool PhantomDevices::SetRaw(const std::wstring& instanceId, DWORD property,
                            const std::string& bytes) {
    SP_DEVINFO_DATA data = {};
    if (!Find(set_, instanceId, data)) return false;
    return ::SetupDiSetDeviceRegistryPropertyW(set_, &data, property,
                                               reinterpret_cast<const BYTE*>(bytes.data()),
                                               static_cast<DWORD>(bytes.size())) != FALSE;
}

bool PhantomDevices::SetText(const std::wstring& instanceId, DWORD property,
                             const std::wstring& text) {
    std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
    return SetRaw(instanceId, property, bytes);
}

bool PhantomDevices::Find(HDEVINFO set, const std::wstring& instanceId,
                          SP_DEVINFO_DATA& data) const {
    for (DWORD i = 0;; ++i) {
        data = {};
        data.cbSize = sizeof(data);
        if (!::SetupDiEnumDeviceInfo(set, i, &data)) return false;
        wchar_t id[kInstanceIdChars] = {};
        if (::SetupDiGetDeviceInstanceIdW(set, &data, id, kInstanceIdChars, nullptr) &&
            _wcsicmp(id, instanceId.c_str()) == 0)
            return true;
    }
}

bool PhantomDevices::WithDevice(const std::wstring& instanceId,
                                const std::function<void(HDEVINFO, PSP_DEVINFO_DATA)>& fn) const {
    HDEVINFO set = ::SetupDiGetClassDevsW(&class_, nullptr, nullptr, 0);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA data = {};
    bool found = Find(set, instanceId, data);
    if (found) fn(set, &data);
    ::SetupDiDestroyDeviceInfoList(set);
    return found;
}

}  // namespace vt
