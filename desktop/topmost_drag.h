// Placing a window above every ordinary window, and moving it by a press on its client area.
#pragma once

#include "desktop/window_manager.h"

namespace tintavo::desktop {

// The mouse button of a press, with the codes the clock windows' press handler is written for.
enum class MouseButton : int { Left = 1, Right = 2, Middle = 4 };

// Places the window in the topmost band without moving or sizing it.
bool PlaceTopmost(WindowManager& wm, WindowHandle window);

// Starts a window-manager move of the window when the left button went down; other buttons do nothing.
void StartDrag(WindowManager& wm, WindowHandle window, MouseButton button);

} // namespace tintavo::desktop
