// Real mouse input (cursor moves and button presses through the system's
// input queue) on windowless and windowed controls, and painting checked on
// the screen. These tests use the shared desktop and the foreground window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace {

// A mouse event at a screen point, given absolutely so the event carries
// the point whatever the cursor position the system reports meanwhile.
void SendAt(POINT p, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = ::MulDiv(p.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = ::MulDiv(p.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof(INPUT));
}

void SendButton(DWORD flags) {
    POINT p;
    ::GetCursorPos(&p);
    SendAt(p, flags);
}

class Input : public ::testing::Test {
protected:
    ui::TApplication app;
    ui::TForm* form = nullptr;
    std::vector<std::wstring> log;

    void SetUp() override {
        app.CreateForm(form);
        form->SetBorderStyle(ui::TFormBorderStyle::bsNone);
        form->SetBounds(100, 100, 400, 300);
        form->SetColor(ui::clWhite);
        form->OnMouseDown = [this](ui::TObject*, ui::TMouseButton b, ui::TShiftState, int x, int y) {
            log.push_back(L"form down " + std::to_wstring(b) + L" " + std::to_wstring(x) + L"," + std::to_wstring(y));
        };
        form->Show();
        form->BringToFront();
        uitest::Pump(100);
    }
    void TearDown() override {
        SendButton(MOUSEEVENTF_LEFTUP);
        uitest::Pump(20);
    }

    // Moves the cursor to a point of the form's client area.
    void MoveTo(int x, int y) {
        POINT p = form->ClientToScreen(POINT{x, y});
        ::SetCursorPos(p.x, p.y);
        SendAt(p, 0);
        uitest::Pump(30);
    }
    void Press(int x, int y) {
        MoveTo(x, y);
        POINT p = form->ClientToScreen(POINT{x, y});
        EXPECT_EQ(form->Handle(), ::GetAncestor(::WindowFromPoint(p), GA_ROOT)) << "another window covers the form";
        SendAt(form->ClientToScreen(POINT{x, y}), MOUSEEVENTF_LEFTDOWN);
        uitest::Pump(30);
    }
    void Release(int x, int y) {
        MoveTo(x, y);
        SendAt(form->ClientToScreen(POINT{x, y}), MOUSEEVENTF_LEFTUP);
        uitest::Pump(30);
    }

    template <typename T>
    T* Logged(const wchar_t* name, int l, int t, int w, int h) {
        T* c = new T(form);
        c->SetName(name);
        c->SetBounds(l, t, w, h);
        c->SetParent(form);
        std::wstring n = name;
        c->OnMouseDown = [this, n](ui::TObject*, ui::TMouseButton, ui::TShiftState s, int x, int y) {
            log.push_back(n + L" down " + std::to_wstring(x) + L"," + std::to_wstring(y) +
                          ((s & ui::ssLeft) ? L" left" : L""));
        };
        c->OnMouseUp = [this, n](ui::TObject*, ui::TMouseButton, ui::TShiftState, int x, int y) {
            log.push_back(n + L" up " + std::to_wstring(x) + L"," + std::to_wstring(y));
        };
        c->OnClick = [this, n](ui::TObject*) { log.push_back(n + L" click"); };
        return c;
    }
};

TEST_F(Input, ClicksGoToTheTopControlAndCaptureHoldsUntilRelease) {
    Logged<ui::TImage>(L"A", 0, 0, 100, 100);
    Logged<ui::TImage>(L"B", 50, 50, 100, 100);
    auto* off = Logged<ui::TLabel>(L"Off", 200, 0, 60, 60);
    off->SetAutoSize(false);
    off->SetEnabled(false);
    Logged<ui::TShape>(L"Under", 190, 0, 100, 100);
    off->BringToFront();
    struct Case {
        POINT press, release;
        std::vector<std::wstring> expected;
        const char* why;
    } cases[] = {
        {{60, 60}, {70, 75}, {L"B down 10,10 left", L"B click", L"B up 20,25"}, "top control, click before up"},
        {{10, 10}, {20, 20}, {L"A down 10,10 left", L"A click", L"A up 20,20"}, "lower control where uncovered"},
        {{60, 60}, {350, 250}, {L"B down 10,10 left", L"B up 300,200"}, "released outside: no click, still B's"},
        {{210, 10}, {212, 12}, {L"Under down 20,10 left", L"Under click", L"Under up 22,12"}, "disabled passes through"},
        {{300, 200}, {300, 200}, {L"form down 0 300,200"}, "background: the form's own event"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        log.clear();
        Press(c.press.x, c.press.y);
        Release(c.release.x, c.release.y);
        EXPECT_EQ(c.expected, log);
    }
}

TEST_F(Input, WindowedControlsClickThroughTheMouse) {
    auto* button = new ui::TButton(form);
    button->SetBounds(20, 150, 100, 30);
    button->SetParent(form);
    button->OnClick = [this](ui::TObject*) { log.push_back(L"button click"); };
    auto* check = new ui::TCheckBox(form);
    check->SetBounds(20, 200, 120, 20);
    check->SetCaption(L"Check");
    check->SetParent(form);
    check->OnClick = [this, check](ui::TObject*) { log.push_back(check->Checked() ? L"checked" : L"unchecked"); };
    auto* radio = new ui::TRadioButton(form);
    radio->SetBounds(20, 230, 120, 20);
    radio->SetParent(form);
    radio->OnMouseDown = [this](ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) { log.push_back(L"radio down"); };
    uitest::Pump(50);
    Press(60, 165);
    Release(60, 165);
    Press(30, 210);
    Release(30, 210);
    Press(30, 240);
    Release(30, 240);
    const std::vector<std::wstring> expected = {L"button click", L"checked", L"radio down"};
    EXPECT_EQ(expected, log);
    EXPECT_TRUE(radio->Checked());
}

TEST_F(Input, TheFormPaintsItsControlsOnTheScreen) {
    auto* back = new ui::TShape(form);
    back->SetBounds(10, 10, 120, 80);
    back->Brush().SetColor(ui::clGreen);
    back->SetParent(form);
    auto* front = new ui::TShape(form);
    front->SetBounds(60, 40, 120, 80);
    front->SetShape(ui::stEllipse);
    front->Brush().SetColor(ui::clRed);
    front->Pen().SetStyle(ui::psClear);
    front->SetParent(form);
    uitest::Pump(100);
    POINT origin = form->ClientToScreen(POINT{0, 0});
    RECT area = {origin.x, origin.y, origin.x + 400, origin.y + 300};
    vt::Capture cap = vt::CaptureScreen(area);
    EXPECT_EQ(RGB(0, 128, 0), cap.At(20, 20));
    EXPECT_EQ(RGB(255, 0, 0), cap.At(120, 80));
    EXPECT_EQ(RGB(255, 255, 255), cap.At(300, 250));
    // A change repaints only what moved.
    front->SetLeft(200);
    uitest::Pump(100);
    cap = vt::CaptureScreen(area);
    EXPECT_EQ(RGB(0, 128, 0), cap.At(100, 60));
    EXPECT_EQ(RGB(255, 0, 0), cap.At(260, 80));
}

}  // namespace
