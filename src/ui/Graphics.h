// Pictures and icons.
#pragma once

#include <windows.h>

#include <string>

#include "shared/ScopedWin.h"

namespace ui {

class TIcon {
public:
    // Raises EFOpenError when the file cannot be opened, EInvalidGraphic when
    // it holds no icon.
    void LoadFromFile(const std::wstring& path);
    HICON Handle() const { return icon_.get(); }
    HICON SmallHandle() const { return small_.get(); }
    bool Empty() const { return !icon_; }
    void Assign(HICON big, HICON small);

private:
    win::Icon icon_;
    win::Icon small_;
};

}  // namespace ui
