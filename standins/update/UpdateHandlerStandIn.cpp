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

#include "StandInFiles.h"

namespace {

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

void Log(const std::wstring& line) { standin::AppendLine(standin::OwnFolder() + L"UpdateHandler.log", line); }

DWORD ChosenExitCode() {
    wchar_t value[32] = {};
    const std::wstring ini = standin::OwnFolder() + L"UpdateHandler.ini";
    ::GetPrivateProfileStringW(L"Behaviour", L"ExitCode", L"0", value, 32, ini.c_str());
    return static_cast<DWORD>(std::wcstoul(value, nullptr, 0));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Log(L"run " + Arguments());
    return static_cast<int>(ChosenExitCode());
}
