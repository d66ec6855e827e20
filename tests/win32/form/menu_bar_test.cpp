// Tests of the menu bar on the main clock: a typed letter chooses the item it begins.
#include "windows/form/menu_bar.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

using MenuBarTest = testing::MainClockTest;

TEST_F(MenuBarTest, ALetterChoosesTheItemItBeginsInTheMenuBarAndInEachMenu) {
    const HMENU bar = GetMenu(frmMain().Handle());
    const auto menuChar = [](wchar_t letter, HMENU menu) {
        return SendMessageW(frmMain().Handle(), WM_MENUCHAR, MAKEWPARAM(letter, MF_POPUP),
                            reinterpret_cast<LPARAM>(menu));
    };
    EXPECT_EQ(menuChar(L'f', bar), MAKELRESULT(0, MNC_EXECUTE));
    EXPECT_EQ(menuChar(L'A', bar), MAKELRESULT(1, MNC_EXECUTE));
    const wchar_t* letters[2] = {L"fdcs", L"tz"};
    for (int menu = 0; menu < 2; ++menu)
        for (int item = 0; letters[menu][item]; ++item)
            EXPECT_EQ(menuChar(letters[menu][item], GetSubMenu(bar, menu)), MAKELRESULT(item, MNC_EXECUTE));
    EXPECT_NE(HIWORD(menuChar(L'x', bar)), MNC_EXECUTE); // no such item: the system's answer
}

} // namespace
} // namespace tintavo
