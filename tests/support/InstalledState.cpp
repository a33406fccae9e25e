#include "InstalledState.h"

#include <vector>

#include "TestSupport.h"

namespace vt {

std::wstring AppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
    return path;
}

std::wstring KitUserFolder() { return AppDataFolder() + L"\\" + kKitInstallFolderName + L"\\"; }

void ResetInstalledState() {
    for (const wchar_t* key : {kUsbGroupKey, kHidGroupKey, kSettingsKey})
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
    RemoveTree(KitUserFolder());
}

bool RegKeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

std::wstring Dword(DWORD value) { return L"dword:" + std::to_wstring(value); }

std::map<std::wstring, std::wstring> RegValues(const std::wstring& path) {
    std::map<std::wstring, std::wstring> values;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256, type = 0, size = 0;
        std::vector<BYTE> data(4096);
        size = static_cast<DWORD>(data.size());
        if (::RegEnumValueW(key, i, name, &nameChars, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        std::wstring text;
        if (type == REG_SZ) {
            text.assign(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
        } else if (type == REG_DWORD && size == sizeof(DWORD)) {
            text = Dword(*reinterpret_cast<const DWORD*>(data.data()));
        } else {
            text = L"type:" + std::to_wstring(type);
        }
        values[name] = text;
    }
    ::RegCloseKey(key);
    return values;
}

bool CreateVolatileKey(const std::wstring& path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &key, &disposition) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return disposition == REG_CREATED_NEW_KEY;
}

}  // namespace vt
