// Fixtures shared by the tests of the support library: device-ID entries made
// by the kit's tool, text in every INI encoding, and registry keys of a test's
// own that are removed afterwards.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace st {

// "<ID>,<cipher>" entries keyed by ID: made with the real key, and with another key.
const std::map<std::wstring, std::wstring>& DeviceEntries();
const std::map<std::wstring, std::wstring>& WrongKeyEntries();
// The entry of an ID of DeviceEntries() (fails the test when missing).
std::wstring Entry(const std::wstring& id);
std::wstring CipherOf(const std::wstring& entry);

constexpr wchar_t kUsbPattern[] = L"USB\\VID_2F7B&PID_73XX&REV_0100&MI_00";
constexpr wchar_t kUsbPattern3[] = L"USB\\VID_2F7B&PID_73XX&REV_0100&MI_03";
constexpr wchar_t kHidPattern[] = L"HID\\VID_2F7B&PID_73XX&MI_03";
constexpr wchar_t kExactId[] = L"USB\\VID_2F7B&PID_7312&REV_0100&MI_00";
constexpr wchar_t kLowerPattern[] = L"usb\\vid_2f7b&pid_73xx&rev_0100&mi_00";
constexpr wchar_t kShortId[] = L"USB\\VID_2F7B&PID_731F";
// The long pattern (several hundred characters) and one too long for an entry.
std::wstring LongPattern();
std::wstring TooLongPattern();

// Text as the bytes of a file in an INI encoding (0 ANSI ... 5 UTF-32BE),
// with or without the encoding's byte-order mark. ANSI keeps each unit's low
// byte; UTF-8 handles the basic plane.
std::string Encode(int encoding, const std::wstring& text, bool withBom = true);
const char* EncodingName(int encoding);

// A key under HKLM\SOFTWARE of this test alone; deleted with everything in it.
class TestRegistryKey {
public:
    explicit TestRegistryKey(const std::wstring& hint);
    ~TestRegistryKey();
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;
    // Path below SOFTWARE (what the writers take as sub-key).
    const std::wstring& subKey() const { return subKey_; }
    std::wstring fullPath() const { return L"SOFTWARE\\" + subKey_; }

private:
    std::wstring subKey_;
};

bool KeyExists(const std::wstring& pathUnderHklm);
// A value's type and bytes; false when it cannot be read.
bool ReadValue(const std::wstring& pathUnderHklm, const std::wstring& name, DWORD& type,
               std::string& bytes);
// The value's text when it is a string; "<missing>" otherwise.
std::wstring ReadText(const std::wstring& pathUnderHklm, const std::wstring& name);
bool SetRawValue(const std::wstring& pathUnderHklm, const std::wstring& name, DWORD type,
                 const std::string& bytes);

}  // namespace st
