// The supported-device list: entries "<hardware-ID pattern>,<Base64 of the
// DES cipher text of the pattern>" from a section of AudioConfig.cfg or from
// the numbered values of a registry group. Only entries whose cipher text
// decrypts to their own pattern are kept. An 'X' in a pattern stands for any
// one character when matching.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "shared/IniMgr.h"

namespace DEVICEID_MGR {

// AudioConfig.cfg sections and registry groups (under HKLM\SOFTWARE).
constexpr wchar_t kUsbSection[] = L"USB_VID_PID";
constexpr wchar_t kHidSection[] = L"HID_VID_PID";
constexpr wchar_t kUsbGroup[] = L"Qorv USB DeviceId Group";
constexpr wchar_t kHidGroup[] = L"Qorv HID DeviceId Group";

// Results of CDeviceIdMgr::LoadFromIniFile.
enum DeviceIdIniResult : int {
    kIdsLoaded = 0,
    kIdsFileNotLoaded = 1,
    kIdsNoSection = 2,
    kIdsNoKey = 3,
    kIdsEmptySide = 4,
};

class CDeviceIdMgr {
public:
    CDeviceIdMgr() = default;
    ~CDeviceIdMgr();
    CDeviceIdMgr(const CDeviceIdMgr&) = delete;
    CDeviceIdMgr& operator=(const CDeviceIdMgr&) = delete;

    void Clear();
    // DeviceIdIniResult. The lists keep their old contents when the file
    // cannot be loaded.
    int LoadFromIniFile(const std::wstring& filePath, const std::wstring& section);
    // Writes the verified entries as REG_SZ "1", "2", ... under
    // HKLM\SOFTWARE\<group> and removes numbered values above the new count.
    // 0 written; 1 the key cannot be created or a value cannot be written.
    int SaveToRegistry(const std::wstring& group);
    // 0 loaded; 1 the group key did not exist (it is now created, empty), it
    // can be neither opened nor created, or an entry with an empty side.
    int LoadFromRegistry(const std::wstring& group);
    // Checks each raw entry and inserts the good ones into verified; 1 when an
    // entry with an empty side stops the check, else 0.
    int VerifyEntries(const std::vector<std::wstring>& rawEntries,
                      std::multimap<std::wstring, std::wstring>& verified);
    // 1 when the hardware ID matches a verified pattern, else 0. The ID is
    // upper-cased; the control panel's copy upper-cases the patterns too.
    int MatchHardwareId(const std::wstring& hardwareId) const;

    const std::vector<std::wstring>& RawEntries() const { return m_RawEntries; }
    const std::multimap<std::wstring, std::wstring>& Verified() const { return m_Verified; }

private:
    REGINI_MGR::CIniMgr m_IniMgr;
    std::vector<std::wstring> m_RawEntries;
    std::multimap<std::wstring, std::wstring> m_Verified;  // PLAIN_ID -> CIPHER
};

// 0 and the 6-bit value (64 for '='), or 1 for a character outside Base64.
int Base64DecodeChar(char c, uint8_t& value);
// 0 decoded (size = bytes written); 1 length zero or not a multiple of 4;
// 2 the output could be too small; 3 a character outside the alphabet.
int Base64Decode(const char* text, size_t length, uint8_t* out, size_t& size);
// DES-CBC (zero IV, PKCS#5) through the system's enhanced crypto provider.
// -1 length not a multiple of 8; 1 no provider; 2 the key cannot be imported;
// 3 decryption failed; 4 the output is smaller than the cipher text;
// 0 decrypted (size = plaintext bytes).
int DesDecrypt(const uint8_t* data, size_t length, uint8_t* out, size_t& size,
               const char* key, size_t keyLength);
// Base64, then DES with the device-ID key. 0 done; 1 Base64 failed; 2 DES failed.
int DecodeDeviceIdCipher(const char* text, size_t length, uint8_t* out, size_t& size);

}  // namespace DEVICEID_MGR
