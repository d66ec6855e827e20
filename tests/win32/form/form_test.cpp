// Tests of the form layer on real windows: lifecycle, placement, press routing and painting.
#include "windows/form/form.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace tintavo {
namespace {

using testing::PumpUntil;
using testing::QuitPosted;

constexpr Color kWhite = 0x00FFFFFF;

class FormTest : public testing::ProbeFormTest {
protected:
    void Press(UINT message, int x, int y) { SendMessageW(form.Handle(), message, 0, MAKELPARAM(x, y)); }
    COLORREF PixelAt(int x, int y) {
        HDC dc = GetDC(form.Handle());
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(form.Handle(), dc);
        return color;
    }
};

TEST_F(FormTest, OpensWithItsClientAreaWhereAndAsLargeAsDesigned) {
    ASSERT_TRUE(form.IsLoaded());
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(client.bottom, 80);
    POINT origin{0, 0};
    ClientToScreen(form.Handle(), &origin);
    EXPECT_EQ(origin.x, 40);
    EXPECT_EQ(origin.y, 60);
    EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongW(form.Handle(), GWL_STYLE) &
                 (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(form.loads, 1);
}

// A menu bar too long for its window wraps into two rows: the window grows, the client area does not move.
class WrappingMenuForm final : public Form {
public:
    WrappingMenuForm() : Form{{L"Wrap", {900, 600}, TwipsPoint{1500, 3000}, kWhite}, kMenus} {}

private:
    static constexpr MenuItem kOpen{L"Open", {}}, kCopy{L"Copy", {}}, kHelp{L"Help", {}};
    static constexpr Menu kMenus[] = {
        {L"File", {&kOpen, 1}}, {L"Edit", {&kCopy, 1}}, {L"About", {&kHelp, 1}}};
};

TEST(FormLayout, AWrappingMenuBarLeavesTheClientAreaItsDesignSizeAndPlace) {
    WrappingMenuForm form;
    form.Show();
    const RECT client = testing::ScreenClientRect(form.Handle());
    const RECT designed{100, 200, 160, 240};
    EXPECT_TRUE(EqualRect(&client, &designed));
    RECT window{};
    GetWindowRect(form.Handle(), &window);
    EXPECT_GT(client.top - window.top, 2 * GetSystemMetrics(SM_CYMENU)); // two rows of menus above it

    // Moved to a monitor of twice the DPI, from a suggested rectangle as narrow as before: the bar unwraps
    // once the width is put right, and only a second correction gives the height back.
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&window));
    const RECT scaled = testing::ScreenClientRect(form.Handle());
    EXPECT_EQ(scaled.right - scaled.left, 120);
    EXPECT_EQ(scaled.bottom - scaled.top, 80);
    RECT moved{};
    GetWindowRect(form.Handle(), &moved);
    EXPECT_LT(scaled.top - moved.top, client.top - window.top); // fewer rows of menus
    form.UnloadWindow();
    testing::QuitPosted();
}

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

TEST_F(FormTest, PressesOnAVisibleLabelReachNoHandler) {
    Press(WM_LBUTTONDOWN, 20, 20); // on the label
    Press(WM_RBUTTONDOWN, 59, 29);
    EXPECT_TRUE(form.buttons.empty());

    Press(WM_LBUTTONDOWN, 100, 50);
    Press(WM_RBUTTONDOWN, 5, 5);
    Press(WM_MBUTTONDOWN, 60, 30); // just outside the label
    Press(WM_LBUTTONDOWN, 60, 79); // on the line
    EXPECT_EQ(form.buttons, (std::vector<int>{1, 2, 4, 1}));

    form.label.SetVisible(false);
    Press(WM_LBUTTONDOWN, 20, 20);
    EXPECT_EQ(form.buttons.back(), 1);
    EXPECT_EQ(form.buttons.size(), 5u);
}

TEST_F(FormTest, PaintsTheBackgroundTheLabelTextAroundWhichTheBackgroundShowsAndTheLine) {
    form.SetBackColor(0x0000FF00);
    form.label.SetCaption(L"WWWW");
    // One paint draws it all off screen and copies it at once: the new background means the whole.
    ASSERT_TRUE(PumpUntil([&] { return PixelAt(100, 50) == RGB(0, 255, 0); }, 2000));
    EXPECT_EQ(PixelAt(100, 50), RGB(0, 255, 0));
    EXPECT_EQ(PixelAt(60, 79), RGB(0, 0, 0)); // line, end point included
    EXPECT_EQ(PixelAt(119, 79), RGB(0, 0, 0));
    int text = 0, background = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 60; ++x) {
            const COLORREF pixel = PixelAt(x, y);
            text += pixel == RGB(0, 0, 0);
            background += pixel == RGB(0, 255, 0);
        }
    EXPECT_GT(text, 20);        // solid strokes of the caption
    EXPECT_GT(background, 200); // transparent label: the window colour around the characters

    form.label.SetVisible(false);
    PumpUntil([&] { return PixelAt(20, 15) == RGB(0, 255, 0); }, 2000);
    for (int x = 10; x < 60; x += 3)
        EXPECT_EQ(PixelAt(x, 15), RGB(0, 255, 0)) << x;
}

TEST_F(FormTest, UnloadLosesRunTimeChangesAndTheNextLoadStartsFromTheDesign) {
    form.SetBackColor(0x000000FF);
    form.label.SetCaption(L"changed");
    form.label.SetForeColor(0x00FF0000);
    form.label.SetVisible(false);
    ASSERT_TRUE(PumpUntil([&] { return form.slow.Enabled(); }, 500));
    const HWND first = form.Handle();

    form.UnloadWindow();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(form.unloads, 1);
    form.UnloadWindow(); // not loaded: nothing happens
    EXPECT_EQ(form.unloads, 1);

    form.Show();
    EXPECT_EQ(form.loads, 2);
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
    SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !form.IsLoaded(); }, 1000));
    EXPECT_EQ(form.unloads, 1);
}

} // namespace
} // namespace tintavo
