#include "SetupRuns.h"

#include <gtest/gtest.h>

#include "InstalledKit.h"
#include "InstalledState.h"

namespace vt {

namespace {

// A registry text value and its type; empty text when missing.
std::wstring RegText(const std::wstring& key, const wchar_t* name, DWORD* type) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    *type = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, data, &size) !=
        ERROR_SUCCESS)
        return L"";
    return data;
}

std::wstring KeyClass(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"";
    wchar_t cls[64] = {};
    DWORD chars = 64;
    ::RegQueryInfoKeyW(key, cls, &chars, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr);
    ::RegCloseKey(key);
    return cls;
}

bool IsChecked(HWND button) { return button && ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A [Setup] caption of the setup folder's language file.
std::wstring SetupCaption(const std::wstring& setupFolder, const std::wstring& language, const wchar_t* key) {
    wchar_t text[256] = {};
    ::GetPrivateProfileStringW(L"Setup", key, L"", text, 256,
                               (setupFolder + L"Language\\" + language + L"\\Language.ini").c_str());
    return text;
}

// The first page's combo box of languages: the visible one.
HWND LanguageComboBox(HWND wizard) {
    HWND found = nullptr;
    ::EnumChildWindows(
        wizard,
        [](HWND child, LPARAM result) {
            if (_wcsicmp(WindowClass(child).c_str(), L"ComboBox") != 0 || !::IsWindowVisible(child)) return TRUE;
            *reinterpret_cast<HWND*>(result) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Picks the language in the first page's combo box as the user does. The
// selection's handler writes debugger lines, so nothing here waits for it.
bool PickLanguage(HWND wizard, const std::wstring& language) {
    HWND combo = LanguageComboBox(wizard);
    if (!combo) return false;
    DWORD_PTR index = static_cast<DWORD_PTR>(CB_ERR);
    ::SendMessageTimeoutW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(language.c_str()), SMTO_NORMAL, 5000, &index);
    if (index == static_cast<DWORD_PTR>(CB_ERR)) return false;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(combo, CB_SETCURSEL, index, 0, SMTO_NORMAL, 5000, &ignored);
    ::PostMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    return true;
}

// How long the wizard may be missing while the installation runs before the
// run is ended.
constexpr DWORD kGoneGraceMs = 5000;
constexpr UINT kEndedByTest = 0xDEAD;

void EndProcess(DWORD pid, SetupRun& run) {
    if (run.wizardVanished) return;
    run.wizardVanished = true;
    if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
        ::TerminateProcess(process, kEndedByTest);
        ::CloseHandle(process);
    }
}

}  // namespace

std::wstring BuildDir() { return BinDir() + L"..\\"; }
std::wstring Built(const std::wstring& file) { return BuildDir() + file; }

void PostCloseRequests(DWORD pid) {
    HWND wizard = WindowOfClass(pid, L"TMainForm");
    for (HWND w : {wizard, WindowOfClass(pid, L"TBackgroundForm"), WindowOfClass(pid, L"TApplication", false)}) {
        if (!w) continue;
        ::PostMessageW(w, WM_CLOSE, 0, 0);
        ::PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    if (HWND cancel = wizard ? FindControl(wizard, L"Button", L"Cancel") : nullptr)
        ::PostMessageW(cancel, BM_CLICK, 0, 0);
}

HWND WaitForPanelWindow(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND w = ::FindWindowW(L"TAudioMainForm", nullptr);
        if (w && ::IsWindowVisible(w)) return w;
        if (::GetTickCount() - start > timeoutMs) return nullptr;
        ::Sleep(200);
    }
}

std::wstring InstalledFile(const std::wstring& file) { return KitInstallFolder() + file; }
std::wstring InstalledPanel() { return InstalledFile(L"VelloPanel.exe"); }
std::wstring InstalledUninstaller() { return InstalledFile(L"VelloUninstall.exe"); }
std::wstring ServiceLogFile() { return SystemFolder() + L"VelloService.log"; }
std::wstring UpdatePackagePath() { return SystemFolder() + L"Windows6.1-KB3033929-x64.msu"; }

bool HasExecutionValues() { return RegValues(kSettingsKey).count(L"UserPrivilegeExecution_C0") != 0; }

SetupRun RunSetup(const std::wstring& setupFolder, const SetupOptions& options) {
    enum Stage { kFirstPage, kLanguagePicked, kInstalling, kDone } stage = kFirstPage;
    const std::wstring language = options.language.empty() ? L"English" : options.language;
    const std::wstring next = SetupCaption(setupFolder, language, L"LabelNextBtn");
    const std::wstring finishCaption = SetupCaption(setupFolder, language, L"LabelFinishBtn");
    const std::wstring later = SetupCaption(setupFolder, language, L"LabelNoRebootRadioBtn");
    SetupRun run;
    DWORD goneSince = 0;
    run.result = RunDebugged(
        L"\"" + setupFolder + L"VelloSetup.exe\"", 120000,
        [&](DWORD pid) {
            MessageBoxInfo box;
            if (FindMessageBox(pid, box)) {
                run.boxes.push_back(box.caption + L": " + box.text);
                AnswerMessageBox(box.hwnd);
                return;
            }
            HWND wizard = WindowOfClass(pid, L"TMainForm");
            if (!wizard && stage == kInstalling) {
                // The wizard went away before its finish page: whatever the
                // program does now, the run has shown all it can.
                if (!goneSince) goneSince = ::GetTickCount();
                if (::GetTickCount() - goneSince > kGoneGraceMs) EndProcess(pid, run);
                return;
            }
            goneSince = 0;
            if (!wizard) return;
            switch (stage) {
            case kFirstPage:
                if (!options.language.empty() && !PickLanguage(wizard, options.language)) break;
                stage = kLanguagePicked;
                break;
            case kLanguagePicked:
                // Next once it shows the chosen language's caption.
                if (HWND button = FindControl(wizard, L"Button", next)) {
                    if (!::IsWindowEnabled(button)) break;
                    run.languagePicked = true;
                    ::PostMessageW(button, BM_CLICK, 0, 0);
                    stage = kInstalling;
                }
                break;
            case kInstalling: {
                HWND finish = FindControl(wizard, L"Button", finishCaption);
                if (!finish || !::IsWindowVisible(finish) || !::IsWindowEnabled(finish)) break;
                run.finishPage = true;
                if (options.pressFinish && IsChecked(FindControl(wizard, L"Button", later))) {
                    ::PostMessageW(finish, BM_CLICK, 0, 0);
                    run.finishPressed = true;
                } else {
                    ::PostMessageW(wizard, WM_CLOSE, 0, 0);
                }
                stage = kDone;
                break;
            }
            case kDone: break;
            }
        },
        L"", options.onDebug);
    return run;
}

void ExpectKitInstalled(const std::wstring& setupFolder, const std::wstring& language, const char* when) {
    SCOPED_TRACE(when);
    // The driver: its service key and the file of the system's build.
    DWORD type = 0;
    EXPECT_EQ(RegText(kDriverKey, L"ImagePath", &type), L"System32\\DRIVERS\\VelloFlt.sys");
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(RegValues(kDriverKey), (std::map<std::wstring, std::wstring>{{L"ErrorControl", Dword(1)},
                                                                           {L"Start", Dword(3)},
                                                                           {L"Type", Dword(1)},
                                                                           {L"ImagePath", L"type:2"}}));
    EXPECT_EQ(KeyClass(kDriverKey), L"VelloFlt");
    EXPECT_TRUE(SameBytes(SystemFolder() + L"drivers\\VelloFlt.sys", Built(L"payload\\driver-native\\VelloFlt.sys")));

    // The service: registered from the system folder, running.
    EXPECT_TRUE(SameBytes(SystemFolder() + L"VelloService.exe", BinPath(L"VelloService.exe")));
    const ServiceInfo service = QueryService(kServiceName);
    EXPECT_EQ(service.state, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(service.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(service.serviceType & SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(service.binaryPath, L"\"" + SystemFolder() + L"VelloService.exe\" VelloService");

    // The update package, placed in the system folder.
    EXPECT_TRUE(SameBytes(UpdatePackagePath(), Built(L"payload\\update\\Windows6.1-KB3033929-x64.msu")));

    // The settings key with the defaults and the command lines, in the
    // programs' own view (the 64-bit one for this build); nothing in the other.
    EXPECT_EQ(RegValues(kSettingsKey, KEY_WOW64_64KEY), KitSettingsValues());
    EXPECT_TRUE(RegValues(kSettingsKey, KEY_WOW64_32KEY).empty());

    // The Run value, the uninstall entry and the shortcuts.
    EXPECT_EQ(RegValues(kRunKey, KEY_WOW64_64KEY)[L"VelloPanel"], L"\"" + InstalledPanel() + L"\" -boot");
    EXPECT_EQ(RegValues(kUninstallKey, KEY_WOW64_64KEY), KitUninstallValues());
    const std::wstring manual = InstalledFile(L"Manual\\" + language + L"\\VelloAudioManual.html");
    const std::wstring menu = KitStartMenuFolder();
    EXPECT_EQ(FilesBelow(menu), (std::set<std::wstring>{L"Uninstall Vello Audio.lnk", L"Vello Audio Center.lnk",
                                                        L"Vello Audio Manual.lnk"}));
    EXPECT_EQ(ShortcutTarget(menu + L"Vello Audio Center.lnk"), InstalledPanel());
    EXPECT_EQ(ShortcutTarget(menu + L"Uninstall Vello Audio.lnk"), InstalledUninstaller());
    EXPECT_EQ(ShortcutTarget(menu + L"Vello Audio Manual.lnk"), manual);
    EXPECT_EQ(ShortcutTarget(DesktopFolder() + L"Vello Audio Center.lnk"), InstalledPanel());

    // The install folder holds exactly its files, each equal to its source,
    // with normal attributes; the manual only in the chosen language.
    const Values expected = KitInstallFiles(setupFolder, language);
    std::set<std::wstring> names;
    for (const auto& file : expected) names.insert(file.first);
    EXPECT_EQ(FilesBelow(KitInstallFolder()), names);
    for (const auto& file : expected) {
        EXPECT_TRUE(SameBytes(InstalledFile(file.first), file.second)) << Narrow(file.first);
        EXPECT_EQ(::GetFileAttributesW(InstalledFile(file.first).c_str()) &
                      (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
                  0u)
            << Narrow(file.first);
    }
}

}  // namespace vt
