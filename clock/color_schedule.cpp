// Looking up the background colour in the schedule.
#include "clock/color_schedule.h"

#include <charconv>

namespace tintavo {

std::optional<Color> ScheduleColor(std::string_view hourText, int minute) {
    int hour = 0;
    const char* end = hourText.data() + hourText.size();
    const auto [last, error] = std::from_chars(hourText.data(), end, hour);
    if (hourText.empty() || error != std::errc{} || last != end) return std::nullopt;

    std::optional<Color> result;
    for (const ScheduleEntry& entry : ColorSchedule) {
        const bool hourMatches = hour == entry.hours[0] || hour == entry.hours[1];
        if (hourMatches && (!entry.fromHalfHour || minute >= 30)) result = entry.color;
    }
    return result;
}

} // namespace tintavo
