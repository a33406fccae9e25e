// The component model, string lists, integer conversion and command lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "ui/Classes.h"
#include "ui/Forms.h"
#include "ui/SysUtils.h"

namespace {

struct IntCase {
    const wchar_t* text;
    int value;
};

TEST(StrToInt, AcceptsDecimalAndHexadecimalForms) {
    const IntCase cases[] = {
        {L"0", 0},          {L"42", 42},          {L"  42", 42},           {L"-17", -17},
        {L"+5", 5},         {L"$FF", 255},        {L"$ff", 255},           {L"0x1A", 26},
        {L"0X1a", 26},      {L"-$10", -16},       {L"$FFFFFFFF", -1},      {L"0x80000000", INT_MIN},
        {L"2147483647", INT_MAX}, {L"-2147483648", INT_MIN}, {L"007", 7}, {L"x1A", 26}, {L"X10", 16},
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.text));
        EXPECT_EQ(c.value, ui::StrToInt(c.text));
    }
}

TEST(StrToInt, RaisesConversionErrorForEverythingElse) {
    const wchar_t* cases[] = {L"", L" ", L"abc", L"12a", L"$", L"0x", L"x", L"1 ", L"--1", L"1.5",
                              L"2147483648", L"-2147483649", L"$1FFFFFFFF", L"0x$1", L"\u0661"};
    for (const wchar_t* text : cases) {
        SCOPED_TRACE(vt::Narrow(text));
        try {
            ui::StrToInt(text);
            ADD_FAILURE() << "no error";
        } catch (const ui::EConvertError& e) {
            EXPECT_EQ(std::wstring(L"'") + text + L"' is not a valid integer value", e.Message());
            EXPECT_STREQ(L"EConvertError", e.ClassName());
        }
        EXPECT_EQ(-7, ui::StrToIntDef(text, -7));
    }
}

// Records its own destruction in a shared log.
class Logged : public ui::TComponent {
public:
    Logged(ui::TComponent* owner, std::vector<std::wstring>& log, const wchar_t* name)
        : TComponent(owner), log_(log) {
        SetName(name);
    }
    ~Logged() override { log_.push_back(L"~" + Name()); }
    const wchar_t* ClassName() const override { return L"TLogged"; }
    void BeforeDestruction() override { log_.push_back(L"before " + Name()); }

private:
    std::vector<std::wstring>& log_;
};

TEST(Component, KeepsCreationOrderAndDestroysLastFirst) {
    std::vector<std::wstring> log;
    auto* root = new Logged(nullptr, log, L"Root");
    new Logged(root, log, L"First");
    auto* second = new Logged(root, log, L"Second");
    new Logged(second, log, L"Grandchild");
    new Logged(root, log, L"Third");
    ASSERT_EQ(3, root->ComponentCount());
    EXPECT_EQ(L"First", root->Components(0)->Name());
    EXPECT_EQ(L"Third", root->Components(2)->Name());
    EXPECT_STREQ(L"TLogged", root->Components(1)->ClassName());
    EXPECT_EQ(second, root->FindComponent(L"second"));  // names compare without case
    EXPECT_EQ(nullptr, root->FindComponent(L"Grandchild"));

    second->Free();  // a freed component leaves its owner's list
    ASSERT_EQ(2, root->ComponentCount());
    EXPECT_EQ(L"Third", root->Components(1)->Name());
    log.clear();
    root->Free();
    // The owner's own destructor body runs first, then its components go,
    // last created first.
    const std::vector<std::wstring> expected = {L"before Root", L"~Root", L"before Third", L"~Third",
                                                L"before First", L"~First"};
    EXPECT_EQ(expected, log);
}

TEST(Strings, TellsTheirControlOfEveryChange) {
    ui::TStrings list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    list.Add(L"Alpha");
    list.Add(L"beta");
    list.Assign({L"One", L"Two", L"Three"});
    list.Delete(0);
    EXPECT_EQ(4, changes);
    EXPECT_EQ(2, list.Count());
    EXPECT_EQ(1, list.IndexOf(L"THREE"));
    EXPECT_EQ(-1, list.IndexOf(L"One"));
    list.Clear();
    list.Clear();  // already empty: no change
    EXPECT_EQ(5, changes);
}

TEST(SplitCommandLine, SplitsLikeParamStr) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> args;
    } cases[] = {
        {L"prog.exe", {L"prog.exe"}},
        {L"\"C:\\My Files\\prog.exe\" -ServiceStart", {L"C:\\My Files\\prog.exe", L"-ServiceStart"}},
        {L"prog  a\tb   ", {L"prog", L"a", L"b"}},
        {L"prog \"\" x", {L"prog", L"", L"x"}},
        {L"prog a\"b c\"d", {L"prog", L"ab cd"}},
        {L"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Narrow(c.line));
        EXPECT_EQ(c.args, ui::SplitCommandLine(c.line));
    }
}

}  // namespace
