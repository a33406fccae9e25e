// Profiles. Saving and loading user profiles is still to come; the last
// profile is written with the EQ presets and the 7.1 speaker layout, and the
// default profile's enable values are read.
#include "panel/AudioMainForm.h"
#include "shared/DebugTrace.h"

namespace {

std::wstring UserFile(const std::wstring& folderName, const wchar_t* file) {
    wchar_t appData[256] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, 256);
    return std::wstring(appData) + L"\\" + folderName + L"\\" + file;
}

}  // namespace

int TAudioMainForm::SaveProfileAs() { return 1; }

int TAudioMainForm::OpenProfile() { return 1; }

int TAudioMainForm::SaveLastProfile(const std::wstring& folderName) {
    wchar_t appData[256] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, 256);
    ::CreateDirectoryW((std::wstring(appData) + L"\\" + folderName).c_str(), nullptr);
    const std::wstring path = UserFile(folderName, L"LastProfile.ini");
    for (int n = 1; n <= 4; ++n) {
        EQ_PARAMS preset{};
        GetEQParamsFromImage(EQPresetOffset(n), preset, ConfigImage);
        std::wstring value = trace::Format(L"0x%X,0x%X,0x%X,0x%X,0x%X,%d", preset.wGain[0], preset.wGain[1],
                                           preset.wGain[2], preset.wGain[3], preset.wGain[4], m_bEQEnable);
        WriteIniString(path, L"EQ", (L"S" + std::to_wstring(n)).c_str(), value);
    }
    WriteIniString(path, L"EQ", L"EQEN", std::to_wstring(m_bEQEnable));
    WriteSpeakerLayout(path);
    return 0;
}

int TAudioMainForm::LoadLastProfile(const std::wstring& folderName) {
    if (IsFileExist(Handle(), UserFile(folderName, L"LastProfile.ini"))) {
        // Of a profile's load, so far only its last step: ENC and the voice
        // effect come from the registry, never from the profile.
        LoadENCState();
        LoadTimbrexState();
        return 0;
    }
    m_bNoLastProfile = 1;
    return 1;
}

int TAudioMainForm::LoadDefaultProfile(const std::wstring& folderName) {
    return IsFileExist(Handle(), UserFile(folderName, L"DefaultProfile.ini")) ? 0 : 1;
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
