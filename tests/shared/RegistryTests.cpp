#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SharedFixtures.h"
#include "TestSupport.h"
#include "shared/Registry.h"

namespace {

std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
std::string Text(const std::wstring& t) {
    return std::string(reinterpret_cast<const char*>(t.c_str()), (t.size() + 1) * 2);
}

// A volatile key under the test's key: no lasting key can be made below it.
std::wstring MakeVolatile(const st::TestRegistryKey& key) {
    HKEY h = nullptr;
    const std::wstring path = key.fullPath() + L"\\Volatile";
    EXPECT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(h);
    return key.subKey() + L"\\Volatile";
}

TEST(RegistryWriters, WriteStringsAndDwordsWithTheirTerminator) {
    st::TestRegistryKey key(L"Writers");
    const std::wstring sub = key.subKey() + L"\\Qorv 73xx Software";
    const std::wstring path = L"SOFTWARE\\" + sub;
    struct Case {
        const char* name;
        int result;
        const wchar_t* value;
        DWORD type;
        std::string bytes;
    };
    const Case cases[] = {
        {"text", WriteRegistryString(sub, L"Text", L"\"C:\\P\\VelloPanel.exe\" -servicestart"), L"Text",
         REG_SZ, Text(L"\"C:\\P\\VelloPanel.exe\" -servicestart")},
        {"empty text", WriteRegistryString(sub, L"Empty", L""), L"Empty", REG_SZ, Text(L"")},
        {"DWORD", WriteRegistryDWORD(sub, L"EncEnable", 0x12345678), L"EncEnable", REG_DWORD,
         Dword(0x12345678)},
        {"DWORD overwritten", (WriteRegistryDWORD(sub, L"Twice", 1), WriteRegistryDWORD(sub, L"Twice", 2)),
         L"Twice", REG_DWORD, Dword(2)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, kRegWritten) << c.name;
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(st::ReadValue(path, c.value, type, bytes)) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
}

TEST(RegistryWriters, ReportKeysThatCannotBeCreated) {
    st::TestRegistryKey key(L"WriteFail");
    const std::wstring bad = MakeVolatile(key) + L"\\Lasting";
    EXPECT_EQ(WriteRegistryString(bad, L"v", L"x"), kRegWriteFailed);
    EXPECT_EQ(WriteRegistryDWORD(bad, L"v", 1), kRegWriteFailed);
    DWORD value = 77;
    EXPECT_EQ(ReadRegistryDWORD(bad, L"v", value), kRegKeyMissing);
    EXPECT_EQ(value, 77u);
}

TEST(RegistryReader, ReadDwordNeverCreatesKeysAndLeavesValueOnFailure) {
    st::TestRegistryKey key(L"Reader");
    const std::wstring sub = key.subKey() + L"\\EncValueMap";
    const std::wstring path = L"SOFTWARE\\" + sub;
    DWORD value = 77;
    EXPECT_EQ(ReadRegistryDWORD(sub, L"VID_2F7B&PID_7312", value), kRegKeyMissing);
    EXPECT_FALSE(st::KeyExists(path)) << "a read creates nothing";
    EXPECT_EQ(ReadRegistryDWORD(sub, L"VID_2F7B&PID_7312", value), kRegKeyMissing);
    ASSERT_EQ(WriteRegistryDWORD(sub, L"Other", 1), kRegWritten);
    EXPECT_EQ(ReadRegistryDWORD(sub, L"VID_2F7B&PID_7312", value), kRegValueMissing);
    EXPECT_EQ(value, 77u);

    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
        int result;
        DWORD value;
    };
    const Case cases[] = {
        {"DWORD", REG_DWORD, Dword(5), kRegRead, 5},
        {"four bytes of another type", REG_BINARY, Dword(0xA0B0C0D0), kRegRead, 0xA0B0C0D0},
        {"longer value", REG_SZ, Text(L"12345"), kRegValueMissing, 77},
        {"shorter value", REG_BINARY, std::string("\x01\x02", 2), kRegValueMissing, 77},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(st::SetRawValue(path, L"v", c.type, c.bytes)) << c.name;
        DWORD out = 77;
        EXPECT_EQ(ReadRegistryDWORD(sub, L"v", out), c.result) << c.name;
        EXPECT_EQ(out, c.value) << c.name;
    }
}

// Every open of a key with the call used and the rights asked for.
struct OpenRecord {
    std::string call;
    std::wstring path;
    REGSAM rights;
};
std::vector<OpenRecord> g_opens;
LSTATUS WINAPI RecordOpen(HKEY root, LPCWSTR path, DWORD options, REGSAM rights, PHKEY key) {
    g_opens.push_back({"open", path, rights});
    return ::RegOpenKeyExW(root, path, options, rights, key);
}
LSTATUS WINAPI RecordCreate(HKEY root, LPCWSTR path, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM rights,
                            const LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition) {
    g_opens.push_back({"create", path, rights});
    return ::RegCreateKeyExW(root, path, reserved, keyClass, options, rights, security, key, disposition);
}

TEST(RegistryReader, ReadsAskForQueryRightsAndWritesCreate) {
    st::TestRegistryKey key(L"Rights");
    const std::wstring sub = key.subKey() + L"\\EncValueMap";
    const RegistryOpenCalls recording = {RecordOpen, RecordCreate};
    InstallRegistryOpenCalls(&recording);
    struct Case {
        const char* name;
        std::function<void()> call;
        OpenRecord expected;
    };
    DWORD value = 0;
    const Case cases[] = {
        {"read of a missing key", [&] { ReadRegistryDWORD(sub, L"v", value); }, {"open", L"SOFTWARE\\" + sub, KEY_QUERY_VALUE}},
        {"write", [&] { WriteRegistryDWORD(sub, L"v", 3); }, {"create", L"SOFTWARE\\" + sub, KEY_ALL_ACCESS}},
        {"read of the value", [&] { ReadRegistryDWORD(sub, L"v", value); }, {"open", L"SOFTWARE\\" + sub, KEY_QUERY_VALUE}},
    };
    for (const Case& c : cases) {
        g_opens.clear();
        c.call();
        ASSERT_EQ(g_opens.size(), 1u) << c.name;
        EXPECT_EQ(g_opens[0].call, c.expected.call) << c.name;
        EXPECT_EQ(g_opens[0].path, c.expected.path) << c.name;
        EXPECT_EQ(g_opens[0].rights, c.expected.rights) << c.name;
    }
    InstallRegistryOpenCalls(nullptr);
    EXPECT_EQ(value, 3u);
}

TEST(RegistryWriters, DriverServiceKeyHoldsTheKernelDriverSettings) {
    const std::wstring name = L"VelloTestFlt" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring path = L"SYSTEM\\CurrentControlSet\\Services\\" + name;
    ASSERT_EQ(CreateDriverServiceKey(name), 0);
    struct Case {
        const wchar_t* value;
        DWORD type;
        std::string bytes;
    };
    const Case cases[] = {
        {L"ErrorControl", REG_DWORD, Dword(1)},
        {L"Start", REG_DWORD, Dword(3)},
        {L"Type", REG_DWORD, Dword(1)},
        {L"ImagePath", REG_EXPAND_SZ, Text(L"System32\\DRIVERS\\" + name + L".sys")},
    };
    for (const Case& c : cases) {
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(st::ReadValue(path, c.value, type, bytes)) << vt::Narrow(c.value);
        EXPECT_EQ(type, c.type) << vt::Narrow(c.value);
        EXPECT_EQ(bytes, c.bytes) << vt::Narrow(c.value);
    }
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    wchar_t keyClass[64] = {};
    DWORD classChars = 64;
    ::RegQueryInfoKeyW(key, keyClass, &classChars, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(key);
    EXPECT_EQ(std::wstring(keyClass), name) << "the key's class is the driver name";
    EXPECT_EQ(CreateDriverServiceKey(name), 0) << "a second run rewrites the key";
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
}

TEST(RegistryWriters, UninstallEntryOpensOrCreatesItsKey) {
    st::TestRegistryKey key(L"Uninstall");
    INSTALL_MGR::_REG_UNINSTALL_INFO info;
    info.KeyPath = key.fullPath() + L"\\Uninstall\\Qorv73xxAudioExt";
    info.DisplayName = L"Vello Audio";
    info.UninstallString = L"C:\\Program Files\\Vello\\VelloUninstall.exe";
    info.DisplayIcon = info.UninstallString;
    info.DisplayVersion = L"1.2.3.4";
    info.Publisher = L"Vello";
    ASSERT_TRUE(WriteUninstallInfo(info));
    info.DisplayVersion = L"1.2.3.5";
    ASSERT_TRUE(WriteUninstallInfo(info)) << "an existing key is opened";
    const struct {
        const wchar_t* name;
        std::wstring text;
    } expected[] = {
        {L"DisplayName", info.DisplayName},     {L"UninstallString", info.UninstallString},
        {L"DisplayIcon", info.DisplayIcon},     {L"DisplayVersion", L"1.2.3.5"},
        {L"Publisher", info.Publisher},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(st::ReadText(info.KeyPath, e.name), e.text) << vt::Narrow(e.name);
    }
    info.KeyPath = L"SOFTWARE\\" + MakeVolatile(key) + L"\\Lasting";
    EXPECT_FALSE(WriteUninstallInfo(info));
}

TEST(RegistryWriters, RunValueStartsThePanelAtLogon) {
    const std::wstring name = L"VelloTestRun" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring command = L"\"C:\\Program Files\\Vello\\VelloPanel.exe\" -boot";
    const std::wstring run = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_EQ(WriteRunValue(name, command), 0);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(st::ReadValue(run, name, type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, Text(command));
    HKEY key = nullptr;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, run.c_str(), 0, KEY_SET_VALUE, &key);
    ::RegDeleteValueW(key, name.c_str());
    ::RegCloseKey(key);
}

TEST(RegistryText, StopsAtTheDataOrTheFirstNul) {
    struct Case {
        const char* name;
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"terminated", std::string("a\0b\0\0\0", 6), L"ab"},
        {"no terminator", std::string("a\0b\0", 4), L"ab"},
        {"odd byte count", std::string("a\0b\0c", 5), L"ab"},
        {"one byte", std::string("a", 1), L""},
        {"empty", std::string(), L""},
        {"embedded NUL", std::string("a\0\0\0b\0", 6), L"a"},
    };
    for (const Case& c : cases) {
        // A copy of exactly the data's size, so a read past it shows.
        std::vector<BYTE> data(c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(RegistryTextFromBytes(data.data(), static_cast<DWORD>(data.size())), c.text) << c.name;
    }
}

}  // namespace
