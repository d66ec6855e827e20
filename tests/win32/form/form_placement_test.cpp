// Tests of where a form's window goes: its client area at the design's place and size, back within reach
// after a display change, a menu bar that wraps, and a move to a monitor of another DPI.
#include "windows/form/controls.h"
#include "windows/form/form.h"

#include "form_test_support.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

using test_support::ScreenClientRect;

constexpr Color kWhite = 0x00FFFFFF;

using FormPlacementTest = test_support::ProbeFormTest;

TEST_F(FormPlacementTest, OpensWithItsClientAreaWhereAndAsLargeAsDesigned) {
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

TEST_F(FormPlacementTest, AWindowOutOfReachComesBackAfterADisplayChangeAndOnePartlyVisibleStays) {
    test_support::ExpectKeptWithinReach(form.Handle(), form.fast.Id());
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

TEST_F(FormPlacementTest, AWrappingMenuBarLeavesTheClientAreaItsDesignSizeAndPlace) {
    WrappingMenuForm wrapping;
    wrapping.Show();
    const RECT client = ScreenClientRect(wrapping.Handle());
    const RECT designed{100, 200, 160, 240};
    EXPECT_TRUE(EqualRect(&client, &designed));
    RECT window{};
    GetWindowRect(wrapping.Handle(), &window);
    EXPECT_GT(client.top - window.top, 2 * GetSystemMetrics(SM_CYMENU)); // two rows of menus above it

    // Moved to a monitor of twice the DPI, from a suggested rectangle as narrow as before: the bar unwraps
    // once the width is put right, and only a second correction gives the height back.
    SendMessageW(wrapping.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&window));
    const RECT scaled = ScreenClientRect(wrapping.Handle());
    EXPECT_EQ(scaled.right - scaled.left, 120);
    EXPECT_EQ(scaled.bottom - scaled.top, 80);
    RECT moved{};
    GetWindowRect(wrapping.Handle(), &moved);
    EXPECT_LT(scaled.top - moved.top, client.top - window.top); // fewer rows of menus
    wrapping.UnloadWindow();
}

// A form in the main clock's units: its client area, 3750 x 1935 twips, and its time label, 360, 600,
// 3015 x 615 twips in 30-point characters. At 144 dpi: 375 x 194 pixels, the label's far edges not left
// plus width, and characters 60 pixels high.
class ClockSizedForm final : public Form {
public:
    ClockSizedForm() : Form{{L"Clock sized", {3750, 1935}, TwipsPoint{4320, 2865}, kWhite}} {}
    Label time{*this, {{360, 600, 3015, 615}, L"", {L"Times New Roman", 30, FW_BOLD}}};
};
constexpr SIZE kClientAt144{375, 194};
constexpr RECT kLabelAt144{36, 60, 338, 122};
constexpr LONG kFontAt144 = -60;

TEST_F(FormPlacementTest, AMoveToAMonitorOfAnotherDpiTakesTheSuggestedPlaceWithinReachAndTheScaledDesign) {
    ClockSizedForm clock;
    clock.Show();
    ASSERT_EQ(clock.Dpi(), 96u);
    RECT before{};
    GetWindowRect(clock.Handle(), &before);

    // As Windows sends it when the window is dragged onto a 144-dpi monitor: the suggested rectangle
    // scales the whole window, although the caption and menu bar do not scale in proportion.
    const RECT suggested{before.left + 10, before.top + 20,
                         before.left + 10 + (before.right - before.left) * 3 / 2,
                         before.top + 20 + (before.bottom - before.top) * 3 / 2};
    SendMessageW(clock.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT after{};
    GetWindowRect(clock.Handle(), &after);
    EXPECT_EQ(after.left, suggested.left);
    EXPECT_EQ(after.top, suggested.top);
    RECT client{};
    GetClientRect(clock.Handle(), &client);
    EXPECT_EQ(client.right, kClientAt144.cx);
    EXPECT_EQ(client.bottom, kClientAt144.cy);
    const RECT label = clock.time.Bounds();
    EXPECT_TRUE(EqualRect(&label, &kLabelAt144));
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(clock.time.Font(), sizeof font, &font));
    EXPECT_EQ(font.lfHeight, kFontAt144);

    // The size a move back would take, asked before the move: exactly the design at 96 dpi again.
    SIZE size{};
    ASSERT_TRUE(SendMessageW(clock.Handle(), WM_GETDPISCALEDSIZE, 96, reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ(size.cx, before.right - before.left);
    EXPECT_EQ(size.cy, before.bottom - before.top);

    // A suggested place off every monitor (one gone meanwhile, say): the window comes back within reach.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT away{-3000, -2000, -3000 + size.cx, -2000 + size.cy};
    SendMessageW(clock.Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&away));
    GetWindowRect(clock.Handle(), &after);
    EXPECT_EQ(after.left, work.left);
    EXPECT_EQ(after.top, work.top);
}

} // namespace
} // namespace tintavo
