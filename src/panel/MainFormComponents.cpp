// The main window's design: every skinned control with its class, design
// bounds (the sample kit's places; the skin moves them), Tag and handlers,
// and the non-visual components.
#include <iterator>

#include "panel/AudioMainForm.h"

namespace {

enum Kind { kImage, kLabel, kShape, kBevel };

// Which shared handlers a control gets: only the buttons the dispatch knows
// by their Tag (a picture without a Tag would act as the close button's row).
enum Events {
    evNone,
    evButton,       // image: press and release dispatch
    evReleaseOnly,  // image: release dispatch only (speaker icons; their press is a drag)
    evLabelButton,  // label: forwarded to the image of its Tag
    evPageTab       // label: page tab
};

constexpr unsigned fHidden = 1, fDisabled = 2;

struct ControlRow {
    const wchar_t* name;
    Kind kind;
    RECT bounds;  // left, top, width, height
    int tag;
    Events events;
    unsigned flags;
};

// Creation order is z-order (the first at the bottom) and the order the Tag
// lookups scan backwards.
const ControlRow kControls[] = {
    {L"MainFormImage", kImage, {0, 0, 819, 513}, 0, evNone, 0},
    // The 3D page has no tab: its pictures lie beneath every other page.
    {L"Back_3DImage", kImage, {206, 96, 603, 409}, 0, evNone, 0},
    {L"D33DENImage", kImage, {630, 120, 160, 30}, 0, evButton, 0},
    {L"D3FBMImage", kImage, {630, 160, 160, 30}, 13, evButton, 0},
    {L"D3ResetImage", kImage, {630, 200, 160, 30}, 6, evButton, 0},
    {L"D3LChannelImage", kImage, {236, 262, 132, 28}, 0, evNone, 0},
    {L"D3RChannelImage", kImage, {440, 262, 132, 28}, 0, evNone, 0},
    {L"D3ConnectionImage", kImage, {376, 262, 56, 28}, 0, evNone, 0},
    {L"D3AlphaImage", kImage, {380, 136, 48, 28}, 14, evButton, 0},
    {L"D3BetaImage", kImage, {380, 186, 48, 28}, 15, evButton, 0},
    {L"D3ButtonLineImage1", kImage, {630, 241, 160, 2}, 0, evNone, 0},
    {L"D3ButtonLineImage2", kImage, {630, 292, 160, 2}, 0, evNone, 0},
    {L"D3LAlphaGraduationImage", kImage, {234, 105, 16, 136}, 0, evNone, 0},
    {L"D3LBetaGraduationImage", kImage, {290, 105, 16, 136}, 0, evNone, 0},
    {L"D3RAlphaGraduationImage", kImage, {438, 105, 16, 136}, 0, evNone, 0},
    {L"D3RBetaGraduationImage", kImage, {494, 105, 16, 136}, 0, evNone, 0},
    {L"D3LAlphaBarImage", kImage, {255, 105, 14, 136}, 0, evNone, 0},
    {L"D3LBetaBarImage", kImage, {311, 105, 14, 136}, 0, evNone, 0},
    {L"D3RAlphaBarImage", kImage, {459, 105, 14, 136}, 0, evNone, 0},
    {L"D3RBetaBarImage", kImage, {515, 105, 14, 136}, 0, evNone, 0},
    {L"D3LAlphaSliderImage", kImage, {248, 165, 28, 14}, 35, evNone, 0},
    {L"D3LBetaSliderImage", kImage, {304, 165, 28, 14}, 34, evNone, 0},
    {L"D3RAlphaSliderImage", kImage, {452, 165, 28, 14}, 37, evNone, 0},
    {L"D3RBetaSliderImage", kImage, {508, 165, 28, 14}, 36, evNone, 0},
    {L"CloseImage", kImage, {778, 12, 28, 28}, 0, evButton, 0},
    {L"MinimizeImage", kImage, {744, 12, 28, 28}, 1, evButton, 0},
    {L"DeviceActiveImage", kImage, {556, 14, 24, 24}, 0, evNone, 0},
    {L"Menu1Image", kImage, {18, 356, 160, 30}, 2, evButton, 0},
    {L"Menu2Image", kImage, {18, 394, 160, 30}, 3, evButton, 0},
    {L"Menu3Image", kImage, {18, 432, 160, 30}, 4, evButton, 0},
    {L"LogoImage", kImage, {18, 10, 168, 32}, 0, evNone, 0},
    {L"LEDImage", kImage, {706, 12, 28, 28}, 51, evButton, 0},
    {L"MainLeftImage", kImage, {12, 62, 172, 150}, 0, evNone, 0},
    {L"DeviceInImage", kImage, {30, 268, 48, 48}, 54, evNone, 0},
    {L"DeviceOutImage", kImage, {118, 268, 48, 48}, 55, evNone, 0},
    {L"SyncImage", kImage, {0, 0, 0, 0}, 28, evButton, fHidden},
    {L"PageEQImage", kImage, {206, 58, 82, 30}, 23, evButton, 0},
    {L"Page3DImage", kImage, {0, 0, 0, 0}, 24, evButton, fHidden},
    {L"PageEffectImage", kImage, {292, 58, 82, 30}, 25, evButton, 0},
    {L"PageMicImage", kImage, {378, 58, 82, 30}, 26, evButton, 0},
    {L"PageVirtual7p1Image", kImage, {464, 58, 82, 30}, 27, evButton, 0},
    {L"PageLEDImage", kImage, {722, 58, 82, 30}, 228, evButton, 0},
    {L"PageENCImage", kImage, {550, 58, 82, 30}, 227, evButton, 0},
    {L"PageTbxEffectImage", kImage, {636, 58, 82, 30}, 226, evButton, 0},
    {L"Back_EQImage", kImage, {206, 96, 603, 409}, 0, evNone, 0},
    {L"EQEQENImage", kImage, {630, 120, 160, 30}, 7, evButton, 0},
    {L"EQ3DENImage", kImage, {630, 160, 160, 30}, 8, evButton, 0},
    {L"EQResetImage", kImage, {630, 200, 160, 30}, 5, evButton, 0},
    {L"EQS1Image", kImage, {630, 252, 160, 30}, 9, evButton, 0},
    {L"EQS2Image", kImage, {630, 292, 160, 30}, 10, evButton, 0},
    {L"EQS3Image", kImage, {630, 332, 160, 30}, 11, evButton, 0},
    {L"EQS4Image", kImage, {630, 372, 160, 30}, 12, evButton, 0},
    {L"EQButtonLineImage1", kImage, {630, 241, 160, 2}, 0, evNone, 0},
    {L"EQButtonLineImage2", kImage, {630, 287, 160, 2}, 0, evNone, 0},
    {L"EQButtonLineImage3", kImage, {630, 327, 160, 2}, 0, evNone, 0},
    {L"EQButtonLineImage4", kImage, {630, 367, 160, 2}, 0, evNone, 0},
    {L"EQButtonLineImage5", kImage, {630, 408, 160, 2}, 0, evNone, 0},
    {L"EQGraduationImage", kImage, {236, 150, 34, 216}, 0, evNone, 0},
    {L"EQ60HzBarImage", kImage, {293, 150, 14, 216}, 129, evNone, 0},
    {L"EQ300HzBarImage", kImage, {359, 150, 14, 216}, 130, evNone, 0},
    {L"EQ1200HzBarImage", kImage, {425, 150, 14, 216}, 131, evNone, 0},
    {L"EQ3600HzBarImage", kImage, {491, 150, 14, 216}, 132, evNone, 0},
    {L"EQ12000HzBarImage", kImage, {557, 150, 14, 216}, 133, evNone, 0},
    {L"EQ60HzBarDownImage", kImage, {283, 370, 34, 6}, 229, evNone, 0},
    {L"EQ300HzBarDownImage", kImage, {349, 370, 34, 6}, 230, evNone, 0},
    {L"EQ1200HzBarDownImage", kImage, {415, 370, 34, 6}, 231, evNone, 0},
    {L"EQ3600HzBarDownImage", kImage, {481, 370, 34, 6}, 232, evNone, 0},
    {L"EQ12000HzBarDownImage", kImage, {547, 370, 34, 6}, 233, evNone, 0},
    {L"EQ60HzSliderImage", kImage, {283, 250, 34, 16}, 29, evNone, 0},
    {L"EQ300HzSliderImage", kImage, {349, 250, 34, 16}, 30, evNone, 0},
    {L"EQ1200HzSliderImage", kImage, {415, 250, 34, 16}, 31, evNone, 0},
    {L"EQ3600HzSliderImage", kImage, {481, 250, 34, 16}, 32, evNone, 0},
    {L"EQ12000HzSliderImage", kImage, {547, 250, 34, 16}, 33, evNone, 0},
    {L"Back_EffectImage", kImage, {206, 96, 603, 409}, 0, evNone, 0},
    {L"EffectButtonNonImage", kImage, {226, 120, 170, 34}, 16, evButton, 0},
    {L"EffectButtonTheaterImage", kImage, {226, 166, 170, 34}, 17, evButton, 0},
    {L"EffectButtonBathroomImage", kImage, {226, 212, 170, 34}, 20, evButton, 0},
    {L"EffectButtonLivingroomImage", kImage, {226, 258, 170, 34}, 19, evButton, 0},
    {L"EffectButtonStoneGalleryImage", kImage, {226, 304, 170, 34}, 18, evButton, 0},
    {L"EffectButtonLineImage1", kImage, {226, 157, 170, 2}, 0, evNone, 0},
    {L"EffectButtonLineImage2", kImage, {226, 203, 170, 2}, 0, evNone, 0},
    {L"EffectButtonLineImage3", kImage, {226, 249, 170, 2}, 0, evNone, 0},
    {L"EffectButtonLineImage4", kImage, {226, 295, 170, 2}, 0, evNone, 0},
    {L"EffectPicImage", kImage, {420, 120, 370, 224}, 0, evNone, 0},
    {L"Back_MicImage", kImage, {206, 96, 603, 409}, 0, evNone, 0},
    {L"MicBoostImage", kImage, {630, 120, 160, 30}, 21, evButton, 0},
    {L"MicMuteImage", kImage, {630, 160, 160, 30}, 22, evButton, 0},
    {L"MicMonitorImage", kImage, {630, 200, 160, 30}, 89, evButton, 0},
    {L"MicButtonLineImage", kImage, {630, 241, 160, 2}, 0, evNone, 0},
    {L"MicPicImage", kImage, {236, 120, 160, 240}, 0, evNone, 0},
    {L"MicProgressImage", kImage, {236, 446, 300, 14}, 0, evNone, 0},
    {L"MicGainImage", kImage, {446, 118, 48, 24}, 0, evNone, 0},
    {L"MicGraduationImage", kImage, {418, 150, 34, 216}, 0, evNone, 0},
    {L"MicBarImage", kImage, {463, 150, 14, 216}, 138, evNone, 0},
    {L"MicBarDownImage", kImage, {453, 370, 34, 6}, 238, evNone, 0},
    {L"MicSliderImage", kImage, {453, 250, 34, 16}, 38, evNone, 0},
    {L"MicValueImage", kImage, {504, 242, 56, 26}, 0, evNone, 0},
    {L"Back_Virtual7p1Image", kImage, {206, 96, 603, 409}, 0, evNone, 0},
    {L"VirtualButtonLineImage1", kImage, {630, 161, 160, 2}, 0, evNone, 0},
    {L"VirtualButtonLineImage2", kImage, {630, 333, 160, 2}, 0, evNone, 0},
    {L"VirtualButtonLineImage3", kImage, {630, 383, 160, 2}, 0, evNone, 0},
    {L"VirtualEnableImage", kImage, {630, 120, 160, 30}, 47, evButton, 0},
    {L"VirtualClockwiseImage", kImage, {630, 172, 160, 30}, 49, evButton, 0},
    {L"VirtualCounterclockwiseImage", kImage, {630, 212, 160, 30}, 50, evButton, 0},
    {L"VirtualEnlargeImage", kImage, {630, 252, 160, 30}, 53, evButton, 0},
    {L"VirtualNarrowImage", kImage, {630, 292, 160, 30}, 52, evButton, 0},
    {L"VirtualResetImage", kImage, {630, 342, 160, 30}, 48, evButton, 0},
    {L"VirtualPicImage", kImage, {250, 110, 310, 310}, 0, evNone, 0},
    {L"BeeImage", kImage, {0, 0, 0, 0}, 0, evNone, 0},
    {L"VirtualCImage", kImage, {386, 151, 32, 32}, 41, evReleaseOnly, 0},
    {L"VirtualLImage", kImage, {336, 164, 32, 32}, 39, evReleaseOnly, 0},
    {L"VirtualLSImage", kImage, {287, 268, 32, 32}, 43, evReleaseOnly, 0},
    {L"VirtualLBImage", kImage, {336, 337, 32, 32}, 45, evReleaseOnly, 0},
    {L"VirtualRBImage", kImage, {436, 337, 32, 32}, 46, evReleaseOnly, 0},
    {L"VirtualRSImage", kImage, {484, 268, 32, 32}, 44, evReleaseOnly, 0},
    {L"VirtualRImage", kImage, {436, 164, 32, 32}, 40, evReleaseOnly, 0},
    {L"VirtualSUBImage", kImage, {386, 199, 32, 32}, 42, evReleaseOnly, 0},
    {L"ColorBreatheBarImage", kImage, {470, 284, 220, 12}, 238, evNone, 0},
    {L"ColorRainbowBarImage", kImage, {470, 316, 220, 12}, 239, evNone, 0},
    {L"ColorPulsatingBarImage", kImage, {470, 348, 220, 12}, 237, evNone, 0},
    {L"ColorBreatheSliderImage", kImage, {470, 278, 16, 24}, 438, evNone, 0},
    {L"ColorRainbowSliderImage", kImage, {470, 310, 16, 24}, 439, evNone, 0},
    {L"ColorPulsatingSliderImage", kImage, {470, 342, 16, 24}, 437, evNone, 0},
    {L"ColorBreatheCheckImage", kImage, {236, 280, 20, 20}, 338, evNone, 0},
    {L"ColorRainbowCheckImage", kImage, {236, 312, 20, 20}, 339, evNone, 0},
    {L"ColorPulsatingCheckImage", kImage, {236, 344, 20, 20}, 337, evNone, 0},
    {L"ColorLEDOffCheckImage", kImage, {236, 216, 20, 20}, 340, evNone, 0},
    {L"ColorSingleCheckImage", kImage, {236, 248, 20, 20}, 341, evNone, 0},
    {L"ColorPaletteImage", kImage, {0, 0, 0, 0}, 0, evNone, 0},
    {L"ColorPaletteCImage", kImage, {0, 0, 0, 0}, 0, evNone, 0},
    {L"ColorSelectImage", kImage, {0, 0, 0, 0}, 0, evNone, 0},
    {L"ENCFunctionImage", kImage, {630, 120, 160, 30}, 338, evNone, 0},
    {L"ENCBarImage", kImage, {323, 150, 14, 216}, 188, evNone, 0},
    {L"ENCSliderImage", kImage, {313, 250, 34, 16}, 88, evNone, 0},
    {L"ENCValueImage", kImage, {364, 242, 56, 26}, 0, evNone, 0},
    {L"TbxEffectNoneImage", kImage, {236, 150, 68, 68}, 0, evNone, 0},
    {L"TbxEffect1Image", kImage, {312, 150, 68, 68}, 0, evNone, 0},
    {L"TbxEffect2Image", kImage, {388, 150, 68, 68}, 0, evNone, 0},
    {L"TbxEffect3Image", kImage, {464, 150, 68, 68}, 0, evNone, 0},
    {L"TbxEffect4Image", kImage, {540, 150, 68, 68}, 0, evNone, 0},
    {L"TbxFunctionImage", kImage, {630, 120, 160, 30}, 338, evNone, 0},
    {L"Menu1Label", kLabel, {28, 363, 116, 16}, 2, evLabelButton, 0},
    {L"Menu2Label", kLabel, {28, 401, 116, 16}, 3, evLabelButton, 0},
    {L"Menu3Label", kLabel, {28, 439, 116, 16}, 4, evLabelButton, 0},
    {L"PageEQLabel", kLabel, {216, 65, 68, 16}, 23, evPageTab, 0},
    {L"Page3DLabel", kLabel, {0, 0, 0, 0}, 24, evPageTab, fHidden | fDisabled},
    {L"PageEffectLabel", kLabel, {302, 65, 68, 16}, 25, evPageTab, 0},
    {L"PageMicLabel", kLabel, {388, 65, 68, 16}, 26, evPageTab, 0},
    {L"PageVirtual7p1Label", kLabel, {474, 65, 68, 16}, 27, evPageTab, 0},
    {L"PageLEDLabel", kLabel, {732, 65, 68, 16}, 228, evPageTab, 0},
    {L"PageENCLabel", kLabel, {560, 65, 68, 16}, 227, evPageTab, 0},
    {L"PageTbxEffectLabel", kLabel, {646, 65, 68, 16}, 226, evPageTab, 0},
    {L"DeviceActiveLabel", kLabel, {586, 17, 112, 18}, 0, evNone, 0},
    {L"SyncLabel", kLabel, {200, 17, 60, 18}, 28, evLabelButton, fHidden},
    {L"SettingLabel", kLabel, {12, 246, 172, 16}, 0, evNone, 0},
    {L"SXLabel", kLabel, {12, 218, 172, 18}, 0, evNone, 0},
    {L"FeaturesLabel", kLabel, {206, 18, 300, 18}, 0, evNone, 0},
    {L"CompanyNameLabel", kLabel, {12, 488, 172, 16}, 0, evNone, 0},
    {L"DeviceInLabel", kLabel, {14, 320, 80, 16}, 54, evNone, 0},
    {L"DeviceOutLabel", kLabel, {102, 320, 80, 16}, 55, evNone, 0},
    {L"EQEQENLabel", kLabel, {640, 127, 116, 16}, 7, evLabelButton, 0},
    {L"EQ3DENLabel", kLabel, {640, 167, 116, 16}, 8, evLabelButton, 0},
    {L"EQResetLabel", kLabel, {640, 207, 116, 16}, 5, evLabelButton, 0},
    {L"EQS1Label", kLabel, {640, 259, 116, 16}, 9, evLabelButton, 0},
    {L"EQS2Label", kLabel, {640, 299, 116, 16}, 10, evLabelButton, 0},
    {L"EQS3Label", kLabel, {640, 339, 116, 16}, 11, evLabelButton, 0},
    {L"EQS4Label", kLabel, {640, 379, 116, 16}, 12, evLabelButton, 0},
    {L"EQ60HzLabel", kLabel, {270, 382, 60, 16}, 0, evNone, 0},
    {L"EQ300HzLabel", kLabel, {336, 382, 60, 16}, 0, evNone, 0},
    {L"EQ1200HzLabel", kLabel, {402, 382, 60, 16}, 0, evNone, 0},
    {L"EQ3600HzLabel", kLabel, {468, 382, 60, 16}, 0, evNone, 0},
    {L"EQ12000HzLabel", kLabel, {534, 382, 60, 16}, 0, evNone, 0},
    {L"EQ60HzValueLabel", kLabel, {0, 0, 0, 0}, 29, evNone, fHidden},
    {L"EQ300HzValueLabel", kLabel, {0, 0, 0, 0}, 30, evNone, fHidden},
    {L"EQ1200HzValueLabel", kLabel, {0, 0, 0, 0}, 31, evNone, fHidden},
    {L"EQ3600HzValueLabel", kLabel, {0, 0, 0, 0}, 32, evNone, fHidden},
    {L"EQ12000HzValueLabel", kLabel, {0, 0, 0, 0}, 33, evNone, fHidden},
    {L"D33DENLabel", kLabel, {640, 127, 116, 16}, 0, evNone, 0},
    {L"D3FBMLabel", kLabel, {640, 167, 116, 16}, 13, evLabelButton, 0},
    {L"D3ResetLabel", kLabel, {640, 207, 116, 16}, 6, evLabelButton, 0},
    {L"D3LChannelLabel", kLabel, {236, 298, 132, 16}, 0, evNone, 0},
    {L"D3RChannelLabel", kLabel, {440, 298, 132, 16}, 0, evNone, 0},
    {L"D3ConnectLabel", kLabel, {360, 298, 88, 16}, 0, evNone, 0},
    {L"D3LBetaValueLabel", kLabel, {0, 0, 0, 0}, 34, evNone, fHidden},
    {L"D3LAlphaValueLabel", kLabel, {0, 0, 0, 0}, 35, evNone, fHidden},
    {L"D3RBetaValueLabel", kLabel, {0, 0, 0, 0}, 36, evNone, fHidden},
    {L"D3RAlphaValueLabel", kLabel, {0, 0, 0, 0}, 37, evNone, fHidden},
    {L"EffectNonLabel", kLabel, {236, 129, 122, 16}, 16, evLabelButton, 0},
    {L"EffectTheaterLabel", kLabel, {236, 175, 122, 16}, 17, evLabelButton, 0},
    {L"EffectBathroomLabel", kLabel, {236, 221, 122, 16}, 18, evLabelButton, 0},
    {L"EffectLivingroomLabel", kLabel, {236, 267, 122, 16}, 19, evLabelButton, 0},
    {L"EffectStoneGalleryLabel", kLabel, {236, 313, 122, 16}, 20, evLabelButton, 0},
    {L"MicBoostLabel", kLabel, {640, 127, 116, 16}, 21, evLabelButton, 0},
    {L"MicMuteLabel", kLabel, {640, 167, 116, 16}, 22, evLabelButton, 0},
    {L"MicMonitorLabel", kLabel, {640, 207, 116, 16}, 89, evLabelButton, 0},
    {L"MicGainLabel", kLabel, {430, 382, 80, 16}, 0, evNone, 0},
    {L"MicValueLabel", kLabel, {508, 247, 48, 16}, 38, evNone, 0},
    {L"VirtualENLabel", kLabel, {640, 127, 116, 16}, 47, evLabelButton, 0},
    {L"VirtualClockwiseLabel", kLabel, {640, 179, 116, 16}, 49, evLabelButton, 0},
    {L"VirtualCounterclockwiseLabel", kLabel, {640, 219, 116, 16}, 50, evLabelButton, 0},
    {L"VirtualEnlargeLabel", kLabel, {640, 259, 116, 16}, 53, evLabelButton, 0},
    {L"VirtualNarrowLabel", kLabel, {640, 299, 116, 16}, 52, evLabelButton, 0},
    {L"VirtualResetLabel", kLabel, {640, 349, 116, 16}, 48, evLabelButton, 0},
    {L"ColorBreatheLabel", kLabel, {264, 282, 150, 16}, 0, evNone, 0},
    {L"ColorRainbowLabel", kLabel, {264, 314, 150, 16}, 0, evNone, 0},
    {L"ColorPulsatingLabel", kLabel, {264, 346, 150, 16}, 0, evNone, 0},
    {L"ColorSelectLabel", kLabel, {236, 108, 300, 16}, 0, evNone, 0},
    {L"ColorEffectLabel", kLabel, {236, 190, 200, 16}, 0, evNone, 0},
    {L"ColorLEDOffLabel", kLabel, {264, 218, 150, 16}, 0, evNone, 0},
    {L"ColorSingleLabel", kLabel, {264, 250, 150, 16}, 0, evNone, 0},
    {L"ColorSlowLabel", kLabel, {470, 194, 80, 16}, 0, evNone, 0},
    {L"ColorFastLabel", kLabel, {610, 194, 80, 16}, 0, evNone, 0},
    {L"ENCFunctionLabel", kLabel, {640, 127, 116, 16}, 0, evNone, 0},
    {L"ENCValueLabel", kLabel, {368, 247, 48, 16}, 38, evNone, 0},
    {L"TbxEffectNoneLabel", kLabel, {232, 226, 76, 16}, 0, evNone, 0},
    {L"TbxEffect1Label", kLabel, {308, 226, 76, 16}, 0, evNone, 0},
    {L"TbxEffect2Label", kLabel, {384, 226, 76, 16}, 0, evNone, 0},
    {L"TbxEffect3Label", kLabel, {460, 226, 76, 16}, 0, evNone, 0},
    {L"TbxEffect4Label", kLabel, {536, 226, 76, 16}, 0, evNone, 0},
    {L"TbxFunctionLabel", kLabel, {640, 127, 116, 16}, 0, evNone, 0},
    {L"Color01Shape", kShape, {236, 130, 32, 32}, 151, evNone, 0},
    {L"Color02Shape", kShape, {278, 130, 32, 32}, 152, evNone, 0},
    {L"Color03Shape", kShape, {320, 130, 32, 32}, 153, evNone, 0},
    {L"Color04Shape", kShape, {362, 130, 32, 32}, 154, evNone, 0},
    {L"Color05Shape", kShape, {404, 130, 32, 32}, 155, evNone, 0},
    {L"Color06Shape", kShape, {446, 130, 32, 32}, 156, evNone, 0},
    {L"Color07Shape", kShape, {488, 130, 32, 32}, 157, evNone, 0},
    {L"Color08Shape", kShape, {530, 130, 32, 32}, 158, evNone, fHidden},
    {L"Color09Shape", kShape, {572, 130, 32, 32}, 159, evNone, fHidden},
    {L"Color10Shape", kShape, {614, 130, 32, 32}, 160, evNone, fHidden},
    {L"ColorBreatheShape", kShape, {420, 276, 28, 28}, 183, evNone, 0},
    {L"ColorSingleShape", kShape, {420, 244, 28, 28}, 184, evNone, 0},
    {L"ColorPaletteShape", kShape, {236, 380, 200, 20}, 190, evNone, fHidden},
    {L"ColorSelectShape", kShape, {446, 380, 20, 20}, 190, evNone, fHidden},
    {L"Bevel1", kBevel, {196, 52, 2, 453}, 0, evNone, fHidden},
    {L"Bevel2", kBevel, {0, 0, 2, 30}, 0, evNone, fHidden},
    {L"Bevel3", kBevel, {0, 0, 2, 30}, 0, evNone, fHidden},
    {L"Bevel4", kBevel, {0, 0, 2, 30}, 0, evNone, fHidden},
    {L"Bevel5", kBevel, {0, 0, 2, 30}, 0, evNone, fHidden},
    {L"Bevel6", kBevel, {0, 0, 2, 30}, 0, evNone, fHidden},
    {L"Bevel7", kBevel, {0, 0, 2, 30}, 0, evNone, fHidden},
};

// Controls with OnClick handlers of their own.
struct ClickRow {
    const wchar_t* name;
    void (TAudioMainForm::*handler)(ui::TObject*);
};
const ClickRow kClicks[] = {
    {L"CloseImage", &TAudioMainForm::CloseImageClick},
    {L"MinimizeImage", &TAudioMainForm::MinimizeImageClick},
    {L"EQResetImage", &TAudioMainForm::EQResetImageClick},
    {L"EQResetLabel", &TAudioMainForm::EQResetLabelClick},
    {L"D3ResetImage", &TAudioMainForm::D3ResetImageClick},
    {L"D3ResetLabel", &TAudioMainForm::D3ResetLabelClick},
    {L"VirtualResetImage", &TAudioMainForm::VirtualResetImageClick},
    {L"VirtualResetLabel", &TAudioMainForm::VirtualResetLabelClick},
    {L"PageLEDImage", &TAudioMainForm::PageLEDClick},
    {L"PageLEDLabel", &TAudioMainForm::PageLEDLabelClick},
    {L"ENCFunctionImage", &TAudioMainForm::ENCFunctionImageClick},
    {L"ENCFunctionLabel", &TAudioMainForm::ENCFunctionImageClick},
    {L"TbxFunctionImage", &TAudioMainForm::TbxFunctionImageClick},
    {L"TbxFunctionLabel", &TAudioMainForm::TbxFunctionImageClick},
    {L"TbxEffectNoneImage", &TAudioMainForm::TbxEffectNoneImageClick},
    {L"TbxEffectNoneLabel", &TAudioMainForm::TbxEffectNoneImageClick},
    {L"TbxEffect1Image", &TAudioMainForm::TbxEffect1ImageClick},
    {L"TbxEffect1Label", &TAudioMainForm::TbxEffect1ImageClick},
    {L"TbxEffect2Image", &TAudioMainForm::TbxEffect2ImageClick},
    {L"TbxEffect2Label", &TAudioMainForm::TbxEffect2ImageClick},
    {L"TbxEffect3Image", &TAudioMainForm::TbxEffect3ImageClick},
    {L"TbxEffect3Label", &TAudioMainForm::TbxEffect3ImageClick},
    {L"TbxEffect4Image", &TAudioMainForm::TbxEffect4ImageClick},
    {L"TbxEffect4Label", &TAudioMainForm::TbxEffect4ImageClick},
};

// Pictures of the window's background: a press on them drags the window.
const wchar_t* const kDragAreas[] = {L"MainFormImage", L"MainLeftImage", L"DeviceActiveImage", L"LogoImage"};

struct TimerRow {
    ui::TTimer* TAudioMainForm::*member;
    const wchar_t* name;
    unsigned interval;
    bool enabled;
    void (TAudioMainForm::*handler)(ui::TObject*);
};
const TimerRow kTimers[] = {
    {&TAudioMainForm::Timer, L"Timer", 20, true, &TAudioMainForm::TimerTimer},
    {&TAudioMainForm::Timer1, L"Timer1", 2000, true, &TAudioMainForm::Timer1Timer},
    {&TAudioMainForm::BeeTimer, L"BeeTimer", 10, false, &TAudioMainForm::BeeTimerTimer},
    {&TAudioMainForm::BeePlayTimer, L"BeePlayTimer", 100, false, &TAudioMainForm::BeePlayTimerTimer},
};

}  // namespace

void TAudioMainForm::BuildComponents() {
    using namespace std::placeholders;
    for (const ControlRow& row : kControls) {
        ui::TControl* control = nullptr;
        switch (row.kind) {
        case kImage: control = new ui::TImage(this); break;
        case kLabel: {
            auto* label = new ui::TLabel(this);
            label->SetTransparent(true);
            control = label;
            break;
        }
        case kShape: control = new ui::TShape(this); break;
        case kBevel: control = new ui::TBevel(this); break;
        }
        control->SetName(row.name);
        control->SetTag(row.tag);
        control->SetParent(this);
        control->SetBounds(row.bounds.left, row.bounds.top, row.bounds.right, row.bounds.bottom);
        if (row.flags & fHidden) control->SetVisible(false);
        if (row.flags & fDisabled) control->SetEnabled(false);
        switch (row.events) {
        case evButton:
            control->OnMouseDown = std::bind(&TAudioMainForm::OnImageMouseDown, this, _1, _2, _3, _4, _5);
            control->OnMouseUp = std::bind(&TAudioMainForm::OnImageMouseUp, this, _1, _2, _3, _4, _5);
            break;
        case evReleaseOnly:
            control->OnMouseUp = std::bind(&TAudioMainForm::OnImageMouseUp, this, _1, _2, _3, _4, _5);
            break;
        case evLabelButton:
            control->OnMouseDown = std::bind(&TAudioMainForm::OnLabelMouseDown, this, _1, _2, _3, _4, _5);
            control->OnMouseUp = std::bind(&TAudioMainForm::OnLabelMouseUp, this, _1, _2, _3, _4, _5);
            break;
        case evPageTab:
            control->OnMouseDown = std::bind(&TAudioMainForm::OnLabelPageMouseDown, this, _1, _2, _3, _4, _5);
            break;
        case evNone: break;
        }
        m_Controls[row.name] = control;
    }
    for (const ClickRow& row : kClicks) {
        m_Controls.at(row.name)->OnClick = std::bind(row.handler, this, _1);
    }
    WireLightingControls();
    // The ENC level slider's own press, move and release.
    ui::TControl* encSlider = m_Controls.at(L"ENCSliderImage");
    encSlider->OnMouseDown = std::bind(&TAudioMainForm::ENCSliderImageMouseDown, this, _1, _2, _3, _4, _5);
    encSlider->OnMouseMove = std::bind(&TAudioMainForm::ENCSliderImageMouseMove, this, _1, _2, _3, _4);
    encSlider->OnMouseUp = std::bind(&TAudioMainForm::ENCSliderImageMouseUp, this, _1, _2, _3, _4, _5);
    // A press on the window's background drags the window.
    OnMouseDown = std::bind(&TAudioMainForm::FormMouseDown, this, _1, _2, _3, _4, _5);
    for (const wchar_t* name : kDragAreas) m_Controls.at(name)->OnMouseDown = OnMouseDown;

    for (const TimerRow& row : kTimers) {
        ui::TTimer* timer = new ui::TTimer(this);
        timer->SetName(row.name);
        timer->SetInterval(row.interval);
        timer->SetEnabled(row.enabled);
        timer->SetOnTimer(std::bind(row.handler, this, _1));
        this->*row.member = timer;
    }

    ImageList = new ui::TImageList(this);
    ImageList->SetName(L"ImageList");
    PopupMenu = new ui::TPopupMenu(this);
    PopupMenu->SetName(L"PopupMenu");
    struct MenuRow {
        ui::TMenuItem* TAudioMainForm::*member;
        const wchar_t* name;
        const wchar_t* caption;
    };
    const MenuRow menus[] = {{&TAudioMainForm::LanguageMenu, L"LanguageMenu", L"Language"},
                             {&TAudioMainForm::SkinMenu, L"SkinMenu", L"Skin"},
                             {&TAudioMainForm::ModeMenu, L"ModeMenu", L"Plugin"},
                             {&TAudioMainForm::CloseMenu, L"CloseMenu", L"Close"}};
    for (const MenuRow& row : menus) {
        auto* item = new ui::TMenuItem(this);
        item->SetName(row.name);
        item->SetCaption(row.caption);
        PopupMenu->Items().Add(item);
        this->*row.member = item;
    }
    CloseMenu->OnClick = std::bind(&TAudioMainForm::CloseMenuClick, this, _1);

    CTrayIcon = new ui::TCTrayIcon(this);
    CTrayIcon->SetName(L"CTrayIcon");
    CTrayIcon->SetIcons(ImageList);
    CTrayIcon->SetRestoreOn(ui::imDoubleClick);
    CTrayIcon->SetPopupMenuOn(ui::imRightClickUp);
    CTrayIcon->SetPopupMenu(PopupMenu);
    CTrayIcon->SetHide(true);
    CTrayIcon->SetVisible(true);
    CTrayIcon->OnRestore = std::bind(&TAudioMainForm::CTrayIconRestore, this, _1);

    MediaPlayer = new ui::TMediaPlayer(this);
    MediaPlayer->SetName(L"MediaPlayer");
    SaveDialog = new ui::TSaveDialog(this);
    SaveDialog->SetName(L"SaveDialog");
    SaveDialog->SetFileName(L"AudioSetting.ini");
    SaveDialog->SetFilter(L"INI (*.ini)|*.ini");
    OpenDialog = new ui::TOpenDialog(this);
    OpenDialog->SetName(L"OpenDialog");
    OpenDialog->SetFilter(L"INI (*.ini)|*.ini");
    ColorDialog = new ui::TColorDialog(this);
    ColorDialog->SetName(L"ColorDialog");

    DirectoryListBox = new ui::TDirectoryListBox(this);
    DirectoryListBox->SetName(L"DirectoryListBox");
    DirectoryListBox->SetVisible(false);
    DirectoryListBox->SetParent(this);
    ListBoxLanguageMap = new ui::TListBox(this);
    ListBoxLanguageMap->SetName(L"ListBoxLanguageMap");
    ListBoxLanguageMap->SetVisible(false);
    ListBoxLanguageMap->SetParent(this);
    ListenToDeviceCheckBox = new ui::TCheckBox(this);
    ListenToDeviceCheckBox->SetName(L"ListenToDeviceCheckBox");
    ListenToDeviceCheckBox->SetCaption(L"ListenToDevice");
    ListenToDeviceCheckBox->SetVisible(false);
    ListenToDeviceCheckBox->SetEnabled(false);
    ListenToDeviceCheckBox->SetBounds(720, 470, 90, 17);
    ListenToDeviceCheckBox->SetParent(this);
    ListenToDeviceCheckBox->OnClick = std::bind(&TAudioMainForm::ListenToDeviceCheckBoxClick, this, _1);
    BeeCheckBox = new ui::TCheckBox(this);
    BeeCheckBox->SetName(L"BeeCheckBox");
    BeeCheckBox->SetCaption(L"Bee");
    BeeCheckBox->SetVisible(false);
    BeeCheckBox->SetBounds(630, 400, 60, 17);
    BeeCheckBox->SetParent(this);
    BeeCheckBox->OnClick = std::bind(&TAudioMainForm::BeeCheckBoxClick, this, _1);
    LoadBeePicture();
}

ui::TImage* TAudioMainForm::Image(const wchar_t* name) const {
    auto it = m_Controls.find(name);
    return it == m_Controls.end() ? nullptr : dynamic_cast<ui::TImage*>(it->second);
}

ui::TLabel* TAudioMainForm::Label(const wchar_t* name) const {
    auto it = m_Controls.find(name);
    return it == m_Controls.end() ? nullptr : dynamic_cast<ui::TLabel*>(it->second);
}

ui::TShape* TAudioMainForm::Shape(const wchar_t* name) const {
    auto it = m_Controls.find(name);
    return it == m_Controls.end() ? nullptr : dynamic_cast<ui::TShape*>(it->second);
}

ui::TBevel* TAudioMainForm::Bevel(const wchar_t* name) const {
    auto it = m_Controls.find(name);
    return it == m_Controls.end() ? nullptr : dynamic_cast<ui::TBevel*>(it->second);
}
