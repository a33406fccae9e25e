// The companion stand-in (bin/companion/VelloEffect.exe) copied to a path of
// a test's choosing and running from there, its window up: it ends on the
// product's exit broadcasts, after taking endDelayMs over its ending, as a
// program saving its state does. Killed at the end unless it has ended.
#pragma once

#include <windows.h>

#include <string>

#include "TestSupport.h"

namespace vt {

class CompanionProgram {
public:
    CompanionProgram(const std::wstring& path, DWORD endDelayMs);
    bool started() const { return started_; }
    bool Ended() const { return ::WaitForSingleObject(child_.process(), 0) == WAIT_OBJECT_0; }
    // Ends by itself (exit code 0, not killed) within timeoutMs.
    bool EndsByItself(DWORD timeoutMs = 30000);

private:
    Child child_;
    bool started_ = false;
};

}  // namespace vt
