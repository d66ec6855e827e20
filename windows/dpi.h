// Screen DPI of windows: the calls that Windows 10 added, looked up at run time with a fallback to the
// screen DPI, so that the program still starts on Windows 7 and 8.1.
#pragma once

#include <windows.h>

namespace tintavo::dpi {

inline constexpr UINT kDefault = 96;

// The DPI the system lays out for: the primary screen's, fixed for the process.
UINT ForSystem();
// The DPI of the monitor the window is on (per-monitor aware), else the system's.
UINT ForWindow(HWND window);
// The outer rectangle around a client rectangle, with the frame and caption metrics of this DPI.
RECT OuterRect(RECT client, DWORD style, bool menu, DWORD exStyle, UINT dpi);
// A system metric as it is at this DPI.
int SystemMetric(int index, UINT dpi);

} // namespace tintavo::dpi
