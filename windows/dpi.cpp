// Screen DPI of windows, through the Windows 10 calls where they exist, and the designer's units in pixels.
#include "windows/dpi.h"

#include "windows/system_call.h"

#include <cmath>

namespace tintavo {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr double kPointsPerInch = 72.0;

// The user32 calls that only Windows 10 has, looked up once; null where the system lacks them.
struct User32Dpi {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    using GetDpiForSystemFn = UINT(WINAPI*)();
    using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

    GetDpiForWindowFn getDpiForWindow = SystemCall<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    GetDpiForSystemFn getDpiForSystem = SystemCall<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi =
        SystemCall<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    GetSystemMetricsForDpiFn getSystemMetricsForDpi =
        SystemCall<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
};

const User32Dpi& Calls() {
    static const User32Dpi calls;
    return calls;
}

UINT ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : dpi::kDefault;
}

} // namespace

namespace dpi {

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

} // namespace dpi

int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch); }

POINT TwipsToPixels(TwipsPoint point, UINT dpi) {
    return {TwipsToPixels(point.x, dpi), TwipsToPixels(point.y, dpi)};
}

RECT TwipsToPixels(const TwipsRect& rect, UINT dpi) {
    return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi),
            TwipsToPixels(rect.left + rect.width, dpi), TwipsToPixels(rect.top + rect.height, dpi)};
}

gdi::Font CreateFontFrom(const FontDesign& font, UINT dpi) {
    const int height = -static_cast<int>(std::lround(font.points * dpi / kPointsPerInch));
    return gdi::Font{CreateFontW(height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | font.family, font.face)};
}

} // namespace tintavo
