// Virtual 7.1 speaker field: eight speaker icons around the listener, their
// angles and distances from the circle's centre, the 68-byte table the
// device library applies, the latched turning, narrowing and widening, and
// the default layout (a circle, or the default profile's places).
#include <cmath>
#include <cstdio>

#include "panel/AudioMainForm.h"
#include "panel/device/DeviceLibrary.h"
#include "shared/DebugTrace.h"

namespace {

constexpr double kPi = 3.14159265;
constexpr double kTwoPi = 6.2831853;
constexpr double kOneDegree = 0.0174532925;
constexpr float kMaxGain = 1.7f;
constexpr int kFirstSpeakerTag = 39;  // L, R, C, SUB, LS, RS, LB, RB: Tags 39..46
constexpr double kNarrowest = 10;     // no distance goes below this by narrowing
constexpr double kWidest = 111;       // nor above this by widening

// The default circle: where each speaker sits, by its channel.
enum class Place { Above, AboveHalf, Left, Right, AtAngle };
struct DefaultPlace {
    Place place;
    double angle;  // for AtAngle
};
const DefaultPlace kDefaultCircle[kSpeakerCount] = {
    {Place::AtAngle, 2.3561944875},  // L
    {Place::AtAngle, 0.7853981625},  // R
    {Place::Above, 0},               // C
    {Place::AboveHalf, 0},           // SUB
    {Place::Left, 0},                // LS
    {Place::Right, 0},               // RS
    {Place::AtAngle, 3.9269908125},  // LB
    {Place::AtAngle, 5.4977871375},  // RB
};

// Profile keys of the speakers in channel order, and the order a profile
// lists them in.
const wchar_t* const kSpeakerKeys[kSpeakerCount] = {L"L", L"R", L"C", L"SUB", L"LS", L"RS", L"LB", L"RB"};
const int kProfileOrder[kSpeakerCount] = {2, 0, 4, 6, 7, 5, 3, 1};  // C, L, LS, LB, RB, RS, SUB, R

// The angle of a point (x, y) seen from the centre (cx, cy), counterclockwise
// from the right with y up, in [0, 2pi).
double AngleFromCentre(int x, int y, int cx, int cy) {
    if (y > cy && x < cx) return std::atan2(y - cy, cx - x) + kPi;
    if (y > cy) return kTwoPi - std::atan2(y - cy, x - cx);
    if (x < cx) return kPi - std::atan2(cy - y, cx - x);
    return std::atan2(cy - y, x - cx);
}

}  // namespace

ui::TImage* TAudioMainForm::SpeakerImage(int channel) const { return FindImageByTag(kFirstSpeakerTag + channel); }

bool TAudioMainForm::SpeakerPlace(const SPEAKER_POS& pos, POINT& place) const {
    const double x = m_iVirtualCenterX + std::cos(pos.angle) * pos.distance;
    const double y = m_iVirtualCenterY - std::sin(pos.angle) * pos.distance;
    // Out-of-range places (no finite distance) are no place.
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) >= 1e6 || std::fabs(y) >= 1e6) return false;
    place = POINT{static_cast<LONG>(x), static_cast<LONG>(y)};  // toward zero
    return true;
}

void TAudioMainForm::PlaceSpeakerImage(ui::TImage* icon, SPEAKER_POS& pos, int mode) {
    POINT p{};
    if (icon && SpeakerPlace(pos, p)) {
        icon->SetLeft(p.x);
        icon->SetTop(p.y);
    }
    if (mode == 1) pos.angle = static_cast<float>(pos.angle + kOneDegree);
    else if (mode == 0) pos.angle = static_cast<float>(pos.angle - kOneDegree);
}

void TAudioMainForm::ComputeSpeakerTable(SpeakerRecords& records) {
    const int cx = m_iVirtualCenterX, cy = m_iVirtualCenterY;
    for (int i = 0; i < kSpeakerCount; ++i) {
        ui::TImage* icon = SpeakerImage(i);
        if (!icon) continue;
        if (m_iOldVersion != 0 && icon->Left() == 664 && icon->Top() == 355) {
            icon->SetLeft(665);
            icon->SetTop(356);
        }
        const int x = icon->Left(), y = icon->Top();
        if (x == cx && y == cy) {
            records[i] = SPEAKER_POS{0.0f, 0.0};
            m_fSpeakerDistance[i] = 0.0f;
            m_fSpeakerAngle[i] = 0.0f;
            continue;
        }
        const double angle = AngleFromCentre(x, y, cx, cy);
        const double distance = std::sqrt(static_cast<double>(y - cy) * (y - cy) + static_cast<double>(x - cx) * (x - cx));
        records[i] = SPEAKER_POS{static_cast<float>(angle), distance};
        m_fSpeakerDistance[i] = static_cast<float>(distance);
        m_fSpeakerAngle[i] = static_cast<float>(angle);
    }
}

int TAudioMainForm::SendVirtual7ch1(int on) {
    // One record, built where it is sent: the library reads all 68 bytes.
    VIRTUAL7CH1_TABLE table{};
    table.on = static_cast<DWORD>(on);
    for (int i = 0; i < kSpeakerCount; ++i) {
        // A circle without a radius has no scale: every gain is 0.
        float gain = m_iVirtualRadius > 0 ? m_fSpeakerDistance[i] * kMaxGain / static_cast<float>(m_iVirtualRadius)
                                          : 0.0f;
        if (!std::isfinite(gain) || gain < 0.0f) gain = 0.0f;
        if (gain > kMaxGain) gain = kMaxGain;
        table.gain[i] = gain;
        table.angle[i] = std::isfinite(m_fSpeakerAngle[i]) ? m_fSpeakerAngle[i] : 0.0f;
    }
    if (m_bDeviceActive != 1 || !m_bLibraryBound) return 0;
    return fnDLLKQ_SetVirtual7ch1(&table) != 0 ? 1 : 0;
}

int TAudioMainForm::SendSpeakerTable() {
    if (m_bDeviceActive != 1 || !m_bLibraryBound) return 0;
    fnDLLKQ_SetVirtual7ch1_OnOff(m_b7ch1Enable);
    return SendVirtual7ch1(m_b7ch1Enable);
}

void TAudioMainForm::PlaceAllSpeakers(int mode) {
    for (int i = 0; i < kSpeakerCount; ++i) PlaceSpeakerImage(SpeakerImage(i), m_Speaker[i], mode);
}

void TAudioMainForm::RotateClockwise() { PlaceAllSpeakers(1); }
void TAudioMainForm::RotateCounterclockwise() { PlaceAllSpeakers(0); }

void TAudioMainForm::NarrowSpeakers() {
    for (const SPEAKER_POS& s : m_Speaker)
        if (s.distance < kNarrowest) return;
    for (SPEAKER_POS& s : m_Speaker) s.distance -= 1;
    PlaceAllSpeakers(2);
}

void TAudioMainForm::EnlargeSpeakers() {
    for (const SPEAKER_POS& s : m_Speaker)
        if (s.distance >= kWidest) return;
    for (SPEAKER_POS& s : m_Speaker) s.distance += 1;
    PlaceAllSpeakers(3);
}

void TAudioMainForm::TimerTimer(ui::TObject*) {
    if (m_bDeviceActive != 1) return;
    if (m_bRotateCW == 1) RotateClockwise();
    else if (m_bRotateCCW == 1) RotateCounterclockwise();
    else if (m_bNarrow == 1) NarrowSpeakers();
    else if (m_bEnlarge == 1) EnlargeSpeakers();
    else return;
    // The records keep their own values; the table follows the icons.
    SpeakerRecords scratch{};
    ComputeSpeakerTable(scratch);
    SendSpeakerTable();
}

void TAudioMainForm::PlaceSpeakerFromEntry(int tag, const std::vector<std::wstring>& fields, int state) {
    // A missing field converts like an empty one: it is no number.
    const std::wstring left = fields.size() > 0 ? fields[0] : std::wstring();
    const std::wstring top = fields.size() > 1 ? fields[1] : std::wstring();
    if (ui::TImage* icon = FindImageByTag(tag)) {
        icon->SetLeft(ui::StrToInt(left));
        icon->SetTop(ui::StrToInt(top));
    }
    int s = state ? 0 : 1;
    ToggleButton(47, s);
}

std::wstring TAudioMainForm::DefaultProfilePath() const {
    wchar_t appData[256] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, 256);
    return std::wstring(appData) + L"\\" + m_szUserFolderName + L"\\DefaultProfile.ini";
}

void TAudioMainForm::InitSpeakerLayout() {
    const std::wstring defaults = DefaultProfilePath();
    // Without the default profile the circle stands in for it.
    if (m_iDefaultIni == 1 && IsFileExist(Handle(), defaults)) {
        for (int i = 0; i < kSpeakerCount; ++i) {
            std::wstring value;
            ReadIniString(defaults, L"Virtual7ch1", kSpeakerKeys[i], value);
            PlaceSpeakerFromEntry(kFirstSpeakerTag + i, SplitCommaList(value), m_b7ch1Enable);
        }
        return;
    }
    const int cx = m_iVirtualCenterX, cy = m_iVirtualCenterY;
    const int half = m_iVirtualRadius / 2;
    const double k = half * 1.6;
    for (int i = 0; i < kSpeakerCount; ++i) {
        ui::TImage* icon = SpeakerImage(i);
        if (!icon) continue;
        const DefaultPlace& d = kDefaultCircle[i];
        double left = cx, top = cy;
        switch (d.place) {
        case Place::Above: top = cy - k; break;
        case Place::AboveHalf: top = cy - half; break;
        case Place::Left: left = cx - k; break;
        case Place::Right: left = cx + k; break;
        case Place::AtAngle:
            left = std::cos(d.angle) * k + cx;
            top = cy - std::sin(d.angle) * k;
            break;
        }
        icon->SetLeft(static_cast<int>(left));
        icon->SetTop(static_cast<int>(top));
    }
}

int TAudioMainForm::SetDefaultSpeakerLayout() {
    InitSpeakerLayout();
    ComputeSpeakerTable(m_Speaker);
    if (m_bDeviceActive != 1 || !m_bLibraryBound) return 0;
    fnDLLKQ_SetVirtual7ch1_OnOff(m_b7ch1Enable);
    return SendVirtual7ch1(m_b7ch1Enable);
}

int TAudioMainForm::ResetSpeakers() { return SetDefaultSpeakerLayout(); }

bool TAudioMainForm::SpeakerResetLocked() const {
    return m_GPIOTable[kGpioModeOn] == 1 && m_GPIOTable[kGpioHw7ch1Switch] == 0;
}

void TAudioMainForm::VirtualResetImageClick(ui::TObject*) {
    if (SpeakerResetLocked() || BeeFlies()) return;
    ResetSpeakers();
}

void TAudioMainForm::VirtualResetLabelClick(ui::TObject* Sender) {
    if (SpeakerResetLocked()) return;
    VirtualResetImageClick(Sender);
}

void TAudioMainForm::Update7ch1UI() {
    trace::Text(L"[Update7ch1UI]");
    int s = m_b7ch1Enable ? 0 : 1;
    ToggleButton(47, s);
}

std::array<POINT, kSpeakerCount> TAudioMainForm::SpeakerLayoutToStore() const {
    std::array<POINT, kSpeakerCount> layout{};
    const bool beeFlies = BeeFlies();
    for (int i = 0; i < kSpeakerCount; ++i) {
        ui::TImage* icon = SpeakerImage(i);
        layout[i] = icon ? POINT{icon->Left(), icon->Top()} : POINT{0, 0};
        // While the bee flies the icons sit on it: the user's layout is
        // where unticking the demonstration puts them back.
        if (beeFlies) SpeakerPlace(m_SpeakerBackup[i], layout[i]);
    }
    return layout;
}

void TAudioMainForm::WriteSpeakerLayout(const std::wstring& path) {
    const std::array<POINT, kSpeakerCount> layout = SpeakerLayoutToStore();
    for (int i : kProfileOrder) {
        wchar_t value[32];
        std::swprintf(value, 32, L"%d,%d", static_cast<int>(layout[i].x), static_cast<int>(layout[i].y));
        WriteIniString(path, L"Virtual7ch1", kSpeakerKeys[i], value);
    }
    WriteIniString(path, L"Virtual7ch1", L"7ch1EN", std::to_wstring(m_b7ch1Enable));
}
