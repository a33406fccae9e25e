#include "ServiceControl.h"

#include "DebugTrace.h"
#include "ScopedWin.h"
#include "Variant.h"

namespace {

const ServiceOpenCalls kSystemOpenCalls = {::OpenSCManagerW, ::OpenServiceW};
const ServiceOpenCalls* g_openCalls = &kSystemOpenCalls;

constexpr int kPolls = 30;
constexpr DWORD kPollMs = 300;

DWORD ManagerRights() {
    return variant::kPanel ? SC_MANAGER_CONNECT : SC_MANAGER_ALL_ACCESS;
}

DWORD ServiceRights(DWORD code) {
    if (variant::kPanel && code >= 128) return SERVICE_QUERY_STATUS | SERVICE_USER_DEFINED_CONTROL;
    return SERVICE_ALL_ACCESS;
}

const wchar_t* StateName(DWORD state) { return state == SERVICE_RUNNING ? L"RUNNING" : L"STOPPED"; }

// Polls until the service is in the wanted state; the debugger output tells
// how many pauses that took.
bool WaitForState(SC_HANDLE service, const wchar_t* name, DWORD wanted) {
    for (int poll = 0; poll < kPolls; ++poll) {
        SERVICE_STATUS status = {};
        if (::QueryServiceStatus(service, &status) && status.dwCurrentState == wanted) {
            trace::Out(L"##### %ls %ls after %d pause(s) of %lu ms #####\n", name, StateName(wanted), poll, kPollMs);
            return true;
        }
        ::Sleep(kPollMs);
    }
    trace::Out(L"***** %ls not %ls after %d pauses of %lu ms *****\n", name, StateName(wanted), kPolls, kPollMs);
    return false;
}

// The process the service runs in, opened for waiting; empty when the
// service has none or it cannot be opened.
win::Handle OpenServiceProcess(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                                &needed) ||
        status.dwProcessId == 0)
        return win::Handle();
    return win::Handle(::OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId));
}

// A service reports itself stopped a moment before its process ends, and
// until then its program file is in use: callers replace or delete that
// file right after the stop. The wait is bounded like the state polls.
void WaitForProcessEnd(const win::Handle& process, const wchar_t* name) {
    if (!process) return;
    if (::WaitForSingleObject(process.get(), kPolls * kPollMs) != WAIT_OBJECT_0)
        trace::Out(L"***** %ls's process still running after %lu ms *****\n", name, kPolls * kPollMs);
}

int Stop(SC_HANDLE service, const wchar_t* name, const SERVICE_STATUS& status) {
    if (status.dwCurrentState == SERVICE_STOPPED) return kServiceDone;
    const win::Handle process = OpenServiceProcess(service);
    SERVICE_STATUS ignored = {};
    if (!::ControlService(service, SERVICE_CONTROL_STOP, &ignored)) return kServiceStopRequestFailed;
    if (!WaitForState(service, name, SERVICE_STOPPED)) return kServiceStopTimedOut;
    WaitForProcessEnd(process, name);
    return kServiceDone;
}

int Start(SC_HANDLE service, const wchar_t* name, const SERVICE_STATUS& status) {
    if (status.dwCurrentState == SERVICE_RUNNING) return kServiceDone;
    if (!::StartServiceW(service, 0, nullptr)) return kServiceStartFailed;
    return WaitForState(service, name, SERVICE_RUNNING) ? kServiceDone : kServiceStartTimedOut;
}

}  // namespace

const ServiceOpenCalls& SystemServiceOpenCalls() { return kSystemOpenCalls; }

void InstallServiceOpenCalls(const ServiceOpenCalls* calls) { g_openCalls = calls ? calls : &kSystemOpenCalls; }

int ControlTheService(const wchar_t* serviceName, DWORD code) {
    win::ServiceHandle manager(g_openCalls->OpenSCManagerW(nullptr, nullptr, ManagerRights()));
    if (!manager) return kServiceOpenManagerFailed;
    win::ServiceHandle service(g_openCalls->OpenServiceW(manager.get(), serviceName, ServiceRights(code)));
    if (!service) return kServiceOpenServiceFailed;
    SERVICE_STATUS status = {};
    if (!::QueryServiceStatus(service.get(), &status)) return kServiceQueryFailed;

    switch (code) {
    case SERVICE_CONTROL_STOP: return Stop(service.get(), serviceName, status);
    case SERVICE_CONTROL_START: return Start(service.get(), serviceName, status);
    default: {
        SERVICE_STATUS ignored = {};
        ::ControlService(service.get(), code, &ignored);  // result not looked at
        return kServiceDone;
    }
    }
}
