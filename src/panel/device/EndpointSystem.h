// The operating-system calls through which the audio endpoint helpers reach
// Windows: the list of capture devices, Core Audio's device enumerator, the
// winmm mixer, the registry key of the capture endpoints' properties and the
// Windows audio service. By default they are the real ones; a test installs
// a table of its own to put simulated devices behind them. Nothing else in
// the helpers reaches these parts of Windows directly.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

struct IMMDeviceEnumerator;

namespace device {

// One capture (wave-in) device: its device interface path and the name
// Windows shows for it.
struct CaptureDevice {
    std::wstring interfacePath;
    std::wstring description;
};

struct EndpointSystemCalls {
    // Every capture device, in the system's order.
    std::vector<CaptureDevice> (*ListCaptureDevices)();
    // A new MMDeviceEnumerator (the caller releases it).
    HRESULT (*CreateDeviceEnumerator)(IMMDeviceEnumerator** enumerator);
    // The winmm mixer.
    UINT(WINAPI* mixerGetNumDevs)();
    MMRESULT(WINAPI* mixerOpen)(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
    MMRESULT(WINAPI* mixerClose)(HMIXER mixer);
    MMRESULT(WINAPI* mixerGetLineInfoW)(HMIXEROBJ mixer, LPMIXERLINEW line, DWORD flags);
    MMRESULT(WINAPI* mixerGetLineControlsW)(HMIXEROBJ mixer, LPMIXERLINECONTROLSW controls, DWORD flags);
    MMRESULT(WINAPI* mixerGetControlDetailsW)(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
    MMRESULT(WINAPI* mixerSetControlDetails)(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
    // Key under HKEY_LOCAL_MACHINE (64-bit view) with one sub-key per capture endpoint.
    const wchar_t* captureEndpointsKey;
    // The Windows audio service's name.
    const wchar_t* audioServiceName;
};

// The real calls, key and service.
const EndpointSystemCalls& RealEndpointSystem();
// The table in force.
const EndpointSystemCalls& EndpointSystem();
// Puts a table in force (it must outlive its use); nullptr restores the real one.
void InstallEndpointSystem(const EndpointSystemCalls* calls);

}  // namespace device
