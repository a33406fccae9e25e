// VelloSetup's wizard: three pages (language, install progress, finish) in
// front of the background window. When it first shows it stores the
// supported-device lists and the current user's copies of the settings and
// lists the languages; Next writes the registry defaults and starts the
// install worker, which reports back with two private messages; Finish
// restarts Windows or starts the installed control panel.
#pragma once

#include <windows.h>

#include <string>

#include "setup/InstallMgr.h"
#include "setup/SetupExitCodes.h"
#include "setup/SetupTexts.h"
#include "shared/DeviceIdMgr.h"
#include "shared/InstallSettings.h"
#include "shared/Registry.h"
#include "shared/ScopedWin.h"
#include "ui/ComCtrls.h"
#include "ui/ExtCtrls.h"
#include "ui/FileCtrl.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

// Posted by the install worker: WParam = progress in percent.
constexpr UINT WM_INSTALL_PROGRESS = WM_USER + 0x20;
// Posted by the install worker once, when the sequence has ended.
constexpr UINT WM_INSTALL_FINISH = WM_USER + 0x21;

// The [Setup] entries of Language.ini, in the order they are read.
enum SetupLabel : int {
    kLabelBackBtn,
    kLabelNextBtn,
    kLabelFinishBtn,
    kLabelCancelBtn,
    kLabelSelectLang,
    kLabelVersion,
    kLabelAudioExt,
    kLabelInstall,
    kLabelReboot,
    kLabelRebootRadioBtn,
    kLabelNoRebootRadioBtn,
    kLabelTitle,
    kLabelWarning1,
    kLabelWarning2,
    kLabelWarning3,
    kLabelWarning4,
    kLabelAntivirusTip,
    kLabelKB3033929Tip,
    kSetupLabelCount
};
extern const wchar_t* const kSetupLabelKeys[kSetupLabelCount];
constexpr wchar_t kSetupSection[] = L"Setup";

// Notebook pages.
enum WizardPage : int { kPageLanguage = 0, kPageInstall = 1, kPageFinish = 2 };

class TMainForm : public ui::TForm {
public:
    explicit TMainForm(ui::TComponent* owner);
    ~TMainForm() override;
    const wchar_t* ClassName() const override { return L"TMainForm"; }

    // Components, in design order.
    ui::TBitBtn* BackBitBtn;
    ui::TBitBtn* NextBitBtn;
    ui::TBitBtn* FinishBitBtn;
    ui::TBitBtn* CancelBitBtn;
    ui::TNotebook* Notebook;
    ui::TLabel* SelectLangLabel;
    ui::TLabel* VersionLabel;
    ui::TLabel* AudioExtLabel;
    ui::TComboBox* ComboBox;
    ui::TLabel* InstallLabel;
    ui::TProgressBar* ProgressBar;
    ui::TLabel* RebootLabel;
    ui::TRadioButton* RebootRadioButton;
    ui::TRadioButton* NoRebootRadioButton;
    ui::TDirectoryListBox* DirectoryListBox;
    ui::TComboBox* OriginalComboBox;

    // Event handlers.
    void FormShow(ui::TObject* Sender);
    void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);
    void NextBitBtnClick(ui::TObject* Sender);
    void BackBitBtnClick(ui::TObject* Sender);
    void FinishBitBtnClick(ui::TObject* Sender);
    void CancelBitBtnClick(ui::TObject* Sender);
    void ComboBoxChange(ui::TObject* Sender);

    // Install options and registry defaults (InstallOptions.cpp).
    int ReadInstallOptions();
    int SaveDeviceIdGroup(DEVICEID_MGR::CDeviceIdMgr& list, const std::wstring& group,
                          const std::wstring& section, const std::wstring& fileName);
    int SaveRegistryDefaults();

    // Languages and texts (SetupLanguages.cpp).
    void ReadDefaultLanguage(std::wstring& language);
    void WriteDefaultLanguage(const std::wstring& language);
    int ListLanguages(const std::wstring& language);
    void LoadLanguage(const std::wstring& language);
    void ReadLanguageText(LABEL_INFO& record, const wchar_t* key, const std::wstring& pathPart);
    void ApplyLanguage();
    void ApplyLabelStyle(const LABEL_INFO& record, ui::TControl* control);

    // The install sequence, run by InstallThreadProc on the worker thread
    // (InstallWorker.cpp).
    void Install();
    void UpdateProgress(ui::TMessage& Message);

    // The install steps, run by Install on the worker thread. Each returns 0
    // or its sub-step code (InstallCodes.h). They touch the window only by
    // posting WM_INSTALL_PROGRESS.
    DWORD Install_FilterDriver();    // STEP1 (InstallDriverService.cpp)
    DWORD Install_Service();         // STEP2
    DWORD Install_App();             // STEP3 (InstallPrograms.cpp)
    DWORD Install_Uninstaller();     // STEP4
    DWORD Install_EffectApp();       // STEP8
    DWORD Install_SoundEffectApp();  // STEP8.1
    DWORD Install_Files();           // STEP5 (InstallFiles.cpp)
    DWORD Install_Manual();          // STEP6
    DWORD Install_Plugin();          // STEP7
    DWORD Install_KB3033929();       // STEP10 (WindowsUpdate.cpp)
    // Places the Windows update package (STEP5): 0 or 0x10000701.
    DWORD Copy_KB3033929();
    // 1 and the name of the first entry of folder (ending in '\') that is
    // no folder and does not begin with "."; 0 (fileName unchanged) when
    // there is none.
    int FindFirstFileInFolder(const std::wstring& folder, std::wstring& fileName);

    // True from Next until the worker has ended: the wizard and the
    // background refuse to close meanwhile.
    bool Installing() const { return m_bInstalling; }
    // What the program reports when it ends (SetupExitCode or a step's code).
    DWORD ExitCode() const { return m_ExitCode; }

    // Members, in declaration order.
    BOOL m_bWow64 = FALSE;
    std::wstring m_OwnVersion;         // "a.b.c.d" of VelloSetup itself
    int m_iOSClass = 0;
    int m_iVersionCode = 0;
    int m_iServicePack = 0;
    int m_iRebootNeeded = 0;           // set by the worker after the update step
    int m_iShowRebootScreen = 0;
    int m_iMultiDisplaySetting = 0;
    std::wstring m_ResolutionFolder;   // "1920x1080\", "1366x768\", "960x540\" or empty
    std::wstring UserFolderFullPath;   // the current user's folder, with its trailing backslash
    int m_iPluginFolderConfigured = 0;
    int m_iDesktopShortcutEnable = 0;
    int m_iInstallWindowsKB = 0;
    DEVICEID_MGR::CDeviceIdMgr m_UsbDeviceIdGroup;
    DEVICEID_MGR::CDeviceIdMgr m_HidDeviceIdGroup;
    INSTALL_SETTINGS m_Settings;
    INSTALL_MGR::_REG_UNINSTALL_INFO m_UninstallInfo;
    LABEL_INFO m_LabelInfo[kSetupLabelCount];
    INSTALL_MGR::CInstallMgr m_InstallMgr;
    bool m_bAntivirusTipShown = false;

    // The worker's result: 0, or what ExitCode reports for its end. Written
    // by the worker before it posts WM_INSTALL_FINISH.
    DWORD m_InstallResult = kSetupCancelled;

protected:
    void Dispatch(ui::TMessage& Message) override;
    void WndProc(ui::TMessage& Message) override;

private:
    void BuildComponents();
    bool RefuseUnusableInstallFolder();
    void MakeUserCopies();
    void CheckLanguageFile(const std::wstring& language);
    void LoadLanguageReportingErrors(const std::wstring& language);
    void StartInstallWorker();
    void InstallFinished();
    void ShowFinishPage();
    void EnableCloseCommands(bool enabled);
    void RequestReboot();
    void StartInstalledPanel();
    void ShowInstallFailure(const std::wstring& suffix);

    // Install helpers, on the worker thread.
    bool EarlierVersionLoaded() const;
    bool RunInstallSteps();
    void PostProgress(int percent);
    void BroadcastAppExit() const;
    DWORD WriteServiceProgram();
    DWORD RegisterService(const std::wstring& program);
    void WritePrivilegeExecutionValues();
    DWORD WriteProgram(WORD id, const wchar_t* type, const std::wstring& path, DWORD missingCode,
                       DWORD failedCode);
    std::wstring PanelPath() const;
    std::wstring PluginProgramPath(const std::wstring& name) const;
    DWORD InstallPluginProgram(WORD id, const std::wstring& name);
    bool IsOfferedLanguage(const std::wstring& language);
    std::wstring LanguageListFolder() const;
    std::wstring LanguageDisplayName(const std::wstring& language) const;

    bool m_bInstalling = false;
    win::Handle m_hInstallThread;
    DWORD m_ExitCode = kSetupCancelled;
};

// The worker thread's routine; its parameter is the wizard form. It runs
// TMainForm::Install, waits 500 ms and posts WM_INSTALL_FINISH.
DWORD WINAPI InstallThreadProc(LPVOID parameter);

extern TMainForm* MainForm;
