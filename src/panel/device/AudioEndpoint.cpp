#include "panel/device/AudioEndpoint.h"

#include <mmdeviceapi.h>
#include <endpointvolume.h>
#include <devicetopology.h>
#include <propidl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "panel/device/EndpointSystem.h"
#include "shared/Registry.h"
#include "shared/ServiceControl.h"
#include "shared/ScopedWin.h"

wchar_t DeviceUsbPathPrefix[kDeviceUsbPathPrefixChars] = {};

namespace {

// PKEY_Device_FriendlyName.
constexpr PROPERTYKEY kFriendlyNameKey = {
    {0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};

void FormatDeviceUsbPathPrefix(WORD vendorId, WORD productId) {
    swprintf_s(DeviceUsbPathPrefix, kDeviceUsbPathPrefixChars, L"\\\\?\\USB#VID_%04X&PID_%04X", vendorId, productId);
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t length = wcslen(prefix);
    return length > 0 && text.size() >= length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}

// A string that COM allocated for the caller.
struct CoTaskMemFreer {
    void operator()(wchar_t* p) const { ::CoTaskMemFree(p); }
};
using CoTaskString = std::unique_ptr<wchar_t, CoTaskMemFreer>;

// A property value, cleared on every path.
class PropVariant {
public:
    PropVariant() { ::PropVariantInit(&value_); }
    ~PropVariant() { ::PropVariantClear(&value_); }
    PropVariant(const PropVariant&) = delete;
    PropVariant& operator=(const PropVariant&) = delete;
    PROPVARIANT* put() { return &value_; }
    const wchar_t* text() const { return value_.vt == VT_LPWSTR && value_.pwszVal ? value_.pwszVal : nullptr; }

private:
    PROPVARIANT value_;
};

// Whether the endpoint's friendly name contains name; false when it cannot be read.
bool FriendlyNameContains(IMMDevice* endpoint, const std::wstring& name, bool& readFailed) {
    win::ComPtr<IPropertyStore> store;
    PropVariant friendlyName;
    readFailed = FAILED(endpoint->OpenPropertyStore(STGM_READ, store.put())) ||
                 FAILED(store->GetValue(kFriendlyNameKey, friendlyName.put()));
    return !readFailed && friendlyName.text() && wcsstr(friendlyName.text(), name.c_str());
}

// The endpoint's IAudioEndpointVolume inside the endpoint functions' own COM
// initialisation; empty when the endpoint has none.
class EndpointVolume {
public:
    explicit EndpointVolume(IMMDevice* endpoint) {
        if (endpoint)
            endpoint->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, volume_.put_void());
    }
    IAudioEndpointVolume* operator->() const { return volume_.get(); }
    explicit operator bool() const { return static_cast<bool>(volume_); }

private:
    win::ComInit com_;
    win::ComPtr<IAudioEndpointVolume> volume_;
};

// SetMute answers S_FALSE when the state was already the one asked for.
int MuteResult(HRESULT hr) { return SUCCEEDED(hr) ? kEndpointDone : static_cast<int>(hr); }

// The gain control of the first subunit of the device behind the endpoint
// that offers one, and then Apply(control) on it. The result as
// GetEndpointAGC describes it.
template <typename Apply>
int WithAutoGainControl(IMMDevice* endpoint, Apply apply) {
    win::ComInit com;
    win::ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(device::EndpointSystem().CreateDeviceEnumerator(enumerator.put()))) return kAgcNoEnumerator;
    win::ComPtr<IDeviceTopology> endpointTopology;
    if (!endpoint ||
        FAILED(endpoint->Activate(__uuidof(IDeviceTopology), CLSCTX_ALL, nullptr, endpointTopology.put_void())))
        return kAgcNoEndpointTopology;
    win::ComPtr<IConnector> connector;
    if (FAILED(endpointTopology->GetConnector(0, connector.put()))) return kAgcNoConnector;
    CoTaskString deviceId;
    {
        wchar_t* id = nullptr;
        HRESULT hr = connector->GetDeviceIdConnectedTo(&id);
        deviceId.reset(id);
        if (FAILED(hr)) return kAgcNoConnectedDeviceId;
    }
    win::ComPtr<IMMDevice> device;
    if (FAILED(enumerator->GetDevice(deviceId.get(), device.put()))) return kAgcNoConnectedDevice;
    win::ComPtr<IDeviceTopology> topology;
    if (FAILED(device->Activate(__uuidof(IDeviceTopology), CLSCTX_ALL, nullptr, topology.put_void())))
        return kAgcNoDeviceTopology;
    UINT subunits = 0;
    if (FAILED(topology->GetSubunitCount(&subunits))) return kAgcNoSubunitCount;

    HRESULT lastRefusal = S_OK;
    for (UINT i = 0; i < subunits; ++i) {
        win::ComPtr<IUnknown> subunit;
        if (FAILED(topology->GetSubunit(i, reinterpret_cast<ISubUnit**>(subunit.put())))) return kAgcNoSubunit;
        win::ComPtr<IPart> part;
        if (FAILED(subunit->QueryInterface(__uuidof(IPart), part.put_void()))) return kAgcNoPart;
        win::ComPtr<AudioAutoGainControl> control;
        lastRefusal = part->Activate(CLSCTX_ALL, IID_AudioAutoGainControl, control.put_void());
        if (lastRefusal == S_OK && control) {
            apply(control.get());
            return kAgcDone;
        }
    }
    return static_cast<int>(lastRefusal);
}

// --- winmm mixer -----------------------------------------------------------

struct MixerTraits {
    static HMIXER Invalid() { return nullptr; }
    static void Close(HMIXER h) { device::EndpointSystem().mixerClose(h); }
};
using MixerHandle = win::Scoped<HMIXER, MixerTraits>;

constexpr DWORD kControlTypeFor[] = {
    MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLTYPE_VOLUME,  // read, write volume
    MIXERCONTROL_CONTROLTYPE_MUTE,   MIXERCONTROL_CONTROLTYPE_MUTE,    // read, write mute
    MIXERCONTROL_CONTROLTYPE_MUX,    MIXERCONTROL_CONTROLTYPE_MUX,     // read, write multiplexer
};

HMIXEROBJ AsObject(HMIXER mixer) { return reinterpret_cast<HMIXEROBJ>(mixer); }

// Whether the line has a control of the type. false with failed set when its
// controls cannot be read.
bool LineHasControl(HMIXER mixer, const MIXERLINEW& line, DWORD type, bool& failed) {
    if (line.cControls == 0) return false;
    std::vector<MIXERCONTROLW> controls(line.cControls);
    MIXERLINECONTROLSW query = {};
    query.cbStruct = sizeof(query);
    query.dwLineID = line.dwLineID;
    query.cControls = line.cControls;
    query.cbmxctrl = sizeof(MIXERCONTROLW);
    query.pamxctrl = controls.data();
    if (device::EndpointSystem().mixerGetLineControlsW(AsObject(mixer), &query,
                                                       MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) !=
        MMSYSERR_NOERROR) {
        failed = true;
        return false;
    }
    return std::any_of(controls.begin(), controls.end(),
                       [type](const MIXERCONTROLW& c) { return c.dwControlType == type; });
}

enum class LineSearch { found, absent, failed };

// The mixer's wave-in destination when it names the capture device.
bool CaptureDestination(HMIXER mixer, const std::wstring& captureName, MIXERLINEW& line) {
    line = {};
    line.cbStruct = sizeof(line);
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
    if (device::EndpointSystem().mixerGetLineInfoW(AsObject(mixer), &line,
                                                   MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
        MMSYSERR_NOERROR)
        return false;
    // The two names agree over the shorter one's length, and neither is empty.
    const size_t length = std::min(wcsnlen(line.Target.szPname, MAXPNAMELEN), captureName.size());
    return length > 0 && _wcsnicmp(line.Target.szPname, captureName.c_str(), length) == 0;
}

// The destination line when it has the control, else its first microphone
// or undefined source line that has it.
LineSearch FindLineWithControl(HMIXER mixer, const MIXERLINEW& destination, DWORD type, MIXERLINEW& found) {
    bool failed = false;
    if (LineHasControl(mixer, destination, type, failed)) {
        found = destination;
        return LineSearch::found;
    }
    if (failed) return LineSearch::failed;
    for (DWORD source = 0; source < destination.cConnections; ++source) {
        MIXERLINEW line = {};
        line.cbStruct = sizeof(line);
        line.dwDestination = destination.dwDestination;
        line.dwSource = source;
        if (device::EndpointSystem().mixerGetLineInfoW(AsObject(mixer), &line,
                                                       MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) !=
            MMSYSERR_NOERROR)
            break;
        if (line.dwComponentType != MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE &&
            line.dwComponentType != MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED)
            continue;
        if (LineHasControl(mixer, line, type, failed)) {
            found = line;
            return LineSearch::found;
        }
        if (failed) return LineSearch::failed;
    }
    return LineSearch::absent;
}

// One value of the line's control of the type: read, or written from value.
int RunOnControl(HMIXER mixer, const MIXERLINEW& line, int operation, DWORD& value, DWORD& minimum,
                 DWORD& maximum) {
    const auto& os = device::EndpointSystem();
    MIXERCONTROLW control = {};
    control.cbStruct = sizeof(control);
    MIXERLINECONTROLSW query = {};
    query.cbStruct = sizeof(query);
    query.dwLineID = line.dwLineID;
    query.dwControlType = kControlTypeFor[operation];
    query.cControls = 1;
    query.cbmxctrl = sizeof(control);
    query.pamxctrl = &control;
    if (os.mixerGetLineControlsW(AsObject(mixer), &query, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
        MMSYSERR_NOERROR)
        return 0;
    if (operation == kMixerReadVolume && control.Bounds.dwMinimum == control.Bounds.dwMaximum) return 0;

    MIXERCONTROLDETAILS_UNSIGNED detail = {value};
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof(details);
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cMultipleItems = 0;
    details.cbDetails = sizeof(detail);
    details.paDetails = &detail;
    const bool write = operation % 2 == 1;
    MMRESULT result =
        write ? os.mixerSetControlDetails(AsObject(mixer), &details,
                                          MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE)
              : os.mixerGetControlDetailsW(AsObject(mixer), &details,
                                           MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    if (result != MMSYSERR_NOERROR) return 0;
    if (!write) value = detail.dwValue;
    if (operation == kMixerReadVolume) {
        minimum = control.Bounds.dwMinimum;
        maximum = control.Bounds.dwMaximum;
    }
    return 1;
}

int RunOnCaptureMixer(int operation, DWORD& value, DWORD& minimum, DWORD& maximum, const std::wstring& captureName) {
    const auto& os = device::EndpointSystem();
    const UINT mixers = os.mixerGetNumDevs();
    for (UINT id = 0; id < mixers; ++id) {
        MixerHandle mixer;
        if (os.mixerOpen(mixer.put(), id, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) continue;
        MIXERLINEW destination;
        if (!CaptureDestination(mixer.get(), captureName, destination)) continue;
        MIXERLINEW line;
        switch (FindLineWithControl(mixer.get(), destination, kControlTypeFor[operation], line)) {
        case LineSearch::failed: return 0;
        case LineSearch::absent: continue;
        case LineSearch::found: return RunOnControl(mixer.get(), line, operation, value, minimum, maximum);
        }
    }
    return 0;
}

// --- listen-to-device property ---------------------------------------------

// The endpoint's device instance text, and the two listen settings.
constexpr wchar_t kInstanceValue[] = L"{233164c8-1b2c-4c7d-bc68-b671687a2567},1";
constexpr const wchar_t* kListenValues[] = {L"{24dbb0fc-9311-4b3d-9cf0-18ff155639d4},1",
                                            L"{24dbb0fc-9311-4b3d-9cf0-18ff155639d4},4"};
constexpr DWORD kInstanceTextBytes = 260;

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) ::CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool NamesDevice(HKEY properties, const std::wstring& vendor, const std::wstring& product) {
    BYTE data[kInstanceTextBytes] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (::RegQueryValueExW(properties, kInstanceValue, nullptr, &type, data, &size) != ERROR_SUCCESS) return false;
    const std::wstring text = UpperCase(RegistryTextFromBytes(data, size));
    return text.find(vendor) != std::wstring::npos && text.find(product) != std::wstring::npos;
}

void WriteListenSetting(HKEY endpoints, const std::wstring& propertiesPath, int on) {
    win::RegKey properties;
    if (::RegOpenKeyExW(endpoints, propertiesPath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY | KEY_SET_VALUE,
                        properties.put()) != ERROR_SUCCESS)
        return;
    BYTE setting[16] = {0x0B, 0, 0, 0, 0x01, 0, 0, 0};
    setting[8] = setting[9] = on == 1 ? 0xFF : 0x00;
    for (const wchar_t* name : kListenValues)
        ::RegSetValueExW(properties.get(), name, 0, REG_BINARY, setting, sizeof(setting));
    ::RegFlushKey(properties.get());
}

}  // namespace

std::wstring FindCaptureDeviceName(WORD vendorId, WORD productId) {
    FormatDeviceUsbPathPrefix(vendorId, productId);
    std::wstring name;
    for (const device::CaptureDevice& capture : device::EndpointSystem().ListCaptureDevices()) {
        if (StartsWithNoCase(capture.interfacePath, DeviceUsbPathPrefix))
            name = capture.description.substr(0, kCaptureNameChars - 1);
    }
    return name;
}

IMMDevice* FindCaptureEndpoint(WORD vendorId, WORD productId) {
    const std::wstring captureName = FindCaptureDeviceName(vendorId, productId);
    if (captureName.empty()) return nullptr;
    win::ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(device::EndpointSystem().CreateDeviceEnumerator(enumerator.put()))) return nullptr;
    win::ComPtr<IMMDeviceCollection> endpoints;
    UINT count = 0;
    if (FAILED(enumerator->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, endpoints.put())) ||
        FAILED(endpoints->GetCount(&count)))
        return nullptr;
    for (UINT i = 0; i < count; ++i) {
        win::ComPtr<IMMDevice> endpoint;
        if (FAILED(endpoints->Item(i, endpoint.put()))) return nullptr;
        bool readFailed = false;
        if (FriendlyNameContains(endpoint.get(), captureName, readFailed)) {
            IMMDevice* found = endpoint.get();
            found->AddRef();
            return found;
        }
        if (readFailed) return nullptr;
    }
    return nullptr;
}

void ReleaseCaptureEndpoint(IMMDevice*& endpoint) {
    if (endpoint) endpoint->Release();
    endpoint = nullptr;
}

int GetEndpointVolume(IMMDevice* endpoint, int& percent) {
    EndpointVolume volume(endpoint);
    if (!volume) return kEndpointNoVolumeControl;
    UINT step = 0, steps = 0;
    if (FAILED(volume->GetVolumeStepInfo(&step, &steps)) || steps < 2) return kEndpointVolumeFailed;
    percent = static_cast<int>(step * 100u / (steps - 1u));
    return kEndpointDone;
}

int SetEndpointVolume(IMMDevice* endpoint, int percent) {
    EndpointVolume volume(endpoint);
    if (!volume) return kEndpointNoVolumeControl;
    const float level = static_cast<float>(percent * 0.01);
    return SUCCEEDED(volume->SetMasterVolumeLevelScalar(level, &GUID_NULL)) ? kEndpointDone : kEndpointVolumeFailed;
}

int GetEndpointMute(IMMDevice* endpoint, BOOL& muted) {
    EndpointVolume volume(endpoint);
    if (!volume) return kEndpointNoVolumeControl;
    return MuteResult(volume->GetMute(&muted));
}

int SetEndpointMute(IMMDevice* endpoint, BOOL muted) {
    EndpointVolume volume(endpoint);
    if (!volume) return kEndpointNoVolumeControl;
    return MuteResult(volume->SetMute(muted, &GUID_NULL));
}

int GetEndpointAGC(IMMDevice* endpoint, BOOL& enabled) {
    return WithAutoGainControl(endpoint, [&](AudioAutoGainControl* control) { control->GetEnabled(&enabled); });
}

int SetEndpointAGC(IMMDevice* endpoint, BOOL enabled) {
    return WithAutoGainControl(endpoint, [&](AudioAutoGainControl* control) { control->SetEnabled(enabled, nullptr); });
}

int MixerDeviceControl(int operation, DWORD& value, DWORD& minimum, DWORD& maximum, WORD vendorId,
                       WORD productId) {
    if (operation < kMixerReadVolume || operation > kMixerWriteMux) return 0;
    try {
        const std::wstring captureName = FindCaptureDeviceName(vendorId, productId);
        if (captureName.empty()) return 0;
        return RunOnCaptureMixer(operation, value, minimum, maximum, captureName);
    } catch (...) {
        return 0;
    }
}

DWORD MixerVolumeFromPercent(int percent) { return static_cast<DWORD>(percent) * 65535u / 100u; }

bool PercentFromMixerVolume(DWORD value, DWORD minimum, DWORD maximum, int& percent) {
    if (maximum == minimum) return false;
    percent = static_cast<int>(static_cast<double>(value) / (static_cast<double>(maximum) - minimum) * 100.0);
    return true;
}

void SetListenToDeviceProperty(int on, WORD vendorId, WORD productId) {
    win::RegKey endpoints;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, device::EndpointSystem().captureEndpointsKey, 0,
                        KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_64KEY, endpoints.put()) != ERROR_SUCCESS)
        return;
    wchar_t id[16];
    swprintf_s(id, L"VID_%04X", vendorId);
    const std::wstring vendor = id;
    swprintf_s(id, L"PID_%04X", productId);
    const std::wstring product = id;

    for (DWORD index = 0;; ++index) {
        wchar_t name[260];
        DWORD nameChars = 260;
        LONG result = ::RegEnumKeyExW(endpoints.get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;
        const std::wstring propertiesPath = std::wstring(name) + L"\\Properties";
        win::RegKey properties;
        if (::RegOpenKeyExW(endpoints.get(), propertiesPath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                            properties.put()) != ERROR_SUCCESS)
            continue;
        if (NamesDevice(properties.get(), vendor, product)) WriteListenSetting(endpoints.get(), propertiesPath, on);
    }
}

int RestartAudioService() {
    const wchar_t* name = device::EndpointSystem().audioServiceName;
    switch (ControlTheService(name, SERVICE_CONTROL_STOP)) {
    case kServiceStopRequestFailed: return kAudioServiceStopRefused;
    case kServiceStopTimedOut: return kAudioServiceNotStopped;
    default: break;  // stopped, or not there to stop: start it
    }
    return ControlTheService(name, SERVICE_CONTROL_START) == kServiceDone ? kAudioServiceRestarted
                                                                          : kAudioServiceStartFailed;
}

int AbsValue(int value) { return value < 0 ? -value : value; }
