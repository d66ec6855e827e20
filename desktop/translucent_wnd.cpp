// A see-through key colour for a top-level window, where the system offers layered windows.
#include "desktop/translucent_wnd.h"

namespace MTranslucentWnd {

using namespace tintavo::desktop;

bool MakeTranslucent(WindowManager& wm, WindowHandle window, Color color) {
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
    if (wm.SetLayeredWindowAttributes(target, TranslateColor(wm, color), kAlphaUnused, kLwaColorKey))
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

Color TranslateColor(WindowManager& wm, Color color) {
    if ((color & tintavo::kSystemColorBit) == 0) return color;
    return wm.GetSysColor(static_cast<int>(color & ~tintavo::kSystemColorBit));
}

} // namespace MTranslucentWnd
