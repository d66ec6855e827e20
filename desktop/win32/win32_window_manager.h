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

// The monitors of the desktop as they are now; none (unknown) on a desktop with more than it can hold.
class DisplayMonitors {
public:
    DisplayMonitors();
    std::span<const Monitor> All() const { return {monitors_.data(), overflow_ ? 0 : count_}; }

private:
    std::array<Monitor, 32> monitors_{};
    std::size_t count_ = 0;
    bool overflow_ = false;
};

} // namespace tintavo::desktop
