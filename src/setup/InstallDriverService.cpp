// STEP1 and STEP2: the filter driver and the service, each in the build that
// matches the system, written into the native system folders and
// registered; and the service's command lines for the programs it starts.
#include <vector>

#include "setup/InstallCodes.h"
#include "setup/MainForm.h"
#include "shared/DebugTrace.h"
#include "shared/FileHelpers.h"
#include "shared/ServiceControl.h"
#include "shared/Wow64.h"

namespace {

constexpr wchar_t kDriverName[] = L"VelloFlt";
constexpr wchar_t kServiceName[] = L"VelloService";
constexpr wchar_t kSettingsKey[] = L"Qorv 73xx Software";
constexpr wchar_t kDriverType[] = L"DRIVER";
constexpr wchar_t kServiceType[] = L"Service";
constexpr WORD kDriverId = 102;
constexpr WORD kDriver64Id = 103;
constexpr WORD kServiceId = 105;
constexpr WORD kService64Id = 106;
// How long the service's registration run may take.
constexpr DWORD kRegistrationWaitMs = 100000;

// WOW64 file-system redirection off on this thread while the object lives
// (only when asked for: on 64-bit Windows), back on when it goes.
class RedirectionOff {
public:
    explicit RedirectionOff(bool wow64) : active_(wow64) {
        if (active_) DisableWow64Redirection(&old_);
    }
    ~RedirectionOff() {
        if (active_) RevertWow64Redirection(old_);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

private:
    bool active_;
    PVOID old_ = nullptr;
};

// The service's command lines: <context>_<program letter><digit>.
struct ExecutionContext {
    const wchar_t* name;
    int digit;
    const wchar_t* startSwitch;
};
const ExecutionContext kExecutionContexts[] = {
    {L"UserPrivilegeExecution", 0, L" -servicestart"},
    {L"AdminPrivilegeExecution", 1, L" -servicestart"},
    {L"SystemPrivilegeExecution", 2, L" -servicestart"},
    {L"SystemPrivilegeExecutionOnBoot", 3, L" -serviceboot"},
    {L"AdminPrivilegeExecutionOnBoot", 4, L" -serviceboot"},
};

bool ServiceIsRegistered() {
    win::ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return false;
    win::ServiceHandle service(::OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
    return service.valid();
}

}  // namespace

DWORD TMainForm::Install_FilterDriver() {
    trace::Out(L"==> %ls\n", L"TMainForm::Install_FilterDriver");
    if (CreateDriverServiceKey(kDriverName) != 0) return kDriverKeyFailed;
    PostProgress(10);
    {
        RedirectionOff redirection(m_bWow64 != FALSE);
        DWORD size = 0;
        const void* driver = LoadResourceData(m_bWow64 ? kDriver64Id : kDriverId, kDriverType, size);
        if (!driver) return kDriverResourceMissing;
        const std::wstring path = m_Settings.NativeSystemFolderPath + L"drivers\\" + kDriverName + L".sys";
        if (WriteBufferToFile(path, driver, size) != kFileWritten) return kDriverWriteFailed;
    }
    PostProgress(20);
    return 0;
}

DWORD TMainForm::Install_Service() {
    ControlTheService(kServiceName, SERVICE_CONTROL_STOP);
    BroadcastAppExit();  // a control panel started meanwhile closes too
    PostProgress(30);
    {
        RedirectionOff redirection(m_bWow64 != FALSE);
        if (DWORD failed = WriteServiceProgram()) return failed;
        WritePrivilegeExecutionValues();
    }
    PostProgress(50);
    ControlTheService(kServiceName, SERVICE_CONTROL_START);
    PostProgress(60);
    return 0;
}

DWORD TMainForm::WriteServiceProgram() {
    DWORD size = 0;
    const void* service = LoadResourceData(m_bWow64 ? kService64Id : kServiceId, kServiceType, size);
    if (!service) return kServiceResourceMissing;
    const std::wstring program = m_Settings.NativeSystemFolderPath + kServiceName + L".exe";
    if (WriteBufferToFile(program, service, size) != kFileWritten) return kServiceWriteFailed;
    PostProgress(40);
    return RegisterService(program);
}

// Runs the service program with "/Service" and waits for it to end; it must
// leave a service "VelloService" behind.
DWORD TMainForm::RegisterService(const std::wstring& program) {
    const std::wstring command = L"\"" + program + L"\" /Service";
    std::vector<wchar_t> commandLine(command.begin(), command.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, HIGH_PRIORITY_CLASS, nullptr,
                          nullptr, &startup, &started)) {
        trace::Out(L"***** %ls cannot start (%lu) *****\n", command.c_str(), ::GetLastError());
        return kServiceRegistrationNotStarted;
    }
    win::Handle thread(started.hThread);
    win::Handle process(started.hProcess);
    if (::WaitForSingleObject(process.get(), kRegistrationWaitMs) != WAIT_OBJECT_0) {
        trace::Out(L"***** %ls did not end *****\n", command.c_str());
        return kServiceRegistrationTimedOut;
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    trace::Out(L"##### %ls ended with %lu #####\n", command.c_str(), exitCode);
    if (!ServiceIsRegistered()) {
        trace::Out(L"***** No service %ls after its registration *****\n", kServiceName);
        return kServiceNotRegistered;
    }
    return 0;
}

void TMainForm::WritePrivilegeExecutionValues() {
    const struct {
        wchar_t letter;
        std::wstring path;
    } programs[] = {
        {L'C', PanelPath()},
        {L'B', PluginProgramPath(m_Settings.EffectAPPFileName)},
        {L'D', PluginProgramPath(m_Settings.SoundEffectAPPFileName)},
    };
    for (const auto& program : programs) {
        trace::Out(L"##### %ls #####\n", program.path.c_str());
        const std::wstring quoted = L"\"" + program.path + L"\"";
        for (const ExecutionContext& context : kExecutionContexts) {
            const std::wstring name = trace::Format(L"%ls_%lc%d", context.name, program.letter, context.digit);
            if (WriteRegistryString(kSettingsKey, name, quoted + context.startSwitch) != kRegWritten)
                trace::Out(L"***** %ls not written *****\n", name.c_str());
        }
    }
}
