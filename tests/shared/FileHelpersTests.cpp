#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "shared/DebugTrace.h"
#include "shared/FileHelpers.h"

namespace {

bool IsFolder(const std::wstring& path) {
    DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CreateFolderPath, CreatesEveryFolderUpToTheLastBackslash) {
    struct Case {
        const char* name;
        std::wstring path;  // below the temporary folder
        std::vector<std::wstring> created;
        std::vector<std::wstring> notCreated;
    };
    const Case cases[] = {
        {"trailing backslash", L"A\\B\\", {L"A", L"A\\B"}, {}},
        {"last part without backslash", L"C\\D", {L"C"}, {L"C\\D"}},
        {"existing folders", L"A\\B\\E\\", {L"A", L"A\\B", L"A\\B\\E"}, {}},
        {"deep", L"F\\G\\H\\I\\J\\", {L"F\\G\\H\\I\\J"}, {}},
    };
    vt::TempDir dir;
    for (const Case& c : cases) {
        CreateFolderPath(dir.path() + c.path);
        for (const auto& p : c.created) EXPECT_TRUE(IsFolder(dir / p)) << c.name << ": " << vt::Narrow(p);
        for (const auto& p : c.notCreated) EXPECT_FALSE(IsFolder(dir / p)) << c.name << ": " << vt::Narrow(p);
    }
}

class CopyFolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateFolderPath(dir / L"Setup\\Skin\\1920x1080\\Buttons\\");
        ASSERT_TRUE(vt::WriteFileBytes(dir / L"Setup\\Skin\\SkinSetting.ini", "new"));
        ASSERT_TRUE(vt::WriteFileBytes(dir / L"Setup\\Skin\\1920x1080\\Main.png", "png"));
        ASSERT_TRUE(vt::WriteFileBytes(dir / L"Setup\\Skin\\1920x1080\\Buttons\\Up.bmp", "bmp"));
        ::SetFileAttributesW((dir / L"Setup\\Skin\\SkinSetting.ini").c_str(),
                             FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        CreateFolderPath(dir / L"Install\\");
    }
    void TearDown() override {
        ::SetFileAttributesW((dir / L"Setup\\Skin\\SkinSetting.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    vt::TempDir dir;
};

TEST_F(CopyFolderTreeTest, PlacesTheTreeByTheLastNames) {
    struct Case {
        const char* name;
        std::wstring source, target, landsIn;
    };
    const Case cases[] = {
        {"install folder as target", L"Setup\\Skin\\", L"Install\\", L"Install\\Skin"},
        {"target without backslash", L"Setup\\Skin\\", L"Install\\Skin", L"Install\\Skin\\Skin"},
        {"same last names", L"Setup\\Skin\\", L"Install\\Copy\\Skin\\", L"Install\\Copy\\Skin"},
        {"both without backslash", L"Setup\\Skin", L"Install", L"Install\\Skin"},
    };
    for (const Case& c : cases) {
        CreateFolderPath(dir / L"Install\\Copy\\");
        EXPECT_TRUE(CopyFolderTree(dir / c.source, dir / c.target)) << c.name;
        const std::wstring to = dir / c.landsIn;
        EXPECT_EQ(vt::ReadFileBytes(to + L"\\SkinSetting.ini"), "new") << c.name;
        EXPECT_EQ(vt::ReadFileBytes(to + L"\\1920x1080\\Main.png"), "png") << c.name;
        EXPECT_EQ(vt::ReadFileBytes(to + L"\\1920x1080\\Buttons\\Up.bmp"), "bmp") << c.name;
        EXPECT_EQ(::GetFileAttributesW((to + L"\\SkinSetting.ini").c_str()) &
                      (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
                  0u)
            << c.name << ": read-only and hidden source, normal copy";
    }
}

TEST_F(CopyFolderTreeTest, OverwritesAndKeepsFilesOnlyInTheTarget) {
    CreateFolderPath(dir / L"Install\\Skin\\1920x1080\\");
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"Install\\Skin\\SkinSetting.ini", "old and longer"));
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"Install\\Skin\\1920x1080\\Mine.png", "mine"));
    EXPECT_TRUE(CopyFolderTree(dir / L"Setup\\Skin\\", dir / L"Install\\"));
    EXPECT_EQ(vt::ReadFileBytes(dir / L"Install\\Skin\\SkinSetting.ini"), "new");
    EXPECT_EQ(vt::ReadFileBytes(dir / L"Install\\Skin\\1920x1080\\Mine.png"), "mine");
    EXPECT_TRUE(CopyFolderTree(dir / L"Setup\\Skin\\", dir / L"Install\\")) << "a second copy";
}

TEST_F(CopyFolderTreeTest, ReportsFailures) {
    struct Case {
        const char* name;
        std::wstring source, target;
    };
    const Case cases[] = {
        {"source without backslash", L"Skin", dir / L"Install\\"},
        {"source only a trailing backslash", L"Skin\\", dir / L"Install\\"},
        {"target without backslash", dir / L"Setup\\Skin\\", L"Install"},
        {"missing source", dir / L"Setup\\Missing\\", dir / L"Install\\"},
        {"target folder cannot be made", dir / L"Setup\\Skin\\", dir / L"NoParent\\Deeper\\Skin\\"},
    };
    for (const Case& c : cases) EXPECT_FALSE(CopyFolderTree(c.source, c.target)) << c.name;

    // A file in the way of a copied file.
    CreateFolderPath(dir / L"Install\\Skin\\SkinSetting.ini\\");
    EXPECT_FALSE(CopyFolderTree(dir / L"Setup\\Skin\\", dir / L"Install\\")) << "file cannot be copied";
    EXPECT_EQ(vt::ReadFileBytes(dir / L"Install\\Skin\\1920x1080\\Main.png"), "png")
        << "the rest is still copied";
}

// Every folder is made and traced where it is found, and once more by the
// copy of its contents, which fails on the folder that now exists.
TEST_F(CopyFolderTreeTest, TracesEachSubFolderAgainInItsOwnCopy) {
    std::vector<std::wstring> lines;
    trace::SetObserver([&](const std::wstring& line) {
        if (line.find(L"Create Directory") != std::wstring::npos) lines.push_back(line);
    });
    const std::wstring top = dir / L"Install\\Skin";
    const std::wstring sub = top + L"\\1920x1080";
    const std::wstring subSub = sub + L"\\Buttons";
    auto made = [](const std::wstring& path) { return L"##### Create Directory = " + path + L"\n"; };
    const std::wstring fail = L"***** Create Directory FAIL! *****\n";
    struct Case {
        const char* name;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {"first copy", {made(top), made(sub), made(sub), fail, made(subSub), made(subSub), fail}},
        {"copy onto the copy", {made(top), fail, made(sub), fail, made(sub), fail, made(subSub), fail, made(subSub),
                                fail}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lines.clear();
        EXPECT_TRUE(CopyFolderTree(dir / L"Setup\\Skin\\", dir / L"Install\\"));
        EXPECT_EQ(lines, c.lines);
    }
    trace::SetObserver(nullptr);
}

TEST(CopyFileOverwrite, ReplacesAnExistingFile) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"a.cfg", "new"));
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"b.cfg", "old and longer"));
    EXPECT_TRUE(CopyFileOverwrite(dir / L"a.cfg", dir / L"b.cfg"));
    EXPECT_EQ(vt::ReadFileBytes(dir / L"b.cfg"), "new");
    EXPECT_FALSE(CopyFileOverwrite(dir / L"missing.cfg", dir / L"c.cfg"));
}

TEST(LoadResourceData, FindsTheProgramsOwnResources) {
    struct Case {
        const char* name;
        WORD id;
        const wchar_t* type;
        std::string bytes;  // empty: not found
    };
    const Case cases[] = {
        {"carried resource", 301, L"TESTDATA", std::string("Vello payload bytes\0\x01\x02\xff", 23)},
        {"empty resource", 302, L"TESTDATA", ""},
        {"id not carried", 399, L"TESTDATA", ""},
        {"type not carried", 301, L"DRIVER", ""},
    };
    for (const Case& c : cases) {
        DWORD size = 12345;
        const void* data = LoadResourceData(c.id, c.type, size);
        if (c.bytes.empty()) {
            EXPECT_EQ(data, nullptr) << c.name;
            EXPECT_EQ(size, 12345u) << c.name << ": size unchanged";
        } else {
            ASSERT_NE(data, nullptr) << c.name;
            EXPECT_EQ(std::string(static_cast<const char*>(data), size), c.bytes) << c.name;
        }
    }
}

TEST(WriteBufferToFile, CreatesOrTruncatesAndReportsOpenFailures) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteFileBytes(dir / L"VelloFlt.sys", std::string(100, 'x')));
    const std::string payload("MZ\0\x01payload", 11);
    struct Case {
        const char* name;
        std::wstring path;
        std::string bytes;
        int result;
    };
    const Case cases[] = {
        {"new file", dir / L"new.exe", payload, kFileWritten},
        {"longer file truncated", dir / L"VelloFlt.sys", payload, kFileWritten},
        {"no bytes", dir / L"empty.bin", "", kFileWritten},
        {"missing folder", dir / L"missing\\x.exe", payload, kFileOpenFailed},
        {"a folder", dir.path(), payload, kFileOpenFailed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WriteBufferToFile(c.path, c.bytes.data(), c.bytes.size()), c.result) << c.name;
        if (c.result == kFileWritten) {
            EXPECT_EQ(vt::ReadFileBytes(c.path), c.bytes) << c.name;
        }
    }
}

}  // namespace
