// Stand-in for the clean-up program that VelloUninstall starts as its last
// act, hidden:
//
//   FinalDeleteFile.exe "<uninstaller>" "<install folder>"
//
// It appends what it does to <own folder>\FinalDeleteFile.log, one line
// each: "args <uninstaller>|<install folder>", then "deleted <uninstaller>"
// once the uninstaller has ended and its file could be deleted (it tries for
// 30 s), then "removed <install folder>" or "not empty <install folder>"
// (or "not removed <install folder> (<error>)").
// It acts only on an install folder strictly below Program Files (no "." or
// ".." parts, no link) and an uninstaller directly inside it; anything else
// is logged as "refused ..." and left alone. Folders are never emptied: a
// folder that still holds something stays.
// It uses no shell function: loading the shell's library would be most of
// its start-up, and it runs last, after the uninstaller has ended.
#include <windows.h>

#include <string>
#include <vector>

#include "StandInFiles.h"
#include "shared/ScopedWin.h"

namespace {

constexpr DWORD kWaitMs = 30000;
// Short: the uninstaller's file is free the moment its process has ended,
// and the clean-up should follow it at once.
constexpr DWORD kRetryMs = 10;
constexpr DWORD kExitRefused = 2;

void Log(const std::wstring& line) { standin::AppendLine(standin::OwnFolder() + L"FinalDeleteFile.log", line); }

// The Program Files folder as the system names it for this program (a
// 32-bit program on 64-bit Windows reads the 32-bit registry view, which
// names "Program Files (x86)").
std::wstring ProgramFiles() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir",
                       RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS)
        return {};
    std::wstring folder = path;
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

// The command line's arguments, split as the shell splits them (paths hold
// no double quotes): blanks separate arguments outside double quotes; 2n
// backslashes before a quote give n and the quote opens or closes a quoted
// part, 2n+1 give n and a literal quote; other backslashes stay as they
// are. The first argument (the program) ends at its closing quote or first
// blank.
std::vector<std::wstring> Arguments(const wchar_t* line) {
    std::vector<std::wstring> args;
    const wchar_t* p = line;
    std::wstring program;
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) program += *p;
        if (*p) ++p;
    } else {
        for (; *p && *p != L' ' && *p != L'\t'; ++p) program += *p;
    }
    args.push_back(program);
    for (;;) {
        while (*p == L' ' || *p == L'\t') ++p;
        if (!*p) return args;
        std::wstring arg;
        bool quoted = false;
        for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
            size_t backslashes = 0;
            while (*p == L'\\') {
                ++backslashes;
                ++p;
            }
            if (*p == L'"') {
                arg.append(backslashes / 2, L'\\');
                if (backslashes % 2) arg += L'"';
                else quoted = !quoted;
            } else {
                arg.append(backslashes, L'\\');
                if (!*p) break;
                if (!quoted && (*p == L' ' || *p == L'\t')) break;
                arg += *p;
            }
        }
        args.push_back(arg);
        if (!*p) return args;
    }
}

bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
           _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0;
}

// Every part below Program Files names a real folder: no empty, "." or
// ".." part and no wildcard.
bool IsPlainBelow(const std::wstring& path, const std::wstring& base) {
    if (!StartsWithFolder(path, base) || path.find_first_of(L"*?/\"<>|:", 2) != std::wstring::npos) return false;
    size_t start = base.size() + 1;
    for (;;) {
        const size_t end = path.find(L'\\', start);
        const std::wstring part = path.substr(start, end == std::wstring::npos ? end : end - start);
        if (part.empty() || part.find_first_not_of(L". ") == std::wstring::npos) return false;
        if (end == std::wstring::npos) return true;
        start = end + 1;
    }
}

bool IsLink(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Deletes the uninstaller once it has ended (a running program's file
// cannot be deleted).
void DeleteWhenEnded(const std::wstring& program) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (::DeleteFileW(program.c_str())) {
            Log(L"deleted " + program);
            return;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            Log(L"missing " + program);
            return;
        }
        if (::GetTickCount() - start > kWaitMs) {
            Log(L"still in use " + program);
            return;
        }
        ::Sleep(kRetryMs);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::vector<std::wstring> args = Arguments(::GetCommandLineW());
    const std::wstring program = args.size() > 1 ? args[1] : L"";
    std::wstring folder = args.size() > 2 ? args[2] : L"";
    Log(L"args " + program + L"|" + folder);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();

    if (!IsPlainBelow(folder, ProgramFiles()) || IsLink(folder)) {
        Log(L"refused folder " + folder);
        return kExitRefused;
    }
    if (!StartsWithFolder(program, folder) || program.find(L'\\', folder.size() + 1) != std::wstring::npos) {
        Log(L"refused program " + program);
        return kExitRefused;
    }
    DeleteWhenEnded(program);
    if (::RemoveDirectoryW(folder.c_str())) Log(L"removed " + folder);
    else if (::GetLastError() == ERROR_DIR_NOT_EMPTY) Log(L"not empty " + folder);
    else Log(L"not removed " + folder + L" (" + std::to_wstring(::GetLastError()) + L")");
    return 0;
}
