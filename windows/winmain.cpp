// Program start: load the main clock and run messages until the last window has unloaded.
#include "windows/program_windows.h"
#include "windows/form/system_call.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tintavo::system_call::LoadDllsFromTheSystemFolderOnly(); // never the current folder or the exe's
    (void)HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    // Windows' "restart apps after sign-in" brings a registered program back after an update restart; not
    // after a crash or a hang, so that a fault cannot loop. No command line: the clock takes none.
    // https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-registerapplicationrestart
    (void)RegisterApplicationRestart(nullptr, RESTART_NO_CRASH | RESTART_NO_HANG);

    tintavo::frmMain().Show();
    if (tintavo::Form::LoadedCount() == 0) return 1; // the window could not be created
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
