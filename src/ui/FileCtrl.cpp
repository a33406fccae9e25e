#include "FileCtrl.h"

#include <algorithm>

#include "SysUtils.h"
#include "shared/ScopedWin.h"

namespace ui {

namespace {
std::wstring WithoutTrailingSlash(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::wstring FullPath(const std::wstring& path) {
    DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (!n) return path;
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
    full.resize(n);
    return full;
}
}  // namespace

std::vector<std::wstring> SortedSubFolders(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW fd;
    win::FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd,
                                            FindExSearchLimitToDirectories, nullptr, 0));
    if (!find) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (wcscmp(fd.cFileName, L".") == 0 || wcscmp(fd.cFileName, L"..") == 0) continue;
        names.push_back(fd.cFileName);
    } while (::FindNextFileW(find.get(), &fd));
    find.reset();
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    return names;
}

void TDirectoryListBox::SetDirectory(const std::wstring& path) {
    std::wstring full = WithoutTrailingSlash(FullPath(path));
    DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw EInOutError(SysErrorMessage(ERROR_PATH_NOT_FOUND) + L" (" + path + L")");
    directory_ = full;
    std::vector<std::wstring> paths, names;
    // Levels: "C:\", "C:\a", "C:\a\b", ...
    size_t start = full.find(L'\\');
    std::wstring root = start == std::wstring::npos ? full + L"\\" : full.substr(0, start + 1);
    paths.push_back(root);
    names.push_back(root);
    for (size_t pos = start; pos != std::wstring::npos && pos + 1 < full.size();) {
        size_t next = full.find(L'\\', pos + 1);
        std::wstring level = full.substr(0, next);
        paths.push_back(level);
        names.push_back(full.substr(pos + 1, next == std::wstring::npos ? std::wstring::npos : next - pos - 1));
        pos = next;
    }
    std::wstring base = full.back() == L'\\' ? full : full + L"\\";
    for (const std::wstring& sub : SortedSubFolders(full)) {
        paths.push_back(base + sub);
        names.push_back(sub);
    }
    paths_ = std::move(paths);
    items_.Assign(names);
}

}  // namespace ui
