// Closing the product's running programs before the installer or the
// uninstaller replaces or deletes their files, in the setup prefix (the
// broadcast reaches every window of the prefix). The programs are the
// companion stand-in, run from folders laid out like an install folder; it
// ends on the broadcast, after a delay of its own when told to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompanionProgram.h"
#include "TestSupport.h"
#include "shared/AppExit.h"
#include "shared/DebugTrace.h"

namespace {

// The debugger lines this process writes while the object lives.
class TraceLines {
public:
    TraceLines() {
        trace::SetObserver([this](const std::wstring& line) { lines.push_back(line); });
    }
    ~TraceLines() { trace::SetObserver(nullptr); }
    std::vector<std::wstring> lines;
};

TEST(ClosingRunningPrograms, WaitsForTheProgramsOfTheInstallFolderToEnd) {
    struct Case {
        const char* name;
        const wchar_t* folder;    // the folder given, below the temporary folder; nullptr: none
        const wchar_t* program;   // where the program runs from, below the temporary folder
        DWORD endDelayMs;
        DWORD waitMs;
        bool allEnded;            // the result
        bool endedOnReturn;       // the program has ended when the call returns
    };
    const Case cases[] = {
        {"a program that ends at once", L"Vello Audio\\", L"Vello Audio\\VelloPanel.exe", 0, kProgramsEndWaitMs,
         true, true},
        {"one that takes a second over its ending", L"Vello Audio\\", L"Vello Audio\\VelloPanel.exe", 1000,
         kProgramsEndWaitMs, true, true},
        {"one of a sub-folder", L"Vello Audio\\", L"Vello Audio\\Plugin\\VelloEffect\\VelloEffect.exe", 1000,
         kProgramsEndWaitMs, true, true},
        {"one that takes longer than the wait", L"Vello Audio\\", L"Vello Audio\\VelloPanel.exe", 3000, 500, false,
         false},
        {"one of a folder whose name only begins the same", L"Vello Audio\\", L"Vello Audio2\\VelloPanel.exe", 1000,
         kProgramsEndWaitMs, true, false},
        {"no folder: nothing is waited for", nullptr, L"Vello Audio\\VelloPanel.exe", 1000, kProgramsEndWaitMs, true,
         false},
    };
    for (const Case& c : cases) {
        vt::TempDir root;
        vt::CompanionProgram program(root / c.program, c.endDelayMs);
        ASSERT_TRUE(program.started()) << c.name;
        const std::wstring folder = c.folder ? root / c.folder : L"";
        TraceLines traced;
        EXPECT_EQ(CloseRunningPrograms(folder, c.waitMs), c.allEnded) << c.name;
        EXPECT_EQ(program.Ended(), c.endedOnReturn) << c.name;
        const std::vector<std::wstring> expected =
            c.allEnded ? std::vector<std::wstring>{}
                       : std::vector<std::wstring>{L"***** A program of " + folder + L" still runs after " +
                                                   std::to_wstring(c.waitMs) + L" ms *****\n"};
        EXPECT_EQ(traced.lines, expected) << c.name;
        EXPECT_TRUE(program.EndsByItself()) << c.name << ": it got the broadcast";
    }
}

}  // namespace
