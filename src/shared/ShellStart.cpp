#include "shared/ShellStart.h"

#include <shellapi.h>

bool StartHidden(const std::wstring& file, const std::wstring& parameters, win::Handle& process) {
    // The shell may hand the file to a handler that needs COM on this thread.
    win::ComInit com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_HIDE;
    const bool started = ::ShellExecuteExW(&info) != FALSE;
    process.reset(started ? info.hProcess : nullptr);
    return started;
}
