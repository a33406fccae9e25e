// VelloUninstall's window: the product's icon, two lines of text, a progress
// bar, Uninstall and Cancel. It reads the settings beside its own file and
// the [Uninstall] texts of the language chosen at install time; Uninstall
// starts the worker (UninstallWorker.cpp), which reports its progress by
// posted messages and ends the program when it is done. While it runs the
// window cannot be closed.
#pragma once

#include <windows.h>

#include <string>

#include "setup/SetupTexts.h"
#include "shared/DeviceIdMgr.h"
#include "shared/InstallSettings.h"
#include "shared/ScopedWin.h"
#include "ui/ComCtrls.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"
#include "uninstall/UninstallTexts.h"

// Posted by the uninstall worker: WParam = progress in percent.
constexpr UINT WM_UNINSTALL_PROGRESS = WM_USER + 0x20;

// Results of TMainForm::Execute_FinalDeleteFile.
enum FinalDeleteResult : DWORD {
    kFinalDeleteStarted = 0,
    kFinalDeleteNoResource = 0x80000201,
    kFinalDeleteNotWritten = 0x80000202,  // or not held unchanged until the start
    kFinalDeleteNotStarted = 0x80000203,  // no usable install folder, or the start failed
};

class TMainForm : public ui::TForm {
public:
    explicit TMainForm(ui::TComponent* owner);
    ~TMainForm() override;
    const wchar_t* ClassName() const override { return L"TMainForm"; }

    // Components, in design order.
    ui::TImage* IconImage;
    ui::TLabel* Label1;
    ui::TLabel* Label2;
    ui::TProgressBar* ProgressBar;
    ui::TBitBtn* UninstallBitBtn;
    ui::TBitBtn* CancelBitBtn;

    // Event handlers.
    void FormShow(ui::TObject* Sender);
    void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);
    void UninstallBitBtnClick(ui::TObject* Sender);
    void CancelBitBtnClick(ui::TObject* Sender);

    void LoadLanguage(const std::wstring& language);
    void ApplyLanguage();
    void ReadDesktopShortcutOption();

    // The uninstall steps, run by UninstallThreadProc on the worker thread
    // (UninstallWorker.cpp).
    void Uninstall();
    void DeleteUninstallKey();
    DWORD Execute_FinalDeleteFile();
    // The worker's report of a device it could not enable again.
    bool DeviceLeftDisabled() const { return m_bDeviceLeftDisabled; }

    // True from Uninstall until the worker has ended: the window refuses to
    // close meanwhile.
    bool Uninstalling() const { return m_bUninstalling; }

    // Members, in declaration order.
    BOOL m_bWow64 = FALSE;
    std::wstring m_OwnVersion;        // "a.b.c.d" of VelloUninstall itself
    std::wstring m_ResolutionFolder;  // "1920x1080\", "1366x768\", "960x540\" or empty
    int m_IsDesktopShortCut = 0;      // 1 when the installer made a desktop shortcut
    DEVICEID_MGR::CDeviceIdMgr m_UsbDeviceIdGroup;
    DEVICEID_MGR::CDeviceIdMgr m_HidDeviceIdGroup;
    INSTALL_SETTINGS m_Settings;
    LABEL_INFO m_LabelInfo[kUninstallLabelCount];
    // The current user's folder, with its trailing backslash; empty when
    // there is no usable one (nothing is then read or deleted there).
    std::wstring UserFolderFullPath;

protected:
    void Dispatch(ui::TMessage& Message) override;
    void WndProc(ui::TMessage& Message) override;

private:
    void BuildComponents();
    void LoadIcons();
    void LoadDeviceIdGroup(DEVICEID_MGR::CDeviceIdMgr& group, const wchar_t* name);
    void ShowProgress(int percent);

    // The uninstall steps (UninstallWorker.cpp).
    void StopServiceAndDeleteIt();
    void DeleteShortcuts();
    void DeleteInstalledFolders();
    void DeleteInstalledFiles();
    void DeleteInstalledFile(const std::wstring& name);
    void DeleteInstalledFolder(const wchar_t* setting, const std::wstring& name);

    bool m_bUninstalling = false;
    bool m_bDeviceLeftDisabled = false;
    win::Handle m_hUninstallThread;
};

// The worker thread's routine; its parameter is the form. It runs
// TMainForm::Uninstall, warns when the filter driver is still active, starts
// the clean-up program and posts WM_QUIT.
DWORD WINAPI UninstallThreadProc(LPVOID parameter);

extern TMainForm* MainForm;
