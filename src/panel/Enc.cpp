// ENC (still to come).
#include "panel/AudioMainForm.h"

void TAudioMainForm::LoadENCState() {}
void TAudioMainForm::UpdateENCUI() {}
int TAudioMainForm::SetENCGpioMode() { return 1; }
void TAudioMainForm::ENCFunctionImageClick(ui::TObject*) {}
