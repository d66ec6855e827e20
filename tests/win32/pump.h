// Message pumping for tests that wait on real timers.
#pragma once

#include <windows.h>

#include <functional>

namespace tintavo::testing {

// Runs messages until the predicate holds or the time is up; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue; // the program's end is checked separately
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

} // namespace tintavo::testing
