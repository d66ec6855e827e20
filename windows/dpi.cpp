// Screen DPI of windows, through the Windows 10 calls where they exist.
#include "windows/dpi.h"

namespace tintavo::dpi {

namespace {

// The user32 calls that only Windows 10 has, looked up once; null where the system lacks them.
struct User32Dpi {
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    UINT(WINAPI* getDpiForSystem)() = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;

    User32Dpi() {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll"); // loaded with the program
        Find(user32, "GetDpiForWindow", getDpiForWindow);
        Find(user32, "GetDpiForSystem", getDpiForSystem);
        Find(user32, "AdjustWindowRectExForDpi", adjustWindowRectExForDpi);
        Find(user32, "GetSystemMetricsForDpi", getSystemMetricsForDpi);
    }

    template <typename Function> static void Find(HMODULE module, const char* name, Function& function) {
        // GetProcAddress gives every export as a FARPROC; the cast restores the export's real type.
        function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                          : nullptr;
    }
};

const User32Dpi& Calls() {
    static const User32Dpi calls;
    return calls;
}

UINT ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefault;
}

} // namespace

UINT ForSystem() {
    static const UINT system = Calls().getDpiForSystem ? Calls().getDpiForSystem() : ScreenDpi();
    return system;
}

UINT ForWindow(HWND window) {
    const UINT dpi = Calls().getDpiForWindow ? Calls().getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : ForSystem();
}

RECT OuterRect(RECT client, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
    if (Calls().adjustWindowRectExForDpi)
        Calls().adjustWindowRectExForDpi(&client, style, menu, exStyle, dpi);
    else
        AdjustWindowRectEx(&client, style, menu, exStyle);
    return client;
}

int SystemMetric(int index, UINT dpi) {
    return Calls().getSystemMetricsForDpi ? Calls().getSystemMetricsForDpi(index, dpi)
                                          : GetSystemMetrics(index);
}

} // namespace tintavo::dpi
