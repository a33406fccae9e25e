// The About box as designed: logo, notice and web address, the address
// opened on a click.
#include "panel/PanelForms.h"

#include <shellapi.h>

#include <cwchar>

#include "shared/DebugTrace.h"
#include "shared/ScopedWin.h"

namespace {

// The design's own logo, carried by the program (the skin replaces it).
constexpr wchar_t kLogoResource[] = L"ABOUT_LOGO";
constexpr size_t kMaxAddress = 255;

// Text through the system code page and back, as the address is handed
// over: characters outside the code page are lost, at most 255 remain.
std::wstring ThroughCodePage(const std::wstring& text) {
    if (text.empty()) return text;
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], bytes, nullptr,
                          nullptr);
    const int units = ::MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), bytes, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), bytes, &wide[0], units);
    if (wide.size() > kMaxAddress) wide.resize(kMaxAddress);
    return wide;
}

// A web or mail address: the language file is data, never a program to run.
bool IsAddress(const std::wstring& text) {
    for (const wchar_t* scheme : {L"http:", L"https:", L"mailto:"}) {
        const size_t n = std::wcslen(scheme);
        if (text.size() > n && _wcsnicmp(text.c_str(), scheme, n) == 0) return true;
    }
    return false;
}

void StyleLabel(ui::TLabel* label) {
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetTransparent(true);
    label->Font().SetName(L"Tahoma");
    label->Font().SetHeight(-15);
}

}  // namespace

TAboutForm::ShellOpenCall TAboutForm::ShellOpen = ::ShellExecuteW;

TAboutForm::TAboutForm(ui::TComponent* owner) : ui::TForm(owner, L"TAboutForm") {
    SetName(L"AboutForm");
    SetBorderStyle(ui::TFormBorderStyle::bsDialog);
    SetCaption(L"About");
    SetClientSize(479, 89);
    SetPosition(ui::TPosition::poMainFormCenter);
    Font().SetName(L"Tahoma");

    LOGOKQImage = ui::PlaceControl<ui::TImage>(this, this, L"LOGOKQImage", 16, 20, 57, 49);
    LOGOKQImage->SetStretch(true);
    try {
        LOGOKQImage->Picture().LoadFromResourceName(::GetModuleHandleW(nullptr), kLogoResource);
    } catch (const ui::EResNotFound&) {
        trace::Text(L"***** The About logo is missing from the program *****");
    }
    AboutLabel = ui::PlaceControl<ui::TLabel>(this, this, L"AboutLabel", 88, 20, 260, 36);
    StyleLabel(AboutLabel);
    AboutLabel->SetCaption(L"Vello Audio Center. Copyright Qorv.");
    WebLabel = ui::PlaceControl<ui::TLabel>(this, this, L"WebLabel", 88, 51, 173, 18);
    StyleLabel(WebLabel);
    WebLabel->Font().SetColor(ui::clBlue);
    WebLabel->Font().SetStyle(ui::fsUnderline);
    WebLabel->SetCaption(L"https://www.vello-audio.example");
    WebLabel->OnClick = [this](ui::TObject* sender) { WebLabelClick(sender); };
}

void TAboutForm::WebLabelClick(ui::TObject*) {
    const std::wstring address = ThroughCodePage(WebLabel->Caption());
    if (!IsAddress(address)) {
        trace::Out(L"***** Not a web address, not opened: %ls *****\n", address.c_str());
        return;
    }
    win::ComInit com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellOpen(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
}
