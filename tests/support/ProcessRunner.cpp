#include "TestSupport.h"

#include <algorithm>

namespace vt {

std::wstring RunResult::DebugText() const {
    std::wstring all;
    for (const auto& s : debug) all += s;
    return all;
}

bool RunResult::HasDebug(const std::wstring& exact) const {
    return std::find(debug.begin(), debug.end(), exact) != debug.end();
}

bool RunResult::DebugContains(const std::wstring& part) const {
    return DebugText().find(part) != std::wstring::npos;
}

std::wstring ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    size_t length = info.nDebugStringLength;
    if (length == 0) return {};
    if (info.fUnicode) {
        std::wstring text(length, L'\0');
        SIZE_T read = 0;
        ::ReadProcessMemory(process, info.lpDebugStringData, &text[0], length * sizeof(wchar_t), &read);
        text.resize(read / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }
    std::string bytes(length, '\0');
    SIZE_T read = 0;
    ::ReadProcessMemory(process, info.lpDebugStringData, &bytes[0], length, &read);
    bytes.resize(read);
    while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    if (bytes.empty()) return {};
    int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

DWORD SettleDebugEvent(const DEBUG_EVENT& ev) {
    switch (ev.dwDebugEventCode) {
    case CREATE_PROCESS_DEBUG_EVENT:
        if (ev.u.CreateProcessInfo.hFile) ::CloseHandle(ev.u.CreateProcessInfo.hFile);
        break;
    case LOAD_DLL_DEBUG_EVENT:
        if (ev.u.LoadDll.hFile) ::CloseHandle(ev.u.LoadDll.hFile);
        break;
    case EXCEPTION_DEBUG_EVENT:
        if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) return DBG_EXCEPTION_NOT_HANDLED;
        break;
    default: break;
    }
    return DBG_CONTINUE;
}


RunResult RunDebugged(const std::wstring& commandLine, DWORD timeoutMs, const WhileRunning& whileRunning,
                      const std::wstring& workDir, const OnDebugString& onDebug) {
    RunResult result;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = commandLine;
    if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
        return result;
    result.started = true;
    DWORD start = ::GetTickCount();
    bool killed = false;
    for (;;) {
        DEBUG_EVENT ev = {};
        if (!::WaitForDebugEvent(&ev, 50)) {
            if (whileRunning) whileRunning(pi.dwProcessId);
            if (!killed && ::GetTickCount() - start > timeoutMs) {
                result.timedOut = true;
                killed = true;
                ::TerminateProcess(pi.hProcess, 0xDEAD);
            }
            continue;
        }
        const DWORD status = SettleDebugEvent(ev);
        bool done = false;
        if (ev.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
            result.debug.push_back(ReadDebugString(pi.hProcess, ev.u.DebugString));
            if (onDebug) onDebug(pi.dwProcessId, result.debug.back());
        } else if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            result.exitCode = ev.u.ExitProcess.dwExitCode;
            done = true;
        }
        ::ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        if (done) break;
        if (whileRunning) whileRunning(pi.dwProcessId);
        if (!killed && ::GetTickCount() - start > timeoutMs) {
            result.timedOut = true;
            killed = true;
            ::TerminateProcess(pi.hProcess, 0xDEAD);
        }
    }
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return result;
}

Child::~Child() {
    Kill();
}

bool Child::Start(const std::wstring& commandLine, const std::wstring& workDir) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring cmd = commandLine;
    return ::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                            workDir.empty() ? nullptr : workDir.c_str(), &si, &pi_) != 0;
}

bool Child::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!pi_.hProcess) return true;
    if (::WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) ::GetExitCodeProcess(pi_.hProcess, exitCode);
    return true;
}

void Child::Kill() {
    if (!pi_.hProcess) return;
    if (::WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
        ::TerminateProcess(pi_.hProcess, 0xDEAD);
        ::WaitForSingleObject(pi_.hProcess, 5000);
    }
    ::CloseHandle(pi_.hThread);
    ::CloseHandle(pi_.hProcess);
    pi_ = {};
}

}  // namespace vt
