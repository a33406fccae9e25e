// Starting, stopping and signalling a service through the service control
// manager.
#pragma once

#include <windows.h>

constexpr DWORD SERVICE_CONTROL_START = 0;
// SERVICE_CONTROL_STOP (1) comes from the Windows headers.
constexpr DWORD SERVICE_CONTROL_PREPARE_REMOVE = 128;
constexpr DWORD SERVICE_CONTROL_RUN_APP = 193;
constexpr DWORD SERVICE_CONTROL_RUN_APP_ON_BOOT = 196;

// Result of ControlTheService.
enum ServiceControlResult : int {
    kServiceDone = 0,
    kServiceOpenManagerFailed = 1,
    kServiceOpenServiceFailed = 2,
    kServiceQueryFailed = 3,
    kServiceStopRequestFailed = 4,
    kServiceStopTimedOut = 5,
    kServiceStartFailed = 6,
    kServiceStartTimedOut = 7,
};

// Code 0 starts the service and waits for RUNNING, code 1 stops it and waits
// for STOPPED (30 polls of 300 ms each); any other code is sent as it is.
// The control panel's copy asks only for the rights it needs: connecting to
// the manager, and querying plus user-defined codes for codes of 128 and up.
int ControlTheService(const wchar_t* serviceName, DWORD code);

// The service manager's two open calls, through which the rights are asked
// for. By default the system's; a test installs a table of its own to see
// the rights (it must outlive its use; nullptr restores the system's).
struct ServiceOpenCalls {
    SC_HANDLE(WINAPI* OpenSCManagerW)(LPCWSTR machine, LPCWSTR database, DWORD access);
    SC_HANDLE(WINAPI* OpenServiceW)(SC_HANDLE manager, LPCWSTR name, DWORD access);
};
const ServiceOpenCalls& SystemServiceOpenCalls();
void InstallServiceOpenCalls(const ServiceOpenCalls* calls);
