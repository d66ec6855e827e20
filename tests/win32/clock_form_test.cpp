// Tests of the two clock windows on real windows, with a clock the test sets: layout, timers and colours,
// and a window out of reach.
#include "windows/program_windows.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

using test_support::kColorTimer;
using test_support::kMainClockOrigin;
using test_support::kTimeTimer;
using test_support::now;
using test_support::PumpUntil;
using test_support::QuitPosted;
using test_support::ShownPlaces;
using test_support::Tick;
using test_support::TicksOf;
using test_support::TimerTicks;

constexpr Color kWhite = 0x00FFFFFF;
constexpr Color kRed = 0x000000FF;

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
    ASSERT_TRUE(
        PumpUntil([&] { return ClockFormProbe::ColorTimerEnabled(form); }, 200)); // first sampling tick
    const ULONGLONG colorTimerStart = GetTickCount64();

    ASSERT_TRUE(PumpUntil([&] { return !ClockFormProbe::TimeLabel(form).Caption().empty(); }, 1600));
    EXPECT_GE(GetTickCount64() - start, 900u);
    EXPECT_EQ(ClockFormProbe::TimeLabel(form).Caption(), L"6:09 PM");

    ASSERT_TRUE(PumpUntil([&] { return form.BackColor() != kWhite; }, 1600));
    EXPECT_GE(GetTickCount64() - colorTimerStart, 900u); // a whole interval of the colour timer
    EXPECT_EQ(form.BackColor(), kRed);
}

TEST_F(ClockFormTest, TheColorTimerKeepsFiringOnceASecondWhileReEnabledEvery10Ms) {
    MainClockForm& form = frmMain();
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return form.BackColor() == kRed; }, 2500));
    TimerTicks().clear();
    const ULONGLONG start = GetTickCount64();
    now = {7, 45};
    EXPECT_TRUE(PumpUntil([&] { return form.BackColor() == 0x0098DDF8u; }, 1300));
    now = {20, 10};
    EXPECT_TRUE(PumpUntil([&] { return form.BackColor() == 0x0000FFFFu; }, 1300));
    EXPECT_TRUE(PumpUntil([&] { return ClockFormProbe::TimeLabel(form).Caption() == L"8:10 PM"; }, 1300));

    // Over three seconds: about three colour ticks, while the sampling timer re-enabled it every 10 ms.
    PumpUntil([&] { return GetTickCount64() - start >= 3000; }, 3000);
    EXPECT_GE(TicksOf(form.Handle(), kColorTimer), 2);
    EXPECT_LE(TicksOf(form.Handle(), kColorTimer), 4);
    EXPECT_GE(TicksOf(form.Handle(), kTimeTimer), 50);
}

TEST_F(ClockFormTest, CompactClockOpensInItsLayoutAtTheDefaultPlace) {
    CompactClockForm& form = Form3();
    const ShownPlaces shown;
    form.Show();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_EQ(Title(form.Handle()), L"Quorvin Clock");
    const RECT client = shown.ClientRect(form.Handle());
    EXPECT_EQ(client.right - client.left, 82); // below the system's minimum tracking width
    EXPECT_EQ(client.bottom - client.top, 30);
    EXPECT_EQ(GetMenu(form.Handle()), nullptr);
    ExpectDesktopBehaviours(form.Handle());
    EXPECT_EQ(form.BackColor(), SystemColor(COLOR_BTNFACE));
    EXPECT_EQ(ClockFormProbe::TimeLabel(form).ForeColor(), 0x00C0C0C0u);
    EXPECT_EQ(ClockFormProbe::strHour(form), "6");

    ASSERT_TRUE(PumpUntil([&] { return form.BackColor() == kRed; }, 2600));
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
    Tick(main, kTimeTimer); // samples the time and enables the colour timer
    Tick(main, kColorTimer);
    now = {7, 45};
    Tick(compact, kTimeTimer);
    Tick(compact, kColorTimer);
    EXPECT_EQ(frmMain().BackColor(), kRed);
    EXPECT_EQ(Form3().BackColor(), 0x0098DDF8u);
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

TEST_F(ClockFormTest, ReloadingStartsAgainFromTheLayout) {
    MainClockForm& form = frmMain();
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return form.BackColor() == kRed; }, 2600));
    RECT moved{};
    GetWindowRect(form.Handle(), &moved);
    SetWindowPos(form.Handle(), nullptr, moved.left + 40, moved.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    form.UnloadWindow();
    const ShownPlaces shown;
    form.Show();
    EXPECT_EQ(form.BackColor(), kWhite);
    EXPECT_EQ(ClockFormProbe::TimeLabel(form).Caption(), L"");
    const RECT client = shown.ClientRect(form.Handle());
    EXPECT_EQ(client.left, kMainClockOrigin.x);
    EXPECT_EQ(client.top, kMainClockOrigin.y);
    ExpectDesktopBehaviours(form.Handle());
}

TEST_F(ClockFormTest, TheColorComesFromOneReadingWhenTheHourTurnsBetweenTwoTicks) {
    struct Case {
        TimeOfDay before, after;
        Color shown, expected;
    } const cases[] = {
        {{23, 59}, {0, 0}, 0x00D82C60, 0x00D82C60}, // hour 0 keeps the 23:30 shade, not the violet of 11
        {{6, 59}, {7, 0}, 0x0094AAF8, 0x000080FF},  // orange at once, not the red of 6
    };
    for (const Case& c : cases) {
        now = c.before;
        frmMain().Show();
        ASSERT_TRUE(PumpUntil([&] { return frmMain().BackColor() == c.shown; }, 2600));
        now = c.after;
        // The colour timer's tick arrives before any sampling tick has read the new hour.
        SendMessageW(frmMain().Handle(), WM_TIMER, 3, 0);
        EXPECT_EQ(frmMain().BackColor(), c.expected) << c.after.hour;
        frmMain().UnloadWindow();
        QuitPosted();
    }
}

TEST_F(ClockFormTest, AWindowOutOfReachComesBackAfterADisplayChangeAndOnePartlyVisibleStays) {
    MainClockForm& form = frmMain();
    form.Show();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const auto moveTo = [&](int x, int y) {
        SetWindowPos(form.Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const auto position = [&] {
        RECT window{};
        GetWindowRect(form.Handle(), &window);
        return window;
    };

    // Each message is sent and the place read before any other message runs: the window manager, which
    // may move a window it finds off the screen, is heard only in a message loop, so what is read is the
    // program's doing alone.
    const auto displayChange = [&] {
        SendMessageW(form.Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(work.right, work.bottom));
    };

    // Partly off the right edge of a monitor that is still there: left where the user put it.
    moveTo(work.right - 120, 300);
    displayChange();
    SendMessageW(form.Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(position().left, work.right - 120);
    EXPECT_EQ(position().top, 300);

    // Wholly outside the screen: nothing moves it back until the display changes, not a second of ticks.
    moveTo(-3000, -2000);
    for (int tick = 0; tick < 100; ++tick)
        Tick(form.Handle(), kTimeTimer);
    Tick(form.Handle(), kColorTimer);
    EXPECT_EQ(position().left, -3000);
    displayChange();
    const RECT back = position();
    EXPECT_EQ(back.left, work.left);
    EXPECT_EQ(back.top, work.top);

    // Caption above the top of the work area: back in after a work-area change.
    moveTo(400, work.top - 30);
    SendMessageW(form.Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0); // broadcast as sent messages
    EXPECT_EQ(position().top, work.top);
    EXPECT_EQ(position().left, 400);
}

} // namespace
} // namespace tintavo
