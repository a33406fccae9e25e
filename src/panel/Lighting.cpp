// The lighting page and its LED effects: off, single colour, breathe, rainbow
// and multi-breathe with their colours and speeds, sent through the device
// library's "_ById" RGB exports; the lighting thread that repeats the current
// effect; the LED button's GPIO line.
//
// Threads: every handler here runs on the main thread. The lighting thread
// reads nothing of the window: what it sends comes from m_LEDState, copied
// from the members under m_LEDStateLock (PublishLEDState). It ends in
// StopLightingThread, before the window goes away.
#include <process.h>

#include <algorithm>
#include <cstdlib>

#include "panel/AudioMainForm.h"
#include "panel/LEDColours.h"
#include "panel/PanelForms.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/HidDevice.h"

namespace {

using F = TAudioMainForm;

constexpr BYTE kController = 0x3A;
constexpr DWORD kValue = 50;
constexpr BYTE kDeviceIndex = 0;
constexpr int kSlotShapeFirst = 151, kSlotShapeLast = 157, kBreatheShape = 183, kSingleShape = 184;

// The rainbow's fixed colours of slots 1 to 7.
const ui::TColor kRainbowColours[7] = {16248841, 653225, 16059125, 653225, 16248841, 16059125, 653225};

using led::Blue;
using led::Green;
using led::Red;

// A failed call is made once more after 10 ms; the second result is not
// looked at.
template <typename Call>
int WithOneRetry(Call call) {
    int ret = call();
    if (ret != 0) {
        ::Sleep(10);
        call();
    }
    return ret;
}

int SendMode(BYTE mode, int speed) {
    return WithOneRetry([&] {
        return fnDLLKQ_SetRGB_Mode_ById(kController, 0, mode, static_cast<BYTE>(speed), kValue, kDeviceIndex);
    });
}

int SendSlotColourOnce(int slot, ui::TColor c) {
    return fnDLLKQ_SetRGB_Color_ById(kController, 1, static_cast<BYTE>(slot), Red(c), Green(c), Blue(c), kValue,
                                     kDeviceIndex);
}

int SendSlotColour(int slot, ui::TColor c) {
    return WithOneRetry([&] { return SendSlotColourOnce(slot, c); });
}

int SendEffectColourOnce(BYTE mode, ui::TColor c) {
    return fnDLLKQ_SetRGB_SingleColor_ById(kController, 1, mode, Red(c), Green(c), Blue(c), kValue, kDeviceIndex);
}

// The three effects with a speed: 1 breathe, 2 rainbow, 3 multi-breathe.
struct LEDEffectRow {
    BYTE mode;
    const wchar_t* bar;
    const wchar_t* slider;
    const wchar_t* sliderUp;
    const wchar_t* sliderDown;
    const wchar_t* check;
    const wchar_t* checkUp;
    const wchar_t* checkDown;
    int F::*speed;
    int F::*position;
};
const LEDEffectRow kEffects[3] = {
    {4, L"ColorBreatheBarImage", L"ColorBreatheSliderImage", L"ColorBreatheSliderUpImage",
     L"ColorBreatheSliderDownImage", L"ColorBreatheCheckImage", L"ColorBreatheCheckUpImage",
     L"ColorBreatheCheckDownImage", &F::m_iLEDBreatheSpeed, &F::m_iLEDBreatheSliderPos},
    {5, L"ColorRainbowBarImage", L"ColorRainbowSliderImage", L"ColorRainbowSliderUpImage",
     L"ColorRainbowSliderDownImage", L"ColorRainbowCheckImage", L"ColorRainbowCheckUpImage",
     L"ColorRainbowCheckDownImage", &F::m_iLEDRainbowSpeed, &F::m_iLEDRainbowSliderPos},
    {6, L"ColorPulsatingBarImage", L"ColorPulsatingSliderImage", L"ColorPulsatingSliderUpImage",
     L"ColorPulsatingSliderDownImage", L"ColorPulsatingCheckImage", L"ColorPulsatingCheckUpImage",
     L"ColorPulsatingCheckDownImage", &F::m_iLEDMultiBreatheSpeed, &F::m_iLEDMultiBreatheSliderPos},
};

// The speed a slider's place gives, 1..255 (scale: p = 1..100 of the bar's
// travel); false when the bar is no wider than its slider.
bool SpeedAt(int offset, int travel, int fastRightSide, int& speed) {
    if (travel <= 0) return false;
    int p = std::clamp(std::abs(offset) * 100 / travel, 1, 100);
    int v = std::clamp(p * 255 / 100, 1, 255);
    speed = fastRightSide == 1 ? std::max(255 - v, 1) : v;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- wiring

void TAudioMainForm::WireLightingControls() {
    using namespace std::placeholders;
    for (const wchar_t* name : {L"Color01Shape", L"Color02Shape", L"Color03Shape", L"Color04Shape", L"Color05Shape",
                                L"Color06Shape", L"Color07Shape", L"Color08Shape", L"Color09Shape", L"Color10Shape",
                                L"ColorBreatheShape", L"ColorSingleShape"})
        Shape(name)->OnMouseDown = std::bind(&F::OnShapeMouseDown, this, _1, _2, _3, _4, _5);
    struct Click {
        const wchar_t* name;
        void (F::*handler)(ui::TObject*);
    };
    const Click clicks[] = {{L"ColorLEDOffCheckImage", &F::ColorLEDOffCheckImageClick},
                            {L"ColorSingleCheckImage", &F::ColorSingleCheckImageClick},
                            {L"ColorBreatheCheckImage", &F::ColorBreatheCheckImageClick},
                            {L"ColorRainbowCheckImage", &F::ColorRainbowCheckImageClick},
                            {L"ColorPulsatingCheckImage", &F::ColorPulsatingCheckImageClick}};
    for (const Click& c : clicks) Image(c.name)->OnClick = std::bind(c.handler, this, _1);
    struct Slider {
        const wchar_t* name;
        void (F::*down)(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int);
        void (F::*move)(ui::TObject*, ui::TShiftState, int, int);
        void (F::*up)(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int);
    };
    const Slider sliders[] = {
        {L"ColorBreatheSliderImage", &F::ColorBreatheSliderImageMouseDown, &F::ColorBreatheSliderImageMouseMove,
         &F::ColorBreatheSliderImageMouseUp},
        {L"ColorRainbowSliderImage", &F::ColorRainbowSliderImageMouseDown, &F::ColorRainbowSliderImageMouseMove,
         &F::ColorRainbowSliderImageMouseUp},
        {L"ColorPulsatingSliderImage", &F::ColorPulsatingSliderImageMouseDown, &F::ColorPulsatingSliderImageMouseMove,
         &F::ColorPulsatingSliderImageMouseUp}};
    for (const Slider& s : sliders) {
        ui::TImage* image = Image(s.name);
        image->OnMouseDown = std::bind(s.down, this, _1, _2, _3, _4, _5);
        image->OnMouseMove = std::bind(s.move, this, _1, _2, _3, _4);
        image->OnMouseUp = std::bind(s.up, this, _1, _2, _3, _4, _5);
    }
}

// ---------------------------------------------------------------- the page

void TAudioMainForm::PageLEDClick(ui::TObject*) {
    if (m_iLEDPageMode == 1) RefreshLEDPage();
    else if (m_iLEDPageMode != 0 && LEDForm) LEDForm->ShowModal();
}

void TAudioMainForm::PageLEDLabelClick(ui::TObject*) {
    if (m_iLEDPageMode == 1) RefreshLEDPage();
    else if (LEDForm) LEDForm->ShowModal();
}

void TAudioMainForm::ShowLEDEffectPictures() {
    for (int e = 1; e <= 3; ++e) {
        const LEDEffectRow& row = kEffects[e - 1];
        const bool chosen = m_iLEDEffectMode == e;
        LoadSkinImage(SkinEntry(chosen ? row.checkDown : row.checkUp), Image(row.check));
        LoadSkinImage(SkinEntry(chosen ? row.sliderDown : row.sliderUp), Image(row.slider));
    }
}

void TAudioMainForm::RefreshLEDPage() {
    if (m_iLEDPageMode == 0) return;
    int barLeft[3];
    for (int e = 0; e < 3; ++e) barLeft[e] = Image(kEffects[e].bar)->Left();
    if (m_bLEDOff == 1) {
        LoadSkinImage(SkinEntry(L"ColorLEDOffCheckDownImage"), Image(L"ColorLEDOffCheckImage"));
        m_byLEDMode = 1;
        SendMode(1, 1);
        m_iLEDEffectMode = 0;
        m_bLEDSingleColor = 0;
    } else {
        LoadSkinImage(SkinEntry(L"ColorLEDOffCheckUpImage"), Image(L"ColorLEDOffCheckImage"));
    }
    ui::Application->ProcessMessages();
    ShowLEDEffectPictures();
    if (m_iLEDEffectMode >= 1 && m_iLEDEffectMode <= 3) {
        m_bLEDSingleColor = 0;
        m_byLEDMode = kEffects[m_iLEDEffectMode - 1].mode;
    }
    for (int e = 0; e < 3; ++e) Image(kEffects[e].slider)->SetLeft(std::max(this->*kEffects[e].position, barLeft[e]));
    LoadSkinImage(SkinEntry(m_bLEDSingleColor == 1 ? L"ColorSingleCheckDownImage" : L"ColorSingleCheckUpImage"),
                  Image(L"ColorSingleCheckImage"));
    PublishLEDState();
    ui::Application->ProcessMessages();
    ::Sleep(10);
    SendLEDSingleColor();
    SendLEDBreathe();
    SendLEDRainbowOrMulti();
    PublishLEDState();
    ui::Application->ProcessMessages();
}

void TAudioMainForm::SendLEDSingleColor() {
    if (m_bLEDSingleColor != 1) return;
    m_byLEDMode = 2;
    SendMode(2, 0);
    ::Sleep(10);
    WithOneRetry([this] { return SendEffectColourOnce(2, m_LEDColor[0]); });
}

void TAudioMainForm::SendLEDBreathe() {
    if (m_iLEDEffectMode != 1) return;
    m_byLEDMode = 4;
    SendMode(4, m_iLEDBreatheSpeed);
    ::Sleep(10);
    WithOneRetry([this] { return SendEffectColourOnce(4, m_LEDColor[1]); });
}

void TAudioMainForm::SendLEDRainbowOrMulti() {
    if (m_iLEDEffectMode != 2 && m_iLEDEffectMode != 3) return;
    const LEDEffectRow& row = kEffects[m_iLEDEffectMode - 1];
    m_byLEDMode = row.mode;
    SendMode(row.mode, this->*row.speed);
}

// ---------------------------------------------------------------- the five choices

void TAudioMainForm::ColorLEDOffCheckImageClick(ui::TObject*) {
    LoadSkinImage(SkinEntry(L"ColorLEDOffCheckDownImage"), Image(L"ColorLEDOffCheckImage"));
    m_bLEDOff = 1;
    RefreshLEDPage();
    m_byLEDMode = 1;
    SendMode(1, 1);
    PublishLEDState();
}

void TAudioMainForm::ColorSingleCheckImageClick(ui::TObject*) {
    LoadSkinImage(SkinEntry(L"ColorSingleCheckDownImage"), Image(L"ColorSingleCheckImage"));
    m_bLEDSingleColor = 1;
    m_bLEDOff = 0;
    m_iLEDEffectMode = 0;
    RefreshLEDPage();
}

void TAudioMainForm::ColorBreatheCheckImageClick(ui::TObject*) { ChooseLEDEffect(1); }
void TAudioMainForm::ColorRainbowCheckImageClick(ui::TObject*) { ChooseLEDEffect(2); }
void TAudioMainForm::ColorPulsatingCheckImageClick(ui::TObject*) { ChooseLEDEffect(3); }

void TAudioMainForm::ChooseLEDEffect(int effect) {
    const LEDEffectRow& row = kEffects[effect - 1];
    m_iLEDEffectMode = effect;
    m_bLEDOff = 0;
    RefreshLEDPage();
    m_byLEDMode = row.mode;
    if (effect != 1) {
        // Rainbow: its fixed colours; multi-breathe: the user's seven.
        for (int slot = 1; slot <= 7; ++slot) {
            SendSlotColour(slot, effect == 2 ? kRainbowColours[slot - 1] : m_LEDColor[static_cast<size_t>(slot) + 1]);
            ::Sleep(8);
        }
    }
    SendMode(row.mode, this->*row.speed);
    ::Sleep(10);
    PublishLEDState();
}

// ---------------------------------------------------------------- colours

void TAudioMainForm::OnShapeMouseDown(ui::TObject* Sender, ui::TMouseButton, ui::TShiftState, int, int) {
    ::OutputDebugStringW(L"TAudioMainForm::OnShapeMouseDown");
    auto* shape = dynamic_cast<ui::TShape*>(Sender);
    if (!shape) return;
    led::MoveSelectionPen(FindShapeByTag(m_iSelectedColorShape), shape, 3);
    const int tag = shape->Tag();
    m_iSelectedColorShape = tag;

    // The dialog opens on the shape's colour.
    ColorDialog->SetColor(shape->Brush().Color());
    const ui::TColor colour = ColorDialog->Execute() ? ColorDialog->Color() : 0;
    if (colour == 0) return;  // cancelled, or black: nothing changes
    if (tag >= kSlotShapeFirst && tag <= kSlotShapeLast) {
        const int slot = tag - kSlotShapeFirst + 1;
        shape->Brush().SetColor(colour);
        m_LEDColor[static_cast<size_t>(slot) + 1] = colour;
        if (m_iLEDEffectMode == 3 && SendSlotColourOnce(slot, colour) != 0) ::Sleep(10);
    } else if (tag == kBreatheShape) {
        m_byLEDMode = 4;
        shape->Brush().SetColor(colour);
        m_LEDColor[1] = colour;
        if (SendEffectColourOnce(4, colour) != 0) ::Sleep(100);
    } else if (tag == kSingleShape) {
        m_byLEDMode = 2;
        shape->Brush().SetColor(colour);
        m_LEDColor[0] = colour;
        WithOneRetry([&] { return SendEffectColourOnce(2, colour); });
    }
    PublishLEDState();
}

// ---------------------------------------------------------------- speed sliders

void TAudioMainForm::LEDSliderMouseDown(int effect, ui::TMouseButton button) {
    if (button != ui::mbLeft) return;
    ui::TImage* slider = Image(kEffects[effect - 1].slider);
    ::GetCursorPos(&m_ptDragCursor);
    m_pDragControl = ControlAtPos(ScreenToClient(m_ptDragCursor), true, false, true);
    if (!m_pDragControl) return;
    m_bDragging = true;
    m_iDragMode = dmNone;
    m_iDragStartLeft = slider->Left();
    m_iDragStartTop = slider->Top();
}

void TAudioMainForm::LEDSliderMouseMove(int effect) {
    if (!m_bDragging) return;
    const LEDEffectRow& row = kEffects[effect - 1];
    ui::TImage* bar = Image(row.bar);
    ui::TImage* slider = Image(row.slider);
    POINT cursor;
    ::GetCursorPos(&cursor);
    const int travel = bar->Width() - slider->Width();
    int x = m_iDragStartLeft + (cursor.x - m_ptDragCursor.x);
    x = std::min(x, bar->Left() + travel);
    x = std::max(x, bar->Left());
    slider->SetLeft(x == bar->Left() ? x : x + 3);
    this->*row.position = slider->Left();
    // A skin whose bar is no wider than its slider leaves the speed as it was.
    SpeedAt(x - bar->Left(), travel, m_iLEDFastRightSide, this->*row.speed);
}

void TAudioMainForm::LEDSliderMouseUp(int effect, ui::TMouseButton button) {
    if (m_iLEDEffectMode == effect) {
        WakeLEDEffectThread();
        ::Sleep(10);
        ChooseLEDEffect(effect);
    }
    PublishLEDState();
    if (button == ui::mbLeft) {
        m_bDragging = false;
        m_pDragControl = nullptr;
    }
}

void TAudioMainForm::ColorBreatheSliderImageMouseDown(ui::TObject*, ui::TMouseButton b, ui::TShiftState, int, int) {
    LEDSliderMouseDown(1, b);
}
void TAudioMainForm::ColorBreatheSliderImageMouseMove(ui::TObject*, ui::TShiftState, int, int) { LEDSliderMouseMove(1); }
void TAudioMainForm::ColorBreatheSliderImageMouseUp(ui::TObject*, ui::TMouseButton b, ui::TShiftState, int, int) {
    LEDSliderMouseUp(1, b);
}
void TAudioMainForm::ColorRainbowSliderImageMouseDown(ui::TObject*, ui::TMouseButton b, ui::TShiftState, int, int) {
    LEDSliderMouseDown(2, b);
}
void TAudioMainForm::ColorRainbowSliderImageMouseMove(ui::TObject*, ui::TShiftState, int, int) { LEDSliderMouseMove(2); }
void TAudioMainForm::ColorRainbowSliderImageMouseUp(ui::TObject*, ui::TMouseButton b, ui::TShiftState, int, int) {
    LEDSliderMouseUp(2, b);
}
void TAudioMainForm::ColorPulsatingSliderImageMouseDown(ui::TObject*, ui::TMouseButton b, ui::TShiftState, int, int) {
    LEDSliderMouseDown(3, b);
}
void TAudioMainForm::ColorPulsatingSliderImageMouseMove(ui::TObject*, ui::TShiftState, int, int) {
    LEDSliderMouseMove(3);
}
void TAudioMainForm::ColorPulsatingSliderImageMouseUp(ui::TObject*, ui::TMouseButton b, ui::TShiftState, int, int) {
    LEDSliderMouseUp(3, b);
}

void TAudioMainForm::ComputeLEDSpeeds() {
    const bool fastRight = m_iLEDFastRightSide == 1;
    for (const LEDEffectRow& row : kEffects) {
        ui::TImage* bar = Image(row.bar);
        ui::TImage* slider = Image(row.slider);
        const int travel = bar->Width() - slider->Width();
        const int left = slider->Left();
        int& speed = this->*row.speed;
        if (left == bar->Left()) {
            speed = fastRight ? 255 : 1;
        } else if (left == bar->Left() + travel) {
            speed = fastRight ? 1 : 255;
        } else if (travel > 0) {
            int p = std::clamp((left - bar->Left()) * 100 / travel, 1, 100);
            int v = p * 255 / 100;
            speed = fastRight ? 255 - v : v;
            if (speed == 0) speed = 1;
        }
    }
}

// ---------------------------------------------------------------- profile, off, GPIO

void TAudioMainForm::LoadLEDUI() {
    const std::wstring& file = m_LastProfilePath;
    // A value counts when it is not empty; its first 127 characters are read.
    auto read = [&](const wchar_t* key, std::wstring& value) {
        ReadIniString(file, L"LED", key, value);
        if (value.size() > 127) value.resize(127);
        return !value.empty();
    };
    auto number = [&](const wchar_t* key, int& member) {
        std::wstring value;
        if (read(key, value)) member = ui::StrToIntDef(value, member);
        return !value.empty();
    };
    auto check = [this](const wchar_t* image, int on, const wchar_t* down, const wchar_t* up) {
        LoadSkinImage(SkinEntry(on == 1 ? down : up), Image(image));
    };
    number(L"LEDPageMode", m_iLEDPageMode);
    if (number(L"LEDOff", m_bLEDOff))
        check(L"ColorLEDOffCheckImage", m_bLEDOff, L"ColorLEDOffCheckDownImage", L"ColorLEDOffCheckUpImage");
    if (number(L"LEDSingleColor", m_bLEDSingleColor))
        check(L"ColorSingleCheckImage", m_bLEDSingleColor, L"ColorSingleCheckDownImage", L"ColorSingleCheckUpImage");
    if (number(L"LEDEffectMode", m_iLEDEffectMode)) ShowLEDEffectPictures();
    const wchar_t* const speedKeys[3] = {L"LEDBreatheSpeed", L"LEDRainbowSpeed", L"LEDMultiBreatheSpeed"};
    const wchar_t* const positionKeys[3] = {L"LEDBreatheSliderPos", L"LEDRainbowSliderPos", L"LEDMultiBreatheSliderPos"};
    for (int e = 0; e < 3; ++e) {
        const LEDEffectRow& row = kEffects[e];
        int& speed = this->*row.speed;
        if (number(speedKeys[e], speed)) speed = std::clamp(speed, 1, 255);
        // A place on the bar, as far as a drag can put the slider.
        int& position = this->*row.position;
        if (number(positionKeys[e], position)) {
            ui::TImage* bar = Image(row.bar);
            const int last = bar->Left() + std::max(bar->Width() - Image(row.slider)->Width(), 0) + 3;
            position = std::clamp(position, bar->Left(), last);
        }
    }
    struct ColourKey {
        const wchar_t* key;
        const wchar_t* shape;
    };
    const ColourKey colours[9] = {{L"LEDSingleColorRGB", L"ColorSingleShape"}, {L"LEDBreatheColorRGB", L"ColorBreatheShape"},
                                  {L"LEDColor1RGB", L"Color01Shape"},          {L"LEDColor2RGB", L"Color02Shape"},
                                  {L"LEDColor3RGB", L"Color03Shape"},          {L"LEDColor4RGB", L"Color04Shape"},
                                  {L"LEDColor5RGB", L"Color05Shape"},          {L"LEDColor6RGB", L"Color06Shape"},
                                  {L"LEDColor7RGB", L"Color07Shape"}};
    for (size_t i = 0; i < 9; ++i) {
        int value = static_cast<int>(m_LEDColor[i]);
        if (!number(colours[i].key, value)) continue;
        m_LEDColor[i] = static_cast<ui::TColor>(value) & 0xFFFFFF;
        Shape(colours[i].shape)->Brush().SetColor(m_LEDColor[i]);
    }
    number(L"LEDFastRightSide", m_iLEDFastRightSide);
    PublishLEDState();
    if (m_bDeviceActive == 1 && m_iLEDPageMode == 1) WakeLEDEffectThread();
}

int TAudioMainForm::SetLEDOff() {
    m_byLEDMode = 1;
    int ret = SendMode(1, 1);
    ::Sleep(10);
    PublishLEDState();
    return ret;
}

namespace {

// One GPIO step on the device's HID interface, then the empty report: 0 done,
// 1 no HID interface, 2 the step's report failed, 3 the empty report failed.
template <typename Step>
int GpioStep(WORD vid, WORD pid, Step step) {
    device::DeviceHandle hid = OpenHidDevice(vid, pid);
    if (!hid) return 1;
    DeviceIoGuard whole;
    if (step(hid.get()) != 0) return 2;
    return HidSendEmptyReport(hid.get()) != 0 ? 3 : 0;
}

}  // namespace

int TAudioMainForm::SyncLEDGpio(int state) {
    return GpioStep(m_wVID, m_wPID, [state](HANDLE hid) {
        BYTE levels[kGpioCount] = {};
        return state == 0 ? HidSetGpioOutput(hid, levels) : HidGetGpioInput(hid, levels);
    });
}

int TAudioMainForm::SetLEDGpio(int on) {
    return GpioStep(m_wVID, m_wPID, [on](HANDLE hid) {
        BYTE levels[kGpioCount] = {};
        levels[0] = on != 0 ? 1 : 0;
        return HidSetGpioOutput(hid, levels);
    });
}

// ---------------------------------------------------------------- the lighting thread

void TAudioMainForm::InitMultiColorLED() {
    if (m_iLEDPageMode != 1 || m_bInitMultiColorLED != 1) return;
    // A device connected again before the thread sent its first colours:
    // the thread already running serves it.
    if (m_LEDThreadJoin) return;
    LEDEffectEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_bLEDThreadStop = false;
    m_bLEDIdle = false;
    PublishLEDState();
    m_hLEDThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, LEDEffectThread, this, 0, nullptr));
    if (m_hLEDThread)
        ::DuplicateHandle(::GetCurrentProcess(), m_hLEDThread, ::GetCurrentProcess(), m_LEDThreadJoin.put(), 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
    WithOneRetry([] { return fnDLLKQ_SetRGB_Step_ById(kController, 7, kValue, kDeviceIndex); });
    ::Sleep(20);
    WakeLEDEffectThread();
    ::Sleep(10);
    ui::Application->ProcessMessages();
    ComputeLEDSpeeds();
    PublishLEDState();
    // The thread may have taken the one-time colours meanwhile.
    if (m_bInitMultiColorLED.exchange(0) != 1) return;
    for (int slot = 1; slot <= 7; ++slot) {
        ::Sleep(20);
        SendSlotColour(slot, m_LEDColor[static_cast<size_t>(slot) + 1]);
        ::Sleep(10);
    }
}

void TAudioMainForm::PublishLEDState() {
    std::lock_guard<std::mutex> lock(m_LEDStateLock);
    m_LEDState.mode = m_byLEDMode;
    m_LEDState.speed[0] = m_iLEDBreatheSpeed;
    m_LEDState.speed[1] = m_iLEDRainbowSpeed;
    m_LEDState.speed[2] = m_iLEDMultiBreatheSpeed;
    for (size_t i = 0; i < 7; ++i) m_LEDState.slots[i] = m_LEDColor[i + 2];
    m_LEDState.byId = m_bLEDById;
}

void TAudioMainForm::WakeLEDEffectThread() {
    PublishLEDState();
    if (LEDEffectEvent) ::SetEvent(LEDEffectEvent);
}

unsigned __stdcall TAudioMainForm::LEDEffectThread(void* argument) {
    auto* form = static_cast<TAudioMainForm*>(argument);
    const HANDLE wake = LEDEffectEvent;
    BYTE selector = 0;  // the LED the thread addressed last
    for (;;) {
        ::OutputDebugStringW(L"WaitForSingleObject");
        ::WaitForSingleObject(wake, INFINITE);
        if (form->m_bLEDThreadStop) break;
        ::Sleep(100);
        if (form->m_bLEDThreadStop) break;
        if (form->m_bLEDIdle) continue;
        LED_EFFECT_STATE state;
        {
            std::lock_guard<std::mutex> lock(form->m_LEDStateLock);
            state = form->m_LEDState;
        }
        if (form->m_bInitMultiColorLED.exchange(0) == 1) {
            if (selector == 0) selector = 1;
            for (int slot = 1; slot <= 7; ++slot) {
                const ui::TColor c = state.slots[static_cast<size_t>(slot) - 1];
                ::Sleep(10);
                WithOneRetry([&] {
                    return state.byId == 1 ? fnDLLKQ_SetRGB_Color_ById(kController, selector, static_cast<BYTE>(slot),
                                                                       Red(c), Green(c), Blue(c), kValue, kDeviceIndex)
                                           : fnDLLKQ_UsbHidSlave_SetRGB_Color_Ex(selector, static_cast<BYTE>(slot),
                                                                                 Red(c), Green(c), Blue(c), kValue);
                });
                ::Sleep(10);
            }
        }
        ::OutputDebugStringW(L"LEDEffectThread");
        if (state.mode >= 4 && state.mode <= 6) {
            selector = 0;
            const BYTE speed = static_cast<BYTE>(state.speed[state.mode - 4]);
            WithOneRetry([&] {
                return state.byId == 1
                           ? fnDLLKQ_SetRGB_Mode_ById(kController, 0, state.mode, speed, kValue, kDeviceIndex)
                           : fnDLLKQ_UsbHidSlave_SetRGB_Mode_Ex(0, state.mode, speed, kValue);
            });
        }
    }
    return 0;
}

void TAudioMainForm::IdleLightingAfterRemoval() {
    if (!m_hLEDThread) return;
    m_bLEDIdle = true;
    ::CloseHandle(m_hLEDThread);
    m_hLEDThread = nullptr;
}

void TAudioMainForm::StopLightingThread() {
    if (m_LEDThreadJoin) {
        m_bLEDThreadStop = true;
        ::SetEvent(LEDEffectEvent);
        ::WaitForSingleObject(m_LEDThreadJoin.get(), INFINITE);
        m_LEDThreadJoin.reset();
    }
    if (LEDEffectEvent) {
        ::CloseHandle(LEDEffectEvent);
        LEDEffectEvent = nullptr;
    }
}
