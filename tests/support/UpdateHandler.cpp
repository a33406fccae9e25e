#include "UpdateHandler.h"

#include "InstalledState.h"

namespace vt {

namespace {

constexpr wchar_t kExtensionKey[] = L".msu";
constexpr wchar_t kProgId[] = L"VelloTest.UpdatePackage";

bool SetDefaultValue(const std::wstring& key, const std::wstring& value) {
    return ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The built stand-in: bin\update\, seen from bin\ or from a test's own folder below it.
std::wstring BuiltHandler() {
    const std::wstring below = BinPath(L"update\\UpdateHandler.exe");
    return FileExists(below) ? below : BinPath(L"..\\update\\UpdateHandler.exe");
}

}  // namespace

StandInUpdateHandler::StandInUpdateHandler() {
    const std::wstring exe = dir_ / L"UpdateHandler.exe";
    if (!::CopyFileW(BuiltHandler().c_str(), exe.c_str(), FALSE)) return;
    registered_ = SetDefaultValue(kExtensionKey, kProgId) &&
                  SetDefaultValue(std::wstring(kProgId) + L"\\shell\\open\\command", L"\"" + exe + L"\" \"%1\"");
}

StandInUpdateHandler::~StandInUpdateHandler() {
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtensionKey);
}

void StandInUpdateHandler::SetExitCode(DWORD code) const {
    ::WritePrivateProfileStringW(L"Behaviour", L"ExitCode", std::to_wstring(code).c_str(),
                                 (dir_ / L"UpdateHandler.ini").c_str());
}

std::vector<std::wstring> StandInUpdateHandler::Log() const { return LogLines(dir_ / L"UpdateHandler.log"); }

void StandInUpdateHandler::ClearLog() const { ::DeleteFileW((dir_ / L"UpdateHandler.log").c_str()); }

}  // namespace vt
