#include "uninstall/UninstallSteps.h"

#include <windows.h>
#include <shlobj.h>

#include <cwctype>

#include "shared/DebugTrace.h"
#include "shared/InstallSettings.h"
#include "shared/ScopedWin.h"

namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kUninstallValues[] = {L"DisplayName", L"UninstallString", L"DisplayIcon",
                                               L"DisplayVersion", L"Publisher"};
// GetEnvironmentVariableW's limit for %APPDATA%.
constexpr DWORD kAppDataChars = 256;

bool IsDotEntry(const wchar_t* name) { return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0; }

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// "X:\..." or "\\server\...".
bool IsAbsolutePath(const std::wstring& path) {
    if (path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\') return true;
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

// Removes a link itself; what it points at is not touched.
void RemoveLink(const std::wstring& path, DWORD attributes) {
    trace::Out(L"##### Delete Link = %ls\n", path.c_str());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) ::RemoveDirectoryW(path.c_str());
    else ::DeleteFileW(path.c_str());
}

// The folder itself, opened so that it can be neither renamed nor replaced
// while its contents are deleted; nothing (an invalid handle) when it is a
// link or cannot be held.
win::FileHandle HoldFolder(const std::wstring& folder, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return win::FileHandle();
    win::FileHandle held(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!held || !::GetFileInformationByHandle(held.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return win::FileHandle();
    return held;
}

void DeleteContents(const std::wstring& folder) {
    WIN32_FIND_DATAW entry = {};
    win::FindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find) return;
    do {
        if (IsDotEntry(entry.cFileName)) continue;
        const std::wstring child = folder + L"\\" + entry.cFileName;
        if (child.size() > kLongestDeletePath) {
            trace::Out(L"***** Path too long, not deleted: %ls *****\n", child.c_str());
            continue;
        }
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
            DeleteFolder(child);  // looks at the entry again: a link is never entered
        } else {
            ::DeleteFileW(child.c_str());
        }
    } while (::FindNextFileW(find.get(), &entry));
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
    return path;
}

bool IsShortcutFileName(const std::wstring& file) {
    return IsUsableNameComponent(file) && file.size() > 4 && _wcsicmp(file.c_str() + file.size() - 4, L".lnk") == 0;
}

// APPDATA, when it is set to an absolute path that fits, else the shell's
// roaming application-data folder; empty when neither is usable.
std::wstring AppDataFolder() {
    wchar_t value[kAppDataChars] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", value, kAppDataChars);
    if (n > 0 && n < kAppDataChars && IsAbsolutePath(value)) return WithoutTrailingBackslash(value);
    trace::Text(L"***** APPDATA is not a usable folder: the shell's folder is taken *****\n");
    wchar_t shell[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, shell)) ||
        !IsAbsolutePath(shell))
        return {};
    return WithoutTrailingBackslash(shell);
}

}  // namespace

bool IsLink(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(WithoutTrailingBackslash(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool DeleteFolder(const std::wstring& path) {
    const std::wstring folder = WithoutTrailingBackslash(path);
    if (folder.empty() || folder.back() == L':' || path.size() > kLongestDeletePath) {
        trace::Out(L"***** Not a folder to delete: %ls *****\n", path.c_str());
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::DeleteFileW(folder.c_str());
    } else if (win::FileHandle held = HoldFolder(folder, attributes)) {
        DeleteContents(folder);
        held.reset();
        ::RemoveDirectoryW(folder.c_str());
    } else {
        RemoveLink(folder, attributes);
    }
    return ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void DeleteUninstallInfo(const std::wstring& key) {
    {
        win::RegKey opened;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, opened.put()) != ERROR_SUCCESS)
            return;
        for (const wchar_t* value : kUninstallValues) ::RegDeleteValueW(opened.get(), value);
    }
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
}

void DeleteRunValue(const std::wstring& name) {
    if (name.empty()) return;  // the key's default value is not ours
    win::RegKey run;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_WRITE, run.put()) != ERROR_SUCCESS) return;
    ::RegDeleteValueW(run.get(), name.c_str());
}

void DeleteShortcut(const std::wstring& folder, const std::wstring& file, const std::wstring& upper) {
    if (!IsUsableNameComponent(folder) || !IsShortcutFileName(file) ||
        !(upper.empty() || IsUsableNameComponent(upper))) {
        trace::Out(L"***** Unusable shortcut name \"%ls\\%ls\\%ls\": not deleted *****\n", upper.c_str(),
                   folder.c_str(), file.c_str());
        return;
    }
    const std::wstring base = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    if (base.empty()) return;
    const std::wstring shortcutFolder = base + L"\\" + (upper.empty() ? folder : upper + L"\\" + folder);
    trace::Out(L"ShortcutFolderName = %ls\n", shortcutFolder.c_str());
    ::DeleteFileW((shortcutFolder + L"\\" + file).c_str());
    ::RemoveDirectoryW(shortcutFolder.c_str());  // only once it is empty
}

void DeleteDesktopShortcut(const std::wstring& file) {
    if (!IsShortcutFileName(file)) {
        trace::Out(L"***** Unusable shortcut name \"%ls\": not deleted *****\n", file.c_str());
        return;
    }
    const std::wstring desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    if (desktop.empty()) return;
    const std::wstring shortcut = desktop + L"\\" + file;
    trace::Out(L"DesktopShortcut = %ls\n", shortcut.c_str());
    ::DeleteFileW(shortcut.c_str());
}

std::wstring UserFolderPath(const std::wstring& installFolderName) {
    if (!IsUsableFolderName(installFolderName)) return {};
    const std::wstring appData = AppDataFolder();
    if (appData.empty()) return {};
    return appData + L"\\" + installFolderName + L"\\";
}
