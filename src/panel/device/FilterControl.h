// The filter driver's control device, one per device, named after the
// device's vendor and product IDs: the presence test and the four control
// codes (all buffered, any access; integers little-endian).
#pragma once

#include <windows.h>
#include <winioctl.h>

//  code                         input                                  output
//  IOCTL_FILTER_READ_VALUE      16-bit 1, 16-bit selector, 32-bit value the same 8 bytes, value at 4..7
//  IOCTL_FILTER_READ_STATE      32-bit 1, 32-bit 0                      the same 8 bytes, value at 4..7
//  IOCTL_FILTER_SET_EFFECT      32-bit effect index 0..4                none
//  IOCTL_FILTER_ENABLE_EFFECT   32-bit flag                             none
constexpr DWORD IOCTL_FILTER_READ_VALUE = CTL_CODE(0x22, 0xC0A, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD IOCTL_FILTER_READ_STATE = CTL_CODE(0x22, 0xC64, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD IOCTL_FILTER_SET_EFFECT = CTL_CODE(0x823, 0x802, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD IOCTL_FILTER_ENABLE_EFFECT = CTL_CODE(0x823, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS);
static_assert(IOCTL_FILTER_READ_VALUE == 0x00223028, "read-value code");
static_assert(IOCTL_FILTER_READ_STATE == 0x00223190, "read-state code");
static_assert(IOCTL_FILTER_SET_EFFECT == 0x08232008, "set-effect code");
static_assert(IOCTL_FILTER_ENABLE_EFFECT == 0x08232000, "enable-effect code");

constexpr size_t kDeviceSymbolicNameChars = 64;
// The control device's path from the last presence test; empty before it.
// Written and read on the main thread only.
extern wchar_t DeviceSymbolicName[kDeviceSymbolicNameChars];

// Names the control device after the IDs and tests it: 0 when it opens
// (driver attached), 1 when it does not.
int Qorv_Set_DEVICE_SYMBOLIC_NAME(WORD vendorId, WORD productId);

// 0 ok (value replaced by the reply's bytes 4..7); 1 open failed; 2 IOCTL
// failed; 3 no bytes returned (value unchanged).
int FilterIoctl_ReadValue(WORD selector, DWORD& value);
// 0 ok (value = the reply's bytes 4..7); 1 open failed; 2 IOCTL failed.
int FilterIoctl_ReadState(DWORD& value);
// 0 ok; 1 open failed; 2 IOCTL failed.
int FilterIoctl_SetEffect(DWORD effectIndex);
int FilterIoctl_EnableEffect(DWORD flag);
