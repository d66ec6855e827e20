// Placing a window above every ordinary window, and moving it by a press on its client area.
#include "desktop/topmost_drag.h"

namespace tintavo::desktop {

bool PlaceTopmost(WindowManager& wm, WindowHandle window) {
    return wm.SetWindowPos(window, kHwndTopmost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
}

void StartDrag(WindowManager& wm, WindowHandle window, MouseButton button) {
    if (button != MouseButton::Left) return; // right and middle presses never move the window
    (void)wm.ReleaseCapture();               // the press captured the mouse; the move loop needs it free
    (void)wm.SendMessageA(window, kWmNcLButtonDown, kHtCaption, 0);
}

} // namespace tintavo::desktop
