// Tests of the form layer's lifecycle on real windows: the first show, unload and load again, the end of
// the message loop, the close box, and a form that goes while its window is loaded.
#include "windows/form/form.h"

#include "form_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace tintavo {
namespace {

using test_support::PumpUntil;
using test_support::QuitPosted;

constexpr Color kWhite = 0x00FFFFFF;

using FormTest = test_support::ProbeFormTest;

TEST_F(FormTest, TheFirstShowComesUpNormalWhateverTheProgramWasStartedWith) {
    for (const int command : {SW_SHOWMINNOACTIVE, SW_MAXIMIZE}) {
        form.UnloadWindow();
        form.startCommand = command; // applied just before the load's first show, as Windows does
        form.Show();
        EXPECT_TRUE(IsWindowVisible(form.Handle())) << command;
        EXPECT_FALSE(IsIconic(form.Handle())) << command;
        EXPECT_FALSE(IsZoomed(form.Handle())) << command;
        POINT origin{0, 0};
        ClientToScreen(form.Handle(), &origin);
        EXPECT_EQ(origin.x, 40) << command;
        EXPECT_EQ(origin.y, 60) << command;
    }
}

TEST_F(FormTest, UnloadLosesRunTimeChangesAndTheNextLoadStartsFromTheDesign) {
    form.SetBackColor(0x000000FF);
    form.label.SetCaption(L"changed");
    form.label.SetForeColor(0x00FF0000);
    form.label.SetVisible(false);
    CommonDialog::UsePrompt([](CHOOSECOLORW& dialog) { return dialog.rgbResult = RGB(0, 0, 255), true; });
    ASSERT_TRUE(form.colors.ShowColor());
    SetWindowPos(form.Handle(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER); // moved by the user
    ASSERT_TRUE(PumpUntil([&] { return form.slow.Enabled(); }, 500));
    const HWND first = form.Handle();

    form.UnloadWindow();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(form.unloads, 1);
    form.UnloadWindow(); // not loaded: nothing happens
    EXPECT_EQ(form.unloads, 1);

    const test_support::ShownPlaces shown;
    form.Show();
    EXPECT_EQ(form.loads, 2);
    const RECT client = shown.ClientRect(form.Handle());
    EXPECT_EQ(client.left, 40);
    EXPECT_EQ(client.top, 60);
    EXPECT_EQ(form.colors.Color(), 0u);
    EXPECT_EQ(form.BackColor(), kWhite);
    EXPECT_EQ(form.label.Caption(), L"Probe");
    EXPECT_EQ(form.label.ForeColor(), 0x00000000u);
    EXPECT_TRUE(form.label.Visible());
    EXPECT_FALSE(form.slow.Enabled());
    EXPECT_TRUE(form.fast.Enabled());
}

TEST_F(FormTest, TheLastUnloadEndsTheMessageLoop) {
    const int others = Form::LoadedCount() - 1;
    ASSERT_EQ(others, 0);
    form.UnloadWindow();
    EXPECT_EQ(Form::LoadedCount(), 0);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(FormTest, TheCloseBoxUnloads) {
    test_support::CloseBox(form);
    EXPECT_TRUE(PumpUntil([&] { return !form.IsLoaded(); }, 1000));
    EXPECT_EQ(form.unloads, 1);
}

// The controls see each message before the form's own handling, so that one can act on a press, a power
// change or a clock set even where the form handles it too.
TEST_F(FormTest, EveryControlSeesPressesPowerAndTimeChangesAndTheFormStillHandlesThem) {
    struct Sent {
        UINT message;
        WPARAM wParam;
    };
    for (const Sent& sent : {Sent{WM_LBUTTONDOWN, MK_LBUTTON}, Sent{WM_RBUTTONDOWN, MK_RBUTTON},
                             Sent{WM_MBUTTONDOWN, MK_MBUTTON}, Sent{WM_POWERBROADCAST, PBT_APMRESUMESUSPEND},
                             Sent{WM_TIMECHANGE, 0}}) {
        form.messages.seen.clear();
        SendMessageW(form.Handle(), sent.message, sent.wParam, MAKELPARAM(100, 60)); // off the label
        EXPECT_EQ(form.messages.seen, std::vector<UINT>{sent.message}) << sent.message;
    }
    EXPECT_EQ(form.buttons,
              (std::vector<int>{static_cast<int>(MouseButton::Left), static_cast<int>(MouseButton::Right),
                                static_cast<int>(MouseButton::Middle)}));
}

// In front of a form's window procedure: what the window holds for the form when it is destroyed.
WNDPROC formProc = nullptr;
LONG_PTR formOnDestroy = -1;
LRESULT CALLBACK NoteDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) formOnDestroy = GetWindowLongPtrW(window, GWLP_USERDATA);
    return CallWindowProcW(formProc, window, message, wParam, lParam);
}

TEST_F(FormTest, AFormDestroyedWhileLoadedDestroysItsWindowAndLeavesNoPointerToItOnIt) {
    HWND window = nullptr;
    {
        test_support::ProbeForm scoped;
        scoped.Show();
        window = scoped.Handle();
        formProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NoteDestroy)));
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(formOnDestroy, 0); // its last messages go to the system's handling, not to a form half gone
    EXPECT_EQ(Form::LoadedCount(), 1); // the fixture's
}

} // namespace
} // namespace tintavo
