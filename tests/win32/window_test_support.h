// What the windows tests share: running messages while real timers tick, and reading window state.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <utility>

namespace tintavo::testing {

// Set when a pump below takes the quit message that the program's last unload posts.
inline bool quitTaken = false;

// WM_TIMER messages the pumps below have run, by window and timer id (a null window: a thread timer).
// The system delivers them, so they count a timer's ticks whatever the handler does with them.
inline std::map<std::pair<HWND, UINT_PTR>, int> timerTicks;

inline int TicksOf(HWND window, UINT_PTR timer) {
    const auto found = timerTicks.find({window, timer});
    return found == timerTicks.end() ? 0 : found->second;
}

// The clock windows' timers, numbered by the form layer in the order the windows create them.
enum ClockTimer : UINT_PTR { kTimeTimer = 1, kBlinkTimer = 2, kColourTimer = 3 };

// Runs one tick of a form's timer now, as the system would deliver it.
inline void Tick(HWND window, UINT_PTR timer) {
    SendMessageW(window, WM_TIMER, timer, 0);
}

// Runs messages until the predicate holds or the time is up; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitTaken = true;
                continue;
            }
            if (message.message == WM_TIMER) ++timerTicks[{message.hwnd, message.wParam}];
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// Takes the quit message that the program's last unload posts; true when there was one.
inline bool QuitPosted() {
    MSG quit;
    const bool posted = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) || quitTaken;
    quitTaken = false;
    return posted;
}

// The window's client area in screen coordinates.
inline RECT ScreenClientRect(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

} // namespace tintavo::testing
