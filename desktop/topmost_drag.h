// Placing a window above every ordinary window, and moving it by a press on its client area.
#pragma once

#include "desktop/mouse_button.h"
#include "desktop/window_manager.h"

namespace tintavo::desktop {

// Places the window in the topmost band without moving or sizing it.
bool PlaceTopmost(WindowManager& wm, WindowHandle window);

// Starts a window-manager move of the window when the left button went down; other buttons do nothing.
void StartDrag(WindowManager& wm, WindowHandle window, MouseButton button);

} // namespace tintavo::desktop
