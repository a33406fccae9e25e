#include <gtest/gtest.h>

#include "TestSupport.h"
#include "shared/IniValue.h"

namespace {

TEST(SplitCommaFields, SplitsKeepingEmptyFields) {
    struct Case {
        const wchar_t* name;
        const wchar_t* text;
        std::vector<std::wstring> fields;
    };
    const Case cases[] = {
        {L"two fields", L"a,b", {L"a", L"b"}},
        {L"trailing comma", L"a,", {L"a", L""}},
        {L"leading comma", L",a", {L"", L"a"}},
        {L"empty text", L"", {L""}},
        {L"empty middle", L"a,,b", {L"a", L"", L"b"}},
        {L"only commas", L",,", {L"", L"", L""}},
        {L"blanks kept", L" a , b ", {L" a ", L" b "}},
        {L"no comma", L"abc", {L"abc"}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> fields;
        int n = SplitCommaFields(c.text, fields);
        EXPECT_EQ(fields, c.fields) << vt::Narrow(c.name);
        EXPECT_EQ(n, static_cast<int>(c.fields.size())) << vt::Narrow(c.name);
    }
}

TEST(SplitCommaFields, ReturnsRunningTotalWithoutClearing) {
    std::vector<std::wstring> fields;
    EXPECT_EQ(SplitCommaFields(L"a,b", fields), 2);
    EXPECT_EQ(SplitCommaFields(L"c,d,e", fields), 5);
    EXPECT_EQ(fields, (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"}));
}

class IniValueTest : public ::testing::Test {
protected:
    vt::TempDir dir;
    std::wstring file = dir / L"AudioConfig.cfg";
};

TEST_F(IniValueTest, ReadsValuesAndReportsMissingOrEmptyAlike) {
    ASSERT_TRUE(vt::WriteFileBytes(file,
                                   "[Install]\r\nInstallAppTitle=Vello Audio\r\nEmpty=\r\n"
                                   "Spaced =  padded  \r\n[Other]\r\nKey=1\r\n"));
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        int result;
        const wchar_t* value;  // expected value; "unchanged" when result is 1
    };
    const Case cases[] = {
        {L"Install", L"InstallAppTitle", 0, L"Vello Audio"},
        {L"install", L"installapptitle", 0, L"Vello Audio"},  // the profile functions ignore case
        {L"Install", L"Spaced", 0, L"padded"},
        {L"Install", L"Empty", 1, L"unchanged"},
        {L"Install", L"Missing", 1, L"unchanged"},
        {L"Missing", L"Key", 1, L"unchanged"},
    };
    for (const Case& c : cases) {
        std::wstring value = L"unchanged";
        EXPECT_EQ(ReadIniValue(file, c.section, c.key, value), c.result)
            << vt::Narrow(c.section) << "/" << vt::Narrow(c.key);
        EXPECT_EQ(value, c.value) << vt::Narrow(c.section) << "/" << vt::Narrow(c.key);
    }
}

TEST_F(IniValueTest, MissingFileReadsAsMissing) {
    std::wstring value = L"unchanged";
    EXPECT_EQ(ReadIniValue(dir / L"nothing.cfg", L"Install", L"InstallAppTitle", value), 1);
    EXPECT_EQ(value, L"unchanged");
}

TEST_F(IniValueTest, LongValuesArriveCutTo1023Characters) {
    std::string line = "[S]\r\nK=" + std::string(3000, 'x') + "\r\n";
    ASSERT_TRUE(vt::WriteFileBytes(file, line));
    std::wstring value;
    ASSERT_EQ(ReadIniValue(file, L"S", L"K", value), 0);
    EXPECT_EQ(value, std::wstring(1023, L'x'));
}

TEST_F(IniValueTest, WriteCreatesFileAndSectionAndReadsBack) {
    EXPECT_EQ(WriteIniValue(file, L"Language", L"DefaultLanguage", L"English"), 0);
    std::wstring value;
    EXPECT_EQ(ReadIniValue(file, L"Language", L"DefaultLanguage", value), 0);
    EXPECT_EQ(value, L"English");
}

TEST_F(IniValueTest, WriteIntoMissingFolderFails) {
    EXPECT_EQ(WriteIniValue(dir / L"no\\such\\folder\\a.cfg", L"S", L"K", L"V"), 1);
}

}  // namespace
