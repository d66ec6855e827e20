// Binds the window-manager port to user32 and kernel32.
#pragma once

#include "desktop/reachable.h"
#include "desktop/window_manager.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <span>

namespace tintavo::desktop {

inline WindowHandle ToHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// The process's one adapter; it holds no state.
WindowManager& SystemWindowManager();

// The monitors of the desktop as they are now (the first 16; no desktop has more).
class DisplayMonitors {
public:
    DisplayMonitors();
    std::span<const Monitor> All() const { return {monitors_.data(), count_}; }

private:
    std::array<Monitor, 16> monitors_{};
    std::size_t count_ = 0;
};

} // namespace tintavo::desktop
