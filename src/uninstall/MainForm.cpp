#include "uninstall/MainForm.h"

#include "shared/DebugTrace.h"
#include "shared/IniValue.h"
#include "shared/ResolutionFolder.h"
#include "shared/VersionInfo.h"
#include "shared/Wow64.h"
#include "uninstall/UninstallSteps.h"

TMainForm* MainForm = nullptr;

namespace {

constexpr wchar_t kSettingsFile[] = L"AudioConfig.cfg";
// The icon the program carries (used when the icon file cannot be loaded).
constexpr WORD kBuiltInIconId = 1;
constexpr int kBuiltInPictureSize = 48;

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HICON BuiltInIcon(int size) {
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kBuiltInIconId), IMAGE_ICON, size, size, 0));
}

}  // namespace

TMainForm::TMainForm(ui::TComponent* owner) : ui::TForm(owner, L"TMainForm") {
    BuildComponents();
    trace::Text(L"\n");
    trace::Out(L"==> %ls\n", L"TMainForm::TMainForm");

    const std::wstring exe = ui::Application->ExeName();
    GetFileVersionString(exe, m_OwnVersion);
    m_bWow64 = IsRunningUnderWow64() ? TRUE : FALSE;
    LoadInstallSettings(kSettingsFile, exe, m_Settings);
    LoadIcons();
    ui::Application->SetTitle(m_Settings.UninstallAppTitle);
    UserFolderFullPath = UserFolderPath(m_Settings.InstallFolderName);
}

TMainForm::~TMainForm() {
    // The worker reads this form to its end.
    if (m_hUninstallThread) ui::WaitAnsweringSentMessages(m_hUninstallThread.get());
}

void TMainForm::BuildComponents() {
    SetName(L"MainForm");
    SetBorderStyle(ui::TFormBorderStyle::bsSingle);
    SetBorderIcons(ui::biSystemMenu);
    SetPosition(ui::TPosition::poScreenCenter);
    SetClientSize(471, 226);
    Font().SetName(L"Tahoma");
    SetCaption(L"Corvella Sound Suite Uninstall");

    IconImage = ui::PlaceControl<ui::TImage>(this, this, L"IconImage", 24, 24, 64, 64);
    IconImage->SetAutoSize(true);
    IconImage->SetTransparent(true);
    Label1 = ui::PlaceControl<ui::TLabel>(this, this, L"Label1", 88, 24, 353, 16);
    Label2 = ui::PlaceControl<ui::TLabel>(this, this, L"Label2", 88, 40, 289, 41);
    Label2->SetWordWrap(true);
    ProgressBar = ui::PlaceControl<ui::TProgressBar>(this, this, L"ProgressBar", 24, 112, 417, 25);
    ProgressBar->SetSmooth(true);
    ProgressBar->SetStep(1);
    ProgressBar->SetRange(0, 100);
    UninstallBitBtn = ui::PlaceControl<ui::TBitBtn>(this, this, L"UninstallBitBtn", 56, 168, 137, 25);
    UninstallBitBtn->SetCaption(L"Uninstall");
    UninstallBitBtn->SetDefault(true);
    CancelBitBtn = ui::PlaceControl<ui::TBitBtn>(this, this, L"CancelBitBtn", 288, 168, 137, 25);
    CancelBitBtn->SetCaption(L"Cancel");

    OnShow = [this](ui::TObject* sender) { FormShow(sender); };
    OnClose = [this](ui::TObject* sender, ui::TCloseAction& action) { FormClose(sender, action); };
    UninstallBitBtn->OnClick = [this](ui::TObject* sender) { UninstallBitBtnClick(sender); };
    CancelBitBtn->OnClick = [this](ui::TObject* sender) { CancelBitBtnClick(sender); };
}

void TMainForm::LoadIcons() {
    // The program carries its own icon and picture; the icon file named in
    // the settings replaces them. The installer does not always copy that
    // file, and the product must stay removable without it.
    ui::Application->Icon().Assign(BuiltInIcon(::GetSystemMetrics(SM_CXICON)), BuiltInIcon(::GetSystemMetrics(SM_CXSMICON)));
    Icon().Assign(BuiltInIcon(::GetSystemMetrics(SM_CXICON)), BuiltInIcon(::GetSystemMetrics(SM_CXSMICON)));
    win::Icon picture(BuiltInIcon(kBuiltInPictureSize));
    IconImage->Picture().AssignIcon(picture.get());

    const std::wstring file = m_Settings.SourceFolderFullPath + m_Settings.UninstallIconFileName;
    try {
        ui::Application->Icon().LoadFromFile(file);
        Icon().LoadFromFile(file);
        IconImage->Picture().LoadFromFile(file);
    } catch (const ui::Exception& e) {
        trace::Out(L"***** The icon file %ls cannot be loaded (%ls): the built-in icon stays *****\n", file.c_str(),
                   e.Message().c_str());
    }
}

// ------------------------------------------------------------------ show

void TMainForm::FormShow(ui::TObject*) {
    trace::Out(L"==> %ls\n", L"TMainForm::FormShow");
    LoadDeviceIdGroup(m_UsbDeviceIdGroup, DEVICEID_MGR::kUsbGroup);
    LoadDeviceIdGroup(m_HidDeviceIdGroup, DEVICEID_MGR::kHidGroup);

    m_ResolutionFolder = resolution::FolderForScreen(resolution::Compare::GreaterOrEqual);
    std::wstring language;
    if (!UserFolderFullPath.empty()) setup_texts::ReadDefaultLanguage(UserFolderFullPath, language);
    if (!FileExists(setup_texts::LanguageFilePath(m_Settings.SourceFolderFullPath, m_Settings.LanguageFolderName,
                                                  m_ResolutionFolder + language)))
        m_ResolutionFolder.clear();
    try {
        LoadLanguage(language);
    } catch (const ui::Exception& e) {
        // A bad entry is reported; the window keeps the texts read so far and
        // the product stays removable.
        ui::Application->ShowException(e);
    }
    ApplyLanguage();
    ReadDesktopShortcutOption();
}

void TMainForm::LoadDeviceIdGroup(DEVICEID_MGR::CDeviceIdMgr& group, const wchar_t* name) {
    if (group.LoadFromRegistry(name) == 0) return;
    // Without its list no device qualifies for the filter removal; everything
    // else is still removed.
    group.Clear();
    trace::Out(L"***** The device-ID group %ls is missing or broken: no device is touched *****\n", name);
}

void TMainForm::LoadLanguage(const std::wstring& language) {
    const std::wstring file = setup_texts::LanguageFilePath(m_Settings.SourceFolderFullPath,
                                                            m_Settings.LanguageFolderName, m_ResolutionFolder + language);
    setup_texts::ReadLanguageTexts(m_LabelInfo, kUninstallLabelKeys, kUninstallLabelCount, file, kUninstallSection);
    SetCaption(setup_texts::WindowCaption(m_LabelInfo[kLabelUninstallTitle], m_OwnVersion));
}

void TMainForm::ApplyLanguage() {
    UninstallBitBtn->SetCaption(m_LabelInfo[kLabelUninstallBtn].Text);
    CancelBitBtn->SetCaption(m_LabelInfo[kLabelUninstallCancelBtn].Text);
    setup_texts::ApplyLabelStyle(m_LabelInfo[kLabel1], *Label1);
    setup_texts::ApplyLabelStyle(m_LabelInfo[kLabel2], *Label2);
    SetCaption(setup_texts::WindowCaption(m_LabelInfo[kLabelUninstallTitle], m_OwnVersion));
}

void TMainForm::ReadDesktopShortcutOption() {
    std::wstring value;
    if (UserFolderFullPath.empty() ||
        ReadIniValue(UserFolderFullPath + kSettingsFile, L"Install", L"DesktopShortcutEnable", value) != 0)
        return;
    m_IsDesktopShortCut = _wtoi(value.c_str());
}

// --------------------------------------------------------------- buttons

void TMainForm::UninstallBitBtnClick(ui::TObject*) {
    if (m_bUninstalling) return;
    UninstallBitBtn->SetEnabled(false);
    CancelBitBtn->SetEnabled(false);
    ui::EnableCloseCommand(Handle(), false);
    // Nothing may close the window while the worker uses it.
    m_bUninstalling = true;
    DWORD threadId = 0;
    m_hUninstallThread.reset(::CreateThread(nullptr, 0, UninstallThreadProc, this, 0, &threadId));
    if (m_hUninstallThread) return;
    trace::Out(L"***** The uninstall worker cannot start (%lu) *****\n", ::GetLastError());
    m_bUninstalling = false;
    UninstallBitBtn->SetEnabled(true);
    CancelBitBtn->SetEnabled(true);
    ui::EnableCloseCommand(Handle(), true);
}

void TMainForm::CancelBitBtnClick(ui::TObject*) { Close(); }

void TMainForm::FormClose(ui::TObject*, ui::TCloseAction& Action) {
    if (m_bUninstalling) Action = ui::TCloseAction::caNone;
}

// -------------------------------------------------------------- messages

void TMainForm::ShowProgress(int percent) {
    ::PostMessageW(Handle(), WM_UNINSTALL_PROGRESS, static_cast<WPARAM>(percent), 0);
}

void TMainForm::Dispatch(ui::TMessage& Message) {
    if (Message.Msg == WM_UNINSTALL_PROGRESS) {
        ProgressBar->SetPosition(static_cast<int>(Message.WParam));
        return;
    }
    ui::TForm::Dispatch(Message);
}

void TMainForm::WndProc(ui::TMessage& Message) {
    if (Message.Msg == WM_QUERYENDSESSION && m_bUninstalling) {
        Message.Result = FALSE;  // the uninstall must not be cut off
        return;
    }
    ui::TForm::WndProc(Message);
}
