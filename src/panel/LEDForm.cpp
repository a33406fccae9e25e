// The LED effect dialog. Its handlers run on the main thread and call the
// device library directly; its one worker (started at the first showing,
// ended with the dialog) reads only the command state the handlers copy for
// it under a lock.
#include "panel/LEDForm.h"

#include <process.h>

#include <cwchar>

#include "panel/LEDColours.h"
#include "panel/PanelForms.h"
#include "panel/device/DeviceLibrary.h"

HANDLE LEDCommandEvent = nullptr;

namespace {

constexpr int kEffectRadioLeft = 16, kEffectRadioTop = 24, kEffectRadioStep = 32;

using led::Blue;
using led::Green;
using led::Red;

using L = TLEDForm;

// The seven effect modes: radio button, caption, and for modes 3..7 the
// speed bar.
struct ModeRow {
    ui::TRadioButton* L::*radio;
    const wchar_t* name;
    const wchar_t* caption;
    ui::TTrackBar* L::*bar;
    const wchar_t* barName;
};
const ModeRow kModes[7] = {
    {&L::RadioButtonOff, L"RadioButtonOff", L"LED Off", nullptr, nullptr},
    {&L::RadioButtonOn, L"RadioButtonOn", L"Single color", nullptr, nullptr},
    {&L::RadioButtonBlinking, L"RadioButtonBlinking", L"Blinking", &L::TrackBarBlinking, L"TrackBarBlinking"},
    {&L::RadioButtonBreathe, L"RadioButtonBreathe", L"Breathe", &L::TrackBarBreathe, L"TrackBarBreathe"},
    {&L::RadioButtonRainbow, L"RadioButtonRainbow", L"Rainbow", &L::TrackBarRainbow, L"TrackBarRainbow"},
    {&L::RadioButtonMultiBreathe, L"RadioButtonMultiBreathe", L"Multi Breathe", &L::TrackBarMultiBreathe,
     L"TrackBarMultiBreathe"},
    {&L::RadioButtonSingleRandom, L"RadioButtonSingleRandom", L"Single Random", &L::TrackBarSingleRandom,
     L"TrackBarSingleRandom"},
};

// The effect colour shapes: Tag 100 + the mode they colour, beside that
// mode's radio button.
struct EffectShapeRow {
    ui::TShape* L::*shape;
    const wchar_t* name;
    int tag;
    ui::TRadioButton* L::*radio;
};
const EffectShapeRow kEffectShapes[3] = {
    {&L::ShapeSingleColor, L"ShapeSingleColor", 102, &L::RadioButtonOn},
    {&L::ShapeBlinkingColor, L"ShapeBlinkingColor", 103, &L::RadioButtonBlinking},
    {&L::ShapeBreatheColor, L"ShapeBreatheColor", 104, &L::RadioButtonBreathe},
};

template <typename T>
T* Make(ui::TComponent* owner, ui::TWinControl* parent, const wchar_t* name, RECT bounds, int tag = 0) {
    T* control = new T(owner);
    control->SetName(name);
    control->SetTag(tag);
    control->SetParent(parent);
    control->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    return control;
}

}  // namespace

TLEDForm::TLEDForm(ui::TComponent* owner) : ui::TForm(owner, L"TLEDForm") {
    SetName(L"LEDForm");
    SetCaption(L"LEDForm");
    SetBorderStyle(ui::TFormBorderStyle::bsDialog);
    SetPosition(ui::TPosition::poScreenCenter);
    SetClientSize(517, 548);
    Font().SetName(L"Tahoma");
    BuildComponents();
    OnShow = [this](ui::TObject* sender) { FormShow(sender); };
    OnClose = [this](ui::TObject* sender, ui::TCloseAction& action) { FormClose(sender, action); };
    OnDestroy = [this](ui::TObject* sender) { FormDestroy(sender); };
}

TLEDForm::~TLEDForm() {
    StopCommandWorker();
    if (LEDForm == this) LEDForm = nullptr;
}

void TLEDForm::BuildComponents() {
    using namespace std::placeholders;
    GroupBoxColor = Make<ui::TGroupBox>(this, this, L"GroupBoxColor", {8, 8, 501, 76});
    GroupBoxColor->SetCaption(L"Color set");
    ButtonSetColor = Make<ui::TButton>(this, GroupBoxColor, L"ButtonSetColor", {16, 30, 100, 25});
    ButtonSetColor->SetCaption(L"Select Color");
    ButtonSetColor->OnClick = std::bind(&L::ButtonSetColorClick, this, _1);
    for (int slot = 1; slot <= 7; ++slot) {
        wchar_t name[16];
        std::swprintf(name, 16, L"Shape%d", slot);
        ui::TShape* shape = Make<ui::TShape>(this, GroupBoxColor, name, {136 + (slot - 1) * 48, 26, 33, 33}, slot);
        shape->OnMouseDown = std::bind(&L::ShapeMouseDown, this, _1, _2, _3, _4, _5);
    }

    GroupBoxBrightness = Make<ui::TGroupBox>(this, this, L"GroupBoxBrightness", {8, 90, 501, 64});
    GroupBoxBrightness->SetCaption(L"Brightness");
    LabelBrightness = Make<ui::TLabel>(this, GroupBoxBrightness, L"LabelBrightness", {16, 30, 80, 16});
    LabelBrightness->SetCaption(L"Brightness :");
    TrackBarBrightness = Make<ui::TTrackBar>(this, GroupBoxBrightness, L"TrackBarBrightness", {112, 22, 370, 32});
    TrackBarBrightness->SetRange(1, 6);
    TrackBarBrightness->SetPosition(1);
    TrackBarBrightness->OnChange = std::bind(&L::TrackBarBrightnessChange, this, _1);

    GroupBoxEffect = Make<ui::TGroupBox>(this, this, L"GroupBoxEffect", {8, 160, 501, 256});
    GroupBoxEffect->SetCaption(L"Effect setting");
    for (int mode = 1; mode <= 7; ++mode) {
        const ModeRow& row = kModes[mode - 1];
        const int top = kEffectRadioTop + (mode - 1) * kEffectRadioStep;
        ui::TRadioButton* radio =
            Make<ui::TRadioButton>(this, GroupBoxEffect, row.name, {kEffectRadioLeft, top, 92, 20}, mode);
        radio->SetCaption(row.caption);
        this->*row.radio = radio;
        if (mode == 1) radio->OnMouseDown = std::bind(&L::RadioButtonOffMouseDown, this, _1, _2, _3, _4, _5);
        else if (mode == 2) radio->OnMouseDown = std::bind(&L::RadioButtonOnMouseDown, this, _1, _2, _3, _4, _5);
        else radio->OnMouseDown = std::bind(&L::RadioButtonMouseDown, this, _1, _2, _3, _4, _5);
        if (!row.bar) continue;
        ui::TTrackBar* bar = Make<ui::TTrackBar>(this, GroupBoxEffect, row.barName, {112, top, 250, 28}, mode);
        bar->SetRange(1, 255);
        bar->SetPageSize(1);
        bar->SetPosition(1);
        bar->OnChange = std::bind(&L::TrackBarEffectChange, this, _1);
        this->*row.bar = bar;
    }
    RadioButtonOff->SetChecked(true);
    for (const EffectShapeRow& row : kEffectShapes) {
        ui::TShape* shape = Make<ui::TShape>(this, GroupBoxEffect, row.name, {376, 0, 24, 24}, row.tag);
        shape->OnMouseDown = std::bind(&L::SingleColorShapeMouseDown, this, _1, _2, _3, _4, _5);
        this->*row.shape = shape;
    }

    GroupBoxLEDNumber = Make<ui::TGroupBox>(this, this, L"GroupBoxLEDNumber", {8, 422, 248, 64});
    GroupBoxLEDNumber->SetCaption(L"LED Number");
    RadioButtonLED1 = Make<ui::TRadioButton>(this, GroupBoxLEDNumber, L"RadioButtonLED1", {16, 30, 64, 20});
    RadioButtonLED1->SetCaption(L"LED1");
    RadioButtonLED1->OnClick = std::bind(&L::RadioButtonLED1Click, this, _1);
    RadioButtonLED2 = Make<ui::TRadioButton>(this, GroupBoxLEDNumber, L"RadioButtonLED2", {88, 30, 64, 20});
    RadioButtonLED2->SetCaption(L"LED2");
    RadioButtonLED2->OnClick = std::bind(&L::RadioButtonLED2Click, this, _1);
    RadioButtonAllLED = Make<ui::TRadioButton>(this, GroupBoxLEDNumber, L"RadioButtonAllLED", {160, 30, 80, 20});
    RadioButtonAllLED->SetCaption(L"LED All");
    RadioButtonAllLED->SetChecked(true);
    RadioButtonAllLED->OnClick = std::bind(&L::RadioButtonAllLEDClick, this, _1);

    GroupBoxMS = Make<ui::TGroupBox>(this, this, L"GroupBoxMS", {262, 422, 247, 64});
    GroupBoxMS->SetCaption(L"Master / Slave");
    RadioButtonMaster = Make<ui::TRadioButton>(this, GroupBoxMS, L"RadioButtonMaster", {16, 30, 80, 20});
    RadioButtonMaster->SetCaption(L"Master");
    RadioButtonMaster->SetChecked(true);
    RadioButtonSlave = Make<ui::TRadioButton>(this, GroupBoxMS, L"RadioButtonSlave", {120, 30, 80, 20});
    RadioButtonSlave->SetCaption(L"Slave");

    ButtonClose = Make<ui::TButton>(this, this, L"ButtonClose", {417, 508, 92, 28});
    ButtonClose->SetCaption(L"Close");
    ButtonClose->OnClick = std::bind(&L::ButtonCloseClick, this, _1);
    ColorDialog = new ui::TColorDialog(this);
    ColorDialog->SetName(L"ColorDialog");
}

// ---------------------------------------------------------------- lookups

ui::TShape* TLEDForm::FindShapeByTag(int tag) const { return led::FindByTag<ui::TShape>(this, tag, L"TShape"); }
ui::TTrackBar* TLEDForm::FindTrackBarByTag(int tag) const { return led::FindByTag<ui::TTrackBar>(this, tag, L"TTrackBar"); }
ui::TRadioButton* TLEDForm::FindRadioButtonByTag(int tag) const {
    return led::FindByTag<ui::TRadioButton>(this, tag, L"TRadioButton");
}

// ---------------------------------------------------------------- exports

bool TLEDForm::Master() const { return RadioButtonMaster->Checked(); }

void TLEDForm::SendStep() {
    if (Master()) fnDLLKQ_SetRGB_Step(m_byController, 7, m_iWaitArg);
    else fnDLLKQ_UsbHidSlave_SetRGB_Step_Ex(7, m_iWaitArg);
}

void TLEDForm::SendMode(UINT led, int mode, int speed) {
    const BYTE l = static_cast<BYTE>(led), m = static_cast<BYTE>(mode), s = static_cast<BYTE>(speed);
    if (Master()) fnDLLKQ_SetRGB_Mode(m_byController, l, m, s, m_iWaitArg);
    else fnDLLKQ_UsbHidSlave_SetRGB_Mode_Ex(l, m, s, m_iWaitArg);
}

void TLEDForm::SendSlotColour(UINT led, UINT slot, ui::TColor c) {
    const BYTE l = static_cast<BYTE>(led), s = static_cast<BYTE>(slot);
    if (Master()) fnDLLKQ_SetRGB_Color(m_byController, l, s, Red(c), Green(c), Blue(c), m_iWaitArg);
    else fnDLLKQ_UsbHidSlave_SetRGB_Color_Ex(l, s, Red(c), Green(c), Blue(c), m_iWaitArg);
}

void TLEDForm::SendEffectColour(UINT led, int mode, ui::TColor c) {
    const BYTE l = static_cast<BYTE>(led), m = static_cast<BYTE>(mode);
    if (Master()) fnDLLKQ_SetRGB_SingleColor(m_byController, l, m, Red(c), Green(c), Blue(c), m_iWaitArg);
    else fnDLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex(l, m, Red(c), Green(c), Blue(c), m_iWaitArg);
}

void TLEDForm::SendBrightness(UINT led, int level) {
    const BYTE l = static_cast<BYTE>(led), b = static_cast<BYTE>(level);
    if (Master()) fnDLLKQ_SetRGB_Brightness(m_byController, l, b, m_iWaitArg);
    else fnDLLKQ_UsbHidSlave_SetRGB_Brightness_Ex(l, b, m_iWaitArg);
}

// ---------------------------------------------------------------- the worker

void TLEDForm::PublishCommand() {
    std::lock_guard<std::mutex> lock(m_CommandLock);
    m_Command.mode = m_iLEDMode;
    for (int i = 0; i < 5; ++i) m_Command.speed[i] = m_bySpeed[i];
    m_Command.ledNumber = m_iLEDNumber;
    m_Command.master = Master();
    m_Command.controller = m_byController;
    m_Command.wait = m_iWaitArg;
}

void TLEDForm::WakeWorker() {
    PublishCommand();
    if (LEDCommandEvent) ::SetEvent(LEDCommandEvent);
}

unsigned __stdcall TLEDForm::LEDCommandThread(void* argument) {
    auto* form = static_cast<TLEDForm*>(argument);
    const HANDLE wake = LEDCommandEvent;
    for (;;) {
        ::WaitForSingleObject(wake, INFINITE);
        if (form->m_bStopWorker) break;
        ::Sleep(500);
        if (form->m_bStopWorker) break;
        ::OutputDebugStringW(L"LEDCommandThread");
        COMMAND_STATE c;
        {
            std::lock_guard<std::mutex> lock(form->m_CommandLock);
            c = form->m_Command;
        }
        const BYTE speed = c.mode > 2 && c.mode <= 7 ? c.speed[c.mode - 3] : 0;
        const BYTE led = static_cast<BYTE>(c.ledNumber), mode = static_cast<BYTE>(c.mode);
        if (c.master) fnDLLKQ_SetRGB_Mode(c.controller, led, mode, speed, c.wait);
        else fnDLLKQ_UsbHidSlave_SetRGB_Mode_Ex(led, mode, speed, c.wait);
    }
    return 0;
}

void TLEDForm::StopCommandWorker() {
    if (!m_hCommandThread) return;
    m_bStopWorker = true;
    ::SetEvent(LEDCommandEvent);
    ::WaitForSingleObject(m_hCommandThread, INFINITE);
    ::CloseHandle(m_hCommandThread);
    m_hCommandThread = nullptr;
    m_bWorkerEnded = true;
    ::CloseHandle(LEDCommandEvent);
    LEDCommandEvent = nullptr;
}

// ---------------------------------------------------------------- handlers

void TLEDForm::FormShow(ui::TObject*) {
    m_bShown = 1;
    m_byController = 0x3A;
    m_iColorSlot = 1;
    m_iLEDMode = 1;
    if (ui::TShape* first = FindShapeByTag(1)) led::MoveSelectionPen(nullptr, first, 2);
    PublishCommand();
    // One worker serves every showing of the dialog.
    if (!m_hCommandThread && !m_bWorkerEnded) {
        LEDCommandEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_hCommandThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, LEDCommandThread, this, 0, nullptr));
    }
    SendStep();
    for (int mode = 3; mode <= 7; ++mode) {
        ui::TRadioButton* radio = this->*kModes[mode - 1].radio;
        ui::TTrackBar* bar = this->*kModes[mode - 1].bar;
        bar->SetTop(radio->Top());
        bar->SetLeft(radio->Left() + 96);
    }
    for (const EffectShapeRow& row : kEffectShapes) {
        ui::TRadioButton* radio = this->*row.radio;
        (this->*row.shape)->SetTop(radio->Top());
        (this->*row.shape)->SetLeft(radio->Left() + 360);
    }
}

void TLEDForm::FormClose(ui::TObject*, ui::TCloseAction&) { m_bShown = 0; }

void TLEDForm::FormDestroy(ui::TObject*) {
    m_bShown = 0;
    StopCommandWorker();
}

void TLEDForm::ShapeMouseDown(ui::TObject* Sender, ui::TMouseButton, ui::TShiftState, int, int) {
    auto* shape = dynamic_cast<ui::TShape*>(Sender);
    if (!shape) return;
    led::MoveSelectionPen(FindShapeByTag(static_cast<int>(m_iColorSlot)), shape, 2);
    m_iColorSlot = static_cast<UINT>(shape->Tag());
}

void TLEDForm::ButtonSetColorClick(ui::TObject*) {
    // The dialog opens on the slot's colour.
    ui::TShape* shape = FindShapeByTag(static_cast<int>(m_iColorSlot));
    if (shape) ColorDialog->SetColor(shape->Brush().Color());
    if (!ColorDialog->Execute()) return;
    const ui::TColor colour = ColorDialog->Color();
    if (shape) shape->Brush().SetColor(colour);
    SendSlotColour(LEDOrFirst(), m_iColorSlot, colour);
}

void TLEDForm::SingleColorShapeMouseDown(ui::TObject* Sender, ui::TMouseButton, ui::TShiftState, int, int) {
    auto* shape = dynamic_cast<ui::TShape*>(Sender);
    if (!shape) return;
    m_iLEDMode = shape->Tag() - 100;
    PublishCommand();
    ColorDialog->SetColor(shape->Brush().Color());
    if (!ColorDialog->Execute()) return;
    const ui::TColor colour = ColorDialog->Color();
    shape->Brush().SetColor(colour);
    SendEffectColour(LEDOrFirst(), m_iLEDMode, colour);
    WakeWorker();
    if (ui::TRadioButton* radio = FindRadioButtonByTag(m_iLEDMode)) radio->SetChecked(true);
}

void TLEDForm::ChooseMode(int mode, int speed) {
    const bool wasOff = m_iLEDMode == 1;
    m_iLEDMode = mode;
    PublishCommand();
    SendMode(m_iLEDNumber, mode, speed);
    ::Sleep(500);
    if (wasOff) SendMode(m_iLEDNumber, 1, 0);
}

void TLEDForm::RadioButtonMouseDown(ui::TObject* Sender, ui::TMouseButton, ui::TShiftState, int, int) {
    auto* radio = dynamic_cast<ui::TRadioButton*>(Sender);
    if (!radio) return;
    ui::TTrackBar* bar = FindTrackBarByTag(radio->Tag());
    ChooseMode(radio->Tag(), bar ? bar->Position() : 0);
}

void TLEDForm::RadioButtonOnMouseDown(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) { ChooseMode(2, 0); }

void TLEDForm::RadioButtonOffMouseDown(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) {
    m_iLEDMode = 1;
    PublishCommand();
    SendMode(m_iLEDNumber, 1, Master() ? 1 : 0);
}

void TLEDForm::TrackBarEffectChange(ui::TObject* Sender) {
    auto* bar = dynamic_cast<ui::TTrackBar*>(Sender);
    if (!bar || bar->Tag() != m_iLEDMode || m_iLEDMode < 3 || m_iLEDMode > 7) return;
    m_bySpeed[m_iLEDMode - 3] = static_cast<BYTE>(bar->Position());
    WakeWorker();
}

void TLEDForm::TrackBarBrightnessChange(ui::TObject*) { SendBrightness(m_iLEDNumber, TrackBarBrightness->Position()); }

void TLEDForm::RadioButtonLED1Click(ui::TObject*) {
    m_iLEDNumber = 1;
    PublishCommand();
}

void TLEDForm::RadioButtonLED2Click(ui::TObject*) {
    m_iLEDNumber = 2;
    PublishCommand();
}

void TLEDForm::RadioButtonAllLEDClick(ui::TObject*) {
    m_iLEDNumber = 0;
    PublishCommand();
}

void TLEDForm::ButtonCloseClick(ui::TObject*) { Close(); }
