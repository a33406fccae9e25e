#include "DeviceIdMgr.h"

#include <wincrypt.h>

#include <cstring>
#include <string>

#include "shared/Registry.h"
#include "shared/ScopedWin.h"
#include "shared/Variant.h"

namespace DEVICEID_MGR {
namespace {

constexpr char kDeviceIdKey[] = "Pelvarno";
constexpr size_t kDeviceIdKeyLength = 8;
constexpr size_t kDecodedBytes = 1024;     // Base64 output of one entry
constexpr size_t kPlainBytes = 4096;       // decrypted output of one entry
constexpr DWORD kRegistryEntryBytes = 2048;  // 1023 characters and the NUL

struct CryptProvTraits {
    static HCRYPTPROV Invalid() { return 0; }
    static void Close(HCRYPTPROV h) { ::CryptReleaseContext(h, 0); }
};
struct CryptKeyTraits {
    static HCRYPTKEY Invalid() { return 0; }
    static void Close(HCRYPTKEY h) { ::CryptDestroyKey(h); }
};
using CryptProv = win::Scoped<HCRYPTPROV, CryptProvTraits>;
using CryptKey = win::Scoped<HCRYPTKEY, CryptKeyTraits>;

// A DES key in the form CryptImportKey takes it: header, key size, key bytes.
#pragma pack(push, 1)
struct DesKeyBlob {
    BLOBHEADER header;
    DWORD keySize;
    BYTE key[8];
};
#pragma pack(pop)
static_assert(sizeof(DesKeyBlob) == 20, "plain-text key blob of a DES key");

std::wstring RegistryPath(const std::wstring& group) { return L"SOFTWARE\\" + group; }

std::wstring UpperAscii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

// A value name written by SaveToRegistry ("1", "2", ...) above count.
bool IsNumberAbove(const std::wstring& name, size_t count) {
    if (name.empty() || name.size() > 10 || name[0] == L'0') return false;
    unsigned long long n = 0;
    for (wchar_t c : name) {
        if (c < L'0' || c > L'9') return false;
        n = n * 10 + static_cast<unsigned>(c - L'0');
    }
    return n > count;
}

// Removes the numbered values above count left by an earlier, longer list.
bool RemoveValuesAbove(HKEY key, size_t count) {
    std::vector<std::wstring> stale;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD chars = 256;
        LSTATUS status = ::RegEnumValueW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA) continue;  // a long name is never a number of ours
        if (status != ERROR_SUCCESS) return false;
        std::wstring text(name, chars);
        if (IsNumberAbove(text, count)) stale.push_back(text);
    }
    bool ok = true;
    for (const std::wstring& name : stale) ok = ::RegDeleteValueW(key, name.c_str()) == ERROR_SUCCESS && ok;
    return ok;
}

}  // namespace

// ---- free functions -------------------------------------------------------

int Base64DecodeChar(char c, uint8_t& value) {
    if (c >= 'A' && c <= 'Z') value = static_cast<uint8_t>(c - 'A');
    else if (c >= 'a' && c <= 'z') value = static_cast<uint8_t>(c - 'a' + 26);
    else if (c >= '0' && c <= '9') value = static_cast<uint8_t>(c - '0' + 52);
    else if (c == '+') value = 62;
    else if (c == '/') value = 63;
    else if (c == '=') value = 64;
    else return 1;
    return 0;
}

int Base64Decode(const char* text, size_t length, uint8_t* out, size_t& size) {
    if (length == 0 || length % 4 != 0) return 1;
    if (length / 4 * 3 >= size) return 2;
    size_t written = 0;
    for (size_t group = 0; group < length / 4; ++group) {
        const char* g = text + group * 4;
        uint8_t c[4];
        for (int i = 0; i < 4; ++i) {
            if (Base64DecodeChar(g[i], c[i]) != 0) return 3;
        }
        const bool last = group + 1 == length / 4;
        out[written++] = static_cast<uint8_t>(c[0] << 2 | c[1] >> 4);
        if (!last || g[2] != '=') out[written++] = static_cast<uint8_t>(c[1] << 4 | c[2] >> 2);
        if (!last || (g[2] != '=' && g[3] != '=')) out[written++] = static_cast<uint8_t>(c[2] << 6 | c[3]);
    }
    size = written;
    return 0;
}

int DesDecrypt(const uint8_t* data, size_t length, uint8_t* out, size_t& size,
               const char* key, size_t keyLength) {
    if (length % 8 != 0) return -1;
    DesKeyBlob blob = {};
    blob.header.bType = PLAINTEXTKEYBLOB;
    blob.header.bVersion = CUR_BLOB_VERSION;
    blob.header.reserved = 0;
    blob.header.aiKeyAlg = CALG_DES;
    blob.keySize = sizeof(blob.key);
    std::memcpy(blob.key, key, keyLength < sizeof(blob.key) ? keyLength : sizeof(blob.key));

    CryptProv provider;
    if (!::CryptAcquireContextW(provider.put(), nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL,
                                CRYPT_VERIFYCONTEXT))
        return 1;
    CryptKey desKey;
    if (!::CryptImportKey(provider.get(), reinterpret_cast<const BYTE*>(&blob), sizeof(blob), 0, 0,
                          desKey.put()))
        return 2;

    // Block by block in place; the key keeps the chain between the calls and
    // the final call strips the padding.
    std::vector<uint8_t> work(data, data + length);
    size_t plain = 0;
    for (size_t offset = 0; offset < length; offset += 8) {
        DWORD blockLength = 8;
        const BOOL lastBlock = offset + 8 == length;
        if (!::CryptDecrypt(desKey.get(), 0, lastBlock, 0, work.data() + offset, &blockLength))
            return 3;
        plain += blockLength;
    }
    if (size < length) return 4;
    if (plain) std::memcpy(out, work.data(), plain);
    size = plain;
    return 0;
}

int DecodeDeviceIdCipher(const char* text, size_t length, uint8_t* out, size_t& size) {
    uint8_t decoded[kDecodedBytes] = {};
    size_t decodedSize = sizeof(decoded);
    if (Base64Decode(text, length, decoded, decodedSize) != 0) return 1;
    std::memset(out, 0, size);
    if (DesDecrypt(decoded, decodedSize, out, size, kDeviceIdKey, kDeviceIdKeyLength) != 0) return 2;
    return 0;
}

// ---- CDeviceIdMgr ---------------------------------------------------------

CDeviceIdMgr::~CDeviceIdMgr() { Clear(); }

void CDeviceIdMgr::Clear() {
    m_RawEntries.clear();
    m_Verified.clear();
}

int CDeviceIdMgr::LoadFromIniFile(const std::wstring& filePath, const std::wstring& section) {
    if (m_IniMgr.LoadFile(filePath) != REGINI_MGR::kIniLoaded) return kIdsFileNotLoaded;
    Clear();
    if (!m_IniMgr.HasSection(section)) return kIdsNoSection;
    std::vector<std::wstring> keys;
    m_IniMgr.GetKeyNames(section, keys);
    if (keys.empty()) return kIdsNoKey;
    for (const std::wstring& key : keys) m_RawEntries.push_back(m_IniMgr.GetValue(section, key));
    return VerifyEntries(m_RawEntries, m_Verified) != 0 ? kIdsEmptySide : kIdsLoaded;
}

int CDeviceIdMgr::VerifyEntries(const std::vector<std::wstring>& rawEntries,
                                std::multimap<std::wstring, std::wstring>& verified) {
    for (const std::wstring& entry : rawEntries) {
        size_t comma = entry.find(L',');
        if (comma == std::wstring::npos) continue;
        std::wstring plainId = entry.substr(0, comma);
        std::wstring cipher = entry.substr(comma + 1);
        REGINI_MGR::TrimChar(plainId, L' ');
        REGINI_MGR::TrimChar(cipher, L' ');
        if (plainId.empty() || cipher.empty()) return 1;

        std::string cipherBytes(cipher.size(), '\0');
        for (size_t i = 0; i < cipher.size(); ++i) cipherBytes[i] = static_cast<char>(cipher[i] & 0xFF);
        uint8_t plain[kPlainBytes] = {};
        size_t plainSize = sizeof(plain);
        if (DecodeDeviceIdCipher(cipherBytes.data(), cipherBytes.size(), plain, plainSize) != 0)
            continue;
        if (plainSize >= sizeof(plain)) plainSize = sizeof(plain) - 1;
        plain[plainSize] = 0;
        std::wstring decrypted;
        for (size_t i = 0; i < plainSize && plain[i] != 0; ++i) decrypted += static_cast<wchar_t>(plain[i]);
        if (decrypted == plainId) verified.insert({plainId, cipher});
    }
    return 0;
}

int CDeviceIdMgr::SaveToRegistry(const std::wstring& group) {
    win::RegKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, RegistryPath(group).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return 1;
    bool ok = true;
    size_t counter = 1;
    for (const auto& pair : m_Verified) {
        const std::wstring name = std::to_wstring(counter++);
        const std::wstring data = pair.first + L"," + pair.second;
        ok = ::RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) ==
                 ERROR_SUCCESS &&
             ok;
    }
    ok = RemoveValuesAbove(key.get(), m_Verified.size()) && ok;
    return ok ? 0 : 1;
}

int CDeviceIdMgr::LoadFromRegistry(const std::wstring& group) {
    win::RegKey key;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, RegistryPath(group).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                          &disposition) != ERROR_SUCCESS)
        return 1;
    if (disposition == REG_CREATED_NEW_KEY) return 1;
    Clear();
    for (size_t counter = 1;; ++counter) {
        BYTE data[kRegistryEntryBytes];
        DWORD size = sizeof(data);
        if (::RegQueryValueExW(key.get(), std::to_wstring(counter).c_str(), nullptr, nullptr, data,
                               &size) != ERROR_SUCCESS)
            break;
        m_RawEntries.push_back(RegistryTextFromBytes(data, size));
    }
    key.reset();
    return VerifyEntries(m_RawEntries, m_Verified) != 0 ? 1 : 0;
}

int CDeviceIdMgr::MatchHardwareId(const std::wstring& hardwareId) const {
    const std::wstring id = UpperAscii(hardwareId);
    for (const auto& pair : m_Verified) {
        // The control panel's copy ignores case on both sides; the setup
        // programs compare the stored pattern as it stands.
        const std::wstring pattern = variant::kPanel ? UpperAscii(pair.first) : pair.first;
        if (pattern.size() != id.size()) continue;
        std::wstring candidate = id;
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == L'X') candidate[i] = L'X';
        }
        if (candidate == pattern) return 1;
    }
    return 0;
}

}  // namespace DEVICEID_MGR
