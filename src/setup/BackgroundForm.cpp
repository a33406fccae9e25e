#include "setup/BackgroundForm.h"

#include "setup/MainForm.h"
#include "shared/DebugTrace.h"
#include "shared/IniValue.h"
#include "shared/ResolutionFolder.h"

TBackgroundForm* BackgroundForm = nullptr;

namespace {

constexpr wchar_t kSettingsFile[] = L"AudioConfig.cfg";

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

std::wstring BackgroundPicturePath(const std::wstring& programFolder, const std::wstring& skinFolderName,
                                   const std::wstring& resolutionFolder, const std::wstring& fileName) {
    std::wstring path = programFolder + skinFolderName + L"\\" + resolutionFolder + fileName;
    return FileExists(path) ? path : programFolder + fileName;
}

TBackgroundForm::TBackgroundForm(ui::TComponent* owner) : ui::TForm(owner, L"TBackgroundForm") {
    SetName(L"BackgroundForm");
    SetBorderStyle(ui::TFormBorderStyle::bsNone);
    SetBorderIcons(0);
    SetColor(ui::clBtnFace);
    SetPosition(ui::TPosition::poScreenCenter);
    Image = new ui::TImage(this);
    Image->SetName(L"Image");
    Image->SetParent(this);
    Image->SetAlign(ui::alClient);
    Image->SetStretch(true);
    OnShow = [this](ui::TObject* sender) { FormShow(sender); };
    OnClose = [this](ui::TObject* sender, ui::TCloseAction& action) { FormClose(sender, action); };

    trace::Text(L"\n");
    trace::Out(L"==> %ls\n", L"TBackgroundForm::TBackgroundForm");
    m_ProgramFolder = FolderOf(ui::Application->ExeName());
    // The background always follows the screen; MultiDisplaySetting concerns
    // only the wizard's language files.
    m_ResolutionFolder = resolution::FolderForScreen(resolution::Compare::Greater);

    ReadBackgroundSize();
}

void TBackgroundForm::ReadBackgroundSize() {
    const std::wstring settings = m_ProgramFolder + kSettingsFile;
    std::wstring width, height;
    ReadIniValue(settings, L"Install", L"BackgroundWidth", width);
    ReadIniValue(settings, L"Install", L"BackgroundHeight", height);
    m_iWidth = _wtoi(width.c_str());
    m_iHeight = _wtoi(height.c_str());
    if (m_iWidth == 0 || m_iHeight == 0) {
        m_iWidth = ::GetSystemMetrics(SM_CXSCREEN);
        m_iHeight = ::GetSystemMetrics(SM_CYSCREEN);
    }
}

void TBackgroundForm::FormShow(ui::TObject*) {
    trace::Out(L"==> %ls\n", L"TBackgroundForm::FormShow");
    LoadBackground();
    // On screen before the wizard, so the wizard opens in front of it.
    ::ShowWindow(Handle(), SW_SHOWNA);
    if (MainForm) MainForm->Show();
}

void TBackgroundForm::LoadBackground() {
    const std::wstring settings = m_ProgramFolder + kSettingsFile;
    m_PictureFileName.clear();
    ReadIniValue(settings, L"Install", L"InstallBackgroundFileName", m_PictureFileName);
    if (m_PictureFileName.empty()) {
        MakeTransparent();
        return;
    }
    std::wstring skinFolderName;
    ReadIniValue(settings, L"Skin", L"SkinFolderName", skinFolderName);
    std::wstring path = BackgroundPicturePath(m_ProgramFolder, skinFolderName, m_ResolutionFolder,
                                              m_PictureFileName);
    if (path == m_ProgramFolder + m_PictureFileName) m_ResolutionFolder.clear();
    try {
        Image->Picture().LoadFromFile(path);
        trace::Out(L"##### Background picture = %ls\n", path.c_str());
    } catch (const ui::Exception& e) {
        // A full-screen window with nothing to click would hide the wizard's
        // absence: the background becomes see-through instead.
        trace::Out(L"***** Background picture not loaded: %ls *****\n", e.Message().c_str());
        MakeTransparent();
    }
}

void TBackgroundForm::MakeTransparent() {
    Image->Picture().Clear();
    Image->SetVisible(false);
    Image->SetTransparent(true);
    SetTransparentColorValue(Color());
    SetTransparentColor(true);
}

void TBackgroundForm::FormClose(ui::TObject*, ui::TCloseAction& Action) {
    // Closing the background ends the program: not while the installation
    // runs on the wizard's worker thread.
    if (MainForm && MainForm->Installing()) Action = ui::TCloseAction::caNone;
}
