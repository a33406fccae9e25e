// The install worker: runs the install sequence on its own thread and tells
// the wizard by posted messages. It talks to the wizard's window only by
// PostMessageW and by its own message boxes.
#include "setup/MainForm.h"
#include "shared/DebugTrace.h"

namespace {
// The code of the first install step, shown when the sequence stops there.
constexpr DWORD kStep1Code = 0x80000001;
}  // namespace

DWORD WINAPI InstallThreadProc(LPVOID parameter) {
    auto* form = static_cast<TMainForm*>(parameter);
    form->Install();
    ::Sleep(500);
    ::PostMessageW(form->Handle(), WM_INSTALL_FINISH, 0, 0);
    return 0;
}

void TMainForm::Install() {
    trace::Out(L"==> %ls\n", L"TMainForm::Install");
    // This build has no install steps: the sequence stops at its first step,
    // with the failure box, and the program ends with that step's code.
    trace::Text(L"***** The install steps are not part of this build *****\n");
    m_InstallResult = kStep1Code;
    ShowInstallFailure(trace::Format(L"(Code = 0x%.8X)", kStep1Code));
}

void TMainForm::ShowInstallFailure(const std::wstring& suffix) {
    const std::wstring text = m_LabelInfo[kLabelWarning2].Text + suffix;
    ::MessageBoxW(Handle(), text.c_str(), L"Install", MB_OK);
}
