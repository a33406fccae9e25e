// STEP5, STEP6 and STEP7: what the installer finds beside itself in the setup
// folder, copied into the install folder. A source that is missing is passed
// over; a source that exists and cannot be copied fails its step.
#include "setup/InstallCodes.h"
#include "setup/MainForm.h"
#include "shared/DebugTrace.h"
#include "shared/FileHelpers.h"
#include "shared/IniValue.h"
#include "shared/Shortcuts.h"

namespace {

constexpr wchar_t kSettingsFile[] = L"AudioConfig.cfg";
constexpr wchar_t kManualFolder[] = L"Manual\\";

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeNormal(const std::wstring& path) { ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); }

// Copies a folder tree (see CopyFolderTree) and gives attributesTarget normal
// attributes; false only when the source exists and its copy failed.
bool CopyTreeIfPresent(const std::wstring& source, const std::wstring& target, const std::wstring& attributesTarget) {
    const bool present = IsFolder(source);
    const bool copied = CopyFolderTree(source, target);
    MakeNormal(attributesTarget);
    if (present && !copied) trace::Out(L"***** Copy of %ls FAIL! *****\n", source.c_str());
    return copied || !present;
}

// The same for a single file.
bool CopyFileIfPresent(const std::wstring& source, const std::wstring& target) {
    const bool present = IsFile(source);
    const bool copied = CopyFileOverwrite(source, target) != FALSE;
    MakeNormal(target);
    if (present && !copied) trace::Out(L"***** Copy of %ls FAIL! *****\n", source.c_str());
    return copied || !present;
}

bool IsSingleFolderName(const std::wstring& name) {
    return IsUsableFolderName(name) && name.find_first_of(L"\\/") == std::wstring::npos;
}

}  // namespace

DWORD TMainForm::Install_Files() {
    const std::wstring& from = m_Settings.SourceFolderFullPath;
    const std::wstring& to = m_Settings.InstallFolderFullPath;
    for (const std::wstring* folder : {&m_Settings.SkinFolderName, &m_Settings.LanguageFolderName}) {
        if (!CopyTreeIfPresent(from + *folder + L"\\", to, to)) return kFilesFolderCopyFailed;
    }
    // The uninstaller's icon is installed too: the installed uninstaller
    // loads it from its own folder.
    const std::wstring files[] = {kSettingsFile, m_Settings.InstallIconFileName, m_Settings.UninstallIconFileName,
                                  L"bee.wav", L"DLLKQ_UsbAudio73xx_x32.dll"};
    for (const std::wstring& file : files) {
        if (!CopyFileIfPresent(from + file, to + file)) return kFilesFileCopyFailed;
    }
    if (Copy_KB3033929() != 0) Copy_KB3033929();  // one more try; STEP10 finds out
    PostProgress(90);
    return 0;
}

DWORD TMainForm::Install_Manual() {
    std::wstring language;
    ReadDefaultLanguage(language);
    // The language comes from the user's own settings file: only a language
    // the setup folder offers may name the folders of this copy.
    if (!IsOfferedLanguage(language)) {
        trace::Out(L"***** \"%ls\" is not a language of the setup folder: no manual *****\n", language.c_str());
        return 0;
    }
    const std::wstring source = m_Settings.SourceFolderFullPath + kManualFolder + language + L"\\";
    std::wstring file;
    if (!FindFirstFileInFolder(source, file)) return 0;
    const std::wstring manuals = m_Settings.InstallFolderFullPath + kManualFolder;
    ::CreateDirectoryW(manuals.c_str(), nullptr);
    CopyFolderTree(source, manuals);  // lands in Manual\<language>
    MakeNormal(manuals);
    CreateManualShortcut(m_Settings.ShortcutFolderName, manuals + language + L"\\" + file,
                         m_Settings.UserManualShortcutName);
    return 0;
}

DWORD TMainForm::Install_Plugin() {
    const std::wstring target = m_Settings.InstallFolderFullPath + m_Settings.PluginFolderName + L"\\";
    ::CreateDirectoryW(target.c_str(), nullptr);
    if (!CopyTreeIfPresent(m_Settings.SourceFolderFullPath + m_Settings.PluginFolderName + L"\\", target, target))
        return kPluginCopyFailed;
    PostProgress(95);
    return 0;
}

int TMainForm::FindFirstFileInFolder(const std::wstring& folder, std::wstring& fileName) {
    WIN32_FIND_DATAW entry = {};
    win::FindHandle search(::FindFirstFileW((folder + L"*.*").c_str(), &entry));
    if (!search) return 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] != L'.') {
            fileName = entry.cFileName;
            return 1;
        }
    } while (::FindNextFileW(search.get(), &entry));
    return 0;
}

// One of the languages the wizard lists: a single folder name with a folder
// in the listed language folder and a display name in the settings.
bool TMainForm::IsOfferedLanguage(const std::wstring& language) {
    return IsSingleFolderName(language) && IsFolder(LanguageListFolder() + language) &&
           !LanguageDisplayName(language).empty();
}
