#include "Wow64.h"

namespace {

const Wow64Api* g_replacement = nullptr;

template <typename Fn>
Fn Kernel32Function(const char* name) {
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32");
    return kernel32 ? reinterpret_cast<Fn>(::GetProcAddress(kernel32, name)) : nullptr;
}

Wow64Api CurrentApi() {
    if (g_replacement) return *g_replacement;
    Wow64Api api = {};
    api.isWow64Process = Kernel32Function<decltype(api.isWow64Process)>("IsWow64Process");
    api.disableRedirection =
        Kernel32Function<decltype(api.disableRedirection)>("Wow64DisableWow64FsRedirection");
    api.revertRedirection =
        Kernel32Function<decltype(api.revertRedirection)>("Wow64RevertWow64FsRedirection");
    return api;
}

}  // namespace

const Wow64Api* ReplaceWow64Api(const Wow64Api* api) {
    const Wow64Api* previous = g_replacement;
    g_replacement = api;
    return previous;
}

BOOL DisableWow64Redirection(PVOID* oldValue) {
    Wow64Api api = CurrentApi();
    return api.disableRedirection ? api.disableRedirection(oldValue) : FALSE;
}

BOOL RevertWow64Redirection(PVOID oldValue) {
    Wow64Api api = CurrentApi();
    return api.revertRedirection ? api.revertRedirection(oldValue) : FALSE;
}

bool IsRunningUnderWow64() {
    Wow64Api api = CurrentApi();
    if (!api.isWow64Process) return false;
    BOOL wow64 = FALSE;
    if (!api.isWow64Process(::GetCurrentProcess(), &wow64)) return false;
    return wow64 == 1;
}
