#include "Menus.h"

#include <algorithm>
#include <map>

#include "Forms.h"

namespace ui {

namespace {
std::map<UINT, TMenuItem*>& CommandMap() {
    static std::map<UINT, TMenuItem*> items;
    return items;
}

UINT NextCommand() {
    static UINT next = 100;
    // Ids stay below 0xF000, where the system commands begin.
    if (next >= 0xEFFF) next = 100;
    while (CommandMap().count(next)) ++next;
    return next++;
}

PopupHandler& Popup() {
    static PopupHandler handler;
    return handler;
}
}  // namespace

bool DispatchMenuCommand(UINT id) {
    auto it = CommandMap().find(id);
    if (it == CommandMap().end()) return false;
    it->second->Click();
    return true;
}

// --------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {
    CommandMap()[command_] = this;
}

TMenuItem::~TMenuItem() {
    CommandMap().erase(command_);
    for (TMenuItem* child : items_) child->parent_ = nullptr;
    if (parent_) parent_->Remove(this);
}

void TMenuItem::Add(TMenuItem* item) {
    if (item->parent_) item->parent_->Remove(item);
    item->parent_ = this;
    items_.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::SetChecked(bool value) {
    checked_ = value;
    if (!value || !radioItem_ || !parent_) return;
    for (TMenuItem* sibling : parent_->items_) {
        if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
            sibling->checked_ = false;
    }
}

void TMenuItem::Click() {
    if (autoCheck_) SetChecked(radioItem_ ? true : !checked_);
    if (OnClick) OnClick(this);
}

void TMenuItem::AppendTo(HMENU menu) const {
    for (const TMenuItem* item : items_) {
        if (!item->visible_) continue;
        if (item->caption_ == L"-") {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
        mii.fType = item->radioItem_ ? MFT_RADIOCHECK : MFT_STRING;
        mii.fState = (item->checked_ ? MFS_CHECKED : 0) | (item->enabled_ ? 0 : MFS_DISABLED);
        mii.wID = item->command_;
        mii.dwTypeData = const_cast<wchar_t*>(item->caption_.c_str());
        if (!item->items_.empty()) {
            HMENU sub = ::CreatePopupMenu();
            item->AppendTo(sub);
            mii.fMask |= MIIM_SUBMENU;
            mii.hSubMenu = sub;
        }
        ::InsertMenuItemW(menu, ::GetMenuItemCount(menu), TRUE, &mii);
    }
}

// -------------------------------------------------------------- TPopupMenu

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() = default;  // the root item is an owned component

win::Menu TPopupMenu::CreateHandle() const {
    win::Menu menu(::CreatePopupMenu());
    items_->AppendTo(menu.get());
    return menu;
}

void TPopupMenu::SetPopupHandler(PopupHandler handler) { ui::Popup() = std::move(handler); }

void TPopupMenu::Popup(int x, int y) {
    if (ui::Popup()) {
        ui::Popup()(*this, x, y);
        return;
    }
    win::Menu menu = CreateHandle();
    HWND owner = Application ? Application->Handle() : nullptr;
    // The owner must be in front, or the menu does not close when the user
    // clicks elsewhere (menus of the notification area).
    ::SetForegroundWindow(owner);
    UINT id = static_cast<UINT>(::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y,
                                                 0, owner, nullptr));
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (id) DispatchMenuCommand(id);
}

}  // namespace ui
