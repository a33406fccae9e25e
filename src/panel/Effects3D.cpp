// 3D, FBM and environment effects: the 3D switch through the device library,
// the chip's 3D registers over the HID register protocol, the four alpha and
// beta sliders with their links between the channels, and the effect the
// filter driver applies.
#include "panel/AudioMainForm.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/HidDevice.h"

namespace {

constexpr WORD kRegFeatures = 0x100;  // bit 7: 3D
constexpr WORD kRegFBM = 0x18A;       // bit 0: FBM, bit 6: 3D block
constexpr WORD kReg3DExtraLow = 0x1CD;
constexpr WORD kReg3DExtraHigh = 0x1CE;
constexpr BYTE k3DFeatureBit = 0x80;
constexpr BYTE kFBMBit = 0x01;
constexpr BYTE k3DBlockBit = 0x40;

// The fixed track of the 3D sliders: Top 105 shows 15, Top 225 shows 0.
constexpr int k3DSliderTop = 105;
constexpr int k3DSliderBottom = 225;
constexpr int k3DMaxValue = 15;

BYTE WithBit(BYTE value, BYTE bit, bool set) { return set ? static_cast<BYTE>(value | bit) : static_cast<BYTE>(value & ~bit); }

// Each nibble that reads 0xA becomes 0xF.
BYTE RaiseTenNibbles(BYTE value) {
    if ((value & 0x0F) == 0x0A) value = static_cast<BYTE>(value | 0x0F);
    if ((value & 0xF0) == 0xA0) value = static_cast<BYTE>(value | 0xF0);
    return value;
}

// A slider's partner on the other channel and the kind of link that moves it.
struct SliderLink {
    const wchar_t* moved;
    const wchar_t* partner;
    bool alpha;
};
const SliderLink kSliderLinks[] = {
    {L"D3LBetaSliderImage", L"D3RBetaSliderImage", false},
    {L"D3LAlphaSliderImage", L"D3RAlphaSliderImage", true},
    {L"D3RBetaSliderImage", L"D3LBetaSliderImage", false},
    {L"D3RAlphaSliderImage", L"D3LAlphaSliderImage", true},
};

// The link pictures by mode 0 (independent), 1 (dependent), 2 (inverse).
struct LinkPictures {
    int tag;
    const wchar_t* image;
    const wchar_t* entries[3];
};
const LinkPictures kLinkPictures[] = {
    {14, L"D3AlphaImage", {L"D3AlphaIndepImage", L"D3AlphaDepImage", L"D3AlphaInvImage"}},
    {15, L"D3BetaImage", {L"D3BetaIndepImage", L"D3BetaDepImage", L"D3BetaInvImage"}},
};

// The slider Tags of one channel: beta, alpha.
struct Channel {
    int betaTag, alphaTag;
    BYTE D3_PARAMS::*beta;
    BYTE D3_PARAMS::*alpha;
};
constexpr Channel kLeft{34, 35, &D3_PARAMS::byLeftBeta, &D3_PARAMS::byLeftAlpha};
constexpr Channel kRight{36, 37, &D3_PARAMS::byRightBeta, &D3_PARAMS::byRightAlpha};

}  // namespace

int TAudioMainForm::Init3D() {
    m_bFBM = 1;
    if (Get3DDefaults(m_3DParameters) != 0) return 1;
    if (Get3DParamsFromImage(ConfigImage, m_3DParameters) != 0) return 2;
    return 0;
}

void TAudioMainForm::InitEffect() { m_iEffect = 1; }

int TAudioMainForm::Set3DOnOff(int on) {
    if (!m_bLibraryBound) return 1;
    fnDLLKQ_Config3D_ById(0);
    fnDLLKQ_Set3D_OnOff_ById(on, 0);
    // The chip is asked back; a read that fails counts as off.
    int state = 0;
    fnDLLKQ_Is3D_Enable_ById(&state, 0);
    if (state != on) fnDLLKQ_Set3D_OnOff_ById(on, 0);
    return 0;
}

int TAudioMainForm::Write3DEnableRegister(int on) {
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 1;
    DeviceIoGuard guard;
    BYTE value = 0;
    if (HidReadRegister(hid.get(), kRegFeatures, value) != 0) return 2;
    if (HidWriteRegister(hid.get(), kRegFeatures, WithBit(value, k3DFeatureBit, on != 0)) != 0) return 3;
    if (on != 0) {
        for (WORD reg : {kReg3DExtraLow, kReg3DExtraHigh}) {
            if (HidReadRegister(hid.get(), reg, value) != 0) return 4;
            if (HidWriteRegister(hid.get(), reg, RaiseTenNibbles(value)) != 0) return 5;
        }
    }
    if (HidSendEmptyReport(hid.get()) != 0) return 6;
    return 0;
}

int TAudioMainForm::Write3DEnableBlock(int on) {
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 1;
    DeviceIoGuard guard;
    BYTE value = 0;
    if (on == 1) {
        if (HidReadRegister(hid.get(), kRegFBM, value) != 0) return 2;
        if (HidWriteRegister(hid.get(), kRegFBM, WithBit(value, k3DBlockBit, true)) != 0) return 3;
        if (HidWrite3DBlock(hid.get(), m_3DParameters) != 0) return 4;
    } else {
        if (HidReadRegister(hid.get(), kRegFBM, value) != 0) return 5;
        if (HidWriteRegister(hid.get(), kRegFBM, WithBit(value, k3DBlockBit, false)) != 0) return 6;
    }
    if (HidSendEmptyReport(hid.get()) != 0) return 7;
    return 0;
}

int TAudioMainForm::SetFBM(int on) {
    m_3DParameters.iFBMFlag = on;
    Set3DParamsToImage(ConfigImage, m_3DParameters);
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 2;
    DeviceIoGuard guard;
    BYTE value = 0;
    if (HidReadRegister(hid.get(), kRegFBM, value) != 0) return 3;
    if (HidWriteRegister(hid.get(), kRegFBM, WithBit(value, kFBMBit, on != 0)) != 0) return 4;
    if (HidSendEmptyReport(hid.get()) != 0) return 5;
    return 0;
}

int TAudioMainForm::Reset3D() {
    Get3DDefaults(m_3DParameters);
    m_bFBM = 1;
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 2;
    if (m_bSync == 1 && HidWrite3DBlock(hid.get(), m_3DParameters) != 0) return 3;
    return 0;
}

void TAudioMainForm::D3ResetImageClick(ui::TObject*) { Reset3D(); }
void TAudioMainForm::D3ResetLabelClick(ui::TObject* Sender) { D3ResetImageClick(Sender); }

int TAudioMainForm::Slider3DValue(int tag) const {
    ui::TImage* slider = FindImageByTag(tag);
    if (!slider) return 0;
    // The track is fixed; a skin whose slider height differs from it would
    // give values past either end, which the chip's nibbles cannot hold.
    int value = k3DMaxValue - (slider->Top() - k3DSliderTop) * k3DMaxValue / m_i3DSliderHeight;
    if (value < 0) value = 0;
    if (value > k3DMaxValue) value = k3DMaxValue;
    return value;
}

int TAudioMainForm::Send3DChannel(bool left, int sync) {
    // Without a slider height the positions mean nothing: no change at all.
    if (m_i3DSliderHeight <= 0) return 8;
    const Channel& channel = left ? kLeft : kRight;
    m_3DParameters.*channel.beta = static_cast<BYTE>(Slider3DValue(channel.betaTag));
    m_3DParameters.*channel.alpha = static_cast<BYTE>(Slider3DValue(channel.alphaTag));

    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) return 1;
    DeviceIoGuard guard;
    if (sync == 1) {
        BYTE value = 0;
        if (HidReadRegister(hid.get(), kRegFBM, value) != 0) return 2;
        if (HidWriteRegister(hid.get(), kRegFBM, WithBit(value, kFBMBit, m_3DParameters.iFBMFlag != 0)) != 0)
            return 3;
        const D3_PARAMS& p = m_3DParameters;
        if (HidWrite3DLeft(hid.get(), p.byLeftAlpha, p.byLeftBeta) != 0) return 4;
        if (HidWrite3DRight(hid.get(), p.byRightAlpha, p.byRightBeta) != 0) return 5;
    }
    if (Set3DParamsToImage(ConfigImage, m_3DParameters) != 0) return 6;
    if (HidSendEmptyReport(hid.get()) != 0) return 7;
    return 0;
}

int TAudioMainForm::Send3DLeft(int sync) { return Send3DChannel(true, sync); }
int TAudioMainForm::Send3DRight(int sync) { return Send3DChannel(false, sync); }

void TAudioMainForm::Link3DSliders(const std::wstring& name, int alphaLink, int betaLink, int top) {
    for (const SliderLink& link : kSliderLinks) {
        if (name != link.moved) continue;
        ui::TImage* partner = Image(link.partner);
        const int mode = link.alpha ? alphaLink : betaLink;
        if (!partner) return;
        if (mode == 1) partner->SetTop(top);
        else if (mode == 2) partner->SetTop(k3DSliderTop + k3DSliderBottom - top);  // mirrored within the track
        return;
    }
}

void TAudioMainForm::Show3DLinkButton(int tag, int& mode) {
    mode = mode + 1;
    if (mode > 2) mode = 0;
    for (const LinkPictures& row : kLinkPictures) {
        if (row.tag != tag) continue;
        ui::TImage* image = Image(row.image);
        if (!image || mode < 0) return;
        // The link pictures live in the skin's root folder, under 3D.
        const std::wstring path = m_ProgramFolder + m_Config.SkinFolderName.substr(0, 38) + L"\\" + m_szDefaultSkin +
                                  L"\\3D\\" + SkinEntry(row.entries[mode]).file;
        image->Picture().LoadFromFile(path);
        m_LoadedPicture[image] = path;
        return;
    }
}

void TAudioMainForm::Show3DButtons(int fbm, int on) {
    if (m_bDeviceActive != 1) return;
    // ToggleButton paints the flipped state: hand it the opposite.
    int s = fbm ? 0 : 1;
    ToggleButton(13, s);
    s = on ? 0 : 1;
    ToggleButton(8, s);
}

int TAudioMainForm::Load3DFromEEPROM() {
    int state = 0;
    if (fnDLLKQ_Is3D_Enable_ById(&state, 0) != 0) fnDLLKQ_Is3D_Enable_ById(&state, 0);
    m_bDevice3D = state;
    if (m_bDevice3D == 1 || m_bEEPROM3D == 1) m_b3DEnable = 1;
    m_bFBM = 1;
    Write3DEnableBlock(m_b3DEnable);
    Set3DOnOff(m_b3DEnable);
    Show3DButtons(m_bFBM, m_b3DEnable);
    Set3DOnOff(m_b3DEnable);
    return 0;
}
