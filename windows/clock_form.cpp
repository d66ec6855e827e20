// The clock windows' start-up, timer and mouse handlers.
#include "windows/clock_form.h"

#include "clock/color_schedule.h"
#include "desktop/topmost_drag.h"
#include "desktop/translucent_wnd.h"
#include "desktop/win32/win32_window_manager.h"

#include <algorithm>

namespace tintavo {

namespace {

constexpr Color kKeyColor = 0x00FF00FF; // see-through and click-through

} // namespace

TimeOfDay LocalTimeOfDay() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wHour, now.wMinute};
}

ClockForm::ClockForm(const FormDesign& design, const Label::Design& timeLabel, std::span<const Menu> menuBar)
    : Form{design, menuBar}, lblTime{*this, timeLabel},
      presence_{*this, HandlerTaking<desktop::PresenceOutcome>::Of<&ClockForm::PresenceChanged>(this)} {}

void ClockForm::Form_Load() {
    MakeVisible();
    PumpPendingMessagesOnce(); // let the first paint happen
    if (!IsLoaded()) return;   // closed while its messages ran
    desktop::WindowManager& wm = desktop::SystemWindowManager();
    const desktop::WindowHandle window = desktop::ToHandle(Handle());
    (void)desktop::PlaceTopmost(wm, window);
    if (!MTranslucentWnd::MakeTranslucent(wm, window, kKeyColor)) {
        // Stays opaque. A window whose layered style was taken back must be drawn anew, frame and all.
        RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    UpdateTimeText();
}

void ClockForm::Form_MouseDown(MouseButton button, int /*shift*/, float /*x*/, float /*y*/) {
    desktop::StartDrag(desktop::SystemWindowManager(), desktop::ToHandle(Handle()), button);
}

void ClockForm::tmrTime_Timer() {
    UpdateTimeText();
    Timer1.SetEnabled(true);
}

void ClockForm::tmrBlinker_Timer() {
    UpdateTimeText();
    ShowTimeText();
}

void ClockForm::Timer1_Timer() { ReadTimeAndApplyColor(); } // the time text is read afresh with the colour

TimeOfDay ClockForm::UpdateTimeText() {
    const TimeOfDay now = clock_();
    text_ = FormatTimeText(now);
    return now;
}

void ClockForm::ShowTimeText() {
    const std::string_view caption = text_.Caption(); // ASCII
    wchar_t wide[TimeText::kLongest + 1] = {};
    std::copy(caption.begin(), caption.end(), wide);
    lblTime.SetCaption(wide);
}

void ClockForm::ReadTimeAndApplyColor() {
    // The displayed hour and the minute of one fresh reading: an hour text left from an earlier reading
    // would join the old hour to the new minute (at midnight "11" with minute 0, for a whole hour).
    const TimeOfDay now = UpdateTimeText();
    if (const std::optional<Color> color = ScheduleColor(text_.Hour(), now.minute)) SetBackColor(*color);
}

void ClockForm::ShowTheMoment() {
    ReadTimeAndApplyColor();
    ShowTimeText();
}

void ClockForm::PresenceChanged(desktop::PresenceOutcome outcome) {
    switch (outcome) {
    case desktop::PresenceOutcome::Paused:
        for (Timer* timer : {&tmrTime, &tmrBlinker, &Timer1})
            timer->SetEnabled(false);
        break;
    case desktop::PresenceOutcome::Resumed:
    case desktop::PresenceOutcome::ShowTheMoment:
        // The time and its colour at once, and every timer ticking: one stopped by the pause, or one that
        // stopped ticking across sleep, is created anew; a running one keeps its countdown.
        ShowTheMoment();
        for (Timer* timer : {&tmrTime, &tmrBlinker, &Timer1})
            timer->KeepTicking();
        break;
    case desktop::PresenceOutcome::Nothing:
        break;
    }
}

} // namespace tintavo
