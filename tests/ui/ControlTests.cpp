// Controls on forms: hit-testing and z-order, painting checked by pixels,
// the form's window styles and the windowed controls' state.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "ui/ComCtrls.h"
#include "ui/ExtCtrls.h"
#include "ui/FileCtrl.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace {

::testing::AssertionResult SameRect(const RECT& expected, const RECT& actual) {
    if (::EqualRect(&expected, &actual)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.left << "," << actual.top << ","
                                         << actual.right << "," << actual.bottom;
}

template <typename T>
T* Put(ui::TWinControl* parent, ui::TComponent* owner, const wchar_t* name, int l, int t, int w, int h) {
    T* c = new T(owner);
    c->SetName(name);
    c->SetBounds(l, t, w, h);
    c->SetParent(parent);
    return c;
}

class Controls : public ::testing::Test {
protected:
    ui::TApplication app;
    ui::TForm* form = nullptr;
    void SetUp() override {
        app.CreateForm(form);
        form->SetBorderStyle(ui::TFormBorderStyle::bsNone);
        form->SetClientSize(400, 300);
        form->SetColor(ui::clWhite);
    }
};

TEST_F(Controls, ControlAtPosHonoursZOrderAndItsThreeFlags) {
    auto* a = Put<ui::TImage>(form, form, L"A", 0, 0, 100, 100);
    auto* b = Put<ui::TImage>(form, form, L"B", 50, 50, 100, 100);
    auto* c = Put<ui::TLabel>(form, form, L"C", 200, 0, 50, 50);
    c->SetAutoSize(false);
    c->SetEnabled(false);
    auto* d = Put<ui::TShape>(form, form, L"D", 300, 0, 50, 50);
    d->SetVisible(false);
    auto* e = Put<ui::TGroupBox>(form, form, L"E", 0, 200, 100, 100);
    auto* f = Put<ui::TShape>(e, form, L"F", 10, 20, 30, 30);
    struct Case {
        POINT p;
        bool allowDisabled, allowWin, allLevels;
        ui::TControl* expected;
        const char* why;
    } cases[] = {
        {{60, 60}, false, false, false, b, "the later control lies on top"},
        {{10, 10}, false, false, false, a, "only the first covers this point"},
        {{149, 149}, false, false, false, b, "last pixel inside"},
        {{150, 150}, false, false, false, nullptr, "right and bottom edges are outside"},
        {{210, 10}, false, false, false, nullptr, "disabled is skipped"},
        {{210, 10}, true, false, false, c, "disabled allowed"},
        {{310, 10}, true, true, true, nullptr, "hidden is never found"},
        {{20, 230}, false, false, false, nullptr, "windowed controls excluded"},
        {{20, 230}, false, true, false, e, "windowed controls allowed"},
        {{20, 230}, false, false, true, f, "all levels looks inside"},
        {{5, 205}, false, false, true, nullptr, "inside, but on no child"},
        {{5, 205}, false, true, true, e, "inside, on no child, windowed allowed"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.why);
        EXPECT_EQ(k.expected, form->ControlAtPos(k.p, k.allowDisabled, k.allowWin, k.allLevels));
    }
    a->BringToFront();
    EXPECT_EQ(a, form->ControlAtPos(POINT{60, 60}, false));
    a->SendToBack();
    EXPECT_EQ(b, form->ControlAtPos(POINT{60, 60}, false));
}

TEST_F(Controls, ComponentsListTheFormsControlsWithTheirClassNames) {
    Put<ui::TImage>(form, form, L"Image1", 0, 0, 10, 10);
    Put<ui::TLabel>(form, form, L"Label1", 0, 0, 10, 10);
    Put<ui::TShape>(form, form, L"Shape1", 0, 0, 10, 10);
    Put<ui::TBevel>(form, form, L"Bevel1", 0, 0, 10, 10);
    Put<ui::TButton>(form, form, L"Button1", 0, 0, 10, 10);
    const wchar_t* expected[] = {L"TImage", L"TLabel", L"TShape", L"TBevel", L"TButton"};
    ASSERT_EQ(5, form->ComponentCount());
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(expected[i], form->Components(i)->ClassName());
    EXPECT_EQ(5, form->ControlCount());
}

// Border styles: which frame bits each gives, with all border icons asked for.
TEST_F(Controls, BorderStylesGiveTheirFrames) {
    struct Case {
        ui::TFormBorderStyle style;
        ui::TBorderIcons icons;
        DWORD present, absent, exPresent;
        const char* name;
    } cases[] = {
        {ui::TFormBorderStyle::bsNone, ui::biSystemMenu | ui::biMinimize, 0, WS_CAPTION | WS_THICKFRAME, 0, "none"},
        {ui::TFormBorderStyle::bsSingle, ui::biSystemMenu, WS_CAPTION | WS_SYSMENU,
         WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, "single, system menu only"},
        {ui::TFormBorderStyle::bsSingle, ui::biSystemMenu | ui::biMinimize | ui::biMaximize,
         WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_THICKFRAME, 0, "single, all icons"},
        {ui::TFormBorderStyle::bsDialog, ui::biSystemMenu | ui::biMinimize | ui::biMaximize,
         WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_EX_DLGMODALFRAME, "dialog"},
        {ui::TFormBorderStyle::bsSizeable, ui::biSystemMenu | ui::biMinimize, WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX,
         WS_MAXIMIZEBOX, 0, "sizeable"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->SetBorderIcons(c.icons);
        form->SetBorderStyle(c.style);
        DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(form->Handle(), GWL_STYLE));
        DWORD ex = static_cast<DWORD>(::GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE));
        EXPECT_EQ(c.present, style & c.present);
        EXPECT_EQ(0u, style & c.absent);
        EXPECT_EQ(c.exPresent, ex & WS_EX_DLGMODALFRAME);
        form->SetClientSize(219, 113);
        EXPECT_EQ(219, form->ClientWidth());
        EXPECT_EQ(113, form->ClientHeight());
    }
}

TEST_F(Controls, PositionCentresOnTheScreenOrTheMainForm) {
    form->SetPosition(ui::TPosition::poScreenCenter);
    form->Show();
    RECT r;
    ::GetWindowRect(form->Handle(), &r);
    EXPECT_NEAR(ui::Screen->Width() / 2, (r.left + r.right) / 2, 1);
    EXPECT_NEAR(ui::Screen->Height() / 2, (r.top + r.bottom) / 2, 1);

    form->SetBounds(100, 80, 400, 300);
    ui::TForm* second = nullptr;
    app.CreateForm(second);
    EXPECT_EQ(form->Handle(), ::GetWindow(second->Handle(), GW_OWNER));  // kept above the main form
    second->SetBorderStyle(ui::TFormBorderStyle::bsDialog);
    second->SetClientSize(100, 50);
    second->SetPosition(ui::TPosition::poMainFormCenter);
    second->Show();
    RECT s;
    ::GetWindowRect(second->Handle(), &s);
    EXPECT_NEAR(300, (s.left + s.right) / 2, 1);
    EXPECT_NEAR(230, (s.top + s.bottom) / 2, 1);
}

TEST_F(Controls, TransparencyColourKeyAndRegion) {
    form->SetTransparentColorValue(ui::clBtnFace);
    form->SetTransparentColor(true);
    EXPECT_TRUE(::GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(form->Handle(), &key, &alpha, &flags));
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), key);
    EXPECT_EQ(static_cast<DWORD>(LWA_COLORKEY), flags & LWA_COLORKEY);
    form->SetTransparentColor(false);
    EXPECT_FALSE(::GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);

    form->SetWindowRegion(::CreateRectRgn(0, 0, 200, 100));
    RECT box;
    EXPECT_NE(ERROR, ::GetWindowRgnBox(form->Handle(), &box));
    EXPECT_EQ(200, box.right);
    EXPECT_EQ(100, box.bottom);
    form->SetWindowRegion(nullptr);
    EXPECT_EQ(ERROR, ::GetWindowRgnBox(form->Handle(), &box));
}

// Shapes painted by the form: what colour lies at a point of the bounds.
TEST_F(Controls, ShapesPaintTheirKind) {
    enum Expect { Brush, Pen, Back };
    struct Case {
        ui::TShapeType type;
        POINT p;  // relative to the shape's bounds (80 x 40)
        Expect expect;
        const char* why;
    } cases[] = {
        {ui::stRectangle, {40, 20}, Brush, "rectangle inside"},
        {ui::stRectangle, {1, 1}, Pen, "rectangle corner is its outline"},
        {ui::stSquare, {40, 20}, Brush, "square inside"},
        {ui::stSquare, {5, 20}, Back, "square is centred, narrower than the bounds"},
        {ui::stSquare, {21, 20}, Pen, "square's left edge"},
        {ui::stRoundRect, {0, 0}, Back, "rounded corner left out"},
        {ui::stRectangle, {0, 0}, Pen, "the pen's outer half lies on the bounds' edge"},
        {ui::stRoundRect, {40, 1}, Pen, "rounded rectangle top edge"},
        {ui::stRoundSquare, {20, 0}, Back, "rounded square corner"},
        {ui::stSquare, {20, 0}, Pen, "square corner"},
        {ui::stEllipse, {40, 20}, Brush, "ellipse inside"},
        {ui::stEllipse, {3, 3}, Back, "ellipse corner left out"},
        {ui::stCircle, {12, 20}, Back, "circle is centred"},
        {ui::stCircle, {40, 20}, Brush, "circle inside"},
    };
    auto* shape = Put<ui::TShape>(form, form, L"Shape", 10, 10, 80, 40);
    shape->Brush().SetColor(ui::clRed);
    shape->Pen().SetColor(ui::clBlue);
    shape->Pen().SetWidth(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        shape->SetShape(c.type);
        vt::Capture cap = vt::RenderClient(form->Handle());
        COLORREF expected = c.expect == Brush ? RGB(255, 0, 0) : c.expect == Pen ? RGB(0, 0, 255) : RGB(255, 255, 255);
        EXPECT_EQ(expected, cap.At(10 + c.p.x, 10 + c.p.y));
    }
    shape->Brush().SetStyle(ui::bsClear);
    shape->SetShape(ui::stRectangle);
    EXPECT_EQ(RGB(255, 255, 255), vt::RenderClient(form->Handle()).At(50, 30));
}

TEST_F(Controls, WindowlessControlsPaintInZOrder) {
    auto* bottom = Put<ui::TShape>(form, form, L"Bottom", 0, 0, 60, 60);
    bottom->Brush().SetColor(ui::clLime);
    auto* top = Put<ui::TShape>(form, form, L"Top", 30, 30, 60, 60);
    top->Brush().SetColor(ui::clNavy);
    auto* hidden = Put<ui::TShape>(form, form, L"Hidden", 0, 0, 100, 100);
    hidden->Brush().SetColor(ui::clRed);
    hidden->SetVisible(false);
    vt::Capture cap = vt::RenderClient(form->Handle());
    EXPECT_EQ(RGB(0, 255, 0), cap.At(10, 10));
    EXPECT_EQ(RGB(0, 0, 128), cap.At(45, 45));  // the overlap shows the later one
    EXPECT_EQ(RGB(255, 255, 255), cap.At(95, 95));
    bottom->BringToFront();
    EXPECT_EQ(RGB(0, 255, 0), vt::RenderClient(form->Handle()).At(45, 45));
}

TEST_F(Controls, ImagesAndLabelsPaint) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteTestPicture(dir / L"p.bmp", vt::PictureFormat::Bmp, 20, 10, RGB(0, 255, 0), RGB(255, 0, 0)));
    auto* back = Put<ui::TShape>(form, form, L"Back", 0, 0, 200, 100);
    back->Brush().SetColor(ui::clYellow);
    back->Pen().SetStyle(ui::psClear);
    auto* image = Put<ui::TImage>(form, form, L"Image", 10, 10, 5, 5);
    image->SetAutoSize(true);
    image->Picture().LoadFromFile(dir / L"p.bmp");
    EXPECT_EQ(20, image->Width());
    EXPECT_EQ(10, image->Height());
    auto* stretched = Put<ui::TImage>(form, form, L"Stretched", 10, 40, 80, 20);
    stretched->SetStretch(true);
    stretched->SetTransparent(true);
    stretched->Picture().LoadFromFile(dir / L"p.bmp");
    auto* label = Put<ui::TLabel>(form, form, L"Label", 120, 10, 60, 20);
    label->SetAutoSize(false);
    label->Font().SetColor(ui::clBlack);
    label->SetCaption(L"ab");
    vt::Capture cap = vt::RenderClient(form->Handle());
    EXPECT_EQ(RGB(0, 255, 0), cap.At(12, 15));
    EXPECT_EQ(RGB(255, 0, 0), cap.At(28, 15));
    EXPECT_EQ(RGB(255, 255, 0), cap.At(20, 50));  // transparent: the green half is left out
    EXPECT_EQ(RGB(255, 0, 0), cap.At(80, 50));    // stretched over 80 pixels
    // A label not transparent fills its bounds with the parent's colour.
    EXPECT_EQ(RGB(255, 255, 255), cap.At(label->Left() + label->Width() - 1, label->Top()));
    label->SetTransparent(true);
    cap = vt::RenderClient(form->Handle());
    EXPECT_EQ(RGB(255, 255, 0), cap.At(label->Left() + label->Width() - 1, label->Top()));
}

// What each change leaves the form's window to paint again: the areas it
// changed on screen and nothing else. The cases run in order on one form.
TEST_F(Controls, ChangesRepaintOnlyWhatTheyChangeOnScreen) {
    vt::TempDir dir;
    ASSERT_TRUE(vt::WriteTestPicture(dir / L"p.bmp", vt::PictureFormat::Bmp, 20, 10, RGB(0, 255, 0), RGB(255, 0, 0)));
    ASSERT_TRUE(vt::WriteTestPicture(dir / L"q.bmp", vt::PictureFormat::Bmp, 20, 10, RGB(0, 0, 255), RGB(255, 0, 0)));
    ui::TPicture p, q;
    p.LoadFromFile(dir / L"p.bmp");
    q.LoadFromFile(dir / L"q.bmp");
    auto* image = Put<ui::TImage>(form, form, L"Image", 10, 10, 5, 5);
    image->SetAutoSize(true);
    image->Picture().Assign(p);
    auto* label = Put<ui::TLabel>(form, form, L"Label", 100, 10, 60, 20);
    label->SetAutoSize(false);
    label->Font().SetColor(ui::clBlack);
    auto* hidden = Put<ui::TLabel>(form, form, L"Hidden", 200, 200, 50, 20);
    hidden->SetAutoSize(false);
    hidden->SetVisible(false);
    form->Show();
    uitest::Pump(50);

    struct Case {
        const char* name;
        std::function<void()> change;
        std::vector<RECT> repainted;
    };
    const Case cases[] = {
        {"image moved by a few pixels: old and new place at once", [&] { image->SetTop(17); },
         {{10, 10, 30, 27}}},
        {"image moved far: old and new place apart", [&] { image->SetTop(100); },
         {{10, 17, 30, 27}, {10, 100, 30, 110}}},
        {"the picture it shows", [&] { image->Picture().Assign(p); }, {}},
        {"auto-size set again", [&] {
             image->SetAutoSize(false);
             image->SetAutoSize(true);
         },
         {}},
        {"another picture", [&] { image->Picture().Assign(q); }, {{10, 100, 30, 110}}},
        {"label colour unchanged", [&] { label->Font().SetColor(ui::clBlack); }, {}},
        {"label colour changed", [&] { label->Font().SetColor(ui::clRed); }, {{100, 10, 160, 30}}},
        {"hidden label moved and captioned", [&] {
             hidden->SetTop(210);
             hidden->SetCaption(L"text");
             hidden->Font().SetColor(ui::clRed);
         },
         {}},
        {"hidden label shown", [&] { hidden->SetVisible(true); }, {{200, 210, 250, 230}}},
        {"label hidden", [&] { label->SetVisible(false); }, {{100, 10, 160, 30}}},
    };
    const HWND window = form->Handle();
    for (const Case& c : cases) {
        ::ValidateRect(window, nullptr);
        c.change();
        win::GdiObject expected(::CreateRectRgn(0, 0, 0, 0));
        for (const RECT& r : c.repainted) {
            win::GdiObject part(::CreateRectRgnIndirect(&r));
            ::CombineRgn(static_cast<HRGN>(expected.get()), static_cast<HRGN>(expected.get()),
                         static_cast<HRGN>(part.get()), RGN_OR);
        }
        win::GdiObject update(::CreateRectRgn(0, 0, 0, 0));
        ::GetUpdateRgn(window, static_cast<HRGN>(update.get()), FALSE);
        RECT box = {};
        ::GetRgnBox(static_cast<HRGN>(update.get()), &box);
        EXPECT_TRUE(::EqualRgn(static_cast<HRGN>(expected.get()), static_cast<HRGN>(update.get())))
            << c.name << ": repainted around " << box.left << "," << box.top << "," << box.right << ","
            << box.bottom;
    }
}

TEST_F(Controls, LabelAutoSizeFollowsTextAndWordWrap) {
    auto* label = Put<ui::TLabel>(form, form, L"Label", 0, 0, 150, 17);
    EXPECT_EQ(150, label->Width());  // no text yet: the given size stays
    label->SetCaption(L"Short");
    int shortWidth = label->Width();
    label->SetCaption(L"A much longer caption than the other");
    EXPECT_GT(label->Width(), shortWidth);
    int oneLine = label->Height();
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetWidth(60);
    label->SetAutoSize(true);
    EXPECT_EQ(60, label->Width());
    EXPECT_GT(label->Height(), 2 * oneLine);
    label->Font().SetSize(20);
    EXPECT_GT(label->Height(), 4 * oneLine);
}

TEST_F(Controls, ChildrenTakeTheParentsFontUntilTheyHaveTheirOwn) {
    form->Font().SetName(L"Courier New");
    form->Font().SetHeight(-15);
    auto* inherits = Put<ui::TLabel>(form, form, L"Inherits", 0, 0, 10, 10);
    auto* own = new ui::TLabel(form);
    own->Font().SetHeight(-20);
    own->SetParent(form);
    EXPECT_EQ(L"Courier New", inherits->Font().Name());
    EXPECT_EQ(-15, inherits->Font().Height());
    EXPECT_EQ(-20, own->Font().Height());
}

TEST_F(Controls, AlignFillsTheParent) {
    auto* top = Put<ui::TShape>(form, form, L"Top", 5, 5, 10, 30);
    top->SetAlign(ui::alTop);
    auto* client = Put<ui::TImage>(form, form, L"Client", 5, 5, 10, 10);
    client->SetAlign(ui::alClient);
    EXPECT_TRUE(SameRect(RECT{0, 0, 400, 30}, top->BoundsRect()));
    EXPECT_TRUE(SameRect(RECT{0, 30, 400, 300}, client->BoundsRect()));
    form->SetClientSize(300, 200);
    EXPECT_TRUE(SameRect(RECT{0, 30, 300, 200}, client->BoundsRect()));
}

TEST_F(Controls, ButtonsReportClicksAndTheDefaultButton) {
    auto* button = Put<ui::TButton>(form, form, L"Button", 10, 10, 75, 25);
    auto* other = Put<ui::TBitBtn>(form, form, L"Other", 100, 10, 75, 25);
    int clicks = 0;
    button->OnClick = [&](ui::TObject* sender) {
        EXPECT_EQ(button, sender);
        ++clicks;
    };
    ::SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(0, HIWORD(::SendMessageW(form->Handle(), DM_GETDEFID, 0, 0)) == DC_HASDEFID);
    other->SetDefault(true);
    LRESULT def = ::SendMessageW(form->Handle(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(DC_HASDEFID, HIWORD(def));
    EXPECT_EQ(static_cast<int>(other->ControlId()), LOWORD(def));
    EXPECT_TRUE(::GetWindowLongPtrW(other->Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(Controls, CheckBoxAndRadioButtonsKeepTheirState) {
    auto* check = Put<ui::TCheckBox>(form, form, L"Check", 10, 10, 100, 17);
    std::vector<std::wstring> log;
    check->OnClick = [&](ui::TObject*) { log.push_back(check->Checked() ? L"check on" : L"check off"); };
    ::SendMessageW(check->Handle(), BM_CLICK, 0, 0);
    check->SetChecked(true);  // no change: no click
    check->SetChecked(false);
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageW(check->Handle(), BM_GETCHECK, 0, 0));

    auto* r1 = Put<ui::TRadioButton>(form, form, L"R1", 10, 40, 100, 17);
    auto* r2 = Put<ui::TRadioButton>(form, form, L"R2", 10, 60, 100, 17);
    auto* box = Put<ui::TGroupBox>(form, form, L"Box", 150, 10, 150, 100);
    auto* r3 = Put<ui::TRadioButton>(box, form, L"R3", 10, 20, 100, 17);
    for (auto* r : {r1, r2, r3}) r->OnClick = [&log, r](ui::TObject*) { log.push_back(r->Name()); };
    r1->SetChecked(true);
    r3->SetChecked(true);  // another parent: another group
    ::SendMessageW(r2->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(r1->Checked());
    EXPECT_TRUE(r2->Checked());
    EXPECT_TRUE(r3->Checked());
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageW(r1->Handle(), BM_GETCHECK, 0, 0));
    const std::vector<std::wstring> expected = {L"check on", L"check off", L"R1", L"R3", L"R2"};
    EXPECT_EQ(expected, log);
}

TEST_F(Controls, RadioGroupMakesAButtonPerItem) {
    auto* group = Put<ui::TRadioGroup>(form, form, L"Group", 10, 10, 150, 110);
    group->Items().Assign({L"None", L"Music", L"Game", L"Movie"});
    group->SetItemIndex(0);
    int clicks = 0;
    group->OnClick = [&](ui::TObject*) { ++clicks; };
    ASSERT_EQ(4, group->ButtonCount());
    EXPECT_EQ(L"Game", group->Buttons(2)->Caption());
    EXPECT_TRUE(group->Buttons(0)->Checked());
    ::SendMessageW(group->Buttons(2)->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(2, group->ItemIndex());
    EXPECT_EQ(1, clicks);
    EXPECT_FALSE(group->Buttons(0)->Checked());
    group->SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(group->Buttons(1)->Handle()));
    EXPECT_EQ(1, form->ComponentCount());  // the buttons belong to the group
}

TEST_F(Controls, ComboAndListBoxesFollowTheirItems) {
    auto* combo = Put<ui::TComboBox>(form, form, L"Combo", 10, 10, 150, 21);
    combo->Items().Assign({L"English", L"Deutsch"});
    combo->Items().Add(L"Français");
    combo->SetItemIndex(1);
    EXPECT_EQ(3, ::SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, ::SendMessageW(combo->Handle(), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"Deutsch", combo->Text());
    int changes = 0;
    combo->OnChange = [&](ui::TObject*) { ++changes; };
    ::SendMessageW(combo->Handle(), CB_SETCURSEL, 2, 0);  // as the user's pick, then its notification
    ::SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(combo->ControlId(), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo->Handle()));
    EXPECT_EQ(1, changes);
    EXPECT_EQ(2, combo->ItemIndex());
    combo->SetItemIndex(7);
    EXPECT_EQ(-1, combo->ItemIndex());
    EXPECT_EQ(L"", combo->Text());

    auto* list = Put<ui::TListBox>(form, form, L"List", 10, 50, 150, 80);
    list->Items().Assign({L"b", L"a"});
    EXPECT_EQ(2, ::SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0));
    wchar_t first[8] = {};
    ::SendMessageW(list->Handle(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(L"b", first);  // in the order given, not sorted
}

TEST_F(Controls, ProgressAndTrackBars) {
    auto* progress = Put<ui::TProgressBar>(form, form, L"Progress", 10, 10, 200, 20);
    progress->SetSmooth(true);
    progress->SetPosition(40);
    EXPECT_EQ(40, ::SendMessageW(progress->Handle(), PBM_GETPOS, 0, 0));
    progress->SetPosition(250);
    EXPECT_EQ(100, progress->Position());
    EXPECT_TRUE(::GetWindowLongPtrW(progress->Handle(), GWL_STYLE) & PBS_SMOOTH);

    auto* track = Put<ui::TTrackBar>(form, form, L"Track", 10, 40, 200, 40);
    track->SetRange(1, 255);
    track->SetPosition(1);
    int changes = 0;
    track->OnChange = [&](ui::TObject*) { ++changes; };
    track->SetPosition(5);  // by code: no event
    EXPECT_EQ(0, changes);
    ::SendMessageW(track->Handle(), TBM_SETPOS, TRUE, 77);
    ::SendMessageW(form->Handle(), WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(track->Handle()));
    EXPECT_EQ(1, changes);
    EXPECT_EQ(77, track->Position());
}

TEST_F(Controls, NotebookShowsOnePage) {
    auto* book = Put<ui::TNotebook>(form, form, L"Notebook", 0, 0, 300, 115);
    auto* p0 = book->AddPage(L"Language");
    auto* p1 = book->AddPage(L"InstallPage");
    auto* p2 = book->AddPage(L"FinishPage");
    auto* label = Put<ui::TLabel>(p1, form, L"OnPage1", 10, 10, 50, 20);
    book->SetPageIndex(2);
    EXPECT_EQ(L"FinishPage", book->ActivePage());
    EXPECT_FALSE(::IsWindowVisible(p0->Handle()) || p0->Visible());
    EXPECT_TRUE(p2->Visible());
    book->SetActivePage(L"InstallPage");
    EXPECT_EQ(1, book->PageIndex());
    EXPECT_TRUE(p1->Visible());
    EXPECT_FALSE(p2->Visible());
    EXPECT_TRUE(SameRect(RECT{0, 0, 300, 115}, p1->BoundsRect()));
    EXPECT_EQ(label, p1->ControlAtPos(POINT{15, 15}, false));
}

TEST(DirectoryListBox, ListsThePathThenSortedSubFolders) {
    vt::TempDir dir;
    for (const wchar_t* name : {L"Plugins", L"Plugins\\beta", L"Plugins\\Alpha", L"Plugins\\gamma"})
        ASSERT_TRUE(::CreateDirectoryW((dir / name).c_str(), nullptr));
    vt::WriteFileBytes(dir / L"Plugins\\afile.txt", "x");
    ui::TApplication app;
    ui::TForm* form = nullptr;
    app.CreateForm(form);
    auto* list = new ui::TDirectoryListBox(form);
    list->SetVisible(false);
    list->SetParent(form);
    list->SetDirectory(dir / L"Plugins\\");
    std::wstring base = dir.path() + L"Plugins";
    EXPECT_EQ(base, list->Directory());
    int n = list->Items().Count();
    ASSERT_GE(n, 5);
    EXPECT_EQ(base.substr(0, 3), list->GetItemPath(0));  // the drive
    EXPECT_EQ(base, list->GetItemPath(n - 4));
    EXPECT_EQ(base + L"\\Alpha", list->GetItemPath(n - 3));
    EXPECT_EQ(base + L"\\beta", list->GetItemPath(n - 2));
    EXPECT_EQ(base + L"\\gamma", list->GetItemPath(n - 1));
    EXPECT_EQ(L"Alpha", list->Items()[n - 3]);
    // Each level is the one before with one more folder.
    for (int i = 1; i < n - 3; ++i) EXPECT_EQ(0u, list->GetItemPath(i).find(list->GetItemPath(i - 1).substr(0, 2)));

    EXPECT_THROW(list->SetDirectory(dir / L"Missing"), ui::EInOutError);
    EXPECT_EQ(base, list->Directory());  // unchanged after the error
}

}  // namespace
