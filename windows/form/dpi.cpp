// Screen DPI of windows, through the Windows 10 calls where they exist, and the designer's units in pixels.
#include "windows/form/dpi.h"

#include "windows/form/system_call.h"

#include <cmath>

namespace tintavo {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr double kPointsPerInch = 72.0;

UINT ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : dpi::kDefault;
}

} // namespace

namespace dpi {

UINT ForSystem() {
    const UINT dpi = system_call::GetDpiForSystem();
    return dpi != 0 ? dpi : ScreenDpi();
}

UINT ForWindow(HWND window) {
    const UINT dpi = system_call::GetDpiForWindow(window);
    return dpi != 0 ? dpi : ForSystem();
}

RECT WindowRectAround(RECT client, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
    if (!system_call::AdjustWindowRectExForDpi(&client, style, menu, exStyle, dpi))
        AdjustWindowRectEx(&client, style, menu, exStyle);
    return client;
}

int SystemMetric(int index, UINT dpi) {
    const int metric = system_call::GetSystemMetricsForDpi(index, dpi);
    return metric != 0 ? metric : GetSystemMetrics(index);
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
