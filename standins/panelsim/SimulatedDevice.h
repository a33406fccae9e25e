// The simulated device that VelloPanelSim puts behind the device layer's
// operating-system seam before the panel's window is built: a HID interface
// and the filter driver's control device (hidsim), a phantom audio device
// in SetupAPI that the device search finds, and devicelog.txt beside the
// program, to which every HID output report, every filter control code and
// every call of the device library is appended as it happens:
//
//   hid 00 60 20 01 10          an output report (bytes up to its last non-zero
//                               one, at least the five protocol bytes)
//   ioctl 08232008 00 00 00 00  a filter control code and its input bytes
//   lib DLLKQ_SetEQ_OnOff_ById 1 0 [: bytes]   a library export, its
//                               arguments and the data it was given
//   endpoint volume 37          the microphone's capture endpoint: its
//   endpoint mute 1             volume, mute, gain control (boost) and
//   endpoint boost 1            listen-to-device setting as Windows would
//   endpoint listen 1           hold them (simulated Core Audio objects
//                               and endpoint key behind the endpoint seam)
//   sim start ... / sim unplug / sim replug / sim end
//
// The device is unplugged and plugged in again by writing "unplug" or
// "replug" into devicecontrol.txt beside the program (the file is taken
// away once read): the HID interface and the filter control device then go
// away or come back (handles still open fail), the phantom audio device is
// removed or registered again, and the panel's window is sent the device
// notifications of the HID and audio interfaces. "button" followed by five
// hexadecimal bytes (for example "button 00 00 F7 03 00") hands that button
// and GPIO report to the stand-in device library's scan, which passes it to
// the callback the panel registered ("sim button ..." in the log).
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DeviceLibControl.h"
#include "EndpointFakes.h"
#include "HidSimulation.h"

namespace panelsim {

constexpr WORD kVendorId = 0x2F7B;
constexpr WORD kProductId = 0x731F;
constexpr wchar_t kLogFile[] = L"devicelog.txt";
constexpr wchar_t kControlFile[] = L"devicecontrol.txt";

// Lines appended to devicelog.txt, one write each; library calls are read
// from the stand-in library's log and written before each line, so the file
// keeps the order in which the traffic happened on the calling thread.
class DeviceLog {
public:
    explicit DeviceLog(const std::wstring& folder);
    ~DeviceLog();
    DeviceLog(const DeviceLog&) = delete;
    DeviceLog& operator=(const DeviceLog&) = delete;

    void Line(const std::string& text);
    // Writes the library calls logged since the last look.
    void LibraryCalls();

private:
    void LibraryCallsLocked();
    void Write(const std::string& text);

    std::mutex lock_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    devlibsim::LibraryControl library_;
    LONG nextCall_ = 0;
};

// A device in SetupAPI with the simulated device's hardware ID.
class PhantomAudioDevice {
public:
    PhantomAudioDevice();
    ~PhantomAudioDevice();
    PhantomAudioDevice(const PhantomAudioDevice&) = delete;
    PhantomAudioDevice& operator=(const PhantomAudioDevice&) = delete;

    bool Register();
    void Remove();
    const std::wstring& instanceId() const { return instanceId_; }
    // Devices that earlier runs left behind (ended without their clean-up).
    static void RemoveLeftovers();

private:
    HDEVINFO set_ = INVALID_HANDLE_VALUE;
    std::wstring instanceId_;
};

class SimulatedDevice {
public:
    // folder: the program's folder, with its trailing '\'.
    explicit SimulatedDevice(const std::wstring& folder);
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    void Unplug();
    void Replug();

private:
    void Watch();
    // The device's microphone as Windows shows it: its capture device and
    // endpoint with volume, mute and gain control, and the endpoint's key.
    void AddMicrophone();
    // Logs the listen-to-device setting when it changed.
    void WatchListenSetting();
    void RunCommands(const std::string& text);
    // The report in the five words from first on, injected; the words used.
    size_t Button(const std::vector<std::string>& words, size_t first);
    void Notify(UINT event);

    std::wstring folder_;
    DeviceLog log_;
    devlibsim::LibraryControl library_;
    hidsim::Simulation sim_;
    int hid_ = -1;
    PhantomAudioDevice audio_;
    epfake::EndpointWorld endpoints_;
    std::vector<BYTE> listen_;
    std::deque<std::vector<BYTE>> notifications_;
    bool plugged_ = true;
    HANDLE stop_ = nullptr;
    std::thread watcher_;
};

}  // namespace panelsim
