// Stand-in for the program Windows opens an update package (.msu) with, for
// tests that register it as the file type's default action:
//
//   UpdateHandler.exe "<package>"
//
// It appends "run <its command-line arguments>" to <own folder>\UpdateHandler.log
// and ends with the exit code [Behaviour] ExitCode of <own folder>\UpdateHandler.ini
// (decimal or 0x hexadecimal; 0 when missing), the way the update program
// reports its result.
#include <windows.h>

#include <cwchar>
#include <string>

#include "shared/ScopedWin.h"

namespace {

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// The command line without the program's own name.
std::wstring Arguments() {
    const wchar_t* line = ::GetCommandLineW();
    bool quoted = false;
    for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
        if (*line == L'"') quoted = !quoted;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

void Log(const std::wstring& line) {
    win::FileHandle file(::CreateFileW((OwnFolder() + L"UpdateHandler.log").c_str(), FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::wstring text = line + L"\r\n";
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

DWORD ChosenExitCode() {
    wchar_t value[32] = {};
    ::GetPrivateProfileStringW(L"Behaviour", L"ExitCode", L"0", value, 32, (OwnFolder() + L"UpdateHandler.ini").c_str());
    return static_cast<DWORD>(std::wcstoul(value, nullptr, 0));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Log(L"run " + Arguments());
    return static_cast<int>(ChosenExitCode());
}
