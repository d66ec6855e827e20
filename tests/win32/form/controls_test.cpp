// Tests of the controls a form paints, on real windows: labels, lines, and presses on a label.
#include "windows/form/controls.h"

#include "form_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace tintavo {
namespace {

using test_support::PixelOf;
using test_support::PumpUntil;

class ControlsTest : public test_support::ProbeFormTest {
protected:
    void Press(UINT message, int x, int y) { SendMessageW(form.Handle(), message, 0, MAKELPARAM(x, y)); }
};

TEST_F(ControlsTest, PressesOnAVisibleLabelReachNoHandler) {
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

TEST_F(ControlsTest, PaintsTheBackgroundTheLabelTextAroundWhichTheBackgroundShowsAndTheLine) {
    form.SetBackColor(0x0000FF00);
    form.label.SetCaption(L"WWWW");
    // One paint draws it all off screen and copies it at once: the new background means the whole.
    ASSERT_TRUE(PumpUntil([&] { return PixelOf(form.Handle(), {100, 50}) == RGB(0, 255, 0); }, 2000));
    EXPECT_EQ(PixelOf(form.Handle(), {100, 50}), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(form.Handle(), {60, 79}), RGB(0, 0, 0)); // line, end point included
    EXPECT_EQ(PixelOf(form.Handle(), {119, 79}), RGB(0, 0, 0));
    int text = 0, background = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 60; ++x) {
            const COLORREF pixel = PixelOf(form.Handle(), {x, y});
            // Dark enough, not exactly black: ClearType leaves few pure-black pixels in 9-point text.
            text += GetRValue(pixel) < 0x80 && GetGValue(pixel) < 0x80 && GetBValue(pixel) < 0x80;
            background += pixel == RGB(0, 255, 0);
        }
    EXPECT_GT(text, 20);        // the strokes of the caption
    EXPECT_GT(background, 200); // transparent label: the window colour around the characters

    form.label.SetVisible(false);
    PumpUntil([&] { return PixelOf(form.Handle(), {20, 15}) == RGB(0, 255, 0); }, 2000);
    for (int x = 10; x < 60; x += 3)
        EXPECT_EQ(PixelOf(form.Handle(), {x, 15}), RGB(0, 255, 0)) << x;
}

} // namespace
} // namespace tintavo
