// Tests of the designer's units at each DPI, and of a window moved to a monitor of another DPI.
#include "windows/form/dpi.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace tintavo {
namespace {

using DpiTest = testing::WindowTest;

// Designed sizes in pixels at each DPI, as MulDiv rounds (half away from zero): the main clock's and
// the maker's name.
struct Scaled {
    UINT dpi;
    SIZE client; // 3750 x 1935 twips
    RECT label;  // 360, 600, 3015 x 615 twips
    RECT name;   // 1185, 525, 1335 x 375 twips (the maker's name): far edges that are not left plus width
    LONG font;   // 30 points, then 9.75 points: character heights
    LONG smallFont;
} constexpr kScaled[] = {
    {96, {250, 129}, {24, 40, 225, 81}, {79, 35, 168, 60}, -40, -13},
    {120, {313, 161}, {30, 50, 281, 101}, {99, 44, 210, 75}, -50, -16},
    {144, {375, 194}, {36, 60, 338, 122}, {119, 53, 252, 90}, -60, -20},
    {192, {500, 258}, {48, 80, 450, 162}, {158, 70, 336, 120}, -80, -26},
};
constexpr const Scaled& kAt144 = kScaled[2];

TEST_F(DpiTest, TwipsAndPointsBecomePixelsAtEachDpiAsMulDivRounds) {
    for (const Scaled& c : kScaled) {
        EXPECT_EQ(TwipsToPixels(3750, c.dpi), c.client.cx) << c.dpi;
        EXPECT_EQ(TwipsToPixels(1935, c.dpi), c.client.cy) << c.dpi;
        for (const auto& [twips, pixels] : {std::pair{TwipsRect{360, 600, 3015, 615}, c.label},
                                            std::pair{TwipsRect{1185, 525, 1335, 375}, c.name}}) {
            const RECT rect = TwipsToPixels(twips, c.dpi);
            EXPECT_TRUE(EqualRect(&rect, &pixels)) << c.dpi << " dpi, left " << twips.left;
        }
        for (const auto& [points, height] : {std::pair{30.0, c.font}, std::pair{9.75, c.smallFont}}) {
            const gdi::Font font = CreateFontFrom({L"Times New Roman", points, FW_BOLD}, c.dpi);
            LOGFONTW log{};
            ASSERT_TRUE(GetObjectW(font.get(), sizeof log, &log));
            EXPECT_EQ(log.lfHeight, height) << c.dpi << " dpi, " << points << " points";
        }
    }
}

TEST_F(DpiTest, AMoveToAMonitorOfAnotherDpiTakesTheSuggestedPlaceWithinReachAndTheScaledDesign) {
    MainClockForm& form = frmMain();
    form.Show();
    ASSERT_EQ(form.Dpi(), 96u);
    RECT before{};
    GetWindowRect(form.Handle(), &before);

    // As Windows sends it when the window is dragged onto a 144-dpi monitor: the suggested rectangle
    // scales the whole window, although the caption and menu bar do not scale in proportion.
    const RECT suggested{before.left + 10, before.top + 20,
                         before.left + 10 + (before.right - before.left) * 3 / 2,
                         before.top + 20 + (before.bottom - before.top) * 3 / 2};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT after{};
    GetWindowRect(form.Handle(), &after);
    EXPECT_EQ(after.left, suggested.left);
    EXPECT_EQ(after.top, suggested.top);
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, kAt144.client.cx);
    EXPECT_EQ(client.bottom, kAt144.client.cy);
    const RECT label = form.TimeLabel().Bounds();
    EXPECT_TRUE(EqualRect(&label, &kAt144.label));
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(form.TimeLabel().Font(), sizeof font, &font));
    EXPECT_EQ(font.lfHeight, kAt144.font);

    // The size a move back would take, asked before the move: exactly the design at 96 dpi again.
    SIZE size{};
    ASSERT_TRUE(SendMessageW(form.Handle(), WM_GETDPISCALEDSIZE, 96, reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ(size.cx, before.right - before.left);
    EXPECT_EQ(size.cy, before.bottom - before.top);

    // A suggested place off every monitor (one gone meanwhile, say): the window comes back within reach.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT away{-3000, -2000, -3000 + size.cx, -2000 + size.cy};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&away));
    GetWindowRect(form.Handle(), &after);
    EXPECT_EQ(after.left, work.left);
    EXPECT_EQ(after.top, work.top);
}

} // namespace
} // namespace tintavo
