// What the windows tests share: running messages while real timers tick, and reading window state.
#pragma once

#include <windows.h>

#include <functional>

namespace tintavo::testing {

// Set when a pump below takes the quit message that the program's last unload posts.
inline bool quitTaken = false;

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
