// A form's menu bar: menus of items, each with a caption and what choosing it runs.
#pragma once

#include "windows/form/handler.h"

#include <windows.h>

#include <span>

namespace tintavo {

struct MenuItem {
    const wchar_t* caption;
    Handler onClick;
};

struct Menu {
    const wchar_t* caption;
    std::span<const MenuItem> items;
};

// The menus of a form, left to right, and the command ids of their items.
class MenuBar {
public:
    explicit MenuBar(std::span<const Menu> menus) : menus_{menus} {}

    bool Empty() const { return menus_.empty(); }
    // A new menu bar with every item under its command id; null for a form without menus.
    HMENU Create() const;
    // The item whose command a WM_COMMAND carries; null for none of this bar's.
    const MenuItem* ItemOf(UINT command) const;

    // WM_MENUCHAR's answer for a typed letter in a menu or the bar: the first item whose caption starts
    // with it, chosen at once; 0 (the system's answer) when none does.
    static LRESULT ItemForLetter(HMENU menu, wchar_t typed);

private:
    std::span<const Menu> menus_;
};

} // namespace tintavo
