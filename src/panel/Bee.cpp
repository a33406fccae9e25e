// Bee demonstration: a bee flies around the listener on the 7.1 circle with
// its buzzing sound, and the eight virtual speakers ride on it, so the sound
// seems to circle the listener.
#include "panel/AudioMainForm.h"
#include "shared/DebugTrace.h"

namespace {

// The bee picture the window's design carries (a bitmap resource).
constexpr wchar_t kBeeResource[] = L"BEE_IMAGE";
constexpr wchar_t kBeeSound[] = L"bee.wav";

}  // namespace

void TAudioMainForm::LoadBeePicture() {
    ui::TImage* bee = Image(L"BeeImage");
    if (!bee) return;
    bee->SetTransparent(true);
    bee->SetAutoSize(true);
    try {
        bee->Picture().LoadFromResourceName(::GetModuleHandleW(nullptr), kBeeResource);
    } catch (const ui::EResNotFound&) {
        trace::Text(L"***** The bee picture is missing from the program *****");
    }
}

void TAudioMainForm::ShowBeeImage(int on) {
    if (ui::TImage* bee = Image(L"BeeImage")) bee->SetVisible(on != 0);
}

bool TAudioMainForm::BeeFlies() const { return BeeCheckBox && BeeCheckBox->Checked(); }

void TAudioMainForm::BeeCheckBoxClick(ui::TObject*) {
    const bool ticked = BeeCheckBox->Checked();
    ui::TImage* bee = Image(L"BeeImage");
    ShowBeeImage(ticked);
    // The bee starts right of the centre on the default circle.
    const int half = m_iVirtualRadius / 2;
    const SPEAKER_POS start{0.0f, half * 1.6};
    m_BeePos = start;
    PlaceSpeakerImage(bee, m_BeePos, 0);
    for (int i = 0; i < kSpeakerCount; ++i) {
        if (ui::TImage* icon = SpeakerImage(i); icon && bee) {
            icon->SetLeft(bee->Left());
            icon->SetTop(bee->Top());
        }
        if (ticked) {
            m_SpeakerBackup[i] = m_Speaker[i];
            m_Speaker[i] = start;
        } else {
            m_Speaker[i] = m_SpeakerBackup[i];
        }
    }
    PlayBeeSound(ticked);
    // Each icon is placed from its record: on the bee, or back where it was.
    RotateCounterclockwise();
    BeeTimer->SetEnabled(ticked);
    BeePlayTimer->SetEnabled(ticked);
}

void TAudioMainForm::PlayBeeSound(bool play) {
    MediaPlayer->SetFileName(m_ProgramFolder + kBeeSound);
    try {
        if (play) {
            MediaPlayer->Open();
            MediaPlayer->Play();
        } else if (MediaPlayer->IsOpen()) {
            MediaPlayer->Close();
        }
    } catch (const ui::EMCIDeviceError& error) {
        // No sound: the bee flies without it.
        trace::Out(L"***** %ls: %ls *****\n", MediaPlayer->FileName().c_str(), error.Message().c_str());
        try {
            MediaPlayer->Close();
        } catch (const ui::EMCIDeviceError&) {
        }
    }
}

void TAudioMainForm::BeeTimerTimer(ui::TObject*) {
    PlaceSpeakerImage(Image(L"BeeImage"), m_BeePos, 0);
    RotateCounterclockwise();
    if (m_bDeviceActive != 1) return;
    SpeakerRecords scratch{};
    ComputeSpeakerTable(scratch);
    SendSpeakerTable();
}

void TAudioMainForm::BeePlayTimerTimer(ui::TObject*) {
    if (!MediaPlayer->IsOpen()) return;
    try {
        if (MediaPlayer->Position() == MediaPlayer->TrackLength(1)) MediaPlayer->Play();
    } catch (const ui::EMCIDeviceError& error) {
        trace::Out(L"***** %ls: %ls *****\n", MediaPlayer->FileName().c_str(), error.Message().c_str());
    }
}
