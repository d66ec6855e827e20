// Desktop behaviours of a top-level clock window: topmost placement, a see-through key colour and
// dragging by the client area.
#include "desktop/translucent_wnd.h"

namespace tintavo::desktop {

bool PlaceTopmost(WindowManager& wm, WindowHandle window) {
    return wm.SetWindowPos(window, kHwndTopmost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
}

void StartDrag(WindowManager& wm, WindowHandle window, int button) {
    constexpr int kLeftButton = 1;
    if (button != kLeftButton) return; // right and middle presses never move the window
    (void)wm.ReleaseCapture();         // the press captured the mouse; the move loop needs it free
    (void)wm.SendMessageA(window, kWmNcLButtonDown, kHtCaption, 0);
}

} // namespace tintavo::desktop

namespace MTranslucentWnd {

using namespace tintavo::desktop;

bool MakeTranslucent(WindowManager& wm, WindowHandle window, std::uint32_t colour) {
    if (!IsLayeringSupported(wm)) return false;

    const WindowHandle target = GetTopLevelParent(wm, window);
    const std::int32_t style = wm.GetWindowLongA(target, kGwlExStyle);

    // The call returns the previous style, and 0 is a valid previous style: only a last error set by
    // the call itself marks a failure.
    wm.SetLastError(0);
    if (wm.SetWindowLongA(target, kGwlExStyle, style | kWsExLayered) == 0 && wm.GetLastError() != 0) {
        return false;
    }

    constexpr std::uint8_t kAlphaUnused = 0; // ignored without LWA_ALPHA
    if (wm.SetLayeredWindowAttributes(target, TranslateColor(wm, colour), kAlphaUnused, kLwaColorKey))
        return true;
    // Windows draws nothing of a layered window that has no attributes: back to the opaque window it was.
    (void)wm.SetWindowLongA(target, kGwlExStyle, style);
    return false;
}

bool IsLayeringSupported(WindowManager& wm) {
    OsVersionInfo info{};
    info.osVersionInfoSize = sizeof(OsVersionInfo);
    // A failed query leaves the record zeroed, and platform 0 reads as no support.
    (void)wm.GetVersionExA(info);
    return info.platformId == kVerPlatformWin32Nt && info.majorVersion >= 5;
}

WindowHandle GetTopLevelParent(WindowManager& wm, WindowHandle window) {
    WindowHandle h = window;
    // IsWindowVisible(0) is 0, so a missing parent ends the climb like a hidden one.
    for (WindowHandle parent = wm.GetParent(h); wm.IsWindowVisible(parent); parent = wm.GetParent(h)) {
        h = parent;
    }
    return h;
}

std::uint32_t TranslateColor(WindowManager& wm, std::uint32_t colour) {
    constexpr std::uint32_t kSystemColourBit = 0x80000000u;
    if ((colour & kSystemColourBit) == 0) return colour;
    return wm.GetSysColor(static_cast<int>(colour & ~kSystemColourBit));
}

} // namespace MTranslucentWnd
