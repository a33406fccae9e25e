// A simulated device behind the device layer's operating-system seam, for
// tests: HID interfaces with their attributes, report lengths and a chip
// register file with select/write/read semantics and ten GPIO lines, and the
// filter driver's control devices. Every output report and every control code
// is logged; any seam call can be made to fail.
//
//   hidsim::Simulation sim;            // installed until it goes out of scope
//   int dev = sim.AddHidDevice({0x2F7B, 0x731F});
//   ... code under test ...
//   sim.OutputReports();               // bytes of every report sent
//
// Only one Simulation exists at a time. It is thread-safe.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hidsim {

enum class Call {
    GetClassDevs,
    CreateFile,
    GetAttributes,
    GetPreparsedData,
    GetCaps,
    SetOutputReport,
    GetInputReport,
    DeviceIoControl,
    kCount
};

struct HidDeviceConfig {
    WORD vendorId = 0x2F7B;
    WORD productId = 0x731F;
    USHORT inputLength = 65;  // report lengths, report ID byte included
    USHORT outputLength = 65;
};

struct SentReport {
    int device;               // index from AddHidDevice
    std::vector<BYTE> bytes;  // the whole report as sent
};

struct IoctlRecord {
    std::wstring path;  // of the control device the handle was opened on
    DWORD code;
    std::vector<BYTE> input;
};

enum class FilterReply {
    Normal,     // read codes: the input echoed, value at bytes 4..7, 8 bytes returned
    ZeroBytes,  // success with no bytes returned and the output untouched
    Fail        // DeviceIoControl fails
};

constexpr int kSimGpioCount = 10;

// Sees the traffic as it reaches the device: each output report delivered
// and each control code sent, on the sending thread and outside the
// simulation's lock (an observer may call into the simulation).
struct Observer {
    std::function<void(const SentReport&)> outputReport;
    std::function<void(const IoctlRecord&)> ioctl;
};

class Simulation {
public:
    Simulation();
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // HID interfaces, enumerated in the order they were added (while present).
    // An absent interface cannot be opened, and the handles still open on it
    // fail every call (ERROR_DEVICE_NOT_CONNECTED), as after an unplug.
    int AddHidDevice(const HidDeviceConfig& config = {});
    void SetPresent(int device, bool present);
    std::wstring HidPath(int device) const;
    BYTE Register(int device, WORD reg) const;
    void SetRegister(int device, WORD reg, BYTE value);
    void SetGpioInputs(int device, const std::array<BYTE, kSimGpioCount>& levels);
    std::array<BYTE, kSimGpioCount> GpioOutputs(int device) const;

    // A filter control device "\\.\Class#VelloLink&VVVV&PPPP". Once removed it
    // cannot be opened, and handles still open on it fail every control code.
    void AddFilterDevice(WORD vendorId, WORD productId);
    void RemoveFilterDevice(WORD vendorId, WORD productId);
    void SetFilterReply(FilterReply reply, DWORD value = 0);
    std::vector<IoctlRecord> Ioctls() const;

    // Lets `after` calls of this kind pass, then fails the next `count`.
    void Fail(Call call, int count = 1, int after = 0);
    int CallCount(Call call) const;

    void SetObserver(Observer observer);

    // Every output report delivered, oldest first, over all devices.
    std::vector<SentReport> OutputReports() const;
    void ClearLog();

    // Leak checks: handles, device lists and capability data not yet released.
    int OpenHandles() const;
    int OpenDeviceLists() const;
    int OpenPreparsedData() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace hidsim
