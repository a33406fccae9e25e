// The registered window messages, dragging the window, the tray icon and its
// menu's Close and Plugin items (the companion effect programs).
#include "panel/AudioMainForm.h"

#include <shellapi.h>

#include <cwchar>

#include "panel/PanelForms.h"
#include "shared/DebugTrace.h"
#include "shared/ScopedWin.h"

namespace {

constexpr wchar_t kEffectExit[] = L"WM_AUDIO_EFFECT_EXIT";
constexpr wchar_t kExitResume[] = L"WM_APP_EXIT_RESUME";

// Longest plug-in folder name, plug-in name and program path that can be
// started; longer ones are not offered (cut, they would name another program).
constexpr size_t kMaxPluginFolderName = 30;
constexpr size_t kMaxPluginName = 31;
constexpr size_t kMaxPluginPath = 255;

// Sends a registered message to every top-level window (this program's
// included) and waits for each at most timeoutMs.
void Broadcast(const wchar_t* name, UINT timeoutMs) {
    const UINT message = ::RegisterWindowMessageW(name);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
}

// A menu caption that shows text as it is ('&' would mark an access key).
std::wstring MenuCaption(const std::wstring& text) {
    std::wstring caption;
    for (wchar_t c : text) {
        caption += c;
        if (c == L'&') caption += L'&';
    }
    return caption;
}

// A caption without its access-key marks: each '&' is dropped and the
// character after it kept ("&&" gives "&").
std::wstring WithoutAccessKeys(const std::wstring& caption) {
    std::wstring text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && ++i == caption.size()) break;
        text += caption[i];
    }
    return text;
}

// A plug-in is offered when the settings file beside the program enables it
// ([Application] <name> = a number other than 0) and its program can be
// started under its own name.
bool PluginOffered(const std::wstring& programFolder, const std::wstring& base, const std::wstring& name) {
    if (name.empty() || name.size() > kMaxPluginName) return false;
    if ((programFolder + base + name + L"\\" + name + L".exe").size() > kMaxPluginPath) return false;
    std::wstring value;
    TAudioMainForm::ReadIniString(programFolder + L"AudioConfig.cfg", L"Application", name.c_str(), value);
    if (value.size() > kMaxPluginName) value.resize(kMaxPluginName);
    return std::wcstol(value.c_str(), nullptr, 10) != 0;
}

}  // namespace

void TAudioMainForm::RegisteredMessage(const ui::TMessage& msg) {
    if (m_uMsgAppExit && msg.Msg == m_uMsgAppExit) {
        // The installer or the uninstaller needs the program file: close as
        // the user would, so the shut-down saves the last profile and sets
        // the device back to neutral.
        ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
    } else if (m_uMsgExitResume && msg.Msg == m_uMsgExitResume) {
        // No companion program runs any more.
        for (int i = 0; i < m_iPluginCount && i < ModeMenu->Count(); ++i) ModeMenu->Items(i)->SetChecked(false);
    }
}

void TAudioMainForm::FormMouseDown(ui::TObject*, ui::TMouseButton Button, ui::TShiftState, int, int) {
    if (LEDDialogShowing() || Button != ui::mbLeft) return;
    // The system moves the borderless window with the mouse as if its
    // caption had been pressed, until the button is released.
    ::ReleaseCapture();
    ::SendMessageW(Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
    ui::Application->ProcessMessages();
}

void TAudioMainForm::CloseMenuClick(ui::TObject*) {
    Broadcast(kEffectExit, 100);
    Close();
}

void TAudioMainForm::CTrayIconRestore(ui::TObject*) {
    // While a companion program is in use the window stays in the tray.
    for (int i = 0; i < m_iPluginCount && i < ModeMenu->Count(); ++i) {
        if (ModeMenu->Items(i)->Checked()) {
            CTrayIcon->Minimize();
            return;
        }
    }
    Show();
}

void TAudioMainForm::LoadTrayIcon() {
    const std::wstring path = m_ProgramFolder + m_Config.InstallIconFileName;
    ui::Application->Icon().LoadFromFile(path);
    ui::TIcon icon;
    icon.LoadFromFile(path);
    // The tray shows the icon just added.
    CTrayIcon->SetIconIndex(ImageList->AddIcon(icon));
}

int TAudioMainForm::ShowPluginMenu() {
    const std::wstring& folderName = m_Config.PluginFolderName;
    // No plug-in folder named (or a name too long to be one): no plug-ins.
    if (folderName.empty() || folderName.size() > kMaxPluginFolderName) return 0;
    const std::wstring base = folderName + L"\\";
    try {
        DirectoryListBox->SetDirectory(m_ProgramFolder + base);
    } catch (const ui::EInOutError&) {
        // The plug-ins are optional: without their folder the menu stays
        // empty and the panel starts all the same.
        trace::Out(L"***** Plugin folder missing: %ls *****\n", (m_ProgramFolder + base).c_str());
        return 0;
    }
    // The list holds the folder's levels from the drive down, then its
    // sub-folders: only these are plug-ins, each named like its folder.
    const std::wstring subFolders = DirectoryListBox->Directory() + L"\\";
    int count = 0;
    for (int i = 0; i < DirectoryListBox->Items().Count(); ++i) {
        const std::wstring path = DirectoryListBox->GetItemPath(i);
        if (path.compare(0, subFolders.size(), subFolders) != 0) continue;
        const std::wstring name = path.substr(subFolders.size());
        if (!PluginOffered(m_ProgramFolder, base, name)) continue;
        auto* item = new ui::TMenuItem(this);
        item->SetCaption(MenuCaption(name));
        ModeMenu->Add(item);
        ++count;
    }
    using namespace std::placeholders;
    for (int i = 0; i < count; ++i) {
        ui::TMenuItem* item = ModeMenu->Items(i);
        item->OnClick = std::bind(&TAudioMainForm::PluginMenuClick, this, _1);
        item->SetAutoCheck(true);
        item->SetRadioItem(true);
    }
    return count;
}

void TAudioMainForm::PluginMenuClick(ui::TObject* Sender) {
    auto* item = dynamic_cast<ui::TMenuItem*>(Sender);
    if (!item) return;
    // Any companion program still running is asked to end, and the ticks go
    // (this window receives the broadcast as well).
    Broadcast(kEffectExit, 100);
    trace::Text(L"WM_APP_EXIT_RESUME");
    Broadcast(kExitResume, 1000);
    ::Sleep(300);
    for (int i = 0; i < 2; ++i) {
        trace::Text(L"WM_APP_EXIT_EFFECT");
        Broadcast(kEffectExit, 1000);
        ::Sleep(300);
    }
    item->SetChecked(true);

    const std::wstring name = WithoutAccessKeys(item->Caption());
    const std::wstring path = m_ProgramFolder + m_Config.PluginFolderName + L"\\" + name + L"\\" + name + L".exe";
    trace::Text(path);
    win::ComInit com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = path.c_str();
    info.lpParameters = path.c_str();
    info.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&info)) {
        // Nothing runs: no tick that would keep the window in the tray for
        // good, and the window stays where it is.
        trace::Out(L"***** ShellExecuteEx FAIL! ***** (%lu)\n", ::GetLastError());
        item->SetChecked(false);
        return;
    }
    win::Handle process(info.hProcess);
    Hide();
}
