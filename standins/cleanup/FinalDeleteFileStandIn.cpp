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
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "StandInFiles.h"
#include "shared/ScopedWin.h"

namespace {

constexpr DWORD kWaitMs = 30000;
constexpr DWORD kRetryMs = 200;
constexpr DWORD kExitRefused = 2;

void Log(const std::wstring& line) { standin::AppendLine(standin::OwnFolder() + L"FinalDeleteFile.log", line); }

std::wstring ProgramFiles() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    std::wstring folder = path;
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
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
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const std::wstring program = argc > 1 ? argv[1] : L"";
    std::wstring folder = argc > 2 ? argv[2] : L"";
    ::LocalFree(argv);
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
