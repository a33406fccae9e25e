// Shows every control of the user-interface layer on one form, so a person
// can look at them. With "--screenshot <file.png>" it writes the form's
// client area to that file once painted and ends.
#include <windows.h>

#include <string>

#include "PictureFixtures.h"
#include "TestSupport.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FileCtrl.h"
#include "ui/Forms.h"
#include "ui/ImgList.h"
#include "ui/MPlayer.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"
#include "ui/TrayIcon.h"

#include "GalleryForm.h"

namespace {

struct PictureRow {
    const wchar_t* file;
    vt::PictureFormat format;
    COLORREF left, right;
    bool alpha;
    const wchar_t* caption;
};

const PictureRow kPictures[] = {
    {L"pic.bmp", vt::PictureFormat::Bmp, RGB(200, 0, 0), RGB(0, 0, 200), false, L"BMP"},
    {L"pic.png", vt::PictureFormat::Png, RGB(0, 160, 0), RGB(240, 200, 0), true, L"PNG"},
    {L"pic.ico", vt::PictureFormat::Ico, RGB(128, 0, 128), RGB(128, 0, 128), false, L"ICO"},
    {L"pic.jpg", vt::PictureFormat::Jpeg, RGB(0, 128, 128), RGB(255, 128, 0), false, L"JPEG"},
    {L"pic.gif", vt::PictureFormat::Gif, RGB(0, 0, 0), RGB(255, 255, 255), false, L"GIF"},
    {L"pic.emf", vt::PictureFormat::Emf, RGB(255, 0, 255), RGB(0, 255, 255), false, L"EMF"},
    {L"pic.wmf", vt::PictureFormat::Wmf, RGB(96, 96, 96), RGB(255, 255, 0), false, L"WMF"},
};

template <typename T>
T* Make(ui::TWinControl* parent, ui::TComponent* owner, const wchar_t* name, int l, int t, int w, int h) {
    T* c = new T(owner);
    c->SetName(name);
    c->SetBounds(l, t, w, h);
    c->SetParent(parent);
    return c;
}

}  // namespace

TGalleryForm::TGalleryForm(ui::TComponent* owner, const std::wstring& folder)
    : ui::TForm(owner, L"TGalleryForm") {
    SetName(L"GalleryForm");
    SetCaption(L"User-interface layer gallery");
    SetBorderStyle(ui::TFormBorderStyle::bsSingle);
    SetPosition(ui::TPosition::poScreenCenter);
    SetClientSize(760, 500);
    BuildLabels();
    BuildPictures(folder);
    BuildShapes();
    BuildWindowed(folder);
    BuildNonVisual();
}

void TGalleryForm::BuildLabels() {
    auto* plain = Make<ui::TLabel>(this, this, L"PlainLabel", 12, 10, 0, 0);
    plain->SetCaption(L"TLabel: Tahoma 8");
    auto* bold = Make<ui::TLabel>(this, this, L"BoldLabel", 12, 30, 0, 0);
    bold->Font().SetStyle(ui::fsBold);
    bold->SetCaption(L"Bold label");
    auto* fancy = Make<ui::TLabel>(this, this, L"FancyLabel", 110, 30, 0, 0);
    fancy->Font().SetStyle(ui::fsItalic | ui::fsUnderline);
    fancy->Font().SetColor(ui::clRed);
    fancy->SetCaption(L"Italic, underlined, red");
    auto* big = Make<ui::TLabel>(this, this, L"BigLabel", 12, 50, 0, 0);
    big->Font().SetName(L"Tahoma");
    big->Font().SetSize(14);
    big->Font().SetColor(ui::clNavy);
    big->SetCaption(L"Tahoma 14 points");
    auto* wrap = Make<ui::TLabel>(this, this, L"WrapLabel", 250, 8, 170, 0);
    wrap->SetWordWrap(true);
    wrap->SetCaption(L"A word-wrapped label whose text runs over several lines of its width.");
    auto* disabled = Make<ui::TLabel>(this, this, L"DisabledLabel", 250, 62, 0, 0);
    disabled->SetEnabled(false);
    disabled->SetCaption(L"Disabled label");
}

void TGalleryForm::BuildPictures(const std::wstring& folder) {
    int x = 12;
    for (const PictureRow& row : kPictures) {
        std::wstring path = folder + row.file;
        vt::WriteTestPicture(path, row.format, 48, 48, row.left, row.right, row.alpha);
        auto* image = Make<ui::TImage>(this, this, row.caption, x, 100, 48, 48);
        image->SetAutoSize(true);
        image->Picture().LoadFromFile(path);
        auto* label = Make<ui::TLabel>(this, this, L"", x, 152, 0, 0);
        label->SetCaption(row.caption);
        x += 58;
    }
    // A transparent bitmap over a shape: its bottom-left colour is left out.
    auto* back = Make<ui::TShape>(this, this, L"BehindShape", 420, 100, 60, 48);
    back->Brush().SetColor(RGB(255, 200, 200));
    std::wstring key = folder + L"key.bmp";
    vt::WriteTestPicture(key, vt::PictureFormat::Bmp, 40, 40, RGB(255, 255, 255), RGB(0, 0, 160));
    auto* keyed = Make<ui::TImage>(this, this, L"TransparentImage", 430, 104, 40, 40);
    keyed->SetTransparent(true);
    keyed->Picture().LoadFromFile(key);
    auto* keyLabel = Make<ui::TLabel>(this, this, L"", 420, 152, 0, 0);
    keyLabel->SetCaption(L"Transparent");
    // A stretched picture.
    auto* stretched = Make<ui::TImage>(this, this, L"StretchedImage", 500, 100, 96, 48);
    stretched->SetStretch(true);
    stretched->Picture().LoadFromFile(folder + L"pic.bmp");
    auto* stretchLabel = Make<ui::TLabel>(this, this, L"", 500, 152, 0, 0);
    stretchLabel->SetCaption(L"Stretch");
    // A transparent label over a picture.
    auto* over = Make<ui::TLabel>(this, this, L"OverLabel", 504, 116, 0, 0);
    over->SetTransparent(true);
    over->Font().SetColor(ui::clWhite);
    over->Font().SetStyle(ui::fsBold);
    over->SetCaption(L"over image");
}

void TGalleryForm::BuildShapes() {
    const wchar_t* names[] = {L"Rectangle", L"Square", L"RoundRect", L"RoundSq", L"Ellipse", L"Circle"};
    const ui::TColor brushes[] = {ui::clRed, ui::clLime, ui::clBlue, ui::clYellow, ui::clFuchsia, ui::clAqua};
    for (int i = 0; i < 6; ++i) {
        auto* s = Make<ui::TShape>(this, this, names[i], 12 + i * 76, 180, 60, 40);
        s->SetShape(static_cast<ui::TShapeType>(i));
        s->Brush().SetColor(brushes[i]);
        s->Pen().SetWidth(2);
        s->Pen().SetColor(ui::clBlack);
        auto* l = Make<ui::TLabel>(this, this, L"", 12 + i * 76, 224, 0, 0);
        l->SetCaption(names[i]);
    }
    const ui::TBevelShape bevels[] = {ui::bsBox, ui::bsFrame, ui::bsTopLine, ui::bsLeftLine};
    const wchar_t* bevelNames[] = {L"Box", L"Frame", L"TopLine", L"LeftLine"};
    for (int i = 0; i < 4; ++i) {
        auto* b = Make<ui::TBevel>(this, this, bevelNames[i], 12 + i * 76, 250, 56, 36);
        b->SetShape(bevels[i]);
        b->SetStyle(i % 2 ? ui::bsRaised : ui::bsLowered);
        auto* l = Make<ui::TLabel>(this, this, L"", 12 + i * 76, 290, 0, 0);
        l->SetCaption(bevelNames[i]);
    }
}

void TGalleryForm::BuildWindowed(const std::wstring& folder) {
    Make<ui::TButton>(this, this, L"Button", 12, 320, 90, 25)->SetCaption(L"TButton");
    auto* def = Make<ui::TBitBtn>(this, this, L"DefaultButton", 110, 320, 90, 25);
    def->SetCaption(L"Default");
    def->SetDefault(true);
    auto* check = Make<ui::TCheckBox>(this, this, L"CheckBox", 12, 356, 120, 17);
    check->SetCaption(L"TCheckBox");
    check->SetChecked(true);
    auto* r1 = Make<ui::TRadioButton>(this, this, L"Radio1", 12, 378, 120, 17);
    r1->SetCaption(L"Radio one");
    auto* r2 = Make<ui::TRadioButton>(this, this, L"Radio2", 12, 398, 120, 17);
    r2->SetCaption(L"Radio two");
    r2->SetChecked(true);
    auto* group = Make<ui::TRadioGroup>(this, this, L"RadioGroup", 210, 318, 130, 96);
    group->SetCaption(L"TRadioGroup");
    group->Items().Assign({L"None", L"Music", L"Game"});
    group->SetItemIndex(1);
    auto* box = Make<ui::TGroupBox>(this, this, L"GroupBox", 350, 318, 120, 96);
    box->SetCaption(L"TGroupBox");
    auto* inner = Make<ui::TLabel>(box, this, L"InnerLabel", 10, 24, 0, 0);
    inner->SetCaption(L"Inside a group");
    auto* innerShape = Make<ui::TShape>(box, this, L"InnerShape", 10, 46, 33, 33);
    innerShape->Brush().SetColor(RGB(0, 128, 255));
    auto* combo = Make<ui::TComboBox>(this, this, L"ComboBox", 12, 430, 150, 21);
    combo->Items().Assign({L"English", L"Deutsch", L"Français"});
    combo->SetItemIndex(0);
    auto* progress = Make<ui::TProgressBar>(this, this, L"ProgressBar", 12, 462, 190, 20);
    progress->SetSmooth(true);
    progress->SetPosition(60);
    auto* track = Make<ui::TTrackBar>(this, this, L"TrackBar", 210, 428, 200, 40);
    track->SetRange(1, 6);
    track->SetPosition(4);
    auto* list = Make<ui::TListBox>(this, this, L"ListBox", 480, 170, 120, 80);
    list->Items().Assign({L"First item", L"Second item", L"Third item"});
    list->SetItemIndex(1);
    for (const wchar_t* sub : {L"Alpha", L"beta", L"Gamma"})
        ::CreateDirectoryW((folder + L"Folders\\" + sub).c_str(), nullptr);
    auto* dirs = Make<ui::TDirectoryListBox>(this, this, L"DirectoryListBox", 610, 170, 140, 120);
    dirs->SetDirectory(folder + L"Folders");
    auto* book = Make<ui::TNotebook>(this, this, L"Notebook", 480, 300, 270, 110);
    auto* first = book->AddPage(L"First");
    book->AddPage(L"Second");
    auto* pageBox = Make<ui::TGroupBox>(first, this, L"PageGroup", 0, 0, 270, 110);
    pageBox->SetCaption(L"TNotebook page \"First\"");
    auto* pageLabel = Make<ui::TLabel>(pageBox, this, L"PageLabel", 10, 24, 250, 0);
    pageLabel->SetWordWrap(true);
    pageLabel->SetCaption(L"Only the page at PageIndex is shown; this is page 0 of 2.");
    auto* pageButton = Make<ui::TButton>(pageBox, this, L"PageButton", 10, 70, 100, 25);
    pageButton->SetCaption(L"On the page");
    book->SetPageIndex(0);
}

void TGalleryForm::BuildNonVisual() {
    Timer = new ui::TTimer(this);
    Timer->SetName(L"Timer");
    Timer->SetEnabled(false);
    PopupMenu = new ui::TPopupMenu(this);
    for (const wchar_t* caption : {L"&Language", L"&Skin", L"-", L"&Close"}) {
        auto* item = new ui::TMenuItem(this);
        item->SetCaption(caption);
        PopupMenu->Items().Add(item);
    }
    auto* note = Make<ui::TLabel>(this, this, L"NonVisualLabel", 420, 440, 330, 0);
    note->SetWordWrap(true);
    note->SetCaption(L"Not drawn: TTimer, TPopupMenu (right-click the form), TImageList, the tray "
                     L"icon, the dialogs and TMediaPlayer.");
    OnMouseUp = [this](ui::TObject*, ui::TMouseButton button, ui::TShiftState, int x, int y) {
        if (button != ui::mbRight) return;
        POINT p = ClientToScreen(POINT{x, y});
        PopupMenu->Popup(p.x, p.y);
    };
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ui::TApplication app;
    std::wstring shot;
    if (app.ParamCount() >= 2 && app.ParamStr(1) == L"--screenshot") shot = app.ParamStr(2);
    // A fixed folder, so the folder list looks the same on every run.
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"ui_gallery\\";
    vt::RemoveTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((folder + L"Folders").c_str(), nullptr);
    app.SetTitle(L"Gallery");
    TGalleryForm::Folder() = folder;
    TGalleryForm* form = nullptr;
    int exitCode = 0;
    try {
        app.CreateForm(form);
        if (!shot.empty()) {
            form->Timer->SetInterval(700);
            form->Timer->OnTimer = [&](ui::TObject*) {
                form->Timer->SetEnabled(false);
                RECT r = {0, 0, form->ClientWidth(), form->ClientHeight()};
                POINT tl = form->ClientToScreen(POINT{0, 0});
                ::OffsetRect(&r, tl.x, tl.y);
                if (!vt::CaptureScreenToPng(r, shot)) exitCode = 2;
                app.Terminate();
            };
            form->Timer->SetEnabled(true);
        }
        app.Run();
    } catch (const ui::Exception& e) {
        app.ShowException(e);
        exitCode = 1;
    }
    if (form) form->Free();
    vt::RemoveTree(folder);
    return exitCode;
}
