// What both clock windows share: the time label, the three timers and their handlers.
#pragma once

#include "clock/time_text.h"
#include "windows/form/controls.h"
#include "windows/form/form.h"
#include "windows/form/timer.h"
#include "windows/presence_watch.h"

#include <string_view>

namespace tintavo {

// Where the clock windows read the local time; tests put a clock of their own in.
using ClockSource = TimeOfDay (*)();
TimeOfDay LocalTimeOfDay();

class ClockForm : public Form {
public:
    static constexpr Color kKeyColor = 0x00FF00FF; // see-through and click-through

    static void UseClock(ClockSource clock) { clock_ = clock; }

    const Label& TimeLabel() const { return lblTime; }
    std::string_view strHour() const { return text_.Hour(); }
    std::string_view strMinute() const { return text_.Minute(); }
    bool ColorTimerEnabled() const { return Timer1.Enabled(); }
    // The ids of the timers' ticks, for tests that deliver one.
    UINT_PTR TimeTimerId() const { return tmrTime.Id(); }
    UINT_PTR BlinkTimerId() const { return tmrBlinker.Id(); }
    UINT_PTR ColorTimerId() const { return Timer1.Id(); }

protected:
    ClockForm(const FormDesign& design, const Label::Design& timeLabel, std::span<const Menu> menuBar = {});

    void Form_Load() override;
    void Form_MouseDown(MouseButton button, int shift, float x, float y) override;

    Label lblTime;

private:
    void tmrTime_Timer();
    void tmrBlinker_Timer();
    void Timer1_Timer() { ReadTimeAndApplyColor(); } // the time text is read afresh with the colour
    // Takes one reading of the clock into the time text; gives the reading.
    TimeOfDay UpdateTimeText() {
        const TimeOfDay now = clock_();
        text_ = FormatTimeText(now);
        return now;
    }
    void ShowTimeText();
    // One fresh reading into the time text, and the background from the colour schedule for it.
    void ReadTimeAndApplyColor();
    // The time and its colour from one reading, at once.
    void ShowTheMoment() {
        ReadTimeAndApplyColor();
        ShowTimeText();
    }
    // Presence turned: without it the clock pauses, and with it back the clock shows the moment.
    void PresenceTurned(bool present);
    // The clock was set or the computer woke, while there is presence.
    void TimeJumped();
    // No timer runs, so nothing wakes the process without presence.
    void Pause();
    // The time and colour of this moment at once, then the timers as at load.
    void Resume();

    Timer tmrTime{*this, 10, true, Handler::Of<&ClockForm::tmrTime_Timer>(this)};
    Timer tmrBlinker{*this, 1000, true, Handler::Of<&ClockForm::tmrBlinker_Timer>(this)};
    Timer Timer1{*this, 1000, false, Handler::Of<&ClockForm::Timer1_Timer>(this)};
    PresenceWatch presence_; // after the timers, so that a pause at load comes after their load
    TimeText text_;

    static inline ClockSource clock_ = &LocalTimeOfDay;
};

} // namespace tintavo
