// A list of a folder's path and its sub-folders.
#pragma once

#include "StdCtrls.h"

namespace ui {

// Setting Directory lists the levels of that path from the drive down to the
// folder itself, then the folder's sub-folders sorted by name (case
// ignored). GetItemPath gives each item's full path.
class TDirectoryListBox : public TListBox {
public:
    explicit TDirectoryListBox(TComponent* owner) : TListBox(owner) {}
    const wchar_t* ClassName() const override { return L"TDirectoryListBox"; }

    const std::wstring& Directory() const { return directory_; }
    // Raises EInOutError when the folder does not exist.
    void SetDirectory(const std::wstring& path);
    std::wstring GetItemPath(int index) const { return paths_.at(static_cast<size_t>(index)); }

private:
    std::wstring directory_;
    std::vector<std::wstring> paths_;
};

// The sub-folders of folder (no "." or ".."), sorted by name, case ignored.
std::vector<std::wstring> SortedSubFolders(const std::wstring& folder);

}  // namespace ui
