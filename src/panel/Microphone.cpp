// Microphone (still to come).
#include "panel/AudioMainForm.h"

void TAudioMainForm::ResetMicUI() {}
void TAudioMainForm::OpenMicLevelMeter() {}
void TAudioMainForm::CloseMicLevelMeter() {}
void TAudioMainForm::ReadMicState() {}
int TAudioMainForm::SetMicBoost(int) { return 0; }
int TAudioMainForm::SetMicMute(int) { return 0; }
int TAudioMainForm::SetMicMonitor(int) { return 0; }
int TAudioMainForm::SetMicGain(int) { return 0; }
int TAudioMainForm::ReadMicGain() { return 0; }
void TAudioMainForm::ListenToDeviceCheckBoxClick(ui::TObject*) {}
