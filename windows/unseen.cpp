// Whether anybody can see the clock, from the system's display and session notifications.
#include "windows/unseen.h"

#include "windows/system_call.h"

#include <versionhelpers.h>
#include <wtsapi32.h>

#include <cstring>

namespace tintavo {

namespace {

// The display of the session the process runs in (Windows 8 and later), and of the console before that.
constexpr GUID kSessionDisplayStatus{
    0x2B84C20E, 0xAD23, 0x4DDF, {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}};
constexpr GUID kMonitorPowerOn{0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};

struct NotificationCalls {
    using RegisterPowerFn = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
    using UnregisterPowerFn = BOOL(WINAPI*)(HPOWERNOTIFY);
    using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
    using UnregisterSessionFn = BOOL(WINAPI*)(HWND);

    RegisterPowerFn registerPower =
        SystemCall<RegisterPowerFn>(L"user32.dll", "RegisterPowerSettingNotification");
    UnregisterPowerFn unregisterPower =
        SystemCall<UnregisterPowerFn>(L"user32.dll", "UnregisterPowerSettingNotification");
    HMODULE wtsapi = LoadSystemLibrary(L"wtsapi32.dll"); // kept for the program's lifetime
    RegisterSessionFn registerSession =
        SystemCall<RegisterSessionFn>(wtsapi, "WTSRegisterSessionNotification");
    UnregisterSessionFn unregisterSession =
        SystemCall<UnregisterSessionFn>(wtsapi, "WTSUnregisterSessionNotification");
};

const NotificationCalls& Calls() {
    static const NotificationCalls calls;
    return calls;
}

} // namespace

bool Unseen::OnSessionEvent(WPARAM event) {
    switch (event) {
    case WTS_SESSION_LOCK:
        return Turns([this] { locked_ = true; });
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
        return Turns([this] { disconnected_ = true; });
    case WTS_SESSION_UNLOCK: // someone is back: whatever else was missed, the clock runs
    case WTS_SESSION_LOGON:
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        return Clear();
    }
    return false;
}

std::optional<DWORD> DisplayStateOf(const POWERBROADCAST_SETTING* setting) {
    if (!setting || setting->DataLength != sizeof(DWORD)) return std::nullopt;
    if (!IsEqualGUID(setting->PowerSetting, kSessionDisplayStatus) &&
        !IsEqualGUID(setting->PowerSetting, kMonitorPowerOn))
        return std::nullopt;
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof state); // Data is a byte array, not aligned for a DWORD
    return state;
}

std::optional<DWORD> OwnSessionId() {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return std::nullopt;
    return session;
}

void UnseenNotifications::OnLoad(HWND window, UINT /*dpi*/) {
    window_ = window;
    if (Calls().registerPower) {
        // Windows sends the current state at once, and then each change.
        const GUID& display = IsWindows8OrGreater() ? kSessionDisplayStatus : kMonitorPowerOn;
        display_ = Calls().registerPower(window, &display, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    if (Calls().registerSession) session_ = Calls().registerSession(window, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void UnseenNotifications::OnUnload() {
    if (display_ && Calls().unregisterPower) (void)Calls().unregisterPower(display_);
    if (session_ && Calls().unregisterSession) (void)Calls().unregisterSession(window_);
    display_ = nullptr;
    session_ = false;
    window_ = nullptr;
}

} // namespace tintavo
