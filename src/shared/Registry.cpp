#include "Registry.h"

#include <cstring>

#include "shared/ScopedWin.h"

namespace {

const std::wstring kSoftware = L"SOFTWARE\\";
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kServicesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\";

const RegistryOpenCalls kSystemOpenCalls = {::RegOpenKeyExW, ::RegCreateKeyExW};
const RegistryOpenCalls* g_openCalls = &kSystemOpenCalls;

// Creates or opens HKLM\<path>; disposition is optional.
LSTATUS CreateKey(const std::wstring& path, REGSAM rights, win::RegKey& key,
                  DWORD* disposition = nullptr, const wchar_t* keyClass = nullptr) {
    return g_openCalls->RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                             const_cast<wchar_t*>(keyClass), REG_OPTION_NON_VOLATILE, rights,
                             nullptr, key.put(), disposition);
}

bool SetText(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                            bytes) == ERROR_SUCCESS;
}

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}

}  // namespace

const RegistryOpenCalls& SystemRegistryOpenCalls() { return kSystemOpenCalls; }

void InstallRegistryOpenCalls(const RegistryOpenCalls* calls) { g_openCalls = calls ? calls : &kSystemOpenCalls; }

std::wstring RegistryTextFromBytes(const BYTE* data, DWORD byteCount) {
    const size_t units = byteCount / sizeof(wchar_t);
    std::wstring text(units, L'\0');
    if (units) std::memcpy(&text[0], data, units * sizeof(wchar_t));
    size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    return text;
}

int WriteRegistryString(const std::wstring& subKey, const std::wstring& name,
                        const std::wstring& text) {
    win::RegKey key;
    if (CreateKey(kSoftware + subKey, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return kRegWriteFailed;
    return SetText(key.get(), name.c_str(), text) ? kRegWritten : kRegWriteFailed;
}

int WriteRegistryDWORD(const std::wstring& subKey, const std::wstring& name, DWORD value) {
    win::RegKey key;
    if (CreateKey(kSoftware + subKey, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return kRegWriteFailed;
    return SetDword(key.get(), name.c_str(), value) ? kRegWritten : kRegWriteFailed;
}

int ReadRegistryDWORD(const std::wstring& subKey, const std::wstring& name, DWORD& value) {
    win::RegKey key;
    if (g_openCalls->RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kSoftware + subKey).c_str(), 0, KEY_QUERY_VALUE,
                                   key.put()) != ERROR_SUCCESS)
        return kRegKeyMissing;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        size != sizeof(data))
        return kRegValueMissing;
    value = data;
    return kRegRead;
}

int CreateDriverServiceKey(const std::wstring& driverName) {
    win::RegKey key;
    if (CreateKey(kServicesKey + driverName, KEY_ALL_ACCESS, key, nullptr, driverName.c_str()) !=
        ERROR_SUCCESS)
        return 1;
    bool ok = SetDword(key.get(), L"ErrorControl", SERVICE_ERROR_NORMAL);
    ok = SetDword(key.get(), L"Start", SERVICE_DEMAND_START) && ok;
    ok = SetDword(key.get(), L"Type", SERVICE_KERNEL_DRIVER) && ok;
    ok = SetText(key.get(), L"ImagePath", L"System32\\DRIVERS\\" + driverName + L".sys",
                 REG_EXPAND_SZ) && ok;
    ::RegFlushKey(key.get());
    return ok ? 0 : 1;
}

bool WriteUninstallInfo(const INSTALL_MGR::_REG_UNINSTALL_INFO& info) {
    win::RegKey key;
    if (::RegOpenKeyW(HKEY_LOCAL_MACHINE, info.KeyPath.c_str(), key.put()) != ERROR_SUCCESS &&
        ::RegCreateKeyW(HKEY_LOCAL_MACHINE, info.KeyPath.c_str(), key.put()) != ERROR_SUCCESS)
        return false;
    const struct {
        const wchar_t* name;
        const std::wstring& text;
    } values[] = {
        {L"DisplayName", info.DisplayName},       {L"UninstallString", info.UninstallString},
        {L"DisplayIcon", info.DisplayIcon},       {L"DisplayVersion", info.DisplayVersion},
        {L"Publisher", info.Publisher},
    };
    bool ok = true;
    for (const auto& v : values) ok = SetText(key.get(), v.name, v.text) && ok;
    return ok;
}

int WriteRunValue(const std::wstring& name, const std::wstring& commandLine) {
    win::RegKey key;
    if (CreateKey(kRunKey, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, key) != ERROR_SUCCESS)
        return 1;
    return SetText(key.get(), name.c_str(), commandLine) ? 0 : 1;
}
