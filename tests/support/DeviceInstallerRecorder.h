// A recording class installer for device restarts: while the object lives,
// the shared library's disable, enable and restart calls (DeviceProperty.h)
// reach it instead of SetupAPI (under Wine no device can change its state).
// Calls are named "disable profile", "enable global", "call", "get",
// "sleep <ms>", with " (bad parameters)" added to a malformed request.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <map>
#include <string>
#include <vector>

#include "shared/DeviceProperty.h"

namespace vt {

class DeviceInstallerRecorder {
public:
    DeviceInstallerRecorder();
    ~DeviceInstallerRecorder();
    DeviceInstallerRecorder(const DeviceInstallerRecorder&) = delete;
    DeviceInstallerRecorder& operator=(const DeviceInstallerRecorder&) = delete;

    // Calls per device instance ID (pauses have no device).
    std::map<std::wstring, std::vector<std::wstring>> calls;
    // Every call in order, pauses included.
    std::vector<std::wstring> all;
    // Calls (0-based over all devices, pauses not counted) that fail, and
    // every call from failFrom on.
    std::vector<int> failing;
    int failFrom = 1 << 30;
    // The install parameters' flags the "get" calls answer (DI_NEEDREBOOT).
    DWORD flags = 0;

    // Forgets every call; failing indexes count afresh.
    void Reset();
    // The calls one device received; none when it received none.
    std::vector<std::wstring> CallsOf(const std::wstring& instanceId) const;

    // For the recording functions.
    bool Record(HDEVINFO set, PSP_DEVINFO_DATA device, const std::wstring& call);
    void RecordPause(DWORD ms) { all.push_back(L"sleep " + std::to_wstring(ms)); }

private:
    int made_ = 0;
    const DeviceInstallerApi* previous_ = nullptr;
    DeviceInstallerRecorder* previousRecorder_ = nullptr;
};

// A restart by the uninstaller (disable and enable in the current profile),
// as the recorder names its calls.
extern const std::vector<std::wstring> kProfileRestartCalls;

}  // namespace vt
