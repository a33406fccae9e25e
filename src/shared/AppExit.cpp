#include "shared/AppExit.h"

#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "shared/DebugTrace.h"
#include "shared/ScopedWin.h"

namespace {

constexpr wchar_t kAppExitMessage[] = L"WM_Qorv73xxAPP_EXIT";
constexpr UINT kBroadcastTimeoutMs = 100;

std::wstring ImageOf(HANDLE process) {
    wchar_t image[MAX_PATH * 2] = {};
    DWORD chars = MAX_PATH * 2;
    if (!::QueryFullProcessImageNameW(process, 0, image, &chars)) return L"";
    return std::wstring(image, chars);
}

bool IsBelow(const std::wstring& path, const std::wstring& folder) {
    return path.size() > folder.size() && _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0;
}

// The processes, other than this one, whose program file lies below folder,
// opened for waiting.
std::vector<win::Handle> ProgramsRunningBelow(const std::wstring& folder) {
    std::vector<win::Handle> running;
    win::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return running;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == ::GetCurrentProcessId()) continue;
        win::Handle process(
            ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (process && IsBelow(ImageOf(process.get()), folder)) running.push_back(std::move(process));
    }
    return running;
}

// Waits for every process until the deadline; true when all have ended.
bool WaitForAll(const std::vector<win::Handle>& processes, DWORD waitMs) {
    const DWORD start = ::GetTickCount();
    for (const win::Handle& process : processes) {
        const DWORD spent = ::GetTickCount() - start;
        const DWORD left = spent < waitMs ? waitMs - spent : 0;
        if (::WaitForSingleObject(process.get(), left) != WAIT_OBJECT_0) return false;
    }
    return true;
}

}  // namespace

bool CloseRunningPrograms(const std::wstring& installFolder, DWORD waitMs) {
    const UINT message = ::RegisterWindowMessageW(kAppExitMessage);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_NORMAL, kBroadcastTimeoutMs, &ignored);
    if (installFolder.empty() || installFolder.back() != L'\\') return true;
    // A program asked to close may still be saving its state: its file can
    // be replaced or deleted only once it has ended.
    if (WaitForAll(ProgramsRunningBelow(installFolder), waitMs)) return true;
    trace::Out(L"***** A program of %ls still runs after %lu ms *****\n", installFolder.c_str(), waitMs);
    return false;
}
