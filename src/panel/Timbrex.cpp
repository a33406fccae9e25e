// Timbrex voice effect (still to come).
#include "panel/AudioMainForm.h"

void TAudioMainForm::LoadTimbrexState() {}
void TAudioMainForm::UpdateTimbrexUI() {}
int TAudioMainForm::SetTimbrexEnable(int, int) { return 0; }
