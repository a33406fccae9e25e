// What the stand-in programs share: the folder they run from, and their logs,
// one UTF-8 line each, appended so that tests can read them while they run.
#pragma once

#include <windows.h>

#include <string>

#include "shared/ScopedWin.h"

namespace standin {

// The running program's path.
inline std::wstring OwnPath() {
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

// The running program's folder, with '\'.
inline std::wstring OwnFolder() {
    const std::wstring path = OwnPath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Appends line and CR LF in UTF-8 to the file (made when missing).
inline void AppendLine(const std::wstring& file, const std::wstring& line) {
    win::FileHandle log(::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return;
    const std::wstring text = line + L"\r\n";
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(log.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace standin
