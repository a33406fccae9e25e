// The five-band equaliser: slider positions and gains, the four presets in
// the configuration image, band writes over the HID register protocol, the
// EQ switch through the device library and the maker's EEPROM preset.
#include <cstdio>

#include "panel/AudioMainForm.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/HidDevice.h"
#include "shared/DebugTrace.h"

namespace {

constexpr WORD kFlatGain = 1024;
constexpr WORD kLowestGain = 512;
constexpr WORD kHighestGain = 2559;

// Gain of a slider o pixels below the track top of a track of height h.
WORD GainFromOffset(int o, int h) {
    if (h <= 0) return kFlatGain;  // a track without height cannot move the gain
    WORD v = static_cast<WORD>(1536 - o * 1024 / h);
    return v > kFlatGain ? static_cast<WORD>((v - 1024) * 3 + 1023) : v;
}

// Offset below the track top that shows gain g.
int OffsetFromGain(WORD g, int h) {
    WORD v = g > kFlatGain ? static_cast<WORD>((g - 1023) / 3 + 1024) : g;
    return h - static_cast<WORD>(v - 512) * h / 1024;
}

bool AllFlat(const EQ_PARAMS& p) {
    for (WORD g : p.wGain)
        if (g != kFlatGain) return false;
    return true;
}

// A gain read from a file: within 12 bits and within the slider's range.
WORD ClampedGain(long long value) {
    value &= 0xFFFF;
    if (value > 0xFFF) value = 0xFFF;
    if (value < kLowestGain) value = kLowestGain;
    if (value > kHighestGain) value = kHighestGain;
    return static_cast<WORD>(value);
}

size_t PresetOffset(int index) { return 0x100 + 16 * static_cast<size_t>(index); }

}  // namespace

void TAudioMainForm::SetEQPreset(int preset) { m_iEQPreset = preset >= 1 && preset <= 4 ? preset : 1; }

int TAudioMainForm::InitEQConfig() {
    ConfigImage.fill(0xFF);
    InitChipDefaults(ChipDefaults, ConfigImage);
    GetEQDefaults(ChipDefaults, m_EQParameters);
    for (int i = 0; i < 4; ++i) SetEQParamsToImage(PresetOffset(i), m_EQParameters, ConfigImage);
    for (auto& preset : m_EQSliderPos)
        for (int& pos : preset) pos = m_iEQSliderHeight / 2;
    m_bEQEnable = 0;
    return 0;
}

int TAudioMainForm::SetEQBandGain(int tag, int sync) {
    const int band = tag - 29;
    if (band < 0 || band > 4) return 1;
    ui::TImage* slider = FindImageByTag(tag);
    if (!slider) return 1;
    WORD gain = GainFromOffset(slider->Top() - m_iEQSliderTop, m_iEQSliderHeight);
    m_EQParameters.wGain[band] = gain;
    // The chip's EQ is switched off only while the whole curve is flat.
    m_bEQFlat = AllFlat(m_EQParameters) ? 1 : 0;

    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 1;
    // The EQ switch goes through the device library, outside the I/O lock;
    // the band's registers and the empty report then go as one unit.
    if (sync == 1) SetEQOnOff(m_bEQEnable);
    DeviceIoGuard guard;
    if (sync == 1) {
        const WORD low = static_cast<WORD>(0x120 + 2 * band);
        if (HidWriteRegister(hid.get(), low, static_cast<BYTE>(gain & 0xFF)) != 0) return 2;
        BYTE high = static_cast<BYTE>((gain >> 8) & 0x0F);
        if (band == 4) {
            BYTE flags = 0;
            if (HidReadRegister(hid.get(), 0x129, flags) != 0) return 3;
            high = static_cast<BYTE>((flags & 0xF0) | high);
        }
        if (HidWriteRegister(hid.get(), static_cast<WORD>(low + 1), high) != 0) return 4;
    }
    if (HidSendEmptyReport(hid.get()) != 0) return 5;
    return 0;
}

int TAudioMainForm::ShowEQPreset(int index) {
    if (index < 0 || index > 3) return 1;
    GetEQParamsFromImage(PresetOffset(index), m_EQParameters, ConfigImage);
    for (int b = 0; b < 5; ++b) {
        int offset = OffsetFromGain(m_EQParameters.wGain[b], m_iEQSliderHeight);
        m_EQSliderPos[index][b] = offset;
        ui::TImage* slider = FindImageByTag(29 + b);
        if (!slider) continue;
        slider->SetTop(offset + m_iEQSliderTop);
        if (ui::TImage* barDown = FindImageByTag(229 + b)) {
            barDown->SetAutoSize(false);
            barDown->SetHeight(slider->Top() + slider->Height() - barDown->Top());
        }
        if (ui::TLabel* value = FindLabelByTag(29 + b)) {
            wchar_t text[16];
            std::swprintf(text, 16, L"%x", m_EQParameters.wGain[b]);
            value->SetCaption(text);
        }
    }
    return 0;
}

int TAudioMainForm::RefreshEQPage(int index) {
    ShowEQPreset(index);
    if (m_bDeviceActive) {
        int s = m_bEQEnable ? 0 : 1;
        ToggleButton(7, s);
    }
    return 0;
}

int TAudioMainForm::StoreEQPreset(int index) {
    if (index < 0 || index > 3) return 1;
    m_EQParameters.iImageFlag = index == 3 ? 1 : 0;
    return SetEQParamsToImage(PresetOffset(index), m_EQParameters, ConfigImage);
}

int TAudioMainForm::ApplyEQPreset(int preset) {
    if (preset < 1 || preset > 4) return 1;
    m_bEQFlat = 0;
    GetEQParamsFromImage(PresetOffset(preset - 1), m_EQParameters, ConfigImage);
    if (AllFlat(m_EQParameters)) {
        m_bEQFlat = 1;
        return 5;
    }
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 1;
    DeviceIoGuard guard;
    if (m_bSync == 1 && m_bSavingProfile == 0 && HidWriteEQBlock(hid.get(), m_EQParameters) != 0) return 2;
    if (HidSendEmptyReport(hid.get()) != 0) return 3;
    return 0;
}

int TAudioMainForm::SetEQOnOff(int on) {
    if (!m_bDeviceActive || !m_bLibraryBound) return 0;
    fnDLLKQ_ConfigEQ_ById(0);
    if (m_bEQFlat == 1) {
        fnDLLKQ_SetEQ_OnOff_ById(0, 0);
        return 0;
    }
    fnDLLKQ_SetEQ_OnOff_ById(on, 0);
    int state = 0;
    if (fnDLLKQ_IsEQ_Enable_ById(&state, 0) == 0 && state != on) fnDLLKQ_SetEQ_OnOff_ById(on, 0);
    return 0;
}

int TAudioMainForm::WriteEQEnableBlock(int on) {
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 1;
    DeviceIoGuard guard;
    BYTE value = 0;
    if (on == 1) {
        if (HidReadRegister(hid.get(), 0x100, value) != 0) return 2;
        if (HidWriteRegister(hid.get(), 0x100, static_cast<BYTE>(value | 0x04)) != 0) return 3;
        if (HidWriteEQBlock(hid.get(), m_EQParameters) != 0) return 4;
    } else {
        if (HidReadRegister(hid.get(), 0x100, value) != 0) return 5;
        if (HidWriteRegister(hid.get(), 0x100, static_cast<BYTE>(value & ~0x04)) != 0) return 6;
    }
    if (HidSendEmptyReport(hid.get()) != 0) return 8;
    return 0;
}

int TAudioMainForm::ResetEQ() {
    wchar_t appData[256] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, 256);
    const std::wstring defaults = std::wstring(appData) + L"\\" + m_szUserFolderName + L"\\DefaultProfile.ini";
    if (m_iDefaultIni == 0 || !IsFileExist(Handle(), defaults)) {
        GetEQDefaults(ChipDefaults, m_EQParameters);
    } else {
        if (!m_bDeviceActive) m_bSync = 0;
        // Every preset from the defaults file; the current preset stays the
        // current one and is the record left in m_EQParameters.
        for (int n = 1; n <= 4; ++n) {
            std::wstring text;
            ReadIniString(defaults, L"EQ", (L"S" + std::to_wstring(n)).c_str(), text);
            ApplyEQPresetFields(SplitCommaList(text), n - 1, m_iEQPreset - 1);
        }
    }
    if (SetEQParamsToImage(PresetOffset(m_iEQPreset - 1), m_EQParameters, ConfigImage) != 0) return 2;
    RefreshEQPage(m_iEQPreset - 1);
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 3;
    if (m_bSync == 1) {
        for (int b = 0; b < 5; ++b) SetEQBandGain(29 + b, m_bSync);
        DeviceIoGuard guard;
        if (HidWriteEQBlock(hid.get(), m_EQParameters) != 0) return 4;
    }
    Set3DOnOff(m_b3DEnable);
    return 0;
}

void TAudioMainForm::EQResetImageClick(ui::TObject*) { ResetEQ(); }
void TAudioMainForm::EQResetLabelClick(ui::TObject*) { ResetEQ(); }

void TAudioMainForm::ApplyEQPresetFields(const std::vector<std::wstring>& fields, int p, int c) {
    if (p < 0 || p > 3 || c < 0 || c > 3) return;
    // Five gains and the EQ-EN field, all numbers: a missing field converts
    // like an empty one and raises before anything changes; further fields
    // are not read.
    int values[6];
    for (size_t i = 0; i < 6; ++i) values[i] = ui::StrToInt(i < fields.size() ? fields[i] : std::wstring());
    for (int i = 0; i < 5; ++i) {
        WORD gain = ClampedGain(values[i]);
        m_EQParameters.wGain[i] = gain;
        WORD mapped = gain > kFlatGain ? static_cast<WORD>(1024 + (gain - 1023) / 3) : gain;
        m_EQSliderPos[p][i] = (2048 - mapped) * m_iEQSliderHeight / 2048;
    }
    StoreEQPreset(p);
    m_bEQEnable = values[5] != 0 ? 1 : 0;
    for (int index : {p, c}) {
        ApplyEQPreset(index + 1);
        RefreshEQPage(index);
        SetEQOnOff(m_bEQEnable);
    }
}

int TAudioMainForm::ReadEEPROMEQPreset() {
    m_bEQFlat = 0;
    auto read = [](BYTE address, BYTE reg, BYTE& value) {
        return fnDLLKQ_Read_I2C_ById(address, reg, &value, 1, 100, 0);
    };
    BYTE byte = 0;
    int tableFlag = 0;
    if (read(0x50, 0x8D, byte) == 0) tableFlag = byte & 1;
    else read(0x50, 0x8D, byte);
    BYTE bankByte = 0;
    if (read(0x50, 0x8E, bankByte) != 0) read(0x50, 0x8E, bankByte);
    int bank = bankByte >= 0x10 && bankByte <= 0x13 ? bankByte - 0x10 : 0;
    BYTE data = 0;
    if (read(0x51, static_cast<BYTE>(bank * 16 + 0x07), data) != 0) return 1;
    if (data == 0 || data == 0xFF) {
        m_bEQFlat = 1;
        return 2;
    }
    m_bEQEnable = (data & 0x80) == 0 ? 1 : 0;
    m_bEEPROM3D = (data >> 4) & 1;
    WORD gains[5] = {1024, 1024, 1024, 1024, 1024};
    if (tableFlag == 1) {
        BYTE c[8] = {};
        for (int i = 0; i < 8; ++i) {
            if (read(0x51, static_cast<BYTE>(bank * 16 + i), c[i]) != 0) return 2;
            ::Sleep(10);
        }
        int raw[5] = {c[0] | (c[1] & 0x0F) << 8, c[1] >> 4 | c[2] << 4, c[3] | (c[4] & 0x0F) << 8,
                      c[4] >> 4 | c[5] << 4, c[6] | (c[7] & 0x0F) << 8};
        for (int i = 0; i < 5; ++i) gains[i] = static_cast<WORD>((raw[i] + 1024) >> 1);
    }
    std::vector<std::wstring> fields;
    for (WORD g : gains) fields.push_back(trace::Format(L"0x%X", g));
    fields.push_back(trace::Format(L"%d", m_bEQEnable));
    ApplyEQPresetFields(fields, 0, m_iEQPreset - 1);
    bool flat = true;
    for (WORD g : gains) flat = flat && g == kFlatGain;
    if (flat) m_bEQFlat = 1;
    return 0;
}

int TAudioMainForm::LoadEQFromEEPROM() {
    int state = 0;
    if (fnDLLKQ_IsEQ_Enable_ById(&state, 0) != 0) fnDLLKQ_IsEQ_Enable_ById(&state, 0);
    ReadEEPROMEQPreset();
    SetEQOnOff(m_bEQEnable);
    return 0;
}
