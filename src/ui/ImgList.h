// A list of icons of one size.
#pragma once

#include "Classes.h"
#include "Graphics.h"
#include "shared/ScopedWin.h"

namespace ui {

class TImageList : public TComponent {
public:
    // width and height: the size of every image (16 x 16 by default).
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);
    const wchar_t* ClassName() const override { return L"TImageList"; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;
    // Adds a copy of the icon (scaled to the list's size); returns its index,
    // -1 when the icon is empty.
    int AddIcon(const TIcon& icon);
    // A new icon made from image index (the caller owns it); null when none.
    win::Icon GetIcon(int index) const;
    void Clear();
    HIMAGELIST Handle() const { return list_.get(); }

private:
    int width_, height_;
    win::ImageList list_;
};

}  // namespace ui
