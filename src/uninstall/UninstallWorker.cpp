// The uninstall worker: the uninstall steps on their own thread, the warning
// when the filter driver is still active, and the hand-over to the clean-up
// program that removes the uninstaller and the install folder after it. It
// talks to the window only by posted messages and its own message box.
#include "uninstall/MainForm.h"

#include <shlobj.h>

#include <cstring>
#include <string>

#include "shared/AppExit.h"
#include "shared/DebugTrace.h"
#include "shared/FileHelpers.h"
#include "shared/ServiceControl.h"
#include "shared/ShellStart.h"
#include "shared/Wow64.h"
#include "uninstall/FilterRemoval.h"
#include "uninstall/UninstallSteps.h"

namespace {

constexpr wchar_t kServiceName[] = L"VelloService";
constexpr wchar_t kServiceFile[] = L"VelloService.exe";
constexpr wchar_t kDemoSound[] = L"bee.wav";
constexpr wchar_t kManualFolder[] = L"Manual";
constexpr wchar_t kSettingsFile[] = L"AudioConfig.cfg";
constexpr wchar_t kDeviceLibrary[] = L"DLLKQ_UsbAudio73xx_x32.dll";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qorv73xxAudioExt";
constexpr wchar_t kFilterControlDevice[] = L"\\\\.\\Class#VelloLink&2F7B&00";
constexpr size_t kWarningChars = 259;
constexpr WORD kFinalDeleteResourceId = 101;
constexpr wchar_t kFinalDeleteResourceType[] = L"APP";
constexpr wchar_t kFinalDeleteFile[] = L"FinalDeleteFile.exe";

void Step(int number) { trace::Out(L"===== Uninstall STEP%d =====\n", number); }

bool FilterDriverReachable() {
    win::FileHandle device(::CreateFileW(kFilterControlDevice, GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    return device.valid();
}

void DeleteTracedFile(const std::wstring& path) {
    trace::Out(L"Delete FileName = %ls\n", path.c_str());
    if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        trace::Out(L"***** %ls is not deleted (%lu) *****\n", path.c_str(), ::GetLastError());
}

void DeleteTracedFolder(const std::wstring& path) {
    trace::Out(L"Delete Folder = %ls\n", path.c_str());
    DeleteFolder(path);
}

// Writes the program file afresh and holds it, unchanged, for its start. A
// file already there, put there by anyone, is deleted first, and the new one
// is made only when the name is then free. The system's loader cannot open a
// program that anyone holds open for writing, so after writing it the file
// is held for reading, shared with readers only (nobody can change or delete
// it any more), and read back byte for byte. An invalid handle on failure.
win::FileHandle WriteHeldProgram(const std::wstring& path, const void* data, DWORD size) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) return win::FileHandle();
    {
        win::FileHandle file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return win::FileHandle();
        DWORD written = 0;
        if (!::WriteFile(file.get(), data, size, &written, nullptr) || written != size) {
            file.reset();
            ::DeleteFileW(path.c_str());
            return win::FileHandle();
        }
    }
    win::FileHandle held(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!held) return win::FileHandle();
    std::string back(static_cast<size_t>(size) + 1, '\0');
    DWORD read = 0;
    if (!::ReadFile(held.get(), &back[0], size + 1, &read, nullptr) || read != size ||
        std::memcmp(back.data(), data, size) != 0)
        return win::FileHandle();
    return held;
}

}  // namespace

DWORD WINAPI UninstallThreadProc(LPVOID parameter) {
    auto* form = static_cast<TMainForm*>(parameter);
    form->Uninstall();
    // A device left disabled needs the user as much as a filter still loaded.
    if (FilterDriverReachable() || form->DeviceLeftDisabled()) {
        const std::wstring text = form->m_LabelInfo[kLabelUninstallWarning1].Text.substr(0, kWarningChars);
        ::MessageBoxW(form->Handle(), text.c_str(), L"Uninstall", MB_OK);
    }
    form->Execute_FinalDeleteFile();
    ::PostMessageW(form->Handle(), WM_QUIT, 0, 0);
    return 0;
}

void TMainForm::Uninstall() {
    trace::Out(L"==> %ls\n", L"TMainForm::Uninstall");
    ShowProgress(1);
    Step(1);
    const bool ownFolder = HasUsableInstallFolderName(m_Settings);
    // Running control panels close, and the programs of the install folder
    // are given the time to end before their files go.
    CloseRunningPrograms(ownFolder ? m_Settings.InstallFolderFullPath : L"");
    ShowProgress(10);
    Step(2);
    StopServiceAndDeleteIt();
    Step(3);
    DeleteShortcuts();
    ShowProgress(40);
    if (!ownFolder) {
        trace::Out(L"***** Unusable InstallFolderName \"%ls\": nothing is deleted below Program Files or "
                   L"APPDATA *****\n",
                   m_Settings.InstallFolderName.c_str());
    }
    Step(4);
    if (ownFolder) DeleteInstalledFolders();
    ShowProgress(50);
    Step(5);
    if (ownFolder) DeleteInstalledFile(m_Settings.APPFileName.empty() ? L"" : m_Settings.APPFileName + L".exe");
    ShowProgress(60);
    Step(6);
    if (ownFolder) DeleteInstalledFiles();
    ShowProgress(70);
    Step(7);
    DeleteUninstallKey();
    ShowProgress(80);
    DeleteRunValue(m_Settings.APPFileName);
    m_bDeviceLeftDisabled = RemoveFilter(kHidClassGuid, kFilterIdLengthTemplate, m_UsbDeviceIdGroup, kFilterDriverName);
    ShowProgress(90);
    ::Sleep(500);
    ShowProgress(100);
    ::Beep(400, 100);
}

void TMainForm::StopServiceAndDeleteIt() {
    trace::Out(L"ServiceName = %ls\n", kServiceName);
    ControlTheService(kServiceName, SERVICE_CONTROL_START);
    ControlTheService(kServiceName, SERVICE_CONTROL_PREPARE_REMOVE);
    ControlTheService(kServiceName, SERVICE_CONTROL_STOP);
    ShowProgress(20);
    PVOID redirection = nullptr;
    if (m_bWow64) DisableWow64Redirection(&redirection);
    DeleteTracedFile(m_Settings.NativeSystemFolderPath + kServiceFile);
    if (m_bWow64) RevertWow64Redirection(redirection);
    ShowProgress(30);
}

void TMainForm::DeleteShortcuts() {
    const INSTALL_SETTINGS& s = m_Settings;
    DeleteShortcut(s.ShortcutFolderName, s.AppShortcutName + L".lnk", s.ShortcutFolderNameUp);
    DeleteShortcut(s.ShortcutFolderName, s.UninstallShortcutName + L".lnk", s.ShortcutFolderNameUp);
    // The installer puts the manual's shortcut into the shortcut folder
    // itself, never below the upper folder.
    DeleteShortcut(s.ShortcutFolderName, s.UserManualShortcutName + L".lnk", L"");
    if (m_IsDesktopShortCut == 1) DeleteDesktopShortcut(s.AppShortcutName + L".lnk");
    else trace::Text(L"===== m_IsDesktopShortCut == FALSE =====\n");
}

void TMainForm::DeleteInstalledFolders() {
    DeleteInstalledFolder(L"SkinFolderName", m_Settings.SkinFolderName);
    DeleteInstalledFolder(L"LanguageFolderName", m_Settings.LanguageFolderName);
    DeleteInstalledFile(kDemoSound);
    DeleteInstalledFolder(L"Manual", kManualFolder);
    if (UserFolderFullPath.empty()) trace::Text(L"***** No usable user folder: it is not deleted *****\n");
    else DeleteTracedFolder(UserFolderFullPath);
    DeleteInstalledFile(kDeviceLibrary);
    DeleteInstalledFolder(L"PluginFolderName", m_Settings.PluginFolderName);
}

void TMainForm::DeleteInstalledFiles() {
    DeleteInstalledFile(kDemoSound);
    DeleteInstalledFile(m_Settings.InstallIconFileName);
    // The installer puts the uninstaller's own icon beside it too.
    DeleteInstalledFile(m_Settings.UninstallIconFileName);
    DeleteInstalledFile(kSettingsFile);
    if (UserFolderFullPath.empty()) return;
    // Never a file reached through a link put in the folder's place.
    if (!IsLink(UserFolderFullPath)) DeleteTracedFile(UserFolderFullPath + kSettingsFile);
    DeleteTracedFolder(UserFolderFullPath);
}

void TMainForm::DeleteInstalledFile(const std::wstring& name) {
    if (!IsUsableNameComponent(name)) {
        trace::Out(L"***** Unusable file name \"%ls\": not deleted *****\n", name.c_str());
        return;
    }
    DeleteTracedFile(m_Settings.InstallFolderFullPath + name);
}

void TMainForm::DeleteInstalledFolder(const wchar_t* setting, const std::wstring& name) {
    if (!IsUsableNameComponent(name)) {
        trace::Out(L"***** Unusable %ls \"%ls\": not deleted *****\n", setting, name.c_str());
        return;
    }
    DeleteTracedFolder(m_Settings.InstallFolderFullPath + name + L"\\");
}

void TMainForm::DeleteUninstallKey() { DeleteUninstallInfo(kUninstallKey); }

DWORD TMainForm::Execute_FinalDeleteFile() {
    trace::Out(L"==> %ls\n", L"TMainForm::Execute_FinalDeleteFile");
    if (!HasUsableInstallFolderName(m_Settings)) {
        // The clean-up program would be handed Program Files itself, or a
        // folder outside it.
        trace::Text(L"***** No usable install folder: the clean-up program is not started *****\n");
        return kFinalDeleteNotStarted;
    }
    DWORD size = 0;
    const void* program = LoadResourceData(kFinalDeleteResourceId, kFinalDeleteResourceType, size);
    if (!program) return kFinalDeleteNoResource;
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                  folder)))
        return kFinalDeleteNotWritten;
    std::wstring path = folder;
    AppendBackslash(path, MAX_PATH);
    path += kFinalDeleteFile;
    win::FileHandle held = WriteHeldProgram(path, program, size);
    if (!held) {
        trace::Out(L"***** %ls cannot be written and held: it is not started *****\n", path.c_str());
        return kFinalDeleteNotWritten;
    }
    std::wstring installFolder = m_Settings.ProgramFilesFolderPath + m_Settings.InstallFolderName;
    while (!installFolder.empty() && installFolder.back() == L'\\') installFolder.pop_back();
    const std::wstring parameters = L"\"" + ui::Application->ExeName() + L"\" \"" + installFolder + L"\"";

    win::Handle process;
    if (!StartHidden(path, parameters, process)) {
        trace::Out(L"***** %ls cannot be started (%lu) *****\n", path.c_str(), ::GetLastError());
        return kFinalDeleteNotStarted;
    }
    return kFinalDeleteStarted;
}
