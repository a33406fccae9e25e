// Profiles: the panel's sound and lighting settings in an INI file. The last
// profile is written at shut-down and read at start-up, the default profile
// holds the maker's settings, and the Save and Load buttons write and read
// profiles the user names through the file dialogs.
#include <initializer_list>

#include "panel/AudioMainForm.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/FilterControl.h"
#include "panel/device/HidDevice.h"
#include "shared/DebugTrace.h"

namespace {

constexpr wchar_t kIniExtension[] = L".ini";

// %<variable>%\<name> (the variable read into 256 characters, as every
// folder of the panel is).
std::wstring FolderUnder(const wchar_t* variable, const std::wstring& name) {
    wchar_t base[256] = {};
    ::GetEnvironmentVariableW(variable, base, 256);
    return std::wstring(base) + L"\\" + name;
}

std::wstring UserFile(const std::wstring& folderName, const wchar_t* file) {
    return FolderUnder(L"APPDATA", folderName) + L"\\" + file;
}

struct KeyValue {
    const wchar_t* key;
    int value;
};

void WriteKeys(const std::wstring& path, const wchar_t* section, std::initializer_list<KeyValue> keys) {
    for (const KeyValue& k : keys) TAudioMainForm::WriteIniString(path, section, k.key, std::to_wstring(k.value));
}

// A conversion error that names where the bad value stands.
[[noreturn]] void RaiseAt(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                          const ui::EConvertError& error) {
    throw ui::EConvertError(path + L": [" + section + L"] " + key + L": " + error.Message());
}

// Runs a step that converts one key's text; its conversion error names the key.
template <typename Step>
void AtKey(const std::wstring& path, const wchar_t* section, const wchar_t* key, Step step) {
    try {
        step();
    } catch (const ui::EConvertError& error) {
        RaiseAt(path, section, key, error);
    }
}

std::wstring ReadKey(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    std::wstring value;
    TAudioMainForm::ReadIniString(path, section, key, value);
    return value;
}

// A key that must hold a number: missing or empty text is the conversion error.
int RequiredInt(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    int value = 0;
    AtKey(path, section, key, [&] { value = ui::StrToInt(ReadKey(path, section, key)); });
    return value;
}

// A key that may be missing or empty (0 then); other text must be a number.
int OptionalInt(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    const std::wstring text = ReadKey(path, section, key);
    if (text.empty()) return 0;
    int value = 0;
    AtKey(path, section, key, [&] { value = ui::StrToInt(text); });
    return value;
}

// A value of the [LED] section: like the lighting page's own values, one
// that is empty or no number leaves things as they are (false).
bool ReadLightingNumber(const std::wstring& path, const wchar_t* key, int& value) {
    try {
        value = ui::StrToInt(ReadKey(path, L"LED", key));
        return true;
    } catch (const ui::EConvertError&) {
        return false;
    }
}

// A switch from a file: anything but 0 is on.
int Switch(int value) { return value != 0 ? 1 : 0; }

// The speakers' keys in the order a profile is read, with their icons' Tags.
struct SpeakerKey {
    const wchar_t* key;
    int tag;
};
const SpeakerKey kSpeakerReadOrder[] = {{L"L", 39},  {L"R", 40},  {L"C", 41},  {L"SUB", 42},
                                        {L"LS", 43}, {L"RS", 44}, {L"LB", 45}, {L"RB", 46}};

// The name part of a path (after its last '\').
std::wstring NamePart(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool TAudioMainForm::DeviceReachable() const {
    // The handle only proves the device is there; it is closed at once.
    return static_cast<bool>(OpenHidDevice(m_wVID, m_wPID));
}

int TAudioMainForm::SaveProfileAs() {
    if (!DeviceReachable()) return 1;
    const std::wstring folder = FolderUnder(L"USERPROFILE", m_szUserFolderName);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    SaveDialog->SetInitialDir(folder);
    if (!SaveDialog->Execute()) return 2;
    // A name without ".ini" (as typed, upper case counts as other text) gets it.
    if (NamePart(SaveDialog->FileName()).find(kIniExtension) == std::wstring::npos)
        SaveDialog->SetFileName(SaveDialog->FileName() + kIniExtension);
    const std::wstring path = SaveDialog->FileName();
    SaveProfile(path);
    WriteIniString(m_ProgramFolder + L"AudioConfig.cfg", L"LastINI", L"Path", path);
    return 0;
}

int TAudioMainForm::OpenProfile() {
    if (!DeviceReachable()) return 1;
    std::wstring folder;
    ReadIniString(m_ProgramFolder + L"AudioConfig.cfg", L"LastINI", L"Path", folder);
    if (!folder.empty()) {
        // The folder of the profile saved last (a '\' in front only is kept).
        size_t slash = folder.find_last_of(L'\\');
        if (slash != std::wstring::npos && slash >= 1) folder.resize(slash);
    } else {
        folder = FolderUnder(L"USERPROFILE", m_szUserFolderName);
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    OpenDialog->SetInitialDir(folder);
    if (!OpenDialog->Execute()) return 2;
    try {
        LoadProfile(OpenDialog->FileName());
    } catch (const ui::EConvertError&) {
        // The standard error display; what was applied before the bad key
        // stays, and the window goes on.
        ui::HandleCurrentException();
        return 3;
    }
    return 0;
}

int TAudioMainForm::SaveLastProfile(const std::wstring& folderName) {
    ::CreateDirectoryW(FolderUnder(L"APPDATA", folderName).c_str(), nullptr);
    SaveProfile(UserFile(folderName, L"LastProfile.ini"));
    return 0;
}

int TAudioMainForm::LoadLastProfile(const std::wstring& folderName) {
    const std::wstring path = UserFile(folderName, L"LastProfile.ini");
    if (!IsFileExist(Handle(), path)) {
        m_bNoLastProfile = 1;
        return 1;
    }
    LoadProfile(path);
    return 0;
}

int TAudioMainForm::LoadDefaultProfile(const std::wstring& folderName) {
    const std::wstring path = UserFile(folderName, L"DefaultProfile.ini");
    if (!IsFileExist(Handle(), path)) return 1;
    LoadProfile(path);
    return 0;
}

int TAudioMainForm::ReadDefaultEnables(const std::wstring& folderName) {
    const std::wstring path = UserFile(folderName, L"DefaultProfile.ini");
    if (!IsFileExist(Handle(), path)) return 1;
    struct Row {
        const wchar_t* section;
        const wchar_t* key;
        int TAudioMainForm::*member;
    };
    const Row rows[] = {{L"EQ", L"EQEN", &TAudioMainForm::m_iDefaultEQEnable},
                        {L"3D", L"3DEN", &TAudioMainForm::m_iDefault3DEnable},
                        {L"Virtual7ch1", L"7ch1EN", &TAudioMainForm::m_iDefault7ch1Enable}};
    for (const Row& r : rows) {
        std::wstring value;
        ReadIniString(path, r.section, r.key, value);
        // Empty means 0; anything else must be a number.
        this->*r.member = value.empty() ? 0 : ui::StrToInt(value);
    }
    return 0;
}

int TAudioMainForm::SaveProfile(const std::wstring& path) {
    // While it is set, making a preset the current record writes no gains.
    struct Saving {
        int& flag;
        explicit Saving(int& f) : flag(f) { flag = 1; }
        ~Saving() { flag = 0; }
    } saving(m_bSavingProfile);
    for (int n = 1; n <= 4; ++n) {
        ApplyEQPreset(n);
        const WORD* g = m_EQParameters.wGain;
        WriteIniString(path, L"EQ", (L"S" + std::to_wstring(n)).c_str(),
                       trace::Format(L"0x%X,0x%X,0x%X,0x%X,0x%X,%d", g[0], g[1], g[2], g[3], g[4], m_bEQEnable));
    }
    ApplyEQPreset(m_iEQPreset);
    WriteKeys(path, L"EQ", {{L"EQEN", m_bEQEnable}, {L"EQFromEEPROM", m_bEQFromEEPROM}});
    WriteKeys(path, L"3D",
              {{L"LeftAlpha", m_3DParameters.byLeftAlpha},
               {L"LeftBeta", m_3DParameters.byLeftBeta},
               {L"RightAlpha", m_3DParameters.byRightAlpha},
               {L"RightBeta", m_3DParameters.byRightBeta},
               {L"FBM", m_bFBM},
               {L"3DEN", m_b3DEnable},
               {L"3DFromEEPROM", m_b3DFromEEPROM}});
    WriteKeys(path, L"Effect", {{L"CurrentEffect", m_iEffect}});
    WriteSpeakerLayout(path);
    const auto colour = [this](size_t i) { return static_cast<int>(m_LEDColor[i]); };
    WriteKeys(path, L"LED",
              {{L"LEDON", m_bLEDOn},
               {L"LEDPageMode", m_iLEDPageMode},
               {L"LEDOff", m_bLEDOff},
               {L"LEDSingleColor", m_bLEDSingleColor},
               {L"LEDEffectMode", m_iLEDEffectMode},
               {L"LEDBreatheSpeed", m_iLEDBreatheSpeed},
               {L"LEDRainbowSpeed", m_iLEDRainbowSpeed},
               {L"LEDMultiBreatheSpeed", m_iLEDMultiBreatheSpeed},
               {L"LEDBreatheSliderPos", m_iLEDBreatheSliderPos},
               {L"LEDRainbowSliderPos", m_iLEDRainbowSliderPos},
               {L"LEDMultiBreatheSliderPos", m_iLEDMultiBreatheSliderPos},
               {L"LEDSingleColorRGB", colour(0)},
               {L"LEDBreatheColorRGB", colour(1)},
               {L"LEDColor1RGB", colour(2)},
               {L"LEDColor2RGB", colour(3)},
               {L"LEDColor3RGB", colour(4)},
               {L"LEDColor4RGB", colour(5)},
               {L"LEDColor5RGB", colour(6)},
               {L"LEDColor6RGB", colour(7)},
               {L"LEDColor7RGB", colour(8)},
               {L"LEDFastRightSide", m_iLEDFastRightSide}});
    WriteKeys(path, L"ENC", {{L"ENCEN", m_bENCEnable}, {L"ENCValue", m_iENCLevel}});
    WriteKeys(path, L"Timbrex", {{L"TimbrexEN", m_bTimbrexEnable}, {L"TimbrexMode", m_iTimbrexEffect}});
    return 0;
}

int TAudioMainForm::LoadProfile(const std::wstring& path) {
    // 1, 2. Registers only with a device; where the EQ comes from at start.
    if (!m_bDeviceActive) m_bSync = 0;
    m_bEQFromEEPROM = OptionalInt(path, L"EQ", L"EQFromEEPROM");

    // 3, 4. The presets, then the EQ switch.
    for (int p = 0; p < 4; ++p) {
        const std::wstring key = L"S" + std::to_wstring(p + 1);
        const std::vector<std::wstring> fields = SplitCommaList(ReadKey(path, L"EQ", key.c_str()));
        AtKey(path, L"EQ", key.c_str(), [&] { ApplyEQPresetFields(fields, p, m_iEQPreset - 1); });
    }
    m_bEQEnable = Switch(OptionalInt(path, L"EQ", L"EQEN"));
    WriteEQEnableBlock(m_bEQEnable);
    SetEQOnOff(m_bEQEnable);

    // 5, 6. 3D: only its switch and where it comes from at start.
    m_b3DEnable = Switch(OptionalInt(path, L"3D", L"3DEN"));
    Set3DOnOff(m_b3DEnable);
    Show3DButtons(m_bFBM, m_b3DEnable);
    m_b3DFromEEPROM = OptionalInt(path, L"3D", L"3DFromEEPROM");

    // 7. The environment effect; a number the filter driver does not know
    // leaves the current one.
    const int effect = RequiredInt(path, L"Effect", L"CurrentEffect");
    if (effect >= 1 && effect <= 5) m_iEffect = effect;
    else trace::Out(L"***** %ls: CurrentEffect %d ignored *****", path.c_str(), effect);
    ShowEffectButtons(m_iEffect);
    FilterIoctl_SetEffect(static_cast<DWORD>(m_iEffect - 1));
    FilterIoctl_EnableEffect(1);

    // 8 to 10. Virtual 7.1: the switch, the speakers, the table.
    m_b7ch1Enable = Switch(RequiredInt(path, L"Virtual7ch1", L"7ch1EN"));
    if (m_b3DV7ch1Exclusive == 1 && m_b3DEnable == 1) m_b7ch1Enable = 0;
    m_iProfile7ch1Enable = m_b7ch1Enable;
    for (const SpeakerKey& s : kSpeakerReadOrder) {
        const std::vector<std::wstring> fields = SplitCommaList(ReadKey(path, L"Virtual7ch1", s.key));
        AtKey(path, L"Virtual7ch1", s.key, [&] { PlaceSpeakerFromEntry(s.tag, fields, m_b7ch1Enable); });
    }
    ComputeSpeakerTable(m_Speaker);
    if (m_bLibraryBound) fnDLLKQ_SetVirtual7ch1_OnOff(m_b7ch1Enable);
    SendVirtual7ch1(m_b7ch1Enable);

    // 11. The lighting reads its keys from the profile loaded last.
    m_LastProfilePath = path;

    // 12, 13. The lights: the LED button and its GPIO line when the file
    // says, then the lighting page's values.
    if (int on = 0; ReadLightingNumber(path, L"LEDON", on)) {
        m_bLEDOn = Switch(on);
        int s = m_bLEDOn ? 0 : 1;  // ToggleButton paints the flipped state
        ToggleButton(51, s);
        SyncLEDGpio(m_bLEDOn);
    }
    LoadLEDUI();
    RefreshLEDPage();

    // 14. ENC and the voice effect follow the registry, not the file.
    LoadENCState();
    LoadTimbrexState();

    // 15. The page shown again with the new states.
    ShowPage(m_iCurrentPage);
    return 0;
}
