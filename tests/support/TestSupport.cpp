#include "TestSupport.h"

#include <shlwapi.h>

#include <cstdio>
#include <cwchar>

namespace {

// Under Wine a crash hands the process to the debugger, which ends it with
// exit code 0, so a test program that crashed would pass. It ends with the
// exception's code instead, as on Windows without a debugger.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* e) {
    const DWORD code = e->ExceptionRecord->ExceptionCode;
    std::fprintf(stderr, "\n*** test program: unhandled exception 0x%08lX at %p ***\n", code,
                 e->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), code ? code : 1);
    return EXCEPTION_EXECUTE_HANDLER;
}
const LPTOP_LEVEL_EXCEPTION_FILTER kPreviousFilter = ::SetUnhandledExceptionFilter(EndOnCrash);

}  // namespace

namespace vt {

std::wstring BinDir() {
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring dir = path;
    dir.erase(dir.find_last_of(L'\\') + 1);
    return dir;
}

std::wstring BinPath(const std::wstring& file) { return BinDir() + file; }

std::wstring SourceDir() {
    std::wstring dir = Widen(VELLO_SOURCE_DIR);  // a Unix path, seen through drive Z:
    for (wchar_t& c : dir) {
        if (c == L'/') c = L'\\';
    }
    if (dir.empty() || dir.back() != L'\\') dir += L'\\';
    return L"Z:" + dir;
}

TempDir::TempDir() {
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        wchar_t name[64];
        swprintf(name, 64, L"vt%lu_%ld_%lu\\", ::GetCurrentProcessId(), ::InterlockedIncrement(&counter),
                 ::GetTickCount());
        path_ = std::wstring(base) + name;
        if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

bool RemoveTree(const std::wstring& folder) {
    std::wstring dir = folder;
    if (!dir.empty() && dir.back() == L'\\') dir.pop_back();
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link: only the link goes, never what it points at.
                if (!::RemoveDirectoryW(full.c_str())) ::DeleteFileW(full.c_str());
            } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(find, &fd));
        ::FindClose(find);
    }
    return ::RemoveDirectoryW(dir.c_str()) != 0;
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
    std::wstring src = from, dst = to;
    if (!src.empty() && src.back() == L'\\') src.pop_back();
    if (!dst.empty() && dst.back() == L'\\') dst.pop_back();
    ::CreateDirectoryW(dst.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((src + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = CopyTree(src + L"\\" + name, dst + L"\\" + name) && ok;
        } else {
            ok = ::CopyFileW((src + L"\\" + name).c_str(), (dst + L"\\" + name).c_str(), FALSE) && ok;
        }
    } while (::FindNextFileW(find, &fd));
    ::FindClose(find);
    return ok;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &n, nullptr) && n > 0) bytes.append(buffer, n);
    ::CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::wstring WindowClass(HWND hwnd) {
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(hwnd, text, 1024);
    return text;
}

namespace {
struct EnumState {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<EnumState*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && (!s->visibleOnly || ::IsWindowVisible(hwnd))) s->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM lParam) {
    auto* text = reinterpret_cast<std::wstring*>(lParam);
    if (::GetDlgCtrlID(hwnd) == 0xFFFF || _wcsicmp(WindowClass(hwnd).c_str(), L"Static") == 0) {
        std::wstring t = WindowText(hwnd);
        if (!t.empty()) {
            if (!text->empty()) *text += L"\n";
            *text += t;
        }
    }
    return TRUE;
}
}  // namespace

std::vector<HWND> ProcessWindows(DWORD pid, bool visibleOnly) {
    EnumState s{pid, visibleOnly, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WindowOfClass(DWORD pid, const wchar_t* cls, bool visibleOnly) {
    for (HWND w : ProcessWindows(pid, visibleOnly)) {
        if (WindowClass(w) == cls) return w;
    }
    return nullptr;
}

bool InOrder(const std::vector<std::wstring>& all, const std::vector<std::wstring>& lines) {
    size_t next = 0;
    for (const std::wstring& line : all) {
        if (next < lines.size() && line == lines[next]) ++next;
    }
    return next == lines.size();
}

HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& pred, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    do {
        for (HWND w : ProcessWindows(pid, false)) {
            if (pred(w)) return w;
        }
        ::Sleep(50);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool FindMessageBox(DWORD pid, MessageBoxInfo& info) {
    for (HWND w : ProcessWindows(pid, true)) {
        if (WindowClass(w) != L"#32770") continue;
        info.hwnd = w;
        info.caption = WindowText(w);
        info.text.clear();
        ::EnumChildWindows(w, CollectStaticText, reinterpret_cast<LPARAM>(&info.text));
        return true;
    }
    return false;
}

void AnswerMessageBox(HWND box, int buttonId) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

}  // namespace vt

namespace vt {

std::string MakeIcoBytes(int size, COLORREF color) {
    std::string out;
    auto put16 = [&](unsigned v) { out.push_back(char(v & 0xFF)); out.push_back(char((v >> 8) & 0xFF)); };
    auto put32 = [&](unsigned v) { put16(v & 0xFFFF); put16(v >> 16); };
    const unsigned maskRow = ((static_cast<unsigned>(size) + 31) / 32) * 4;
    const unsigned imageBytes = 40 + static_cast<unsigned>(size * size) * 4 + maskRow * static_cast<unsigned>(size);
    put16(0); put16(1); put16(1);                        // ICONDIR
    out.push_back(char(size)); out.push_back(char(size));  // ICONDIRENTRY
    out.push_back(0); out.push_back(0);
    put16(1); put16(32); put32(imageBytes); put32(6 + 16);
    put32(40); put32(static_cast<unsigned>(size)); put32(static_cast<unsigned>(size * 2));  // BITMAPINFOHEADER
    put16(1); put16(32); put32(0); put32(0); put32(0); put32(0); put32(0); put32(0);
    for (int i = 0; i < size * size; ++i) {
        out.push_back(char(GetBValue(color)));
        out.push_back(char(GetGValue(color)));
        out.push_back(char(GetRValue(color)));
        out.push_back(char(0xFF));
    }
    out.append(maskRow * static_cast<unsigned>(size), '\0');
    return out;
}

}  // namespace vt

namespace vt {

namespace {
struct ControlSearch {
    const std::wstring* className;
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ControlSearch*>(lParam);
    if (_wcsicmp(WindowClass(hwnd).c_str(), search->className->c_str()) != 0) return TRUE;
    if (WindowText(hwnd) != *search->text) return TRUE;
    search->found = hwnd;
    return FALSE;
}
}  // namespace

HWND FindControl(HWND parent, const std::wstring& className, const std::wstring& text) {
    ControlSearch search{&className, &text, nullptr};
    ::EnumChildWindows(parent, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace vt

namespace vt {

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

}  // namespace

std::set<std::wstring> FilesBelow(const std::wstring& folder, const std::wstring& relative) {
    std::set<std::wstring> files;
    ListFiles(folder, relative, files);
    return files;
}

bool SameBytes(const std::wstring& path, const std::wstring& otherPath) {
    const std::string bytes = ReadFileBytes(path);
    return !bytes.empty() && bytes == ReadFileBytes(otherPath);
}

}  // namespace vt
