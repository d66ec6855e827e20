// One clock per session: a named mutex that the session's clock owns while it runs.
#include "windows/one_clock.h"

#include <windows.h>

namespace tintavo::one_clock {

namespace {
HANDLE claim = nullptr; // the mutex, owned by the thread that claimed it
} // namespace

bool Claim(const wchar_t* name) {
    if (claim) return true;
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (!mutex) return true;
    switch (WaitForSingleObject(mutex, 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: // its last owner ended without giving it up
        claim = mutex;
        return true;
    case WAIT_TIMEOUT: // another process's clock runs
        CloseHandle(mutex);
        return false;
    default:
        CloseHandle(mutex);
        return true;
    }
}

void GiveUp() {
    if (!claim) return;
    (void)ReleaseMutex(claim);
    CloseHandle(claim);
    claim = nullptr;
}

} // namespace tintavo::one_clock
