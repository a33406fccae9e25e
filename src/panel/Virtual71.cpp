// Virtual 7.1 speaker field (still to come).
#include "panel/AudioMainForm.h"

void TAudioMainForm::ComputeSpeakerTable() {}
void TAudioMainForm::SendSpeakerTable() {}
int TAudioMainForm::SendVirtual7ch1(int) { return 0; }
void TAudioMainForm::SetDefaultSpeakerLayout() {}
void TAudioMainForm::InitSpeakerLayout() {}
void TAudioMainForm::ResetSpeakers() {}
void TAudioMainForm::TimerTimer(ui::TObject*) {}
void TAudioMainForm::VirtualResetImageClick(ui::TObject*) {}
void TAudioMainForm::VirtualResetLabelClick(ui::TObject*) {}
