// Tests of the clock windows' presence watch: the system's messages as presence events, its registrations,
// and each outcome reaching the clock windows (the rule itself is the host's presence table). Wine never
// sends these messages: the tests send them as Windows would.
#include "windows/presence_watch.h"

#include "window_test_support.h"

#include <gtest/gtest.h>

#include <wtsapi32.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tintavo {
namespace {

using desktop::PresenceEvent;
using test_support::BlinkTimer;
using test_support::ColorTimer;
using test_support::now;
using test_support::PumpUntil;
using test_support::TicksOf;
using test_support::TimerTicks;
using test_support::TimeTimer;

DWORD OwnSession() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

// A WM_POWERBROADCAST(PBT_POWERSETTINGCHANGE) payload.
struct DisplaySetting {
    explicit DisplaySetting(DWORD state, const GUID& setting = GUID_SESSION_DISPLAY_STATUS,
                            DWORD length = sizeof(DWORD)) {
        auto* header = reinterpret_cast<POWERBROADCAST_SETTING*>(words);
        header->PowerSetting = setting;
        header->DataLength = length;
        std::memcpy(header->Data, &state, sizeof state);
    }
    LPARAM Get() const { return reinterpret_cast<LPARAM>(words); }
    // Aligned as the header by its element type (an alignment specifier would be MSVC's C4324).
    static_assert(alignof(POWERBROADCAST_SETTING) <= alignof(DWORD));
    DWORD words[(sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD) + sizeof(DWORD) - 1) / sizeof(DWORD)] = {};
};

void SendSessionEvent(HWND window, WPARAM event) {
    SendMessageW(window, WM_WTSSESSION_CHANGE, event, static_cast<LPARAM>(OwnSession()));
}

// True when none of the clock window's three timers exists (KillTimer finds none to kill).
bool NoTimer(HWND window) {
    for (UINT_PTR id = 1; id <= 3; ++id)
        if (KillTimer(window, id)) return false;
    return true;
}

// Windows 8 (6.2) or later, as the kernel tells it whatever a manifest says.
bool KernelIsWindows8OrLater() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto get = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    EXPECT_EQ(get(&version), 0);
    return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 2);
}

// The registrations of the clock windows, counted, and whether each was undone while its window still
// existed.
struct Registrations {
    int power = 0, powerUndone = 0, suspendResume = 0, suspendResumeUndone = 0, session = 0, sessionTries = 0,
        sessionUndone = 0, undoneAfterTheWindow = 0;
    std::vector<GUID> settings;
    std::vector<DWORD> powerFlags; // of the display's and the wakes' registrations
    std::vector<DWORD> sessionFlags;
    int sessionRefusals = 0;               // the next tries that fail
    DWORD refusal = RPC_S_INVALID_BINDING; // as early at logon
    HANDLE servicesEvent = nullptr;        // the test's, of which each ask gets a handle of its own
    HANDLE servicesReady = nullptr;        // the last handle handed out, which the watch closes
    int servicesAsked = 0;
    bool windows8 = true; // what the system says of itself
} registrations;

HPOWERNOTIFY FakeNotification(int count) {
    return reinterpret_cast<HPOWERNOTIFY>(static_cast<INT_PTR>(count));
}

constexpr PresenceWatch::Registrar kCountingRegistrar{
    [](HANDLE, LPCGUID setting, DWORD flags) {
        registrations.settings.push_back(*setting);
        registrations.powerFlags.push_back(flags);
        return FakeNotification(++registrations.power);
    },
    [](HPOWERNOTIFY) { return static_cast<BOOL>(++registrations.powerUndone > 0); },
    [](HANDLE, DWORD flags) {
        registrations.powerFlags.push_back(flags);
        return FakeNotification(++registrations.suspendResume);
    },
    [](HPOWERNOTIFY) { return static_cast<BOOL>(++registrations.suspendResumeUndone > 0); },
    [](HWND, DWORD flags) {
        ++registrations.sessionTries;
        registrations.sessionFlags.push_back(flags);
        if (registrations.sessionRefusals > 0) {
            --registrations.sessionRefusals;
            SetLastError(registrations.refusal);
            return FALSE;
        }
        ++registrations.session;
        return TRUE;
    },
    [](HWND window) {
        if (!IsWindow(window)) ++registrations.undoneAfterTheWindow;
        ++registrations.sessionUndone;
        return TRUE;
    },
    [] {
        ++registrations.servicesAsked;
        registrations.servicesReady = nullptr;
        (void)DuplicateHandle(GetCurrentProcess(), registrations.servicesEvent, GetCurrentProcess(),
                              &registrations.servicesReady, 0, FALSE, DUPLICATE_SAME_ACCESS);
        return registrations.servicesReady;
    },
    [] { return registrations.windows8; },
};

class PresenceWatchTest : public test_support::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        registrations = {};
        PresenceWatch::UseRegistrar(&kCountingRegistrar);
    }
};

TEST_F(PresenceWatchTest, EachSystemMessageIsThePresenceEventItTells) {
    const DisplaySetting off{0}, on{1}, dimmed{2}, monitorOff{0, GUID_MONITOR_POWER_ON},
        monitorOn{1, GUID_MONITOR_POWER_ON}, shortPayload{0, GUID_SESSION_DISPLAY_STATUS, 2},
        longPayload{0, GUID_SESSION_DISPLAY_STATUS, 8}, otherSetting{0, GUID_ACDC_POWER_SOURCE};
    const auto own = static_cast<LPARAM>(OwnSession());
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::optional<PresenceEvent> event;
    } const cases[] = {
        {"display off", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, off.Get(), PresenceEvent::DisplayOff},
        {"display on", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, on.Get(), PresenceEvent::DisplayOn},
        {"dimmed", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, dimmed.Get(), PresenceEvent::DisplayDimmed},
        {"monitor off", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, monitorOff.Get(),
         PresenceEvent::DisplayOff},
        {"monitor on", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, monitorOn.Get(), PresenceEvent::DisplayOn},
        {"a short payload", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, shortPayload.Get(), std::nullopt},
        {"a long payload", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, longPayload.Get(), std::nullopt},
        {"another setting", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, otherSetting.Get(), std::nullopt},
        {"no payload", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 0, std::nullopt},
        {"any wake", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, PresenceEvent::Wake},
        {"a wake by the user", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, PresenceEvent::WakeByUser},
        {"lock", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, own, PresenceEvent::Lock},
        {"unlock", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, own, PresenceEvent::Unlock},
        {"logon", WM_WTSSESSION_CHANGE, WTS_SESSION_LOGON, own, PresenceEvent::Logon},
        {"log-off", WM_WTSSESSION_CHANGE, WTS_SESSION_LOGOFF, own, std::nullopt},
        {"console connect", WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, own, PresenceEvent::ConsoleConnect},
        {"console disconnect", WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, own,
         PresenceEvent::ConsoleDisconnect},
        {"remote connect", WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, own, PresenceEvent::RemoteConnect},
        {"remote disconnect", WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT, own,
         PresenceEvent::RemoteDisconnect},
        {"remote control", WM_WTSSESSION_CHANGE, WTS_SESSION_REMOTE_CONTROL, own, std::nullopt},
        {"another session's lock", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, own + 1, std::nullopt},
        {"another session's unlock", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, own + 1, std::nullopt},
        {"a display change", WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024), PresenceEvent::DisplaysChanged},
        {"the clock set", WM_TIMECHANGE, 0, 0, PresenceEvent::ClockSet},
        {"a press", WM_LBUTTONDOWN, MK_LBUTTON, 0, PresenceEvent::Input},
        {"a right press", WM_RBUTTONDOWN, MK_RBUTTON, 0, PresenceEvent::Input},
        {"a middle press", WM_MBUTTONDOWN, MK_MBUTTON, 0, PresenceEvent::Input},
        {"a press on the caption", WM_NCLBUTTONDOWN, HTCAPTION, 0, PresenceEvent::Input},
        {"a right press on the frame", WM_NCRBUTTONDOWN, HTBORDER, 0, PresenceEvent::Input},
        {"a key", WM_KEYDOWN, VK_SHIFT, 0, PresenceEvent::Input},
        {"Alt and a key", WM_SYSKEYDOWN, 'F', 0, PresenceEvent::Input},
        {"a menu", WM_INITMENU, 0, 0, PresenceEvent::Input},
        {"a paint", WM_PAINT, 0, 0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PresenceWatch::EventOf(c.message, c.wParam, c.lParam), c.event) << c.name;
}

// The one test with the system's own registrations (the fixture's end brings presence back): where the
// system tells no presence (a console with its display off, a locked session), the clock pauses and this
// test alone says so.
TEST_F(PresenceWatchTest, AClockRegisteredWithTheSystemTicks) {
    // The display kept on until this process ends: a runner with nobody at it turns it off after its idle
    // time-out, and the clock pauses.
    // https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-setthreadexecutionstate
    (void)SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED);
    PresenceWatch::UseRegistrar(nullptr);
    frmMain().Show();
    TimerTicks().clear();
    EXPECT_TRUE(PumpUntil([] { return TicksOf(frmMain().Handle(), TimeTimer()) >= 10; }, 2000))
        << "the clock did not tick: the system told it that nobody sees the desktop (the display off, the "
           "session locked or disconnected)";
}

TEST_F(PresenceWatchTest, EachRegistrationIsUndoneBeforeItsWindowGoes) {
    frmMain().Show();
    Form3().Show(); // the switch to the compact clock and back
    frmMain().UnloadWindow();
    Form3().UnloadWindow();
    frmMain().UnloadWindow();

    const Registrations& r = registrations;
    EXPECT_EQ(r.power, 3);
    EXPECT_EQ(r.powerUndone, 3);
    EXPECT_EQ(r.suspendResume, 3);
    EXPECT_EQ(r.suspendResumeUndone, 3);
    EXPECT_EQ(r.session, 3);
    EXPECT_EQ(r.sessionUndone, 3);
    EXPECT_EQ(r.undoneAfterTheWindow, 0);
    for (DWORD flags : r.sessionFlags)
        EXPECT_EQ(flags, static_cast<DWORD>(NOTIFY_FOR_THIS_SESSION)); // not every user's sessions
    ASSERT_EQ(r.powerFlags.size(), 6u);
    for (DWORD flags : r.powerFlags)
        EXPECT_EQ(flags, static_cast<DWORD>(DEVICE_NOTIFY_WINDOW_HANDLE)); // a window, not a service
    // The display of the program's own session, which Windows tells from Windows 8 on; before, the console's.
    ASSERT_EQ(r.settings.size(), 3u);
    for (const GUID& setting : r.settings)
        EXPECT_TRUE(IsEqualGUID(setting, GUID_SESSION_DISPLAY_STATUS));
    registrations.windows8 = false;
    frmMain().Show();
    EXPECT_TRUE(IsEqualGUID(r.settings.back(), GUID_MONITOR_POWER_ON));
    // The system's own answer, under the program's manifest (as the test exe has it), is the kernel's.
    PresenceWatch::UseRegistrar(nullptr);
    EXPECT_EQ(PresenceWatch::UseRegistrar(&kCountingRegistrar)->windows8OrLater(), KernelIsWindows8OrLater());
}

// Refused early at logon, the registration waits for the session services' event and is tried once more
// when it is set: never for another refusal, never after its window went, never twice in one load.
TEST_F(PresenceWatchTest, ASessionRegistrationRefusedAtLogonIsTriedOnceMoreWhenTheSessionServicesRun) {
    struct Case {
        const char* name;
        bool setFirst; // the event set before the window loads
        int refusals;
        DWORD refusal;
        bool unloadFirst; // the window unloads before the event is set
        int tries, asked, registered;
    } const cases[] = {
        {"refused at logon", false, 1, RPC_S_INVALID_BINDING, false, 2, 1, 1},
        {"refused again once the services run", true, 2, RPC_S_INVALID_BINDING, false, 2, 1, 0},
        {"refused for another reason", true, 1, ERROR_ACCESS_DENIED, false, 1, 0, 0},
        {"unloaded while it waits", false, 1, RPC_S_INVALID_BINDING, true, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registrations = {};
        registrations.servicesEvent = CreateEventW(nullptr, TRUE, c.setFirst, nullptr);
        registrations.sessionRefusals = c.refusals;
        registrations.refusal = c.refusal;
        frmMain().Show();
        TimerTicks().clear();
        ASSERT_TRUE(PumpUntil([] { return TicksOf(frmMain().Handle(), TimeTimer()) >= 10; }, 1000));
        if (!c.setFirst) {
            EXPECT_EQ(registrations.sessionTries, 1); // it waits, and does not poll
        }
        if (c.unloadFirst) {
            frmMain().UnloadWindow();
            DWORD flags = 0;
            EXPECT_FALSE(GetHandleInformation(registrations.servicesReady, &flags)) << "the event left open";
        }
        SetEvent(registrations.servicesEvent);
        (void)PumpUntil([] { return false; }, 300);
        EXPECT_EQ(registrations.sessionTries, c.tries);
        EXPECT_EQ(registrations.servicesAsked, c.asked);
        EXPECT_EQ(registrations.session, c.registered);
        frmMain().UnloadWindow();
        EXPECT_EQ(registrations.sessionUndone, c.registered);
        CloseHandle(registrations.servicesEvent);
    }
}

TEST_F(PresenceWatchTest, WithoutPresenceEveryClockPausesAndPresenceBackShowsTheMomentAtOnce) {
    frmMain().Show();
    Form3().Show(); // both loaded, as in the middle of a switch
    const HWND main = frmMain().Handle(), compact = Form3().Handle();
    ASSERT_TRUE(PumpUntil([] { return ClockFormProbe::ColorTimerEnabled(frmMain()); }, 500));

    // A sampling tick already queued when the pause comes must not run: it would enable the colour timer.
    PostMessageW(main, WM_TIMER, TimeTimer(), 0);
    SendSessionEvent(main, WTS_SESSION_LOCK);
    EXPECT_TRUE(NoTimer(main));
    EXPECT_TRUE(NoTimer(compact));
    test_support::RunPending();
    EXPECT_FALSE(ClockFormProbe::ColorTimerEnabled(frmMain()));

    now = {7, 45};
    SendSessionEvent(compact, WTS_SESSION_UNLOCK); // told to one window, heard by both
    for (ClockForm* clock : {static_cast<ClockForm*>(&frmMain()), static_cast<ClockForm*>(&Form3())}) {
        EXPECT_EQ(ClockFormProbe::TimeLabel(*clock).Caption(), test_support::CaptionAt(now));
        EXPECT_EQ(clock->BackColor(), test_support::ColorAt(now));
    }
    TimerTicks().clear();
    EXPECT_TRUE(PumpUntil(
        [&] {
            return TicksOf(main, BlinkTimer()) > 0 && TicksOf(compact, BlinkTimer()) > 0 &&
                   ClockFormProbe::ColorTimerEnabled(frmMain()) && ClockFormProbe::ColorTimerEnabled(Form3());
        },
        1500));
}

TEST_F(PresenceWatchTest, AWindowLoadedWithoutPresenceStartsPausedAndShowsTheMomentWithPresence) {
    frmMain().Show();
    SendSessionEvent(frmMain().Handle(), WTS_SESSION_LOCK);
    Form3().Show(); // a switch to the compact clock while locked
    frmMain().UnloadWindow();
    const HWND compact = Form3().Handle();
    EXPECT_TRUE(NoTimer(compact));
    now = {7, 45};
    SendMessageW(compact, WM_KEYDOWN, VK_SHIFT, 0); // a lost unlock, then a key
    EXPECT_EQ(ClockFormProbe::TimeLabel(Form3()).Caption(), test_support::CaptionAt(now));
    EXPECT_EQ(Form3().BackColor(), test_support::ColorAt(now));
}

// The moments the clock shows, as reads of the test's clock: nothing else reads it while no message runs.
int clockReads = 0;
TimeOfDay CountedClock() {
    ++clockReads;
    return now;
}

// A wake heard with presence reaches the clock window: the moment shown once, and every timer ticking again
// though all three were lost across sleep. A wake by a person after the display went off resumes the
// clock, and shows the moment once too.
TEST_F(PresenceWatchTest, AWakeShowsTheMomentOnceAndBringsBackEveryTimer) {
    frmMain().Show();
    const HWND main = frmMain().Handle();
    ClockFormProbe::UseClock(&CountedClock);
    for (const UINT_PTR id : {TimeTimer(), BlinkTimer(), ColorTimer()})
        KillTimer(main, id);
    Sleep(2100); // two intervals of the slowest timer: each is taken for lost
    now = {7, 45};
    clockReads = 0;
    EXPECT_EQ(SendMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0), TRUE);
    EXPECT_EQ(clockReads, 1);
    EXPECT_EQ(ClockFormProbe::TimeLabel(frmMain()).Caption(), test_support::CaptionAt(now));
    TimerTicks().clear();
    EXPECT_TRUE(PumpUntil(
        [&] {
            return TicksOf(main, TimeTimer()) && TicksOf(main, BlinkTimer()) && TicksOf(main, ColorTimer());
        },
        1300));

    const DisplaySetting off{0};
    SendMessageW(main, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, off.Get());
    now = {10, 10};
    clockReads = 0;
    SendMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_EQ(clockReads, 1);
    EXPECT_EQ(ClockFormProbe::TimeLabel(frmMain()).Caption(), test_support::CaptionAt(now));
}

} // namespace
} // namespace tintavo
