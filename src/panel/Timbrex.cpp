// The Timbrex voice effect: on/off and one of four presets (or none), kept in
// the installer's settings key as TimbrexEnable and TimbrexLevel (the
// preset's pitch shift + 12) and sent to the device as audio commands.
// Offered only for a device that offers ENC.
#include "panel/AudioMainForm.h"
#include "panel/device/AudioCommand.h"
#include "shared/Registry.h"

namespace {

// The effect buttons by effect index, with the pitch shift each sends.
struct Preset {
    const wchar_t* image;
    const wchar_t* label;
    const wchar_t* up;
    const wchar_t* down;
    short shift;
};
const Preset kPresets[] = {
    {L"TbxEffectNoneImage", L"TbxEffectNoneLabel", L"TbxEffectNoneUpImage", L"TbxEffectNoneDownImage", 0},
    {L"TbxEffect1Image", L"TbxEffect1Label", L"TbxEffect1UpImage", L"TbxEffect1DownImage", -3},
    {L"TbxEffect2Image", L"TbxEffect2Label", L"TbxEffect2UpImage", L"TbxEffect2DownImage", 7},
    {L"TbxEffect3Image", L"TbxEffect3Label", L"TbxEffect3UpImage", L"TbxEffect3DownImage", -10},
    {L"TbxEffect4Image", L"TbxEffect4Label", L"TbxEffect4UpImage", L"TbxEffect4DownImage", 12},
};
constexpr int kPresetCount = 5;
constexpr int kLevelOfNoShift = 12;  // TimbrexLevel = shift + 12

// Effects outside 1..4 are "none".
int KnownEffect(int effect) { return effect >= 1 && effect < kPresetCount ? effect : 0; }

int EffectOfLevel(DWORD level) {
    for (int e = 0; e < kPresetCount; ++e)
        if (static_cast<DWORD>(kPresets[e].shift + kLevelOfNoShift) == level) return e;
    return 0;
}

void PutLittleEndian(BYTE* at, DWORD value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}

}  // namespace

int TAudioMainForm::LoadTimbrexState() {
    if (!m_bDeviceActive || !m_bENCAvailable) return 0;
    DWORD enable = 0, level = 0;
    if (ReadRegistryDWORD(kSettingsKey, L"TimbrexEnable", enable) != kRegRead) enable = 0;
    if (ReadRegistryDWORD(kSettingsKey, L"TimbrexLevel", level) != kRegRead) level = 0;
    m_iTimbrexEffect = EffectOfLevel(level);
    m_bTimbrexEnable = enable != 0 ? 1 : 0;
    SetTimbrexEnable(m_bTimbrexEnable, 1);
    return 0;
}

int TAudioMainForm::SetTimbrexEnable(int on, int send) {
    WriteRegistryDWORD(kSettingsKey, L"TimbrexEnable", static_cast<DWORD>(on));
    PutLittleEndian(&m_TimbrexParameters[0], static_cast<DWORD>(on), 4);
    if (send == 1) {
        Qorv_AudioSetOnOff(AUDIO_FEATURE_TIMBREX, AUDIO_CMD_ONOFF, static_cast<DWORD>(on));
        SetTimbrexEffect(m_iTimbrexEffect);
    }
    return 0;
}

int TAudioMainForm::SetTimbrexEffect(int effect) {
    const short shift = kPresets[KnownEffect(effect)].shift;
    PutLittleEndian(&m_TimbrexParameters[0], static_cast<DWORD>(m_bTimbrexEnable), 4);
    PutLittleEndian(&m_TimbrexParameters[4], static_cast<WORD>(shift), 2);
    WriteRegistryDWORD(kSettingsKey, L"TimbrexLevel", static_cast<DWORD>(shift + kLevelOfNoShift));
    Qorv_AudioSetCommand(AUDIO_FEATURE_TIMBREX, AUDIO_CMD_SET_PARAMETERS, m_TimbrexParameters.data(),
                         static_cast<int>(m_TimbrexParameters.size()));
    return 0;
}

// ---------------------------------------------------------------- the page

void TAudioMainForm::PaintTimbrexPage(int on, int effect) {
    const LANGUAGE_ENTRY& colours = LanguageEntry(L"LabelEffectNothing");
    RepaintImage(on ? L"TbxFunctionDownImage" : L"TbxFunctionUpImage", Image(L"TbxFunctionImage"));
    if (ui::TLabel* label = Label(L"TbxFunctionLabel")) label->Font().SetColor(on ? colours.colorDown : colours.colorUp);
    const int chosen = KnownEffect(effect);
    for (int e = 0; e < kPresetCount; ++e) {
        const Preset& p = kPresets[e];
        RepaintImage(e == chosen ? p.down : p.up, Image(p.image));
        if (ui::TLabel* label = Label(p.label)) label->Font().SetColor(e == chosen ? colours.colorDown : colours.colorUp);
    }
}

int TAudioMainForm::UpdateTimbrexUI() {
    PaintTimbrexPage(m_bTimbrexEnable, m_iTimbrexEffect);
    return 0;
}

void TAudioMainForm::PaintTbxAndENCButtons(int encOn, int tbxOn) {
    PaintTimbrexPage(tbxOn, m_iTimbrexEffect);
    PaintENCButton(encOn == 1 ? 1 : 0);
}

void TAudioMainForm::TbxFunctionImageClick(ui::TObject*) {
    if (!ENCUsable()) return;
    m_bTimbrexEnable = m_bTimbrexEnable ? 0 : 1;
    PaintTimbrexPage(m_bTimbrexEnable, m_iTimbrexEffect);
    SetTimbrexEnable(m_bTimbrexEnable, 1);
}

void TAudioMainForm::ChooseTimbrexEffect(int effect) {
    if (!ENCUsable()) return;
    m_iTimbrexEffect = effect;
    PaintTimbrexPage(m_bTimbrexEnable, effect);
    SetTimbrexEffect(effect);
}

void TAudioMainForm::TbxEffectNoneImageClick(ui::TObject*) { ChooseTimbrexEffect(0); }
void TAudioMainForm::TbxEffect1ImageClick(ui::TObject*) { ChooseTimbrexEffect(1); }
void TAudioMainForm::TbxEffect2ImageClick(ui::TObject*) { ChooseTimbrexEffect(2); }
void TAudioMainForm::TbxEffect3ImageClick(ui::TObject*) { ChooseTimbrexEffect(3); }
void TAudioMainForm::TbxEffect4ImageClick(ui::TObject*) { ChooseTimbrexEffect(4); }
