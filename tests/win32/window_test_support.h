// What the program's windows tests share, beside the form layer's (form/form_test_support.h): the tests' view
// into the clock windows, a clock the test sets and what the clock windows show at its time, the clock
// windows' timers, the main clock's menu, and the fixtures' common end.
#pragma once

#include "clock/color_schedule.h"
#include "clock/time_text.h"
#include "form/form_test_support.h"
#include "windows/program_windows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tintavo {

// What the tests read of a clock window, and the clock they put in: the clock's friend, so that its public
// face stays what the program uses.
struct ClockFormProbe {
    static const Label& TimeLabel(const ClockForm& clock) { return clock.lblTime; }
    static std::string_view strHour(const ClockForm& clock) { return clock.text_.Hour(); }
    static std::string_view strMinute(const ClockForm& clock) { return clock.text_.Minute(); }
    static bool ColorTimerEnabled(const ClockForm& clock) { return clock.Timer1.Enabled(); }
    static UINT_PTR TimeTimerId(const ClockForm& clock) { return clock.tmrTime.Id(); }
    static UINT_PTR BlinkTimerId(const ClockForm& clock) { return clock.tmrBlinker.Id(); }
    static UINT_PTR ColorTimerId(const ClockForm& clock) { return clock.Timer1.Id(); }
    static void UseClock(ClockSource source) { ClockForm::clock_ = source; }
};

} // namespace tintavo

namespace tintavo::test_support {

// The clock windows' timers, by the ids their ticks carry: the same in both clock windows, which share
// ClockForm's timers.
inline UINT_PTR TimeTimer() { return ClockFormProbe::TimeTimerId(frmMain()); }
inline UINT_PTR BlinkTimer() { return ClockFormProbe::BlinkTimerId(frmMain()); }
inline UINT_PTR ColorTimer() { return ClockFormProbe::ColorTimerId(frmMain()); }

// The command id of an item of the window's menu bar, found by the captions a user reads; 0 if none.
inline UINT CommandOf(HWND window, const std::wstring& menu, const std::wstring& item) {
    HMENU bar = GetMenu(window);
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        wchar_t caption[32] = {};
        GetMenuStringW(bar, i, caption, 32, MF_BYPOSITION);
        if (caption != menu) continue;
        HMENU popup = GetSubMenu(bar, i);
        for (int j = 0; j < GetMenuItemCount(popup); ++j) {
            GetMenuStringW(popup, j, caption, 32, MF_BYPOSITION);
            if (caption == item) return GetMenuItemID(popup, j);
        }
    }
    return 0;
}

// Chooses an item of the main clock's menu as a click on it would.
inline void Choose(const wchar_t* menu, const wchar_t* item) {
    const HWND window = frmMain().Handle();
    const UINT command = CommandOf(window, menu, item);
    ASSERT_NE(command, 0u);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// The main clock's window when a WH_CBT hook is told of its creation; null for anything else.
inline HWND MainClockCreated(int code, WPARAM wParam, LPARAM lParam) {
    const auto* created = code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs : nullptr;
    const bool main = created && created->lpszName && lstrcmpW(created->lpszName, kMainTitle) == 0;
    return main ? reinterpret_cast<HWND>(wParam) : nullptr;
}

// The time of day the clock windows read: each test sets it.
inline constinit TimeOfDay now{18, 9};
inline TimeOfDay TestClock() { return now; }

// What a clock window shows at a time of day, as the clock's own rules (tests/host) make it: the time text,
// and the schedule's colour (not for hour 0, whose colour stays as it was).
inline std::wstring CaptionAt(TimeOfDay time) {
    const TimeText text = FormatTimeText(time);
    return {text.Caption().begin(), text.Caption().end()};
}
inline Color ColorAt(TimeOfDay time) {
    return ScheduleColor(FormatTimeText(time).Hour(), time.minute).value();
}

// Registers nothing with the system and tells every registration done: a runner's console with its display
// off, say, would otherwise pause every clock under test.
inline constexpr PresenceWatch::Registrar kQuietRegistrar{
    [](HANDLE, LPCGUID, DWORD) { return reinterpret_cast<HPOWERNOTIFY>(INT_PTR{1}); },
    [](HPOWERNOTIFY) { return TRUE; },
    [](HANDLE, DWORD) { return reinterpret_cast<HPOWERNOTIFY>(INT_PTR{1}); },
    [](HPOWERNOTIFY) { return TRUE; },
    [](HWND, DWORD) { return TRUE; },
    [](HWND) { return TRUE; },
    []() -> HANDLE { return nullptr; },
    [] { return true; },
};

// Every fixture's start and end: the test's clock at 18:09, the quiet registrar, and no window of the
// program left loaded (the compact clock first, which brings the main clock back), then the layer's end;
// every seam back to the system's and presence back as at the program's start, also after a test that
// failed midway.
class WindowTest : public FormLayerTest {
protected:
    void SetUp() override {
        FormLayerTest::SetUp();
        now = {18, 9};
        ClockFormProbe::UseClock(&TestClock);
        PresenceWatch::UseRegistrar(&kQuietRegistrar);
    }
    void TearDown() override {
        Form3().UnloadWindow();
        frmMain().UnloadWindow();
        ClockFormProbe::UseClock(&LocalTimeOfDay);
        PresenceWatch::UseRegistrar(nullptr);
        PresenceWatch::ResetPresence();
        FormLayerTest::TearDown();
    }
};

// The same, with the main clock open from the start, as the program starts.
class MainClockTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        frmMain().Show();
    }
};

} // namespace tintavo::test_support
