// Long runs of the real windows: days on the test's clock and a thousand switches between the clock windows
// with the other commands in between, after which nothing the process holds has grown.
#include "windows/forms.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <set>
#include <utility>

namespace tintavo {
namespace {

using testing::CommandOf;
using testing::CommittedBytes;
using testing::GdiObjectCount;
using testing::HeapBytesInUse;
using testing::kBlinkTimer;
using testing::kColourTimer;
using testing::kTimeTimer;
using testing::PumpFor;
using testing::QuitPosted;
using testing::ThreadWindowCount;
using testing::Tick;
using testing::TimersTicking;

TimeOfDay now{18, 9};
TimeOfDay TestClock() { return now; }

// Answers the colour dialog with OK and a new colour every other time, Cancel otherwise.
int promptCalls = 0;
bool AlternatingPrompt(CHOOSECOLORW& dialog) {
    ++promptCalls;
    if (promptCalls % 2 == 0) return false;
    dialog.rgbResult = RGB(promptCalls % 256, 0, 255);
    return true;
}

void Choose(const wchar_t* menu, const wchar_t* item) {
    const HWND window = frmMain().Handle();
    const UINT command = CommandOf(window, menu, item);
    ASSERT_NE(command, 0u);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void CloseBox(const Form& form) { SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }

ClockForm& LoadedClock() {
    if (frmMain().IsLoaded()) return frmMain();
    return Form3();
}

// One minute of the loaded clock window: the ticks of its three timers at that time, then its paint.
void RunMinute(int minuteOfDay) {
    now = {minuteOfDay / 60, minuteOfDay % 60};
    const HWND window = LoadedClock().Handle();
    Tick(window, kTimeTimer); // samples the time and enables the colour timer
    Tick(window, kBlinkTimer);
    Tick(window, kColourTimer);
    UpdateWindow(window);
}

// What a clock window shows after the minute ran, at times whose result is known.
struct Expected {
    int minuteOfDay;
    const wchar_t* caption;
    Colour backColor; // 0: whatever it had before (hour 0)
};
constexpr Expected kKnownMinutes[] = {
    {0 * 60 + 0, L"0:00 AM", 0},          {0 * 60 + 30, L"0:30 AM", 0},
    {7 * 60 + 45, L"7:45 AM", 0x0098DDF8}, {12 * 60 + 0, L"12:00 PM", 0x000000FF},
    {12 * 60 + 30, L"12:30 PM", 0x0094AAF8}, {18 * 60 + 9, L"6:09 PM", 0x000000FF},
    {20 * 60 + 10, L"8:10 PM", 0x0000FFFF},
};

struct Holdings {
    int gdiObjects;
    int windows;
    std::size_t heapBytes;
    std::size_t committedBytes;
};

Holdings Now() {
    PumpFor(100); // paints and other messages still waiting
    return {GdiObjectCount(), ThreadWindowCount(), HeapBytesInUse(), CommittedBytes()};
}

class EnduranceTest : public ::testing::Test {
protected:
    void SetUp() override {
        now = {18, 9};
        ClockForm::UseClock(&TestClock);
        CommonDialog::UsePrompt(&AlternatingPrompt);
        frmMain().Show();
    }
    void TearDown() override {
        CommonDialog::UsePrompt(nullptr);
        Form3().Unload();
        frmMain().Unload();
        QuitPosted();
    }

    // One round: minutes on the main clock with the round's other commands, Small, minutes on the
    // compact clock, and its close box back to the main clock. The minutes run on from the last round.
    void Round(int round, int minutes) {
        for (int i = 0; i < minutes / 2; ++i)
            RunMinuteChecked();
        switch (round % 4) {
        case 0: // both About windows; Small closes them
            Choose(L"About", L"Tintavo");
            Choose(L"About", L"ZuziradOdor");
            break;
        case 1:
            Choose(L"File", L"Display");
            break;
        case 2:
            Choose(L"File", L"Font");
            break;
        case 3: // both About windows, closed by their close boxes
            Choose(L"About", L"ZuziradOdor");
            Choose(L"About", L"Tintavo");
            UpdateWindow(Form1().Handle());
            CloseBox(Form1());
            CloseBox(Form2());
            break;
        }
        Choose(L"File", L"Small");
        ASSERT_TRUE(Form3().IsLoaded()) << "round " << round;
        ASSERT_EQ(Form::LoadedCount(), 1) << "round " << round;
        for (int i = minutes / 2; i < minutes; ++i)
            RunMinuteChecked();
        CloseBox(Form3());
        ASSERT_TRUE(frmMain().IsLoaded()) << "round " << round;
        ASSERT_EQ(Form::LoadedCount(), 1) << "round " << round;
        ASSERT_FALSE(QuitPosted()) << "round " << round;
    }

    void RunMinuteChecked() {
        const int minuteOfDay = minutesRun_++ % (24 * 60);
        const Colour before = LoadedClock().BackColor();
        RunMinute(minuteOfDay);
        for (const Expected& known : kKnownMinutes) {
            if (known.minuteOfDay != minuteOfDay) continue;
            ++checked_;
            EXPECT_EQ(LoadedClock().TimeLabel().Caption(), known.caption) << "minute " << minutesRun_;
            EXPECT_EQ(LoadedClock().BackColor(), known.backColor ? known.backColor : before)
                << "minute " << minutesRun_;
        }
    }

    int minutesRun_ = 0;
    int checked_ = 0;
};

TEST_F(EnduranceTest, DaysOfTicksAndAThousandSwitchesLeaveNothingBehind) {
    constexpr int kDays = 3;
    constexpr int kRounds = 1000;
    constexpr int kWarmUpRounds = 8;
    const ULONGLONG started = GetTickCount64();

    // Caches, fonts and the like that the first uses create stay for the process's life.
    for (int round = 0; round < kWarmUpRounds; ++round)
        Round(round, 6);
    minutesRun_ = 0;
    checked_ = 0;
    // The main clock's three timers tick, and no other timer of the thread does.
    const auto mainTimers = [] {
        const HWND main = frmMain().Handle();
        return std::set<std::pair<HWND, UINT_PTR>>{{main, kTimeTimer}, {main, kBlinkTimer}, {main, kColourTimer}};
    };
    EXPECT_EQ(TimersTicking(1500), mainTimers());
    const Holdings before = Now();

    for (int round = 0; round < kRounds && !HasFatalFailure(); ++round) {
        const int minutes = (round + 1) * kDays * 24 * 60 / kRounds - round * kDays * 24 * 60 / kRounds;
        Round(round, minutes);
    }
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(minutesRun_, kDays * 24 * 60);
    EXPECT_EQ(checked_, kDays * static_cast<int>(std::size(kKnownMinutes)));

    const Holdings after = Now();
    std::printf("GDI objects %d -> %d, windows %d -> %d, heap bytes %zu -> %zu, committed %zu -> %zu; %llu ms\n",
                before.gdiObjects, after.gdiObjects, before.windows, after.windows, before.heapBytes,
                after.heapBytes, before.committedBytes, after.committedBytes, GetTickCount64() - started);
    EXPECT_GT(before.gdiObjects, 0); // the count works: the clock's fonts at least
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.heapBytes, before.heapBytes + 64 * 1024);
    EXPECT_LE(after.committedBytes, before.committedBytes + 1024 * 1024);

    EXPECT_EQ(TimersTicking(1500), mainTimers());

    // Once every window has unloaded, no timer ticks at all.
    Choose(L"File", L"Close");
    EXPECT_EQ(Form::LoadedCount(), 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(TimersTicking(1200).empty());
}

} // namespace
} // namespace tintavo
