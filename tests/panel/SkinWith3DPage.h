// The sample kit's skins leave the 3D page's entries empty: the page has no
// tab, and its pictures would show through on the pages without a background
// picture of their own. Tests that drive the 3D page give their copy of a
// skin the page for a while: each entry names the kit's own picture of it
// (the 3D link pictures also lie in the skin's 3D folder); with no place
// given, each control keeps the form's place and takes its picture's size.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vt {

// Writes the [3D] entries of a SkinSetting.ini through the profile functions
// (so their cache never holds stale text): each names its picture, or none.
inline void SetThreeDPage(const std::wstring& skinSettingIni, bool on) {
    std::vector<wchar_t> section(32768);
    const DWORD length = ::GetPrivateProfileSectionW(L"3D", section.data(), static_cast<DWORD>(section.size()),
                                                     skinSettingIni.c_str());
    std::vector<std::wstring> keys;
    for (const wchar_t* line = section.data(); line < section.data() + length && *line; line += wcslen(line) + 1) {
        const std::wstring entry = line;
        keys.push_back(entry.substr(0, entry.find(L'=')));
    }
    for (const std::wstring& key : keys)
        ::WritePrivateProfileStringW(L"3D", key.c_str(), on ? (key + L".png").c_str() : L"", skinSettingIni.c_str());
}

// A skin's file with the 3D page for the life of the object, empty again after.
class ThreeDPage {
public:
    explicit ThreeDPage(std::wstring skinSettingIni) : ini_(std::move(skinSettingIni)) { SetThreeDPage(ini_, true); }
    ~ThreeDPage() { SetThreeDPage(ini_, false); }
    ThreeDPage(const ThreeDPage&) = delete;
    ThreeDPage& operator=(const ThreeDPage&) = delete;

private:
    std::wstring ini_;
};

}  // namespace vt
