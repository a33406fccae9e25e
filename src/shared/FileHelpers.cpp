#include "FileHelpers.h"

#include <cstdio>
#include <cwchar>

#include "shared/DebugTrace.h"
#include "shared/ScopedWin.h"

namespace {

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
using FindHandle = win::Scoped<HANDLE, FindTraits>;

bool EndsWithBackslash(const std::wstring& path) { return !path.empty() && path.back() == L'\\'; }

std::wstring WithoutBackslash(std::wstring path) {
    if (EndsWithBackslash(path)) path.pop_back();
    return path;
}

// The text after the last '\' that is not the path's final character (a
// trailing '\' stays part of the name); false when there is none.
bool LastName(const std::wstring& path, std::wstring& name) {
    if (path.size() < 2) return false;
    size_t slash = path.rfind(L'\\', path.size() - 2);
    if (slash == std::wstring::npos) return false;
    name = path.substr(slash + 1);
    return true;
}

// Creates the folder and traces it; an existing folder is no failure.
bool CreateTracedFolder(const std::wstring& path) {
    BOOL created = ::CreateDirectoryW(path.c_str(), nullptr);
    DWORD error = created ? ERROR_SUCCESS : ::GetLastError();
    trace::Out(L"##### Create Directory = %ls\n", path.c_str());
    if (!created) trace::Text(L"***** Create Directory FAIL! *****\n");
    return created || error == ERROR_ALREADY_EXISTS;
}

bool IsDotEntry(const wchar_t* name) {
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

// Copies the contents of the folder source into the existing folder target
// (both without a trailing '\'); a sub-folder is made, then copied by the
// whole routine again (which makes and traces it once more).
bool CopyContents(const std::wstring& source, const std::wstring& target) {
    WIN32_FIND_DATAW entry = {};
    FindHandle find(::FindFirstFileW((source + L"\\*").c_str(), &entry));
    if (!find) return false;
    bool ok = true;
    do {
        if (IsDotEntry(entry.cFileName)) continue;
        const std::wstring from = source + L"\\" + entry.cFileName;
        const std::wstring to = target + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = CreateTracedFolder(to) && ok;
            ::SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
            ok = CopyFolderTree(from, to) && ok;
        } else {
            ok = ::CopyFileW(from.c_str(), to.c_str(), FALSE) && ok;
            ::SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    } while (::FindNextFileW(find.get(), &entry));
    return ok;
}

}  // namespace

void CreateFolderPath(const std::wstring& path) {
    for (size_t slash = path.find(L'\\'); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1)) {
        ::CreateDirectoryW(path.substr(0, slash + 1).c_str(), nullptr);
    }
}

BOOL CopyFileOverwrite(const std::wstring& source, const std::wstring& target) {
    return ::CopyFileW(source.c_str(), target.c_str(), FALSE);
}

bool CopyFolderTree(const std::wstring& source, const std::wstring& target) {
    std::wstring sourceName, targetName;
    if (!LastName(source, sourceName) || !LastName(target, targetName)) return false;
    std::wstring to = target;
    if (sourceName != targetName) {
        if (!EndsWithBackslash(to)) to += L'\\';
        to += sourceName;
    }
    to = WithoutBackslash(to);
    bool ok = CreateTracedFolder(to);
    return CopyContents(WithoutBackslash(source), to) && ok;
}

const void* LoadResourceData(WORD id, const wchar_t* type, DWORD& size) {
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(id), type);
    if (!found) return nullptr;
    DWORD bytes = ::SizeofResource(self, found);
    if (bytes == 0) return nullptr;
    HGLOBAL loaded = ::LoadResource(self, found);
    if (!loaded) return nullptr;
    const void* data = ::LockResource(loaded);
    if (!data) return nullptr;
    size = bytes;
    return data;
}

int WriteBufferToFile(const std::wstring& path, const void* bytes, size_t count) {
    FILE* file = nullptr;
    if (_wfopen_s(&file, path.c_str(), L"wb") != 0 || !file) return kFileOpenFailed;
    size_t written = count ? std::fwrite(bytes, 1, count, file) : 0;
    bool closed = std::fclose(file) == 0;
    return written == count && closed ? kFileWritten : kFileShortWrite;
}
