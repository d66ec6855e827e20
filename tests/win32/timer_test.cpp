// Tests of a form's timers on real windows: a running timer keeps its countdown, a refused or lost one is
// created again.
#include "windows/timer.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

using testing::PumpFor;
using testing::PumpUntil;

using TimerTest = testing::ProbeFormTest;

TEST_F(TimerTest, ARunningTimerKeepsItsCountdownWhenEnabledAgain) {
    PumpFor(2600);
    EXPECT_GE(form.slowTicks, 2);
    EXPECT_LE(form.slowTicks, 3);
}

// Refuses the first timers asked for, as a system out of timers would.
int refusals = 0;
UINT_PTR RefusingCreator(HWND window, UINT_PTR id, UINT intervalMs) {
    if (refusals > 0) {
        --refusals;
        return 0;
    }
    return SetTimer(window, id, intervalMs, nullptr);
}

TEST_F(TimerTest, ARefusedTimerIsNotTakenForRunningAndALostOneIsCreatedAgain) {
    form.UnloadWindow();
    Timer::UseCreator(&RefusingCreator);
    refusals = 2; // the fast timer at load, then its first try after it
    form.Show();
    EXPECT_FALSE(form.fast.Enabled());
    form.fast.SetEnabled(true);
    EXPECT_FALSE(form.fast.Enabled());
    form.fast.SetEnabled(true);
    Timer::UseCreator(nullptr);
    ASSERT_TRUE(form.fast.Enabled());
    EXPECT_TRUE(PumpUntil([&] { return form.slow.Enabled(); }, 500)); // the fast timer ticks

    // A timer the system dropped (as across sleep) ticks again after a re-arm; a ticking one is kept.
    PumpUntil([&] { return form.slowTicks > 0; }, 1600);
    const int ticks = form.slowTicks;
    KillTimer(form.Handle(), 2); // the slow timer, second in the form
    PumpFor(2100);               // two intervals without a tick
    EXPECT_EQ(form.slowTicks, ticks);
    form.fast.KeepTicking();
    form.slow.KeepTicking();
    EXPECT_TRUE(PumpUntil([&] { return form.slowTicks > ticks; }, 1300));
}

} // namespace
} // namespace tintavo
