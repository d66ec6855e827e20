// Tests of a form's menu bar: a typed letter chooses the item it begins.
#include "windows/form/menu_bar.h"

#include "form_test_support.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

// A form of the test's own with a menu bar whose captions carry no mnemonics.
class MenuForm final : public Form {
public:
    MenuForm() : Form{{L"Menus", {1800, 1200}, TwipsPoint{600, 900}, 0x00FFFFFF}, kMenus} {}

private:
    static constexpr MenuItem kFile[] = {{L"Open", {}}, {L"Save", {}}, {L"Close", {}}};
    static constexpr MenuItem kHelp[] = {{L"Index", {}}, {L"About", {}}};
    static constexpr Menu kMenus[] = {{L"File", kFile}, {L"Help", kHelp}};
};

using MenuBarTest = test_support::FormLayerTest;

TEST_F(MenuBarTest, ALetterChoosesTheItemItBeginsInTheMenuBarAndInEachMenu) {
    MenuForm form;
    form.Show();
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
}

} // namespace
} // namespace tintavo
