// Tests of the designer's units at each DPI, and of a window moved to a monitor of another DPI.
#include "windows/dpi.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

#include <utility>

namespace tintavo {
namespace {

using DpiTest = testing::WindowTest;

TEST_F(DpiTest, TwipsAndPointsBecomePixelsAtEachDpiAsMulDivRounds) {
    struct Case {
        UINT dpi;
        SIZE client; // 3750 x 1935 twips
        RECT label;  // 360, 600, 3015 x 615 twips
        LONG font;   // 30 points, then 9.75 points: character heights
        LONG smallFont;
    } const cases[] = {
        {96, {250, 129}, {24, 40, 225, 81}, -40, -13},
        {120, {313, 161}, {30, 50, 281, 101}, -50, -16},
        {144, {375, 194}, {36, 60, 338, 122}, -60, -20},
        {192, {500, 258}, {48, 80, 450, 162}, -80, -26},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TwipsToPixels(3750, c.dpi), c.client.cx) << c.dpi;
        EXPECT_EQ(TwipsToPixels(1935, c.dpi), c.client.cy) << c.dpi;
        const RECT label = TwipsToPixels(TwipsRect{360, 600, 3015, 615}, c.dpi);
        EXPECT_TRUE(EqualRect(&label, &c.label)) << c.dpi;
        for (const auto& [points, height] : {std::pair{30.0, c.font}, std::pair{9.75, c.smallFont}}) {
            const gdi::Font font = CreateFontFrom({L"Times New Roman", points, FW_BOLD}, c.dpi);
            LOGFONTW log{};
            ASSERT_TRUE(GetObjectW(font.get(), sizeof log, &log));
            EXPECT_EQ(log.lfHeight, height) << c.dpi << " dpi, " << points << " points";
        }
    }
}

TEST_F(DpiTest, AMoveToAMonitorOfAnotherDpiTakesTheSuggestedPlaceAndTheScaledDesign) {
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
    EXPECT_EQ(client.right, 375);
    EXPECT_EQ(client.bottom, 194);
    const RECT label = form.TimeLabel().Bounds();
    const RECT scaledLabel{36, 60, 338, 122};
    EXPECT_TRUE(EqualRect(&label, &scaledLabel));
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(form.TimeLabel().Font(), sizeof font, &font));
    EXPECT_EQ(font.lfHeight, -60); // 30 points at 144 dpi

    // The size a move back would take, asked before the move: exactly the design at 96 dpi again.
    SIZE size{};
    ASSERT_TRUE(SendMessageW(form.Handle(), WM_GETDPISCALEDSIZE, 96, reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ(size.cx, before.right - before.left);
    EXPECT_EQ(size.cy, before.bottom - before.top);
}

} // namespace
} // namespace tintavo
