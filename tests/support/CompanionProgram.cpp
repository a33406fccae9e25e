#include "CompanionProgram.h"

#include <shlobj.h>

namespace vt {

namespace {
constexpr DWORD kWindowTimeoutMs = 30000;
}

CompanionProgram::CompanionProgram(const std::wstring& path, DWORD endDelayMs) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (!::CopyFileW((BinDir() + L"companion\\VelloEffect.exe").c_str(), path.c_str(), FALSE)) return;
    const std::wstring ini = path.substr(0, path.find_last_of(L'.')) + L".ini";
    ::WritePrivateProfileStringW(L"Behaviour", L"EndDelayMs", std::to_wstring(endDelayMs).c_str(), ini.c_str());
    if (!child_.Start(L"\"" + path + L"\"")) return;
    started_ = WaitForWindow(
                   child_.pid(), [](HWND w) { return WindowClass(w) == L"VelloCompanionStandIn"; },
                   kWindowTimeoutMs) != nullptr;
}

bool CompanionProgram::EndsByItself(DWORD timeoutMs) {
    DWORD code = 1;
    return child_.Wait(timeoutMs, &code) && code == 0;
}

}  // namespace vt
