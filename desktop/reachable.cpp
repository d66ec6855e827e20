// Keeping a window within the user's reach when monitors come, go or change their work areas.
#include "desktop/reachable.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tintavo::desktop {

namespace {

Rect Intersection(const Rect& a, const Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

std::int64_t Area(const Rect& r) {
    return r.Width() > 0 && r.Height() > 0 ? std::int64_t{r.Width()} * r.Height() : 0;
}

// Squared gap between two rectangles; 0 when they touch or overlap.
std::int64_t Gap(const Rect& a, const Rect& b) {
    const std::int64_t dx = std::max({0, b.left - a.right, a.left - b.right});
    const std::int64_t dy = std::max({0, b.top - a.bottom, a.top - b.bottom});
    return dx * dx + dy * dy;
}

// The monitor the window overlaps most, or failing that the closest one.
const Monitor& Nearest(const Rect& window, std::span<const Monitor> monitors) {
    const Monitor* best = &monitors.front();
    std::int64_t bestArea = -1;
    std::int64_t bestGap = std::numeric_limits<std::int64_t>::max();
    for (const Monitor& monitor : monitors) {
        const std::int64_t area = Area(Intersection(window, monitor.bounds));
        const std::int64_t gap = Gap(window, monitor.bounds);
        if (area > bestArea || (area == 0 && bestArea == 0 && gap < bestGap)) {
            best = &monitor;
            bestArea = area;
            bestGap = gap;
        }
    }
    return *best;
}

// Moves a span [from, from + length) the least distance into [low, high); the low end wins when it is too
// long.
int Clamp(int from, int length, int low, int high) { return std::max(low, std::min(from, high - length)); }

} // namespace

std::optional<Rect> ReachablePlace(const Rect& window, int captionHeight, std::span<const Monitor> monitors) {
    if (monitors.empty()) return std::nullopt; // nothing known to move to
    const Rect caption{window.left, window.top, window.right, window.top + captionHeight};
    // Enough to take hold of: a square of the caption's height, or the whole caption if it is narrower,
    // at least half the caption's height tall.
    const int gripWidth = std::min(captionHeight, caption.Width());
    const int gripHeight = std::max(1, captionHeight / 2);
    for (const Monitor& monitor : monitors) {
        const Rect visible = Intersection(caption, monitor.workArea);
        if (visible.Width() >= gripWidth && visible.Height() >= gripHeight) return std::nullopt;
    }

    const Rect& work = Nearest(window, monitors).workArea;
    const int left = Clamp(window.left, window.Width(), work.left, work.right);
    const int top = Clamp(window.top, window.Height(), work.top, work.bottom);
    return Rect{left, top, left + window.Width(), top + window.Height()};
}

} // namespace tintavo::desktop
