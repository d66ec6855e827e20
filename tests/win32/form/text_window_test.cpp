// Tests of the text windows that carry what a form shows to screen readers, and draw nothing themselves.
#include "windows/form/text_window.h"

#include "form_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tintavo {
namespace {

using test_support::AccessibleTexts;
using test_support::PixelOf;

using TextWindowTest = test_support::ProbeFormTest;

TEST_F(TextWindowTest, ScreenReadersReadALabelAsShownAndNothingOfAHiddenOne) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(AccessibleTexts(form.Handle()), std::vector<std::wstring>{L"Probe"});
    form.label.SetCaption(L"6:09 PM");
    EXPECT_EQ(AccessibleTexts(form.Handle()), std::vector<std::wstring>{L"6:09 PM"});
    form.label.SetVisible(false);
    EXPECT_TRUE(AccessibleTexts(form.Handle()).empty());
    CoUninitialize();
}

// The form paints every pixel: a label in the background's own colour leaves its whole rectangle in that
// colour, also once every window has been drawn anew, as when the form is uncovered.
TEST_F(TextWindowTest, NeverDrawsOverTheForm) {
    form.SetBackColor(0x0000FF00);
    form.label.SetForeColor(0x0000FF00);
    RedrawWindow(form.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    int other = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 60; ++x)
            other += PixelOf(form.Handle(), {x, y}) != RGB(0, 255, 0);
    EXPECT_EQ(other, 0);
}

// A form of the test's own with a label in a frame, as the About windows have.
class FramedForm final : public Form {
public:
    FramedForm() : Form{{L"Framed", {3000, 1800}, TwipsPoint{3000, 900}, 0x00FFFF00}} {}
    Frame frame{*this, {L"Frame", {300, 150, 2400, 1350}, 0x00FFFF00, {L"Arial", 9}}};
    Label inside{*this, {{300, 450, 1500, 300}, L"In the frame", {L"Arial", 9}}, &frame};
};

TEST_F(TextWindowTest, AReaderExploringByPointerFindsTheLabelInTheFrameNotTheFrame) {
    FramedForm framed;
    framed.Show();
    wchar_t atPointer[16] = {};
    GetWindowTextW(ChildWindowFromPointEx(framed.Handle(), {60, 50}, CWP_SKIPINVISIBLE), atPointer, 16);
    EXPECT_STREQ(atPointer, L"In the frame");
}

} // namespace
} // namespace tintavo
