// Tests of the main window's menu commands and the switching between the windows.
#include "windows/forms.h"

#include "pump.h"

#include <gtest/gtest.h>

#include <string>

namespace tintavo {
namespace {

using testing::PumpFor;
using testing::PumpUntil;

TimeOfDay TestClock() { return {18, 9}; }

// The command id of an item of the window's menu bar, found by the captions a user reads.
UINT CommandOf(HWND window, const wchar_t* menu, const wchar_t* item) {
    HMENU bar = GetMenu(window);
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        wchar_t caption[32] = {};
        GetMenuStringW(bar, i, caption, 32, MF_BYPOSITION);
        if (std::wstring{caption} != menu) continue;
        HMENU popup = GetSubMenu(bar, i);
        for (int j = 0; j < GetMenuItemCount(popup); ++j) {
            GetMenuStringW(popup, j, caption, 32, MF_BYPOSITION);
            if (std::wstring{caption} == item) return GetMenuItemID(popup, j);
        }
    }
    ADD_FAILURE() << "no menu item " << static_cast<const void*>(item);
    return 0;
}

void Choose(const wchar_t* menu, const wchar_t* item) {
    const HWND window = frmMain().Handle();
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(CommandOf(window, menu, item), 0), 0);
}

class MainCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClockForm::UseClock(&TestClock);
        frmMain().Show();
    }
    void TearDown() override {
        Form3().Unload();
        frmMain().Unload();
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
};

TEST_F(MainCommandsTest, AboutItemsOpenOneWindowEach) {
    Choose(L"About", L"Tintavo");
    Choose(L"About", L"Tintavo");
    EXPECT_TRUE(Form1().IsLoaded());
    Choose(L"About", L"ZuziradOdor");
    EXPECT_TRUE(Form2().IsLoaded());
    EXPECT_EQ(Form::LoadedCount(), 3);
}

} // namespace
} // namespace tintavo
