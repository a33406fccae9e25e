// Simulated audio hardware behind the endpoint helpers' operating-system
// calls: the capture-device list, small fake Core Audio objects (each
// answers the few methods the helpers use, E_NOTIMPL elsewhere), winmm
// mixers, a private registry key for the capture endpoints' properties and
// the name of the audio service.
//
// The fake objects belong to the world and live as long as it does; their
// reference counts tell what a caller still holds, so a test can check that
// everything handed out was released.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>
#include <devicetopology.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "panel/device/AudioEndpoint.h"
#include "panel/device/EndpointSystem.h"

namespace epfake {

// IUnknown of every fake: counts references, never deletes itself.
template <typename I>
class Fake : public I {
public:
    explicit Fake(const IID& iid) : iid_(iid) {}
    virtual ~Fake() = default;
    Fake(const Fake&) = delete;
    Fake& operator=(const Fake&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        HRESULT hr = iid == IID_IUnknown || iid == iid_ ? S_OK : Answer(iid);
        if (FAILED(hr)) return hr;
        *out = static_cast<I*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs_); }

    // References handed out and not released (negative: released too often).
    long refs() const { return refs_; }

protected:
    // Whether QueryInterface gives this object for another interface.
    virtual HRESULT Answer(REFIID) { return E_NOINTERFACE; }
    template <typename T>
    HRESULT HandOut(T* object, void** out) {
        object->AddRef();
        *out = static_cast<void*>(object);
        return S_OK;
    }

private:
    IID iid_;
    long refs_ = 0;
};

class AutoGainControl : public Fake<AudioAutoGainControl> {
public:
    AutoGainControl() : Fake(IID_AudioAutoGainControl) {}
    BOOL enabled = FALSE;
    int gets = 0, sets = 0;

    HRESULT STDMETHODCALLTYPE GetEnabled(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE SetEnabled(BOOL value, LPCGUID context) override;
};

// A subunit of a device topology: its IPart offers the gain control.
class Subunit : public Fake<IPart> {
public:
    Subunit() : Fake(IID_IUnknown) {}
    HRESULT partResult = S_OK;      // QueryInterface(IPart)
    HRESULT activateResult = S_OK;  // IPart::Activate(gain control)
    AutoGainControl control;

    HRESULT STDMETHODCALLTYPE GetName(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLocalId(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGlobalId(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPartType(PartType*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSubType(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetControlInterfaceCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetControlInterface(UINT, IControlInterface**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumPartsIncoming(IPartsList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumPartsOutgoing(IPartsList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTopologyObjects(IDeviceTopology**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Activate(DWORD context, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE RegisterControlChangeCallback(REFGUID, IControlChangeNotify*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeCallback(IControlChangeNotify*) override { return E_NOTIMPL; }

protected:
    HRESULT Answer(REFIID iid) override;
};

class Connector : public Fake<IConnector> {
public:
    Connector() : Fake(__uuidof(IConnector)) {}
    std::wstring connectedDeviceId;
    HRESULT idResult = S_OK;

    HRESULT STDMETHODCALLTYPE GetType(ConnectorType*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDataFlow(DataFlow*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectTo(IConnector*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsConnected(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectedTo(IConnector**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectorIdConnectedTo(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDeviceIdConnectedTo(LPWSTR* id) override;
};

class Topology : public Fake<IDeviceTopology> {
public:
    Topology() : Fake(__uuidof(IDeviceTopology)) {}
    Connector connector;
    std::vector<std::unique_ptr<Subunit>> subunits;
    HRESULT connectorResult = S_OK, subunitCountResult = S_OK, subunitResult = S_OK;

    Subunit& AddSubunit();

    HRESULT STDMETHODCALLTYPE GetConnectorCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnector(UINT index, IConnector** out) override;
    HRESULT STDMETHODCALLTYPE GetSubunitCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetSubunit(UINT index, ISubUnit** out) override;
    HRESULT STDMETHODCALLTYPE GetPartById(UINT, IPart**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDeviceId(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSignalPath(IPart*, IPart*, BOOL, IPartsList**) override { return E_NOTIMPL; }
};

class EndpointVolume : public Fake<IAudioEndpointVolume> {
public:
    EndpointVolume() : Fake(__uuidof(IAudioEndpointVolume)) {}
    UINT step = 0, stepCount = 0;
    HRESULT stepInfoResult = S_OK;
    float level = -1.0f;  // the last scalar set; with 2 steps or more, it moves step
    GUID levelContext = {};
    HRESULT levelResult = S_OK;
    BOOL muted = FALSE;
    std::deque<HRESULT> muteResults;  // one per GetMute/SetMute call; S_OK once used up
    int muteCalls = 0;

    HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeNotify(IAudioEndpointVolumeCallback*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(float, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float value, LPCGUID context) override;
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, float, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, float, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMute(BOOL value, LPCGUID context) override;
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT* stepOut, UINT* countOut) override;
    HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolumeRange(float*, float*, float*) override { return E_NOTIMPL; }

private:
    HRESULT NextMuteResult();
};

class PropertyStore : public Fake<IPropertyStore> {
public:
    PropertyStore() : Fake(__uuidof(IPropertyStore)) {}
    std::wstring friendlyName;
    HRESULT valueResult = S_OK;

    HRESULT STDMETHODCALLTYPE GetCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD, PROPERTYKEY*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override;
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY, REFPROPVARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit() override { return E_NOTIMPL; }
};

// An endpoint or the device behind one.
class Device : public Fake<IMMDevice> {
public:
    explicit Device(std::wstring deviceId) : Fake(__uuidof(IMMDevice)), id(std::move(deviceId)) {}
    std::wstring id;
    PropertyStore properties;
    HRESULT storeResult = S_OK;
    bool hasVolume = true;
    EndpointVolume volume;
    HRESULT topologyResult = S_OK;  // Activate(IDeviceTopology)
    Topology topology;

    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD context, PROPVARIANT* parameters, void** out) override;
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD access, IPropertyStore** out) override;
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* out) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD*) override { return E_NOTIMPL; }
};

class Collection : public Fake<IMMDeviceCollection> {
public:
    Collection() : Fake(__uuidof(IMMDeviceCollection)) {}
    std::vector<Device*> items;
    HRESULT countResult = S_OK, itemResult = S_OK;

    HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE Item(UINT index, IMMDevice** out) override;
};

class Enumerator : public Fake<IMMDeviceEnumerator> {
public:
    Enumerator() : Fake(__uuidof(IMMDeviceEnumerator)) {}
    std::vector<std::unique_ptr<Device>> devices;  // every device GetDevice knows
    Collection activeCapture;                      // EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE)
    HRESULT enumResult = S_OK, getDeviceResult = S_OK;

    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow flow, DWORD states, IMMDeviceCollection** out) override;
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow, ERole, IMMDevice**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR id, IMMDevice** out) override;
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }
};

// A winmm mixer with a wave-in destination line and its source lines.
struct MixerControl {
    DWORD type = 0;
    DWORD minimum = 0, maximum = 65535;
    DWORD value = 0;
};
struct MixerLine {
    DWORD componentType = 0;
    std::vector<MixerControl> controls;
    MixerControl* Find(DWORD type);
};
struct Mixer {
    std::wstring targetName;  // the wave-in destination's Target.szPname
    bool hasWaveIn = true;
    MixerLine destination{MIXERLINE_COMPONENTTYPE_DST_WAVEIN, {}};
    std::vector<MixerLine> sources;
    MMRESULT lineControlsResult = MMSYSERR_NOERROR;  // every mixerGetLineControls
    MMRESULT detailsResult = MMSYSERR_NOERROR;       // every get/set of a value
    // What the last value call asked for: channels, items and detail size.
    DWORD lastChannels = 0, lastItems = 0, lastDetailBytes = 0;
};

// The world behind the helpers, in force from construction to destruction.
class EndpointWorld {
public:
    EndpointWorld();
    ~EndpointWorld();
    EndpointWorld(const EndpointWorld&) = delete;
    EndpointWorld& operator=(const EndpointWorld&) = delete;

    // The table in force; its entries can be pointed back at the real calls.
    device::EndpointSystemCalls calls;

    // Capture-device list.
    std::vector<device::CaptureDevice> captureDevices;
    void AddCaptureDevice(const std::wstring& interfacePath, const std::wstring& description);

    // Core Audio.
    Enumerator enumerator;
    HRESULT createResult = S_OK;
    int enumeratorsCreated = 0;
    // An active capture endpoint, in enumeration order.
    Device& AddCaptureEndpoint(const std::wstring& friendlyName);
    // A device that only GetDevice finds (the one behind an endpoint's connector).
    Device& AddDevice(const std::wstring& id);
    // "<object> <references>" for every fake object still referenced.
    std::vector<std::string> HeldReferences() const;

    // winmm.
    std::vector<Mixer> mixers;
    int mixersOpen = 0, mixerOpens = 0;

    // Registry: a private key (HKLM, 64-bit view) in place of the MMDevices
    // capture key, removed with everything in it at the end.
    std::wstring captureEndpointsKey;
    // Creates <key>\<endpoint>\Properties with the device instance text.
    bool AddEndpointKey(const std::wstring& endpoint, const std::wstring& instanceText);
    // The bytes of a value under <key>\<endpoint>\Properties; empty when absent.
    std::vector<BYTE> EndpointValue(const std::wstring& endpoint, const std::wstring& name) const;

    // The audio service: by default a name no service has.
    void UseAudioService(const std::wstring& name);

    // Sees every value the helpers set, as it is set: "volume <percent>",
    // "mute <0|1>", "boost <0|1>" (the gain control) and "mixer <control
    // type in hex> <value>". Empty by default.
    std::function<void(const std::string& change)> onChange;

    static EndpointWorld& Current();

private:
    std::wstring testRoot_;
    std::wstring audioServiceName_;
};

}  // namespace epfake
