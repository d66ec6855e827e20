// Tests of the designer's units at each DPI.
#include "windows/form/dpi.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <string_view>
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

// The tests carry the program's manifest (test_manifests.rc): they run per-monitor v2 aware where Windows
// knows it, and Windows tells them its real version, as it tells the program.
TEST(DpiTest, TheTestsRunWithTheProgramsManifest) {
    wchar_t setting[64] = {};
    ASSERT_TRUE(QueryActCtxSettingsW(0, nullptr, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                     L"dpiAwareness", setting, std::size(setting), nullptr));
    EXPECT_TRUE(std::wstring_view{setting}.starts_with(L"PerMonitorV2")) << setting;
    // Wine 8 does not match its context with per-monitor v2's: the awareness is what v1 and v2 share.
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);
}

} // namespace
} // namespace tintavo
