// Popup menus and their items.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Classes.h"
#include "shared/ScopedWin.h"

namespace ui {

// A menu item. Its Caption may mark an access key with '&' ("&&" shows one
// '&'); the caption "-" makes a separator. Items added to an item form its
// submenu. The owner frees an item; a parent only lists it.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    const wchar_t* ClassName() const override { return L"TMenuItem"; }

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption) { caption_ = caption; }
    bool Checked() const { return checked_; }
    // Checking a radio item unchecks the radio items of its group beside it.
    void SetChecked(bool value);
    // AutoCheck: a click toggles Checked (a radio item is checked).
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool value) { autoCheck_ = value; }
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value) { radioItem_ = value; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value) { groupIndex_ = value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }

    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem* Parent() const { return parent_; }
    int IndexOf(const TMenuItem* item) const;

    // The command id this item sends when chosen.
    UINT Command() const { return command_; }
    // What choosing the item does: AutoCheck, then OnClick.
    virtual void Click();

    TNotifyEvent OnClick;

    // Appends this item's visible children to menu.
    void AppendTo(HMENU menu) const;

private:
    std::wstring caption_;
    bool checked_ = false;
    bool autoCheck_ = false;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    UINT command_;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

class TPopupMenu;
// Shows a popup menu at a screen point; tests replace it so nothing waits
// for a person.
using PopupHandler = std::function<void(TPopupMenu& menu, int x, int y)>;

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    const wchar_t* ClassName() const override { return L"TPopupMenu"; }

    // The root item; its children are the menu's items.
    TMenuItem& Items() { return *items_; }
    // A menu built from the items as they are now.
    win::Menu CreateHandle() const;
    // Shows the menu at the screen point and runs the chosen item.
    void Popup(int x, int y);

    static void SetPopupHandler(PopupHandler handler);

private:
    TMenuItem* items_;
};

// Runs the item whose Command is id; false when no item has it.
bool DispatchMenuCommand(UINT id);

}  // namespace ui
