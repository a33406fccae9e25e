#include "IniValue.h"

#include <windows.h>

namespace {
constexpr DWORD kValueChars = 1024;
}

int ReadIniValue(const std::wstring& filePath, const std::wstring& section,
                 const std::wstring& key, std::wstring& value) {
    wchar_t buffer[kValueChars] = {};
    DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer,
                                         kValueChars, filePath.c_str());
    if (n == 0) return 1;
    value.assign(buffer, n);
    return 0;
}

int WriteIniValue(const std::wstring& filePath, const std::wstring& section,
                  const std::wstring& key, const std::wstring& value) {
    BOOL ok = ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(),
                                           filePath.c_str());
    return ok ? 0 : 1;
}

int SplitCommaFields(const std::wstring& text, std::vector<std::wstring>& fields) {
    size_t pos = 0;
    for (;;) {
        size_t comma = text.find(L',', pos);
        if (comma == std::wstring::npos) break;
        fields.push_back(text.substr(pos, comma - pos));
        pos = comma + 1;
    }
    fields.push_back(pos < text.size() ? text.substr(pos) : std::wstring());
    return static_cast<int>(fields.size());
}
