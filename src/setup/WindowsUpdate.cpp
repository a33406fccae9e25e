// The Windows update the filter driver needs on 64-bit Windows 7 with a
// service pack: STEP5 places the package that the installer carries in the
// system folder, STEP10 runs it when the update is not installed yet. The
// update's own exit code decides whether the step succeeded.
#include <windows.h>

#include "setup/InstallCodes.h"
#include "setup/InstallMgr.h"
#include "setup/MainForm.h"
#include "shared/DebugTrace.h"
#include "shared/ScopedWin.h"
#include "shared/ShellStart.h"
#include "shared/VersionInfo.h"

namespace {

constexpr WORD kUpdatePackageId = 110;
constexpr wchar_t kUpdatePackageType[] = L"WindowPatch";
constexpr wchar_t kServicingKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\";
constexpr size_t kPrefixChars = 256;
constexpr DWORD kSubKeyChars = 260;

// What the update program's exit codes mean; any other code is a failure.
struct UpdateExit {
    DWORD code;
    const wchar_t* meaning;
};
const UpdateExit kUpdateSucceeded[] = {
    {ERROR_SUCCESS, L"installed"},
    {ERROR_SUCCESS_REBOOT_REQUIRED, L"installed, Windows must restart"},
    {0x00240006, L"already installed"},           // WU_S_ALREADY_INSTALLED
    {0x80240017, L"not applicable to this system"},  // WU_E_NOT_APPLICABLE
};

// The update is for 64-bit Windows 7 with a service pack only; anything else
// is traced and needs no update.
bool UpdateApplies(int is64Bit, int osClass, int servicePack) {
    if (!is64Bit) {
        trace::Text(L"##### The OS is 32-Bit #####\n");
        return false;
    }
    if (osClass != kOsWin7) {
        trace::Text(L"##### The OS is not Win7 #####\n");
        return false;
    }
    if (servicePack == 0) {
        trace::Text(L"##### The OS is Win7, but not install the service pack! #####\n");
        return false;
    }
    return true;
}

void TraceMethod(const wchar_t* name) { trace::Text(std::wstring(L"VelloSetup: ") + L" ==> " + name + L"\n"); }

}  // namespace

// ------------------------------------------------------------------ wizard

DWORD TMainForm::Copy_KB3033929() {
    TraceMethod(L"TMainForm::Copy_KB3033929");
    return m_InstallMgr.Copy_KB3033929(kUpdatePackageId, kUpdatePackageType) == INSTALL_MGR::kPackagePlaced
               ? 0
               : kUpdatePackageCopyFailed;
}

DWORD TMainForm::Install_KB3033929() {
    TraceMethod(L"TMainForm::Install_KB3033929");
    if (!UpdateApplies(m_bWow64, m_iOSClass, m_iServicePack)) return 0;
    trace::Text(L"***** Service pack KDB3033929 not EXIST! *****\n");
    switch (m_InstallMgr.Install_KB3033929()) {
    case INSTALL_MGR::kUpdateDone: return 0;
    case INSTALL_MGR::kUpdateNotStarted: return kUpdateNotStarted;
    default: return kUpdateRunFailed;
    }
}

// ----------------------------------------------------------------- manager

namespace INSTALL_MGR {

int CInstallMgr::Copy_KB3033929(WORD id, const wchar_t* type) const {
    DWORD size = 0;
    const void* package = LoadResourceData(id, type, size);
    if (!package) return kPackageResourceMissing;
    const std::wstring path = m_NativeSystemFolderPath + kUpdatePackageFileName;
    if (WriteBufferToFile(path, package, size) != 0) return kPackageWriteFailed;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return kPackagePlaced;
}

int CInstallMgr::Install_KB3033929() const {
    if (!UpdateApplies(m_i64Bit, m_iOSClass, m_iServicePack)) return kUpdateDone;
    if (HasApplicabilityEntry(kUpdatePackageIdentity) || FindServicingPackage(kUpdateName)) {
        trace::Out(L"##### %ls is installed #####\n", kUpdateName);
        return kUpdateDone;
    }
    trace::Text(L"***** Service pack KDB3033929 not EXIST! *****\n");
    DWORD exitCode = 0;
    switch (ExecuteAndWait(m_NativeSystemFolderPath + kUpdatePackageFileName, INFINITE, exitCode)) {
    case kExecuteFailed:
        trace::Text(L"***** InstallKB3033929 *****\n");
        return kUpdateNotStarted;
    case kExecuteNotFollowed:
        trace::Text(L"***** InstallKB3033929: the update's end cannot be seen *****\n");
        return kUpdateFailed;
    default: break;
    }
    for (const UpdateExit& known : kUpdateSucceeded) {
        if (known.code == exitCode) {
            trace::Out(L"##### InstallKB3033929: %ls (0x%.8X) #####\n", known.meaning, exitCode);
            return kUpdateDone;
        }
    }
    trace::Out(L"***** InstallKB3033929 failed: 0x%.8X *****\n", exitCode);
    return kUpdateFailed;
}

bool CInstallMgr::FindServicingPackage(const wchar_t* name) const {
    win::RegKey packages;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kServicingKey) + L"Packages").c_str(), 0,
                        KEY_READ | KEY_WOW64_64KEY, packages.put()) != ERROR_SUCCESS)
        return false;
    DWORD count = 0;
    if (::RegQueryInfoKeyW(packages.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    wchar_t prefix[kPrefixChars] = {};
    _snwprintf(prefix, kPrefixChars - 1, L"Package_for_%ls~", name);
    const size_t prefixLength = wcslen(prefix);
    for (DWORD index = 0; index < count; ++index) {
        wchar_t subKey[kSubKeyChars] = {};
        DWORD chars = kSubKeyChars;
        if (::RegEnumKeyExW(packages.get(), index, subKey, &chars, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS ||
            chars < prefixLength)
            continue;
        if (wcsncmp(subKey, prefix, prefixLength) == 0) return true;
    }
    return false;
}

bool CInstallMgr::HasApplicabilityEntry(const wchar_t* identity) const {
    win::RegKey entry;
    const std::wstring path = std::wstring(kServicingKey) + L"ApplicabilityEvaluationCache\\" + identity;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, entry.put()) ==
           ERROR_SUCCESS;
}

int CInstallMgr::ExecuteAndWait(const std::wstring& file, DWORD waitMs, DWORD& exitCode) const {
    win::Handle process;
    if (!StartHidden(file, L"", process)) {
        trace::Out(L"***** %ls cannot be opened (%lu) *****\n", file.c_str(), ::GetLastError());
        return kExecuteFailed;
    }
    if (!process || ::WaitForSingleObject(process.get(), waitMs) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &exitCode))
        return kExecuteNotFollowed;
    return kExecuted;
}

}  // namespace INSTALL_MGR
