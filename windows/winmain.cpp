// Program start: load the main clock and run messages until the last window has unloaded.
#include "windows/forms.h"
#include "windows/system_call.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tintavo::LoadDllsFromTheSystemFolderOnly(); // never the current folder or the exe's
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
