// The display monitors of the desktop and their work areas, as the system lists them now.
#pragma once

#include "desktop/reachable.h"

#include <array>
#include <cstddef>
#include <span>

namespace tintavo::desktop {

// None (unknown) on a desktop with more monitors than the list holds, and then no window is moved back
// within reach. The list is fixed, so that reading it after a display change allocates nothing and cannot
// fail; 32 is well beyond the monitors of a desktop, even a wall of screens.
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
