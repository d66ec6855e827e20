// The RGB value that GDI takes for a colour value of the program's, system colours looked up.
#pragma once

#include "clock/color.h"
#include "desktop/translucent_wnd.h"
#include "desktop/win32/win32_window_manager.h"

#include <windows.h>

namespace tintavo {

inline COLORREF ToRgb(Color color) {
    return MTranslucentWnd::TranslateColor(desktop::SystemWindowManager(), color);
}

} // namespace tintavo
