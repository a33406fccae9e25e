// The window's pages: which skinned controls are visible on each page.
#include "panel/AudioMainForm.h"

namespace {

// An image tested with one skin entry, or with its Down entry while a state
// member is not 0.
struct ImageRow {
    const wchar_t* control;
    const wchar_t* up;
    const wchar_t* down;
    int TAudioMainForm::*state;
};

const ImageRow kImageRows[] = {
    // Window frame and tabs.
    {L"MainFormImage", L"MainFormImage", nullptr, nullptr},
    {L"CloseImage", L"CloseImageUp", nullptr, nullptr},
    {L"MinimizeImage", L"MinimizeImageUp", nullptr, nullptr},
    {L"DeviceActiveImage", L"DeviceActiveImage", nullptr, nullptr},
    {L"Menu1Image", L"Menu1ImageUp", nullptr, nullptr},
    {L"Menu2Image", L"Menu2ImageUp", nullptr, nullptr},
    {L"Menu3Image", L"Menu3ImageUp", nullptr, nullptr},
    {L"LogoImage", L"LogoImage", nullptr, nullptr},
    {L"PageEQImage", L"PageEQUpImage", nullptr, nullptr},
    {L"PageEffectImage", L"PageEffectUpImage", nullptr, nullptr},
    {L"PageMicImage", L"PageMicUpImage", nullptr, nullptr},
    {L"PageVirtual7p1Image", L"PageVirtual7p1UpImage", nullptr, nullptr},
    {L"PageLEDImage", L"PageLEDUpImage", nullptr, nullptr},
    {L"PageENCImage", L"PageENCUpImage", nullptr, nullptr},
    {L"PageTbxEffectImage", L"PageTbxEffectUpImage", nullptr, nullptr},
    // Device pictures.
    {L"DeviceInImage", L"DeviceActiveUpImage", L"DeviceActiveDownImage", &TAudioMainForm::m_bDeviceActive},
    {L"DeviceOutImage", L"DeviceUnActiveDownImage", L"DeviceUnActiveUpImage", &TAudioMainForm::m_bDeviceActive},
    {L"LEDImage", L"LedImageUp", L"LedImageDown", &TAudioMainForm::m_bLEDOn},
    // Equaliser.
    {L"Back_EQImage", L"Back_EQImage", nullptr, nullptr},
    {L"EQEQENImage", L"EQEQENImageUp", L"EQEQENImageDown", &TAudioMainForm::m_bEQEnable},
    {L"EQ3DENImage", L"EQ3DENImageUp", L"EQ3DENImageDown", &TAudioMainForm::m_b3DEnable},
    {L"EQResetImage", L"EQResetImageUp", nullptr, nullptr},
};

const wchar_t* const kEQImages[] = {
    L"EQButtonLineImage1", L"EQButtonLineImage2", L"EQButtonLineImage3", L"EQButtonLineImage4",
    L"EQButtonLineImage5", L"EQGraduationImage", L"EQ60HzBarImage", L"EQ300HzBarImage", L"EQ1200HzBarImage",
    L"EQ3600HzBarImage", L"EQ12000HzBarImage", L"EQ60HzSliderImage", L"EQ300HzSliderImage", L"EQ1200HzSliderImage",
    L"EQ3600HzSliderImage", L"EQ12000HzSliderImage", L"EQ60HzBarDownImage", L"EQ300HzBarDownImage",
    L"EQ1200HzBarDownImage", L"EQ3600HzBarDownImage", L"EQ12000HzBarDownImage", L"Back_EffectImage",
    L"EffectButtonLineImage1", L"EffectButtonLineImage2", L"EffectButtonLineImage3", L"EffectButtonLineImage4"};

const ImageRow kMicVirtualRows[] = {
    {L"Back_MicImage", L"Back_MicImage", nullptr, nullptr},
    {L"MicBoostImage", L"MicBoostImageUp", L"MicBoostImageDown", &TAudioMainForm::m_bMicBoost},
    {L"MicMuteImage", L"MicMuteImageUp", L"MicMuteImageDown", &TAudioMainForm::m_bMicMute},
    {L"MicMonitorImage", L"MicMonitorImageUp", L"MicMonitorImageDown", &TAudioMainForm::m_bMicMonitor},
    {L"MicButtonLineImage", L"MicButtonLineImage", nullptr, nullptr},
    {L"MicPicImage", L"MicPicImage", nullptr, nullptr},
    {L"MicProgressImage", L"MicProgressImage", nullptr, nullptr},
    {L"MicGainImage", L"MicGainImage", nullptr, nullptr},
    {L"MicGraduationImage", L"MicGraduationImage", nullptr, nullptr},
    {L"MicBarImage", L"MicBarImage", nullptr, nullptr},
    {L"MicSliderImage", L"MicSliderImage", nullptr, nullptr},
    {L"MicValueImage", L"MicValueImage", nullptr, nullptr},
    {L"MicBarDownImage", L"MicBarDownImage", nullptr, nullptr},
    {L"Back_Virtual7p1Image", L"Back_Virtual7p1Image", nullptr, nullptr},
    {L"VirtualButtonLineImage1", L"VirtualButtonLineImage1", nullptr, nullptr},
    {L"VirtualButtonLineImage2", L"VirtualButtonLineImage2", nullptr, nullptr},
    {L"VirtualButtonLineImage3", L"VirtualButtonLineImage3", nullptr, nullptr},
    {L"VirtualEnableImage", L"VirtualEnableImageUp", L"VirtualEnableImageDown", &TAudioMainForm::m_b7ch1Enable},
    {L"VirtualClockwiseImage", L"VirtualClockwiseUpImage", L"VirtualClockwiseDownImage", &TAudioMainForm::m_bRotateCW},
    {L"VirtualCounterclockwiseImage", L"VirtualCounterclockwiseUpImage", L"VirtualCounterclockwiseDownImage",
     &TAudioMainForm::m_bRotateCCW},
    {L"VirtualEnlargeImage", L"VirtualEnlargeUpImage", L"VirtualEnlargeDownImage", &TAudioMainForm::m_bEnlarge},
    {L"VirtualNarrowImage", L"VirtualNarrowUpImage", L"VirtualNarrowDownImage", &TAudioMainForm::m_bNarrow},
    {L"VirtualResetImage", L"VirtualResetUpImage", nullptr, nullptr},
    {L"VirtualPicImage", L"VirtualPicImage", nullptr, nullptr},
    {L"VirtualCImage", L"VirtualCImage", nullptr, nullptr},
    {L"VirtualLImage", L"VirtualLImage", nullptr, nullptr},
    {L"VirtualLSImage", L"VirtualLSImage", nullptr, nullptr},
    {L"VirtualLBImage", L"VirtualLBImage", nullptr, nullptr},
    {L"VirtualRBImage", L"VirtualRBImage", nullptr, nullptr},
    {L"VirtualRSImage", L"VirtualRSImage", nullptr, nullptr},
    {L"VirtualRImage", L"VirtualRImage", nullptr, nullptr},
    {L"VirtualSUBImage", L"VirtualSUBImage", nullptr, nullptr},
    {L"ENCFunctionImage", L"ENCFunctionUpImage", L"ENCFunctionDownImage", &TAudioMainForm::m_bENCEnable},
    {L"ENCBarImage", L"ENCBarImage", nullptr, nullptr},
    {L"ENCSliderImage", L"ENCSliderImage", nullptr, nullptr},
    {L"ENCValueImage", L"ENCValueImage", nullptr, nullptr},
    {L"TbxFunctionImage", L"TbxFunctionUpImage", L"TbxFunctionDownImage", &TAudioMainForm::m_bTimbrexEnable},
};

const wchar_t* const kEffectStems[] = {L"EffectButtonNonImage", L"EffectButtonTheaterImage",
                                       L"EffectButtonBathroomImage", L"EffectButtonLivingroomImage",
                                       L"EffectButtonStoneGalleryImage"};
const wchar_t* const kEffectPictures[] = {L"EffectPicNonImage", L"EffectPicTheaterImage", L"EffectPicBathroomImage",
                                          L"EffectPicLivingroomImage", L"EffectPicStoneGalleryImage"};

// Labels and the language entry each is tested with.
struct LabelRow {
    const wchar_t* control;
    const wchar_t* entry;
};
const LabelRow kLabelRows[] = {
    {L"Menu1Label", L"LabelMenu1"}, {L"Menu2Label", L"LabelMenu2"}, {L"Menu3Label", L"LabelMenu3"},
    {L"PageEQLabel", L"LabelPageEQ"}, {L"Page3DLabel", L"LabelPage3D"}, {L"PageEffectLabel", L"LabelPageEffect"},
    {L"PageMicLabel", L"LabelPageMic"}, {L"PageVirtual7p1Label", L"LabelPageVirtual7ch1"},
    {L"PageENCLabel", L"LabelPageENC"}, {L"PageTbxEffectLabel", L"LabelPageTbxEffect"},
    {L"SXLabel", L"LabelSX"}, {L"SyncLabel", L"LabelSync"}, {L"SettingLabel", L"LabelSetting"},
    {L"FeaturesLabel", L"LabelFeatures"}, {L"CompanyNameLabel", L"LabelCompanyName"},
    {L"DeviceInLabel", L"DeviceInLabel"}, {L"DeviceOutLabel", L"DeviceOutLabel"},
    {L"EQEQENLabel", L"LabelEQEnable"}, {L"EQ3DENLabel", L"LableEQ3DEnable"}, {L"EQResetLabel", L"LabelEQReset"},
    {L"EQS1Label", L"LabelEQS1"}, {L"EQS2Label", L"LabelEQS2"}, {L"EQS3Label", L"LabelEQS3"},
    {L"EQS4Label", L"LabelEQS4"}, {L"EQ60HzLabel", L"LabelEQ60Hz"}, {L"EQ300HzLabel", L"LabelEQ300Hz"},
    {L"EQ1200HzLabel", L"LabelEQ1200Hz"}, {L"EQ3600HzLabel", L"LabelEQ3600Hz"},
    {L"EQ12000HzLabel", L"LabelEQ12000Hz"}, {L"D33DENLabel", L"Label3DEnable"}, {L"D3FBMLabel", L"Label3DFBM"},
    {L"D3ResetLabel", L"Label3DReset"}, {L"D3LChannelLabel", L"Label3DLeftChannel"},
    {L"D3RChannelLabel", L"Label3DRightChannel"}, {L"D3ConnectLabel", L"Label3DConnection"},
    {L"EffectNonLabel", L"LabelEffectNothing"}, {L"EffectTheaterLabel", L"LabelEffectTheater"},
    {L"EffectBathroomLabel", L"LabelEffectBathroom"}, {L"EffectLivingroomLabel", L"LabelEffectLivingroom"},
    {L"EffectStoneGalleryLabel", L"LabelEffectStoneGallery"}, {L"MicBoostLabel", L"LabelMicBoost"},
    {L"MicMuteLabel", L"LabelMicMute"}, {L"MicMonitorLabel", L"LabelMicMonitor"},
    {L"MicGainLabel", L"LabelMicGain"}, {L"MicValueLabel", L"LabelMicValue"},
    {L"VirtualENLabel", L"Label7ch1Enable"}, {L"VirtualClockwiseLabel", L"LabelVirtualClockwise"},
    {L"VirtualCounterclockwiseLabel", L"LabelVirtualCounterclockwise"},
    {L"VirtualEnlargeLabel", L"LabelVirtualEnlarge"}, {L"VirtualNarrowLabel", L"LabelVirtualNarrow"},
    {L"VirtualResetLabel", L"Label7ch1Reset"},
};

const wchar_t* const kLightingImages[][2] = {
    {L"ColorPulsatingCheckImage", L"ColorPulsatingCheckUpImage"},
    {L"ColorBreatheCheckImage", L"ColorBreatheCheckUpImage"},
    {L"ColorRainbowCheckImage", L"ColorRainbowCheckUpImage"},
    {L"ColorPulsatingBarImage", L"ColorPulsatingBarImage"},
    {L"ColorBreatheBarImage", L"ColorBreatheBarImage"},
    {L"ColorRainbowBarImage", L"ColorRainbowBarImage"},
    {L"ColorPulsatingSliderImage", L"ColorPulsatingSliderUpImage"},
    {L"ColorBreatheSliderImage", L"ColorBreatheSliderUpImage"},
    {L"ColorRainbowSliderImage", L"ColorRainbowSliderUpImage"},
    {L"ColorPaletteImage", L"ColorPaletteImage"},
    {L"ColorPaletteCImage", L"ColorPaletteCImage"},
    {L"ColorSelectImage", L"ColorSelectImage"},
    {L"ColorLEDOffCheckImage", L"ColorLEDOffCheckUpImage"},
    {L"ColorSingleCheckImage", L"ColorSingleCheckUpImage"},
};
const wchar_t* const kLightingShapes[] = {L"Color01Shape", L"Color02Shape", L"Color03Shape",
                                          L"Color04Shape", L"Color05Shape", L"Color06Shape",
                                          L"Color07Shape", L"ColorBreatheShape", L"ColorSingleShape"};
const wchar_t* const kLightingLabels[] = {L"ColorPulsatingLabel", L"ColorBreatheLabel", L"ColorRainbowLabel",
                                          L"ColorSelectLabel", L"ColorEffectLabel", L"ColorLEDOffLabel",
                                          L"ColorSingleLabel", L"ColorSlowLabel", L"ColorFastLabel"};
const LabelRow kLastLabels[] = {
    {L"ENCFunctionLabel", L"ENCFunctionLabel"}, {L"ENCValueLabel", L"LabelENCValue"},
    {L"TbxEffectNoneLabel", L"TbxEffectNoneLabel"}, {L"TbxEffect1Label", L"TbxEffect1Label"},
    {L"TbxEffect2Label", L"TbxEffect2Label"}, {L"TbxEffect3Label", L"TbxEffect3Label"},
    {L"TbxEffect4Label", L"TbxEffect4Label"}, {L"TbxFunctionLabel", L"TbxFunctionLabel"},
};

}  // namespace

void TAudioMainForm::ShowIfSkinEntry(const SKIN_ENTRY& entry, ui::TControl* control, int page) {
    if (!control) return;
    bool named = entry.file[0] != L'\0' && std::wcscmp(entry.file, L"(null)") != 0;
    control->SetVisible(named && (entry.page == 0 || entry.page == page));
}

void TAudioMainForm::ShowIfLanguageEntry(const LANGUAGE_ENTRY& entry, ui::TControl* control, int page) {
    if (!control) return;
    bool named = entry.caption[0] != L'\0' && std::wcscmp(entry.caption, L"(null)") != 0;
    control->SetVisible(named && (entry.page == 0 || entry.page == page));
}

void TAudioMainForm::ShowPage(int page) {
    auto showRows = [this, page](const ImageRow* rows, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            const ImageRow& r = rows[i];
            bool down = r.state && this->*r.state != 0;
            ShowIfSkinEntry(SkinEntry(down ? r.down : r.up), Image(r.control), page);
        }
    };
    showRows(kImageRows, std::size(kImageRows));
    for (int p = 1; p <= 4; ++p) {
        std::wstring stem = L"EQS" + std::to_wstring(p);
        ShowIfSkinEntry(SkinEntry(stem + (p == m_iEQPreset ? L"ImageDown" : L"ImageUp")),
                        Image((stem + L"Image").c_str()), page);
    }
    for (const wchar_t* name : kEQImages) ShowIfSkinEntry(SkinEntry(name), Image(name), page);
    for (int e = 1; e <= 5; ++e) {
        ShowIfSkinEntry(SkinEntry(std::wstring(kEffectStems[e - 1]) + (e == m_iEffect ? L"Down" : L"Up")),
                        Image(kEffectStems[e - 1]), page);
    }
    if (m_iEffect >= 1 && m_iEffect <= 5)
        ShowIfSkinEntry(SkinEntry(kEffectPictures[m_iEffect - 1]), Image(L"EffectPicImage"), page);
    showRows(kMicVirtualRows, std::size(kMicVirtualRows));
    ShowIfSkinEntry(SkinEntry(m_iTimbrexEffect == 0 ? L"TbxEffectNoneDownImage" : L"TbxEffectNoneUpImage"),
                    Image(L"TbxEffectNoneImage"), page);
    for (int n = 1; n <= 4; ++n) {
        std::wstring stem = L"TbxEffect" + std::to_wstring(n);
        ShowIfSkinEntry(SkinEntry(stem + (m_iTimbrexEffect == n ? L"UpImage" : L"DownImage")),
                        Image((stem + L"Image").c_str()), page);
    }

    for (const LabelRow& r : kLabelRows) ShowIfLanguageEntry(LanguageEntry(r.entry), Label(r.control), page);
    ShowIfLanguageEntry(LanguageEntry(L"LabelPageLED"), Label(L"PageLEDLabel"), -1);
    ShowIfLanguageEntry(LanguageEntry(m_bDeviceActive ? L"LabelActive" : L"LabelUnactive"),
                        Label(L"DeviceActiveLabel"), page);

    std::wstring bee;
    ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", L"Version", L"Bee", bee);
    int beeNumber = 0;
    for (size_t i = 0; i < bee.size() && i < 31 && bee[i] >= L'0' && bee[i] <= L'9' && beeNumber < 100000; ++i)
        beeNumber = beeNumber * 10 + (bee[i] - L'0');
    BeeCheckBox->SetVisible(page == 4 && beeNumber == 1);

    const bool led = page == 6 && m_iLEDPageMode == 1;
    const int ledPage = led ? 6 : 1;
    for (const auto& row : kLightingImages) ShowIfSkinEntry(SkinEntry(row[1]), Image(row[0]), ledPage);
    for (const wchar_t* name : kLightingShapes)
        if (ui::TShape* shape = Shape(name)) shape->SetVisible(led);
    for (const wchar_t* name : kLightingLabels) ShowIfLanguageEntry(LanguageEntry(name), Label(name), ledPage);
    for (const LabelRow& r : kLastLabels) ShowIfLanguageEntry(LanguageEntry(r.entry), Label(r.control), page);
}

void TAudioMainForm::ResetFeatureButtons() {
    auto paintOff = [this](int tag, int& state) {
        state = 1;
        ToggleButton(tag, state);
    };
    paintOff(7, m_bEQEnable);
    paintOff(8, m_b3DEnable);
    m_iEffect = 1;
    ShowEffectButtons(1);
    paintOff(47, m_b7ch1Enable);
    paintOff(22, m_bMicMute);
    m_bTimbrexEnable = 0;
    m_iTimbrexEffect = 0;
    SetTimbrexEnable(0, 0);
    m_bENCEnable = 0;
    PaintTbxAndENCButtons(0, 0);
    paintOff(89, m_bMicMonitor);
}
