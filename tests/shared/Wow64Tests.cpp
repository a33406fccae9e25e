#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shared/Wow64.h"

namespace {

BOOL g_reported = FALSE;
BOOL g_result = TRUE;
std::vector<std::string> g_calls;

BOOL WINAPI FakeIsWow64(HANDLE, PBOOL wow64) {
    *wow64 = g_reported;
    return g_result;
}
BOOL WINAPI FakeDisable(PVOID* old) {
    g_calls.push_back("disable");
    *old = reinterpret_cast<PVOID>(0x42);
    return g_result;
}
BOOL WINAPI FakeRevert(PVOID old) {
    g_calls.push_back(old == reinterpret_cast<PVOID>(0x42) ? "revert 42" : "revert ?");
    return g_result;
}

class Replaced {
public:
    explicit Replaced(const Wow64Api& api) : api_(api) { previous_ = ReplaceWow64Api(&api_); }
    ~Replaced() { ReplaceWow64Api(previous_); }

private:
    Wow64Api api_;
    const Wow64Api* previous_ = nullptr;
};

TEST(Wow64, OnlyAReportedOneCountsAsWow64) {
    struct Case {
        const char* name;
        bool present;
        BOOL reported;
        BOOL result;
        bool wow64;
    };
    const Case cases[] = {
        {"reports 1", true, 1, TRUE, true},   {"reports 0", true, 0, TRUE, false},
        {"reports 2", true, 2, TRUE, false},  {"call fails", true, 1, FALSE, false},
        {"function missing", false, 1, TRUE, false},
    };
    for (const Case& c : cases) {
        g_reported = c.reported;
        g_result = c.result;
        Replaced fake({c.present ? FakeIsWow64 : nullptr, FakeDisable, FakeRevert});
        EXPECT_EQ(IsRunningUnderWow64(), c.wow64) << c.name;
    }
}

TEST(Wow64, RedirectionSwitchPassesThroughOrFailsWhenMissing) {
    g_calls.clear();
    g_result = TRUE;
    {
        Replaced fake({FakeIsWow64, FakeDisable, FakeRevert});
        PVOID old = nullptr;
        EXPECT_TRUE(DisableWow64Redirection(&old));
        EXPECT_TRUE(RevertWow64Redirection(old));
        g_result = FALSE;
        EXPECT_FALSE(DisableWow64Redirection(&old));
    }
    EXPECT_EQ(g_calls, (std::vector<std::string>{"disable", "revert 42", "disable"}));
    {
        Replaced missing({nullptr, nullptr, nullptr});
        PVOID old = nullptr;
        EXPECT_FALSE(DisableWow64Redirection(&old));
        EXPECT_FALSE(RevertWow64Redirection(old));
    }
}

TEST(Wow64, TheTestBuildIsNeverWow64) {
    EXPECT_FALSE(IsRunningUnderWow64());
    PVOID old = nullptr;
    EXPECT_FALSE(DisableWow64Redirection(&old)) << "a 64-bit process has no redirection to switch";
}

}  // namespace
