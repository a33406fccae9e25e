#include "EndpointFakes.h"

#include <propidl.h>

#include <cstdio>
#include <cwchar>
#include <sstream>

#include "shared/ScopedWin.h"

namespace epfake {
namespace {

EndpointWorld* g_world = nullptr;

void Report(const std::string& change) {
    if (g_world && g_world->onChange) g_world->onChange(change);
}

// {82149A85-DBA6-4487-86BB-EA8F7FEFCC71}
constexpr IID kIID_ISubunit = {0x82149A85, 0xDBA6, 0x4487, {0x86, 0xBB, 0xEA, 0x8F, 0x7F, 0xEF, 0xCC, 0x71}};
// PKEY_Device_FriendlyName.
constexpr PROPERTYKEY kFriendlyName = {
    {0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};

wchar_t* CoTaskCopy(const std::wstring& text) {
    auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (copy) wmemcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// --- the seam's entries ----------------------------------------------------

std::vector<device::CaptureDevice> ListCaptureDevices() { return EndpointWorld::Current().captureDevices; }

HRESULT CreateDeviceEnumerator(IMMDeviceEnumerator** out) {
    EndpointWorld& world = EndpointWorld::Current();
    *out = nullptr;
    if (FAILED(world.createResult)) return world.createResult;
    ++world.enumeratorsCreated;
    world.enumerator.AddRef();
    *out = &world.enumerator;
    return S_OK;
}

constexpr UINT_PTR kMixerHandleBase = 0x4D00;
constexpr DWORD kDestinationLineId = 0xFFFF0000;

Mixer* MixerOf(HMIXEROBJ object) {
    auto& mixers = EndpointWorld::Current().mixers;
    UINT_PTR index = reinterpret_cast<UINT_PTR>(object) - kMixerHandleBase;
    return index < mixers.size() ? &mixers[index] : nullptr;
}

// Line 0 is the destination, line s + 1 source s.
MixerLine* LineOf(Mixer& mixer, DWORD lineId, DWORD* lineIndex) {
    if (lineId == kDestinationLineId) {
        *lineIndex = 0;
        return &mixer.destination;
    }
    if (lineId >= mixer.sources.size()) return nullptr;
    *lineIndex = lineId + 1;
    return &mixer.sources[lineId];
}

MixerControl* ControlOf(Mixer& mixer, DWORD controlId) {
    DWORD lineIndex = controlId >> 8, index = controlId & 0xFF;
    MixerLine* line = lineIndex == 0 ? &mixer.destination
                      : lineIndex <= mixer.sources.size() ? &mixer.sources[lineIndex - 1]
                                                           : nullptr;
    return line && index < line->controls.size() ? &line->controls[index] : nullptr;
}

void Describe(const MixerControl& control, DWORD lineIndex, DWORD index, MIXERCONTROLW& out) {
    out = {};
    out.cbStruct = sizeof(out);
    out.dwControlID = (lineIndex << 8) | index;
    out.dwControlType = control.type;
    out.Bounds.dwMinimum = control.minimum;
    out.Bounds.dwMaximum = control.maximum;
}

UINT WINAPI MixerGetNumDevs() { return static_cast<UINT>(EndpointWorld::Current().mixers.size()); }

MMRESULT WINAPI MixerOpen(LPHMIXER out, UINT id, DWORD_PTR, DWORD_PTR, DWORD) {
    EndpointWorld& world = EndpointWorld::Current();
    if (id >= world.mixers.size()) return MMSYSERR_BADDEVICEID;
    ++world.mixersOpen;
    ++world.mixerOpens;
    *out = reinterpret_cast<HMIXER>(kMixerHandleBase + id);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI MixerClose(HMIXER mixer) {
    if (!MixerOf(reinterpret_cast<HMIXEROBJ>(mixer))) return MMSYSERR_INVALHANDLE;
    --EndpointWorld::Current().mixersOpen;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI MixerGetLineInfo(HMIXEROBJ object, LPMIXERLINEW line, DWORD flags) {
    Mixer* mixer = MixerOf(object);
    if (!mixer) return MMSYSERR_INVALHANDLE;
    switch (flags & MIXER_GETLINEINFOF_QUERYMASK) {
    case MIXER_GETLINEINFOF_COMPONENTTYPE:
        if (line->dwComponentType != MIXERLINE_COMPONENTTYPE_DST_WAVEIN || !mixer->hasWaveIn) return MIXERR_INVALLINE;
        line->dwDestination = 0;
        line->dwLineID = kDestinationLineId;
        line->cConnections = static_cast<DWORD>(mixer->sources.size());
        line->cControls = static_cast<DWORD>(mixer->destination.controls.size());
        wcsncpy_s(line->Target.szPname, mixer->targetName.c_str(), _TRUNCATE);
        return MMSYSERR_NOERROR;
    case MIXER_GETLINEINFOF_SOURCE:
        if (line->dwDestination != 0 || line->dwSource >= mixer->sources.size()) return MIXERR_INVALLINE;
        line->dwLineID = line->dwSource;
        line->dwComponentType = mixer->sources[line->dwSource].componentType;
        line->cControls = static_cast<DWORD>(mixer->sources[line->dwSource].controls.size());
        return MMSYSERR_NOERROR;
    default: return MMSYSERR_NOTSUPPORTED;
    }
}

MMRESULT WINAPI MixerGetLineControls(HMIXEROBJ object, LPMIXERLINECONTROLSW query, DWORD flags) {
    Mixer* mixer = MixerOf(object);
    if (!mixer) return MMSYSERR_INVALHANDLE;
    if (mixer->lineControlsResult != MMSYSERR_NOERROR) return mixer->lineControlsResult;
    DWORD lineIndex = 0;
    MixerLine* line = LineOf(*mixer, query->dwLineID, &lineIndex);
    if (!line || query->cbmxctrl != sizeof(MIXERCONTROLW)) return MMSYSERR_INVALPARAM;
    switch (flags & MIXER_GETLINECONTROLSF_QUERYMASK) {
    case MIXER_GETLINECONTROLSF_ALL:
        if (query->cControls != line->controls.size() || query->cControls == 0) return MMSYSERR_INVALPARAM;
        for (DWORD i = 0; i < query->cControls; ++i) Describe(line->controls[i], lineIndex, i, query->pamxctrl[i]);
        return MMSYSERR_NOERROR;
    case MIXER_GETLINECONTROLSF_ONEBYTYPE:
        for (DWORD i = 0; i < line->controls.size(); ++i) {
            if (line->controls[i].type != query->dwControlType) continue;
            Describe(line->controls[i], lineIndex, i, query->pamxctrl[0]);
            return MMSYSERR_NOERROR;
        }
        return MIXERR_INVALCONTROL;
    default: return MMSYSERR_NOTSUPPORTED;
    }
}

MixerControl* ValueCall(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, MMRESULT& result) {
    Mixer* mixer = MixerOf(object);
    result = MMSYSERR_INVALHANDLE;
    if (!mixer) return nullptr;
    mixer->lastChannels = details->cChannels;
    mixer->lastItems = details->cMultipleItems;
    mixer->lastDetailBytes = details->cbDetails;
    result = mixer->detailsResult;
    if (result != MMSYSERR_NOERROR) return nullptr;
    MixerControl* control = ControlOf(*mixer, details->dwControlID);
    result = !control ? MIXERR_INVALCONTROL
             : details->cbDetails < sizeof(MIXERCONTROLDETAILS_UNSIGNED) || details->cChannels < 1
                 ? MMSYSERR_INVALPARAM
                 : MMSYSERR_NOERROR;
    return result == MMSYSERR_NOERROR ? control : nullptr;
}

MMRESULT WINAPI MixerGetControlDetails(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD) {
    MMRESULT result;
    if (MixerControl* control = ValueCall(object, details, result))
        static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails)->dwValue = control->value;
    return result;
}

MMRESULT WINAPI MixerSetControlDetails(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD) {
    MMRESULT result;
    if (MixerControl* control = ValueCall(object, details, result)) {
        control->value = static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails)->dwValue;
        char text[48];
        std::snprintf(text, sizeof(text), "mixer %08lx %lu", static_cast<unsigned long>(control->type),
                      static_cast<unsigned long>(control->value));
        Report(text);
    }
    return result;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void Held(std::vector<std::string>& out, const char* what, const std::wstring& name, long refs) {
    if (refs == 0) return;
    std::ostringstream line;
    line << what;
    if (!name.empty()) line << " '" << Narrow(name) << "'";
    line << " " << refs;
    out.push_back(line.str());
}

}  // namespace

// --- fake objects ----------------------------------------------------------

HRESULT AutoGainControl::GetEnabled(BOOL* value) {
    ++gets;
    *value = enabled;
    return S_OK;
}

HRESULT AutoGainControl::SetEnabled(BOOL value, LPCGUID) {
    ++sets;
    enabled = value;
    Report(std::string("boost ") + (value ? "1" : "0"));
    return S_OK;
}

HRESULT Subunit::Answer(REFIID iid) {
    if (iid == kIID_ISubunit) return S_OK;
    return iid == __uuidof(IPart) ? partResult : E_NOINTERFACE;
}

HRESULT Subunit::Activate(DWORD, REFIID iid, void** out) {
    *out = nullptr;
    if (iid != IID_AudioAutoGainControl) return E_NOINTERFACE;
    if (activateResult != S_OK) return activateResult;
    return HandOut(&control, out);
}

HRESULT Connector::GetDeviceIdConnectedTo(LPWSTR* id) {
    *id = nullptr;
    if (FAILED(idResult)) return idResult;
    *id = CoTaskCopy(connectedDeviceId);
    return S_OK;
}

Subunit& Topology::AddSubunit() {
    subunits.push_back(std::make_unique<Subunit>());
    return *subunits.back();
}

HRESULT Topology::GetConnector(UINT index, IConnector** out) {
    *out = nullptr;
    if (FAILED(connectorResult)) return connectorResult;
    if (index != 0) return E_INVALIDARG;
    return HandOut(&connector, reinterpret_cast<void**>(out));
}

HRESULT Topology::GetSubunitCount(UINT* count) {
    if (FAILED(subunitCountResult)) return subunitCountResult;
    *count = static_cast<UINT>(subunits.size());
    return S_OK;
}

HRESULT Topology::GetSubunit(UINT index, ISubUnit** out) {
    *out = nullptr;
    if (FAILED(subunitResult)) return subunitResult;
    if (index >= subunits.size()) return E_INVALIDARG;
    // A subunit is handed out as its IUnknown; IPart comes by QueryInterface.
    return HandOut(static_cast<IUnknown*>(subunits[index].get()), reinterpret_cast<void**>(out));
}

HRESULT EndpointVolume::NextMuteResult() {
    ++muteCalls;
    if (muteResults.empty()) return S_OK;
    HRESULT hr = muteResults.front();
    muteResults.pop_front();
    return hr;
}

HRESULT EndpointVolume::SetMasterVolumeLevelScalar(float value, LPCGUID context) {
    if (FAILED(levelResult)) return levelResult;
    level = value;
    levelContext = context ? *context : GUID{0xFFFFFFFF, 0, 0, {}};
    if (stepCount >= 2) step = static_cast<UINT>(value * static_cast<float>(stepCount - 1) + 0.5f);
    Report("volume " + std::to_string(static_cast<int>(value * 100.0f + 0.5f)));
    return S_OK;
}

HRESULT EndpointVolume::SetMute(BOOL value, LPCGUID) {
    HRESULT hr = NextMuteResult();
    if (FAILED(hr)) return hr;
    const bool unchanged = (muted != FALSE) == (value != FALSE);
    muted = value;
    Report(std::string("mute ") + (value ? "1" : "0"));
    return unchanged ? S_FALSE : hr;  // as Windows answers
}

HRESULT EndpointVolume::GetMute(BOOL* value) {
    HRESULT hr = NextMuteResult();
    if (SUCCEEDED(hr)) *value = muted;
    return hr;
}

HRESULT EndpointVolume::GetVolumeStepInfo(UINT* stepOut, UINT* countOut) {
    if (FAILED(stepInfoResult)) return stepInfoResult;
    *stepOut = step;
    *countOut = stepCount;
    return S_OK;
}

HRESULT PropertyStore::GetValue(REFPROPERTYKEY key, PROPVARIANT* value) {
    ::PropVariantInit(value);
    if (FAILED(valueResult)) return valueResult;
    if (key.fmtid != kFriendlyName.fmtid || key.pid != kFriendlyName.pid) return S_OK;  // VT_EMPTY
    value->vt = VT_LPWSTR;
    value->pwszVal = CoTaskCopy(friendlyName);
    return S_OK;
}

HRESULT Device::Activate(REFIID iid, DWORD, PROPVARIANT*, void** out) {
    *out = nullptr;
    if (iid == __uuidof(IAudioEndpointVolume)) return hasVolume ? HandOut(&volume, out) : E_NOINTERFACE;
    if (iid == __uuidof(IDeviceTopology)) return FAILED(topologyResult) ? topologyResult : HandOut(&topology, out);
    return E_NOINTERFACE;
}

HRESULT Device::OpenPropertyStore(DWORD, IPropertyStore** out) {
    *out = nullptr;
    if (FAILED(storeResult)) return storeResult;
    return HandOut(&properties, reinterpret_cast<void**>(out));
}

HRESULT Device::GetId(LPWSTR* out) {
    *out = CoTaskCopy(id);
    return S_OK;
}

HRESULT Collection::GetCount(UINT* count) {
    if (FAILED(countResult)) return countResult;
    *count = static_cast<UINT>(items.size());
    return S_OK;
}

HRESULT Collection::Item(UINT index, IMMDevice** out) {
    *out = nullptr;
    if (FAILED(itemResult)) return itemResult;
    if (index >= items.size()) return E_INVALIDARG;
    return HandOut(items[index], reinterpret_cast<void**>(out));
}

HRESULT Enumerator::EnumAudioEndpoints(EDataFlow flow, DWORD states, IMMDeviceCollection** out) {
    *out = nullptr;
    if (FAILED(enumResult)) return enumResult;
    if (flow != eCapture || states != DEVICE_STATE_ACTIVE) return E_INVALIDARG;  // only this list is simulated
    return HandOut(&activeCapture, reinterpret_cast<void**>(out));
}

HRESULT Enumerator::GetDevice(LPCWSTR id, IMMDevice** out) {
    *out = nullptr;
    if (FAILED(getDeviceResult)) return getDeviceResult;
    for (auto& device : devices) {
        if (id && device->id == id) return HandOut(device.get(), reinterpret_cast<void**>(out));
    }
    return E_NOTFOUND;
}

MixerControl* MixerLine::Find(DWORD type) {
    for (auto& control : controls) {
        if (control.type == type) return &control;
    }
    return nullptr;
}

// --- the world -------------------------------------------------------------

EndpointWorld::EndpointWorld() {
    calls = device::RealEndpointSystem();
    calls.ListCaptureDevices = ListCaptureDevices;
    calls.CreateDeviceEnumerator = CreateDeviceEnumerator;
    calls.mixerGetNumDevs = MixerGetNumDevs;
    calls.mixerOpen = MixerOpen;
    calls.mixerClose = MixerClose;
    calls.mixerGetLineInfoW = MixerGetLineInfo;
    calls.mixerGetLineControlsW = MixerGetLineControls;
    calls.mixerGetControlDetailsW = MixerGetControlDetails;
    calls.mixerSetControlDetails = MixerSetControlDetails;
    testRoot_ = L"SOFTWARE\\VelloTests\\Endpoints" + std::to_wstring(::GetCurrentProcessId());
    captureEndpointsKey = testRoot_ + L"\\Capture";
    calls.captureEndpointsKey = captureEndpointsKey.c_str();
    UseAudioService(L"VelloNoSuchAudioService");
    g_world = this;
    device::InstallEndpointSystem(&calls);
}

EndpointWorld::~EndpointWorld() {
    device::InstallEndpointSystem(nullptr);
    g_world = nullptr;
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, testRoot_.c_str());
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VelloTests", KEY_WOW64_64KEY, 0);  // only when empty
}

EndpointWorld& EndpointWorld::Current() { return *g_world; }

void EndpointWorld::AddCaptureDevice(const std::wstring& interfacePath, const std::wstring& description) {
    captureDevices.push_back({interfacePath, description});
}

Device& EndpointWorld::AddDevice(const std::wstring& id) {
    enumerator.devices.push_back(std::make_unique<Device>(id));
    return *enumerator.devices.back();
}

Device& EndpointWorld::AddCaptureEndpoint(const std::wstring& friendlyName) {
    Device& endpoint = AddDevice(L"{0.0.1.00000000}.{endpoint-" + std::to_wstring(enumerator.devices.size()) + L"}");
    endpoint.properties.friendlyName = friendlyName;
    enumerator.activeCapture.items.push_back(&endpoint);
    return endpoint;
}

std::vector<std::string> EndpointWorld::HeldReferences() const {
    std::vector<std::string> held;
    Held(held, "enumerator", L"", enumerator.refs());
    Held(held, "collection", L"", enumerator.activeCapture.refs());
    for (const auto& device : enumerator.devices) {
        const std::wstring& name = device->properties.friendlyName.empty() ? device->id : device->properties.friendlyName;
        Held(held, "device", name, device->refs());
        Held(held, "properties", name, device->properties.refs());
        Held(held, "volume", name, device->volume.refs());
        Held(held, "topology", name, device->topology.refs());
        Held(held, "connector", name, device->topology.connector.refs());
        for (const auto& subunit : device->topology.subunits) {
            Held(held, "subunit", name, subunit->refs());
            Held(held, "gain control", name, subunit->control.refs());
        }
    }
    return held;
}

bool EndpointWorld::AddEndpointKey(const std::wstring& endpoint, const std::wstring& instanceText) {
    win::RegKey key;
    std::wstring path = captureEndpointsKey + L"\\" + endpoint + L"\\Properties";
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    if (instanceText.empty()) return true;
    return ::RegSetValueExW(key.get(), L"{233164c8-1b2c-4c7d-bc68-b671687a2567},1", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(instanceText.c_str()),
                            static_cast<DWORD>((instanceText.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::vector<BYTE> EndpointWorld::EndpointValue(const std::wstring& endpoint, const std::wstring& name) const {
    win::RegKey key;
    std::wstring path = captureEndpointsKey + L"\\" + endpoint + L"\\Properties";
    BYTE data[256];
    DWORD size = sizeof(data), type = 0;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) !=
            ERROR_SUCCESS ||
        ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return {};
    return std::vector<BYTE>(data, data + size);
}

void EndpointWorld::UseAudioService(const std::wstring& name) {
    audioServiceName_ = name;
    calls.audioServiceName = audioServiceName_.c_str();
}

}  // namespace epfake
