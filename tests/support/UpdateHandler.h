// The stand-in update handler (bin/update/UpdateHandler.exe) registered as
// the default action of .msu files in this prefix for the life of the
// object: opening a package with the shell runs it, it logs its arguments
// and ends with the exit code chosen here. Without it the prefix has no
// program for .msu files at all.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace vt {

class StandInUpdateHandler {
public:
    StandInUpdateHandler();
    ~StandInUpdateHandler();
    StandInUpdateHandler(const StandInUpdateHandler&) = delete;
    StandInUpdateHandler& operator=(const StandInUpdateHandler&) = delete;

    bool registered() const { return registered_; }
    // The exit code of its next runs.
    void SetExitCode(DWORD code) const;
    // "run <arguments>" per run, oldest first.
    std::vector<std::wstring> Log() const;
    void ClearLog() const;

private:
    TempDir dir_;
    bool registered_ = false;
};

}  // namespace vt
