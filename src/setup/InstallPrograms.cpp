// STEP3, STEP4, STEP8 and STEP8.1: the programs VelloSetup carries, written
// into the install folder, with the control panel's Run value and shortcuts
// and the uninstaller's shortcut and entry among the installed programs.
#include "setup/InstallCodes.h"
#include "setup/MainForm.h"
#include "shared/DebugTrace.h"
#include "shared/FileHelpers.h"
#include "shared/Shortcuts.h"

namespace {

constexpr wchar_t kProgramType[] = L"APP";
constexpr wchar_t kUninstallerType[] = L"UNINSTALL";
constexpr WORD kPanelId = 107;
constexpr WORD kUninstallerId = 108;
constexpr WORD kEffectAppId = 111;
constexpr WORD kSoundEffectAppId = 112;

}  // namespace

std::wstring TMainForm::PanelPath() const {
    return m_Settings.InstallFolderFullPath + m_Settings.APPFileName + L".exe";
}

// Each plug-in program lives in a sub-folder of the plug-in folder named
// like the program.
std::wstring TMainForm::PluginProgramPath(const std::wstring& name) const {
    return m_Settings.InstallFolderFullPath + m_Settings.PluginFolderName + L"\\" + name + L"\\" + name + L".exe";
}

DWORD TMainForm::WriteProgram(WORD id, const wchar_t* type, const std::wstring& path, DWORD missingCode,
                              DWORD failedCode) {
    DWORD size = 0;
    const void* program = LoadResourceData(id, type, size);
    if (!program) return missingCode;
    if (WriteBufferToFile(path, program, size) != kFileWritten) {
        trace::Out(L"***** %ls cannot be written *****\n", path.c_str());
        return failedCode;
    }
    return 0;
}

DWORD TMainForm::Install_App() {
    DWORD size = 0;
    if (!LoadResourceData(kPanelId, kProgramType, size)) return kProgramResourceMissing;
    CreateFolderPath(m_Settings.InstallFolderFullPath);
    const std::wstring panel = PanelPath();
    if (DWORD failed = WriteProgram(kPanelId, kProgramType, panel, kProgramResourceMissing, kProgramWriteFailed))
        return failed;
    if (WriteRunValue(m_Settings.APPFileName, L"\"" + panel + L"\" -boot") != 0) return kRunValueFailed;
    CreateShortcut(m_Settings.ShortcutFolderName, panel, m_Settings.AppShortcutName, m_Settings.ShortcutFolderNameUp);
    if (m_iDesktopShortcutEnable == 1) CreateDesktopShortcut(panel, m_Settings.AppShortcutName);
    PostProgress(70);
    return 0;
}

DWORD TMainForm::Install_Uninstaller() {
    const std::wstring& uninstaller = m_UninstallInfo.UninstallString;
    if (DWORD failed = WriteProgram(kUninstallerId, kUninstallerType, uninstaller, kUninstallerResourceMissing,
                                    kUninstallerWriteFailed))
        return failed;
    CreateShortcut(m_Settings.ShortcutFolderName, uninstaller, m_Settings.UninstallShortcutName,
                   m_Settings.ShortcutFolderNameUp);
    // Without its entry the product cannot be removed from the list of
    // installed programs: that fails the step.
    if (!WriteUninstallInfo(m_UninstallInfo)) {
        trace::Out(L"***** The uninstall entry %ls cannot be written *****\n", m_UninstallInfo.KeyPath.c_str());
        return kUninstallEntryFailed;
    }
    PostProgress(80);
    return 0;
}

DWORD TMainForm::InstallPluginProgram(WORD id, const std::wstring& name) {
    DWORD size = 0;
    if (!LoadResourceData(id, kProgramType, size)) return kProgramResourceMissing;
    // Only the install folder is made here: the program's sub-folder comes
    // with the plug-in tree of STEP7.
    CreateFolderPath(m_Settings.InstallFolderFullPath);
    if (DWORD failed =
            WriteProgram(id, kProgramType, PluginProgramPath(name), kProgramResourceMissing, kProgramWriteFailed))
        return failed;
    PostProgress(98);
    return 0;
}

DWORD TMainForm::Install_EffectApp() { return InstallPluginProgram(kEffectAppId, m_Settings.EffectAPPFileName); }

DWORD TMainForm::Install_SoundEffectApp() {
    return InstallPluginProgram(kSoundEffectAppId, m_Settings.SoundEffectAPPFileName);
}
