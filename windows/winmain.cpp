// Program start: load the main clock and run messages until the last window has unloaded.
#include "windows/forms.h"
#include "windows/system_call.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // DLLs loaded from now on come from the system folder only, never the current or the exe's folder.
    // Windows 7 has the call only with KB2533623: looked up, so that the program starts without it.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (const auto setDllDirectories =
            tintavo::SystemCall<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories"))
        (void)setDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    (void)HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);

    tintavo::frmMain().Show();
    if (tintavo::Form::LoadedCount() == 0) return 1; // the window could not be created
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
