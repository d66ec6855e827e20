// Tests of the two clock windows on real windows, with a clock the test sets: layout, timers and colours.
#include "windows/program_windows.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

using test_support::CaptionAt;
using test_support::ColorAt;
using test_support::ColorTimer;
using test_support::now;
using test_support::PumpUntil;
using test_support::QuitPosted;
using test_support::ShownPlaces;
using test_support::Tick;
using test_support::TimeTimer;

constexpr Color kWhite = 0x00FFFFFF;

class ClockFormTest : public test_support::WindowTest {
protected:
    static std::wstring Title(HWND window) {
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        return title;
    }
    static void ExpectDesktopBehaviours(HWND window) {
        EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        ASSERT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
        COLORREF key = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, nullptr, &flags));
        EXPECT_EQ(key, RGB(255, 0, 255));
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
    }
};

// Its size, place, topmost tool window and colour key at the first load are the outside-in suite's
// (OutsideTest.MainClockIsATopmostToolWindowKeyedInMagentaWithTheDesignSizeAtItsDpi).
TEST_F(ClockFormTest, MainClockOpensInItsLayoutWithTheTimeSampledButNotYetShown) {
    MainClockForm& form = frmMain();
    form.Show();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_EQ(Title(form.Handle()), test_support::kMainTitle);
    EXPECT_NE(GetMenu(form.Handle()), nullptr);

    EXPECT_EQ(ClockFormProbe::strHour(form), "6");
    EXPECT_EQ(ClockFormProbe::strMinute(form), "09 PM");
    EXPECT_EQ(ClockFormProbe::TimeLabel(form).Caption(), L"");
    EXPECT_EQ(ClockFormProbe::TimeLabel(form).ForeColor(), 0x00808080u);
    EXPECT_TRUE(ClockFormProbe::TimeLabel(form).Visible());
    EXPECT_EQ(form.BackColor(), kWhite);
    EXPECT_EQ(Form::LoadedCount(), 1);
}

// Keeps the layered style off the main clock's window, as a system without colour keys would: its window
// procedure is wrapped, from its creation on, in one that takes the style out of every change.
WNDPROC formProc = nullptr;
LRESULT CALLBACK WithoutLayered(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_STYLECHANGING && wParam == static_cast<WPARAM>(GWL_EXSTYLE))
        reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew &= ~DWORD{WS_EX_LAYERED};
    return CallWindowProcW(formProc, window, message, wParam, lParam);
}
LRESULT CALLBACK RefuseLayered(int code, WPARAM wParam, LPARAM lParam) {
    if (const HWND main = test_support::MainClockCreated(code, wParam, lParam)) {
        formProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WithoutLayered)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ClockFormTest, WithoutAColourKeyTheClockStaysOpaqueAndIsDrawnAnewWhole) {
    const HHOOK hook = SetWindowsHookExW(WH_CBT, &RefuseLayered, nullptr, GetCurrentThreadId());
    frmMain().Show();
    UnhookWindowsHookEx(hook);
    const HWND window = frmMain().Handle();
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    RECT dirty{}, client{};
    GetUpdateRect(window, &dirty, FALSE);
    GetClientRect(window, &client);
    EXPECT_TRUE(EqualRect(&dirty, &client)); // drawn anew, although its first paint has run
}

TEST_F(ClockFormTest, CaptionAfterASecondThenScheduledColorASecondAfterThat) {
    MainClockForm& form = frmMain();
    const ULONGLONG start = GetTickCount64();
    form.Show();
    // The first sampling tick enables the colour timer.
    ASSERT_TRUE(PumpUntil([&] { return ClockFormProbe::ColorTimerEnabled(form); }, 200));
    const ULONGLONG colorTimerStart = GetTickCount64();

    ASSERT_TRUE(PumpUntil([&] { return !ClockFormProbe::TimeLabel(form).Caption().empty(); }, 1600));
    EXPECT_GE(GetTickCount64() - start, 900u);
    EXPECT_EQ(ClockFormProbe::TimeLabel(form).Caption(), CaptionAt(now));

    ASSERT_TRUE(PumpUntil([&] { return form.BackColor() != kWhite; }, 1600));
    EXPECT_GE(GetTickCount64() - colorTimerStart, 900u); // a whole interval of the colour timer
    EXPECT_EQ(form.BackColor(), ColorAt(now));
}

TEST_F(ClockFormTest, CompactClockOpensInItsLayoutAtTheDefaultPlace) {
    CompactClockForm& form = Form3();
    const ShownPlaces shown;
    form.Show();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_EQ(Title(form.Handle()), test_support::kCompactTitle);
    const RECT client = shown.ClientRect(form.Handle());
    EXPECT_EQ(client.right - client.left, 82); // below the system's minimum tracking width
    EXPECT_EQ(client.bottom - client.top, 30);
    EXPECT_EQ(GetMenu(form.Handle()), nullptr);
    ExpectDesktopBehaviours(form.Handle());
    EXPECT_EQ(form.BackColor(), SystemColor(COLOR_BTNFACE));
    EXPECT_EQ(ClockFormProbe::TimeLabel(form).ForeColor(), 0x00C0C0C0u);
    EXPECT_EQ(ClockFormProbe::strHour(form), "6");

    ASSERT_TRUE(PumpUntil([&] { return form.BackColor() == ColorAt(now); }, 2600));
    EXPECT_FALSE(ClockFormProbe::TimeLabel(form).Caption().empty());
}

TEST_F(ClockFormTest, EachClockWindowColorsOnlyItself) {
    // Both windows are loaded, as while switching; each runs its ticks at another time of day, with no
    // messages run in between, so that each window's own colour tick is the only one that can colour it.
    frmMain().Show();
    Form3().Show();
    const HWND main = frmMain().Handle();
    const HWND compact = Form3().Handle();
    now = {18, 9};
    Tick(main, TimeTimer()); // samples the time and enables the colour timer
    Tick(main, ColorTimer());
    now = {7, 45};
    Tick(compact, TimeTimer());
    Tick(compact, ColorTimer());
    EXPECT_EQ(frmMain().BackColor(), ColorAt({18, 9}));
    EXPECT_EQ(Form3().BackColor(), ColorAt({7, 45}));
}

TEST_F(ClockFormTest, AWindowClosedWhileItsLoadLetsMessagesRunIsLeftAlone) {
    actions.Post([](LPARAM) { frmMain().UnloadWindow(); }); // runs in the load's pass over pending messages

    frmMain().Show();
    EXPECT_FALSE(frmMain().IsLoaded());
    EXPECT_EQ(Form::LoadedCount(), 0);
    EXPECT_TRUE(QuitPosted());

    frmMain().Show(); // and loads again as usual
    EXPECT_TRUE(frmMain().IsLoaded());
    EXPECT_EQ(ClockFormProbe::strHour(frmMain()), "6");
}

TEST_F(ClockFormTest, TheColorComesFromOneReadingWhenTheHourTurnsBetweenTwoTicks) {
    struct Case {
        TimeOfDay before, after, expected;
    } const cases[] = {
        {{23, 59}, {0, 0}, {23, 59}}, // hour 0 keeps the 23:30 shade, not the violet of 11
        {{6, 59}, {7, 0}, {7, 0}},    // orange at once, not the red of 6
    };
    for (const Case& c : cases) {
        now = c.before;
        frmMain().Show();
        ASSERT_TRUE(PumpUntil([&] { return frmMain().BackColor() == ColorAt(c.before); }, 2600));
        now = c.after;
        // The colour timer's tick arrives before any sampling tick has read the new hour.
        SendMessageW(frmMain().Handle(), WM_TIMER, 3, 0);
        EXPECT_EQ(frmMain().BackColor(), ColorAt(c.expected)) << c.after.hour;
        frmMain().UnloadWindow();
        QuitPosted();
    }
}

} // namespace
} // namespace tintavo
