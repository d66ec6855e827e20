// Tests of a form's menu bar: a typed letter chooses the item it begins, and a command runs its item only.
#include "windows/form/menu_bar.h"

#include "form_test_support.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

using MenuBarTest = test_support::ProbeFormTest;

TEST_F(MenuBarTest, ALetterChoosesTheItemItBeginsInTheMenuBarAndInEachMenuAndOnlyItsCommandRunsIt) {
    const HMENU bar = GetMenu(form.Handle());
    const auto menuChar = [&](wchar_t letter, HMENU menu) {
        return SendMessageW(form.Handle(), WM_MENUCHAR, MAKEWPARAM(letter, MF_POPUP),
                            reinterpret_cast<LPARAM>(menu));
    };
    EXPECT_EQ(menuChar(L'f', bar), MAKELRESULT(0, MNC_EXECUTE));
    EXPECT_EQ(menuChar(L'H', bar), MAKELRESULT(1, MNC_EXECUTE));
    const wchar_t* letters[2] = {L"osc", L"ia"};
    for (int menu = 0; menu < 2; ++menu)
        for (int item = 0; letters[menu][item]; ++item)
            EXPECT_EQ(menuChar(letters[menu][item], GetSubMenu(bar, menu)), MAKELRESULT(item, MNC_EXECUTE));
    EXPECT_NE(HIWORD(menuChar(L'x', bar)), MNC_EXECUTE); // no such item: the system's answer

    // The dialog ids that a WM_COMMAND carries too (IDOK for Enter, IDCANCEL for Escape) run no item.
    for (const WPARAM dialogId : {WPARAM{IDOK}, WPARAM{IDCANCEL}})
        SendMessageW(form.Handle(), WM_COMMAND, dialogId, 0);
    EXPECT_EQ(form.itemsChosen, 0);
    SendMessageW(form.Handle(), WM_COMMAND, GetMenuItemID(GetSubMenu(bar, 1), 1), 0);
    EXPECT_EQ(form.itemsChosen, 1);
}

} // namespace
} // namespace tintavo
