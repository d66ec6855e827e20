// Presence for the clock windows: registrations, the system's messages as presence events, and the outcome
// told to the clock windows.
#include "windows/presence_watch.h"

#include "windows/form/system_call.h"

#include <versionhelpers.h>
#include <wtsapi32.h>

#include <cstring>
#include <utility>

namespace tintavo {

namespace {

using desktop::PresenceEvent;
using desktop::PresenceOutcome;

// Posted by the pool thread once the session services run.
constexpr UINT kSessionServicesReady = WM_APP + 1;

HANDLE OpenSessionServicesReady() { return OpenEventW(SYNCHRONIZE, FALSE, L"Global\\TermSrvReadyEvent"); }

constexpr PresenceWatch::Registrar kSystemRegistrar{
    &system_call::RegisterPowerSettingNotification,
    &system_call::UnregisterPowerSettingNotification,
    &system_call::RegisterSuspendResumeNotification,
    &system_call::UnregisterSuspendResumeNotification,
    &system_call::WTSRegisterSessionNotification,
    &system_call::WTSUnRegisterSessionNotification,
    &OpenSessionServicesReady,
    [] { return IsWindows8OrGreater() != FALSE; },
};
constinit const PresenceWatch::Registrar* registrar = &kSystemRegistrar; // or the tests'

std::optional<DWORD> OwnSessionId() {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return std::nullopt;
    return session;
}

std::optional<PresenceEvent> DisplayEventOf(const POWERBROADCAST_SETTING* setting) {
    if (!setting || setting->DataLength != sizeof(DWORD)) return std::nullopt;
    if (!IsEqualGUID(setting->PowerSetting, GUID_SESSION_DISPLAY_STATUS) &&
        !IsEqualGUID(setting->PowerSetting, GUID_MONITOR_POWER_ON))
        return std::nullopt;
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof state); // Data is a byte array, not aligned for a DWORD
    switch (state) {
    case 0:
        return PresenceEvent::DisplayOff;
    case 2:
        return PresenceEvent::DisplayDimmed;
    default:
        return PresenceEvent::DisplayOn;
    }
}

std::optional<PresenceEvent> SessionEventOf(WPARAM event) {
    switch (event) {
    case WTS_SESSION_LOCK:
        return PresenceEvent::Lock;
    case WTS_SESSION_UNLOCK:
        return PresenceEvent::Unlock;
    case WTS_SESSION_LOGON:
        return PresenceEvent::Logon;
    case WTS_CONSOLE_CONNECT:
        return PresenceEvent::ConsoleConnect;
    case WTS_CONSOLE_DISCONNECT:
        return PresenceEvent::ConsoleDisconnect;
    case WTS_REMOTE_CONNECT:
        return PresenceEvent::RemoteConnect;
    case WTS_REMOTE_DISCONNECT:
        return PresenceEvent::RemoteDisconnect;
    }
    return std::nullopt; // a log-off, a change of remote control, a session made or ended
}

} // namespace

const PresenceWatch::Registrar* PresenceWatch::UseRegistrar(const Registrar* replacement) {
    return std::exchange(registrar, replacement ? replacement : &kSystemRegistrar);
}

PresenceWatch::PresenceWatch(Form& owner, HandlerTaking<PresenceOutcome> onOutcome)
    : Control{owner}, onOutcome_{onOutcome} {
    watches_.Append(*this);
}

PresenceWatch::~PresenceWatch() { watches_.Remove(*this); }

void PresenceWatch::ResetPresence() {
    const bool wasPresent = presence_.Present();
    presence_ = {};
    if (!wasPresent) TellEveryWatch(PresenceOutcome::Resumed);
}

void PresenceWatch::TellEveryWatch(PresenceOutcome outcome) {
    for (PresenceWatch& watch : watches_)
        if (watch.owner_.IsLoaded()) watch.onOutcome_(outcome);
}

void PresenceWatch::Act(PresenceOutcome outcome) {
    switch (outcome) {
    case PresenceOutcome::Paused:
    case PresenceOutcome::Resumed: // presence is the program's: every clock window pauses or resumes
        TellEveryWatch(outcome);
        break;
    case PresenceOutcome::ShowTheMoment: // each clock window hears a set clock or a wake itself
        onOutcome_(outcome);
        break;
    case PresenceOutcome::Nothing:
        break;
    }
}

std::optional<PresenceEvent> PresenceWatch::EventOf(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_POWERBROADCAST:
        // Every wake sends PBT_APMRESUMEAUTOMATIC, an unattended one too; PBT_APMRESUMESUSPEND follows only
        // when a key or a press woke the computer.
        // https://learn.microsoft.com/windows/win32/power/pbt-apmresumeautomatic
        if (wParam == PBT_APMRESUMEAUTOMATIC) return PresenceEvent::Wake;
        if (wParam == PBT_APMRESUMESUSPEND) return PresenceEvent::WakeByUser;
        if (wParam == PBT_POWERSETTINGCHANGE)
            return DisplayEventOf(reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
        return std::nullopt;
    case WM_WTSSESSION_CHANGE: {
        static const std::optional<DWORD> own = OwnSessionId();
        if (own && static_cast<DWORD>(lParam) != *own) return std::nullopt; // another user's session
        return SessionEventOf(wParam);
    }
    case WM_DISPLAYCHANGE:
        return PresenceEvent::DisplaysChanged;
    case WM_TIMECHANGE:
        return PresenceEvent::ClockSet;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN: // on the caption or the frame
    case WM_NCRBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_INITMENU:
        return PresenceEvent::Input;
    }
    return std::nullopt;
}

void PresenceWatch::OnLoad(UINT /*dpi*/) {
    const HWND window = owner_.Handle();
    // Windows sends the display's state at once, and then each change.
    // The display of the session the program runs in; before Windows 8 only the console's is told.
    const GUID& display = registrar->windows8OrLater() ? GUID_SESSION_DISPLAY_STATUS : GUID_MONITOR_POWER_ON;
    display_ = registrar->registerPowerSetting(window, &display, DEVICE_NOTIFY_WINDOW_HANDLE);
    // Machines with Modern Standby tell the wakes only to windows registered for them (Windows 8 and later).
    suspendResume_ = registrar->registerSuspendResume(window, DEVICE_NOTIFY_WINDOW_HANDLE);
    sessionRetried_ = false;
    RegisterSession();
    // The form's controls made before the watch were just loaded as designed, as if there were presence.
    if (!presence_.Present()) onOutcome_(PresenceOutcome::Paused);
}

void PresenceWatch::RegisterSession() {
    const HWND window = owner_.Handle();
    if (registrar->registerSession(window, NOTIFY_FOR_THIS_SESSION)) {
        session_ = true;
        return;
    }
    // Early at logon the session services may not run yet: the call fails with RPC_S_INVALID_BINDING, and
    // the services set the event Global\TermSrvReadyEvent once they run.
    // https://learn.microsoft.com/windows/win32/api/wtsapi32/nf-wtsapi32-wtsregistersessionnotification
    // A pool thread waits for it and posts to the window, which tries again: the first lock may well come
    // before any press or key on the clock, so a retry at the next sign of a person could miss it. Once
    // only: the event stays set, and a second refusal is not one that waiting ends.
    if (GetLastError() != RPC_S_INVALID_BINDING || sessionRetried_) return;
    sessionRetried_ = true;
    servicesReady_ = registrar->openSessionServicesReady();
    if (servicesReady_ && !RegisterWaitForSingleObject(&wait_, servicesReady_, &SessionServicesReady, window,
                                                       INFINITE, WT_EXECUTEONLYONCE))
        wait_ = nullptr;
}

void CALLBACK PresenceWatch::SessionServicesReady(void* window, BOOLEAN /*timedOut*/) {
    PostMessageW(static_cast<HWND>(window), kSessionServicesReady, 0, 0); // on the pool thread
}

void PresenceWatch::StopWaitingForSessionServices() {
    if (wait_) (void)UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE); // returns once no callback runs
    if (servicesReady_) CloseHandle(servicesReady_);
    wait_ = servicesReady_ = nullptr;
}

void PresenceWatch::OnUnload() {
    StopWaitingForSessionServices();
    if (display_) (void)registrar->unregisterPowerSetting(display_);
    if (suspendResume_) (void)registrar->unregisterSuspendResume(suspendResume_);
    if (session_) (void)registrar->unregisterSession(owner_.Handle());
    display_ = suspendResume_ = nullptr;
    session_ = false;
}

bool PresenceWatch::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kSessionServicesReady) {
        StopWaitingForSessionServices();
        RegisterSession();
        result = 0;
        return true;
    }
    if (const std::optional<PresenceEvent> event = EventOf(message, wParam, lParam))
        Act(presence_.Apply(*event));
    if (message == WM_POWERBROADCAST) {
        // https://learn.microsoft.com/windows/win32/power/wm-powerbroadcast
        result = TRUE; // as documented for a window that processes it
        return true;
    }
    return false; // the form handles the message as well (a press, a display change)
}

} // namespace tintavo
