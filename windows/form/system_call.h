// Calls that newer Windows has and older Windows lacks, looked up at run time and never bound at load, so
// that the program still starts where they are missing; and libraries loaded from the system folder only.
// Every run-time lookup of the program is here.
#pragma once

#include <windows.h>

#include <commdlg.h> // the dialog's types only: its library is loaded on first use

#include <span>

namespace tintavo::system_call {

// A library and an export of it, by the name the program looks it up by.
struct Export {
    const wchar_t* library;
    const char* name;
};
// Every export the program looks up, for the test that each is there.
std::span<const Export> LookedUp();
// For tests: from now on the export of this name counts as missing, as on a system without it, so that
// its fallback runs; null gives every export back.
void PretendMissing(const char* name);

// The system's calls of the same names, where the system has them. Where it lacks one, each fails as
// said, with the last error ERROR_PROC_NOT_FOUND.
UINT GetDpiForWindow(HWND window);                                                             // 0
UINT GetDpiForSystem();                                                                        // 0
BOOL AdjustWindowRectExForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi);    // FALSE
int GetSystemMetricsForDpi(int index, UINT dpi);                                               // 0
DPI_AWARENESS_CONTEXT SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT context);             // null
HPOWERNOTIFY RegisterPowerSettingNotification(HANDLE recipient, LPCGUID setting, DWORD flags); // null
BOOL UnregisterPowerSettingNotification(HPOWERNOTIFY notification);                            // FALSE
HPOWERNOTIFY RegisterSuspendResumeNotification(HANDLE recipient, DWORD flags);                 // null
BOOL UnregisterSuspendResumeNotification(HPOWERNOTIFY notification);                           // FALSE
BOOL WTSRegisterSessionNotification(HWND window, DWORD flags);                                 // FALSE
BOOL WTSUnRegisterSessionNotification(HWND window);                                            // FALSE
BOOL SetDefaultDllDirectories(DWORD flags);                                                    // FALSE
// Where comdlg32 cannot be loaded: FALSE, as if the dialog was cancelled. The library is loaded on the
// first call, under whatever activation context is active then.
BOOL ChooseColorW(CHOOSECOLORW* dialog);

// Loads a library of the system folder, never one found beside the exe or on the PATH; null on failure.
HMODULE LoadSystemLibrary(const wchar_t* name);

// From now on every DLL the process loads comes from the system folder only (where Windows offers that).
void LoadDllsFromTheSystemFolderOnly();

} // namespace tintavo::system_call
