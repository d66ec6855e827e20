// Tests of the background colour schedule.
#include "clock/color_schedule.h"

#include <gtest/gtest.h>

#include <string>

namespace tintavo {
namespace {

struct Shades {
    const char* hourText;
    Color beforeHalf; // minutes 0 to 29
    Color fromHalf;   // minutes 30 to 59
};

constexpr Shades kMapping[] = {
    {"6", 0x000000FF, 0x0094AAF8}, {"12", 0x000000FF, 0x0094AAF8}, {"7", 0x000080FF, 0x0098DDF8},
    {"1", 0x000080FF, 0x0098DDF8}, {"8", 0x0000FFFF, 0x0040F0D6},  {"2", 0x0000FFFF, 0x0040F0D6},
    {"9", 0x0000FF00, 0x00F8F485}, {"3", 0x0000FF00, 0x00F8F485},  {"10", 0x00FF0000, 0x00D82C60},
    {"4", 0x00FF0000, 0x00D82C60}, {"11", 0x00B02657, 0x00D82C60}, {"5", 0x00B02657, 0x00D82C60},
};

TEST(ScheduleColor, GivesTheHourColorBeforeTheHalfHourAndTheShadeFromIt) {
    for (const Shades& row : kMapping) {
        SCOPED_TRACE(row.hourText);
        for (int minute : {0, 1, 15, 29})
            EXPECT_EQ(ScheduleColor(row.hourText, minute), row.beforeHalf) << minute;
        for (int minute : {30, 31, 45, 59})
            EXPECT_EQ(ScheduleColor(row.hourText, minute), row.fromHalf) << minute;
    }
}

TEST(ScheduleColor, HourZeroLeavesTheBackgroundAlone) {
    for (int minute = 0; minute < 60; ++minute)
        EXPECT_EQ(ScheduleColor("0", minute), std::nullopt) << minute;
}

TEST(ScheduleColor, TextsThatAreNoDisplayedHourLeaveTheBackgroundAlone) {
    for (const char* text : {"", "13", "-6", "6a", " 6", "x", "99999999999"})
        EXPECT_EQ(ScheduleColor(text, 10), std::nullopt) << '"' << text << '"';
}

TEST(ScheduleColor, NeverGivesTheKeyColor) {
    for (int hour = 0; hour <= 12; ++hour)
        for (int minute = 0; minute < 60; ++minute)
            EXPECT_NE(ScheduleColor(std::to_string(hour), minute), Color{0x00FF00FF});
}

} // namespace
} // namespace tintavo
