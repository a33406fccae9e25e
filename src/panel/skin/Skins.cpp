// Skins: a plain reading of SkinSetting.ini (every image key of every
// section, the slider tracks and the 7.1 circle), the pictures put on the
// image controls, and the window region.
#include <vector>

#include "panel/AudioMainForm.h"
#include "shared/DebugTrace.h"

namespace {

struct SectionPage {
    const wchar_t* section;
    int page;
};
const SectionPage kSkinSections[] = {{L"Main", 0}, {L"EQ", 1},  {L"3D", 5},  {L"Effect", 2}, {L"Mic", 3},
                                     {L"Virtual7ch1", 4}, {L"About", 0}, {L"LED", 6}, {L"ENC", 7},
                                     {L"Timbrex", 8}};

// Keys that carry numbers, not pictures.
const wchar_t* const kNumericKeys[] = {
    L"EQSlider", L"MicSlider", L"MicProgressLength", L"ENCSlider", L"VirtualCenter", L"BevelLine", L"BevelLine2",
    L"BevelLine3", L"LEDPageMode", L"LEDFastRightSide", L"EffectPanel", L"MicPanel", L"VirtualPanel",
    L"Color01Shape", L"Color02Shape", L"Color03Shape", L"Color04Shape", L"Color05Shape", L"Color06Shape",
    L"Color07Shape", L"ColorSingleShape", L"ColorBreatheShape"};

// Picture keys whose page is every page unless the value says otherwise.
const wchar_t* const kEveryPageKeys[] = {L"EQ60HzBarDownImage", L"EQ300HzBarDownImage", L"EQ1200HzBarDownImage",
                                         L"EQ3600HzBarDownImage", L"EQ12000HzBarDownImage", L"MicBarDownImage"};

bool IsOneOf(const std::wstring& key, const wchar_t* const* list, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (key == list[i]) return true;
    return false;
}

std::vector<std::wstring> SectionKeys(const std::wstring& file, const wchar_t* section) {
    std::vector<wchar_t> buffer(32768);
    DWORD n = ::GetPrivateProfileStringW(section, nullptr, L"", buffer.data(), static_cast<DWORD>(buffer.size()),
                                         file.c_str());
    std::vector<std::wstring> keys;
    for (DWORD i = 0; i < n;) {
        std::wstring key(&buffer[i]);
        if (key.empty()) break;
        i += static_cast<DWORD>(key.size()) + 1;
        keys.push_back(key);
    }
    return keys;
}

// Decimal digits after optional blanks and sign (none gives 0).
int Lenient(const std::wstring& text) { return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10)); }

// Image controls and the records they show ("A / B" by a state member).
struct SkinRow {
    const wchar_t* control;
    const wchar_t* up;
    const wchar_t* down;
    int TAudioMainForm::*state;
};
const SkinRow kSkinRows[] = {
    {L"MainFormImage", L"MainFormImage", nullptr, nullptr},
    {L"CloseImage", L"CloseImageUp", nullptr, nullptr},
    {L"MinimizeImage", L"MinimizeImageUp", nullptr, nullptr},
    {L"DeviceActiveImage", L"DeviceActiveImage", nullptr, nullptr},
    {L"Menu1Image", L"Menu1ImageUp", nullptr, nullptr},
    {L"Menu2Image", L"Menu2ImageUp", nullptr, nullptr},
    {L"Menu3Image", L"Menu3ImageUp", nullptr, nullptr},
    {L"LogoImage", L"LogoImage", nullptr, nullptr},
    {L"LEDImage", L"LedImageUp", L"LedImageDown", &TAudioMainForm::m_bLEDOn},
    {L"Back_EQImage", L"Back_EQImage", nullptr, nullptr},
    {L"EQEQENImage", L"EQEQENImageUp", L"EQEQENImageDown", &TAudioMainForm::m_bEQEnable},
    {L"EQ3DENImage", L"EQ3DENImageUp", L"EQ3DENImageDown", &TAudioMainForm::m_b3DEnable},
    {L"EQResetImage", L"EQResetImageUp", nullptr, nullptr},
    {L"Back_3DImage", L"Back_3DImage", nullptr, nullptr},
    {L"D33DENImage", L"D33DENImageUp", L"D33DENImageDown", &TAudioMainForm::m_b3DEnable},
    {L"D3FBMImage", L"D3FBMImageUp", L"D3FBMImageDown", &TAudioMainForm::m_bFBM},
    {L"D3ResetImage", L"D3ResetImageUp", nullptr, nullptr},
    {L"Back_EffectImage", L"Back_EffectImage", nullptr, nullptr},
    {L"Back_MicImage", L"Back_MicImage", nullptr, nullptr},
    {L"MicBoostImage", L"MicBoostImageUp", L"MicBoostImageDown", &TAudioMainForm::m_bMicBoost},
    {L"MicMuteImage", L"MicMuteImageUp", L"MicMuteImageDown", &TAudioMainForm::m_bMicMute},
    {L"MicMonitorImage", L"MicMonitorImageUp", L"MicMonitorImageDown", &TAudioMainForm::m_bMicMonitor},
    {L"VirtualEnableImage", L"VirtualEnableImageUp", L"VirtualEnableImageDown", &TAudioMainForm::m_b7ch1Enable},
    {L"VirtualClockwiseImage", L"VirtualClockwiseUpImage", L"VirtualClockwiseDownImage", &TAudioMainForm::m_bRotateCW},
    {L"VirtualCounterclockwiseImage", L"VirtualCounterclockwiseUpImage", L"VirtualCounterclockwiseDownImage",
     &TAudioMainForm::m_bRotateCCW},
    {L"VirtualEnlargeImage", L"VirtualEnlargeUpImage", L"VirtualEnlargeDownImage", &TAudioMainForm::m_bEnlarge},
    {L"VirtualNarrowImage", L"VirtualNarrowUpImage", L"VirtualNarrowDownImage", &TAudioMainForm::m_bNarrow},
    {L"VirtualResetImage", L"VirtualResetUpImage", nullptr, nullptr},
    {L"ENCFunctionImage", L"ENCFunctionUpImage", nullptr, nullptr},
    {L"TbxEffectNoneImage", L"TbxEffectNoneUpImage", nullptr, nullptr},
    {L"TbxEffect1Image", L"TbxEffect1UpImage", nullptr, nullptr},
    {L"TbxEffect2Image", L"TbxEffect2UpImage", nullptr, nullptr},
    {L"TbxEffect3Image", L"TbxEffect3UpImage", nullptr, nullptr},
    {L"TbxEffect4Image", L"TbxEffect4UpImage", nullptr, nullptr},
    {L"TbxFunctionImage", L"TbxFunctionUpImage", nullptr, nullptr},
};

// Image controls that show the record of their own name.
const wchar_t* const kSameName[] = {
    L"EQButtonLineImage1", L"EQButtonLineImage2", L"EQButtonLineImage3", L"EQButtonLineImage4",
    L"EQButtonLineImage5", L"EQGraduationImage", L"EQ60HzBarImage", L"EQ300HzBarImage", L"EQ1200HzBarImage",
    L"EQ3600HzBarImage", L"EQ12000HzBarImage", L"EQ60HzSliderImage", L"EQ300HzSliderImage", L"EQ1200HzSliderImage",
    L"EQ3600HzSliderImage", L"EQ12000HzSliderImage", L"EQ60HzBarDownImage", L"EQ300HzBarDownImage",
    L"EQ1200HzBarDownImage", L"EQ3600HzBarDownImage", L"EQ12000HzBarDownImage", L"D3LChannelImage",
    L"D3RChannelImage", L"D3ConnectionImage", L"D3ButtonLineImage1", L"D3ButtonLineImage2",
    L"D3LAlphaGraduationImage", L"D3LBetaGraduationImage", L"D3RAlphaGraduationImage", L"D3RBetaGraduationImage",
    L"D3LAlphaBarImage", L"D3LBetaBarImage", L"D3RAlphaBarImage", L"D3RBetaBarImage", L"D3LAlphaSliderImage",
    L"D3LBetaSliderImage", L"D3RAlphaSliderImage", L"D3RBetaSliderImage", L"EffectButtonLineImage1",
    L"EffectButtonLineImage2", L"EffectButtonLineImage3", L"EffectButtonLineImage4", L"MicButtonLineImage",
    L"MicPicImage", L"MicGainImage", L"MicGraduationImage", L"MicBarImage", L"MicSliderImage", L"MicValueImage",
    L"MicBarDownImage", L"Back_Virtual7p1Image", L"VirtualButtonLineImage1", L"VirtualButtonLineImage2",
    L"VirtualButtonLineImage3", L"VirtualPicImage", L"VirtualCImage", L"VirtualLImage", L"VirtualLSImage",
    L"VirtualLBImage", L"VirtualRBImage", L"VirtualRSImage", L"VirtualRImage", L"VirtualSUBImage", L"ENCValueImage",
    L"ENCBarImage", L"ENCSliderImage"};

struct TabRow {
    const wchar_t* control;
    const wchar_t* stem;
    int page;
    const wchar_t* leftPicture;
};
const TabRow kTabRows[] = {{L"PageEQImage", L"PageEQ", 1, L"MainLeftImage1"},
                           {L"PageEffectImage", L"PageEffect", 2, L"MainLeftImage2"},
                           {L"PageMicImage", L"PageMic", 3, L"MainLeftImage3"},
                           {L"PageVirtual7p1Image", L"PageVirtual7p1", 4, L"MainLeftImage4"},
                           {L"PageLEDImage", L"PageLED", 6, nullptr},
                           {L"PageENCImage", L"PageENC", 7, nullptr},
                           {L"PageTbxEffectImage", L"PageTbxEffect", 8, nullptr}};

}  // namespace

SKIN_ENTRY& TAudioMainForm::SkinEntry(const std::wstring& key) { return m_SkinEntry[key]; }

std::wstring TAudioMainForm::SkinFolder() const {
    return m_ProgramFolder + m_Config.SkinFolderName + L"\\" + m_szResolutionFolder + m_szDefaultSkin + L"\\";
}

void TAudioMainForm::LoadSkinSettingIni(const std::wstring& skin) {
    const std::wstring path = m_ProgramFolder + m_Config.SkinFolderName + L"\\" + m_szResolutionFolder + skin +
                              L"\\SkinSetting.ini";
    m_SkinEntry.clear();
    std::wstring value;
    for (const SectionPage& section : kSkinSections) {
        for (const std::wstring& key : SectionKeys(path, section.section)) {
            if (IsOneOf(key, kNumericKeys, std::size(kNumericKeys))) continue;
            ReadIniString(path, section.section, key.c_str(), value);
            std::vector<std::wstring> f = SplitCommaList(value);
            const int page = IsOneOf(key, kEveryPageKeys, std::size(kEveryPageKeys)) ? 0 : section.page;
            const std::wstring name = std::wstring(section.section) == L"About" ? L"About." + key : key;
            SKIN_ENTRY& e = m_SkinEntry[name];
            e = SKIN_ENTRY{};
            e.page = page;
            const bool shift = m_iOldVersion != 0 && page != 0;
            if (!f.empty()) lstrcpynW(e.file, f[0].c_str(), 64);
            auto number = [&](size_t i, int& target, BYTE* has, int add) {
                if (i >= f.size() || f[i].empty()) return;
                target = Lenient(f[i]) + add;
                if (has) *has = 1;
            };
            number(1, e.left, &e.hasLeft, shift ? 392 : 0);
            number(2, e.top, &e.hasTop, shift ? 104 : 0);
            number(3, e.width, &e.hasWidth, 0);
            number(4, e.height, &e.hasHeight, 0);
            number(5, e.page, nullptr, 0);
        }
    }
    // Slider tracks and the 7.1 circle.
    auto pair = [&](const wchar_t* section, const wchar_t* key, int& first, int& second, int fallbackFirst,
                    int fallbackSecond) {
        ReadIniString(path, section, key, value);
        std::vector<std::wstring> f = SplitCommaList(value);
        first = f.size() >= 2 ? ui::StrToIntDef(f[0], fallbackFirst) : fallbackFirst;
        second = f.size() >= 2 ? ui::StrToIntDef(f[1], fallbackSecond) : fallbackSecond;
    };
    pair(L"EQ", L"EQSlider", m_iEQSliderTop, m_iEQSliderHeight, 200, 120);
    m_i3DSliderHeight = m_iEQSliderHeight;
    if (m_iOldVersion) m_iEQSliderTop += 104;
    pair(L"Mic", L"MicSlider", m_iMicSliderTop, m_iMicSliderHeight, 208, 120);
    if (m_iOldVersion) m_iMicSliderTop += 104;
    pair(L"ENC", L"ENCSlider", m_iENCSliderTop, m_iENCSliderHeight, m_iENCSliderTop, m_iENCSliderHeight);
    ReadIniString(path, L"Mic", L"MicProgressLength", value);
    m_iMicProgressLength = value.empty() ? 203 : ui::StrToIntDef(SplitCommaList(value)[0], 203);
    m_iVirtualOldRadius = m_iVirtualRadius;
    ReadIniString(path, L"Virtual7ch1", L"VirtualCenter", value);
    std::vector<std::wstring> c = SplitCommaList(value);
    if (c.size() >= 3) {
        m_iVirtualCenterX = ui::StrToIntDef(c[0], 560) + (m_iOldVersion ? 392 : 0);
        m_iVirtualCenterY = ui::StrToIntDef(c[1], 251) + (m_iOldVersion ? 104 : 0);
        m_iVirtualRadius = ui::StrToIntDef(c[2], 110);
    } else {
        m_iVirtualCenterX = 560;
        m_iVirtualCenterY = 251;
        m_iVirtualRadius = 110;
    }
}

void TAudioMainForm::LoadSkinImage(const SKIN_ENTRY& entry, ui::TImage* image) {
    if (!image) return;
    if (entry.file[0] == L'\0') {
        image->SetVisible(false);
    } else {
        image->SetVisible(true);
        std::wstring path = SkinFolder() + entry.file;
        // A picture already shown is not decoded again; one of another page
        // with a size of its own waits until its page shows.
        std::wstring& shown = m_LoadedPicture[image];
        const bool otherPage = entry.page != 0 && entry.page != m_iCurrentPage;
        if (shown == path) {
            m_PendingPicture.erase(image);
        } else if (otherPage && (entry.hasWidth || entry.hasHeight)) {
            m_PendingPicture[image] = path;
        } else {
            m_PendingPicture.erase(image);
            shown.clear();
            image->Picture().LoadFromFile(path);
            shown = path;
        }
    }
    if (entry.hasLeft) image->SetLeft(entry.left);
    if (entry.hasTop) image->SetTop(entry.top);
    image->SetAutoSize(false);
    if (entry.hasWidth) image->SetWidth(entry.width);
    if (entry.hasHeight) image->SetHeight(entry.height);
    if (!entry.hasWidth && !entry.hasHeight) image->SetAutoSize(true);
}

void TAudioMainForm::LoadPendingPictures() {
    for (auto it = m_PendingPicture.begin(); it != m_PendingPicture.end();) {
        ui::TImage* image = it->first;
        if (!image->Visible()) {
            ++it;
            continue;
        }
        std::wstring path = it->second;
        it = m_PendingPicture.erase(it);
        m_LoadedPicture[image].clear();
        image->Picture().LoadFromFile(path);
        m_LoadedPicture[image] = path;
    }
}

void TAudioMainForm::ApplySkin() {
    for (const SkinRow& row : kSkinRows) {
        bool down = row.state && this->*row.state != 0;
        LoadSkinImage(SkinEntry(down ? row.down : row.up), Image(row.control));
    }
    for (int p = 1; p <= 4; ++p) {
        std::wstring stem = L"EQS" + std::to_wstring(p);
        LoadSkinImage(SkinEntry(stem + (m_iEQPreset == p ? L"ImageDown" : L"ImageUp")), Image((stem + L"Image").c_str()));
    }
    static const wchar_t* const effects[] = {L"EffectButtonNonImage", L"EffectButtonTheaterImage",
                                             L"EffectButtonBathroomImage", L"EffectButtonLivingroomImage",
                                             L"EffectButtonStoneGalleryImage"};
    static const wchar_t* const pictures[] = {L"EffectPicNonImage", L"EffectPicTheaterImage", L"EffectPicBathroomImage",
                                              L"EffectPicLivingroomImage", L"EffectPicStoneGalleryImage"};
    for (int e = 1; e <= 5; ++e)
        LoadSkinImage(SkinEntry(std::wstring(effects[e - 1]) + (m_iEffect == e ? L"Down" : L"Up")), Image(effects[e - 1]));
    if (m_iEffect >= 1 && m_iEffect <= 5) LoadSkinImage(SkinEntry(pictures[m_iEffect - 1]), Image(L"EffectPicImage"));
    static const wchar_t* const alpha[] = {L"D3AlphaIndepImage", L"D3AlphaIndepImage", L"D3AlphaDepImage", L"D3AlphaInvImage"};
    static const wchar_t* const beta[] = {L"D3BetaIndepImage", L"D3BetaIndepImage", L"D3BetaDepImage", L"D3BetaInvImage"};
    if (m_i3DAlphaLink >= -1 && m_i3DAlphaLink <= 2) LoadSkinImage(SkinEntry(alpha[m_i3DAlphaLink + 1]), Image(L"D3AlphaImage"));
    if (m_i3DBetaLink >= -1 && m_i3DBetaLink <= 2) LoadSkinImage(SkinEntry(beta[m_i3DBetaLink + 1]), Image(L"D3BetaImage"));
    for (const wchar_t* name : kSameName) LoadSkinImage(SkinEntry(name), Image(name));
    SKIN_ENTRY& progress = SkinEntry(L"MicProgressImage");
    progress.width = 0;
    progress.hasWidth = 1;
    LoadSkinImage(progress, Image(L"MicProgressImage"));
    for (const TabRow& tab : kTabRows) {
        bool selected = tab.page == m_iCurrentPage;
        LoadSkinImage(SkinEntry(std::wstring(tab.stem) + (selected ? L"DownImage" : L"UpImage")), Image(tab.control));
        if (selected) {
            static const SKIN_ENTRY kNone{};
            LoadSkinImage(tab.leftPicture ? SkinEntry(tab.leftPicture) : kNone, Image(L"MainLeftImage"));
        }
        if (tab.page == 6) LoadLEDSkin();
    }

    std::wstring cut;
    ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", L"Skin", L"RegionCut", cut);
    if (Lenient(cut.substr(0, 31)) != 0) {
        LoadSkinRegion(SkinFolder() + L"MainForm_Frame.rgn");
    } else if (ui::TImage* back = Image(L"MainFormImage")) {
        SetClientSize(back->Picture().Width(), back->Picture().Height());
    }
}

void TAudioMainForm::LoadSkinRegion(const std::wstring& path) {
    win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) throw ui::EFOpenError(L"Cannot open file \"" + path + L"\". " + ui::SysErrorMessage(::GetLastError()));
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.get(), &size);
    // A region needs at least its header; larger files than any region are refused.
    if (size.QuadPart < static_cast<LONGLONG>(sizeof(RGNDATAHEADER)) || size.QuadPart > (16 << 20)) return;
    std::vector<BYTE> data(static_cast<size_t>(size.QuadPart), 0);
    DWORD read = 0;
    ::ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
    SetBounds(Left(), Top(), header->rcBound.right, header->rcBound.bottom);
    HRGN region = ::ExtCreateRegion(nullptr, read, reinterpret_cast<const RGNDATA*>(data.data()));
    if (region) SetWindowRegion(region);
    if (ui::TImage* back = Image(L"MainFormImage")) {
        if (!back->Picture().Empty()) SetClientSize(back->Picture().Width(), back->Picture().Height());
    }
}
