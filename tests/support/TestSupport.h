// Helpers shared by the test programs: files and folders, child processes
// with their debugger output, and the windows they show.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace vt {

// Folder of the running test program (the build's bin folder), with '\'.
std::wstring BinDir();
std::wstring BinPath(const std::wstring& file);
// The source tree's folder as a Windows path (for fixtures kept in git), with '\'.
std::wstring SourceDir();

// A fresh folder under %TEMP%, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return path_; }  // ends with '\'
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

bool RemoveTree(const std::wstring& folder);
// Relative paths of every file below folder + relative (folder ends in '\',
// relative is empty or ends in '\'), each beginning with relative.
std::set<std::wstring> FilesBelow(const std::wstring& folder, const std::wstring& relative = L"");
// Both files can be read, are not empty and hold the same bytes.
bool SameBytes(const std::wstring& path, const std::wstring& otherPath);
bool CopyTree(const std::wstring& from, const std::wstring& to);
bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string Narrow(const std::wstring& text);  // UTF-8
std::wstring Widen(const std::string& text);   // from UTF-8

// What a child process did: its exit code and every debugger-output string
// it wrote, one element per OutputDebugString call.
struct RunResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    std::vector<std::wstring> debug;

    std::wstring DebugText() const;
    bool HasDebug(const std::wstring& exact) const;
    bool DebugContains(const std::wstring& part) const;
};

// Whether the lines appear in this order among all (others in between).
bool InOrder(const std::vector<std::wstring>& all, const std::vector<std::wstring>& lines);

// Called about every 50 ms while the child runs (to answer its windows).
using WhileRunning = std::function<void(DWORD pid)>;

// Called with each debugger-output string as it arrives, while the child
// still waits at the call that wrote it (to act at a given line).
using OnDebugString = std::function<void(DWORD pid, const std::wstring& text)>;

// For a debugger of its own: the text of a child's OutputDebugString event,
// and the status to continue any event with (the file handles the event
// hands over are closed; exceptions other than breakpoints go back to the
// child).
std::wstring ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info);
DWORD SettleDebugEvent(const DEBUG_EVENT& ev);

// Runs commandLine as a debugged child, collects its debugger output and
// waits for it to end; after timeoutMs it is killed and timedOut is set.
RunResult RunDebugged(const std::wstring& commandLine, DWORD timeoutMs,
                      const WhileRunning& whileRunning = {}, const std::wstring& workDir = L"",
                      const OnDebugString& onDebug = {});

// A child process that is killed at the end of the test unless it has ended.
class Child {
public:
    Child() = default;
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    bool Start(const std::wstring& commandLine, const std::wstring& workDir = L"");
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();
    DWORD pid() const { return pi_.dwProcessId; }
    HANDLE process() const { return pi_.hProcess; }

private:
    PROCESS_INFORMATION pi_ = {};
};

std::wstring WindowClass(HWND hwnd);
std::wstring WindowText(HWND hwnd);
// Top-level windows of a process.
std::vector<HWND> ProcessWindows(DWORD pid, bool visibleOnly);
// A top-level window of that class of the process (a visible one unless
// visibleOnly is false), or nullptr.
HWND WindowOfClass(DWORD pid, const wchar_t* cls, bool visibleOnly = true);
// Polls until a top-level window of pid satisfies pred; nullptr on time-out.
HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& pred, DWORD timeoutMs);

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
};
// A message box (dialog class "#32770") of the process, with its text.
bool FindMessageBox(DWORD pid, MessageBoxInfo& info);
// Presses the button with the given id (IDOK by default).
void AnswerMessageBox(HWND box, int buttonId = IDOK);

}  // namespace vt

namespace vt {

// Asks the service to stop and waits (up to 30 s) until it has; nothing
// happens when it is not registered.
void StopServiceAndWait(const std::wstring& name);

// The stand-in service, copied into a temporary folder and registered under
// name for the life of the object; it logs every control code it receives.
class StandInService {
public:
    explicit StandInService(const std::wstring& name);
    ~StandInService();
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    bool registered() const { return registered_; }
    const std::wstring& name() const { return name_; }
    // The service's program file.
    std::wstring Program() const { return dir_ / L"VelloService.exe"; }
    // Log lines so far: "start", "control <code>", "stop".
    std::vector<std::wstring> Log() const;
    void ClearLog() const;
    // [Behaviour] settings: StopDelayMs, StartDelayMs, ExitDelayMs.
    void Set(const std::wstring& key, int value) const;
    // Current state (SERVICE_RUNNING, ...) or 0 when it cannot be queried.
    DWORD State() const;
    // The id of the process it runs in, 0 when it is not running.
    DWORD ProcessId() const;
    // Stops it directly through the service manager and waits for STOPPED.
    void StopAndWait() const;

private:
    std::wstring name_;
    TempDir dir_;
    bool registered_ = false;
};

}  // namespace vt

namespace vt {
// Bytes of a valid one-picture .ico file (32-bit colour) of one colour.
std::string MakeIcoBytes(int size, COLORREF color);
}  // namespace vt

namespace vt {
// The first descendant of parent of that window class (case ignored) whose
// text is text, or nullptr.
HWND FindControl(HWND parent, const std::wstring& className, const std::wstring& text);
}  // namespace vt
