#include "ImgList.h"

#include <commctrl.h>

namespace ui {

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(width), height_(height),
      list_(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4)) {}

int TImageList::Count() const { return ::ImageList_GetImageCount(list_.get()); }

int TImageList::AddIcon(const TIcon& icon) {
    HICON h = icon.SmallHandle() && width_ <= 16 ? icon.SmallHandle() : icon.Handle();
    if (!h) return -1;
    return ::ImageList_ReplaceIcon(list_.get(), -1, h);
}

win::Icon TImageList::GetIcon(int index) const {
    if (index < 0 || index >= Count()) return win::Icon();
    return win::Icon(::ImageList_GetIcon(list_.get(), index, ILD_NORMAL));
}

void TImageList::Clear() { ::ImageList_RemoveAll(list_.get()); }

}  // namespace ui
