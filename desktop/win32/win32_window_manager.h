// Binds the window-manager port to user32 and kernel32.
#pragma once

#include "desktop/window_manager.h"

#include <windows.h>

namespace tintavo::desktop {

inline WindowHandle ToHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// The process's one adapter; it holds no state.
WindowManager& SystemWindowManager();

} // namespace tintavo::desktop
