// Runs in both test programs: the control panel's copy matches device IDs
// ignoring case on both sides, the setup programs' copy does not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SharedFixtures.h"
#include "TestSupport.h"
#include "shared/DeviceIdMgr.h"
#include "shared/Variant.h"

using namespace DEVICEID_MGR;

namespace {

using Ids = std::vector<std::wstring>;

Ids VerifiedIds(const CDeviceIdMgr& mgr) {
    Ids ids;
    for (const auto& pair : mgr.Verified()) ids.push_back(pair.first);
    return ids;
}

// Replaces the character at index with another Base64 character.
std::wstring Tamper(const std::wstring& entry, size_t cipherIndex) {
    std::wstring out = entry;
    wchar_t& c = out[entry.find(L',') + 1 + cipherIndex];
    c = c == L'A' ? L'B' : L'A';
    return out;
}

std::wstring Section(const wchar_t* name, const Ids& values) {
    std::wstring text = L"[" + std::wstring(name) + L"]\r\n";
    int n = 0;
    for (const std::wstring& v : values) text += std::to_wstring(++n) + L"=" + v + L"\r\n";
    return text;
}

class DeviceIdFile : public ::testing::Test {
protected:
    std::wstring Write(const std::wstring& text, int encoding = 0) {
        std::wstring path = dir / (L"AudioConfig" + std::to_wstring(++count_) + L".cfg");
        EXPECT_TRUE(vt::WriteFileBytes(path, st::Encode(encoding, text)));
        return path;
    }
    int Load(const std::wstring& text) { return mgr.LoadFromIniFile(Write(text), kUsbSection); }

    vt::TempDir dir;
    CDeviceIdMgr mgr;

private:
    int count_ = 0;
};

TEST_F(DeviceIdFile, KeepsOnlyEntriesWhoseCipherMatches) {
    const std::wstring usb = st::Entry(st::kUsbPattern);
    const std::wstring usb3 = st::Entry(st::kUsbPattern3);
    const std::wstring other = st::WrongKeyEntries().begin()->second;
    const std::wstring swapped = std::wstring(st::kUsbPattern) + L"," + st::CipherOf(usb3);
    const std::wstring cipher = st::CipherOf(usb);
    struct Case {
        const char* name;
        Ids values;
        int result;
        Ids verified;
    };
    const Case cases[] = {
        {"two good entries", {usb3, usb}, kIdsLoaded, {st::kUsbPattern, st::kUsbPattern3}},
        {"blanks around both parts",
         {L"  " + std::wstring(st::kUsbPattern) + L"  ,  " + cipher + L"  "}, kIdsLoaded,
         {st::kUsbPattern}},
        {"entry without a comma is skipped", {L"no comma here", usb}, kIdsLoaded, {st::kUsbPattern}},
        {"first cipher character changed", {Tamper(usb, 0)}, kIdsLoaded, {}},
        {"middle cipher character changed", {Tamper(usb, 20)}, kIdsLoaded, {}},
        {"made with another key", {other, usb3}, kIdsLoaded, {st::kUsbPattern3}},
        {"cipher of another ID", {swapped}, kIdsLoaded, {}},
        {"Base64 length not a multiple of 4", {usb.substr(0, usb.size() - 1)}, kIdsLoaded, {}},
        {"blank inside the cipher", {usb.substr(0, usb.size() - 10) + L" " + usb.substr(usb.size() - 10)},
         kIdsLoaded, {}},
        {"case of the ID must match the cipher",
         {L"usb\\vid_2f7b&pid_73xx&rev_0100&mi_00," + cipher}, kIdsLoaded, {}},
        {"same ID twice is kept twice", {usb, usb}, kIdsLoaded, {st::kUsbPattern, st::kUsbPattern}},
        {"long pattern", {st::Entry(st::LongPattern())}, kIdsLoaded, {st::LongPattern()}},
        {"pattern too long for an entry", {st::Entry(st::TooLongPattern()), usb}, kIdsLoaded,
         {st::kUsbPattern}},
        {"empty ID stops the check", {usb, L"," + cipher, usb3}, kIdsEmptySide, {st::kUsbPattern}},
        {"blank ID stops the check", {L"   ," + cipher}, kIdsEmptySide, {}},
        {"empty cipher stops the check", {std::wstring(st::kUsbPattern) + L",  "}, kIdsEmptySide, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load(Section(kUsbSection, c.values)), c.result) << c.name;
        EXPECT_EQ(VerifiedIds(mgr), c.verified) << c.name;
        EXPECT_EQ(mgr.RawEntries().size(), c.values.size()) << c.name;
    }
}

TEST_F(DeviceIdFile, ReportsFileSectionAndKeyProblems) {
    const std::wstring usb = st::Entry(st::kUsbPattern);
    ASSERT_EQ(Load(Section(kUsbSection, {usb})), kIdsLoaded);
    EXPECT_EQ(mgr.LoadFromIniFile(dir / L"missing.cfg", kUsbSection), kIdsFileNotLoaded);
    EXPECT_EQ(VerifiedIds(mgr), Ids{st::kUsbPattern}) << "a file that cannot be loaded keeps the list";

    struct Case {
        const char* name;
        std::wstring text;
        int result;
    };
    const Case cases[] = {
        {"section missing", Section(kHidSection, {usb}), kIdsNoSection},
        {"section name in other case", Section(L"usb_vid_pid", {usb}), kIdsNoSection},
        {"section without keys", L"[USB_VID_PID]\r\n; nothing\r\n[Other]\r\nk=v\r\n", kIdsNoKey},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load(c.text), c.result) << c.name;
        if (c.result != kIdsLoaded) {
            EXPECT_TRUE(mgr.Verified().empty()) << c.name;
        }
    }
}

TEST_F(DeviceIdFile, ReadsUnicodeFilesAndTheHidSection) {
    const std::wstring text = Section(kUsbSection, {st::Entry(st::kUsbPattern)}) +
                              Section(kHidSection, {st::Entry(st::kHidPattern)});
    for (int encoding = 0; encoding <= 5; ++encoding) {
        const std::wstring path = Write(text, encoding);
        EXPECT_EQ(mgr.LoadFromIniFile(path, kHidSection), kIdsLoaded) << st::EncodingName(encoding);
        EXPECT_EQ(VerifiedIds(mgr), Ids{st::kHidPattern}) << st::EncodingName(encoding);
    }
}

TEST_F(DeviceIdFile, DuplicateKeyNamesRepeatTheFirstValue) {
    const std::wstring text = L"[USB_VID_PID]\r\n1=" + st::Entry(st::kUsbPattern) + L"\r\n1=" +
                              st::Entry(st::kUsbPattern3) + L"\r\n";
    EXPECT_EQ(Load(text), kIdsLoaded);
    EXPECT_EQ(VerifiedIds(mgr), (Ids{st::kUsbPattern, st::kUsbPattern}));
}

// ---- registry groups --------------------------------------------------------

class DeviceIdRegistry : public ::testing::Test {
protected:
    st::TestRegistryKey key{L"DeviceIds"};
    std::wstring group = key.subKey();
    std::wstring path = key.fullPath();
    vt::TempDir dir;

    void LoadList(CDeviceIdMgr& mgr, const Ids& entries) {
        std::wstring file = dir / L"AudioConfig.cfg";
        ASSERT_TRUE(vt::WriteFileBytes(file, vt::Narrow(Section(kUsbSection, entries))));
        ASSERT_EQ(mgr.LoadFromIniFile(file, kUsbSection), kIdsLoaded);
    }
};

TEST_F(DeviceIdRegistry, SavesNumberedValuesInListOrderWithTheirTerminator) {
    CDeviceIdMgr mgr;
    LoadList(mgr, {st::Entry(st::kUsbPattern3), st::Entry(st::kHidPattern), st::Entry(st::kUsbPattern)});
    ASSERT_EQ(mgr.SaveToRegistry(group), 0);
    const Ids expected = {st::Entry(st::kHidPattern), st::Entry(st::kUsbPattern),
                          st::Entry(st::kUsbPattern3)};  // ordered by ID
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::wstring name = std::to_wstring(i + 1);
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(st::ReadValue(path, name, type, bytes)) << "value " << i + 1;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(bytes.size(), (expected[i].size() + 1) * 2) << "value " << i + 1;
        EXPECT_EQ(st::ReadText(path, name), expected[i]) << "value " << i + 1;
    }
    EXPECT_EQ(st::ReadText(path, L"4"), L"<missing>");

    CDeviceIdMgr loaded;
    EXPECT_EQ(loaded.LoadFromRegistry(group), 0);
    EXPECT_EQ(loaded.RawEntries(), expected);
    EXPECT_EQ(loaded.Verified(), mgr.Verified());
}

TEST_F(DeviceIdRegistry, ShorterListRemovesStaleNumberedValues) {
    CDeviceIdMgr five;
    LoadList(five, {st::Entry(st::kUsbPattern), st::Entry(st::kUsbPattern3), st::Entry(st::kHidPattern),
                    st::Entry(st::kExactId), st::Entry(st::kShortId)});
    ASSERT_EQ(five.SaveToRegistry(group), 0);
    ASSERT_TRUE(st::SetRawValue(path, L"Other", REG_SZ, std::string("x\0\0", 4)));
    ASSERT_TRUE(st::SetRawValue(path, L"07", REG_SZ, std::string("x\0\0", 4)));

    CDeviceIdMgr three;
    LoadList(three, {st::Entry(st::kUsbPattern), st::Entry(st::kUsbPattern3), st::Entry(st::kHidPattern)});
    ASSERT_EQ(three.SaveToRegistry(group), 0);
    EXPECT_EQ(st::ReadText(path, L"4"), L"<missing>");
    EXPECT_EQ(st::ReadText(path, L"5"), L"<missing>");
    EXPECT_NE(st::ReadText(path, L"Other"), L"<missing>") << "values of other names stay";
    EXPECT_NE(st::ReadText(path, L"07"), L"<missing>");

    CDeviceIdMgr loaded;
    EXPECT_EQ(loaded.LoadFromRegistry(group), 0);
    EXPECT_EQ(loaded.RawEntries().size(), 3u);

    CDeviceIdMgr empty;
    ASSERT_EQ(empty.SaveToRegistry(group), 0);
    EXPECT_EQ(st::ReadText(path, L"1"), L"<missing>") << "an empty list clears the group";
}

TEST_F(DeviceIdRegistry, MissingGroupIsCreatedEmptyThenLoadsEmpty) {
    CDeviceIdMgr mgr;
    EXPECT_EQ(mgr.LoadFromRegistry(group), 1);
    EXPECT_TRUE(st::KeyExists(path));
    EXPECT_EQ(mgr.LoadFromRegistry(group), 0);
    EXPECT_TRUE(mgr.Verified().empty());
}

TEST_F(DeviceIdRegistry, ReadsOddValuesSafelyAndStopsAtTheFirstGap) {
    const std::wstring usb = st::Entry(st::kUsbPattern);
    const std::string usbBytes(reinterpret_cast<const char*>(usb.c_str()), usb.size() * 2);
    const std::wstring usb3 = st::Entry(st::kUsbPattern3);
    const std::string usb3Bytes(reinterpret_cast<const char*>(usb3.c_str()), (usb3.size() + 1) * 2);
    struct Value {
        DWORD type;
        std::string bytes;
    };
    struct Case {
        const char* name;
        std::vector<Value> values;  // named "1", "2", ...
        int result;
        Ids raw;
    };
    const Case cases[] = {
        {"no terminator", {{REG_SZ, usbBytes}}, 0, {usb}},
        {"odd byte count", {{REG_SZ, usbBytes + "A"}}, 0, {usb}},
        {"binary value read as text", {{REG_BINARY, usb3Bytes}}, 0, {usb3}},
        {"text after an embedded NUL is dropped", {{REG_SZ, usb3Bytes + "x\0y\0"}}, 0, {usb3}},
        {"value larger than an entry ends the list",
         {{REG_SZ, usb3Bytes}, {REG_SZ, std::string(2050, 'A')}, {REG_SZ, usb3Bytes}}, 0, {usb3}},
        {"a full-size value without terminator",
         {{REG_SZ, std::string(2046, 'A')}}, 0, {std::wstring(1023, L'\x4141')}},
        {"empty side after a good entry", {{REG_SZ, usb3Bytes}, {REG_SZ, std::string(",\0x\0\0\0", 6)}},
         1, {usb3, L",x"}},
    };
    for (const Case& c : cases) {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
        for (size_t i = 0; i < c.values.size(); ++i) {
            ASSERT_TRUE(st::SetRawValue(path, std::to_wstring(i + 1), c.values[i].type, c.values[i].bytes))
                << c.name;
        }
        CDeviceIdMgr mgr;
        EXPECT_EQ(mgr.LoadFromRegistry(group), c.result) << c.name;
        EXPECT_EQ(mgr.RawEntries(), c.raw) << c.name;
    }
    // A gap: "1" and "3" without "2".
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
    ASSERT_TRUE(st::SetRawValue(path, L"1", REG_SZ, usb3Bytes));
    ASSERT_TRUE(st::SetRawValue(path, L"3", REG_SZ, usb3Bytes));
    CDeviceIdMgr mgr;
    EXPECT_EQ(mgr.LoadFromRegistry(group), 0);
    EXPECT_EQ(mgr.RawEntries().size(), 1u);
}

TEST_F(DeviceIdRegistry, ReportsAGroupThatCannotBeCreated) {
    // A volatile key cannot hold the lasting key the list needs.
    HKEY parent = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (path + L"\\Volatile").c_str(), 0, nullptr,
                                REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(parent);
    CDeviceIdMgr mgr;
    LoadList(mgr, {st::Entry(st::kUsbPattern)});
    EXPECT_EQ(mgr.SaveToRegistry(group + L"\\Volatile\\Group"), 1);
    EXPECT_EQ(mgr.LoadFromRegistry(group + L"\\Volatile\\Group"), 1);
}

// ---- matching ---------------------------------------------------------------

TEST_F(DeviceIdFile, MatchesWithWildcardsAndTheProgramsCaseRule) {
    struct Case {
        const char* name;
        Ids patterns;
        const wchar_t* id;
        int setup;  // VelloSetup and VelloUninstall
        int panel;  // VelloPanel
    };
    const std::wstring upper = st::kUsbPattern, lower = st::kLowerPattern;
    const Case cases[] = {
        {"X stands for one character", {upper}, L"USB\\VID_2F7B&PID_731F&REV_0100&MI_00", 1, 1},
        {"the ID is upper-cased", {upper}, L"usb\\vid_2f7b&pid_731f&rev_0100&mi_00", 1, 1},
        {"one character longer", {upper}, L"USB\\VID_2F7B&PID_731F&REV_0100&MI_000", 0, 0},
        {"one character shorter", {upper}, L"USB\\VID_2F7B&PID_731F&REV_0100&MI_0", 0, 0},
        {"other interface", {upper}, L"USB\\VID_2F7B&PID_731F&REV_0100&MI_01", 0, 0},
        {"X in the ID only matches X", {upper}, L"USB\\VID_2F7B&PID_73XX&REV_0100&MI_0X", 0, 0},
        {"the pattern itself", {upper}, L"USB\\VID_2F7B&PID_73XX&REV_0100&MI_00", 1, 1},
        {"exact pattern", {st::kExactId}, L"usb\\vid_2f7b&pid_7312&rev_0100&mi_00", 1, 1},
        {"exact pattern, other product", {st::kExactId}, L"USB\\VID_2F7B&PID_7313&REV_0100&MI_00", 0, 0},
        {"lower-case pattern", {lower}, L"USB\\VID_2F7B&PID_73AB&REV_0100&MI_00", 0, 1},
        {"lower-case pattern, lower-case ID", {lower}, L"usb\\vid_2f7b&pid_73ab&rev_0100&mi_00", 0, 1},
        {"second pattern matches", {st::kShortId, upper}, L"USB\\VID_2F7B&PID_7399&REV_0100&MI_00", 1, 1},
        {"short pattern", {st::kShortId, upper}, L"usb\\vid_2f7b&pid_731f", 1, 1},
        {"empty ID", {upper}, L"", 0, 0},
    };
    for (const Case& c : cases) {
        Ids entries;
        for (const std::wstring& p : c.patterns) entries.push_back(st::Entry(p));
        ASSERT_EQ(Load(Section(kUsbSection, entries)), kIdsLoaded) << c.name;
        ASSERT_EQ(mgr.Verified().size(), c.patterns.size()) << c.name;
        EXPECT_EQ(mgr.MatchHardwareId(c.id), variant::kPanel ? c.panel : c.setup) << c.name;
    }
    CDeviceIdMgr empty;
    EXPECT_EQ(empty.MatchHardwareId(L"USB\\VID_2F7B&PID_731F&REV_0100&MI_00"), 0) << "empty list";
}

}  // namespace
