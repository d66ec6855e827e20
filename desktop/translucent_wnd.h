// Desktop behaviours of a top-level clock window: topmost placement, a see-through key colour and
// dragging by the client area.
#pragma once

#include "desktop/window_manager.h"

#include <cstdint>

namespace tintavo::desktop {

// Places the window in the topmost band without moving or sizing it.
bool PlaceTopmost(WindowManager& wm, WindowHandle window);

// Starts a window-manager move of the window when button is the left button (1); other buttons do nothing.
void StartDrag(WindowManager& wm, WindowHandle window, int button);

} // namespace tintavo::desktop

namespace MTranslucentWnd {

using tintavo::desktop::WindowHandle;
using tintavo::desktop::WindowManager;

// Makes every pixel of colour in the window's top-level parent see-through; true when the key was set.
// When the key cannot be set, the window keeps the extended style it had.
bool MakeTranslucent(WindowManager& wm, WindowHandle window, std::uint32_t colour);
// True on NT platforms from major version 5 on; a failed version query reads as no support.
bool IsLayeringSupported(WindowManager& wm);
// Climbs through visible parents; a window with no visible parent is its own result.
WindowHandle GetTopLevelParent(WindowManager& wm, WindowHandle window);
// A colour with the top bit set names a system colour: its current RGB value; other colours pass unchanged.
std::uint32_t TranslateColor(WindowManager& wm, std::uint32_t colour);

} // namespace MTranslucentWnd
