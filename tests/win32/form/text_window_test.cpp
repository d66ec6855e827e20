// Tests of the text windows that carry what the windows show to screen readers.
#include "windows/form/text_window.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tintavo {
namespace {

using testing::Choose;
using testing::PumpUntil;

// What a screen reader reads from a window: the names of the client objects of its visible child windows,
// in alphabetical order. mingw-w64 exports IID_IAccessible as code, not data: its value, spelled out.
std::vector<std::wstring> AccessibleTexts(HWND window) {
    static const GUID iidAccessible{
        0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    std::vector<std::wstring> names;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        IAccessible* object = nullptr;
        if (!IsWindowVisible(child) ||
            FAILED(AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), iidAccessible,
                                              reinterpret_cast<void**>(&object)))) {
            continue;
        }
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        if (SUCCEEDED(object->get_accName(self, &name)) && name) names.emplace_back(name);
        SysFreeString(name);
        object->Release();
    }
    std::sort(names.begin(), names.end());
    return names;
}

using TextWindowTest = testing::MainClockTest;

TEST_F(TextWindowTest, ScreenReadersReadTheTimeAsShownAndTheAboutTexts) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(PumpUntil([] { return frmMain().TimeLabel().Caption() == L"6:09 PM"; }, 1600));
    EXPECT_EQ(AccessibleTexts(frmMain().Handle()), std::vector<std::wstring>{L"6:09 PM"});
    Choose(L"File", L"Display");
    EXPECT_TRUE(AccessibleTexts(frmMain().Handle()).empty()); // a hidden time is not read out
    Choose(L"File", L"Display");

    Choose(L"About", L"Tintavo");
    Choose(L"About", L"ZuziradOdor");
    EXPECT_EQ(
        AccessibleTexts(Form1().Handle()),
        (std::vector<std::wstring>{L"A digital clock that changes colors based on the color spectrum. It "
                                   L"cycles a 6 hour period starting at the color Red.",
                                   L"Digital Tintavo"}));
    EXPECT_EQ(AccessibleTexts(Form2().Handle()),
              (std::vector<std::wstring>{
                  L"Need a custom program made? How bout FREE computer or programming help "
                  L"or advice? Contact Zuziradodor for FREE computer Solutions",
                  L"ZuziradOdor", L"ZuziradOdor", L"http://                            .test"}));

    Choose(L"File", L"Small");
    ASSERT_TRUE(PumpUntil([] { return Form3().TimeLabel().Caption() == L"6:09 PM"; }, 1600));
    EXPECT_EQ(AccessibleTexts(Form3().Handle()), std::vector<std::wstring>{L"6:09 PM"});
    CoUninitialize();
}

TEST_F(TextWindowTest, AReaderExploringByPointerFindsTheLabelInTheFrameNotTheFrame) {
    Choose(L"About", L"Tintavo");
    wchar_t atPointer[16] = {};
    GetWindowTextW(ChildWindowFromPointEx(Form1().Handle(), {100, 60}, CWP_SKIPINVISIBLE), atPointer, 16);
    EXPECT_STREQ(atPointer, L"A digital clock");
}

} // namespace
} // namespace tintavo
