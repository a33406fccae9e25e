// ENC, the device's noise cancelling: offered for a device whose IDs have a
// value under the installer's EncValueMap key, which also holds the level;
// switched by an audio command, its level sent inside the device's own ENC
// parameter block.
#include "panel/AudioMainForm.h"
#include "panel/device/AudioCommand.h"
#include "panel/device/DeviceLibrary.h"
#include "shared/DebugTrace.h"
#include "shared/Registry.h"

namespace {

constexpr int kENCLevelMax = 30;
constexpr size_t kLevelOffset = 8;  // of the level in the parameter block
constexpr size_t kEncStateBytes = 8;

std::wstring EncValueMapKey() { return std::wstring(kSettingsKey) + L"\\EncValueMap"; }

// The value name of a device: "VID_2F7B&PID_731F".
std::wstring EncValueName(WORD vendorId, WORD productId) {
    return trace::Format(L"VID_%.4X&PID_%.4X", vendorId, productId);
}

// Bytes 8..11 of the parameter block: the level, little-endian.
void PutLevel(std::array<BYTE, 16>& parameters, int level) {
    for (size_t i = 0; i < 4; ++i)
        parameters[kLevelOffset + i] = static_cast<BYTE>(static_cast<DWORD>(level) >> (8 * i));
}

int ClampLevel(long long level) {
    if (level < 0) return 0;
    return level > kENCLevelMax ? kENCLevelMax : static_cast<int>(level);
}

}  // namespace

// ---------------------------------------------------------------- level and slider position

int TAudioMainForm::ENCLevelFromTop(int top) const {
    const int height = m_iENCSliderHeight;
    if (height <= 0) return 0;  // a track without height has only level 0
    // The step is kept in single precision, as the level: the top of a track
    // whose height is no multiple of 30 can give 29.
    const float step = static_cast<float>(height * (1.0L / kENCLevelMax));
    const int bottom = m_iENCSliderTop + height;
    const float level = static_cast<float>(static_cast<long double>(bottom - top) / step);
    return ClampLevel(static_cast<long long>(level));
}

int TAudioMainForm::ENCTopFromLevel(int level) const {
    const int height = m_iENCSliderHeight;
    if (height <= 0) return m_iENCSliderTop;
    const float p = static_cast<float>(height * ClampLevel(level) * (1.0L / kENCLevelMax));
    return m_iENCSliderTop + static_cast<int>(height - p);
}

// ---------------------------------------------------------------- device and registry

int TAudioMainForm::LoadENCState() {
    if (!m_bDeviceActive) return 0;
    DWORD stored = 0;
    if (ReadRegistryDWORD(EncValueMapKey(), EncValueName(m_wVID, m_wPID), stored) != kRegRead) {
        m_bENCAvailable = 0;
        m_bENCEnable = 0;
        return 0;
    }
    m_bENCAvailable = 1;
    m_bENCEnable = 1;
    // A value out of range goes neither to the slider nor to the device; the
    // registry keeps it until the user releases the slider.
    m_iENCLevel = ClampLevel(static_cast<int>(stored));
    SetENCOnOff(1);
    m_EncParameters.fill(0);
    BYTE state[kEncStateBytes] = {};
    Qorv_AudioGetAll(AUDIO_FEATURE_ENC, AUDIO_CMD_GET_ALL, state, sizeof(state), m_EncParameters.data(),
                     static_cast<int>(m_EncParameters.size()));
    PutLevel(m_EncParameters, m_iENCLevel);
    SetENCParameters();
    if (ui::TLabel* value = Label(L"ENCValueLabel")) value->SetCaption(std::to_wstring(m_iENCLevel));
    if (ui::TImage* slider = Image(L"ENCSliderImage")) slider->SetTop(ENCTopFromLevel(m_iENCLevel));
    return 0;
}

int TAudioMainForm::SetENCOnOff(int on) {
    const int result = Qorv_AudioSetOnOff(AUDIO_FEATURE_ENC, AUDIO_CMD_ONOFF, static_cast<DWORD>(on));
    if (result != 0) Qorv_AudioSetOnOff(AUDIO_FEATURE_ENC, AUDIO_CMD_ONOFF, static_cast<DWORD>(on));
    return result;
}

int TAudioMainForm::SetENCParameters() {
    if (!fnDLLKQ_SetEnc_Parameters) return 1;
    return fnDLLKQ_SetEnc_Parameters(m_EncParameters.data());
}

int TAudioMainForm::SetENCGpioMode() {
    if (!fnDLLKQ_SetGpioModeEx_ById) return 1;
    return fnDLLKQ_SetGpioModeEx_ById(static_cast<BYTE>(m_iEncGpio), 0, 0) == 0 ? 0 : 1;
}

// ---------------------------------------------------------------- the page

void TAudioMainForm::RepaintImage(const wchar_t* key, ui::TImage* image) {
    if (!image) return;
    const bool visible = image->Visible();
    LoadSkinImage(SkinEntry(key), image);
    image->SetVisible(visible);
}

void TAudioMainForm::PaintENCButton(int on) {
    RepaintImage(on ? L"ENCFunctionDownImage" : L"ENCFunctionUpImage", Image(L"ENCFunctionImage"));
    const LANGUAGE_ENTRY& colours = LanguageEntry(L"LabelEffectNothing");
    if (ui::TLabel* label = Label(L"ENCFunctionLabel")) label->Font().SetColor(on ? colours.colorDown : colours.colorUp);
}

int TAudioMainForm::UpdateENCUI() {
    PaintENCButton(m_bENCEnable);
    if (ui::TLabel* value = Label(L"ENCValueLabel")) value->SetCaption(std::to_wstring(m_iENCLevel));
    if (ui::TImage* slider = Image(L"ENCSliderImage")) slider->SetTop(ENCTopFromLevel(m_iENCLevel));
    return 0;
}

bool TAudioMainForm::ENCUsable() {
    if (!m_bDeviceActive) return false;
    if (m_bENCAvailable) return true;
    ShowNoDeviceWarning(L"LabelWarning1");
    return false;
}

void TAudioMainForm::ENCFunctionImageClick(ui::TObject*) {
    if (!ENCUsable()) return;
    m_bENCEnable = m_bENCEnable ? 0 : 1;
    PaintENCButton(m_bENCEnable);
    SetENCOnOff(m_bENCEnable);
    SetENCParameters();
}

// The slider's press, moves and release. The message hook has already
// warned about a device without ENC at the press, so the slider's own
// handlers only stay still then: one box per press, none while the pointer
// merely passes over the slider.
void TAudioMainForm::ENCSliderImageMouseDown(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) {
    if (!m_bDeviceActive || !m_bENCAvailable) return;
    ::GetCursorPos(&m_ptDragCursor);
    ui::TControl* control = ControlAtPos(ScreenToClient(m_ptDragCursor), true, false, true);
    if (!control) return;
    m_pDragControl = control;
    m_bDragging = true;
    m_iDragStartLeft = control->Left();
    m_iDragStartTop = control->Top();
}

void TAudioMainForm::ENCSliderImageMouseMove(ui::TObject*, ui::TShiftState, int, int) {
    if (!m_bDeviceActive || !m_bENCAvailable || !m_bDragging || !m_pDragControl) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    int top = m_iDragStartTop + (cursor.y - m_ptDragCursor.y);
    if (top < m_iENCSliderTop) top = m_iENCSliderTop;
    if (top > m_iENCSliderTop + m_iENCSliderHeight) top = m_iENCSliderTop + m_iENCSliderHeight;
    m_pDragControl->SetTop(top);
    m_iENCLevel = ENCLevelFromTop(top);
    if (ui::TLabel* value = Label(L"ENCValueLabel")) value->SetCaption(std::to_wstring(m_iENCLevel));
}

void TAudioMainForm::ENCSliderImageMouseUp(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) {
    if (!m_bDeviceActive || !m_bENCAvailable) return;
    PutLevel(m_EncParameters, m_iENCLevel);
    SetENCParameters();
    WriteRegistryDWORD(EncValueMapKey(), EncValueName(m_wVID, m_wPID), static_cast<DWORD>(m_iENCLevel));
    m_bDragging = false;
    m_pDragControl = nullptr;
}
