// The background colour cycle: six hours from red to violet, with a second shade from the half hour.
#pragma once

#include "clock/color.h"

#include <array>
#include <optional>
#include <string_view>

namespace tintavo {

struct ScheduleEntry {
    std::array<int, 2> hours; // one or two displayed hours; the second repeats the first for a single hour
    bool fromHalfHour;        // true: only minutes 30 to 59
    Color color;
};

// Tested in order; every matching entry replaces the result, so the last match wins.
inline constexpr std::array<ScheduleEntry, 18> ColorSchedule{{
    {{6, 12}, false, 0x000000FF},
    {{6, 6}, true, 0x0094AAF8},
    {{7, 1}, false, 0x000080FF},
    {{7, 7}, true, 0x0098DDF8},
    {{1, 1}, true, 0x0098DDF8},
    {{8, 2}, false, 0x0000FFFF},
    {{8, 8}, true, 0x0040F0D6},
    {{2, 2}, true, 0x0040F0D6},
    {{9, 3}, false, 0x0000FF00},
    {{9, 9}, true, 0x00F8F485},
    {{3, 3}, true, 0x00F8F485},
    {{10, 4}, false, 0x00FF0000},
    {{10, 10}, true, 0x00D82C60},
    {{4, 4}, true, 0x00D82C60},
    {{11, 5}, false, 0x00B02657},
    {{11, 11}, true, 0x00D82C60},
    {{5, 5}, true, 0x00D82C60},
    {{12, 12}, true, 0x0094AAF8},
}};

// The background for a displayed hour text ("0" to "12") and a clock minute, or nothing when the
// colour should stay as it is (hour 0, or a text that is not a whole number).
std::optional<Color> ScheduleColor(std::string_view hourText, int minute);

} // namespace tintavo
