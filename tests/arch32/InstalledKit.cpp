#include "InstalledKit.h"

#include <windows.h>

#include <cwchar>

#include "InstalledState.h"
#include "TestSupport.h"

namespace arch32 {
namespace {

void ListFiles(const std::wstring& folder, const std::wstring& relative, std::set<std::wstring>& files) {
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + relative + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListFiles(folder, relative + name + L"\\", files);
        else files.insert(relative + name);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

std::set<std::wstring> FilesBelow(const std::wstring& folder, const std::wstring& relative) {
    std::set<std::wstring> files;
    ListFiles(folder, relative, files);
    return files;
}

}  // namespace

std::set<std::wstring> FilesBelow(const std::wstring& folder) { return FilesBelow(folder, L""); }

bool SameBytes(const std::wstring& path, const std::wstring& otherPath) {
    const std::string bytes = vt::ReadFileBytes(path);
    return !bytes.empty() && bytes == vt::ReadFileBytes(otherPath);
}

bool InOrder(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& wanted) {
    size_t next = 0;
    for (const std::wstring& line : lines) {
        if (next < wanted.size() && line == wanted[next]) ++next;
    }
    return next == wanted.size();
}

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
    const std::wstring install = vt::KitInstallFolder();
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
    for (const auto& d : defaults) values[d.first] = vt::Dword(d.second);
    return values;
}

Values KitUninstallValues() {
    const std::wstring uninstaller = vt::KitInstallFolder() + L"VelloUninstall.exe";
    return {{L"DisplayName", L"Vello Audio Center"},
            {L"UninstallString", uninstaller},
            {L"DisplayIcon", uninstaller},
            {L"DisplayVersion", L"1.0.0.0"},
            {L"Publisher", L"Vello Audio Systems"}};
}

Values KitInstallFiles(const std::wstring& setupFolder) {
    Values files;
    for (const wchar_t* tree : {L"Skin\\", L"Language\\", L"Manual\\English\\", L"Plugin\\"}) {
        for (const std::wstring& file : FilesBelow(setupFolder, tree)) files[file] = setupFolder + file;
    }
    for (const wchar_t* file : {L"AudioConfig.cfg", L"Vello.ico", L"VelloUninstall.ico", L"bee.wav",
                                L"DLLKQ_UsbAudio73xx_x32.dll"})
        files[file] = setupFolder + file;
    for (const wchar_t* program : {L"VelloPanel.exe", L"VelloUninstall.exe"}) files[program] = vt::BinPath(program);
    for (const wchar_t* companion : {L"VelloEffect", L"VelloSoundFX"}) {
        const std::wstring exe = std::wstring(companion) + L".exe";
        files[L"Plugin\\" + std::wstring(companion) + L"\\" + exe] = vt::BinPath(L"companion\\" + exe);
    }
    return files;
}

}  // namespace arch32
