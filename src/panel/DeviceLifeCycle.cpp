// Device life cycle: the device-change messages with their arrival and
// removal sequences, the 2-second retry timer, device IDs from a device path
// and the GPIO worker. The construction makes the first connection with the
// same search and selection (AudioMainForm.cpp).
#include "panel/AudioMainForm.h"

#include <dbt.h>

#include <cstddef>
#include <cwchar>
#include <cwctype>

#include "panel/device/AudioCommand.h"
#include "panel/device/AudioEndpoint.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/FilterControl.h"
#include "panel/device/GpioThread.h"
#include "panel/device/HidDevice.h"
#include "shared/DebugTrace.h"

namespace {

// Up to four hexadecimal digits after the first of the two markers.
WORD HexAfter(const std::wstring& path, const wchar_t* upper, const wchar_t* mixed, bool& found) {
    size_t at = path.find(upper);
    if (at == std::wstring::npos) at = path.find(mixed);
    found = at != std::wstring::npos;
    if (!found) return 0;
    WORD value = 0;
    for (size_t i = at + 4; i < path.size() && i < at + 8 && std::iswxdigit(path[i]); ++i) {
        wchar_t c = path[i];
        int digit = c <= L'9' ? c - L'0' : (std::towupper(c) - L'A' + 10);
        value = static_cast<WORD>(value * 16 + digit);
    }
    return value;
}

// The HID device-interface class, as a removal broadcast's class is compared.
constexpr wchar_t kHidClassText[] = L"{4D1E55B2-F16F-11CF-88CB-001111000030}";
constexpr BYTE kCoreAudioClass = 6;
constexpr int kMicrophonePage = 3;
constexpr int kVirtual71Page = 4;

// The broadcast record taken out of the message: its class and the path,
// which ends at its terminating zero or at the record's end, whichever
// comes first. false when the message carries no device-interface record.
bool ReadBroadcast(LPARAM lParam, TAudioMainForm::DEVICE_BROADCAST& out) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return false;
    const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const size_t pathOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (record->dbcc_size < pathOffset) return false;
    out.classGuid = record->dbcc_classguid;
    out.path.assign(record->dbcc_name, ::wcsnlen(record->dbcc_name, (record->dbcc_size - pathOffset) / sizeof(wchar_t)));
    return true;
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

// A library call made once more when it is refused (the second result is
// not looked at).
template <typename Call>
void OnceMoreWhenRefused(Call call) {
    if (call() != 0) call();
}

}  // namespace

// Construction: the HID handle is kept and the filter device decides (see
// FindAndOpenDevice). Arrival: the ENC-off test, then the filter path.
// Retry timer: a longer test, no filter path; the timer stops once connected.
//                 searches  "bResult = 0"  SetActive: logged  again  after ms  ENC-off tries
//                 filter path  monitor flag  button scan  3D  Timer1 off
const TAudioMainForm::CONNECTION_RULES TAudioMainForm::kConstructionRules = {
    2, false, true, true, 10, 0, true, false, true, true, true};
const TAudioMainForm::CONNECTION_RULES TAudioMainForm::kArrivalRules = {
    1, true, true, false, 0, 5, true, true, true, true, false};
const TAudioMainForm::CONNECTION_RULES TAudioMainForm::kRetryRules = {
    1, false, false, true, 0, 10, false, false, false, false, true};

void TAudioMainForm::GetVidPidFromPath(const std::wstring& path, WORD& vendorId, WORD& productId) {
    vendorId = productId = 0;
    bool found = false;
    vendorId = HexAfter(path, L"VID_", L"Vid_", found);
    if (!found) return;
    productId = HexAfter(path, L"PID_", L"Pid_", found);
}

void TAudioMainForm::CreateGPIOThread() {
    if (m_pGPIOThread) return;
    // The worker only waits; its click runs on the window's thread.
    m_pGPIOThread = new TMyThread(false, GPIOThreadEvent, [this](ui::TObject* control, ui::TShiftState shift) {
        RunOnMainThread([this, control, shift] { DeferredGpioClick(control, shift); });
    });
    m_pGPIOThread->AfterConstruction();
}

void TAudioMainForm::Dispatch(ui::TMessage& msg) {
    switch (msg.Msg) {
    case WM_DEVICECHANGE: OnDeviceChange(msg); return;  // it passes the message on itself
    case MM_WIM_DATA: OnMicLevelData(msg); break;
    default: break;
    }
    ui::TForm::Dispatch(msg);
}

// ---------------------------------------------------------------- messages

void TAudioMainForm::OnDeviceChange(ui::TMessage& msg) {
    DEVICE_BROADCAST broadcast;
    if (m_bLibraryBound && (msg.WParam == DBT_DEVICEARRIVAL || msg.WParam == DBT_DEVICEREMOVECOMPLETE) &&
        ReadBroadcast(msg.LParam, broadcast)) {
        if (msg.WParam == DBT_DEVICEARRIVAL) DeviceArrival1(broadcast);
        else DeviceRemoveComplete(broadcast);
    }
    ui::Application->ProcessMessages();
    ui::TForm::Dispatch(msg);
}

void TAudioMainForm::RunConnection(const std::function<void()>& sequence) {
    m_bConnectionRunning = 1;
    m_bRemovedWhileConnecting = 0;
    struct End {
        TAudioMainForm* form;
        ~End() {
            form->m_bConnectionRunning = 0;
            form->m_bRemovedWhileConnecting = 0;
            // What reached the window meanwhile runs now, in a message of its own.
            if (form->m_bArrivalDeferred) {
                form->m_bArrivalDeferred = 0;
                DEVICE_BROADCAST broadcast = form->m_DeferredArrival;
                form->RunOnMainThread([f = form, broadcast] { f->DeviceArrival1(broadcast); });
            }
            if (form->m_bTickDeferred) {
                form->m_bTickDeferred = 0;
                form->RunOnMainThread([f = form] {
                    if (f->Timer1->Enabled()) f->Timer1Timer(f->Timer1);
                });
            }
        }
    } end{this};
    sequence();
}

// ---------------------------------------------------------------- shared steps

void TAudioMainForm::SelectDevice(const std::wstring& hardwareId, const CONNECTION_RULES& rules) {
    GetVidPidFromPath(hardwareId, m_wVID, m_wPID);
    const int ret = fnDLLKQ_SetActive_Device(m_wVID, m_wPID);
    if (ret == 0) return;
    if (rules.traceSetActive) trace::Out(L"***** fnDLLKQ_SetActive_Device, ret = %d *****", ret);
    if (!rules.retrySetActive) return;
    if (rules.sleepBeforeRetry) ::Sleep(rules.sleepBeforeRetry);
    fnDLLKQ_SetActive_Device(m_wVID, m_wPID);
}

void TAudioMainForm::ShowDeviceLabel(const wchar_t* entry) {
    ApplyLanguageEntry(LanguageEntry(entry), Label(L"DeviceActiveLabel"), 1);
}

void TAudioMainForm::ShowDevicePictures() {
    // The input picture shows Down while the device is active, the output
    // picture while it is not (ToggleButton shows the flipped state).
    int s = m_bDeviceActive ? 0 : 1;
    ToggleButton(54, s);
    s = m_bDeviceActive ? 1 : 0;
    ToggleButton(55, s);
}

bool TAudioMainForm::TestDevice(const CONNECTION_RULES& rules) {
    device::DeviceHandle hid = OpenHidDevice(m_wVID, m_wPID);
    if (!hid) {
        Timer1->SetEnabled(true);
        ShowDeviceLabel(L"LabelUnactive");
        m_bDeviceActive = m_bSync = 0;
        ShowDevicePictures();
        ShowPage(m_iCurrentPage);
        return true;  // on to the timer step
    }
    hid.reset();
    m_hDevice = nullptr;
    for (int i = 0; i < rules.encOffTries; ++i) {
        if (Qorv_AudioSetOnOff(AUDIO_FEATURE_ENC, AUDIO_CMD_ONOFF, 0) != 0) continue;
        // Active whether or not the filter device opens.
        if (rules.setFilterPath) Qorv_Set_DEVICE_SYMBOLIC_NAME(m_wVID, m_wPID);
        m_bDeviceActive = m_bSync = 1;
        ShowDevicePictures();
        ShowPage(m_iCurrentPage);
        return true;
    }
    return false;
}

void TAudioMainForm::SetUpMicrophoneOnConnect() {
    if (!m_bMicInitialized) {
        if (m_pAudioEndpoint) ReleaseCaptureEndpoint(m_pAudioEndpoint);
        m_pAudioEndpoint = FindCaptureEndpoint(m_wVID, m_wPID);
        if (m_pAudioEndpoint || m_iOSVersionClass != kCoreAudioClass) {
            OpenMicLevelMeter();
            ReadMicState();
            if (m_iCurrentPage != kMicrophonePage) CloseMicLevelMeter();
            m_bMicInitialized = 1;
        }
    }
    SetMicMute(0);
    SetMicMonitor(0);
    Image(L"MicProgressImage")->SetWidth(0);
}

void TAudioMainForm::ReapplyDeviceState(const CONNECTION_RULES& rules) {
    // Microphone, lighting line, the endpoint given back.
    SetUpMicrophoneOnConnect();
    if (rules.clearMonitorFlag) m_bMicMonitor = 0;
    SyncLEDGpio(m_bLEDOn);
    if (m_pAudioEndpoint) ReleaseCaptureEndpoint(m_pAudioEndpoint);

    // ENC (or the GPIO lines) and the voice effect.
    if (rules.scanButtons && m_GPIOTable[kGpioModeOn] == 1) {
        ReadGPIOAndSetUI();
        ScanENCGPIO();
    } else {
        LoadENCState();
        UpdateENCUI();
        if (rules.scanButtons && m_bENCAvailable == 1 && m_iEncButtonMode == 1 && SetENCGpioMode() == 0) {
            trace::Text(L"[DeviceArrival1][ScanENCGPIO]");
            ScanENCGPIO();
        }
    }
    LoadTimbrexState();
    UpdateTimbrexUI();
    ShowPage(m_iCurrentPage);
    ui::Application->ProcessMessages();
    if (ConnectionInterrupted()) return;

    // Equaliser and 3D from the device's EEPROM (read twice) or switched on
    // by the default enables.
    auto restore = [this](int fromEEPROM, int (TAudioMainForm::*load)(), int defaultEnable, int& enable,
                          int (TAudioMainForm::*switchOn)(int)) {
        if (fromEEPROM == 1) {
            (this->*load)();
            (this->*load)();
        } else if (defaultEnable == 1) {
            enable = 1;
            (this->*switchOn)(1);
        }
    };
    restore(m_bEQFromEEPROM, &TAudioMainForm::LoadEQFromEEPROM, m_iDefaultEQEnable, m_bEQEnable,
            &TAudioMainForm::SetEQOnOff);
    if (rules.restore3D)
        restore(m_b3DFromEEPROM, &TAudioMainForm::Load3DFromEEPROM, m_iDefault3DEnable, m_b3DEnable,
                &TAudioMainForm::Set3DOnOff);

    // Virtual 7.1.
    m_b7ch1Enable = m_iDefault7ch1Enable == 1 ? 1 : 0;
    if (m_b3DV7ch1Exclusive == 1 && m_b3DEnable == 1) m_b7ch1Enable = 0;
    Update7ch1UI();
    ShowPage(m_iCurrentPage);
    DWORD unused = 0;
    FilterIoctl_ReadState(unused);
    OnceMoreWhenRefused([this] { return fnDLLKQ_SetVirtual7ch1_OnOff(m_b7ch1Enable); });
    OnceMoreWhenRefused([this] { return SendVirtual7ch1(m_b7ch1Enable); });
    OnceMoreWhenRefused([this] { return fnDLLKQ_SetVirtual7ch1_Scalar(m_fV7ch1Scalar); });
    if (m_iCurrentPage == kVirtual71Page && m_iProfile7ch1Enable == 1) {
        m_b7ch1Enable = 1;
        int state = 0;
        ToggleButton(Image(L"VirtualEnableImage")->Tag(), state);
        fnDLLKQ_SetVirtual7ch1_OnOff(m_b7ch1Enable);
    }
    FilterIoctl_ReadValue(0, unused);

    // Lighting at the first connection, then the label.
    if (++m_iConnectCount == 1) InitMultiColorLED();
    if (ConnectionInterrupted()) return;
    ShowPage(m_iCurrentPage);
    ShowDeviceLabel(L"LabelActive");
    if (rules.stopTimer1) Timer1->SetEnabled(false);
}

void TAudioMainForm::Connect(const CONNECTION_RULES& rules) {
    const std::wstring hardwareId = SearchDevice(m_Config.SourceFolderFullPath, rules.searchTries);
    if (hardwareId.empty()) {
        if (rules.traceNotFound) trace::Text(L"bResult = 0");
        return;
    }
    SelectDevice(hardwareId, rules);
    if (!TestDevice(rules) || ConnectionInterrupted()) return;
    if (m_bDeviceActive == 0) {
        Timer1->SetEnabled(true);
        return;
    }
    ReapplyDeviceState(rules);
}

// ---------------------------------------------------------------- arrival

void TAudioMainForm::DeviceArrival1(const DEVICE_BROADCAST& broadcast) {
    if (m_bConnectionRunning) {
        m_DeferredArrival = broadcast;
        m_bArrivalDeferred = 1;
        return;
    }
    RunConnection([this] {
        trace::Text(L"DeviceArrival1");
        ::Sleep(10);
        // A device in use (kept open by the construction, or connected by an
        // earlier arrival or retry) is left alone: any interface of the
        // system arrives here, a USB stick or a mouse as well.
        if (m_hDevice || m_bDeviceActive == 1) {
            trace::Text(L"m_hDevice != NULL");
            return;
        }
        Connect(kArrivalRules);
    });
}

// ---------------------------------------------------------------- retry timer

void TAudioMainForm::Timer1Timer(ui::TObject*) {
    if (m_bConnectionRunning) {
        m_bTickDeferred = 1;
        return;
    }
    RunConnection([this] {
        Connect(kRetryRules);
    });
}

// ---------------------------------------------------------------- removal

void TAudioMainForm::DeviceRemoveComplete(const DEVICE_BROADCAST& broadcast) {
    if (GuidText(broadcast.classGuid) != kHidClassText) return;
    WORD vendorId = 0, productId = 0;
    GetVidPidFromPath(broadcast.path, vendorId, productId);
    if (vendorId != m_wVID || productId != m_wPID) return;

    if (m_bConnectionRunning) m_bRemovedWhileConnecting = 1;
    ShowDeviceLabel(L"LabelUnactive");
    m_bDeviceActive = m_bSync = 0;
    m_bMicInitialized = 0;
    m_bEncButtonArmed = 0;
    ShowDevicePictures();
    ResetFeatureButtons();
    ShowPage(m_iCurrentPage);
    // The level meter records from the device that went: closed, so that
    // its buffers stop coming back.
    CloseMicLevelMeter();
    if (m_pAudioEndpoint) ReleaseCaptureEndpoint(m_pAudioEndpoint);
    if (!m_hDevice) return;
    device::DeviceHandle(m_hDevice).reset();
    m_hDevice = nullptr;
    // The lighting thread stays, idle for the rest of the run.
    IdleLightingAfterRemoval();
    m_iConnectCount = 0;
}
