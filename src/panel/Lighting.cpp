// Lighting page and LED effects (still to come).
#include "panel/AudioMainForm.h"

void TAudioMainForm::InitMultiColorLED() {}
int TAudioMainForm::SetLEDGpio(int) { return 0; }
int TAudioMainForm::SetLEDOff() { return 0; }
void TAudioMainForm::PageLEDClick(ui::TObject*) {}
void TAudioMainForm::PageLEDLabelClick(ui::TObject*) {}
