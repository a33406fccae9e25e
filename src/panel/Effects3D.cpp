// 3D, FBM and environment effects (the device side is still to come; the
// window-side defaults are set here).
#include "panel/AudioMainForm.h"

void TAudioMainForm::Init3D() {
    m_bFBM = 1;
    Get3DDefaults(m_3DParameters);
    Set3DParamsToImage(ConfigImage, m_3DParameters);
}

void TAudioMainForm::InitEffect() { m_iEffect = 1; }

int TAudioMainForm::Set3DOnOff(int) { return 0; }
int TAudioMainForm::SetFBM(int) { return 0; }
int TAudioMainForm::Write3DEnableRegister(int) { return 0; }
int TAudioMainForm::Reset3D() { return 0; }
void TAudioMainForm::Show3DLinkButton(int, int&) {}
void TAudioMainForm::Link3DSliders(const std::wstring&, int, int, int) {}
int TAudioMainForm::Send3DLeft(int) { return 0; }
int TAudioMainForm::Send3DRight(int) { return 0; }
int TAudioMainForm::Load3DFromEEPROM() { return 0; }
void TAudioMainForm::D3ResetImageClick(ui::TObject*) { Reset3D(); }
void TAudioMainForm::D3ResetLabelClick(ui::TObject*) { Reset3D(); }
