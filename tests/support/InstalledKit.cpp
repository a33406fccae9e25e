#include "InstalledKit.h"

#include <windows.h>

#include <cwchar>
#include <set>

#include "InstalledState.h"
#include "TestSupport.h"

namespace vt {

Values KitSettingsValues() {
    const struct {
        const wchar_t* name;
        const wchar_t* startSwitch;
    } contexts[] = {
        {L"UserPrivilegeExecution_%lc0", L" -servicestart"},
        {L"AdminPrivilegeExecution_%lc1", L" -servicestart"},
        {L"SystemPrivilegeExecution_%lc2", L" -servicestart"},
        {L"SystemPrivilegeExecutionOnBoot_%lc3", L" -serviceboot"},
        {L"AdminPrivilegeExecutionOnBoot_%lc4", L" -serviceboot"},
    };
    const std::wstring install = KitInstallFolder();
    const std::pair<wchar_t, std::wstring> programs[] = {
        {L'C', install + L"VelloPanel.exe"},
        {L'B', install + L"Plugin\\VelloEffect\\VelloEffect.exe"},
        {L'D', install + L"Plugin\\VelloSoundFX\\VelloSoundFX.exe"},
    };
    Values values;
    for (const auto& program : programs) {
        for (const auto& context : contexts) {
            wchar_t name[64];
            swprintf(name, 64, context.name, program.first);
            values[name] = L"\"" + program.second + L"\"" + context.startSwitch;
        }
    }
    const std::pair<const wchar_t*, DWORD> defaults[] = {
        {L"EncEnable", 1}, {L"TimbrexEnable", 0}, {L"TimbrexLevel", 2},
        {L"Virtual7ch1Scalar", 20}, {L"EncScalar", 10}, {L"EncGpio", 2},
    };
    for (const auto& d : defaults) values[d.first] = Dword(d.second);
    return values;
}

Values KitUninstallValues() {
    const std::wstring uninstaller = KitInstallFolder() + L"VelloUninstall.exe";
    return {{L"DisplayName", L"Vello Audio Center"},
            {L"UninstallString", uninstaller},
            {L"DisplayIcon", uninstaller},
            {L"DisplayVersion", L"1.0.0.0"},
            {L"Publisher", L"Vello Audio Systems"}};
}

Values KitInstallFiles(const std::wstring& setupFolder, const std::wstring& manualLanguage) {
    Values files;
    for (const std::wstring& tree : {std::wstring(L"Skin\\"), std::wstring(L"Language\\"),
                                     L"Manual\\" + manualLanguage + L"\\", std::wstring(L"Plugin\\")}) {
        for (const std::wstring& file : FilesBelow(setupFolder, tree)) files[file] = setupFolder + file;
    }
    for (const wchar_t* file : {L"AudioConfig.cfg", L"Vello.ico", L"VelloUninstall.ico", L"bee.wav",
                                L"DLLKQ_UsbAudio73xx_x32.dll"})
        files[file] = setupFolder + file;
    for (const wchar_t* program : {L"VelloPanel.exe", L"VelloUninstall.exe"}) files[program] = BinPath(program);
    for (const wchar_t* companion : {L"VelloEffect", L"VelloSoundFX"}) {
        const std::wstring exe = std::wstring(companion) + L".exe";
        files[L"Plugin\\" + std::wstring(companion) + L"\\" + exe] = BinPath(L"companion\\" + exe);
    }
    return files;
}

}  // namespace vt
