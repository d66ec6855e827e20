// One clock per session: a named mutex that the session's clock owns while it runs.
#include "windows/one_clock.h"

#include <windows.h>

namespace tintavo::one_clock {

namespace {
constinit HANDLE claim = nullptr; // the mutex, owned by the thread that claimed it
} // namespace

bool Claim(const wchar_t* name) {
    if (claim) return true;
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    // Access denied: a clock that this process may not open holds the claim (one started elevated, say),
    // as CreateMutexW says to expect. Any other failure runs the clock unclaimed.
    // https://learn.microsoft.com/windows/win32/api/synchapi/nf-synchapi-createmutexw
    if (!mutex) return GetLastError() != ERROR_ACCESS_DENIED;
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
