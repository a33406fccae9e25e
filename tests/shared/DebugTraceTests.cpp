#include <gtest/gtest.h>

#include "shared/DebugTrace.h"

namespace {

TEST(TraceFormat, FormatsWideStringsAndNumbers) {
    EXPECT_EQ(trace::Format(L"ParamStr(%d) = %ls\n", 3, L"-boot"), L"ParamStr(3) = -boot\n");
    EXPECT_EQ(trace::Format(L"%s", L"wide %s"), L"wide %s");
}

TEST(TraceFormat, CutsLongTextWithoutOverrun) {
    std::wstring longText(5000, L'p');
    std::wstring line = trace::Format(L"##### path = %ls\n", longText.c_str());
    EXPECT_EQ(line.size(), trace::kMaxLine - 1);
    EXPECT_EQ(line.substr(0, 15), L"##### path = pp");
}

}  // namespace
