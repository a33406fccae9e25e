// Stand-in for the maker's audio-device service.
//
//   VelloService.exe /Service [name]   registers itself (demand start) under
//                                       name, "VelloService" by default
//   VelloService.exe /Remove [name]    deletes that registration
//
// Run by the service control manager, it appends one line per event to
// <own folder>\<name>.log ("start", "control <code>", "stop") and answers
// stop requests. <own folder>\<name>.ini changes its behaviour for tests:
//   [Behaviour] StopDelayMs=<ms>  StartDelayMs=<ms>
//               ExitDelayMs=<ms>  the process stays that long after it
//                                 has reported itself stopped
//               RegisterFails=1   "/Service" registers nothing, logs
//                                 "registration refused" and still ends
//                                 with 0, as a registration that fails
//                                 without saying so
// On codes 193 and 196 it starts the command line stored in the registry
// (HKLM\SOFTWARE\Qorv 73xx Software, UserPrivilegeExecution_C0 or
// SystemPrivilegeExecutionOnBoot_C3) when one is stored: the 32-bit view
// first (where the 32-bit installer writes), then the 64-bit one (where a
// 64-bit installer writes), and logs "launched <command line>".
//
// The copy built for 64-bit Windows payloads (VELLO_SERVICE_FOR_64BIT_WINDOWS)
// differs only in the build name it reports on its debugger output.
#include <windows.h>

#include <string>

#include "shared/ScopedWin.h"

#ifdef VELLO_SERVICE_FOR_64BIT_WINDOWS
#define VELLO_SERVICE_BUILD L"64-bit Windows payload"
#else
#define VELLO_SERVICE_BUILD L"native payload"
#endif

namespace {

std::wstring g_name = L"VelloService";
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status = {};
HANDLE g_stopEvent = nullptr;

std::wstring OwnPath() {
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

std::wstring SiblingFile(const wchar_t* extension) {
    std::wstring path = OwnPath();
    path.erase(path.find_last_of(L'\\') + 1);
    return path + g_name + extension;
}

void Log(const std::wstring& line) {
    win::FileHandle file(::CreateFileW(SiblingFile(L".log").c_str(), FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    std::string text(line.begin(), line.end());
    text += "\r\n";
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::OutputDebugStringW((g_name + L": " + line + L"\n").c_str());
}

DWORD Setting(const wchar_t* key) {
    return ::GetPrivateProfileIntW(L"Behaviour", key, 0, SiblingFile(L".ini").c_str());
}

void SetState(DWORD state) {
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    g_status.dwWaitHint = 3000;
    ::SetServiceStatus(g_statusHandle, &g_status);
}

// The stored command line from one registry view; false when it is not there.
bool ReadStoredCommand(const wchar_t* valueName, REGSAM view, wchar_t (&command)[2048]) {
    win::RegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Qorv 73xx Software", 0, KEY_QUERY_VALUE | view,
                        key.put()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = sizeof(command) - sizeof(wchar_t);
    return ::RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(command), &size) ==
               ERROR_SUCCESS &&
           type == REG_SZ;
}

void RunStoredCommand(const wchar_t* valueName) {
    wchar_t command[2048] = {};
    if (!ReadStoredCommand(valueName, KEY_WOW64_32KEY, command) &&
        !ReadStoredCommand(valueName, KEY_WOW64_64KEY, command))
        return;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        Log(L"launched " + std::wstring(command));
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
    Log(L"control " + std::to_wstring(control));
    switch (control) {
    case SERVICE_CONTROL_STOP:
        SetState(SERVICE_STOP_PENDING);
        ::SetEvent(g_stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
    case 193: RunStoredCommand(L"UserPrivilegeExecution_C0"); return NO_ERROR;
    case 196: RunStoredCommand(L"SystemPrivilegeExecutionOnBoot_C3"); return NO_ERROR;
    default: return control >= 128 ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    g_statusHandle = ::RegisterServiceCtrlHandlerExW(g_name.c_str(), Handler, nullptr);
    if (!g_statusHandle) return;
    g_stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetState(SERVICE_START_PENDING);
    ::Sleep(Setting(L"StartDelayMs"));
    Log(L"start");
    SetState(SERVICE_RUNNING);
    ::WaitForSingleObject(g_stopEvent, INFINITE);
    ::Sleep(Setting(L"StopDelayMs"));
    Log(L"stop");
    SetState(SERVICE_STOPPED);
}

int Register() {
    ::OutputDebugStringW((g_name + L": registering the " VELLO_SERVICE_BUILD L" build\n").c_str());
    if (Setting(L"RegisterFails")) {
        Log(L"registration refused");
        return 0;
    }
    win::ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return 1;
    std::wstring command = L"\"" + OwnPath() + L"\" " + g_name;
    win::ServiceHandle service(::CreateServiceW(
        manager.get(), g_name.c_str(), g_name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
        SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, nullptr, nullptr,
        nullptr));
    if (service) return 0;
    if (::GetLastError() != ERROR_SERVICE_EXISTS) return 2;
    service.reset(::OpenServiceW(manager.get(), g_name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) return 3;
    return ::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START, SERVICE_NO_CHANGE,
                                  command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)
               ? 0
               : 4;
}

int Remove() {
    win::ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return 1;
    win::ServiceHandle service(::OpenServiceW(manager.get(), g_name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) return 2;
    SERVICE_STATUS status = {};
    ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    return ::DeleteService(service.get()) ? 0 : 3;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && _wcsicmp(argv[1], L"/Service") == 0) {
        if (argc >= 3) g_name = argv[2];
        return Register();
    }
    if (argc >= 2 && _wcsicmp(argv[1], L"/Remove") == 0) {
        if (argc >= 3) g_name = argv[2];
        return Remove();
    }
    if (argc >= 2) g_name = argv[1];
    SERVICE_TABLE_ENTRYW table[] = {{&g_name[0], ServiceMain}, {nullptr, nullptr}};
    const BOOL dispatched = ::StartServiceCtrlDispatcherW(table);
    // A service's process ends a moment after it has reported itself stopped.
    ::Sleep(Setting(L"ExitDelayMs"));
    return dispatched ? 0 : 1;
}
