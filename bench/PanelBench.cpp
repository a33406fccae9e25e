// Benchmarks of the control panel, printed as one report:
//  1. time from process start to the first painted frame, VelloPanel beside a
//     bare Win32 window program started the same way (ratio);
//  2. main-thread CPU time per EQ drag move with the simulated device
//     answering at once;
//  3. CPU use of VelloPanel over 10 s idle with its window shown and no device;
//  4. private memory of VelloPanel with its full skin shown, beside the bare
//     window program.
// "panel_bench.exe -drag N" measures only figure 2, over N moves.
// Runs from its own folder, which holds the sample kit, the stand-in device
// library, VelloPanel.exe and bench_bare_window.exe (see bench/run.sh).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "HidSimulation.h"
#include "PhantomDevices.h"
#include "panel/AudioMainForm.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/HidDevice.h"

namespace {

std::wstring Folder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

double Now() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double FileTimeSeconds(const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

struct Found {
    DWORD pid;
    HWND hwnd;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lParam) {
    auto* f = reinterpret_cast<Found*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    RECT r;
    if (pid == f->pid && ::IsWindowVisible(hwnd) && ::GetWindowRect(hwnd, &r) && r.right - r.left > 400) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

COLORREF ScreenPixel(POINT p) {
    HDC dc = ::GetDC(nullptr);
    COLORREF c = ::GetPixel(dc, p.x, p.y);
    ::ReleaseDC(nullptr, dc);
    return c;
}

struct Launched {
    PROCESS_INFORMATION pi{};
    HWND window = nullptr;
    double seconds = -1;
};

// Starts the program and waits until its window shows something other than
// the desktop at the screen's centre.
Launched StartUntilPainted(const std::wstring& exe, const std::wstring& args) {
    Launched l;
    POINT centre{::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2};
    COLORREF desktop = ScreenPixel(centre);
    std::wstring command = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    double start = Now();
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, Folder().c_str(), &si, &l.pi))
        return l;
    while (Now() - start < 60) {
        Found f{l.pi.dwProcessId, nullptr};
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&f));
        if (f.hwnd && ScreenPixel(centre) != desktop) {
            l.window = f.hwnd;
            l.seconds = Now() - start;
            break;
        }
        ::Sleep(1);
    }
    return l;
}

void End(Launched& l) {
    if (l.window) ::PostMessageW(l.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(l.pi.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(l.pi.hProcess, 1);
    ::CloseHandle(l.pi.hProcess);
    ::CloseHandle(l.pi.hThread);
    ::Sleep(300);
}

double Median(std::vector<double> times) {
    if (times.empty()) return -1;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Start-up times of several programs, measured in turns (each round starts
// every program once, in a new order each round), so that a machine that
// grows busier or quieter meanwhile weighs on all of them alike.
std::vector<double> MedianStarts(const std::vector<std::wstring>& exes, const std::wstring& args, int rounds) {
    std::vector<std::vector<double>> times(exes.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < exes.size(); ++k) {
            size_t i = (k + static_cast<size_t>(round)) % exes.size();
            Launched l = StartUntilPainted(exes[i], i == 0 ? L"" : args);
            if (l.seconds > 0) times[i].push_back(l.seconds);
            End(l);
        }
    }
    std::vector<double> medians;
    for (const auto& t : times) medians.push_back(Median(t));
    return medians;
}

double IdleCpuPercent() {
    Launched l = StartUntilPainted(Folder() + L"VelloPanel.exe", L"-servicestart");
    if (!l.window) {
        End(l);
        return -1;
    }
    ::Sleep(1000);
    FILETIME c, e, k0, u0, k1, u1;
    ::GetProcessTimes(l.pi.hProcess, &c, &e, &k0, &u0);
    double t0 = Now();
    ::Sleep(10000);
    ::GetProcessTimes(l.pi.hProcess, &c, &e, &k1, &u1);
    double wall = Now() - t0;
    double cpu = FileTimeSeconds(k1) - FileTimeSeconds(k0) + FileTimeSeconds(u1) - FileTimeSeconds(u0);
    End(l);
    return 100.0 * cpu / wall;
}

// Private memory (commit charge) of a program once its window is painted and
// has settled, in MB. Wine reports no PrivateUsage; its PagefileUsage is the
// process's anonymous resident memory, which Windows reports in both.
double PrivateMegabytes(const std::wstring& exe, const std::wstring& args) {
    Launched l = StartUntilPainted(exe, args);
    double megabytes = -1;
    if (l.window) {
        ::Sleep(2000);
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof(counters);
        if (::GetProcessMemoryInfo(l.pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof(counters)))
            megabytes = static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / (1024 * 1024);
    }
    End(l);
    return megabytes;
}

// Main-thread CPU per call of f, in ms, over n calls.
double ThreadMilliseconds(int n, const std::function<void()>& f) {
    FILETIME c, e, k0, u0, k1, u1;
    HANDLE thread = ::GetCurrentThread();
    ::GetThreadTimes(thread, &c, &e, &k0, &u0);
    for (int i = 0; i < n; ++i) f();
    ::GetThreadTimes(thread, &c, &e, &k1, &u1);
    return 1000.0 * (FileTimeSeconds(k1) - FileTimeSeconds(k0) + FileTimeSeconds(u1) - FileTimeSeconds(u0)) / n;
}

// Main-thread CPU per drag move, and per move what the calls that each move
// must make cost by themselves (ms).
struct DragFigure {
    double perMove, cursor, library, open;
};

DragFigure MeasureDragMoves(int moves) {
    vt::PhantomDevices phantoms;
    phantoms.Add({L"USB\\VID_2F7B&PID_731F&REV_0100&MI_00"});
    hidsim::Simulation sim;
    sim.AddHidDevice({0x2F7B, 0x731F});
    sim.AddFilterDevice(0x2F7B, 0x731F);
    ui::TApplication app;
    app.SetMessageBoxHandler([](HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; });
    TAudioMainForm* form = nullptr;
    app.CreateForm(form);
    form->Show();
    app.ProcessMessages();
    if (!form->m_bDeviceActive) std::printf("warning: the simulated device was not found\n");

    ui::TImage* slider = form->Image(L"EQ60HzSliderImage");
    form->m_pDragControl = slider;
    form->m_bDragging = true;
    form->m_iDragMode = dmEQBand;
    ::GetCursorPos(&form->m_ptDragCursor);  // the cursor stays: each move sets where it started
    const int height = std::max(form->m_iEQSliderHeight, 1);
    const size_t reportsBefore = sim.OutputReports().size();
    // What each move must call, through the same stand-ins: the cursor
    // position (asked of X while the cursor stands still, as here, not while
    // a hand moves it), the EQ switch's three device-library calls and the
    // HID interface opened and closed. Measured in turns with the moves, a
    // block at a time, so that a machine growing busier weighs on all alike.
    int i = 0;
    auto move = [&] {
        form->m_iDragStartTop = form->m_iEQSliderTop + (i++ * 7) % (height + 1);
        form->DragSlider();
    };
    POINT p;
    auto cursor = [&] { ::GetCursorPos(&p); };
    auto library = [&] {
        int state = 0;
        fnDLLKQ_ConfigEQ_ById(0);
        fnDLLKQ_SetEQ_OnOff_ById(form->m_bEQEnable, 0);
        fnDLLKQ_IsEQ_Enable_ById(&state, 0);
    };
    auto open = [&] { OpenHidDevice(form->m_wVID, form->m_wPID); };
    constexpr int kBlocks = 10;
    const int perBlock = std::max(1, moves / kBlocks);
    DragFigure f = {};
    double wall = 0;
    for (int b = 0; b < kBlocks; ++b) {
        const double t0 = Now();
        f.perMove += ThreadMilliseconds(perBlock, move) / kBlocks;
        wall += Now() - t0;
        f.cursor += ThreadMilliseconds(perBlock, cursor) / kBlocks;
        f.library += ThreadMilliseconds(perBlock, library) / kBlocks;
        f.open += ThreadMilliseconds(perBlock, open) / kBlocks;
    }
    std::printf("  (%d moves, %zu reports sent, wall %.3f ms per move)\n", perBlock * kBlocks,
                sim.OutputReports().size() - reportsBefore, 1000.0 * wall / (perBlock * kBlocks));
    form->m_bDragging = false;
    form->Free();
    return f;
}

void PrintDragFigure(const DragFigure& f) {
    std::printf("2. main-thread CPU per EQ drag move: %.4f ms (goal <= 0.1 ms)\n", f.perMove);
    std::printf("   of each move: cursor position %.4f ms, three device-library calls %.4f ms, HID interface opened "
                "and closed %.4f ms; the rest %.4f ms\n",
                f.cursor, f.library, f.open, f.perMove - f.cursor - f.library - f.open);
}

void PrepareUserFolder() {
    wchar_t appData[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    wchar_t name[128] = {};
    ::GetPrivateProfileStringW(L"Install", L"InstallFolderName", L"", name, 128,
                               (Folder() + L"AudioConfig.cfg").c_str());
    std::wstring user = std::wstring(appData) + L"\\" + name + L"\\";
    ::CreateDirectoryW(user.c_str(), nullptr);
    ::CopyFileW((Folder() + L"AudioConfig.cfg").c_str(), (user + L"AudioConfig.cfg").c_str(), FALSE);
    ::CopyFileW((Folder() + L"DefaultProfile.ini").c_str(), (user + L"DefaultProfile.ini").c_str(), FALSE);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    PrepareUserFolder();
    // "-drag N": only the drag figure, over N moves (to profile the path).
    if (argc > 2 && std::wcscmp(argv[1], L"-drag") == 0) {
        const int moves = std::max(1, _wtoi(argv[2]));
        PrintDragFigure(MeasureDragMoves(moves));
        return 0;
    }
    const int rounds = 7;
    // The bare window first; VelloPanel.baseline.exe (an earlier revision's
    // panel, see bench/run.sh) when it lies beside this program.
    std::vector<std::wstring> exes = {Folder() + L"bench_bare_window.exe", Folder() + L"VelloPanel.exe"};
    const std::wstring baseline = Folder() + L"VelloPanel.baseline.exe";
    const bool withBaseline = ::GetFileAttributesW(baseline.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (withBaseline) exes.push_back(baseline);
    std::vector<double> starts = MedianStarts(exes, L"-servicestart", rounds);
    const double bare = starts[0], panel = starts[1];
    std::printf("1. start to first painted frame (median of %d): VelloPanel %.0f ms, bare window %.0f ms, "
                "ratio %.2f (goal <= 1.5)\n",
                rounds, panel * 1000, bare * 1000, bare > 0 ? panel / bare : -1.0);
    if (withBaseline) {
        std::printf("   the same run, VelloPanel of %ls: %.0f ms, ratio %.2f\n", argc > 1 ? argv[1] : L"the baseline",
                    starts[2] * 1000, bare > 0 ? starts[2] / bare : -1.0);
    }
    std::fflush(stdout);
    PrintDragFigure(MeasureDragMoves(3000));
    std::fflush(stdout);
    double idle = IdleCpuPercent();
    std::printf("3. CPU over 10 s idle, window shown, no device: %.2f %% of a core (goal < 1 %%)%s\n", idle,
                idle == 0 ? " (Wine reports no CPU times of other processes: see the /proc figure)" : "");
    std::fflush(stdout);
    const double panelMemory = PrivateMegabytes(Folder() + L"VelloPanel.exe", L"-servicestart");
    const double bareMemory = PrivateMegabytes(Folder() + L"bench_bare_window.exe", L"");
    std::printf("4. private memory, window shown: VelloPanel with the full skin %.1f MB, bare window %.1f MB, "
                "ratio %.1f\n",
                panelMemory, bareMemory, bareMemory > 0 ? panelMemory / bareMemory : -1.0);
    return 0;
}
