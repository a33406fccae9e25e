// The microphone page: the recording volume, mute and boost of the device's
// microphone through Windows (Core Audio on its capture endpoint, the winmm
// mixer on older systems), monitoring through the chip and the endpoint's
// listen-to-device setting or through a record-and-replay test, and the
// level bar fed by a waveIn recording while the page is shown.
#include <algorithm>
#include <string>

#include "panel/AudioMainForm.h"
#include "panel/RecordTest.h"
#include "panel/device/AudioEndpoint.h"
#include "panel/device/DeviceLibrary.h"
#include "shared/DebugTrace.h"

namespace {

// The system class that has Core Audio; every other class uses the mixer.
constexpr BYTE kCoreAudioClass = 6;
constexpr int kMuteTries = 3;
// [Mic] Monitor: 2 replays a recording; every other mode monitors through
// the chip and the listen-to-device setting.
constexpr int kMonitorRecordTest = 2;
// The chip's monitor path: a register read and written before the switch.
constexpr WORD kMonitorSelectRegister = 0x200;
constexpr BYTE kMonitorSelectValue = 4;
constexpr WORD kMonitorSwitchRegister = 0x230;
constexpr BYTE kMonitorSwitchOn = 0x20;
// Tags of the boost and mute buttons.
constexpr int kBoostTag = 21;
constexpr int kMuteTag = 22;

// The level of a buffer of unsigned 8-bit samples, on a bar of barLength
// pixels: twice the bar for a mean deviation of 128 from the silent 128.
int LevelOf(const BYTE* samples, DWORD count, int barLength) {
    DWORD sum = 0;
    for (DWORD i = 0; i < count; ++i) sum += static_cast<DWORD>(AbsValue(samples[i] - 128));
    const int mean = static_cast<int>(sum / count);
    return (barLength * 2 * mean) >> 7;
}

// The bar's width for a level: 0 for silence; otherwise it grows in 4-pixel
// steps from 10 while the step is below the level and within the bar. -1
// when not even the first step fits (the bar keeps its width).
int BarWidthFor(int level, int barLength) {
    if (level == 0) return 0;
    if (level < 1 || barLength < 10) return -1;
    return std::min(level - 1, (barLength - 10) / 4) * 4 + 10;
}

// A chip call, made once more when it fails; the second answer is not
// looked at.
template <typename Call>
void OnceMoreOnFailure(Call call) {
    if (call() != 0) call();
}

// The chip's monitor path switched to value (0x20 on, 0 off).
void WriteMonitorRegisters(BYTE value) {
    BYTE unused = 0;
    OnceMoreOnFailure([&] { return fnDLLKQ_Read_Register_ById(kMonitorSelectRegister, &unused, 0); });
    OnceMoreOnFailure([] { return fnDLLKQ_Write_Register_ById(kMonitorSelectRegister, kMonitorSelectValue, 0); });
    OnceMoreOnFailure([value] { return fnDLLKQ_Write_Register_ById(kMonitorSwitchRegister, value, 0); });
}

// A mixer operation on the device's wave-in line: true when done.
bool Mixer(int operation, DWORD& value, WORD vendorId, WORD productId) {
    DWORD minimum = 0, maximum = 0;
    return MixerDeviceControl(operation, value, minimum, maximum, vendorId, productId) == 1;
}

}  // namespace

// ---------------------------------------------------------------- the endpoint rule

int TAudioMainForm::WithCaptureEndpoint(bool track, const std::function<int(IMMDevice*)>& operation) {
    if (!m_pAudioEndpoint) {
        m_pAudioEndpoint = FindCaptureEndpoint(m_wVID, m_wPID);
        if (!m_pAudioEndpoint) {
            if (track) m_bMicInitialized = 0;
            return 1;
        }
    }
    if (track) m_bMicInitialized = 1;
    const int result = operation(m_pAudioEndpoint);
    if (result == 0) ReleaseCaptureEndpoint(m_pAudioEndpoint);
    return result;
}

// ---------------------------------------------------------------- volume, mute, boost

int TAudioMainForm::SetMicGain(int percent) {
    if (m_iOSVersionClass != kCoreAudioClass) {
        DWORD value = MixerVolumeFromPercent(percent);
        return Mixer(kMixerWriteVolume, value, m_wVID, m_wPID) ? 0 : 1;
    }
    return WithCaptureEndpoint(false, [percent](IMMDevice* endpoint) {
        trace::Out(L" %d\n", percent);
        return SetEndpointVolume(endpoint, percent) == kEndpointDone ? 0 : 2;
    });
}

int TAudioMainForm::ReadMicGain() {
    int percent = 0;
    if (m_iOSVersionClass != kCoreAudioClass) {
        DWORD value = 0, minimum = 0, maximum = 0;
        if (MixerDeviceControl(kMixerReadVolume, value, minimum, maximum, m_wVID, m_wPID) != 1 ||
            !PercentFromMixerVolume(value, minimum, maximum, percent))
            return 1;
    } else {
        int result = WithCaptureEndpoint(true, [&percent](IMMDevice* endpoint) {
            return GetEndpointVolume(endpoint, percent) == kEndpointDone ? 0 : 2;
        });
        if (result != 0) return result;
    }
    m_iMicVolume = percent;
    Label(L"MicValueLabel")->SetCaption(std::to_wstring(percent));
    // The slider where the device's volume puts it, the pedestal below it.
    ui::TImage* slider = Image(L"MicSliderImage");
    ui::TImage* pedestal = Image(L"MicBarDownImage");
    slider->SetTop(m_iMicSliderTop + m_iMicSliderHeight - percent * m_iMicSliderHeight / 100);
    pedestal->SetAutoSize(false);
    pedestal->SetHeight(std::max(0, slider->Top() + slider->Height() - pedestal->Top()));
    return 0;
}

int TAudioMainForm::ReadMicBoostMute() {
    auto show = [this](int tag, int& state, BOOL value) {
        state = value ? 1 : 0;
        int shown = state ? 0 : 1;  // ToggleButton shows the flipped state
        ToggleButton(tag, shown);
    };
    if (m_iOSVersionClass != kCoreAudioClass) {
        DWORD value = static_cast<DWORD>(m_bMicBoost);
        if (!Mixer(kMixerReadMux, value, m_wVID, m_wPID)) return 1;
        show(kBoostTag, m_bMicBoost, value != 0);
        value = static_cast<DWORD>(m_bMicMute);
        if (!Mixer(kMixerReadMute, value, m_wVID, m_wPID)) return 2;
        show(kMuteTag, m_bMicMute, value != 0);
        return 0;
    }
    return WithCaptureEndpoint(true, [&](IMMDevice* endpoint) {
        BOOL value = m_bMicBoost;
        if (GetEndpointAGC(endpoint, value) != kAgcDone) return 2;
        show(kBoostTag, m_bMicBoost, value);
        value = m_bMicMute;
        if (GetEndpointMute(endpoint, value) != kEndpointDone) return 3;
        show(kMuteTag, m_bMicMute, value);
        return 0;
    });
}

void TAudioMainForm::ReadMicState() {
    ReadMicGain();
    ReadMicBoostMute();
}

int TAudioMainForm::SetMicMute(int on) {
    if (m_iOSVersionClass != kCoreAudioClass) {
        DWORD value = on ? 1 : 0;
        return Mixer(kMixerWriteMute, value, m_wVID, m_wPID) ? 0 : 1;
    }
    return WithCaptureEndpoint(true, [on](IMMDevice* endpoint) {
        for (int i = 0; i < kMuteTries; ++i)
            if (SetEndpointMute(endpoint, on ? TRUE : FALSE) == kEndpointDone) return 0;
        return 2;
    });
}

int TAudioMainForm::SetMicBoost(int on) {
    if (m_iOSVersionClass != kCoreAudioClass) {
        DWORD value = on ? 1 : 0;
        return Mixer(kMixerWriteMux, value, m_wVID, m_wPID) ? 0 : 1;
    }
    return WithCaptureEndpoint(true, [on](IMMDevice* endpoint) {
        return SetEndpointAGC(endpoint, on ? TRUE : FALSE) == kAgcDone ? 0 : 2;
    });
}

// ---------------------------------------------------------------- monitor

int TAudioMainForm::SetMicMonitor(int on) {
    if (m_iMicMonitorMode == kMonitorRecordTest) return SetRecordTest(on);
    // Off undoes both paths that on switched, whatever the mode.
    WriteMonitorRegisters(on ? kMonitorSwitchOn : 0);
    SetListenToDeviceProperty(on ? 1 : 0, m_wVID, m_wPID);
    return 0;
}

void TAudioMainForm::ListenToDeviceCheckBoxClick(ui::TObject*) {
    SetListenToDeviceProperty(ListenToDeviceCheckBox->Checked() ? 1 : 0, m_wVID, m_wPID);
    RestartAudioService();
    ::Sleep(300);
}

// ---------------------------------------------------------------- level meter

void TAudioMainForm::ResetMicUI() {
    m_bMicBoost = 0;
    m_bMicMute = 0;
    Image(L"MicProgressImage")->SetWidth(0);
}

void TAudioMainForm::OpenMicLevelMeter() {
    // Open already (the page's tab pressed again): the recording goes on.
    if (m_hWaveIn) return;
    WAVEFORMATEX format = MicrophoneFormat(8);
    HWAVEIN recording = nullptr;
    if (::waveInOpen(&recording, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(Handle()), 0, CALLBACK_WINDOW) !=
        MMSYSERR_NOERROR)
        return;
    m_hWaveIn = recording;
    m_pMicMeter = std::make_unique<MicMeterBuffers>();
    for (int i = 0; i < 2; ++i) {
        WAVEHDR& header = m_pMicMeter->header[i];
        header.lpData = reinterpret_cast<LPSTR>(m_pMicMeter->samples[i]);
        header.dwBufferLength = MicMeterBuffers::kBytes;
        header.dwLoops = 1;
        ::waveInPrepareHeader(recording, &header, sizeof(WAVEHDR));
    }
    for (WAVEHDR& header : m_pMicMeter->header) ::waveInAddBuffer(recording, &header, sizeof(WAVEHDR));
    ::waveInStart(recording);
}

void TAudioMainForm::CloseMicLevelMeter() {
    if (m_hWaveIn) {
        ::waveInStop(m_hWaveIn);
        ::waveInReset(m_hWaveIn);
        for (WAVEHDR& header : m_pMicMeter->header) ::waveInUnprepareHeader(m_hWaveIn, &header, sizeof(WAVEHDR));
        ::waveInClose(m_hWaveIn);
    }
    m_hWaveIn = nullptr;
    m_pMicMeter.reset();
}

void TAudioMainForm::OnMicLevelData(ui::TMessage& msg) {
    // Only a filled buffer of the recording open now. The buffers that a
    // closed recording returns point at memory already given back, and
    // those of another recording are not this meter's to queue.
    if (!m_hWaveIn || !m_pMicMeter || reinterpret_cast<HWAVEIN>(msg.WParam) != m_hWaveIn) return;
    auto* header = reinterpret_cast<WAVEHDR*>(msg.LParam);
    int index = -1;
    for (int i = 0; i < 2; ++i)
        if (header == &m_pMicMeter->header[i]) index = i;
    if (index < 0 || !(header->dwFlags & WHDR_DONE) || (header->dwFlags & WHDR_INQUEUE)) return;

    m_iMicLevel = LevelOf(m_pMicMeter->samples[index], MicMeterBuffers::kBytes, m_iMicProgressLength);
    const int width = BarWidthFor(m_iMicLevel, m_iMicProgressLength);
    if (width >= 0) Image(L"MicProgressImage")->SetWidth(width);
    ::waveInAddBuffer(m_hWaveIn, header, sizeof(WAVEHDR));
}

// ---------------------------------------------------------------- shut-down

void TAudioMainForm::EndMicrophone() {
    CloseMicLevelMeter();
    SetRecordTest(0);
    if (m_pAudioEndpoint) ReleaseCaptureEndpoint(m_pAudioEndpoint);
}
