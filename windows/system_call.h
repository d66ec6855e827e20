// Calls that newer Windows has and older Windows lacks, looked up at run time and never bound at load, so
// that the program still starts where they are missing; and libraries loaded from the system folder only.
#pragma once

#include <windows.h>

namespace tintavo {

// The export name of a loaded module as a pointer of its real type; null where the module lacks it.
template <typename Function> Function SystemCall(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // GetProcAddress gives every export as a FARPROC; through a generic function pointer the cast to the
    // export's real type draws no warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The same for a module the program has already loaded, such as kernel32 or user32.
template <typename Function> Function SystemCall(const wchar_t* module, const char* name) {
    return SystemCall<Function>(GetModuleHandleW(module), name);
}

// Loads a library of the system folder, never one found beside the exe or on the PATH; null on failure.
HMODULE LoadSystemLibrary(const wchar_t* name);

// From now on every DLL the process loads comes from the system folder only (where Windows offers that).
void LoadDllsFromTheSystemFolderOnly();

} // namespace tintavo
