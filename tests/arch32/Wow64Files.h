// Files as a 32-bit program sees them on 64-bit Windows (WOW64): system32
// names syswow64 unless the thread switches the file-system redirection off.
#pragma once

#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "shared/Wow64.h"

namespace arch32 {

// The redirection off on this thread while the object lives: system32 then
// names the native (64-bit) system folder.
class NativeFileSystem {
public:
    NativeFileSystem() : off_(DisableWow64Redirection(&old_) != FALSE) {}
    ~NativeFileSystem() {
        if (off_) RevertWow64Redirection(old_);
    }
    NativeFileSystem(const NativeFileSystem&) = delete;
    NativeFileSystem& operator=(const NativeFileSystem&) = delete;
    bool off() const { return off_; }

private:
    PVOID old_ = nullptr;
    bool off_;
};

inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Looks at or reads a path with the redirection switched off.
inline bool ExistsNatively(const std::wstring& path) {
    NativeFileSystem native;
    return native.off() && Exists(path);
}
inline std::string ReadNatively(const std::wstring& path) {
    NativeFileSystem native;
    return native.off() ? vt::ReadFileBytes(path) : std::string();
}

// The native system folder as its programs name it (C:\windows\system32\)
// and the folder of the 32-bit system files (C:\windows\syswow64\).
inline std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetSystemDirectoryW(path, MAX_PATH);
    return std::wstring(path) + L"\\";
}
inline std::wstring Syswow64Folder() {  // empty on a system without one
    wchar_t path[MAX_PATH] = {};
    if (!::GetSystemWow64DirectoryW(path, MAX_PATH)) return std::wstring();
    return std::wstring(path) + L"\\";
}

}  // namespace arch32
