// The display monitors of the desktop and their work areas, as the system lists them now.
#include "desktop/win32/display_monitors.h"

#include <windows.h>

namespace tintavo::desktop {

DisplayMonitors::DisplayMonitors() {
    const auto add = [](HMONITOR monitor, HDC, RECT*, LPARAM self) -> BOOL {
        auto& list = *reinterpret_cast<DisplayMonitors*>(self);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (list.count_ == list.monitors_.size()) {
            list.overflow_ = true;
            return FALSE;
        }
        if (GetMonitorInfoW(monitor, &info)) {
            const RECT& b = info.rcMonitor;
            const RECT& w = info.rcWork;
            list.monitors_[list.count_++] = {{b.left, b.top, b.right, b.bottom},
                                             {w.left, w.top, w.right, w.bottom}};
        }
        return TRUE;
    };
    EnumDisplayMonitors(nullptr, nullptr, add, reinterpret_cast<LPARAM>(this));
}

} // namespace tintavo::desktop
