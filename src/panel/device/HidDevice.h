// The chip-register protocol carried in the device's HID reports: opening the
// HID interface by vendor and product ID, register select/write/read, the ten
// GPIO lines, the all-zero report that ends a run of writes, and the EQ and
// 3D register blocks.
//
// Output report (report ID 0, the device's output length, zero after byte 4):
//   {0, 0x60, register low, register high, 0x10}  select a register
//   {0, 0x60, value, 0x01, 0x20}                  write the selected register
//   {0, 0x60, 0, 0, 0x30}                         ask for the GPIO input levels
//   {0, 0x60, GPIO 0..7, 0xFF, 0x3C | GPIO 8 | GPIO 9 << 1}  set GPIO outputs
// The input report after a select holds the register's value in byte 2; after
// a GPIO request, GPIO 0..7 in byte 2 and GPIO 8 and 9 in bits 0..1 of byte 3.
//
// All device I/O of the process is serialised: a select and the write or read
// that follows it are never split by another thread's reports, and each block
// below runs as one unit. Callers that send a run of writes followed by the
// all-zero report can hold a DeviceIoGuard around the run to keep it whole.
#pragma once

#include <windows.h>

#include <mutex>

#include "panel/device/ChipRecords.h"
#include "panel/device/DeviceSystem.h"

constexpr int kGpioCount = 10;

// Holds the process-wide device I/O lock (re-entrant) for its lifetime.
class DeviceIoGuard {
public:
    DeviceIoGuard();
    ~DeviceIoGuard();
    DeviceIoGuard(const DeviceIoGuard&) = delete;
    DeviceIoGuard& operator=(const DeviceIoGuard&) = delete;
};

// Opens the first present HID interface with these IDs (SetupAPI's order);
// an invalid handle when there is none.
device::DeviceHandle OpenHidDevice(WORD vendorId, WORD productId);

// Report lengths from the HID capabilities; 0 on failure.
int HidGetInputReportLength(HANDLE hid);
int HidGetOutputReportLength(HANDLE hid);

// 0 ok; 1 no usable output report; 2 select failed; 3 write failed.
int HidWriteRegister(HANDLE hid, WORD reg, BYTE value);
// 0 ok; 1 no usable output report; 2 select failed; 3 no input report of at
// least 3 bytes (byte 2 carries the value); 4 input report failed. value is
// written only on success.
int HidReadRegister(HANDLE hid, WORD reg, BYTE& value);
// 0 ok; 1 no output report length; 2 send failed.
int HidSendEmptyReport(HANDLE hid);
// 0 ok; 1 no output report length; 2 output report of 4 bytes or less; 3 send failed.
int HidSetGpioOutput(HANDLE hid, const BYTE levels[kGpioCount]);
// 0 ok; 1 no output report length; 2 output report of 4 bytes or less;
// 3 request failed; 4 no input report length; 5 input report of 4 bytes or
// less; 6 input report failed. levels are written only on success.
int HidGetGpioInput(HANDLE hid, BYTE levels[kGpioCount]);
// Registers 0x120..0x129; 0 ok or 1..10 = the register write that failed.
int HidWriteEQBlock(HANDLE hid, const EQ_PARAMS& params);
// 0 ok; 1 reading 0x18A failed; 2 writing 0x18A, 3 0x18B, 4 0x18C failed.
int HidWrite3DBlock(HANDLE hid, const D3_PARAMS& params);
// 0 ok; 1 alpha or beta above 15 (nothing sent); 2 write failed.
int HidWrite3DLeft(HANDLE hid, BYTE alpha, BYTE beta);
int HidWrite3DRight(HANDLE hid, BYTE alpha, BYTE beta);
