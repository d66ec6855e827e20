// Tests of where a window goes when its caption is out of reach.
#include "desktop/reachable.h"

#include <gtest/gtest.h>

#include <vector>

namespace tintavo::desktop {
namespace {

constexpr int kCaption = 19;
// A 1280 x 1024 primary monitor with a 40-pixel taskbar at the bottom, and a 1920 x 1080 one to its right.
const Monitor kPrimary{{0, 0, 1280, 1024}, {0, 0, 1280, 984}};
const Monitor kRight{{1280, 0, 3200, 1080}, {1280, 0, 3200, 1080}};
const std::vector<Monitor> kBoth{kPrimary, kRight};
// The primary monitor with a 1280 x 1024 one below it, listed first.
const std::vector<Monitor> kStacked{kPrimary, {{0, 1024, 1280, 2048}, {0, 1024, 1280, 2048}}};

Rect At(int left, int top) { return {left, top, left + 256, top + 170}; } // the main clock's outer size

TEST(ReachablePlace, AWindowWhoseCaptionCanBeTakenStaysWhereTheUserLeftIt) {
    struct Case {
        Rect window;
        std::vector<Monitor> monitors;
    } const cases[] = {
        {At(288, 191), kBoth},
        {At(1200, 500), kBoth},                 // across both monitors
        {At(1280 - kCaption, 300), {kPrimary}}, // all but a caption's square off the right
        {At(500, -kCaption / 2), {kPrimary}},   // just over half the caption's height below the top
        {At(-200, 400), kBoth},                 // half off the left
        {At(3000, 1000), kBoth},                // low on the right
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReachablePlace(c.window, kCaption, c.monitors), std::nullopt)
            << c.window.left << "," << c.window.top;
    }
}

TEST(ReachablePlace, AWindowOutOfReachMovesTheShortestWayIntoTheNearestWorkArea) {
    struct Case {
        Rect window;
        std::vector<Monitor> monitors;
        Rect expected;
    } const cases[] = {
        {At(-5000, -5000), kBoth, At(0, 0)},             // far off the top left: into the primary corner
        {At(4000, 200), kBoth, At(3200 - 256, 200)},     // beyond the right monitor: in at its right edge
        {At(2000, 300), {kPrimary}, At(1024, 300)},      // its monitor was unplugged
        {At(500, -kCaption / 2 - 2), kBoth, At(500, 0)}, // under half the caption below the screen's top
        {At(100, 3000), kStacked, At(100, 2048 - 170)},  // below the lower monitor: into it
        {At(500, 980), {kPrimary}, At(500, 984 - 170)},  // caption under the taskbar
        {At(1280 - kCaption + 1, 300), {kPrimary}, At(1280 - 256, 300)}, // less than a grip's width shows
    };
    for (const Case& c : cases) {
        const auto place = ReachablePlace(c.window, kCaption, c.monitors);
        ASSERT_TRUE(place.has_value()) << c.window.left << "," << c.window.top;
        EXPECT_EQ(*place, c.expected) << c.window.left << "," << c.window.top;
    }
}

TEST(ReachablePlace, AWindowLargerThanTheWorkAreaKeepsItsCaptionInside) {
    const Rect huge{-100, -300, 2000, 1500};
    EXPECT_EQ(ReachablePlace(huge, kCaption, std::vector<Monitor>{kPrimary}), (Rect{0, 0, 2100, 1800}));
    EXPECT_EQ(ReachablePlace(At(-5000, 0), kCaption, {}), std::nullopt); // no monitor known: leave it
}

} // namespace
} // namespace tintavo::desktop
