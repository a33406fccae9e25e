#include "InstalledState.h"

#include <shlobj.h>

#include <functional>
#include <vector>

#include "TestSupport.h"

namespace vt {

std::wstring AppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
    return path;
}

std::wstring KitUserFolder() { return AppDataFolder() + L"\\" + kKitInstallFolderName + L"\\"; }

void ResetInstalledState() {
    for (const wchar_t* key : {kUsbGroupKey, kHidGroupKey, kSettingsKey})
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
    RemoveTree(KitUserFolder());
    // Program files, shortcuts, Run and uninstall entries, the service's
    // program file and the uninstaller's clean-up program.
    RemoveTree(KitInstallFolder());
    RemoveTree(CommonProgramsFolder() + L"\\" + kKitShortcutFolderName);
    ::DeleteFileW((DesktopFolder() + L"\\" + kKitDesktopShortcut).c_str());
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kKitRunValueName);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::DeleteFileW((SystemFolder() + L"VelloService.exe").c_str());
    for (const wchar_t* file : {L"FinalDeleteFile.exe", L"FinalDeleteFile.log"}) {
        const std::wstring path = CommonAppDataFolder() + file;
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }
}

bool RegKeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

std::wstring Dword(DWORD value) { return L"dword:" + std::to_wstring(value); }

std::map<std::wstring, std::wstring> RegValues(const std::wstring& path) {
    std::map<std::wstring, std::wstring> values;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameChars = 256, type = 0, size = 0;
        std::vector<BYTE> data(4096);
        size = static_cast<DWORD>(data.size());
        if (::RegEnumValueW(key, i, name, &nameChars, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        std::wstring text;
        if (type == REG_SZ) {
            text.assign(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
        } else if (type == REG_DWORD && size == sizeof(DWORD)) {
            text = Dword(*reinterpret_cast<const DWORD*>(data.data()));
        } else {
            text = L"type:" + std::to_wstring(type);
        }
        values[name] = text;
    }
    ::RegCloseKey(key);
    return values;
}

bool CreateVolatileKey(const std::wstring& path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &key, &disposition) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return disposition == REG_CREATED_NEW_KEY;
}

namespace {

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

}  // namespace

std::wstring ProgramFilesFolder() { return ShellFolder(CSIDL_PROGRAM_FILES); }
std::wstring CommonProgramsFolder() { return ShellFolder(CSIDL_COMMON_PROGRAMS); }
std::wstring DesktopFolder() { return ShellFolder(CSIDL_DESKTOPDIRECTORY); }
std::wstring KitInstallFolder() { return ProgramFilesFolder() + L"\\" + kKitInstallFolderName + L"\\"; }
std::wstring SystemFolder() { return ShellFolder(CSIDL_SYSTEM) + L"\\"; }
std::wstring CommonAppDataFolder() { return ShellFolder(CSIDL_COMMON_APPDATA) + L"\\"; }

std::wstring UnixPath(const std::wstring& windowsPath) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    char* unix = toUnix ? toUnix(windowsPath.c_str()) : nullptr;
    if (!unix) return {};
    std::wstring path = Widen(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return path;
}

bool RunHostCommand(const std::wstring& commandLine, const std::function<bool()>& done) {
    Child child;
    if (!child.Start(commandLine)) return false;
    // Wine cannot wait for a host process: its effect is waited for instead.
    for (int i = 0; i < 200; ++i) {
        if (done()) return true;
        ::Sleep(25);
    }
    return done();
}

namespace {
bool IsLinkPath(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
}  // namespace

HostLink::HostLink(const std::wstring& target, const std::wstring& link)
    : link_(link), unixLink_(UnixPath(link)) {
    const std::wstring unixTarget = UnixPath(target);
    made_ = !unixTarget.empty() && !unixLink_.empty() &&
            RunHostCommand(L"Z:\\bin\\ln -s " + Quoted(unixTarget) + L" " + Quoted(unixLink_),
                           [&] { return IsLinkPath(link_); });
}

HostLink::~HostLink() {
    if (made_) RunHostCommand(L"Z:\\bin\\rm -f " + Quoted(unixLink_), [&] { return !IsLinkPath(link_); });
}

FilterControlDevice::FilterControlDevice() {
    wchar_t prefix[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) return;
    unixLink_ = std::wstring(prefix) + L"/dosdevices/class#vellolink&2f7b&00";
    RunHostCommand(L"Z:\\bin\\ln -sf /dev/null " + Quoted(unixLink_), [this] { return present(); });
}

FilterControlDevice::~FilterControlDevice() {
    if (!unixLink_.empty()) RunHostCommand(L"Z:\\bin\\rm -f " + Quoted(unixLink_), [this] { return !present(); });
}

bool FilterControlDevice::present() const {
    HANDLE device = ::CreateFileW(L"\\\\.\\Class#VelloLink&2F7B&00", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(device);
    return true;
}

}  // namespace vt
