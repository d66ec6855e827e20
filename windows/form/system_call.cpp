// The run-time lookups, each once, and libraries of the system folder.
#include "windows/form/system_call.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace tintavo::system_call {

namespace {

enum Index : std::size_t {
    kGetDpiForWindow,
    kGetDpiForSystem,
    kAdjustWindowRectExForDpi,
    kGetSystemMetricsForDpi,
    kSetThreadDpiAwarenessContext,
    kRegisterPowerSettingNotification,
    kUnregisterPowerSettingNotification,
    kRegisterSuspendResumeNotification,
    kUnregisterSuspendResumeNotification,
    kWTSRegisterSessionNotification,
    kWTSUnRegisterSessionNotification,
    kSetDefaultDllDirectories,
    kAddDllDirectory,
    kChooseColorW,
    kCount
};

constexpr wchar_t kUser32[] = L"user32.dll";
constexpr wchar_t kKernel32[] = L"kernel32.dll";
constexpr wchar_t kWtsapi32[] = L"wtsapi32.dll";
constexpr wchar_t kComdlg32[] = L"comdlg32.dll";

struct Entry {
    Index index;
    Export export_;
};
constexpr Entry kEntries[] = {
    {kGetDpiForWindow, {kUser32, "GetDpiForWindow"}}, // Windows 10 1607, as the three below
    {kGetDpiForSystem, {kUser32, "GetDpiForSystem"}},
    {kAdjustWindowRectExForDpi, {kUser32, "AdjustWindowRectExForDpi"}},
    {kGetSystemMetricsForDpi, {kUser32, "GetSystemMetricsForDpi"}},
    {kSetThreadDpiAwarenessContext, {kUser32, "SetThreadDpiAwarenessContext"}},
    // Vista, but looked up so that no notification call is bound at load.
    {kRegisterPowerSettingNotification, {kUser32, "RegisterPowerSettingNotification"}},
    {kUnregisterPowerSettingNotification, {kUser32, "UnregisterPowerSettingNotification"}},
    {kRegisterSuspendResumeNotification, {kUser32, "RegisterSuspendResumeNotification"}}, // Windows 8
    {kUnregisterSuspendResumeNotification, {kUser32, "UnregisterSuspendResumeNotification"}},
    // wtsapi32 is loaded when a clock window first registers, not at start.
    {kWTSRegisterSessionNotification, {kWtsapi32, "WTSRegisterSessionNotification"}},
    {kWTSUnRegisterSessionNotification, {kWtsapi32, "WTSUnRegisterSessionNotification"}},
    // Windows 8, or Windows 7 with KB2533623.
    {kSetDefaultDllDirectories, {kKernel32, "SetDefaultDllDirectories"}},
    {kAddDllDirectory, {kKernel32, "AddDllDirectory"}},
    // Loaded when the colour dialog is first shown.
    {kChooseColorW, {kComdlg32, "ChooseColorW"}},
};

// The exports by their Index, every one named once.
constexpr auto kExports = [] {
    std::array<Export, kCount> exports{};
    for (const Entry& entry : kEntries)
        exports[entry.index] = entry.export_;
    return exports;
}();
static_assert(std::size(kEntries) == kCount &&
              std::ranges::none_of(kExports, [](const Export& e) { return e.name == nullptr; }));

HMODULE ModuleOf(const wchar_t* library) {
    if (const HMODULE loaded = GetModuleHandleW(library)) return loaded;
    return LoadSystemLibrary(library); // kept for the program's lifetime
}

constinit const char* missing = nullptr; // the export tests pretend the system lacks
bool PretendedMissing(Index index) { return missing && std::strcmp(missing, kExports[index].name) == 0; }

FARPROC Address(Index index) {
    if (PretendedMissing(index)) return nullptr;
    static FARPROC addresses[kCount] = {};
    static bool lookedUp[kCount] = {};
    if (!lookedUp[index]) {
        lookedUp[index] = true;
        if (const HMODULE module = ModuleOf(kExports[index].library))
            addresses[index] = GetProcAddress(module, kExports[index].name);
    }
    return addresses[index];
}

// Calls the export at Index with the arguments' types, or gives `absent` where the system lacks it.
template <Index I, typename Result, typename... Args> Result Call(Result absent, Args... args) {
    using Function = Result(WINAPI*)(Args...);
    // GetProcAddress gives every export as a FARPROC; through a generic function pointer the cast to the
    // export's real type draws no warning.
    if (const auto function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(Address(I))))
        return function(args...);
    SetLastError(ERROR_PROC_NOT_FOUND);
    return absent;
}

// Whether LoadLibraryExW knows the LOAD_LIBRARY_SEARCH_* flags: Windows 7 without KB2533623 does not, and
// Microsoft's LoadLibraryExW page says to tell by whether AddDllDirectory is exported.
// https://learn.microsoft.com/windows/win32/api/libloaderapi/nf-libloaderapi-loadlibraryexw
bool HasSearchFlags() {
    static const bool has =
        GetProcAddress(GetModuleHandleW(kKernel32), kExports[kAddDllDirectory].name) != nullptr;
    return has && !PretendedMissing(kAddDllDirectory);
}

} // namespace

std::span<const Export> LookedUp() { return kExports; }
void PretendMissing(const char* name) { missing = name; }

UINT GetDpiForWindow(HWND window) { return Call<kGetDpiForWindow, UINT>(0u, window); }
UINT GetDpiForSystem() { return Call<kGetDpiForSystem, UINT>(0u); }
BOOL AdjustWindowRectExForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi) {
    return Call<kAdjustWindowRectExForDpi, BOOL>(FALSE, rect, style, menu, exStyle, dpi);
}
int GetSystemMetricsForDpi(int index, UINT dpi) { return Call<kGetSystemMetricsForDpi, int>(0, index, dpi); }
DPI_AWARENESS_CONTEXT SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT context) {
    return Call<kSetThreadDpiAwarenessContext, DPI_AWARENESS_CONTEXT>(nullptr, context);
}
HPOWERNOTIFY RegisterPowerSettingNotification(HANDLE recipient, LPCGUID setting, DWORD flags) {
    return Call<kRegisterPowerSettingNotification, HPOWERNOTIFY>(nullptr, recipient, setting, flags);
}
BOOL UnregisterPowerSettingNotification(HPOWERNOTIFY notification) {
    return Call<kUnregisterPowerSettingNotification, BOOL>(FALSE, notification);
}
HPOWERNOTIFY RegisterSuspendResumeNotification(HANDLE recipient, DWORD flags) {
    return Call<kRegisterSuspendResumeNotification, HPOWERNOTIFY>(nullptr, recipient, flags);
}
BOOL UnregisterSuspendResumeNotification(HPOWERNOTIFY notification) {
    return Call<kUnregisterSuspendResumeNotification, BOOL>(FALSE, notification);
}
BOOL WTSRegisterSessionNotification(HWND window, DWORD flags) {
    return Call<kWTSRegisterSessionNotification, BOOL>(FALSE, window, flags);
}
BOOL WTSUnRegisterSessionNotification(HWND window) {
    return Call<kWTSUnRegisterSessionNotification, BOOL>(FALSE, window);
}
BOOL SetDefaultDllDirectories(DWORD flags) { return Call<kSetDefaultDllDirectories, BOOL>(FALSE, flags); }
BOOL ChooseColorW(CHOOSECOLORW* dialog) { return Call<kChooseColorW, BOOL>(FALSE, dialog); }

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (HasSearchFlags()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without the flag: the file named by its full path in the system folder.
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t nameLength = std::wcslen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    std::copy_n(name, nameLength + 1, path + length + 1); // with its terminator
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void LoadDllsFromTheSystemFolderOnly() { (void)SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

} // namespace tintavo::system_call
