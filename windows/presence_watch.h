// Presence for the clock windows: the system's display, session, power and time notifications, and the
// user's presses, keys and menus, as presence events; the clock windows are told the outcome.
#pragma once

#include "desktop/presence.h"
#include "windows/form/form.h"
#include "windows/form/handler.h"
#include "windows/form/intrusive_list.h"

#include <windows.h>

#include <optional>

namespace tintavo {

// Registers its form's window for the notifications from the window's load until just before it goes.
// Presence itself is the whole program's: the display and the session are the same for every window.
class PresenceWatch final : public Control, public IntrusiveList<PresenceWatch>::Link {
public:
    // The registrations; tests put counting ones in (nullptr: the system's, looked up at run time, so that
    // the program still starts where one is missing: it then simply never pauses).
    struct Registrar {
        HPOWERNOTIFY (*registerPowerSetting)(HANDLE recipient, LPCGUID setting, DWORD flags);
        BOOL (*unregisterPowerSetting)(HPOWERNOTIFY notification);
        HPOWERNOTIFY (*registerSuspendResume)(HANDLE recipient, DWORD flags);
        BOOL (*unregisterSuspendResume)(HPOWERNOTIFY notification);
        BOOL (*registerSession)(HWND window, DWORD flags);
        BOOL (*unregisterSession)(HWND window);
        // The event that the session services set once they run; null where there is none.
        HANDLE (*openSessionServicesReady)();
        // Windows 8 or later, which tells each session's own display state.
        bool (*windows8OrLater)();
    };
    // Gives the registrar in use until now.
    static const Registrar* UseRegistrar(const Registrar* replacement);

    // onOutcome runs on the form of every loaded watch when presence turns (paused or resumed), and on a form
    // loaded without presence at its load (paused); on the watch's own form to show the moment.
    PresenceWatch(Form& owner, HandlerTaking<desktop::PresenceOutcome> onOutcome);
    ~PresenceWatch() override;

    // Presence as at the program's start: there. The loaded watches are told if that is a turn. For tests,
    // as presence is the program's and outlives any window.
    static void ResetPresence();

    // The presence event a message of the form's window tells; none for any other message, another
    // session's event or a malformed notification.
    static std::optional<desktop::PresenceEvent> EventOf(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnLoad(UINT dpi) override;
    void OnUnload() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void RegisterSession();
    void StopWaitingForSessionServices();
    static void CALLBACK SessionServicesReady(void* window, BOOLEAN timedOut);
    void Act(desktop::PresenceOutcome outcome);
    static void TellEveryWatch(desktop::PresenceOutcome outcome);

    HandlerTaking<desktop::PresenceOutcome> onOutcome_;
    HPOWERNOTIFY display_ = nullptr;
    HPOWERNOTIFY suspendResume_ = nullptr;
    bool session_ = false;
    bool sessionRetried_ = false;    // since the window's load: the registration is tried again once at most
    HANDLE servicesReady_ = nullptr; // the event the session services set once they run
    HANDLE wait_ = nullptr;          // a pool thread's wait for it

    static constinit inline desktop::Presence presence_;
    static constinit inline IntrusiveList<PresenceWatch> watches_;
};

} // namespace tintavo
