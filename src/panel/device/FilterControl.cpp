#include "panel/device/FilterControl.h"

#include <cstring>
#include <cwchar>

#include "panel/device/DeviceSystem.h"

wchar_t DeviceSymbolicName[kDeviceSymbolicNameChars] = L"";

namespace {

using device::System;

device::DeviceHandle OpenControlDevice() {
    return device::DeviceHandle(System().CreateFileW(DeviceSymbolicName, GENERIC_READ | GENERIC_WRITE,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                     0, nullptr));
}

// Sends one code; 0 ok, 1 open failed, 2 IOCTL failed.
int Ioctl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) {
    device::DeviceHandle control = OpenControlDevice();
    if (!control) return 1;
    returned = 0;
    if (!System().DeviceIoControl(control.get(), code, in, inSize, out, outSize, &returned, nullptr)) return 2;
    return 0;
}

void Put16(BYTE* b, WORD v) {
    b[0] = v & 0xFF;
    b[1] = v >> 8;
}
void Put32(BYTE* b, DWORD v) {
    for (int i = 0; i < 4; ++i) b[i] = static_cast<BYTE>(v >> (8 * i));
}
DWORD Get32(const BYTE* b) { return b[0] | b[1] << 8 | b[2] << 16 | static_cast<DWORD>(b[3]) << 24; }

}  // namespace

int Qorv_Set_DEVICE_SYMBOLIC_NAME(WORD vendorId, WORD productId) {
    _snwprintf(DeviceSymbolicName, kDeviceSymbolicNameChars - 1, L"\\\\.\\Class#VelloLink&%.4X&%.4X", vendorId,
               productId);
    DeviceSymbolicName[kDeviceSymbolicNameChars - 1] = L'\0';
    return OpenControlDevice() ? 0 : 1;
}

int FilterIoctl_ReadValue(WORD selector, DWORD& value) {
    BYTE buffer[8];
    Put16(buffer, 1);
    Put16(buffer + 2, selector);
    Put32(buffer + 4, value);
    DWORD returned = 0;
    int result = Ioctl(IOCTL_FILTER_READ_VALUE, buffer, sizeof(buffer), buffer, sizeof(buffer), returned);
    if (result != 0) return result;
    if (returned == 0) return 3;
    value = Get32(buffer + 4);
    return 0;
}

int FilterIoctl_ReadState(DWORD& value) {
    BYTE buffer[8];
    Put32(buffer, 1);
    Put32(buffer + 4, 0);
    DWORD returned = 0;
    int result = Ioctl(IOCTL_FILTER_READ_STATE, buffer, sizeof(buffer), buffer, sizeof(buffer), returned);
    if (result != 0) return result;
    value = Get32(buffer + 4);
    return 0;
}

int FilterIoctl_SetEffect(DWORD effectIndex) {
    BYTE buffer[4];
    Put32(buffer, effectIndex);
    DWORD returned = 0;
    return Ioctl(IOCTL_FILTER_SET_EFFECT, buffer, sizeof(buffer), nullptr, 0, returned);
}

int FilterIoctl_EnableEffect(DWORD flag) {
    BYTE buffer[4];
    Put32(buffer, flag);
    DWORD returned = 0;
    return Ioctl(IOCTL_FILTER_ENABLE_EFFECT, buffer, sizeof(buffer), nullptr, 0, returned);
}
