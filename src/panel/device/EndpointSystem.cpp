#include "panel/device/EndpointSystem.h"

#include <mmddk.h>
#include <mmdeviceapi.h>

#include <atomic>

namespace device {
namespace {

// Each wave-in device's interface path and product name: the documented
// way to tell which capture device belongs to which piece of hardware.
std::vector<CaptureDevice> ListWaveInCaptureDevices() {
    std::vector<CaptureDevice> devices;
    const UINT count = ::waveInGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEINCAPSW caps = {};
        if (::waveInGetDevCapsW(id, &caps, sizeof(caps)) != MMSYSERR_NOERROR) continue;
        CaptureDevice device;
        device.description = caps.szPname;
        HWAVEIN asId = reinterpret_cast<HWAVEIN>(static_cast<UINT_PTR>(id));
        ULONG bytes = 0;
        if (::waveInMessage(asId, DRV_QUERYDEVICEINTERFACESIZE, reinterpret_cast<DWORD_PTR>(&bytes), 0) ==
                MMSYSERR_NOERROR &&
            bytes >= sizeof(wchar_t)) {
            std::wstring path(bytes / sizeof(wchar_t), L'\0');
            if (::waveInMessage(asId, DRV_QUERYDEVICEINTERFACE, reinterpret_cast<DWORD_PTR>(&path[0]), bytes) ==
                MMSYSERR_NOERROR)
                device.interfacePath = path.c_str();
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

HRESULT CreateMMDeviceEnumerator(IMMDeviceEnumerator** enumerator) {
    return ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(enumerator));
}

const EndpointSystemCalls kReal = {
    ListWaveInCaptureDevices,
    CreateMMDeviceEnumerator,
    ::mixerGetNumDevs,
    ::mixerOpen,
    ::mixerClose,
    ::mixerGetLineInfoW,
    ::mixerGetLineControlsW,
    ::mixerGetControlDetailsW,
    ::mixerSetControlDetails,
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\MMDevices\\Audio\\Capture",
    L"audiosrv",
};

std::atomic<const EndpointSystemCalls*> g_calls{&kReal};

}  // namespace

const EndpointSystemCalls& RealEndpointSystem() { return kReal; }

const EndpointSystemCalls& EndpointSystem() { return *g_calls.load(std::memory_order_acquire); }

void InstallEndpointSystem(const EndpointSystemCalls* calls) {
    g_calls.store(calls ? calls : &kReal, std::memory_order_release);
}

}  // namespace device
