// The assembled sample kit (build/<arch>/kit) read through the Windows
// functions the programs use: profile strings on ANSI and UTF-16 files,
// CryptoAPI DES on the device-ID entries, regions, pictures and icons.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

std::wstring KitDir() { return vt::BinDir() + L"..\\kit\\"; }
std::wstring VariantsDir() { return vt::BinDir() + L"..\\kit-variants\\"; }

const wchar_t* const kResolutions[] = {L"", L"960x540\\", L"1366x768\\", L"1920x1080\\"};
const wchar_t* const kSkins[] = {L"Graphite", L"Amber"};

std::wstring Profile(const std::wstring& file, const wchar_t* section, const wchar_t* key, DWORD size = 1024) {
    std::vector<wchar_t> buf(size);
    GetPrivateProfileStringW(section, key, L"", buf.data(), size, file.c_str());
    return buf.data();
}

// key=value lines of one section, in file order.
std::vector<std::pair<std::wstring, std::wstring>> Section(const std::wstring& file, const wchar_t* section) {
    std::vector<wchar_t> buf(65536);
    DWORD n = GetPrivateProfileSectionW(section, buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (const wchar_t* p = buf.data(); p < buf.data() + n && *p; p += wcslen(p) + 1) {
        std::wstring line = p;
        size_t eq = line.find(L'=');
        if (eq != std::wstring::npos) pairs.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return pairs;
}

std::vector<std::wstring> Split(const std::wstring& text) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(L',', start);
        fields.push_back(text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (comma == std::wstring::npos) return fields;
        start = comma + 1;
    }
}

// The whole text is a decimal integer, as the strict conversion wants it.
bool StrictInteger(const std::wstring& s) {
    size_t i = 0;
    while (i < s.size() && s[i] == L' ') ++i;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ++i;
    if (i == s.size()) return false;
    return std::all_of(s.begin() + i, s.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// Decrypts the Base64 text of a device-ID entry with the kit's DES key, the
// way the programs check their entries. Empty on any failure.
std::string DecryptEntry(const std::wstring& cipher) {
    DWORD size = 0;
    if (!CryptStringToBinaryW(cipher.c_str(), 0, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr)) return {};
    std::string data(size, '\0');
    if (!CryptStringToBinaryW(cipher.c_str(), 0, CRYPT_STRING_BASE64, reinterpret_cast<BYTE*>(&data[0]), &size,
                              nullptr, nullptr))
        return {};
    data.resize(size);
    HCRYPTPROV prov = 0;
    if (!CryptAcquireContextW(&prov, nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return {};
    struct {
        BLOBHEADER header;
        DWORD keySize;
        BYTE key[8];
    } blob = {{PLAINTEXTKEYBLOB, CUR_BLOB_VERSION, 0, CALG_DES}, 8, {'P', 'e', 'l', 'v', 'a', 'r', 'n', 'o'}};
    HCRYPTKEY key = 0;
    std::string plain;
    if (CryptImportKey(prov, reinterpret_cast<BYTE*>(&blob), sizeof(blob), 0, 0, &key)) {
        DWORD len = static_cast<DWORD>(data.size());
        if (CryptDecrypt(key, 0, TRUE, 0, reinterpret_cast<BYTE*>(&data[0]), &len)) plain = data.substr(0, len);
        CryptDestroyKey(key);
    }
    CryptReleaseContext(prov, 0);
    return plain;
}

TEST(KitDeviceEntries, EveryEntryDecryptsToItsDeviceId) {
    for (const wchar_t* section : {L"USB_VID_PID", L"HID_VID_PID"}) {
        auto entries = Section(KitDir() + L"AudioConfig.cfg", section);
        EXPECT_GE(entries.size(), 3u) << vt::Narrow(section);
        for (const auto& [key, entry] : entries) {
            size_t comma = entry.find(L',');
            ASSERT_NE(comma, std::wstring::npos) << vt::Narrow(section) << " " << vt::Narrow(key);
            EXPECT_EQ(DecryptEntry(entry.substr(comma + 1)), vt::Narrow(entry.substr(0, comma)))
                << vt::Narrow(section) << " " << vt::Narrow(key);
        }
    }
}

TEST(KitDeviceEntries, AlteredCipherTextDoesNotDecryptToItsId) {
    auto entries = Section(VariantsDir() + L"altered-device-entry.cfg", L"USB_VID_PID");
    ASSERT_GE(entries.size(), 3u);
    const std::wstring& entry = entries[2].second;
    size_t comma = entry.find(L',');
    EXPECT_NE(DecryptEntry(entry.substr(comma + 1)), vt::Narrow(entry.substr(0, comma)));
}

// The keys VelloPanel converts strictly, read the way it reads them (32 characters).
bool StrictKeysParse(const std::wstring& file) {
    std::vector<std::pair<const wchar_t*, std::wstring>> keys = {{L"GPIO", L"MODE"}, {L"Skin", L"RegionCut"},
                                                                 {L"Simple", L"Enable"}};
    for (int n = 0; n < 10; ++n) keys.push_back({L"GPIOActive", std::to_wstring(n)});
    for (const auto& [section, key] : keys)
        if (!StrictInteger(Profile(file, section, key.c_str(), 32))) return false;
    for (const wchar_t* list : {L"ENABLE", L"DIRECTION"}) {
        std::wstring value = Profile(file, L"GPIO", list, 32);
        if (value.empty()) continue;
        for (const auto& field : Split(value))
            if (!StrictInteger(field)) return false;
    }
    return true;
}

TEST(KitSettings, StrictIntegerKeysParseInTheKitAndFailInTheBrokenCopies) {
    struct Case {
        const wchar_t* file;
        bool parses;
    } cases[] = {
        {L"", true},  // the kit's own file
        {L"missing-gpio-mode", false},    {L"missing-gpioactive", false},  {L"missing-regioncut", false},
        {L"missing-simple", false},       {L"empty-gpioactive", false},    {L"nonnumeric-gpio-mode", false},
        {L"nonnumeric-enable", false},    {L"nonnumeric-regioncut", false}, {L"nonnumeric-simple", false},
        {L"overlong-icon-name", true},    {L"altered-device-entry", true},
    };
    for (const auto& c : cases) {
        std::wstring file = *c.file ? VariantsDir() + c.file + L".cfg" : KitDir() + L"AudioConfig.cfg";
        ASSERT_TRUE(vt::FileExists(file)) << vt::Narrow(file);
        EXPECT_EQ(StrictKeysParse(file), c.parses) << vt::Narrow(c.file);
    }
}

TEST(KitSettings, OverlongValuesArriveCut) {
    // 35 digits ending in 1: the panel's 32-character read keeps only zeros.
    EXPECT_EQ(Profile(VariantsDir() + L"overlong-gpio-mode.cfg", L"GPIO", L"MODE", 32), std::wstring(31, L'0'));
    EXPECT_EQ(Profile(VariantsDir() + L"overlong-title.cfg", L"Install", L"InstallAppTitle").size(), 1023u);
}

TEST(KitLanguages, CaptionsReadThroughTheProfileFunctionsInEveryResolution) {
    struct Case {
        const wchar_t* language;
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* start;  // the value begins with this
    } cases[] = {
        {L"English", L"Main", L"LabelMenu1", L"Save,"},
        {L"English", L"About", L"LabelAbout", L"\"Vello Audio Center, version 1.0\","},
        {L"English", L"Setup", L"LabelNextBtn", L"Next >"},
        {L"English", L"Uninstall", L"LabelUninstallBtn", L"Uninstall"},
        {L"Russian", L"Main", L"LabelMenu1", L"Сохранить,"},
        {L"Russian", L"EQ", L"LabelEQ1200Hz", L"\"1,2 кГц\","},
        {L"Russian", L"Setup", L"LabelNextBtn", L"Далее >"},
        {L"Russian", L"Uninstall", L"LabelTitle", L"Удаление Vello Audio Center"},
    };
    for (const wchar_t* res : kResolutions) {
        for (const auto& c : cases) {
            std::wstring file = KitDir() + L"Language\\" + res + c.language + L"\\Language.ini";
            std::wstring value = Profile(file, c.section, c.key);
            EXPECT_EQ(value.substr(0, wcslen(c.start)), c.start)
                << vt::Narrow(res) << vt::Narrow(c.language) << " [" << vt::Narrow(c.section) << "] "
                << vt::Narrow(c.key) << " = " << vt::Narrow(value);
        }
    }
}

class GdiPlus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(token_); }
    static bool PictureSize(const std::wstring& path, UINT& w, UINT& h) {
        Gdiplus::Bitmap picture(path.c_str());
        if (picture.GetLastStatus() != Gdiplus::Ok) return false;
        w = picture.GetWidth();
        h = picture.GetHeight();
        return true;
    }
    static ULONG_PTR token_;
};
ULONG_PTR GdiPlus::token_ = 0;

TEST_F(GdiPlus, EverySkinPictureLoadsWithTheSizeItsEntryGives) {
    const wchar_t* sections[] = {L"Main", L"EQ", L"3D", L"Effect", L"Mic", L"Virtual7ch1", L"About", L"LED",
                                 L"ENC", L"Timbrex"};
    for (const wchar_t* skin : kSkins) {
        for (const wchar_t* res : kResolutions) {
            std::wstring folder = KitDir() + L"Skin\\" + res + skin + L"\\";
            int pictures = 0;
            for (const wchar_t* section : sections) {
                for (const auto& [key, value] : Section(folder + L"SkinSetting.ini", section)) {
                    // The 3D page has no tab: a picture named there would show through on other pages.
                    if (wcscmp(section, L"3D") == 0) {
                        EXPECT_EQ(value, L"") << vt::Narrow(folder) << " [3D] " << vt::Narrow(key);
                        continue;
                    }
                    auto f = Split(value);
                    if (f[0].size() < 5 || _wcsicmp(f[0].c_str() + f[0].size() - 4, L".png") != 0) continue;
                    UINT w = 0, h = 0;
                    std::string where = vt::Narrow(folder) + " [" + vt::Narrow(section) + "] " + vt::Narrow(key);
                    ASSERT_TRUE(PictureSize(folder + f[0], w, h)) << where;
                    if (f.size() >= 5 && !f[3].empty() && !f[4].empty()) {
                        EXPECT_EQ(w, static_cast<UINT>(_wtoi(f[3].c_str()))) << where;
                        EXPECT_EQ(h, static_cast<UINT>(_wtoi(f[4].c_str()))) << where;
                    }
                    ++pictures;
                }
            }
            EXPECT_EQ(pictures, 183) << vt::Narrow(folder);
        }
    }
}

TEST_F(GdiPlus, RegionFileShapesTheBackgroundPicture) {
    for (const wchar_t* skin : kSkins) {
        for (const wchar_t* res : kResolutions) {
            std::wstring folder = KitDir() + L"Skin\\" + res + skin + L"\\";
            std::string where = vt::Narrow(folder);
            std::string bytes = vt::ReadFileBytes(folder + L"MainForm_Frame.rgn");
            ASSERT_GE(bytes.size(), sizeof(RGNDATAHEADER)) << where;
            const auto* header = reinterpret_cast<const RGNDATAHEADER*>(bytes.data());
            EXPECT_EQ(header->dwSize, sizeof(RGNDATAHEADER)) << where;
            EXPECT_EQ(header->iType, static_cast<DWORD>(RDH_RECTANGLES)) << where;
            EXPECT_EQ(bytes.size(), sizeof(RGNDATAHEADER) + header->nCount * sizeof(RECT)) << where;
            UINT w = 0, h = 0;
            ASSERT_TRUE(PictureSize(folder + L"MainFormImage.png", w, h)) << where;
            EXPECT_EQ(header->rcBound.right, static_cast<LONG>(w)) << where;
            EXPECT_EQ(header->rcBound.bottom, static_cast<LONG>(h)) << where;
            HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(bytes.size()),
                                          reinterpret_cast<const RGNDATA*>(bytes.data()));
            ASSERT_NE(region, nullptr) << where;
            RECT box = {};
            GetRgnBox(region, &box);
            EXPECT_EQ(box.right, static_cast<LONG>(w)) << where;
            EXPECT_EQ(box.bottom, static_cast<LONG>(h)) << where;
            EXPECT_FALSE(PtInRegion(region, 0, 0)) << where << ": the corners are cut";
            EXPECT_TRUE(PtInRegion(region, w / 2, h / 2)) << where;
            EXPECT_TRUE(PtInRegion(region, 0, h / 2)) << where;
            DeleteObject(region);
        }
    }
}

TEST(KitFiles, IconsLoadInEverySize) {
    for (const wchar_t* name : {L"Vello.ico", L"VelloUninstall.ico"}) {
        for (int size : {16, 32, 48}) {
            HANDLE icon = LoadImageW(nullptr, (KitDir() + name).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE);
            EXPECT_NE(icon, nullptr) << vt::Narrow(name) << " " << size;
            if (icon) DestroyIcon(static_cast<HICON>(icon));
        }
    }
}

}  // namespace
