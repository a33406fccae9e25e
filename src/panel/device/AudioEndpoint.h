// The device microphone through Windows: its capture device's name, its
// Core Audio capture endpoint (volume, mute, automatic gain control), its
// winmm mixer line (older Windows), the capture endpoint's listen-to-device
// property and the restart of the Windows audio service that applies it.
//
// Everything runs on the main window's thread. The Core Audio functions
// need COM on that thread for as long as an endpoint is held (the main
// window keeps it initialised for its life); the volume, mute and gain
// functions balance a CoInitialize of their own around their work.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

struct IMMDevice;

// "\\?\USB#VID_%04X&PID_%04X" of the device last looked up: the start of the
// interface paths of the device's own capture devices.
constexpr size_t kDeviceUsbPathPrefixChars = 520;
extern wchar_t DeviceUsbPathPrefix[kDeviceUsbPathPrefixChars];

// Longest capture-device name kept, with its terminator.
constexpr size_t kCaptureNameChars = 260;

// The name of the device's capture device: formats DeviceUsbPathPrefix and
// takes the description of the last capture device whose interface path
// starts with it (case-insensitive), cut to kCaptureNameChars - 1
// characters. Empty when no capture device belongs to the device.
std::wstring FindCaptureDeviceName(WORD vendorId, WORD productId);

// The first active capture endpoint whose friendly name contains the
// device's capture-device name, with one reference for the caller; nullptr
// when the device has no capture device or no endpoint carries its name.
IMMDevice* FindCaptureEndpoint(WORD vendorId, WORD productId);
// Releases an endpoint from FindCaptureEndpoint and sets the pointer to null.
void ReleaseCaptureEndpoint(IMMDevice*& endpoint);

// Results of the endpoint volume functions.
enum EndpointVolumeResult : int {
    kEndpointDone = 0,
    kEndpointNoVolumeControl = 2,  // no IAudioEndpointVolume on the endpoint
    kEndpointVolumeFailed = 3,     // the step count could not be read or is below 2;
                                   // the new level was refused
};
// percent = step * 100 / (step count - 1); percent is untouched on failure.
int GetEndpointVolume(IMMDevice* endpoint, int& percent);
// Sets the level scalar percent * 0.01.
int SetEndpointVolume(IMMDevice* endpoint, int percent);

// The mute state: 0 when GetMute / SetMute succeeded (also when the state
// was already the one asked for), else their failing HRESULT;
// kEndpointNoVolumeControl without IAudioEndpointVolume.
int GetEndpointMute(IMMDevice* endpoint, BOOL& muted);
int SetEndpointMute(IMMDevice* endpoint, BOOL muted);

// Results of the automatic gain control functions: the step of the way from
// the endpoint through its connector to the device's topology that failed.
// Any other non-zero result is the HRESULT with which the last subunit
// refused the gain control.
enum EndpointAgcResult : int {
    kAgcDone = 0,  // also when the device has no subunits (enabled untouched)
    kAgcNoEnumerator = 2,
    kAgcNoEndpointTopology = 3,
    kAgcNoConnector = 4,
    kAgcNoConnectedDeviceId = 5,
    kAgcNoConnectedDevice = 6,
    kAgcNoDeviceTopology = 7,
    kAgcNoSubunitCount = 8,
    kAgcNoSubunit = 9,
    kAgcNoPart = 10,
};
int GetEndpointAGC(IMMDevice* endpoint, BOOL& enabled);
int SetEndpointAGC(IMMDevice* endpoint, BOOL enabled);

// The automatic gain control interface in Windows' own layout (the
// toolchain's declaration gives its two methods the wrong signatures).
struct AudioAutoGainControl : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetEnabled(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetEnabled(BOOL enable, LPCGUID eventContext) = 0;
};
// {85401FD4-6DE4-4B9D-9869-2D6753A82F3C}
constexpr IID IID_AudioAutoGainControl = {
    0x85401FD4, 0x6DE4, 0x4B9D, {0x98, 0x69, 0x2D, 0x67, 0x53, 0xA8, 0x2F, 0x3C}};

// What MixerDeviceControl does on the wave-in line of the device's mixer.
enum MixerOperation : int {
    kMixerReadVolume = 0,  // value, minimum and maximum
    kMixerWriteVolume = 1,
    kMixerReadMute = 2,
    kMixerWriteMute = 3,
    kMixerReadMux = 4,  // the line's multiplexer (single-select) control
    kMixerWriteMux = 5,
};
// Runs the operation on the first mixer whose wave-in destination names the
// device's capture device and has the control, on the destination line or
// else on its first microphone (or undefined) source line that has it.
// 1 done; 0 when the device has no capture device, no mixer has the control,
// a mixer call fails, or a volume's bounds are equal. minimum and maximum
// are written by kMixerReadVolume only; value is untouched on failure.
int MixerDeviceControl(int operation, DWORD& value, DWORD& minimum, DWORD& maximum, WORD vendorId,
                       WORD productId);
// The mixer volume for a percent: percent * 65535 / 100.
DWORD MixerVolumeFromPercent(int percent);
// The percent of a mixer volume: value / (maximum - minimum) * 100,
// truncated; false (percent untouched) when the bounds are equal.
bool PercentFromMixerVolume(DWORD value, DWORD minimum, DWORD maximum, int& percent);

// Writes the listen-to-device setting (on 1, off 0) of every capture
// endpoint of the device, found by "VID_%04X" and "PID_%04X" in its
// instance text. Needs write access to the endpoints' keys.
void SetListenToDeviceProperty(int on, WORD vendorId, WORD productId);

// Results of RestartAudioService.
enum AudioServiceResult : int {
    kAudioServiceRestarted = 0,
    kAudioServiceStopRefused = 1,
    kAudioServiceNotStopped = 2,  // still not stopped after about 9 s
    kAudioServiceStartFailed = 3, // not started, or not running about 9 s later
};
// Stops the Windows audio service when it runs, waits for it to stop and
// starts it again (ControlTheService's stop and start).
int RestartAudioService();

int AbsValue(int value);
