// The simple-mode dialog as designed. The program builds it at start-up but
// never shows it.
#include "panel/PanelForms.h"
#include "shared/DebugTrace.h"
#include "shared/VersionInfo.h"

TSimpleForm::TSimpleForm(ui::TComponent* owner)
    : ui::TForm(owner, L"TSimpleForm"),
      m_UsbIds(std::make_unique<DEVICEID_MGR::CDeviceIdMgr>()),
      m_HidIds(std::make_unique<DEVICEID_MGR::CDeviceIdMgr>()) {
    SetName(L"SimpleForm");
    SetBorderStyle(ui::TFormBorderStyle::bsDialog);
    SetCaption(L"SimpleForm");
    SetClientSize(559, 462);
    SetPosition(ui::TPosition::poScreenCenter);
    EffectImage = ui::PlaceControl<ui::TImage>(this, this, L"EffectImage", 16, 16, 105, 105);
    EffectImage->SetStretch(true);
    EffectModeRadioGroup = ui::PlaceControl<ui::TRadioGroup>(this, this, L"EffectModeRadioGroup", 136, 16, 185, 105);
    EffectModeRadioGroup->SetCaption(L"Mode");
    for (const wchar_t* item : {L"None", L"Music", L"Game", L"Movie"}) EffectModeRadioGroup->Items().Add(item);
    EffectModeRadioGroup->SetItemIndex(0);
    EffectModeRadioGroup->SetEnabled(false);

    trace::Out(L"==> %ls\n", L"TSimpleForm::TSimpleForm");
    GetFileVersionString(ui::Application->ExeName(), m_Version);
    const std::wstring caption = Caption() + trace::Format(L" (V%ls)", m_Version.c_str());
    SetCaption(caption);
    m_Caption.assign(caption.begin(), caption.end());
}

TSimpleForm::~TSimpleForm() = default;
