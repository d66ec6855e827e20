// Program start: load the main clock and run messages until the last window has unloaded.
#include "windows/program_windows.h"
#include "windows/form/system_call.h"
#include "windows/one_clock.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tintavo::system_call::LoadDllsFromTheSystemFolderOnly(); // never the current folder or the exe's
    (void)HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    // The session has its clock already (started again, or by the restart below and the Startup folder
    // both): this start ends before any window, and that clock stays as it is.
    if (!tintavo::one_clock::Claim()) return 0;
    // Registered, the clock may come back after a restart for an update: Windows restarts only a program
    // that has run at least 60 seconds, and only when the restart asks for it, as it does with the user's
    // "restart apps" option on. Not after a crash or a hang, so that a fault cannot loop. No command line:
    // the clock takes none.
    // https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-registerapplicationrestart
    (void)RegisterApplicationRestart(nullptr, RESTART_NO_CRASH | RESTART_NO_HANG);

    tintavo::frmMain().Show();
    if (tintavo::Form::LoadedCount() == 0) return 1; // the window could not be created
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    tintavo::one_clock::GiveUp(); // given up already when the last window went, whichever way
    return static_cast<int>(message.wParam);
}
