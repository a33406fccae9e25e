// SkinSetting.ini: one record per image key, the geometry of the slider
// tracks and the 7.1 circle, the tab separators and the lighting shapes.
#include <cstring>
#include <cwchar>
#include <vector>

#include "panel/AudioMainForm.h"
#include "panel/skin/SkinPictures.h"
#include "shared/DebugTrace.h"

namespace {

using F = TAudioMainForm;

// ---------------------------------------------------------------- image keys, by section and reading order
const wchar_t* const kMainImages[] = {
    L"MainFormImage",  L"CloseImageUp",      L"CloseImageDown",      L"MinimizeImageUp",       L"MinimizeImageDown",
    L"DeviceActiveImage", L"Menu1ImageUp",   L"Menu1ImageDown",      L"Menu2ImageUp",          L"Menu2ImageDown",
    L"Menu3ImageUp",   L"Menu3ImageDown",    L"LogoImage",           L"LedImageUp",            L"LedImageDown",
    L"MainLeftImage1", L"MainLeftImage2",    L"MainLeftImage3",      L"MainLeftImage4",        L"DeviceActiveUpImage",
    L"DeviceActiveDownImage", L"DeviceUnActiveUpImage", L"DeviceUnActiveDownImage"};
const wchar_t* const kTabImages[] = {
    L"PageEQUpImage",   L"PageEffectUpImage",   L"PageMicUpImage",   L"PageVirtual7p1UpImage",
    L"PageEQDownImage", L"PageEffectDownImage", L"PageMicDownImage", L"PageVirtual7p1DownImage",
    L"PageLEDUpImage",  L"PageLEDDownImage",    L"PageENCUpImage",   L"PageENCDownImage",
    L"PageTbxEffectUpImage", L"PageTbxEffectDownImage"};
const wchar_t* const kEQImages[] = {
    L"Back_EQImage",      L"EQEQENImageUp",      L"EQEQENImageDown",     L"EQ3DENImageUp",       L"EQ3DENImageDown",
    L"EQResetImageUp",    L"EQResetImageDown",   L"EQS1ImageUp",         L"EQS1ImageDown",       L"EQS2ImageUp",
    L"EQS2ImageDown",     L"EQS3ImageUp",        L"EQS3ImageDown",       L"EQS4ImageUp",         L"EQS4ImageDown",
    L"EQButtonLineImage1", L"EQButtonLineImage2", L"EQButtonLineImage3", L"EQButtonLineImage4", L"EQButtonLineImage5",
    L"EQGraduationImage", L"EQ60HzBarImage",     L"EQ300HzBarImage",     L"EQ1200HzBarImage",    L"EQ3600HzBarImage",
    L"EQ12000HzBarImage", L"EQ60HzSliderImage",  L"EQ300HzSliderImage",  L"EQ1200HzSliderImage", L"EQ3600HzSliderImage",
    L"EQ12000HzSliderImage"};
// Shown on every page unless their value names one.
const wchar_t* const kEQBarDownImages[] = {L"EQ60HzBarDownImage", L"EQ300HzBarDownImage", L"EQ1200HzBarDownImage",
                                           L"EQ3600HzBarDownImage", L"EQ12000HzBarDownImage"};
const wchar_t* const k3DImages[] = {
    L"Back_3DImage",       L"D33DENImageUp",          L"D33DENImageDown",         L"D3FBMImageUp",
    L"D3FBMImageDown",     L"D3ResetImageUp",         L"D3ResetImageDown",        L"D3LChannelImage",
    L"D3RChannelImage",    L"D3ConnectionImage",      L"D3AlphaIndepImage",       L"D3AlphaDepImage",
    L"D3AlphaInvImage",    L"D3BetaIndepImage",       L"D3BetaDepImage",          L"D3BetaInvImage",
    L"D3ButtonLineImage1", L"D3ButtonLineImage2",     L"D3LAlphaGraduationImage", L"D3LBetaGraduationImage",
    L"D3RAlphaGraduationImage", L"D3RBetaGraduationImage", L"D3LAlphaBarImage",   L"D3LBetaBarImage",
    L"D3RAlphaBarImage",   L"D3RBetaBarImage",        L"D3LAlphaSliderImage",     L"D3LBetaSliderImage",
    L"D3RAlphaSliderImage", L"D3RBetaSliderImage"};
const wchar_t* const kEffectImages[] = {
    L"Back_EffectImage",           L"EffectButtonNonImageUp",          L"EffectButtonNonImageDown",
    L"EffectButtonTheaterImageUp", L"EffectButtonTheaterImageDown",    L"EffectButtonBathroomImageUp",
    L"EffectButtonBathroomImageDown", L"EffectButtonLivingroomImageUp", L"EffectButtonLivingroomImageDown",
    L"EffectButtonStoneGalleryImageUp", L"EffectButtonStoneGalleryImageDown", L"EffectButtonLineImage1",
    L"EffectButtonLineImage2",     L"EffectButtonLineImage3",          L"EffectButtonLineImage4",
    L"EffectPicNonImage",          L"EffectPicTheaterImage",           L"EffectPicBathroomImage",
    L"EffectPicLivingroomImage",   L"EffectPicStoneGalleryImage"};
// Read and kept; no control shows them.
const wchar_t* const kEffectReservedImages[] = {
    L"EffectNonUpImage",        L"EffectNonDownImage",          L"EffectTheaterUpImage",
    L"EffectTheaterDownImage",  L"EffectStoneGalleryUpImage",   L"EffectStoneGalleryDownImage",
    L"EffectLivingroomUpImage", L"EffectLivingroomDownImage",   L"EffectBathroomUpImage",
    L"EffectBathroomDownImage"};
const wchar_t* const kMicImages[] = {
    L"Back_MicImage",     L"MicBoostImageUp",   L"MicBoostImageDown", L"MicMuteImageUp",     L"MicMuteImageDown",
    L"MicMonitorImageUp", L"MicMonitorImageDown", L"MicButtonLineImage", L"MicPicImage",     L"MicProgressImage",
    L"MicGainImage",      L"MicGraduationImage", L"MicBarImage",      L"MicSliderImage",     L"MicValueImage"};
const wchar_t* const kMicBarDownImages[] = {L"MicBarDownImage"};
const wchar_t* const kVirtualImages[] = {
    L"Back_Virtual7p1Image",         L"VirtualEnableImageUp",          L"VirtualEnableImageDown",
    L"VirtualDisableImageUp",        L"VirtualDisableImageDown",       L"VirtualClockwiseUpImage",
    L"VirtualClockwiseDownImage",    L"VirtualCounterclockwiseUpImage", L"VirtualCounterclockwiseDownImage",
    L"VirtualEnlargeUpImage",        L"VirtualEnlargeDownImage",       L"VirtualNarrowUpImage",
    L"VirtualNarrowDownImage",       L"VirtualResetUpImage",           L"VirtualResetDownImage",
    L"VirtualPicImage",              L"VirtualCImage",                 L"VirtualLImage",
    L"VirtualLSImage",               L"VirtualLBImage",                L"VirtualRBImage",
    L"VirtualRSImage",               L"VirtualRImage",                 L"VirtualSUBImage"};
const wchar_t* const kVirtualLineImages[] = {L"VirtualButtonLineImage1", L"VirtualButtonLineImage2",
                                             L"VirtualButtonLineImage3"};
const wchar_t* const kAboutImages[] = {L"LogoImage"};
const wchar_t* const kLEDImages[] = {
    L"ColorBreatheBarImage",        L"ColorRainbowBarImage",         L"ColorPulsatingBarImage",
    L"ColorBreatheSliderUpImage",   L"ColorBreatheSliderDownImage",  L"ColorRainbowSliderUpImage",
    L"ColorRainbowSliderDownImage", L"ColorPulsatingSliderUpImage",  L"ColorPulsatingSliderDownImage",
    L"ColorBreatheCheckUpImage",    L"ColorBreatheCheckDownImage",   L"ColorRainbowCheckUpImage",
    L"ColorRainbowCheckDownImage",  L"ColorPulsatingCheckUpImage",   L"ColorPulsatingCheckDownImage",
    L"ColorLEDOffCheckUpImage",     L"ColorLEDOffCheckDownImage",    L"ColorSingleCheckUpImage",
    L"ColorSingleCheckDownImage"};
const wchar_t* const kENCImages[] = {L"ENCFunctionUpImage", L"ENCFunctionDownImage", L"ENCBarImage",
                                     L"ENCSliderImage", L"ENCValueImage"};
const wchar_t* const kTimbrexImages[] = {
    L"TbxEffectNoneUpImage", L"TbxEffectNoneDownImage", L"TbxEffect1UpImage", L"TbxEffect1DownImage",
    L"TbxEffect2UpImage",    L"TbxEffect2DownImage",    L"TbxEffect3UpImage", L"TbxEffect3DownImage",
    L"TbxEffect4UpImage",    L"TbxEffect4DownImage",    L"TbxFunctionUpImage", L"TbxFunctionDownImage"};
// Records that no key fills: they stay empty, so their controls stay hidden.
const wchar_t* const kAlwaysEmpty[] = {L"MainLeftImage6", L"MainLeftImage7", L"MainLeftImage8",
                                       L"ColorPaletteImage", L"ColorPaletteCImage", L"ColorSelectImage"};

// ---------------------------------------------------------------- the reading order
enum StepKind {
    kImages,             // image keys of the list, with the page given
    kEQSlider,           // top,height of the band sliders (and the 3D sliders' height)
    kMicSlider,          // top,height of the gain slider
    kMicProgressLength,  // full width of the level bar
    kENCSlider,          // top,height of the ENC slider
    kVirtualCenter,      // x,y,r of the 7.1 circle
    kReserved,           // read, no effect
    kBevels,             // BevelLine, BevelLine2, BevelLine3, then the tab separators
    kLEDPageMode,        // from the skin's root file
    kLEDFastRightSide,   // from the skin's root file
    kLEDColours,         // the lighting colours' defaults
    kShapes,             // the nine lighting shapes, from the skin's root file
};
struct SkinStep {
    StepKind kind;
    const wchar_t* section;
    const wchar_t* key;  // the numeric key; null for image lists
    const wchar_t* const* images;
    size_t count;
    int page;  // of the images
};
template <size_t N>
constexpr SkinStep Images(const wchar_t* section, const wchar_t* const (&keys)[N], int page) {
    return SkinStep{kImages, section, nullptr, keys, N, page};
}
constexpr SkinStep Key(StepKind kind, const wchar_t* section, const wchar_t* key) {
    return SkinStep{kind, section, key, nullptr, 0, 0};
}
const SkinStep kSkinSteps[] = {
    Images(L"Main", kMainImages, 0),
    Images(L"EQ", kEQImages, 1),
    Images(L"EQ", kEQBarDownImages, 0),
    Key(kEQSlider, L"EQ", L"EQSlider"),
    Images(L"3D", k3DImages, 5),
    Images(L"Effect", kEffectImages, 2),
    Key(kReserved, L"Effect", L"EffectPanel"),
    Images(L"Effect", kEffectReservedImages, 2),
    Images(L"Mic", kMicImages, 3),
    Images(L"Mic", kMicBarDownImages, 0),
    Key(kReserved, L"Mic", L"MicPanel"),
    Key(kMicSlider, L"Mic", L"MicSlider"),
    Key(kMicProgressLength, L"Mic", L"MicProgressLength"),
    Images(L"Virtual7ch1", kVirtualImages, 4),
    Key(kReserved, L"Virtual7ch1", L"VirtualPanel"),
    Images(L"Virtual7ch1", kVirtualLineImages, 4),
    Key(kVirtualCenter, L"Virtual7ch1", L"VirtualCenter"),
    Images(L"About", kAboutImages, 0),
    Images(L"Main", kTabImages, 0),
    Key(kBevels, L"Main", nullptr),
    Key(kLEDPageMode, L"LED", L"LEDPageMode"),
    Key(kLEDFastRightSide, L"LED", L"LEDFastRightSide"),
    Key(kLEDColours, L"LED", nullptr),
    Images(L"LED", kLEDImages, 6),
    Key(kShapes, L"LED", nullptr),
    Images(L"ENC", kENCImages, 7),
    Key(kENCSlider, L"ENC", L"ENCSlider"),
    Images(L"Timbrex", kTimbrexImages, 8),
};

// The lighting shapes and the colour each one shows (index into m_LEDColor:
// single, breathe, slots 1 to 7).
struct ShapeColour {
    const wchar_t* shape;
    size_t colour;
};
const ShapeColour kLightingShapes[] = {{L"Color01Shape", 2}, {L"Color02Shape", 3},    {L"Color03Shape", 4},
                                       {L"Color04Shape", 5}, {L"Color05Shape", 6},    {L"Color06Shape", 7},
                                       {L"Color07Shape", 8}, {L"ColorSingleShape", 0}, {L"ColorBreatheShape", 1}};
// Red, red, then red, yellow, green, blue, fuchsia, purple, lime.
const ui::TColor kDefaultLEDColours[9] = {0x0000FF, 0x0000FF, 0x0000FF, 0x00FFFF, 0x008000,
                                          0xFF0000, 0xFF00FF, 0x800080, 0x00FF00};

// Lenient number of an image value: blanks and a sign, then decimal digits
// up to the first other character; no digits give 0.
int Lenient(const std::wstring& text) { return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10)); }

// Leading decimal digits (none give 0), as the window-region switch reads them.
int LeadingDigits(const std::wstring& text) {
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9' || value > 100000000) break;
        value = value * 10 + (c - L'0');
    }
    return value;
}

// The record name of an image key ([About] LogoImage has one of its own).
std::wstring RecordName(const wchar_t* section, const wchar_t* key) {
    return std::wcscmp(section, L"About") == 0 ? std::wstring(L"About.") + key : std::wstring(key);
}

// ---------------------------------------------------------------- applying: image controls and their records
enum Choice {
    kOne,        // always the up record
    kWhenSet,    // the down record while the member is not 0
    kWhenEqual,  // the down record while the member equals value
    kEffectPic,  // the picture of the effect in use
    kLinkAlpha,  // the 3D link-mode pictures
    kLinkBeta,
    kProgress,   // the level bar, always starting empty
    kTab,        // a page tab (value = its page)
    kLEDSkin,    // the lighting page's shapes and pictures
};
struct ImageRow {
    const wchar_t* control;
    const wchar_t* up;
    const wchar_t* down;
    Choice choice;
    int TAudioMainForm::*state;
    int value;
};
constexpr ImageRow One(const wchar_t* control, const wchar_t* key) { return {control, key, nullptr, kOne, nullptr, 0}; }
constexpr ImageRow Same(const wchar_t* control) { return {control, control, nullptr, kOne, nullptr, 0}; }
constexpr ImageRow Set(const wchar_t* control, const wchar_t* up, const wchar_t* down, int TAudioMainForm::*state) {
    return {control, up, down, kWhenSet, state, 0};
}
constexpr ImageRow Equal(const wchar_t* control, const wchar_t* up, const wchar_t* down, int TAudioMainForm::*state,
                         int value) {
    return {control, up, down, kWhenEqual, state, value};
}
constexpr ImageRow Tab(const wchar_t* control, const wchar_t* up, const wchar_t* down, int page) {
    return {control, up, down, kTab, nullptr, page};
}
constexpr ImageRow Special(const wchar_t* control, Choice choice) {
    return {control, nullptr, nullptr, choice, nullptr, 0};
}
const ImageRow kImageRows[] = {
    Same(L"MainFormImage"),
    One(L"CloseImage", L"CloseImageUp"),
    One(L"MinimizeImage", L"MinimizeImageUp"),
    Same(L"DeviceActiveImage"),
    One(L"Menu1Image", L"Menu1ImageUp"),
    One(L"Menu2Image", L"Menu2ImageUp"),
    One(L"Menu3Image", L"Menu3ImageUp"),
    Same(L"LogoImage"),
    Set(L"LEDImage", L"LedImageUp", L"LedImageDown", &F::m_bLEDOn),
    Same(L"Back_EQImage"),
    Set(L"EQEQENImage", L"EQEQENImageUp", L"EQEQENImageDown", &F::m_bEQEnable),
    Set(L"EQ3DENImage", L"EQ3DENImageUp", L"EQ3DENImageDown", &F::m_b3DEnable),
    One(L"EQResetImage", L"EQResetImageUp"),
    Equal(L"EQS1Image", L"EQS1ImageUp", L"EQS1ImageDown", &F::m_iEQPreset, 1),
    Equal(L"EQS2Image", L"EQS2ImageUp", L"EQS2ImageDown", &F::m_iEQPreset, 2),
    Equal(L"EQS3Image", L"EQS3ImageUp", L"EQS3ImageDown", &F::m_iEQPreset, 3),
    Equal(L"EQS4Image", L"EQS4ImageUp", L"EQS4ImageDown", &F::m_iEQPreset, 4),
    Same(L"EQButtonLineImage1"), Same(L"EQButtonLineImage2"), Same(L"EQButtonLineImage3"),
    Same(L"EQButtonLineImage4"), Same(L"EQButtonLineImage5"), Same(L"EQGraduationImage"),
    Same(L"EQ60HzBarImage"), Same(L"EQ300HzBarImage"), Same(L"EQ1200HzBarImage"),
    Same(L"EQ3600HzBarImage"), Same(L"EQ12000HzBarImage"),
    Same(L"EQ60HzSliderImage"), Same(L"EQ300HzSliderImage"), Same(L"EQ1200HzSliderImage"),
    Same(L"EQ3600HzSliderImage"), Same(L"EQ12000HzSliderImage"),
    Same(L"EQ60HzBarDownImage"), Same(L"EQ300HzBarDownImage"), Same(L"EQ1200HzBarDownImage"),
    Same(L"EQ3600HzBarDownImage"), Same(L"EQ12000HzBarDownImage"),
    Same(L"Back_3DImage"),
    Set(L"D33DENImage", L"D33DENImageUp", L"D33DENImageDown", &F::m_b3DEnable),
    Set(L"D3FBMImage", L"D3FBMImageUp", L"D3FBMImageDown", &F::m_bFBM),
    One(L"D3ResetImage", L"D3ResetImageUp"),
    Same(L"D3LChannelImage"), Same(L"D3RChannelImage"), Same(L"D3ConnectionImage"),
    Special(L"D3AlphaImage", kLinkAlpha),
    Special(L"D3BetaImage", kLinkBeta),
    Same(L"D3ButtonLineImage1"), Same(L"D3ButtonLineImage2"),
    Same(L"D3LAlphaGraduationImage"), Same(L"D3LBetaGraduationImage"),
    Same(L"D3RAlphaGraduationImage"), Same(L"D3RBetaGraduationImage"),
    Same(L"D3LAlphaBarImage"), Same(L"D3LBetaBarImage"), Same(L"D3RAlphaBarImage"), Same(L"D3RBetaBarImage"),
    Same(L"D3LAlphaSliderImage"), Same(L"D3LBetaSliderImage"), Same(L"D3RAlphaSliderImage"),
    Same(L"D3RBetaSliderImage"),
    Same(L"Back_EffectImage"),
    Equal(L"EffectButtonNonImage", L"EffectButtonNonImageUp", L"EffectButtonNonImageDown", &F::m_iEffect, 1),
    Equal(L"EffectButtonTheaterImage", L"EffectButtonTheaterImageUp", L"EffectButtonTheaterImageDown", &F::m_iEffect,
          2),
    Equal(L"EffectButtonBathroomImage", L"EffectButtonBathroomImageUp", L"EffectButtonBathroomImageDown",
          &F::m_iEffect, 3),
    Equal(L"EffectButtonLivingroomImage", L"EffectButtonLivingroomImageUp", L"EffectButtonLivingroomImageDown",
          &F::m_iEffect, 4),
    Equal(L"EffectButtonStoneGalleryImage", L"EffectButtonStoneGalleryImageUp",
          L"EffectButtonStoneGalleryImageDown", &F::m_iEffect, 5),
    Same(L"EffectButtonLineImage1"), Same(L"EffectButtonLineImage2"), Same(L"EffectButtonLineImage3"),
    Same(L"EffectButtonLineImage4"),
    Special(L"EffectPicImage", kEffectPic),
    Same(L"Back_MicImage"),
    Set(L"MicBoostImage", L"MicBoostImageUp", L"MicBoostImageDown", &F::m_bMicBoost),
    Set(L"MicMuteImage", L"MicMuteImageUp", L"MicMuteImageDown", &F::m_bMicMute),
    Set(L"MicMonitorImage", L"MicMonitorImageUp", L"MicMonitorImageDown", &F::m_bMicMonitor),
    Same(L"MicButtonLineImage"), Same(L"MicPicImage"),
    Special(L"MicProgressImage", kProgress),
    Same(L"MicGainImage"), Same(L"MicGraduationImage"), Same(L"MicBarImage"), Same(L"MicSliderImage"),
    Same(L"MicValueImage"), Same(L"MicBarDownImage"),
    Same(L"Back_Virtual7p1Image"),
    Same(L"VirtualButtonLineImage1"), Same(L"VirtualButtonLineImage2"), Same(L"VirtualButtonLineImage3"),
    Set(L"VirtualEnableImage", L"VirtualEnableImageUp", L"VirtualEnableImageDown", &F::m_b7ch1Enable),
    Set(L"VirtualClockwiseImage", L"VirtualClockwiseUpImage", L"VirtualClockwiseDownImage", &F::m_bRotateCW),
    Set(L"VirtualCounterclockwiseImage", L"VirtualCounterclockwiseUpImage", L"VirtualCounterclockwiseDownImage",
        &F::m_bRotateCCW),
    Set(L"VirtualEnlargeImage", L"VirtualEnlargeUpImage", L"VirtualEnlargeDownImage", &F::m_bEnlarge),
    Set(L"VirtualNarrowImage", L"VirtualNarrowUpImage", L"VirtualNarrowDownImage", &F::m_bNarrow),
    One(L"VirtualResetImage", L"VirtualResetUpImage"),
    Same(L"VirtualPicImage"),
    Same(L"VirtualCImage"), Same(L"VirtualLImage"), Same(L"VirtualLSImage"), Same(L"VirtualLBImage"),
    Same(L"VirtualRBImage"), Same(L"VirtualRSImage"), Same(L"VirtualRImage"), Same(L"VirtualSUBImage"),
    Tab(L"PageEQImage", L"PageEQUpImage", L"PageEQDownImage", 1),
    Tab(L"PageEffectImage", L"PageEffectUpImage", L"PageEffectDownImage", 2),
    Tab(L"PageMicImage", L"PageMicUpImage", L"PageMicDownImage", 3),
    Tab(L"PageVirtual7p1Image", L"PageVirtual7p1UpImage", L"PageVirtual7p1DownImage", 4),
    Tab(L"PageLEDImage", L"PageLEDUpImage", L"PageLEDDownImage", 6),
    Special(nullptr, kLEDSkin),
    Tab(L"PageENCImage", L"PageENCUpImage", L"PageENCDownImage", 7),
    Tab(L"PageTbxEffectImage", L"PageTbxEffectUpImage", L"PageTbxEffectDownImage", 8),
    One(L"ENCFunctionImage", L"ENCFunctionUpImage"),
    Same(L"ENCValueImage"),
    One(L"TbxEffectNoneImage", L"TbxEffectNoneUpImage"),
    Same(L"ENCBarImage"), Same(L"ENCSliderImage"),
    One(L"TbxEffect1Image", L"TbxEffect1UpImage"),
    One(L"TbxEffect2Image", L"TbxEffect2UpImage"),
    One(L"TbxEffect3Image", L"TbxEffect3UpImage"),
    One(L"TbxEffect4Image", L"TbxEffect4UpImage"),
    One(L"TbxFunctionImage", L"TbxFunctionUpImage"),
};

const wchar_t* const kEffectPictures[] = {L"EffectPicNonImage", L"EffectPicTheaterImage", L"EffectPicBathroomImage",
                                          L"EffectPicLivingroomImage", L"EffectPicStoneGalleryImage"};
// By link mode -1 to 2.
const wchar_t* const kAlphaPictures[] = {L"D3AlphaIndepImage", L"D3AlphaIndepImage", L"D3AlphaDepImage",
                                         L"D3AlphaInvImage"};
const wchar_t* const kBetaPictures[] = {L"D3BetaIndepImage", L"D3BetaIndepImage", L"D3BetaDepImage",
                                        L"D3BetaInvImage"};

// The lighting page's pictures in their normal state.
const wchar_t* const kLEDUpPictures[][2] = {
    {L"ColorBreatheBarImage", L"ColorBreatheBarImage"},
    {L"ColorRainbowBarImage", L"ColorRainbowBarImage"},
    {L"ColorPulsatingBarImage", L"ColorPulsatingBarImage"},
    {L"ColorBreatheSliderImage", L"ColorBreatheSliderUpImage"},
    {L"ColorRainbowSliderImage", L"ColorRainbowSliderUpImage"},
    {L"ColorPulsatingSliderImage", L"ColorPulsatingSliderUpImage"},
    {L"ColorBreatheCheckImage", L"ColorBreatheCheckUpImage"},
    {L"ColorRainbowCheckImage", L"ColorRainbowCheckUpImage"},
    {L"ColorPulsatingCheckImage", L"ColorPulsatingCheckUpImage"},
    {L"ColorLEDOffCheckImage", L"ColorLEDOffCheckUpImage"},
    {L"ColorSingleCheckImage", L"ColorSingleCheckUpImage"},
};

// ---------------------------------------------------------------- the region file
// A region file is usable when it holds a rectangle region's header
// (dwSize 32, iType RDH_RECTANGLES) and every rectangle it announces.
bool RegionFileIsUsable(const std::vector<BYTE>& data, std::wstring& why) {
    if (data.size() < sizeof(RGNDATAHEADER)) {
        why = L"shorter than its header";
        return false;
    }
    RGNDATAHEADER header;
    std::memcpy(&header, data.data(), sizeof(header));
    if (header.dwSize != sizeof(RGNDATAHEADER)) {
        why = L"header size is not 32";
        return false;
    }
    if (header.iType != RDH_RECTANGLES) {
        why = L"not a rectangle region";
        return false;
    }
    const unsigned long long needed =
        sizeof(RGNDATAHEADER) + static_cast<unsigned long long>(header.nCount) * sizeof(RECT);
    if (needed > data.size()) {
        why = L"rectangles beyond the end of the file";
        return false;
    }
    return true;
}

}  // namespace

SKIN_ENTRY& TAudioMainForm::SkinEntry(const std::wstring& key) { return m_SkinEntry[key]; }

std::wstring TAudioMainForm::SkinFolder() const {
    return m_ProgramFolder + m_Config.SkinFolderName.substr(0, 30) + L"\\" + m_szResolutionFolder + m_szDefaultSkin +
           L"\\";
}

void TAudioMainForm::ParseSkinEntry(SKIN_ENTRY& entry, const std::vector<std::wstring>& fields, int sectionPage) {
    entry.page = sectionPage;
    // Pictures of the page sections move with the older window layout.
    const bool shift = m_iOldVersion != 0 && sectionPage != 0;
    auto number = [&](size_t i, int& target, BYTE* has) {
        if (fields[i].empty()) return false;
        target = Lenient(fields[i]);
        if (has) *has = 1;
        return true;
    };
    const size_t count = fields.size() < 6 ? fields.size() : 6;
    for (size_t i = 0; i < count; ++i) {
        switch (i) {
        case 0: CopyFieldText(entry.file, kPictureFileChars, fields[0]); break;
        case 1:
            if (number(1, entry.left, &entry.hasLeft) && shift) entry.left += 392;
            break;
        case 2:
            if (number(2, entry.top, &entry.hasTop) && shift) entry.top += 104;
            break;
        case 3: number(3, entry.width, &entry.hasWidth); break;
        case 4: number(4, entry.height, &entry.hasHeight); break;
        case 5: number(5, entry.page, nullptr); break;
        }
    }
}

void TAudioMainForm::LoadSkinSettingIni(const std::wstring& skin) {
    const std::wstring skinRoot = m_ProgramFolder + m_Config.SkinFolderName.substr(0, 30) + L"\\";
    const std::wstring path = skinRoot + m_szResolutionFolder + skin + L"\\SkinSetting.ini";
    const std::wstring rootPath = skinRoot + skin + L"\\SkinSetting.ini";

    // The pictures start decoding while the settings are read.
    m_Pictures->Prefetch(skinRoot + m_szResolutionFolder + skin + L"\\");
    m_SkinEntry.clear();
    for (const SkinStep& step : kSkinSteps)
        for (size_t i = 0; i < step.count; ++i) m_SkinEntry[RecordName(step.section, step.images[i])] = SKIN_ENTRY{};
    for (const wchar_t* key : kAlwaysEmpty) m_SkinEntry[key] = SKIN_ENTRY{};

    std::wstring value;
    // The comma fields of a numeric key; empty when the key is missing.
    auto fieldsOf = [&](const std::wstring& file, const wchar_t* section, const wchar_t* key) {
        ReadIniString(file, section, key, value);
        return SplitCommaList(value);
    };
    // Two numbers (top,height); false when the key is missing. A key with one
    // number is taken as missing.
    auto pair = [&](const wchar_t* section, const wchar_t* key, int& first, int& second) {
        std::vector<std::wstring> f = fieldsOf(path, section, key);
        if (f.empty()) return false;
        if (f.size() < 2) {
            trace::Out(L"***** SkinSetting.ini [%ls] %ls needs two numbers *****\n", section, key);
            return false;
        }
        first = ui::StrToInt(f[0]);
        second = ui::StrToInt(f[1]);
        return true;
    };
    // The first field of a flag or mode; fallback when the key is missing.
    auto flag = [&](const std::wstring& file, const wchar_t* section, const wchar_t* key, int fallback,
                    bool presentWhenFirstFieldGiven) {
        std::vector<std::wstring> f = fieldsOf(file, section, key);
        if (f.empty() || (presentWhenFirstFieldGiven && f[0].empty())) return fallback;
        return ui::StrToInt(f[0]);
    };

    for (const SkinStep& step : kSkinSteps) {
        switch (step.kind) {
        case kImages:
            for (size_t i = 0; i < step.count; ++i) {
                ReadIniString(path, step.section, step.images[i], value);
                ParseSkinEntry(m_SkinEntry[RecordName(step.section, step.images[i])], SplitCommaList(value),
                               step.page);
            }
            break;
        case kEQSlider:
            if (pair(step.section, step.key, m_iEQSliderTop, m_iEQSliderHeight)) {
                m_i3DSliderHeight = m_iEQSliderHeight;
            } else {
                m_iEQSliderTop = 200;
                m_iEQSliderHeight = m_i3DSliderHeight = 120;
            }
            if (m_iOldVersion) m_iEQSliderTop += 104;
            break;
        case kMicSlider:
            if (!pair(step.section, step.key, m_iMicSliderTop, m_iMicSliderHeight)) {
                m_iMicSliderTop = 208;
                m_iMicSliderHeight = 120;
            }
            if (m_iOldVersion) m_iMicSliderTop += 104;
            break;
        case kMicProgressLength: m_iMicProgressLength = flag(path, step.section, step.key, 203, false); break;
        case kENCSlider: pair(step.section, step.key, m_iENCSliderTop, m_iENCSliderHeight); break;
        case kVirtualCenter: {
            m_iVirtualOldRadius = m_iVirtualRadius;
            std::vector<std::wstring> f = fieldsOf(path, step.section, step.key);
            if (!f.empty() && f.size() < 3)
                trace::Out(L"***** SkinSetting.ini [Virtual7ch1] VirtualCenter needs three numbers *****\n");
            if (f.size() >= 3) {
                const int x = ui::StrToInt(f[0]), y = ui::StrToInt(f[1]), r = ui::StrToInt(f[2]);
                m_iVirtualCenterX = x + (m_iOldVersion ? 392 : 0);
                m_iVirtualCenterY = y + (m_iOldVersion ? 104 : 0);
                m_iVirtualRadius = r;
            } else {
                m_iVirtualCenterX = 560;
                m_iVirtualCenterY = 251;
                m_iVirtualRadius = 110;
            }
            break;
        }
        case kReserved: ReadIniString(path, step.section, step.key, value); break;
        case kBevels: {
            const int line = flag(path, L"Main", L"BevelLine", 0, false);
            const int line2 = flag(path, L"Main", L"BevelLine2", 0, false);
            const int line3 = flag(path, L"Main", L"BevelLine3", 1, false);
            for (const wchar_t* name : {L"Bevel2", L"Bevel3", L"Bevel4"})
                if (ui::TBevel* b = Bevel(name)) b->SetVisible(line != 0);
            for (const wchar_t* name : {L"Bevel5", L"Bevel6", L"Bevel7"})
                if (ui::TBevel* b = Bevel(name)) b->SetVisible(line2 != 0);
            if (line2 == 1)
                for (const wchar_t* name : {L"Bevel6", L"Bevel7"})
                    if (ui::TBevel* b = Bevel(name)) b->SetVisible(line3 != 0);
            break;
        }
        case kLEDPageMode: m_iLEDPageMode = flag(rootPath, step.section, step.key, 0, true); break;
        case kLEDFastRightSide: m_iLEDFastRightSide = flag(rootPath, step.section, step.key, 0, true); break;
        case kLEDColours:
            // The user's colours (from a profile or the colour picker) stay
            // when the skin changes.
            if (!m_bSkinLoaded)
                for (size_t i = 0; i < m_LEDColor.size(); ++i) m_LEDColor[i] = kDefaultLEDColours[i];
            break;
        case kShapes:
            for (const ShapeColour& s : kLightingShapes) {
                std::vector<std::wstring> f = fieldsOf(rootPath, step.section, s.shape);
                ui::TShape* shape = Shape(s.shape);
                if (!f.empty() && !f[0].empty()) {
                    if (f.size() < 5) {
                        trace::Out(L"***** SkinSetting.ini [LED] %ls needs five numbers *****\n", s.shape);
                    } else {
                        int v[5];
                        for (int i = 0; i < 5; ++i) v[i] = ui::StrToInt(f[static_cast<size_t>(i)]);
                        if (shape) {
                            shape->SetBounds(v[0], v[1], v[2], v[3]);
                            if (v[4] >= ui::stRectangle && v[4] <= ui::stCircle)
                                shape->SetShape(static_cast<ui::TShapeType>(v[4]));
                        }
                    }
                }
                if (shape) {
                    shape->Brush().SetColor(m_LEDColor[s.colour]);
                    shape->Pen().SetColor(0);
                }
            }
            break;
        }
    }
    m_bSkinLoaded = 1;
}

void TAudioMainForm::LoadLEDSkin() {
    const std::wstring rootPath = m_ProgramFolder + m_Config.SkinFolderName.substr(0, 30) + L"\\" + m_szDefaultSkin +
                                  L"\\SkinSetting.ini";
    std::wstring value;
    for (const ShapeColour& s : kLightingShapes) {
        ReadIniString(rootPath, L"LED", s.shape, value);
        std::vector<std::wstring> f = SplitCommaList(value);
        ui::TShape* shape = Shape(s.shape);
        if (f.empty() || f[0].empty() || f.size() < 5 || !shape) continue;
        int v[5];
        for (int i = 0; i < 5; ++i) v[i] = ui::StrToInt(f[static_cast<size_t>(i)]);
        shape->SetBounds(v[0], v[1], v[2], v[3]);
        if (v[4] >= ui::stRectangle && v[4] <= ui::stCircle) shape->SetShape(static_cast<ui::TShapeType>(v[4]));
    }
    for (const auto& row : kLEDUpPictures) LoadSkinImage(SkinEntry(row[1]), Image(row[0]));
}

void TAudioMainForm::LoadSkinImage(const SKIN_ENTRY& entry, ui::TImage* image) {
    if (!image) return;
    if (entry.file[0] == L'\0') {
        image->SetVisible(false);
    } else {
        image->SetVisible(true);
        const std::wstring path = SkinFolder() + entry.file;
        std::wstring& shown = m_LoadedPicture[image];
        shown.clear();
        m_Pictures->Load(path, image->Picture());
        shown = path;
    }
    if (entry.hasLeft) image->SetLeft(entry.left);
    if (entry.hasTop) image->SetTop(entry.top);
    image->SetAutoSize(false);
    if (entry.hasWidth) image->SetWidth(entry.width);
    if (entry.hasHeight) image->SetHeight(entry.height);
    if (!entry.hasWidth && !entry.hasHeight) image->SetAutoSize(true);
}

std::vector<TAudioMainForm::SkinLoad> TAudioMainForm::PlanSkinPictures() {
    std::vector<SkinLoad> plan;
    auto load = [&](const wchar_t* key, ui::TImage* image) {
        plan.push_back({SkinLoad::kPicture, image, &SkinEntry(key)});
    };
    for (const ImageRow& row : kImageRows) {
        ui::TImage* image = row.control ? Image(row.control) : nullptr;
        switch (row.choice) {
        case kOne: load(row.up, image); break;
        case kWhenSet: load(this->*row.state != 0 ? row.down : row.up, image); break;
        case kWhenEqual: load(this->*row.state == row.value ? row.down : row.up, image); break;
        case kEffectPic:
            if (m_iEffect >= 1 && m_iEffect <= 5) load(kEffectPictures[m_iEffect - 1], image);
            break;
        case kLinkAlpha:
            if (m_i3DAlphaLink >= -1 && m_i3DAlphaLink <= 2) load(kAlphaPictures[m_i3DAlphaLink + 1], image);
            break;
        case kLinkBeta:
            if (m_i3DBetaLink >= -1 && m_i3DBetaLink <= 2) load(kBetaPictures[m_i3DBetaLink + 1], image);
            break;
        case kProgress: plan.push_back({SkinLoad::kLevelBar, image, &SkinEntry(L"MicProgressImage")}); break;
        case kTab:
            if (row.value == m_iCurrentPage) {
                load(row.down, image);
                // Pages 6 to 8 have no left picture (their records stay empty).
                plan.push_back({SkinLoad::kPicture, Image(L"MainLeftImage"),
                                &SkinEntry(L"MainLeftImage" + std::to_wstring(row.value))});
            } else {
                load(row.up, image);
            }
            break;
        case kLEDSkin: plan.push_back({SkinLoad::kLightingPage, nullptr, nullptr}); break;
        }
    }
    return plan;
}

void TAudioMainForm::ApplySkin() {
    const std::vector<SkinLoad> plan = PlanSkinPictures();
    // The pictures shown now are decoded before the others.
    std::vector<std::wstring> first;
    for (const SkinLoad& step : plan) {
        if (step.kind == SkinLoad::kLightingPage)
            for (const auto& row : kLEDUpPictures) first.push_back(SkinFolder() + SkinEntry(row[1]).file);
        else if (step.entry->file[0])
            first.push_back(SkinFolder() + step.entry->file);
    }
    m_Pictures->Prefer(first);

    for (const SkinLoad& step : plan) {
        switch (step.kind) {
        case SkinLoad::kPicture: LoadSkinImage(*step.entry, step.image); break;
        case SkinLoad::kLevelBar:
            // The level bar always starts empty and never takes the picture's width.
            step.entry->width = 0;
            step.entry->hasWidth = 1;
            LoadSkinImage(*step.entry, step.image);
            break;
        case SkinLoad::kLightingPage: LoadLEDSkin(); break;
        }
    }

    std::wstring cut;
    ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", L"Skin", L"RegionCut", cut);
    if (LeadingDigits(cut.substr(0, 31)) != 0) {
        LoadSkinRegion(SkinFolder() + L"MainForm_Frame.rgn");
    } else if (ui::TImage* back = Image(L"MainFormImage")) {
        // Without a background picture the window keeps its size.
        if (!back->Picture().Empty()) SetClientSize(back->Picture().Width(), back->Picture().Height());
    }
}

void TAudioMainForm::LoadSkinRegion(const std::wstring& path) {
    win::FileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) throw ui::EFOpenError(L"Cannot open file \"" + path + L"\". " + ui::SysErrorMessage(::GetLastError()));
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.get(), &size);
    // Far more than any window's region: such a file is refused unread.
    constexpr LONGLONG kLargestRegionFile = 16LL << 20;
    std::vector<BYTE> data;
    if (size.QuadPart <= kLargestRegionFile) {
        data.assign(static_cast<size_t>(size.QuadPart), 0);
        DWORD read = 0;
        if (!data.empty() && !::ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr))
            read = 0;
        data.resize(read);
    }
    std::wstring why = L"larger than 16 MB";
    if (size.QuadPart <= kLargestRegionFile && RegionFileIsUsable(data, why)) {
        RGNDATAHEADER header;
        std::memcpy(&header, data.data(), sizeof(header));
        SetBounds(Left(), Top(), header.rcBound.right, header.rcBound.bottom);
        HRGN region = ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                        reinterpret_cast<const RGNDATA*>(data.data()));
        if (!region) trace::Out(L"***** ExtCreateRegion failed for %ls *****\n", path.c_str());
        SetWindowRegion(region);
    } else {
        trace::Out(L"***** Region file %ls not used: %ls *****\n", path.c_str(), why.c_str());
        SetWindowRegion(nullptr);
    }
    if (ui::TImage* back = Image(L"MainFormImage")) {
        if (!back->Picture().Empty()) SetClientSize(back->Picture().Width(), back->Picture().Height());
    }
}
