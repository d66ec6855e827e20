// Libraries of the system folder, and the search path for the DLLs the process loads later.
#include "windows/system_call.h"

#include <cwchar>

namespace tintavo {

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // Windows 7 without KB2533623 does not know the flag: name the file by its full path instead.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + std::wcslen(name) >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    (void)wcscpy_s(path + length + 1, MAX_PATH - 1 - length, name);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void LoadDllsFromTheSystemFolderOnly() {
    // Windows 7 has the call only with KB2533623: looked up, so that the program starts without it.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (const auto setDllDirectories =
            SystemCall<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories"))
        (void)setDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace tintavo
