// A see-through key colour for a top-level window, where the system offers layered windows.
#pragma once

#include "clock/color.h"
#include "desktop/window_manager.h"

namespace MTranslucentWnd {

using tintavo::Color;
using tintavo::desktop::WindowHandle;
using tintavo::desktop::WindowManager;

// Makes every pixel of colour in the window's top-level parent see-through; true when the key was set.
// When the key cannot be set, the window keeps the extended style it had.
bool MakeTranslucent(WindowManager& wm, WindowHandle window, Color color);
// True on NT platforms from major version 5 on; a failed version query reads as no support.
bool IsLayeringSupported(WindowManager& wm);
// Climbs through visible parents; a window with no visible parent is its own result.
WindowHandle GetTopLevelParent(WindowManager& wm, WindowHandle window);
// A colour with the top bit set names a system colour: its current RGB value; other colours pass unchanged.
Color TranslateColor(WindowManager& wm, Color color);

} // namespace MTranslucentWnd
