#include "setup/MainForm.h"


#include "setup/BackgroundForm.h"
#include "setup/SystemApi.h"
#include "shared/DebugTrace.h"
#include "shared/FileHelpers.h"
#include "shared/ShellStart.h"
#include "shared/VersionInfo.h"
#include "shared/Wow64.h"

TMainForm* MainForm = nullptr;

namespace {

constexpr wchar_t kSettingsFile[] = L"AudioConfig.cfg";
constexpr wchar_t kDefaultProfileFile[] = L"DefaultProfile.ini";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qorv73xxAudioExt";
// GetEnvironmentVariableW's limit for %APPDATA%.
constexpr DWORD kAppDataChars = 256;


bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TMainForm::TMainForm(ui::TComponent* owner) : ui::TForm(owner, L"TMainForm") {
    BuildComponents();
    trace::Text(L"\n");
    trace::Out(L"==> %ls\n", L"TMainForm::TMainForm");

    const std::wstring exe = ui::Application->ExeName();
    GetFileVersionString(exe, m_OwnVersion);
    m_bWow64 = IsRunningUnderWow64() ? TRUE : FALSE;
    m_iOSClass = kOsWinXP;
    if (GetWindowsVersion(&m_iOSClass, &m_iVersionCode, &m_iServicePack) != 0)
        trace::Text(L"***** Get Windows Version FAIL! *****\n");

    LoadInstallSettings(kSettingsFile, exe, m_Settings);
    const std::wstring icon = m_Settings.SourceFolderFullPath + m_Settings.InstallIconFileName;
    ui::Application->Icon().LoadFromFile(icon);
    Icon().LoadFromFile(icon);
    ui::Application->SetTitle(m_Settings.InstallAppTitle);

    const std::wstring uninstaller = m_Settings.InstallFolderFullPath + m_Settings.UninstallFileName + L".exe";
    m_UninstallInfo.KeyPath = kUninstallKey;
    m_UninstallInfo.DisplayName = m_Settings.UninstallDisplayName;
    m_UninstallInfo.UninstallString = uninstaller;
    m_UninstallInfo.DisplayIcon = uninstaller;
    m_UninstallInfo.DisplayVersion = m_OwnVersion;
    m_UninstallInfo.Publisher = m_Settings.Publisher;
}

TMainForm::~TMainForm() {
    // The worker reads this form to its end.
    if (m_hInstallThread) ui::WaitAnsweringSentMessages(m_hInstallThread.get());
}

void TMainForm::BuildComponents() {
    SetName(L"MainForm");
    SetBorderStyle(ui::TFormBorderStyle::bsSingle);
    SetBorderIcons(ui::biSystemMenu);
    SetPosition(ui::TPosition::poScreenCenter);
    SetClientSize(430, 153);
    SetCaption(L"Setup");

    BackBitBtn = ui::PlaceControl<ui::TBitBtn>(this, this, L"BackBitBtn", 8, 119, 75, 25);
    BackBitBtn->SetCaption(L"< Back");
    BackBitBtn->SetVisible(false);
    BackBitBtn->SetEnabled(false);
    NextBitBtn = ui::PlaceControl<ui::TBitBtn>(this, this, L"NextBitBtn", 120, 119, 75, 25);
    NextBitBtn->SetCaption(L"Next >");
    NextBitBtn->SetDefault(true);
    FinishBitBtn = ui::PlaceControl<ui::TBitBtn>(this, this, L"FinishBitBtn", 232, 119, 75, 25);
    FinishBitBtn->SetCaption(L"Finish");
    FinishBitBtn->SetEnabled(false);
    CancelBitBtn = ui::PlaceControl<ui::TBitBtn>(this, this, L"CancelBitBtn", 339, 119, 75, 25);
    CancelBitBtn->SetCaption(L"Cancel");

    Notebook = ui::PlaceControl<ui::TNotebook>(this, this, L"Notebook", 0, 0, 430, 115);
    Notebook->SetAlign(ui::alTop);
    ui::TPage* language = Notebook->AddPage(L"Language");
    ui::TPage* installing = Notebook->AddPage(L"InstallPage");
    ui::TPage* finish = Notebook->AddPage(L"FinishPage");

    auto label = [this](ui::TPage* page, const wchar_t* name, int l, int t, int w, int h) {
        auto* control = ui::PlaceControl<ui::TLabel>(this, page, name, l, t, w, h);
        control->Font().SetHeight(-13);
        return control;
    };
    SelectLangLabel = label(language, L"SelectLangLabel", 16, 52, 103, 16);
    SelectLangLabel->SetCaption(L"Select Language :");
    VersionLabel = label(language, L"VersionLabel", 184, 20, 200, 16);
    AudioExtLabel = label(language, L"AudioExtLabel", 184, 52, 175, 16);
    ComboBox = ui::PlaceControl<ui::TComboBox>(this, language, L"ComboBox", 16, 74, 153, 21);

    InstallLabel = label(installing, L"InstallLabel", 16, 24, 63, 16);
    InstallLabel->SetCaption(L"Installing...");
    ProgressBar = ui::PlaceControl<ui::TProgressBar>(this, installing, L"ProgressBar", 16, 60, 361, 25);
    ProgressBar->SetSmooth(true);
    ProgressBar->SetRange(0, 100);

    RebootLabel = label(finish, L"RebootLabel", 40, 10, 315, 16);
    RebootLabel->SetWordWrap(true);
    RebootLabel->SetCaption(L"Setup will reboot your computer to complete the Install");
    RebootRadioButton = ui::PlaceControl<ui::TRadioButton>(this, finish, L"RebootRadioButton", 40, 67, 374, 24);
    RebootRadioButton->SetCaption(L"Yes, reboot now");
    RebootRadioButton->Font().SetHeight(-12);
    NoRebootRadioButton = ui::PlaceControl<ui::TRadioButton>(this, finish, L"NoRebootRadioButton", 40, 93, 374, 17);
    NoRebootRadioButton->SetCaption(L"No, reboot later");
    NoRebootRadioButton->Font().SetHeight(-12);
    NoRebootRadioButton->SetChecked(true);

    DirectoryListBox = ui::PlaceControl<ui::TDirectoryListBox>(this, this, L"DirectoryListBox", 269, 256, 145, 46);
    DirectoryListBox->SetVisible(false);
    OriginalComboBox = ui::PlaceControl<ui::TComboBox>(this, this, L"OriginalComboBox", 16, 25, 153, 21);
    OriginalComboBox->SetVisible(false);
    Notebook->SetPageIndex(kPageFinish);

    OnShow = [this](ui::TObject* sender) { FormShow(sender); };
    OnClose = [this](ui::TObject* sender, ui::TCloseAction& action) { FormClose(sender, action); };
    NextBitBtn->OnClick = [this](ui::TObject* sender) { NextBitBtnClick(sender); };
    BackBitBtn->OnClick = [this](ui::TObject* sender) { BackBitBtnClick(sender); };
    FinishBitBtn->OnClick = [this](ui::TObject* sender) { FinishBitBtnClick(sender); };
    CancelBitBtn->OnClick = [this](ui::TObject* sender) { CancelBitBtnClick(sender); };
    ComboBox->OnChange = [this](ui::TObject* sender) { ComboBoxChange(sender); };
}

// ------------------------------------------------------------------ show

void TMainForm::FormShow(ui::TObject*) {
    trace::Out(L"==> %ls\n", L"TMainForm::FormShow");
    if (BackgroundForm) {
        ::MoveWindow(BackgroundForm->Handle(), 0, 0, BackgroundForm->m_iWidth, BackgroundForm->m_iHeight, TRUE);
    }
    if (RefuseUnusableInstallFolder()) return;
    if (SaveDeviceIdGroup(m_UsbDeviceIdGroup, DEVICEID_MGR::kUsbGroup, DEVICEID_MGR::kUsbSection, kSettingsFile) ||
        SaveDeviceIdGroup(m_HidDeviceIdGroup, DEVICEID_MGR::kHidGroup, DEVICEID_MGR::kHidSection, kSettingsFile)) {
        // The supported-device lists are what the other programs authenticate
        // devices by: without them there is nothing to install.
        trace::Text(L"***** The device-ID groups cannot be stored *****\n");
        m_ExitCode = kSetupConfigRefused;
        ::PostMessageW(Handle(), WM_QUIT, 0, 0);
        return;
    }
    Notebook->SetPageIndex(kPageLanguage);
    NextBitBtn->SetFocus();

    wchar_t appData[2 * kAppDataChars] = {};
    DWORD n = ::GetEnvironmentVariableW(L"APPDATA", appData, kAppDataChars);
    if (n == 0 || n >= kAppDataChars) appData[0] = L'\0';
    UserFolderFullPath = std::wstring(appData) + L"\\" + m_Settings.InstallFolderName + L"\\";
    MakeUserCopies();

    std::wstring language;
    ReadDefaultLanguage(language);
    ReadInstallOptions();
    CheckLanguageFile(language);
    ListLanguages(language);
    LoadLanguageReportingErrors(language);
    ApplyLanguage();
    // The registry defaults are written when the installation starts (Next),
    // so opening and cancelling the wizard keeps the user's settings.
    ::Sleep(100);
}

bool TMainForm::RefuseUnusableInstallFolder() {
    if (HasUsableInstallFolderName(m_Settings)) return false;
    // The install and per-user folders would be Program Files or %APPDATA%
    // themselves (or lie outside them): refuse before anything is written.
    trace::Out(L"***** Unusable InstallFolderName \"%ls\" *****\n", m_Settings.InstallFolderName.c_str());
    ui::Application->MessageBox(
        L"The setup cannot run: [Install] InstallFolderName in " + m_Settings.SourceFolderFullPath +
            kSettingsFile + L" must name a folder of its own (found \"" + m_Settings.InstallFolderName + L"\").",
        L"ERROR", MB_OK | MB_ICONSTOP);
    m_ExitCode = kSetupConfigRefused;
    ::PostMessageW(Handle(), WM_QUIT, 0, 0);
    return true;
}

void TMainForm::MakeUserCopies() {
    if (FileExists(UserFolderFullPath + kSettingsFile)) return;  // an earlier run's choices stay
    CreateFolderPath(UserFolderFullPath);
    for (const wchar_t* file : {kSettingsFile, kDefaultProfileFile}) {
        const std::wstring target = UserFolderFullPath + file;
        CopyFileOverwrite(m_Settings.SourceFolderFullPath + file, target);
        ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

void TMainForm::CheckLanguageFile(const std::wstring& language) {
    const std::wstring resolution = m_iMultiDisplaySetting == 1 ? m_ResolutionFolder : std::wstring();
    const std::wstring file = setup_texts::LanguageFilePath(m_Settings.SourceFolderFullPath,
                                                            m_Settings.LanguageFolderName, resolution + language);
    if (!FileExists(file)) m_ResolutionFolder.clear();
}

void TMainForm::LoadLanguageReportingErrors(const std::wstring& language) {
    try {
        LoadLanguage(language);
    } catch (const ui::Exception& e) {
        // A bad entry is reported; the wizard still gets its other texts
        // applied and goes on.
        ui::Application->ShowException(e);
    }
}

// --------------------------------------------------------------- buttons

void TMainForm::NextBitBtnClick(ui::TObject*) {
    if (Notebook->PageIndex() != kPageLanguage) return;
    const LABEL_INFO& tip = m_LabelInfo[kLabelAntivirusTip];
    if (!tip.Text.empty() && !m_bAntivirusTipShown) {
        ::MessageBoxW(Handle(), tip.Text.c_str(), L"Install", MB_OK);
        m_bAntivirusTipShown = true;
        return;
    }
    Notebook->SetPageIndex(kPageInstall);
    BackBitBtn->SetEnabled(false);
    NextBitBtn->SetEnabled(false);
    StartInstallWorker();
}

void TMainForm::StartInstallWorker() {
    // Nothing may close the wizard or its background while the worker uses them.
    m_bInstalling = true;
    CancelBitBtn->SetEnabled(false);
    EnableCloseCommands(false);
    SaveRegistryDefaults();
    DWORD threadId = 0;
    m_hInstallThread.reset(CurrentSetupSystemApi().createThread(nullptr, 0, InstallThreadProc, this, 0, &threadId));
    if (m_hInstallThread) return;
    const DWORD error = ::GetLastError();
    trace::Out(L"***** The install worker cannot start (%lu) *****\n", error);
    m_bInstalling = false;
    ui::Application->MessageBox(m_LabelInfo[kLabelWarning2].Text + trace::Format(L"(Code = 0x%.8X)", error),
                                L"Install", MB_OK);
    m_InstallResult = kSetupError;
    InstallFinished();
}

void TMainForm::BackBitBtnClick(ui::TObject*) {}

void TMainForm::FinishBitBtnClick(ui::TObject*) {
    if (RebootRadioButton->Checked()) RequestReboot();
    else StartInstalledPanel();
    ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TMainForm::RequestReboot() {
    const SetupSystemApi& api = CurrentSetupSystemApi();
    api.enableShutdownPrivilege();
    api.exitWindowsEx(EWX_REBOOT, 0);
}

void TMainForm::StartInstalledPanel() {
    // Started with its own path as the only argument, the control panel hands
    // the start over to its service.
    const std::wstring panel = m_Settings.InstallFolderFullPath + m_Settings.APPFileName + L".exe";
    win::Handle process;
    StartHidden(panel, panel, process);
}

void TMainForm::CancelBitBtnClick(ui::TObject*) { Close(); }

void TMainForm::FormClose(ui::TObject*, ui::TCloseAction& Action) {
    if (m_bInstalling) {
        Action = ui::TCloseAction::caNone;
        return;
    }
    if (BackgroundForm) BackgroundForm->Close();
}

void TMainForm::EnableCloseCommands(bool enabled) {
    ui::EnableCloseCommand(Handle(), enabled);
    if (BackgroundForm) ui::EnableCloseCommand(BackgroundForm->Handle(), enabled);
}

// -------------------------------------------------------------- messages

void TMainForm::Dispatch(ui::TMessage& Message) {
    if (Message.Msg == WM_INSTALL_PROGRESS) {
        UpdateProgress(Message);
        return;
    }
    ui::TForm::Dispatch(Message);
}

void TMainForm::UpdateProgress(ui::TMessage& Message) {
    ProgressBar->SetPosition(static_cast<int>(Message.WParam));
    ui::Application->ProcessMessages();
    ui::TForm::Dispatch(Message);
}

void TMainForm::WndProc(ui::TMessage& Message) {
    if (Message.Msg == WM_INSTALL_FINISH) InstallFinished();
    if (Message.Msg == WM_QUERYENDSESSION && m_bInstalling) {
        Message.Result = FALSE;  // the installation must not be cut off
        return;
    }
    ui::TForm::WndProc(Message);
}

void TMainForm::InstallFinished() {
    if (m_hInstallThread) {
        ui::WaitAnsweringSentMessages(m_hInstallThread.get());
        m_hInstallThread.reset();
    }
    m_bInstalling = false;
    m_ExitCode = m_InstallResult;
    ShowFinishPage();
}

void TMainForm::ShowFinishPage() {
    Notebook->SetPageIndex(kPageFinish);
    if (m_iRebootNeeded == 1) RebootRadioButton->SetChecked(true);
    // The restart is chosen only where the user sees the choice.
    if (m_iShowRebootScreen != 1) RebootRadioButton->SetChecked(false);
    BackBitBtn->SetEnabled(false);
    NextBitBtn->SetEnabled(false);
    CancelBitBtn->SetEnabled(false);
    FinishBitBtn->SetEnabled(true);
    NextBitBtn->SetVisible(false);
    CancelBitBtn->SetVisible(false);
    EnableCloseCommands(true);
}
