// Test-side control of the stand-in device library: read its call log, make
// calls fail, set the state its getters answer from, and inject the button
// reports its scan thread hands to the registered callback. Works on the copy
// of the library in a given folder, loaded in this process or in another one.
//
// Log records: the export's name, its arguments as text, the result and, for
// pointer arguments that carry data, the bytes the library received:
//   DLLKQ_SetActive_Device     "VVVV PPPP" (hex)
//   DLLKQ_AudioCommand         "<length>", bytes = the 234-byte block as sent
//   DLLKQ_SetVirtual7ch1       bytes = the 68-byte table
//   DLLKQ_SetEnc_Parameters    bytes = the 16 parameter bytes
//   DLLKQ_SetGpioMode_ById     "<count> <index>", bytes = the modes
//   DLLKQ_ScanButton_ById      "VVVV PPPP callback|none <enable> <index>"
//   DLLKQ_Write_Register_ById  "RRRR VV <index>" (hex register and value)
//   DLLKQ_Read_Register_ById   "RRRR <index>"
//   DLLKQ_Read_I2C_ById        "AA FF <count> <value> <index>" (hex address, first register)
//   lighting exports           controller address in hex, then each argument in decimal
//   every other export         its arguments in decimal, in order
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SimChannel.h"

namespace devlibsim {

constexpr wchar_t kLibraryFileName[] = L"DLLKQ_UsbAudio73xx_x32.dll";

struct LoggedCall {
    std::string name;
    std::string args;
    int result = 0;
    std::vector<BYTE> bytes;
};

class LibraryControl {
public:
    // The copy of the library in folder.
    explicit LibraryControl(const std::wstring& folder);
    // The copy this process has loaded (by its file name).
    static std::wstring LoadedLibraryFolder();

    bool ok() const { return channel_->ok(); }

    std::vector<LoggedCall> Calls() const;
    std::vector<LoggedCall> Calls(const std::string& name) const;
    // The calls logged since the one numbered next (counting from the first
    // call the library logged); next is then the number of the call to come.
    // Calls already overwritten in the log are skipped; after ClearLog the
    // count starts again at 0.
    std::vector<LoggedCall> CallsSince(LONG& next) const;
    void ClearLog();
    // The next count calls of the export return code and change nothing.
    void FailNext(const std::string& name, int count = 1, int code = 1);
    // Device state back to its defaults, log and failure rules cleared.
    void Reset();

    // Reads or changes the state under the channel's lock.
    void Edit(const std::function<void(State&)>& change);
    State Snapshot() const;

    // Queues a 5-byte button report for the callback.
    void InjectReport(const BYTE report[kReportBytes]);
    // Waits until count reports in all have reached the callback.
    bool WaitReportsDelivered(LONG count, DWORD timeoutMs) const;

private:
    std::unique_ptr<Channel> channel_;
};

}  // namespace devlibsim
