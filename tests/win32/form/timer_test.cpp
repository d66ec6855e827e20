// Tests of a form's timers on real windows: a running timer keeps its countdown, a refused or lost one is
// created again.
#include "windows/form/timer.h"

#include "form_test_support.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

using test_support::PumpUntil;
using test_support::TicksOf;
using test_support::TimerTicks;

// Creates the system timers, counting the calls, and refuses the first ones asked for, as a system out of
// timers would.
int creates = 0, refusals = 0;
UINT_PTR CountingCreator(HWND window, UINT_PTR id, UINT intervalMs) {
    ++creates;
    if (refusals > 0) {
        --refusals;
        return 0;
    }
    return SetTimer(window, id, intervalMs, nullptr);
}

using TimerTest = test_support::ProbeFormTest;

TEST_F(TimerTest, ARunningTimerKeepsItsCountdownWhenEnabledAgain) {
    creates = 0;
    Timer::UseCreator(&CountingCreator); // the fast timer is running: the slow one is created from here
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(PumpUntil([&] { return form.slowTicks >= 2; }, 2600));
    EXPECT_GE(GetTickCount64() - start, 1900u); // once a second, although enabled again every 10 ms
    // Nor does making sure they tick create either anew, a moment after their last ticks.
    form.fast.KeepTicking();
    form.slow.KeepTicking();
    EXPECT_EQ(creates, 1);
}

TEST_F(TimerTest, ARefusedTimerIsNotTakenForRunningAndALostOneIsCreatedAgain) {
    form.UnloadWindow();
    Timer::UseCreator(&CountingCreator);
    refusals = 2; // the fast timer at load, then its first try after it
    form.Show();
    EXPECT_FALSE(form.fast.Enabled());
    form.fast.SetEnabled(true);
    EXPECT_FALSE(form.fast.Enabled());
    form.fast.SetEnabled(true);
    ASSERT_TRUE(form.fast.Enabled());
    EXPECT_TRUE(PumpUntil([&] { return form.slow.Enabled(); }, 500)); // the fast timer ticks

    // A timer the system dropped (as across sleep) ticks again after a re-arm; a ticking one is kept.
    KillTimer(form.Handle(), form.fast.Id());
    Sleep(300); // longer than two of its intervals and the tick count's steps
    const int before = creates;
    form.fast.KeepTicking();
    form.slow.KeepTicking();
    EXPECT_EQ(creates, before + 1);
    EXPECT_TRUE(PumpUntil([&] { return TicksOf(form.Handle(), form.fast.Id()) > 0; }, 500));

    // Ticks not taken for as long (a thread held up) and a re-arm the system refuses: the old timer goes
    // too, so that nothing ticks while the timer is taken for stopped.
    Sleep(300);
    refusals = 1;
    form.fast.KeepTicking();
    EXPECT_FALSE(form.fast.Enabled());
    TimerTicks().clear();
    const UINT_PTR reference = SetTimer(nullptr, 0, 10, nullptr); // as fast as the fast timer
    EXPECT_TRUE(PumpUntil([&] { return TicksOf(nullptr, reference) >= 5; }, 1000));
    KillTimer(nullptr, reference);
    EXPECT_EQ(TicksOf(form.Handle(), form.fast.Id()), 0);
}

} // namespace
} // namespace tintavo
