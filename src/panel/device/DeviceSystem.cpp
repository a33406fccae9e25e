#include "panel/device/DeviceSystem.h"

#include <atomic>

namespace device {
namespace {

const DeviceSystemCalls kReal = {
    ::HidD_GetHidGuid,
    ::SetupDiGetClassDevsW,
    ::SetupDiEnumDeviceInterfaces,
    ::SetupDiGetDeviceInterfaceDetailW,
    ::SetupDiDestroyDeviceInfoList,
    ::CreateFileW,
    ::CloseHandle,
    ::HidD_GetAttributes,
    ::HidD_GetPreparsedData,
    ::HidD_FreePreparsedData,
    ::HidP_GetCaps,
    ::HidD_SetOutputReport,
    ::HidD_GetInputReport,
    ::DeviceIoControl,
};

std::atomic<const DeviceSystemCalls*> g_calls{&kReal};

}  // namespace

const DeviceSystemCalls& RealDeviceSystem() { return kReal; }

const DeviceSystemCalls& System() { return *g_calls.load(std::memory_order_acquire); }

void InstallDeviceSystem(const DeviceSystemCalls* calls) {
    g_calls.store(calls ? calls : &kReal, std::memory_order_release);
}

}  // namespace device
