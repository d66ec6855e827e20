// Keeping a window within the user's reach when monitors come, go or change their work areas.
#pragma once

#include <optional>
#include <span>

namespace tintavo::desktop {

// Screen rectangles in pixels, right and bottom exclusive.
struct Rect {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Monitor {
    Rect bounds;
    Rect workArea; // without the taskbar and docked bars
};

// Where the window must go so that its caption can be taken with the mouse again, or nothing when a
// piece of its caption (captionHeight tall, along its top edge) still lies in some monitor's work area.
// An unreachable window moves the shortest way into the work area of the monitor nearest to it.
std::optional<Rect> ReachablePlace(const Rect& window, int captionHeight, std::span<const Monitor> monitors);

} // namespace tintavo::desktop
