// The operating-system calls through which the device layer reaches the HID
// interface and the filter driver's control device. By default they are the
// real Win32 calls; a test installs a table of its own to put a simulated
// device behind them. Nothing else in the device layer calls these functions
// directly, so its enumeration, matching, report building and step results
// run unchanged against either.
#pragma once

#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include "shared/ScopedWin.h"

namespace device {

struct DeviceSystemCalls {
    // HID interface enumeration.
    void(WINAPI* HidD_GetHidGuid)(GUID* guid);
    HDEVINFO(WINAPI* SetupDiGetClassDevsW)(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
    BOOL(WINAPI* SetupDiEnumDeviceInterfaces)(HDEVINFO set, PSP_DEVINFO_DATA info, const GUID* interfaceGuid,
                                              DWORD index, PSP_DEVICE_INTERFACE_DATA data);
    BOOL(WINAPI* SetupDiGetDeviceInterfaceDetailW)(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                   PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                                   PDWORD required, PSP_DEVINFO_DATA info);
    BOOL(WINAPI* SetupDiDestroyDeviceInfoList)(HDEVINFO set);
    // Opening and closing the HID interface and the filter control device.
    HANDLE(WINAPI* CreateFileW)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* CloseHandle)(HANDLE handle);
    // HID attributes, capabilities and reports.
    BOOLEAN(WINAPI* HidD_GetAttributes)(HANDLE device, PHIDD_ATTRIBUTES attributes);
    BOOLEAN(WINAPI* HidD_GetPreparsedData)(HANDLE device, PHIDP_PREPARSED_DATA* data);
    BOOLEAN(WINAPI* HidD_FreePreparsedData)(PHIDP_PREPARSED_DATA data);
    NTSTATUS(WINAPI* HidP_GetCaps)(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps);
    BOOLEAN(WINAPI* HidD_SetOutputReport)(HANDLE device, PVOID report, ULONG length);
    BOOLEAN(WINAPI* HidD_GetInputReport)(HANDLE device, PVOID report, ULONG length);
    // The filter driver's control codes.
    BOOL(WINAPI* DeviceIoControl)(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                  LPDWORD returned, LPOVERLAPPED overlapped);
};

// The real Win32 calls.
const DeviceSystemCalls& RealDeviceSystem();
// The calls in force.
const DeviceSystemCalls& System();
// Puts a table in force (it must outlive its use); nullptr restores the real calls.
void InstallDeviceSystem(const DeviceSystemCalls* calls);

// A handle opened through System(), closed through it.
struct SystemHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { System().CloseHandle(h); }
};
using DeviceHandle = win::Scoped<HANDLE, SystemHandleTraits>;

}  // namespace device
