// Tests of the colour key against a recording fake desktop.
#include "desktop/translucent_wnd.h"
#include "tests/host/fake_window_manager.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace tintavo::desktop;
using tintavo::desktop::testing::Call;
using tintavo::desktop::testing::ColorKey;
using tintavo::desktop::testing::FakeVersion;
using tintavo::desktop::testing::FakeWindowManager;

constexpr WindowHandle kWindow = 0x1010;
constexpr WindowHandle kParent = 0x2020;
constexpr WindowHandle kGrandparent = 0x3030;
constexpr WindowHandle kGreatGrandparent = 0x4040;
constexpr std::uint32_t kKey = 0xFF00FF;

// ---- Which systems offer the colour key ------------------------------------------------------------

struct VersionCase {
    std::uint32_t platformId;
    std::uint32_t major;
    bool supported;

    friend void PrintTo(const VersionCase& c, std::ostream* out) {
        *out << "platform " << c.platformId << ", major " << c.major;
    }
};

class LayeringSupport : public ::testing::TestWithParam<VersionCase> {};

TEST_P(LayeringSupport, FollowsPlatformAndMajorVersion) {
    const VersionCase c = GetParam();
    FakeWindowManager wm{{.platformId = c.platformId, .major = c.major, .minor = 0}};
    EXPECT_EQ(MTranslucentWnd::IsLayeringSupported(wm), c.supported);
}

INSTANTIATE_TEST_SUITE_P(VersionRule, LayeringSupport,
                         ::testing::Values(VersionCase{1, 4, false}, // the older consumer line
                                           VersionCase{1, 5, false}, // not NT, whatever the version
                                           VersionCase{0, 6, false}, // Win32s
                                           VersionCase{3, 6, false}, // CE
                                           VersionCase{2, 3, false}, // NT 3.51
                                           VersionCase{2, 4, false}, // NT 4
                                           VersionCase{2, 5, true},  // the first NT with layered windows
                                           VersionCase{2, 6, true}, VersionCase{2, 10, true}),
                         [](const ::testing::TestParamInfo<VersionCase>& testInfo) {
                             return "Platform" + std::to_string(testInfo.param.platformId) + "Major" +
                                    std::to_string(testInfo.param.major);
                         });

TEST(VersionRule, AFailedQueryReadsAsPlatformZero) {
    FakeWindowManager wm{{.platformId = kVerPlatformWin32Nt, .major = 10}};
    wm.versionQueryFails = true;
    EXPECT_FALSE(MTranslucentWnd::IsLayeringSupported(wm));
}

TEST(VersionRule, HandsTheQueryAClearedRecordOf148Bytes) {
    FakeWindowManager wm;
    (void)MTranslucentWnd::IsLayeringSupported(wm);
    EXPECT_EQ(wm.versionSizePassed, 148u);
    EXPECT_TRUE(wm.versionRecordWasCleared);
}

// ---- The climb to the top-level window -------------------------------------------------------------

TEST(ParentWalk, AWindowWithoutParentIsItsOwnResult) {
    FakeWindowManager wm;
    wm.visible = {kWindow};
    EXPECT_EQ(MTranslucentWnd::GetTopLevelParent(wm, kWindow), kWindow);
}

TEST(ParentWalk, AHiddenParentStopsTheClimb) {
    FakeWindowManager wm;
    wm.parent = {{kWindow, kParent}};
    wm.visible = {kWindow};
    EXPECT_EQ(MTranslucentWnd::GetTopLevelParent(wm, kWindow), kWindow);
}

TEST(ParentWalk, ClimbsThroughVisibleParentsToTheLastOne) {
    FakeWindowManager wm;
    wm.parent = {{kWindow, kParent}, {kParent, kGrandparent}, {kGrandparent, kGreatGrandparent}};
    wm.visible = {kWindow, kParent, kGrandparent};
    EXPECT_EQ(MTranslucentWnd::GetTopLevelParent(wm, kWindow), kGrandparent);
}

TEST(ParentWalk, DoesNotClimbPastAHiddenWindowToAVisibleOneAbove) {
    FakeWindowManager wm;
    wm.parent = {{kWindow, kParent}, {kParent, kGrandparent}, {kGrandparent, kGreatGrandparent}};
    wm.visible = {kWindow, kParent, kGreatGrandparent};
    EXPECT_EQ(MTranslucentWnd::GetTopLevelParent(wm, kWindow), kParent);
}

// ---- Colour values ---------------------------------------------------------------------------------

TEST(TranslateColor, AColorWithoutTheTopBitPassesUnchanged) {
    FakeWindowManager wm;
    EXPECT_EQ(MTranslucentWnd::TranslateColor(wm, 0x00FF00FF), 0x00FF00FFu);
    EXPECT_EQ(MTranslucentWnd::TranslateColor(wm, 0x0000000F), 0x0000000Fu);
    EXPECT_EQ(MTranslucentWnd::TranslateColor(wm, 0x7FFFFFFF), 0x7FFFFFFFu);
    EXPECT_EQ(MTranslucentWnd::TranslateColor(wm, 0), 0u); // black, not system colour 0
    EXPECT_TRUE(wm.CallsNamed("GetSysColor").empty());
}

TEST(TranslateColor, TheTopBitNamesASystemColor) {
    FakeWindowManager wm;
    wm.sysColor = {{0, 0x00C8D0D4}, {5, 0x00FFFFFF}, {15, 0x00F5F5F5}};
    EXPECT_EQ(MTranslucentWnd::TranslateColor(wm, 0x80000005), 0x00FFFFFFu);
    EXPECT_EQ(MTranslucentWnd::TranslateColor(wm, 0x8000000F), 0x00F5F5F5u);
    EXPECT_EQ(MTranslucentWnd::TranslateColor(wm, 0x80000000), 0x00C8D0D4u); // the bit alone: index 0
    EXPECT_EQ(wm.CallsNamed("GetSysColor"),
              (std::vector<Call>{{"GetSysColor", {5}}, {"GetSysColor", {15}}, {"GetSysColor", {0}}}));
}

// ---- The colour key --------------------------------------------------------------------------------

TEST(MakeTranslucent, AddsLayeredToTheExistingStyleThenKeysTheColor) {
    FakeWindowManager wm;
    wm.exStyle[kWindow] = 0x88; // tool window, topmost
    EXPECT_TRUE(MTranslucentWnd::MakeTranslucent(wm, kWindow, kKey));
    EXPECT_EQ(wm.exStyle[kWindow], 0x80088);
    EXPECT_EQ(wm.colorKey[kWindow], (ColorKey{0xFF00FF, 0, 1}));
}

TEST(MakeTranslucent, ActsOnTheTopLevelParentNotTheGivenWindow) {
    FakeWindowManager wm;
    wm.parent = {{kWindow, kParent}};
    wm.visible = {kWindow, kParent};
    wm.exStyle = {{kWindow, 0x4}, {kParent, 0x80}};
    EXPECT_TRUE(MTranslucentWnd::MakeTranslucent(wm, kWindow, kKey));
    EXPECT_EQ(wm.exStyle[kParent], 0x80080);
    EXPECT_EQ(wm.exStyle[kWindow], 0x4);
    EXPECT_EQ(wm.colorKey.count(kWindow), 0u);
    EXPECT_EQ(wm.colorKey[kParent], (ColorKey{0xFF00FF, 0, 1}));
}

TEST(MakeTranslucent, KeysTheCurrentValueOfASystemColor) {
    FakeWindowManager wm;
    wm.sysColor = {{15, 0x00F0F0F0}};
    EXPECT_TRUE(MTranslucentWnd::MakeTranslucent(wm, kWindow, 0x8000000F));
    EXPECT_EQ(wm.colorKey[kWindow], (ColorKey{0xF0F0F0, 0, 1}));
}

TEST(MakeTranslucent, OnASystemWithoutLayeringChangesNothing) {
    for (const FakeVersion version :
         {FakeVersion{.platformId = 1, .major = 4}, FakeVersion{.platformId = 2, .major = 4}}) {
        FakeWindowManager wm{version};
        wm.exStyle[kWindow] = 0x88;
        EXPECT_FALSE(MTranslucentWnd::MakeTranslucent(wm, kWindow, kKey))
            << "platform " << version.platformId;
        EXPECT_EQ(wm.exStyle[kWindow], 0x88);
        EXPECT_TRUE(wm.CallsNamed("SetWindowLongA").empty());
        EXPECT_TRUE(wm.CallsNamed("SetLayeredWindowAttributes").empty());
    }
}

// A layered window without attributes is not drawn at all: a failed colour key must not leave one.
TEST(MakeTranslucent, AFailedColorKeyReportsFalseAndPutsThePreviousStyleBack) {
    for (const std::int32_t previous : {0x88, 0}) {
        FakeWindowManager wm;
        wm.exStyle[kWindow] = previous;
        wm.layeredAttributesFail = true;
        EXPECT_FALSE(MTranslucentWnd::MakeTranslucent(wm, kWindow, kKey));
        EXPECT_EQ(wm.exStyle[kWindow], previous);
        EXPECT_EQ(wm.CallsNamed("SetLayeredWindowAttributes").size(), 1u);
    }
}

// SetWindowLongA answers with the previous style, which is 0 for a window without extended styles.

TEST(MakeTranslucent, APreviousStyleOfZeroIsNoFailure) {
    FakeWindowManager wm;
    wm.exStyle[kWindow] = 0;
    wm.lastError = 5; // left over from an earlier, unrelated call
    EXPECT_TRUE(MTranslucentWnd::MakeTranslucent(wm, kWindow, kKey));
    EXPECT_EQ(wm.exStyle[kWindow], 0x80000);
    EXPECT_EQ(wm.colorKey[kWindow], (ColorKey{0xFF00FF, 0, 1}));
}

TEST(MakeTranslucent, AFailedStyleWriteStopsBeforeTheColorKey) {
    FakeWindowManager wm;
    wm.exStyle[kWindow] = 0x88;
    wm.setWindowLongError = 1400; // ERROR_INVALID_WINDOW_HANDLE
    EXPECT_FALSE(MTranslucentWnd::MakeTranslucent(wm, kWindow, kKey));
    EXPECT_EQ(wm.exStyle[kWindow], 0x88);
    EXPECT_TRUE(wm.CallsNamed("SetLayeredWindowAttributes").empty());
    EXPECT_TRUE(wm.colorKey.empty());
}

} // namespace
