// The install worker: runs the install sequence on its own thread and tells
// the wizard by posted messages. It talks to the wizard's window only by
// PostMessageW and by its own message boxes.
#include "setup/MainForm.h"

#include <setupapi.h>

#include "setup/InstallCodes.h"
#include "shared/AppExit.h"
#include "shared/DebugTrace.h"
#include "shared/ServiceControl.h"

namespace {

constexpr wchar_t kServiceName[] = L"VelloService";
constexpr wchar_t kFilterName[] = L"VelloFlt";
// The filter driver's control device: it opens while an earlier version's
// driver is loaded.
constexpr wchar_t kEarlierVersionDevice[] = L"\\\\.\\Class#VelloLink&2F7B&00";
// Length of the USB hardware IDs the filter removal looks at
// ("USB\VID_2F7B&PID_73XX&REV_0100&MI_00").
constexpr DWORD kFilterHardwareIdLength = 36;

struct InstallStep {
    const wchar_t* trace;
    DWORD (TMainForm::*run)();
    bool pluginOnly;   // runs only when a plug-in folder is configured
    DWORD code;        // shown when the step fails; 0: its result is not looked at
};

const InstallStep kInstallSteps[] = {
    {L"===== Install STEP1 =====\n", &TMainForm::Install_FilterDriver, false, kStepFilterDriverCode},
    {L"===== Install STEP2 =====\n", &TMainForm::Install_Service, false, kStepServiceCode},
    {L"===== Install STEP3 =====\n", &TMainForm::Install_App, false, kStepAppCode},
    {L"===== Install STEP4 =====\n", &TMainForm::Install_Uninstaller, false, kStepUninstallerCode},
    {L"===== Install STEP5 =====\n", &TMainForm::Install_Files, false, kStepFilesCode},
    {L"===== Install STEP6 =====\n", &TMainForm::Install_Manual, false, 0},
    {L"===== Install STEP7 =====\n", &TMainForm::Install_Plugin, true, kStepPluginCode},
    {L"===== Install STEP8 =====\n", &TMainForm::Install_EffectApp, true, kStepEffectAppCode},
    {L"===== Install STEP8.1 =====\n", &TMainForm::Install_SoundEffectApp, true, kStepEffectAppCode},
};

}  // namespace

DWORD WINAPI InstallThreadProc(LPVOID parameter) {
    auto* form = static_cast<TMainForm*>(parameter);
    form->Install();
    ::Sleep(500);
    ::PostMessageW(form->Handle(), WM_INSTALL_FINISH, 0, 0);
    return 0;
}

void TMainForm::Install() {
    trace::Out(L"==> %ls\n", L"TMainForm::Install");
    // Clear the ground: running control panels close, the service comes to
    // rest, stale filter entries leave the devices.
    BroadcastAppExit();
    for (DWORD code : {SERVICE_CONTROL_START, SERVICE_CONTROL_PREPARE_REMOVE, DWORD{SERVICE_CONTROL_STOP}})
        ControlTheService(kServiceName, code);
    if (m_InstallMgr.RemoveFilter(INSTALL_MGR::kAudioDeviceClass, kFilterHardwareIdLength, m_UsbDeviceIdGroup,
                                  kFilterName, SPDRP_LOWERFILTERS)) {
        // A device that could not be enabled again comes back with Windows:
        // the finish page offers the restart.
        m_iRebootNeeded = 1;
    }
    if (EarlierVersionLoaded()) {
        m_InstallResult = kSetupPreviousVersion;
        ::MessageBoxW(Handle(), m_LabelInfo[kLabelWarning1].Text.c_str(), L"Install", MB_OK);
        // Nothing is installed: the earlier installation gets its service back.
        ControlTheService(kServiceName, SERVICE_CONTROL_START);
        return;
    }
    ::Sleep(100);
    PostProgress(1);
    if (!RunInstallSteps()) return;

    trace::Text(L"===== Install STEP9 =====\n");
    ::Sleep(1000);
    if (m_iInstallWindowsKB == 1) {
        trace::Text(L"===== Install STEP10 =====\n");
        if (const DWORD failed = Install_KB3033929()) {
            trace::Out(L"***** Install step failed: 0x%.8X *****\n", failed);
            m_InstallResult = kStepWindowsUpdateCode;
            ShowInstallFailure(trace::Format(L"(Code = 0x%.8X)", kStepWindowsUpdateCode));
            return;
        }
        m_iRebootNeeded = 1;
        PostProgress(100);
    }
    m_InstallResult = kSetupInstalled;
    ::Beep(500, 100);
}

bool TMainForm::EarlierVersionLoaded() const {
    win::FileHandle device(::CreateFileW(kEarlierVersionDevice, GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    return device.valid();
}

bool TMainForm::RunInstallSteps() {
    for (const InstallStep& step : kInstallSteps) {
        if (step.pluginOnly && m_iPluginFolderConfigured != 1) continue;
        trace::Text(step.trace);
        const DWORD result = (this->*step.run)();
        if (result == 0 || step.code == 0) continue;
        trace::Out(L"***** Install step failed: 0x%.8X *****\n", result);
        m_InstallResult = step.code;
        ShowInstallFailure(trace::Format(L"(Code = 0x%.8X)", step.code));
        return false;
    }
    return true;
}

void TMainForm::ShowInstallFailure(const std::wstring& suffix) {
    const std::wstring text = m_LabelInfo[kLabelWarning2].Text + suffix;
    ::MessageBoxW(Handle(), text.c_str(), L"Install", MB_OK);
}

void TMainForm::PostProgress(int percent) {
    ::PostMessageW(Handle(), WM_INSTALL_PROGRESS, static_cast<WPARAM>(percent), 0);
}

void TMainForm::BroadcastAppExit() const { CloseRunningPrograms(m_Settings.InstallFolderFullPath); }
