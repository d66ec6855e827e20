// What both clock windows share: the time label, the three timers and their handlers.
#pragma once

#include "clock/time_text.h"
#include "windows/form/controls.h"
#include "windows/form/form.h"
#include "windows/form/timer.h"
#include "windows/presence_watch.h"

namespace tintavo {

// Where the clock windows read the local time: the system's clock, unless a test puts its own in.
using ClockSource = TimeOfDay (*)();
TimeOfDay LocalTimeOfDay();

class ClockForm : public Form {
protected:
    ClockForm(const FormDesign& design, const Label::Design& timeLabel, std::span<const Menu> menuBar = {});

    void Form_Load() override;
    void Form_MouseDown(MouseButton button, int shift, float x, float y) override;

    Label lblTime;

private:
    friend struct ClockFormProbe; // the tests' view of the clock, defined in their support

    void tmrTime_Timer();
    void tmrBlinker_Timer();
    void Timer1_Timer();
    // Takes one reading of the clock into the time text; gives the reading.
    TimeOfDay UpdateTimeText();
    void ShowTimeText();
    // One fresh reading into the time text, and the background from the colour schedule for it.
    void ReadTimeAndApplyColor();
    // The time and its colour from one reading, at once.
    void ShowTheMoment();
    // What presence tells: without it the clock pauses (no timer runs, so nothing wakes the process); when
    // it is back, or the time jumped while it is there, the clock shows the moment and every timer ticks.
    void PresenceChanged(desktop::PresenceOutcome outcome);

    Timer tmrTime{*this, 10, true, Handler::Of<&ClockForm::tmrTime_Timer>(this)};
    Timer tmrBlinker{*this, 1000, true, Handler::Of<&ClockForm::tmrBlinker_Timer>(this)};
    Timer Timer1{*this, 1000, false, Handler::Of<&ClockForm::Timer1_Timer>(this)};
    PresenceWatch presence_; // after the timers, so that a pause at load comes after their load
    TimeText text_;

    static constinit inline ClockSource clock_ = &LocalTimeOfDay;
};

} // namespace tintavo
