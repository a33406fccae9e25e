#include "TestSupport.h"

#include "InstalledState.h"
#include "shared/ScopedWin.h"

namespace vt {

StandInService::StandInService(const std::wstring& name) : name_(name) {
    std::wstring exe = dir_ / L"VelloService.exe";
    if (!::CopyFileW(BinPath(L"VelloService.exe").c_str(), exe.c_str(), FALSE)) return;
    StopAndWait();
    RunResult r = RunDebugged(L"\"" + exe + L"\" /Service " + name_, 30000);
    registered_ = r.started && !r.timedOut && r.exitCode == 0;
}

StandInService::~StandInService() {
    StopAndWait();
    RunDebugged(L"\"" + dir_ / L"VelloService.exe" + L"\" /Remove " + name_, 30000);
}

std::vector<std::wstring> StandInService::Log() const { return LogLines(dir_ / (name_ + L".log")); }

void StandInService::ClearLog() const { ::DeleteFileW((dir_ / (name_ + L".log")).c_str()); }

void StandInService::Set(const std::wstring& key, int value) const {
    ::WritePrivateProfileStringW(L"Behaviour", key.c_str(), std::to_wstring(value).c_str(),
                                 (dir_ / (name_ + L".ini")).c_str());
}

DWORD StandInService::State() const {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return 0;
    DWORD state = 0;
    SC_HANDLE service = ::OpenServiceW(manager, name_.c_str(), SERVICE_QUERY_STATUS);
    if (service) {
        SERVICE_STATUS status = {};
        if (::QueryServiceStatus(service, &status)) state = status.dwCurrentState;
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
    return state;
}

namespace {

// The id of the process the service runs in, 0 when it runs in none.
DWORD ServiceProcessId(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!service || !::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                            sizeof(status), &needed))
        return 0;
    return status.dwProcessId;
}

}  // namespace

DWORD StandInService::ProcessId() const {
    win::ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return 0;
    win::ServiceHandle service(::OpenServiceW(manager.get(), name_.c_str(), SERVICE_QUERY_STATUS));
    return ServiceProcessId(service.get());
}

void StandInService::StopAndWait() const { StopServiceAndWait(name_); }

void StopServiceAndWait(const std::wstring& name) {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return;
    SC_HANDLE service = ::OpenServiceW(manager, name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (service) {
        // The process goes a moment after the service reports itself
        // stopped; its program file stays in use until then.
        const DWORD pid = ServiceProcessId(service);
        HANDLE process = pid ? ::OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr;
        SERVICE_STATUS status = {};
        ::ControlService(service, SERVICE_CONTROL_STOP, &status);
        for (int i = 0; i < 300; ++i) {
            if (!::QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED) break;
            ::Sleep(100);
        }
        if (process) {
            ::WaitForSingleObject(process, 10000);
            ::CloseHandle(process);
        }
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
}

}  // namespace vt
