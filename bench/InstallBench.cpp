// Benchmark of the installer and the uninstaller, run by bench/run.sh in a
// fresh Wine prefix of its own:
//
//   install_bench.exe <setup folder> [-v]
//
//  5. VelloSetup.exe from the setup folder: from pressing Next to the Finish
//     page (the wizard is then closed, so no control panel starts);
//  6. the VelloUninstall.exe it installed: from pressing Uninstall to the
//     end of the clean-up program the uninstaller starts last.
// Each time is set against the fixed waits of the path the program took,
// counted from its debugger output: the pauses its steps make and, for each
// wait for the service, the least it could have taken (one poll interval
// when the first look did not find the service in the state asked for,
// none when it did). The programs run as debugged children (the uninstaller
// with the clean-up program it starts), so every debugger line and every
// end gets a time; the profile printed after each ratio is the
// time from one step line to the next, less the fixed waits inside. With
// -v every debugger line is printed with its time. Last, the files the
// installer copies and the uninstaller deletes are copied and deleted by a
// bare loop (5b, 6b): what the file system alone costs for them here.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "InstalledState.h"
#include "TestSupport.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

bool g_verbose = false;

// ------------------------------------------------------------ the child

struct Line {
    double at;  // seconds
    std::wstring text;
};

// A program run as a debugged child: its debugger lines, each with the time
// it arrived, and its end. A thread of its own waits for the child's debug
// events, so the child never waits long for its debugger. With the tree,
// the programs it starts are debugged too, and the debugger ends with the
// last of them.
class DebuggedChild {
public:
    DebuggedChild() = default;
    DebuggedChild(const DebuggedChild&) = delete;
    DebuggedChild& operator=(const DebuggedChild&) = delete;
    ~DebuggedChild() {
        if (!thread_.joinable()) return;
        if (!ended_ && process_) ::TerminateProcess(process_, 0xDEAD);
        thread_.join();
    }
    bool Start(const std::wstring& commandLine, const std::wstring& folder, bool tree = false) {
        std::promise<bool> started;
        std::future<bool> result = started.get_future();
        thread_ = std::thread([this, commandLine, folder, tree](std::promise<bool> promise) {
            Debug(commandLine, folder, tree, promise);
        }, std::move(started));
        return result.get();
    }
    DWORD pid() const { return pid_; }
    bool ended() const { return ended_; }
    double endedAt() const { return endedAt_; }
    DWORD exitCode() const { return exitCode_; }
    // How many programs it started have ended, and when the last did.
    int othersEnded() const { return othersEnded_; }
    double lastEndedAt() const { return lastEndedAt_; }
    // Waits until every debugged program has ended and been let go.
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    std::vector<Line> lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

private:
    void Debug(const std::wstring& commandLine, const std::wstring& folder, bool tree, std::promise<bool>& started) {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::wstring command = commandLine;
        if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE,
                              tree ? DEBUG_PROCESS : DEBUG_ONLY_THIS_PROCESS, nullptr, folder.c_str(), &si, &pi)) {
            started.set_value(false);
            return;
        }
        ::CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        pid_ = pi.dwProcessId;
        started.set_value(true);
        // The debugger's own handle of each debugged program, to read its lines.
        std::map<DWORD, HANDLE> running;
        DEBUG_EVENT ev = {};
        while (::WaitForDebugEvent(&ev, INFINITE)) {
            // The programs' own files are closed here too: the clean-up deletes them.
            const DWORD status = vt::SettleDebugEvent(ev);
            if (ev.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
                running[ev.dwProcessId] = ev.u.CreateProcessInfo.hProcess;
            } else if (ev.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
                const double at = Now();
                std::wstring text = vt::ReadDebugString(running[ev.dwProcessId], ev.u.DebugString);
                std::lock_guard<std::mutex> lock(mutex_);
                lines_.push_back({at, std::move(text)});
            } else if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
                running.erase(ev.dwProcessId);
                if (ev.dwProcessId == pid_) {
                    endedAt_ = Now();
                    exitCode_ = ev.u.ExitProcess.dwExitCode;
                    ended_ = true;
                } else {
                    lastEndedAt_ = Now();
                    ++othersEnded_;
                }
            }
            ::ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
            if (ended_ && running.empty()) break;
        }
        ::CloseHandle(process_);
    }

    std::thread thread_;
    HANDLE process_ = nullptr;
    std::atomic<DWORD> pid_{0};
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
    std::atomic<bool> ended_{false};
    double endedAt_ = 0;
    DWORD exitCode_ = 0;
    std::atomic<int> othersEnded_{0};
    double lastEndedAt_ = 0;
};

HWND WindowOfClass(DWORD pid, const wchar_t* cls) {
    for (HWND w : vt::ProcessWindows(pid, true)) {
        if (vt::WindowClass(w) == cls) return w;
    }
    return nullptr;
}

bool Usable(HWND control) { return control && ::IsWindowVisible(control) && ::IsWindowEnabled(control); }

// Polls until ready() gives a window or the child ends; message boxes are
// answered and counted. The polls are light, since every one asks the Wine
// server that the child's own file and window calls wait for: ready() every
// 5 ms, boxes every 100 ms.
HWND PollUntil(DebuggedChild& child, const std::function<HWND()>& ready, int& boxes, double timeout = 120) {
    const double start = Now();
    double boxesLooked = 0;
    while (!child.ended() && Now() - start < timeout) {
        if (HWND w = ready()) return w;
        if (Now() - boxesLooked > 0.1) {
            boxesLooked = Now();
            vt::MessageBoxInfo box;
            if (vt::FindMessageBox(child.pid(), box)) {
                std::printf("   box: %s: %s\n", vt::Narrow(box.caption).c_str(), vt::Narrow(box.text).c_str());
                vt::AnswerMessageBox(box.hwnd);
                ++boxes;
            }
        }
        ::Sleep(5);
    }
    return nullptr;
}

// ------------------------------------------------------- fixed waits

// A pause a debugger line shows was made: before the line (it belongs to
// the stretch before it) or after it.
struct Pause {
    const wchar_t* line;
    DWORD ms;
    bool beforeLine;
};

// VelloSetup: the worker's pause before STEP1, STEP9's pause, and the pause
// between the end of the sequence and the finish message (after its first
// line, counted in the last stretch).
const Pause kInstallPauses[] = {
    {L"===== Install STEP1 =====\n", 100, true},
    {L"===== Install STEP9 =====\n", 1000, false},
};
const Pause kInstallEndPause = {L"==> TMainForm::Install\n", 500, false};
// VelloUninstall: the pause after the filter removal of STEP7.
const Pause kUninstallPauses[] = {
    {L"===== Uninstall STEP7 =====\n", 500, false},
};

// "##### <service> <STATE> after <n> pause(s) of <ms> ms #####": a wait for
// the service, which made n pauses. The least it could have taken on that
// path is one pause when it made any.
bool ServiceWait(const std::wstring& line, int& pauses, int& ms) {
    const size_t after = line.find(L" after ");
    return line.rfind(L"##### ", 0) == 0 && after != std::wstring::npos &&
           std::swscanf(line.c_str() + after, L" after %d pause(s) of %d ms", &pauses, &ms) == 2;
}

// A stretch of the profile: from one step line to the next.
struct Stretch {
    std::wstring name;
    double from, to;
    double fixedMs = 0;
    double serviceExtraMs = 0;  // service pauses beyond the least
};

bool IsStepLine(const std::wstring& text) { return text.rfind(L"===== ", 0) == 0 || text.rfind(L"==> ", 0) == 0; }

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return text;
}

struct Measured {
    double seconds = -1;
    double fixedMs = 0;
    double serviceExtraMs = 0;
};

// Splits the run into stretches at the step lines and counts the fixed
// waits into them. events are the lines plus the moments the bench saw
// (press, finish page, program end), in time order.
Measured Profile(const char* what, double pressed, double done, const std::vector<Line>& events,
                 const std::vector<Pause>& pauses, const Pause* endPause) {
    std::vector<Stretch> stretches{{L"(pressed)", pressed, done}};
    std::vector<size_t> stretchOfLine;
    for (const Line& l : events) {
        if (IsStepLine(l.text) || l.text.rfind(L"(", 0) == 0) {
            stretches.back().to = l.at;
            stretches.push_back({Trimmed(l.text), l.at, done});
        }
        stretchOfLine.push_back(stretches.size() - 1);
    }
    Measured m;
    m.seconds = done - pressed;
    int serviceWaits = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        const std::wstring& text = events[i].text;
        for (const Pause& p : pauses) {
            if (text != p.line) continue;
            Stretch& s = stretches[p.beforeLine && stretchOfLine[i] > 0 ? stretchOfLine[i] - 1 : stretchOfLine[i]];
            s.fixedMs += p.ms;
            m.fixedMs += p.ms;
        }
        if (endPause && text == endPause->line) {
            // Made after the last step line: counted in the stretch that
            // ends with the moment the bench saw.
            size_t last = stretches.size() - 1;
            while (last > 0 && stretches[last].name.rfind(L"(", 0) == 0) --last;
            stretches[last].fixedMs += endPause->ms;
            m.fixedMs += endPause->ms;
        }
        int count = 0, ms = 0;
        if (ServiceWait(text, count, ms)) {
            ++serviceWaits;
            Stretch& s = stretches[stretchOfLine[i]];
            const double least = count > 0 ? ms : 0;
            s.fixedMs += least;
            s.serviceExtraMs += static_cast<double>(count) * ms - least;
            m.fixedMs += least;
            m.serviceExtraMs += static_cast<double>(count) * ms - least;
        }
    }
    if (!serviceWaits)
        std::printf("   note: no line tells how many pauses the waits for the service made (a build from before "
                    "they were traced): none counted\n");
    std::printf("   profile of the %s (ms: stretch, fixed waits in it, the rest):\n", what);
    for (const Stretch& s : stretches) {
        if (&s == &stretches.back() && s.to <= s.from) break;  // the moment that ends the run
        const double ms = 1000 * (s.to - s.from);
        std::printf("   %8.0f %6.0f %8.0f  %s", ms, s.fixedMs, ms - s.fixedMs, vt::Narrow(s.name).c_str());
        if (s.serviceExtraMs > 0) std::printf("  (of the rest, %.0f ms more service pauses)", s.serviceExtraMs);
        std::printf("\n");
    }
    if (g_verbose) {
        std::printf("   every line (ms after the press):\n");
        for (const Line& l : events) std::printf("   %8.1f  %s\n", 1000 * (l.at - pressed), vt::Narrow(Trimmed(l.text)).c_str());
    }
    return m;
}

void PrintRatio(const char* number, const char* what, const Measured& m) {
    if (m.seconds < 0) {
        std::printf("%s. %s: not measured\n", number, what);
        return;
    }
    std::printf("%s. %s: %.0f ms, fixed waits %.0f ms, ratio %.2f, the rest %.0f ms (goal <= 1.2)\n", number, what,
                1000 * m.seconds, m.fixedMs, m.fixedMs > 0 ? 1000 * m.seconds / m.fixedMs : -1.0,
                1000 * m.seconds - m.fixedMs);
}

std::vector<Line> WithMoments(std::vector<Line> lines, std::vector<Line> moments) {
    lines.insert(lines.end(), moments.begin(), moments.end());
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.at < b.at; });
    return lines;
}

// The lines that came between the two moments.
std::vector<Line> Between(const std::vector<Line>& lines, double from, double to) {
    std::vector<Line> between;
    for (const Line& l : lines) {
        if (l.at >= from && l.at <= to) between.push_back(l);
    }
    return between;
}

// ------------------------------------------------------------ install

Measured Install(const std::wstring& setupFolder) {
    DebuggedChild setup;
    int boxes = 0;
    if (!setup.Start(L"\"" + setupFolder + L"VelloSetup.exe\"", setupFolder)) {
        std::printf("   VelloSetup.exe does not start from %s\n", vt::Narrow(setupFolder).c_str());
        return {};
    }
    HWND wizard = nullptr, next = nullptr, finish = nullptr;
    PollUntil(setup, [&]() -> HWND {
        wizard = WindowOfClass(setup.pid(), L"TMainForm");
        next = wizard ? vt::FindControl(wizard, L"Button", L"Next >") : nullptr;
        finish = wizard ? vt::FindControl(wizard, L"Button", L"Finish") : nullptr;
        return Usable(next) && finish ? next : nullptr;
    }, boxes);
    if (!Usable(next) || !finish) {
        std::printf("   the wizard's Next button did not come\n");
        return {};
    }
    // The first page settles (its preparations end with a pause), then Next.
    PollUntil(setup, [] { return HWND(nullptr); }, boxes, 1.5);
    const double pressed = Now();
    ::PostMessageW(next, BM_CLICK, 0, 0);
    const bool finished = PollUntil(setup, [&] { return Usable(finish) ? finish : HWND(nullptr); }, boxes) != nullptr;
    const double shown = Now();
    if (!finished) {
        std::printf("   the Finish page did not come\n");
        return {};
    }
    // Closed, not finished: Finish would start the control panel.
    ::PostMessageW(wizard, WM_CLOSE, 0, 0);
    setup.Join();
    if (boxes || setup.exitCode() != 0)
        std::printf("   warning: %d box(es), VelloSetup ended with 0x%lX\n", boxes, setup.exitCode());
    std::vector<Pause> pauses(std::begin(kInstallPauses), std::end(kInstallPauses));
    return Profile("installation", pressed, shown,
                   WithMoments(Between(setup.lines(), pressed, shown), {{shown, L"(Finish page shown)"}}), pauses,
                   &kInstallEndPause);
}

// ---------------------------------------------------------- uninstall

std::wstring InstalledUninstaller() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path) - sizeof(wchar_t);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qorv73xxAudioExt",
                   L"UninstallString", RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

// The uninstaller's two buttons, Uninstall the left one.
HWND UninstallButton(HWND window) {
    HWND left = nullptr;
    int leftX = 0;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        if (vt::WindowClass(child) != L"Button" || !::GetWindowRect(child, &r)) continue;
        if (!left || r.left < leftX) {
            left = child;
            leftX = r.left;
        }
    }
    return left;
}

Measured Uninstall() {
    const std::wstring uninstaller = InstalledUninstaller();
    // The clean-up program the uninstaller starts is debugged too: the end
    // of the last program is the end of the run.
    DebuggedChild child;
    int boxes = 0;
    // Started from C:\ as from the list of installed programs: nothing holds
    // the install folder.
    if (uninstaller.empty() || !child.Start(L"\"" + uninstaller + L"\"", L"C:\\", true)) {
        std::printf("   the installed VelloUninstall.exe does not start (%s)\n", vt::Narrow(uninstaller).c_str());
        return {};
    }
    HWND button = PollUntil(child, [&]() -> HWND {
        HWND window = WindowOfClass(child.pid(), L"TMainForm");
        HWND b = window ? UninstallButton(window) : nullptr;
        return Usable(b) ? b : nullptr;
    }, boxes);
    if (!button) {
        std::printf("   the Uninstall button did not come\n");
        return {};
    }
    PollUntil(child, [] { return HWND(nullptr); }, boxes, 1.5);
    const double pressed = Now();
    ::PostMessageW(button, BM_CLICK, 0, 0);
    PollUntil(child, [] { return HWND(nullptr); }, boxes);
    if (!child.ended()) {
        std::printf("   the uninstaller did not end\n");
        return {};
    }
    child.Join();
    if (child.othersEnded() == 0) {
        std::printf("   the uninstaller started no clean-up program\n");
        return {};
    }
    const double done = child.lastEndedAt();
    if (boxes) std::printf("   warning: %d box(es)\n", boxes);
    for (const std::wstring& line : vt::LogLines(L"C:\\ProgramData\\FinalDeleteFile.log"))
        std::printf("   clean-up: %s\n", vt::Narrow(line).c_str());
    std::vector<Pause> pauses(std::begin(kUninstallPauses), std::end(kUninstallPauses));
    return Profile("uninstallation", pressed, done,
                   WithMoments(Between(child.lines(), pressed, done),
                               {{child.endedAt(), L"(uninstaller ended)"}, {done, L"(clean-up ended)"}}),
                   pauses, nullptr);
}

// ------------------------------------------------- the files themselves

// What the file system itself costs here for the files the installer copies
// from its folder (the skin, language and plug-in trees and the four single
// files) and the uninstaller deletes: each copied by CopyFileW and given
// normal attributes, then deleted, by a bare loop, into a folder of its own.
struct BareFiles {
    int files = 0;
    int folders = 0;
    double copySeconds = 0;
    double deleteSeconds = 0;
};

void BareCopy(const std::wstring& from, const std::wstring& to, BareFiles& bare) {
    ::CreateDirectoryW(to.c_str(), nullptr);
    ++bare.folders;
    WIN32_FIND_DATAW entry = {};
    HANDLE find = ::FindFirstFileW((from + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            BareCopy(from + L"\\" + name, to + L"\\" + name, bare);
        } else {
            ::CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
            ::SetFileAttributesW((to + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            ++bare.files;
        }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

void BareDelete(const std::wstring& folder) {
    WIN32_FIND_DATAW entry = {};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) BareDelete(folder + L"\\" + name);
            else ::DeleteFileW((folder + L"\\" + name).c_str());
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

BareFiles MeasureBareFiles(const std::wstring& setupFolder) {
    const std::wstring settings = setupFolder + L"AudioConfig.cfg";
    auto setting = [&](const wchar_t* section, const wchar_t* key) {
        wchar_t value[MAX_PATH] = {};
        ::GetPrivateProfileStringW(section, key, L"", value, MAX_PATH, settings.c_str());
        return std::wstring(value);
    };
    const std::wstring target = L"C:\\bench-bare-files";
    BareFiles bare;
    const double start = Now();
    ::CreateDirectoryW(target.c_str(), nullptr);
    for (const std::wstring& name : {setting(L"Skin", L"SkinFolderName"), setting(L"Language", L"LanguageFolderName"),
                                     setting(L"Plugin", L"PluginFolderName")}) {
        if (!name.empty()) BareCopy(setupFolder + name, target + L"\\" + name, bare);
    }
    for (const std::wstring& name : {std::wstring(L"AudioConfig.cfg"), setting(L"Install", L"InstallIconFileName"),
                                     std::wstring(L"bee.wav"), std::wstring(L"DLLKQ_UsbAudio73xx_x32.dll")}) {
        if (name.empty()) continue;
        ::CopyFileW((setupFolder + name).c_str(), (target + L"\\" + name).c_str(), FALSE);
        ::SetFileAttributesW((target + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        ++bare.files;
    }
    bare.copySeconds = Now() - start;
    const double copied = Now();
    BareDelete(target);
    bare.deleteSeconds = Now() - copied;
    return bare;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: install_bench.exe <setup folder> [-v]\n");
        return 2;
    }
    std::wstring folder = argv[1];
    if (folder.back() != L'\\') folder += L'\\';
    g_verbose = argc > 2 && std::wcscmp(argv[2], L"-v") == 0;

    const Measured install = Install(folder);
    PrintRatio("5", "install, Next to the Finish page", install);
    std::fflush(stdout);
    ::Sleep(2000);  // the prefix settles
    const Measured uninstall = install.seconds < 0 ? Measured{} : Uninstall();
    PrintRatio("6", "uninstall, Uninstall to the end of the clean-up", uninstall);
    std::fflush(stdout);
    // The floor under the rest: the same files through the file system alone.
    const BareFiles bare = MeasureBareFiles(folder);
    std::printf("5b. bare copy of the %d files in %d folders the install copies: %.0f ms\n", bare.files,
                bare.folders, 1000 * bare.copySeconds);
    std::printf("6b. bare deletion of them: %.0f ms\n", 1000 * bare.deleteSeconds);
    return install.seconds < 0 || uninstall.seconds < 0;
}
