#include "SharedFixtures.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace st {
namespace {

std::map<std::wstring, std::wstring> ReadEntries(const std::wstring& file) {
    std::map<std::wstring, std::wstring> entries;
    std::wstring text = vt::Widen(vt::ReadFileBytes(vt::BinPath(L"fixtures\\" + file)));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        size_t comma = line.find(L',');
        if (comma != std::wstring::npos) entries[line.substr(0, comma)] = line;
        start = end + 1;
    }
    return entries;
}

std::wstring Repeat(const std::wstring& part, int times) {
    std::wstring text;
    for (int i = 0; i < times; ++i) text += part;
    return text;
}

void PutUnit16(std::string& out, unsigned unit, bool bigEndian) {
    char lo = static_cast<char>(unit & 0xFF), hi = static_cast<char>(unit >> 8 & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
}

void PutUnit32(std::string& out, unsigned unit, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        int shift = bigEndian ? 8 * (3 - i) : 8 * i;
        out += static_cast<char>(unit >> shift & 0xFF);
    }
}

void PutUtf8(std::string& out, unsigned c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

const std::map<std::wstring, std::wstring>& DeviceEntries() {
    static const auto entries = ReadEntries(L"device-entries.txt");
    return entries;
}

const std::map<std::wstring, std::wstring>& WrongKeyEntries() {
    static const auto entries = ReadEntries(L"device-entries-wrong-key.txt");
    return entries;
}

std::wstring Entry(const std::wstring& id) {
    auto found = DeviceEntries().find(id);
    EXPECT_NE(found, DeviceEntries().end()) << "no fixture entry for " << vt::Narrow(id);
    return found == DeviceEntries().end() ? std::wstring() : found->second;
}

std::wstring CipherOf(const std::wstring& entry) { return entry.substr(entry.find(L',') + 1); }

std::wstring LongPattern() {
    return std::wstring(kUsbPattern) + L"&" + Repeat(L"LONGPART", 60);
}

std::wstring TooLongPattern() {
    return L"USB\\VID_2F7B&PID_73XX&" + Repeat(L"TOOLONG.", 140);
}

std::string Encode(int encoding, const std::wstring& text, bool withBom) {
    std::string out;
    if (withBom) {
        switch (encoding) {
            case 1: out = "\xEF\xBB\xBF"; break;
            case 2: out = "\xFF\xFE"; break;
            case 3: out = "\xFE\xFF"; break;
            case 4: out = std::string("\xFF\xFE\x00\x00", 4); break;
            case 5: out = std::string("\x00\x00\xFE\xFF", 4); break;
            default: break;
        }
    }
    for (wchar_t c : text) {
        const unsigned u = static_cast<unsigned>(c);
        switch (encoding) {
            case 0: out += static_cast<char>(u & 0xFF); break;
            case 1: PutUtf8(out, u); break;
            case 2: PutUnit16(out, u, false); break;
            case 3: PutUnit16(out, u, true); break;
            case 4: PutUnit32(out, u, false); break;
            case 5: PutUnit32(out, u, true); break;
            default: break;
        }
    }
    return out;
}

const char* EncodingName(int encoding) {
    static const char* const kNames[] = {"ANSI", "UTF-8", "UTF-16LE", "UTF-16BE", "UTF-32LE",
                                         "UTF-32BE"};
    return encoding >= 0 && encoding < 6 ? kNames[encoding] : "?";
}

TestRegistryKey::TestRegistryKey(const std::wstring& hint) {
    static LONG counter = 0;
    subKey_ = L"VelloSharedTests\\" + hint + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
              std::to_wstring(::InterlockedIncrement(&counter));
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, fullPath().c_str());
}

TestRegistryKey::~TestRegistryKey() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, fullPath().c_str());
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, fullPath().c_str());
}

bool KeyExists(const std::wstring& pathUnderHklm) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, pathUnderHklm.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool ReadValue(const std::wstring& pathUnderHklm, const std::wstring& name, DWORD& type,
               std::string& bytes) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, pathUnderHklm.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        bytes.assign(size, '\0');
        status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(&bytes[0]), &size);
        bytes.resize(size);
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::wstring ReadText(const std::wstring& pathUnderHklm, const std::wstring& name) {
    DWORD type = 0;
    std::string bytes;
    if (!ReadValue(pathUnderHklm, name, type, bytes) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return L"<missing>";
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty()) memcpy(&text[0], bytes.data(), text.size() * 2);
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

bool SetRawValue(const std::wstring& pathUnderHklm, const std::wstring& name, DWORD type,
                 const std::string& bytes) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, pathUnderHklm.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LSTATUS status = ::RegSetValueExW(key, name.c_str(), 0, type,
                                      reinterpret_cast<const BYTE*>(bytes.data()),
                                      static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace st
