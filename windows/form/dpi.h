// Screen DPI and the designer's units. The DPI calls that Windows 10 added are looked up at run time with
// a fallback to the screen DPI, so that the program still starts on Windows 7 and 8.1. Designs are kept in
// twips and points, as designed, and turned into pixels here, at each window's own DPI.
#pragma once

#include "windows/form/gdi.h"

#include <windows.h>

namespace tintavo {

namespace dpi {

// The DPI at 100 % scale: 15 twips to a pixel, a 9.75-point font 13 pixels tall.
inline constexpr UINT kDefault = 96;

// The DPI the system lays out for: the primary screen's, fixed for the process.
UINT ForSystem();
// The DPI of the monitor the window is on (per-monitor aware), else the system's.
UINT ForWindow(HWND window);
// The outer rectangle around a client rectangle, with the frame and caption metrics of this DPI.
RECT WindowRectAround(RECT client, DWORD style, bool menu, DWORD exStyle, UINT dpi);
// A system metric as it is at this DPI.
int SystemMetric(int index, UINT dpi);

} // namespace dpi

// Design units: 1,440 twips to the inch.
struct TwipsPoint {
    int x, y;
};
struct TwipsSize {
    int cx, cy;
};
struct TwipsRect {
    int left, top, width, height;
};

// Twips to pixels at a DPI, rounded half away from zero as MulDiv rounds.
int TwipsToPixels(int twips, UINT dpi);
POINT TwipsToPixels(TwipsPoint point, UINT dpi);
// The edges are converted, not the size, so that neighbouring items stay flush at every DPI.
RECT TwipsToPixels(const TwipsRect& rect, UINT dpi);

struct FontDesign {
    const wchar_t* face;
    double points;
    int weight = FW_NORMAL;
    BYTE family = FF_DONTCARE;
};
// The font at its design size in points, for a window at this DPI.
gdi::Font CreateFontFrom(const FontDesign& font, UINT dpi);

} // namespace tintavo
