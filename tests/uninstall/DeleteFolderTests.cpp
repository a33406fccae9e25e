// DeleteFolder on folders made in a temporary folder: what goes, what stays
// (read-only files, paths too long to handle) and that links are never
// followed. The links are made on the host, the way a user's symbolic link
// or junction shows to Windows programs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "InstalledState.h"
#include "TestSupport.h"
#include "uninstall/UninstallSteps.h"

namespace {

void Put(const std::wstring& file) {
    for (size_t slash = file.find(L'\\', 3); slash != std::wstring::npos; slash = file.find(L'\\', slash + 1))
        ::CreateDirectoryW(file.substr(0, slash).c_str(), nullptr);
    ASSERT_TRUE(vt::WriteFileBytes(file, "data")) << vt::Narrow(file);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(DeleteFolder, DeletesWhatItCanAndNeverFollowsALink) {
    vt::TempDir dir;
    vt::TempDir outside;  // what the links point at
    struct Case {
        const char* name;
        std::vector<std::wstring> files;        // made below the folder
        std::vector<std::wstring> linksToOutside;  // folder names, made as links
        bool folderIsLink;
        std::vector<std::wstring> readOnly;
        std::vector<std::wstring> kept;  // below the folder; the rest is gone
        bool folderGone;
    };
    // A file whose full path has 257 characters.
    const std::wstring longName = std::wstring(257 - (dir / L"f6\\").size(), L'n');
    const Case cases[] = {
        {"files and folders", {L"a.txt", L"sub\\b.txt", L"sub\\deeper\\c.txt"}, {}, false, {}, {}, true},
        {"a read-only file", {L"a.txt", L"sub\\ro.txt", L"sub\\b.txt"}, {}, false, {L"sub\\ro.txt"},
         {L"sub\\ro.txt"}, false},
        {"a link inside", {L"a.txt"}, {L"link"}, false, {}, {}, false},
        {"a link deeper inside", {L"sub\\a.txt"}, {L"sub\\link"}, false, {}, {}, false},
        {"the folder itself is a link", {}, {}, true, {}, {}, false},
        {"an entry with a path over 255 characters", {L"a.txt", longName}, {}, false, {}, {longName}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring folder = dir / (L"f" + std::to_wstring(++n));
        Put(outside / L"outside.txt");
        std::vector<std::unique_ptr<vt::HostLink>> links;
        if (c.folderIsLink) {
            links.push_back(std::make_unique<vt::HostLink>(outside.path(), folder));
        } else {
            ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << c.name;
            for (const std::wstring& f : c.files) Put(folder + L"\\" + f);
            for (const std::wstring& l : c.linksToOutside)
                links.push_back(std::make_unique<vt::HostLink>(outside.path(), folder + L"\\" + l));
            for (const std::wstring& f : c.readOnly)
                ::SetFileAttributesW((folder + L"\\" + f).c_str(), FILE_ATTRIBUTE_READONLY);
        }
        for (const auto& link : links) ASSERT_TRUE(link->made()) << c.name;
        if (!links.empty()) {
            const std::wstring through = (c.folderIsLink ? folder : folder + L"\\" + c.linksToOutside[0]) +
                                         L"\\outside.txt";
            ASSERT_TRUE(Exists(through)) << c.name << ": the link leads outside";
        }

        EXPECT_EQ(DeleteFolder(folder + L"\\"), c.folderGone) << c.name;

        EXPECT_TRUE(Exists(outside / L"outside.txt")) << c.name << ": followed a link";
        EXPECT_EQ(!Exists(folder), c.folderGone) << c.name;
        for (const std::wstring& f : c.kept) EXPECT_TRUE(Exists(folder + L"\\" + f)) << c.name << ": " << vt::Narrow(f);
        for (const std::wstring& f : c.files) {
            bool keep = false;
            for (const std::wstring& k : c.kept) keep = keep || k == f;
            if (!keep) {
                EXPECT_FALSE(Exists(folder + L"\\" + f)) << c.name << ": " << vt::Narrow(f);
            }
        }
        for (const std::wstring& f : c.readOnly)
            ::SetFileAttributesW((folder + L"\\" + f).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(DeleteFolder, PathsItDoesNotActOn) {
    vt::TempDir dir;
    struct Case {
        const char* name;
        std::wstring path;
        bool result;
        bool gone;
    };
    const std::wstring longest = dir.path() + std::wstring(255 - dir.path().size(), L'x');
    const std::wstring tooLong = dir.path() + std::wstring(256 - dir.path().size(), L'y');
    const Case cases[] = {
        {"a file", dir / L"file.txt", true, true},
        {"missing", dir / L"missing\\", true, true},
        {"255 characters", longest, true, true},
        {"256 characters", tooLong, false, false},
        {"empty", L"", false, false},
        {"a drive", L"C:\\", false, false},
    };
    for (const Case& c : cases) {
        if (c.path.size() > 3 && c.path.back() != L'\\') Put(c.path);
        EXPECT_EQ(DeleteFolder(c.path), c.result) << c.name;
        if (c.path.size() > 3) {
            EXPECT_EQ(!Exists(c.path), c.gone) << c.name;
        }
    }
    EXPECT_TRUE(Exists(L"C:\\windows"));
}

}  // namespace
