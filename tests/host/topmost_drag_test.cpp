// Tests of topmost placement and the drag start against a recording fake desktop.
#include "desktop/topmost_drag.h"
#include "tests/host/fake_window_manager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace tintavo::desktop;
using tintavo::desktop::testing::Call;
using tintavo::desktop::testing::FakeWindowManager;

constexpr WindowHandle kWindow = 0x1010;

TEST(PlaceTopmost, JoinsTheTopmostBandWithoutMovingOrSizing) {
    FakeWindowManager wm;
    EXPECT_TRUE(PlaceTopmost(wm, kWindow));
    EXPECT_EQ(wm.calls, (std::vector<Call>{{"SetWindowPos", {0x1010, -1, 0, 0, 0, 0, 3}}}));

    FakeWindowManager failing;
    failing.setWindowPosFails = true;
    EXPECT_FALSE(PlaceTopmost(failing, kWindow));
}

TEST(StartDrag, TheLeftButtonReleasesTheCaptureThenPressesTheTitleBar) {
    FakeWindowManager wm;
    StartDrag(wm, kWindow, MouseButton::Left);
    EXPECT_EQ(wm.calls, (std::vector<Call>{{"ReleaseCapture", {}}, {"SendMessageA", {0x1010, 0xA1, 2, 0}}}));
}

TEST(StartDrag, OtherButtonsDoNothing) {
    for (const int button : {0, 2, 3, 4}) { // none, right, left with right, middle
        FakeWindowManager wm;
        StartDrag(wm, kWindow, static_cast<MouseButton>(button));
        EXPECT_TRUE(wm.calls.empty()) << "button " << button;
    }
}

} // namespace
