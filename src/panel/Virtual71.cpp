// Virtual 7.1 speaker field (still to come).
#include "panel/AudioMainForm.h"

#include <cmath>

void TAudioMainForm::ComputeSpeakerTable() {}
void TAudioMainForm::SendSpeakerTable() {}
int TAudioMainForm::SendVirtual7ch1(int) { return 0; }
void TAudioMainForm::SetDefaultSpeakerLayout() {}
void TAudioMainForm::InitSpeakerLayout() {}
void TAudioMainForm::ResetSpeakers() {}
void TAudioMainForm::TimerTimer(ui::TObject*) {}
void TAudioMainForm::VirtualResetImageClick(ui::TObject*) {}
void TAudioMainForm::VirtualResetLabelClick(ui::TObject*) {}

void TAudioMainForm::PlaceSpeakerImage(ui::TImage* icon, SPEAKER_POS& pos, int mode) {
    constexpr double kOneDegree = 0.0174532925;
    if (icon) {
        const double x = m_iVirtualCenterX + std::cos(pos.angle) * pos.distance;
        const double y = m_iVirtualCenterY - std::sin(pos.angle) * pos.distance;
        // Out-of-range places (no finite distance) leave the icon where it is.
        if (std::isfinite(x) && std::isfinite(y) && std::fabs(x) < 1e6 && std::fabs(y) < 1e6) {
            icon->SetLeft(static_cast<int>(x));
            icon->SetTop(static_cast<int>(y));
        }
    }
    if (mode == 1) pos.angle = static_cast<float>(pos.angle + kOneDegree);
    else if (mode == 0) pos.angle = static_cast<float>(pos.angle - kOneDegree);
}
