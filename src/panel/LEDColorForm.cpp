// The 48-colour picker.
#include "panel/LEDColorForm.h"

#include <cwchar>

#include "panel/LEDColours.h"
#include "panel/PanelForms.h"

namespace {

constexpr int kColumns = 8, kRows = 6;

// Swatch colours, row by row.
const ui::TColor kSwatches[kRows][kColumns] = {
    {8421631, 8454143, 8454016, 8453888, 16777088, 16744448, 12615935, 16744703},
    {ui::clRed, ui::clYellow, 65408, 4259584, ui::clAqua, 12615680, 12615808, ui::clFuchsia},
    {4210816, 4227327, ui::clLime, ui::clTeal, 8404992, 16744576, 4194432, 8388863},
    {ui::clMaroon, 33023, ui::clGreen, 4227072, ui::clBlue, 10485760, ui::clPurple, 16711808},
    {4734347, 16512, 16384, 4210688, ui::clNavy, 4194509, 4194368, 8388672},
    {9835072, ui::clOlive, 8437824, 13456768, 16760896, 8441343, 52544, 9189575},
};

}  // namespace

TLEDColorForm::TLEDColorForm(ui::TComponent* owner) : ui::TForm(owner, L"TLEDColorForm") {
    using namespace std::placeholders;
    SetName(L"LEDColorForm");
    SetCaption(L"LED_Color");
    SetBorderStyle(ui::TFormBorderStyle::bsNone);
    SetBorderIcons(0);
    SetPosition(ui::TPosition::poMainFormCenter);
    SetClientSize(255, 252);
    OnMouseDown = std::bind(&TLEDColorForm::FormMouseDown, this, _1, _2, _3, _4, _5);

    ColorSettingGroupBox = new ui::TGroupBox(this);
    ColorSettingGroupBox->SetName(L"ColorSettingGroupBox");
    ColorSettingGroupBox->SetCaption(L"Color Setting");
    ColorSettingGroupBox->SetParent(this);
    ColorSettingGroupBox->SetBounds(10, 8, 235, 193);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const int tag = row * kColumns + column + 1;
            wchar_t name[16];
            std::swprintf(name, 16, L"Shape%d", tag);
            auto* shape = new ui::TShape(this);
            shape->SetName(name);
            shape->SetTag(tag);
            shape->SetParent(ColorSettingGroupBox);
            shape->SetBounds(16 + 26 * column, 29 + 26 * row, 20, 20);
            shape->Brush().SetColor(kSwatches[row][column]);
            shape->OnMouseDown = std::bind(&TLEDColorForm::OnShapeMouseDown, this, _1, _2, _3, _4, _5);
        }
    }
    struct ButtonRow {
        ui::TButton* TLEDColorForm::*member;
        const wchar_t* name;
        const wchar_t* caption;
        int left;
        void (TLEDColorForm::*handler)(ui::TObject*);
    };
    const ButtonRow buttons[] = {
        {&TLEDColorForm::LEDColorOKButton, L"LEDColorOKButton", L"OK", 10, &TLEDColorForm::LEDColorOKButtonClick},
        {&TLEDColorForm::LEDColorCancelButton, L"LEDColorCancelButton", L"Cancel", 135,
         &TLEDColorForm::LEDColorCancelButtonClick},
    };
    for (const ButtonRow& b : buttons) {
        auto* button = new ui::TButton(this);
        button->SetName(b.name);
        button->SetCaption(b.caption);
        button->SetParent(this);
        button->SetBounds(b.left, 212, 110, 25);
        button->OnClick = std::bind(b.handler, this, _1);
        this->*b.member = button;
    }
}

TLEDColorForm::~TLEDColorForm() {
    if (LEDColorForm == this) LEDColorForm = nullptr;
}

ui::TShape* TLEDColorForm::FindShapeByTag(int tag) const { return led::FindByTag<ui::TShape>(this, tag, L"TShape"); }

void TLEDColorForm::OnShapeMouseDown(ui::TObject* Sender, ui::TMouseButton, ui::TShiftState, int, int) {
    auto* shape = dynamic_cast<ui::TShape*>(Sender);
    if (!shape) return;
    led::MoveSelectionPen(FindShapeByTag(static_cast<int>(m_iSelectedShape)), shape, 2);
    m_iSelectedShape = static_cast<UINT>(shape->Tag());
    m_SelectedColor = shape->Brush().Color();
}

void TLEDColorForm::LEDColorOKButtonClick(ui::TObject*) {
    m_ResultColor = m_SelectedColor;
    Close();
}

void TLEDColorForm::LEDColorCancelButtonClick(ui::TObject*) {
    m_ResultColor = 0;
    Close();
}

void TLEDColorForm::FormMouseDown(ui::TObject*, ui::TMouseButton Button, ui::TShiftState, int, int) {
    if (Button != ui::mbLeft) return;
    ::ReleaseCapture();
    Perform(WM_SYSCOMMAND, 0xF012, 0);
    ui::Application->ProcessMessages();
}
