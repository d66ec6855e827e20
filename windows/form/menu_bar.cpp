// A form's menu bar: menus of items, each with a caption and what choosing it runs.
#include "windows/form/menu_bar.h"

#include <cwctype>

namespace tintavo {

namespace {

// Items are numbered across the whole bar, left to right, from here: not 0, which is no command, and above
// the standard dialog ids (IDOK 1 to IDCONTINUE 11), so that a WM_COMMAND of one is never taken for an item.
constexpr UINT kFirstCommand = 100;

} // namespace

HMENU MenuBar::Create() const {
    if (menus_.empty()) return nullptr;
    HMENU bar = CreateMenu();
    UINT command = kFirstCommand;
    for (const Menu& menu : menus_) {
        HMENU popup = CreatePopupMenu();
        for (const MenuItem& item : menu.items)
            AppendMenuW(popup, MF_STRING, command++, item.caption);
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.caption);
    }
    return bar;
}

const MenuItem* MenuBar::ItemOf(UINT command) const {
    UINT id = kFirstCommand;
    for (const Menu& menu : menus_)
        for (const MenuItem& item : menu.items)
            if (id++ == command) return &item;
    return nullptr;
}

LRESULT MenuBar::ItemForLetter(HMENU menu, wchar_t typed) {
    // The captions carry no mnemonics: a letter picks the first item whose caption starts with it, in
    // the menu bar (Alt+letter) and inside an open menu alike.
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t caption[32] = {};
        if (GetMenuStringW(menu, static_cast<UINT>(i), caption, 32, MF_BYPOSITION) > 0 &&
            std::towupper(caption[0]) == std::towupper(typed)) {
            return MAKELRESULT(i, MNC_EXECUTE);
        }
    }
    return 0;
}

} // namespace tintavo
