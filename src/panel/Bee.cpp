// Bee demonstration (still to come).
#include "panel/AudioMainForm.h"

void TAudioMainForm::ShowBeeImage(int on) {
    if (ui::TImage* bee = Image(L"BeeImage")) bee->SetVisible(on != 0);
}
void TAudioMainForm::BeeCheckBoxClick(ui::TObject*) {}
void TAudioMainForm::BeeTimerTimer(ui::TObject*) {}
void TAudioMainForm::BeePlayTimerTimer(ui::TObject*) {}
