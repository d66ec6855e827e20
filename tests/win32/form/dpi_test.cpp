// Tests of the designer's units at each DPI.
#include "windows/form/dpi.h"

#include <gtest/gtest.h>

#include <utility>

namespace tintavo {
namespace {

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

TEST(DpiTest, TwipsAndPointsBecomePixelsAtEachDpiAsMulDivRounds) {
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

} // namespace
} // namespace tintavo
