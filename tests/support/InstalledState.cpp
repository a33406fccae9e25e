#include "InstalledState.h"

#include <shlobj.h>
#include <shobjidl.h>

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
    // The product itself, then the uninstaller's clean-up program and its log.
    ResetInstalledProduct();
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

std::map<std::wstring, std::wstring> RegValues(const std::wstring& path) { return RegValues(path, 0); }

std::map<std::wstring, std::wstring> RegValues(const std::wstring& path, REGSAM view) {
    std::map<std::wstring, std::wstring> values;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return values;
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

namespace vt {
namespace {

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return std::wstring();
    return std::wstring(path) + L"\\";
}

// Closes every control panel window and waits for its process to end.
void EndControlPanels() {
    for (int round = 0; round < 3; ++round) {
        HWND window = ::FindWindowW(L"TAudioMainForm", nullptr);
        if (!window) return;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (process) {
            if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
    }
}

void DeleteService(const wchar_t* name) {
    StopServiceAndWait(name);
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    if (SC_HANDLE service = ::OpenServiceW(manager, name, DELETE)) {
        ::DeleteService(service);
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
}

// Deletes a file, retrying while a process that just ended still holds it.
void DeleteWithRetry(const std::wstring& path) {
    for (int i = 0; i < 50; ++i) {
        if (::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND) return;
        ::Sleep(100);
    }
}

// Starts a Unix program of the machine (seen through drive Z:). Wine gives
// no handle to wait on for such a process: callers poll for its effect.
bool StartUnix(const std::wstring& commandLine) {
    Child child;
    return child.Start(commandLine);
}

bool PollFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(50);
    }
    return true;
}

std::wstring EarlierFilterDeviceLink() {
    wchar_t prefix[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    return std::wstring(prefix) + L"/dosdevices/class#vellolink&2f7b&00";
}

}  // namespace

std::wstring SystemFolder() { return SpecialFolder(CSIDL_SYSTEM); }
std::wstring KitInstallFolder() { return SpecialFolder(CSIDL_PROGRAM_FILES) + kKitInstallFolderName + L"\\"; }
std::wstring KitStartMenuFolder() { return SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"Vello Audio\\"; }
std::wstring DesktopFolder() { return SpecialFolder(CSIDL_DESKTOPDIRECTORY); }

void ResetInstalledProduct() {
    EndControlPanels();
    DeleteService(kServiceName);
    const std::wstring system = SystemFolder();
    for (const wchar_t* file : {L"VelloService.exe", L"VelloService.log", L"VelloService.ini",
                                L"drivers\\VelloFlt.sys", L"Windows6.1-KB3033929-x64.msu"})
        DeleteWithRetry(system + file);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDriverKey);
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, L"VelloPanel");
    RemoveKeyLink(kUninstallKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    RemoveTree(KitInstallFolder());
    RemoveTree(KitStartMenuFolder());
    ::DeleteFileW((DesktopFolder() + L"Vello Audio Center.lnk").c_str());
    SetEarlierFilterDevice(false);
}

std::wstring ShortcutTarget(const std::wstring& link) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring target;
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
                SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
                target = path;
            file->Release();
        }
        shellLink->Release();
    }
    ::CoUninitialize();
    return target;
}

ServiceInfo QueryService(const std::wstring& name) {
    ServiceInfo info;
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return info;
    SC_HANDLE service = ::OpenServiceW(manager, name.c_str(), SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
    if (service) {
        SERVICE_STATUS status = {};
        if (::QueryServiceStatus(service, &status)) info.state = status.dwCurrentState;
        std::vector<BYTE> buffer(8192);
        DWORD needed = 0;
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        if (::QueryServiceConfigW(service, config, static_cast<DWORD>(buffer.size()), &needed)) {
            info.startType = config->dwStartType;
            info.serviceType = config->dwServiceType;
            info.binaryPath = config->lpBinaryPathName ? config->lpBinaryPathName : L"";
        }
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
    return info;
}

std::vector<std::wstring> LogLines(const std::wstring& path) {
    const std::wstring text = Widen(ReadFileBytes(path));
    std::vector<std::wstring> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L"\r\n", pos);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::vector<std::wstring> CleanUpLogWhenDone(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const std::vector<std::wstring> lines = LogLines(CommonAppDataFolder() + L"FinalDeleteFile.log");
        for (const std::wstring& line : lines) {
            for (const wchar_t* last : {L"removed ", L"not empty ", L"not removed ", L"refused "})
                if (line.rfind(last, 0) == 0) return lines;
        }
        if (::GetTickCount() - start > timeoutMs) return lines;
        ::Sleep(200);
    }
}

bool SetEarlierFilterDevice(bool reachable) {
    const std::wstring link = EarlierFilterDeviceLink();
    auto present = [] {
        HANDLE device = ::CreateFileW(L"\\\\.\\Class#VelloLink&2F7B&00", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE) return false;
        ::CloseHandle(device);
        return true;
    };
    if (present() && (!StartUnix(L"Z:\\bin\\rm -f \"" + link + L"\"") || !PollFor([&] { return !present(); }, 10000)))
        return false;
    return !reachable ||
           (StartUnix(L"Z:\\bin\\ln -s /dev/null \"" + link + L"\"") && PollFor(present, 10000));
}

bool CreateDanglingKeyLink(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                          KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring target = L"\\Registry\\Machine\\Software\\Vello Test Nowhere\\Missing";
    const LSTATUS set = ::RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                                         reinterpret_cast<const BYTE*>(target.c_str()),
                                         static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

void RemoveKeyLink(const std::wstring& path) {
    HKEY link = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &link) != ERROR_SUCCESS)
        return;
    DWORD type = 0;
    const bool isLink = ::RegQueryValueExW(link, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
                            ERROR_SUCCESS &&
                        type == REG_LINK;
    using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
    if (!isLink) {
        ::RegCloseKey(link);
        return;
    }
    if (auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(::GetProcAddress(::GetModuleHandleW(L"ntdll"), "NtDeleteKey")))
        deleteKey(link);
    ::RegCloseKey(link);
}

HeldFile::HeldFile(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    for (size_t at = path.find(L'\\'); at != std::wstring::npos && at <= slash; at = path.find(L'\\', at + 1))
        ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    handle_ = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
}

HeldFile::~HeldFile() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
}

}  // namespace vt
