// The skinned buttons: press and release dispatched by Tag, the two-state and
// radio painters, the page tabs and the slider drags seen through the
// application's message hook.
#include <algorithm>
#include <cwchar>

#include "panel/AudioMainForm.h"
#include "panel/PanelForms.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/FilterControl.h"
#include "shared/DebugTrace.h"

namespace {

// Two-state buttons: the state's pictures and the entry whose colours the
// label takes (none: the colour is left).
struct TwoState {
    int tag;
    const wchar_t* up;
    const wchar_t* down;
    const wchar_t* labelEntry;
};
const TwoState kTwoState[] = {
    {7, L"EQEQENImageUp", L"EQEQENImageDown", L"LabelEQEnable"},
    {8, L"EQ3DENImageUp", L"EQ3DENImageDown", L"LableEQ3DEnable"},
    {13, L"D3FBMImageUp", L"D3FBMImageDown", L"Label3DFBM"},
    {21, L"MicBoostImageUp", L"MicBoostImageDown", L"LabelMicBoost"},
    {22, L"MicMuteImageUp", L"MicMuteImageDown", L"LabelMicMute"},
    {47, L"VirtualEnableImageUp", L"VirtualEnableImageDown", L"Label7ch1Enable"},
    {49, L"VirtualClockwiseUpImage", L"VirtualClockwiseDownImage", L"LabelVirtualClockwise"},
    {50, L"VirtualCounterclockwiseUpImage", L"VirtualCounterclockwiseDownImage", L"LabelVirtualCounterclockwise"},
    {51, L"LedImageUp", L"LedImageDown", nullptr},
    {52, L"VirtualNarrowUpImage", L"VirtualNarrowDownImage", L"LabelVirtualNarrow"},
    {53, L"VirtualEnlargeUpImage", L"VirtualEnlargeDownImage", L"LabelVirtualEnlarge"},
    {54, L"DeviceActiveUpImage", L"DeviceActiveDownImage", L"DeviceInLabel"},
    {55, L"DeviceUnActiveUpImage", L"DeviceUnActiveDownImage", L"DeviceOutLabel"},
    {89, L"MicMonitorImageUp", L"MicMonitorImageDown", L"LabelMicMonitor"},
};

// Push buttons: their Up and Down pictures and label entry, by Tag.
struct PushButton {
    int tag;
    const wchar_t* image;
    const wchar_t* up;
    const wchar_t* down;
    const wchar_t* labelEntry;
};
const PushButton kPushButtons[] = {
    {0, L"CloseImage", L"CloseImageUp", L"CloseImageDown", nullptr},
    {1, L"MinimizeImage", L"MinimizeImageUp", L"MinimizeImageDown", nullptr},
    {2, L"Menu1Image", L"Menu1ImageUp", L"Menu1ImageDown", L"LabelMenu1"},
    {3, L"Menu2Image", L"Menu2ImageUp", L"Menu2ImageDown", L"LabelMenu2"},
    {4, L"Menu3Image", L"Menu3ImageUp", L"Menu3ImageDown", L"LabelMenu3"},
    {5, L"EQResetImage", L"EQResetImageUp", L"EQResetImageDown", L"LabelEQReset"},
    {6, L"D3ResetImage", L"D3ResetImageUp", L"D3ResetImageDown", L"Label3DReset"},
    {48, L"VirtualResetImage", L"VirtualResetUpImage", L"VirtualResetDownImage", L"Label7ch1Reset"},
};

const PushButton* FindPushButton(int tag) {
    for (const PushButton& b : kPushButtons)
        if (b.tag == tag) return &b;
    return nullptr;
}

// Page tabs: code, Up and Down pictures, the left picture of the page.
struct PageTab {
    int code;
    const wchar_t* up;
    const wchar_t* down;
    const wchar_t* leftPicture;  // null: the left picture is hidden
};
const PageTab kPageTabs[] = {
    {1, L"PageEQUpImage", L"PageEQDownImage", L"MainLeftImage1"},
    {3, L"PageEffectUpImage", L"PageEffectDownImage", L"MainLeftImage2"},
    {4, L"PageMicUpImage", L"PageMicDownImage", L"MainLeftImage3"},
    {5, L"PageVirtual7p1UpImage", L"PageVirtual7p1DownImage", L"MainLeftImage4"},
    {204, L"PageTbxEffectUpImage", L"PageTbxEffectDownImage", nullptr},
    {205, L"PageENCUpImage", L"PageENCDownImage", nullptr},
    {206, L"PageLEDUpImage", L"PageLEDDownImage", nullptr},
};

const wchar_t* const kEffectKeys[] = {L"EffectButtonNonImage", L"EffectButtonTheaterImage",
                                      L"EffectButtonBathroomImage", L"EffectButtonLivingroomImage",
                                      L"EffectButtonStoneGalleryImage"};
const wchar_t* const kEffectPictures[] = {L"EffectPicNonImage", L"EffectPicTheaterImage", L"EffectPicBathroomImage",
                                          L"EffectPicLivingroomImage", L"EffectPicStoneGalleryImage"};

bool NoDeviceCheckExempt(int tag) {
    static const int exempt[] = {0, 1, 4, 14, 15, 28, 29, 49, 50};
    return std::find(std::begin(exempt), std::end(exempt), tag) != std::end(exempt);
}

int Clamp(int value, int low, int high) {
    // Upper bound first, then the lower one (a track of negative height pins
    // to its top).
    if (value > high) value = high;
    if (value < low) value = low;
    return value;
}

bool NameIn(const std::wstring& name, std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* n : names)
        if (name == n) return true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------- lookups

ui::TImage* TAudioMainForm::FindImageByTag(int tag) const {
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        ui::TComponent* c = Components(i);
        if (c->Tag() == tag && std::wcscmp(c->ClassName(), L"TImage") == 0) return static_cast<ui::TImage*>(c);
    }
    return nullptr;
}

ui::TLabel* TAudioMainForm::FindLabelByTag(int tag) const {
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        ui::TComponent* c = Components(i);
        if (c->Tag() == tag && std::wcscmp(c->ClassName(), L"TLabel") == 0) return static_cast<ui::TLabel*>(c);
    }
    return nullptr;
}

ui::TShape* TAudioMainForm::FindShapeByTag(int tag) const {
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        ui::TComponent* c = Components(i);
        if (c->Tag() == tag && std::wcscmp(c->ClassName(), L"TShape") == 0) return static_cast<ui::TShape*>(c);
    }
    return nullptr;
}

// ---------------------------------------------------------------- painters

void TAudioMainForm::PaintDown(ui::TImage* image, const wchar_t* downKey, ui::TLabel* label,
                               const wchar_t* labelEntry) {
    const SKIN_ENTRY& entry = SkinEntry(downKey);
    if (image && entry.file[0]) LoadSkinImage(entry, image);
    if (label && labelEntry) label->Font().SetColor(LanguageEntry(labelEntry).colorDown);
}

void TAudioMainForm::PaintUp(ui::TImage* image, const wchar_t* upKey, ui::TLabel* label, const wchar_t* labelEntry) {
    if (image) LoadSkinImage(SkinEntry(upKey), image);
    if (label && labelEntry) label->Font().SetColor(LanguageEntry(labelEntry).colorUp);
}

void TAudioMainForm::ToggleButton(int tag, int& state) {
    const TwoState* row = nullptr;
    for (const TwoState& r : kTwoState)
        if (r.tag == tag) row = &r;
    if (!row) return;  // Tag 28 and every other Tag: nothing changes
    ui::TImage* image = FindImageByTag(tag);
    ui::TLabel* label = FindLabelByTag(tag);
    if (tag == 47 && m_GPIOTable[kGpioModeOn] == 1) {
        m_b7ch1Enable = m_GPIOTable[kGpioHw7ch1Switch] != 0 ? 1 : 0;
        const SKIN_ENTRY& entry = SkinEntry(m_b7ch1Enable ? L"VirtualDisableImageDown" : L"VirtualDisableImageUp");
        if (image && entry.file[0]) LoadSkinImage(entry, image);
        if (label) label->Font().SetColor(LanguageEntry(row->labelEntry).colorUp);
        return;
    }
    state = state == 0 ? 1 : 0;
    const SKIN_ENTRY& entry = SkinEntry(state ? row->down : row->up);
    if (image && entry.file[0]) LoadSkinImage(entry, image);
    if (label && row->labelEntry) {
        LANGUAGE_ENTRY& colours = LanguageEntry(row->labelEntry);
        label->Font().SetColor(state ? colours.colorDown : colours.colorUp);
    }
}

void TAudioMainForm::ShowEQPresetButtons(int preset) {
    const LANGUAGE_ENTRY& colours = LanguageEntry(L"LabelEQS1");
    for (int p = 1; p <= 4; ++p) {
        std::wstring key = L"EQS" + std::to_wstring(p) + (p == preset ? L"ImageDown" : L"ImageUp");
        if (ui::TImage* image = FindImageByTag(8 + p)) LoadSkinImage(SkinEntry(key), image);
        if (ui::TLabel* label = FindLabelByTag(8 + p))
            label->Font().SetColor(p == preset ? colours.colorDown : colours.colorUp);
    }
    if (preset >= 1 && preset <= 4) {
        ui::TLabel* presetLabel = FindLabelByTag(8 + preset);
        if (presetLabel && Label(L"SXLabel")) Label(L"SXLabel")->SetCaption(presetLabel->Caption());
    }
}

void TAudioMainForm::ShowEffectButtons(int effect) {
    const LANGUAGE_ENTRY& colours = LanguageEntry(L"LabelEffectNothing");
    for (int e = 1; e <= 5; ++e) {
        std::wstring key = std::wstring(kEffectKeys[e - 1]) + (e == effect ? L"Down" : L"Up");
        if (ui::TImage* image = FindImageByTag(15 + e)) LoadSkinImage(SkinEntry(key), image);
        if (ui::TLabel* label = FindLabelByTag(15 + e))
            label->Font().SetColor(e == effect ? colours.colorDown : colours.colorUp);
    }
    if (effect >= 1 && effect <= 5) LoadSkinImage(SkinEntry(kEffectPictures[effect - 1]), Image(L"EffectPicImage"));
}

void TAudioMainForm::ShowPageTabs(int code) {
    const LANGUAGE_ENTRY& colours = LanguageEntry(L"LabelPageEQ");
    for (const PageTab& tab : kPageTabs) {
        bool selected = tab.code == code;
        if (ui::TImage* image = FindImageByTag(tab.code + 22))
            LoadSkinImage(SkinEntry(selected ? tab.down : tab.up), image);
        if (ui::TLabel* label = FindLabelByTag(tab.code + 22))
            label->Font().SetColor(selected ? colours.colorDown : colours.colorUp);
        if (selected) {
            static const SKIN_ENTRY kNone{};
            LoadSkinImage(tab.leftPicture ? SkinEntry(tab.leftPicture) : kNone, Image(L"MainLeftImage"));
        }
    }
}

// ---------------------------------------------------------------- press and release

void TAudioMainForm::ShowNoDeviceWarning(const wchar_t* entry) {
    ui::Application->MessageBox(LanguageEntry(entry).caption, m_Config.InstallAppTitle, MB_ICONWARNING);
}

bool TAudioMainForm::GpioLocked(int tag) const {
    if (m_GPIOTable[kGpioModeOn] != 1 || m_GPIOTable[kGpioSimulatedClick] != 0) return false;
    if (tag >= 39 && tag <= 47) return true;
    return tag == 48 && m_GPIOTable[kGpioHw7ch1Switch] == 0;
}

bool TAudioMainForm::LEDDialogShowing() const { return LEDForm && LEDForm->m_bShown; }

void TAudioMainForm::OnImageMouseDown(ui::TObject* Sender, ui::TMouseButton, ui::TShiftState, int, int) {
    auto* control = dynamic_cast<ui::TControl*>(Sender);
    if (!control) return;
    const int t = control->Tag();
    if (GpioLocked(t)) return;
    if (!NoDeviceCheckExempt(t) && !m_bDeviceActive) {
        ShowNoDeviceWarning();
        return;
    }
    if (const PushButton* b = FindPushButton(t)) {
        if (t == 48 && BeeCheckBox->Checked()) return;
        PaintDown(Image(b->image), b->down, t >= 2 ? FindLabelByTag(t) : nullptr, b->labelEntry);
        return;
    }
    auto releaseLatches = [this](std::initializer_list<std::pair<int, int*>> latches) {
        for (auto& latch : latches)
            if (*latch.second == 1) ToggleButton(latch.first, *latch.second);
    };
    switch (t) {
    case 7:
        ToggleButton(7, m_bEQEnable);
        StoreEQPreset(m_iEQPreset - 1);
        SetEQOnOff(m_bEQEnable);
        break;
    case 8:
        ToggleButton(8, m_b3DEnable);
        if (m_b3DV7ch1Exclusive == 1 && m_b3DEnable) {
            m_b7ch1Enable = 0;
            fnDLLKQ_SetVirtual7ch1_OnOff(0);
            SendVirtual7ch1(0);
            fnDLLKQ_SetVirtual7ch1_Scalar(m_fV7ch1Scalar);
            int s = 1;
            ToggleButton(47, s);
            Image(L"VirtualEnableImage")->SetVisible(false);
            if (m_bRotateCCW) {
                ToggleButton(50, m_bRotateCCW);
                Image(L"VirtualCounterclockwiseImage")->SetVisible(false);
            }
            if (m_bRotateCW) {
                ToggleButton(49, m_bRotateCW);
                Image(L"VirtualClockwiseImage")->SetVisible(false);
            }
        }
        Set3DOnOff(m_b3DEnable);
        Write3DEnableRegister(m_b3DEnable);
        break;
    case 9: case 10: case 11: case 12:
        SetEQPreset(t - 8);
        ShowEQPresetButtons(m_iEQPreset);
        ApplyEQPreset(m_iEQPreset);
        RefreshEQPage(m_iEQPreset - 1);
        SetEQOnOff(m_bEQEnable);
        break;
    case 13:
        ToggleButton(13, m_bFBM);
        SetFBM(m_bFBM);
        break;
    case 14: Show3DLinkButton(t, m_i3DAlphaLink); break;
    case 15: Show3DLinkButton(t, m_i3DBetaLink); break;
    case 16: case 17: case 18: case 19: case 20:
        m_iEffect = t - 15;
        ShowEffectButtons(m_iEffect);
        FilterIoctl_SetEffect(static_cast<DWORD>(m_iEffect - 1));
        FilterIoctl_EnableEffect(1);
        break;
    case 21:
        ToggleButton(21, m_bMicBoost);
        SetMicBoost(m_bMicBoost);
        break;
    case 22:
        ToggleButton(22, m_bMicMute);
        SetMicMute(m_bMicMute);
        break;
    case 89:
        ToggleButton(89, m_bMicMonitor);
        SetMicMonitor(m_bMicMonitor);
        break;
    case 23: case 25: case 26: case 27: {
        static const int codes[] = {1, 0, 3, 4, 5};
        ShowPageTabs(codes[t - 23]);
        OnLabelPageMouseDown(FindLabelByTag(t), ui::mbLeft, 0, 0, 0);
        break;
    }
    case 226: case 227:
        ShowPageTabs(t == 226 ? 204 : 205);
        LoadSkinImage(SkinEntry(t == 226 ? L"PageTbxEffectDownImage" : L"PageENCDownImage"), FindImageByTag(t));
        OnLabelPageMouseDown(FindLabelByTag(t), ui::mbLeft, 0, 0, 0);
        break;
    case 228:
        if (m_iLEDPageMode == 1) {
            ShowPageTabs(206);
            LoadSkinImage(SkinEntry(L"PageLEDDownImage"), FindImageByTag(t));
            OnLabelPageMouseDown(FindLabelByTag(t), ui::mbLeft, 0, 0, 0);
        }
        break;
    case 28:
        if (m_bDeviceActive) ToggleButton(28, m_bSync);
        break;
    case 47:
        ToggleButton(47, m_b7ch1Enable);
        if (m_b3DV7ch1Exclusive == 1 && m_b7ch1Enable) {
            m_b3DEnable = 0;
            Set3DOnOff(0);
            Write3DEnableRegister(0);
            int s = 1;
            ToggleButton(8, s);
            Image(L"EQ3DENImage")->SetVisible(false);
        }
        {
            SpeakerRecords scratch{};
            ComputeSpeakerTable(scratch);
        }
        SendSpeakerTable();
        if (!m_b7ch1Enable) releaseLatches({{50, &m_bRotateCCW}, {49, &m_bRotateCW}});
        break;
    case 49: case 50:
        if (BeeCheckBox->Checked() || m_b7ch1Enable != 1) break;
        if (t == 49) {
            ToggleButton(49, m_bRotateCW);
            releaseLatches({{50, &m_bRotateCCW}, {52, &m_bNarrow}, {53, &m_bEnlarge}});
        } else {
            ToggleButton(50, m_bRotateCCW);
            releaseLatches({{49, &m_bRotateCW}, {52, &m_bNarrow}, {53, &m_bEnlarge}});
        }
        break;
    case 52: case 53:
        if (BeeCheckBox->Checked()) break;
        if (t == 52) {
            ToggleButton(52, m_bNarrow);
            releaseLatches({{53, &m_bEnlarge}, {49, &m_bRotateCW}, {50, &m_bRotateCCW}});
        } else {
            ToggleButton(53, m_bEnlarge);
            releaseLatches({{52, &m_bNarrow}, {49, &m_bRotateCW}, {50, &m_bRotateCCW}});
        }
        break;
    case 51:
        ToggleButton(51, m_bLEDOn);
        SetLEDGpio(1);
        break;
    default: break;
    }
}

void TAudioMainForm::OnImageMouseUp(ui::TObject* Sender, ui::TMouseButton, ui::TShiftState, int, int) {
    auto* control = dynamic_cast<ui::TControl*>(Sender);
    if (!control) return;
    const int t = control->Tag();
    if (GpioLocked(t)) return;
    if (const PushButton* b = FindPushButton(t)) {
        if (t == 48 && BeeCheckBox->Checked()) return;
        ui::TLabel* label = t >= 2 ? FindLabelByTag(t) : nullptr;
        PaintUp(Image(b->image), b->up, nullptr, nullptr);
        if (t == 2) SaveProfileAs();
        if (t == 3) OpenProfile();
        PaintUp(nullptr, nullptr, label, b->labelEntry);
        if (t == 4 && m_bDeviceActive) ShowAboutBox();
        return;
    }
    if (t >= 39 && t <= 46) {
        Timer->SetEnabled(true);
    } else if (t == 51) {
        ToggleButton(51, m_bLEDOn);
        SetLEDGpio(0);
    } else if (t == 226 || t == 227) {
        const wchar_t* stem = t == 226 ? L"PageTbxEffect" : L"PageENC";
        LoadSkinImage(SkinEntry(std::wstring(stem) + (m_bDeviceActive ? L"DownImage" : L"UpImage")), FindImageByTag(t));
    } else if (t == 228) {
        if (m_iLEDPageMode != 1) LoadSkinImage(SkinEntry(L"PageLEDUpImage"), FindImageByTag(t));
        else if (m_bDeviceActive) LoadSkinImage(SkinEntry(L"PageLEDDownImage"), FindImageByTag(t));
    }
}

void TAudioMainForm::ShowAboutBox() {
    if (!AboutForm) return;
    // The texts and the logo of the language and skin in use, each time.
    AboutForm->SetCaption(LanguageEntry(L"LabelMenu3").caption);
    ApplyLanguageEntry(LanguageEntry(L"LabelAbout"), AboutForm->AboutLabel, 1);
    LoadSkinImage(SkinEntry(L"About.LogoImage"), AboutForm->LOGOKQImage);
    ApplyLanguageEntry(LanguageEntry(L"LabelWeb"), AboutForm->WebLabel, 1);
    AboutForm->ShowModal();
}

void TAudioMainForm::OnLabelMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X,
                                      int Y) {
    ::OutputDebugStringW(L"TAudioMainForm::OnLabelMouseDown");
    auto* label = dynamic_cast<ui::TControl*>(Sender);
    if (!label) return;
    OnImageMouseDown(FindImageByTag(label->Tag()), Button, Shift, X, Y);
}

void TAudioMainForm::OnLabelMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X,
                                    int Y) {
    auto* label = dynamic_cast<ui::TControl*>(Sender);
    if (!label) return;
    OnImageMouseUp(FindImageByTag(label->Tag()), Button, Shift, X, Y);
}

void TAudioMainForm::OnLabelPageMouseDown(ui::TObject* Sender, ui::TMouseButton, ui::TShiftState, int, int) {
    auto* sender = dynamic_cast<ui::TLabel*>(Sender);
    if (!sender) return;
    if (!m_bDeviceActive) {
        ShowNoDeviceWarning();
        return;
    }
    auto closeMeter = [this] {
        if (m_hWaveIn) CloseMicLevelMeter();
    };
    switch (sender->Tag()) {
    case 23: case 24: case 25: case 27: {
        static const int pages[] = {1, 5, 2, 0, 4};
        static const int codes[] = {1, 2, 3, 0, 5};
        m_iCurrentPage = pages[sender->Tag() - 23];
        ShowPageTabs(codes[sender->Tag() - 23]);
        ui::Application->ProcessMessages();
        closeMeter();
        break;
    }
    case 26:
        m_iCurrentPage = 3;
        ShowPageTabs(4);
        ui::Application->ProcessMessages();
        OpenMicLevelMeter();
        break;
    case 226:
        m_iCurrentPage = 8;
        ShowPageTabs(204);
        closeMeter();
        UpdateTimbrexUI();
        break;
    case 227:
        m_iCurrentPage = 7;
        ShowPageTabs(205);
        closeMeter();
        UpdateENCUI();
        break;
    case 228:
        if (m_iLEDPageMode == 1) {
            m_iCurrentPage = 6;
            ShowPageTabs(206);
        }
        closeMeter();
        break;
    default: break;
    }
    ui::Application->ProcessMessages();
    ShowPage(m_iCurrentPage);
    const LANGUAGE_ENTRY& colours = LanguageEntry(L"LabelPageEQ");
    for (int tag : {23, 24, 25, 26, 228})
        if (ui::TLabel* label = FindLabelByTag(tag)) label->Font().SetColor(colours.colorUp);
    sender->Font().SetColor(colours.colorDown);
}

void TAudioMainForm::CloseImageClick(ui::TObject*) { CTrayIcon->Minimize(); }

void TAudioMainForm::MinimizeImageClick(ui::TObject*) { ui::Application->Minimize(); }

// ---------------------------------------------------------------- drags

void TAudioMainForm::ApplicationMessage(MSG& msg, bool&) {
    if (msg.message < WM_MOUSEMOVE || msg.message > WM_LBUTTONUP) return;
    const bool ours = HandleAllocated() && msg.hwnd == Handle() && ::IsWindowEnabled(Handle());
    // A release seen by any other window of the program (a box, another
    // form) still ends a drag; apart from that only this window's mouse
    // messages, while it takes input, move sliders.
    if (!ours) {
        if (msg.message == WM_LBUTTONUP) EndSliderDrag();
        return;
    }
    switch (msg.message) {
    case WM_MOUSEMOVE: DragSlider(); break;
    case WM_LBUTTONDOWN: BeginSliderDrag(); break;
    case WM_LBUTTONUP: EndSliderDrag(); break;
    default: break;
    }
}

void TAudioMainForm::DragMessage(ui::TMessage& msg) {
    // The release may reach this window through another message loop (a
    // box's), and the mouse may be taken away before any release: either
    // way the drag is over.
    if (msg.Msg == WM_LBUTTONUP) EndSliderDrag();
    if (msg.Msg == WM_CAPTURECHANGED && reinterpret_cast<HWND>(msg.LParam) != Handle()) {
        m_bDragging = false;
        m_pDragControl = nullptr;
    }
}

void TAudioMainForm::MoveEQSlider(ui::TControl* slider, int top) {
    SetEQPreset(m_iEQPreset);  // it indexes the slider positions and the image
    top = Clamp(top, m_iEQSliderTop, m_iEQSliderTop + m_iEQSliderHeight);
    slider->SetTop(top);
    SetEQBandGain(slider->Tag(), m_bSync);
    int band = slider->Tag() - 29;
    if (band >= 0 && band < 5) m_EQSliderPos[m_iEQPreset - 1][band] = top - m_iEQSliderTop;
    StoreEQPreset(m_iEQPreset - 1);
    RefreshEQPage(m_iEQPreset - 1);
}

void TAudioMainForm::BeginSliderDrag() {
    if (LEDDialogShowing()) return;
    ::GetCursorPos(&m_ptDragCursor);
    POINT p = ScreenToClient(m_ptDragCursor);
    m_pDragControl = ControlAtPos(p, true, false, true);
    if (!m_pDragControl) return;
    ui::TControl* control = m_pDragControl;
    const std::wstring& name = control->Name();
    const int y = p.y;
    auto startDrag = [this, control](int mode) {
        m_bDragging = true;
        m_iDragStartLeft = control->Left();
        m_iDragStartTop = control->Top();
        m_iDragMode = mode;
    };
    auto needDevice = [this](bool processMessages) {
        if (m_bDeviceActive) return true;
        ShowNoDeviceWarning();
        if (processMessages) ui::Application->ProcessMessages();
        return false;
    };
    if (NameIn(name, {L"EQ60HzSliderImage", L"EQ300HzSliderImage", L"EQ1200HzSliderImage", L"EQ3600HzSliderImage",
                      L"EQ12000HzSliderImage"})) {
        if (needDevice(true)) startDrag(dmEQBand);
    } else if (NameIn(name, {L"EQ60HzBarImage", L"EQ300HzBarImage", L"EQ1200HzBarImage", L"EQ3600HzBarImage",
                             L"EQ12000HzBarImage", L"EQ60HzBarDownImage", L"EQ300HzBarDownImage",
                             L"EQ1200HzBarDownImage", L"EQ3600HzBarDownImage", L"EQ12000HzBarDownImage"})) {
        if (!needDevice(true)) return;
        bool barDown = name.find(L"BarDown") != std::wstring::npos;
        ui::TImage* slider = FindImageByTag(control->Tag() - (barDown ? 200 : 100));
        if (slider) MoveEQSlider(slider, y - slider->Height() / 2);
    } else if (NameIn(name, {L"D3LBetaSliderImage", L"D3LAlphaSliderImage", L"D3RAlphaSliderImage",
                             L"D3RBetaSliderImage"})) {
        if (needDevice(false)) startDrag(dm3D);
    } else if (name == L"MicSliderImage") {
        if (needDevice(false)) startDrag(dmMicGain);
    } else if (name == L"MicBarImage" || name == L"MicBarDownImage") {
        if (!needDevice(false)) return;
        ui::TImage* slider = FindImageByTag(control->Tag() - (name == L"MicBarImage" ? 100 : 200));
        if (!slider) return;
        int top = Clamp(y - slider->Height() / 2, m_iMicSliderTop, m_iMicSliderTop + m_iMicSliderHeight);
        slider->SetTop(top);
        if (m_iMicSliderHeight > 0) SetMicGain((m_iMicSliderTop + m_iMicSliderHeight - top) * 100 / m_iMicSliderHeight);
        ReadMicGain();
    } else if (name == L"ENCSliderImage" || name == L"ENCBarImage") {
        if (!needDevice(false)) return;
        if (m_bENCAvailable == 0) {
            ShowNoDeviceWarning(L"LabelWarning1");
            return;
        }
        if (name == L"ENCSliderImage") {
            startDrag(dmENC);
            return;
        }
        ui::TImage* slider = FindImageByTag(control->Tag() - 100);
        if (!slider) return;
        int top = Clamp(y - slider->Height() / 2, m_iENCSliderTop, m_iENCSliderTop + m_iENCSliderHeight);
        slider->SetTop(top);
        if (m_iENCSliderHeight > 0) m_iENCLevel = (m_iENCSliderTop + m_iENCSliderHeight - top) * 30 / m_iENCSliderHeight;
        UpdateENCUI();
    } else if (NameIn(name, {L"VirtualCImage", L"VirtualSUBImage", L"VirtualLSImage", L"VirtualRSImage",
                             L"VirtualLImage", L"VirtualRImage", L"VirtualLBImage", L"VirtualRBImage"})) {
        // The GPIO press lock is no part of a drag: the move tests the
        // hardware switch itself.
        if (needDevice(false)) startDrag(dmSpeaker);
    }
}

void TAudioMainForm::DragSlider() {
    if (LEDDialogShowing() || m_iCurrentPage == 6 || !m_bDragging || !m_pDragControl) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    int left = m_iDragStartLeft + (cursor.x - m_ptDragCursor.x);
    int top = m_iDragStartTop + (cursor.y - m_ptDragCursor.y);
    ui::TControl* control = m_pDragControl;
    switch (m_iDragMode) {
    case dmEQBand: MoveEQSlider(control, top); break;
    case dm3D:
        top = Clamp(top, 105, 225);
        control->SetTop(top);
        Link3DSliders(control->Name(), m_i3DAlphaLink, m_i3DBetaLink, top);
        Send3DLeft(m_bSync);
        Send3DRight(m_bSync);
        break;
    case dmMicGain:
        top = Clamp(top, m_iMicSliderTop, m_iMicSliderTop + m_iMicSliderHeight);
        control->SetTop(top);
        if (m_iMicSliderHeight > 0) SetMicGain((m_iMicSliderTop + m_iMicSliderHeight - top) * 100 / m_iMicSliderHeight);
        ReadMicGain();
        break;
    case dmENC: {
        ui::TImage* bar = Image(L"ENCBarImage");
        ui::TImage* slider = Image(L"ENCSliderImage");
        double lowest = bar->Top() + bar->Height() - slider->Height() * 1.2;
        if (top > lowest) top = static_cast<int>(lowest);
        if (top < bar->Top() + 10) top = bar->Top() + 10;
        control->SetTop(top);
        break;
    }
    case dmSpeaker: {
        if (m_GPIOTable[kGpioSimulatedClick] == 0 && m_GPIOTable[kGpioHw7ch1Switch] == 0) break;
        long long dx = left - m_iVirtualCenterX, dy = top - m_iVirtualCenterY;
        if (dx * dx + dy * dy > static_cast<long long>(m_iVirtualRadius) * m_iVirtualRadius) break;
        ui::TImage* room = Image(L"VirtualPicImage");
        if (room->Left() + 10 < left && left + control->Width() <= room->Left() + room->Width() - 10)
            control->SetLeft(left);
        if (room->Top() + 10 <= top && top + control->Height() <= room->Top() + room->Height() - 10)
            control->SetTop(top);
        Timer->SetEnabled(false);
        ComputeSpeakerTable(m_Speaker);
        fnDLLKQ_SetVirtual7ch1_OnOff(m_b7ch1Enable);
        SendVirtual7ch1(m_b7ch1Enable);
        break;
    }
    default: break;
    }
}

void TAudioMainForm::EndSliderDrag() {
    if (LEDDialogShowing()) return;
    m_bDragging = false;
    m_pDragControl = nullptr;
}
