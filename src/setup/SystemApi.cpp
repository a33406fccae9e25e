#include "setup/SystemApi.h"

#include "shared/ScopedWin.h"

namespace {

bool EnableShutdownPrivilege() {
    win::Handle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return false;
    return ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
}

const SetupSystemApi kSystem = {EnableShutdownPrivilege, ::ExitWindowsEx, ::CreateThread};
const SetupSystemApi* g_replacement = nullptr;

}  // namespace

const SetupSystemApi& CurrentSetupSystemApi() { return g_replacement ? *g_replacement : kSystem; }

const SetupSystemApi* ReplaceSetupSystemApi(const SetupSystemApi* api) {
    const SetupSystemApi* previous = g_replacement;
    g_replacement = api;
    return previous;
}
