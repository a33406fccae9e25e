#include "panel/AudioMainForm.h"

#include <cwchar>

#include "shared/DebugTrace.h"

namespace {
constexpr int kDesignWidth = 819;
constexpr int kDesignHeight = 513;
}  // namespace

TAudioMainForm::TAudioMainForm(ui::TComponent* owner) : ui::TForm(owner, L"TAudioMainForm") {
    SetName(L"AudioMainForm");
    SetBorderStyle(ui::TFormBorderStyle::bsNone);
    SetPosition(ui::TPosition::poScreenCenter);
    SetClientSize(kDesignWidth, kDesignHeight);
    SetCaption(ui::Application ? ui::Application->Title() : L"");
    OnActivate = [this](ui::TObject* sender) { FormActivate(sender); };
}

void TAudioMainForm::FormActivate(ui::TObject*) {
    trace::Text(L"FormActivate");
    if (m_bActivated) return;
    m_bActivated = 1;
    if (std::wcsstr(::GetCommandLineW(), L"-serviceboot")) {
        trace::Text(L"-serviceboot");
        ::PostMessageW(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
}
