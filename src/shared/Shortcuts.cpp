#include "Shortcuts.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "shared/ScopedWin.h"

namespace {

constexpr size_t kPathChars = MAX_PATH;

// The special folder's path, without creating it; empty when unknown.
std::wstring SpecialFolder(int csidl) {
    wchar_t buffer[kPathChars] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return std::wstring();
    buffer[kPathChars - 1] = L'\0';
    return buffer;
}

// Saves a link to target at linkPath. Any failing step skips the rest.
void SaveLink(const std::wstring& linkPath, const std::wstring& target) {
    if (linkPath.size() >= kPathChars) return;  // beyond what a shell path may hold
    win::ComInit com;
    win::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())))
        return;
    win::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return;
    if (FAILED(link->SetPath(target.c_str()))) return;
    file->Save(linkPath.c_str(), TRUE);
}

}  // namespace

void CreateShortcut(const std::wstring& folder, const std::wstring& target,
                    const std::wstring& name, const std::wstring& upperFolder) {
    std::wstring path = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    if (path.empty()) return;
    if (!upperFolder.empty()) {
        path += L"\\" + upperFolder;
        ::CreateDirectoryW(path.c_str(), nullptr);
    }
    path += L"\\" + folder;
    ::CreateDirectoryW(path.c_str(), nullptr);
    SaveLink(path + L"\\" + name + L".lnk", target);
}

void CreateManualShortcut(const std::wstring& folder, const std::wstring& target,
                          const std::wstring& name) {
    std::wstring path = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    if (path.empty()) return;
    path += L"\\" + folder;
    ::CreateDirectoryW(path.c_str(), nullptr);
    SaveLink(path + L"\\" + name + L".lnk", target);
}

void CreateDesktopShortcut(const std::wstring& target, const std::wstring& name) {
    std::wstring path = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    if (path.empty()) return;
    SaveLink(path + L"\\" + name + L".lnk", target);
}
