// Tests of the displayed time text.
#include "clock/time_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tintavo {
namespace {

struct Formatted {
    int hour, minute;
    const char* hourText;
    const char* minuteText;
    const char* caption;
};

// The worked results, with noon and the hour after it shown as PM.
constexpr Formatted kWorkedResults[] = {
    {0, 0, "0", "00 AM", "0:00 AM"},     {0, 59, "0", "59 AM", "0:59 AM"},
    {9, 5, "9", "05 AM", "9:05 AM"},     {9, 10, "9", "10 AM", "9:10 AM"},
    {11, 59, "11", "59 AM", "11:59 AM"}, {12, 0, "12", "00 PM", "12:00 PM"},
    {12, 30, "12", "30 PM", "12:30 PM"}, {12, 59, "12", "59 PM", "12:59 PM"},
    {13, 0, "1", "00 PM", "1:00 PM"},    {18, 9, "6", "09 PM", "6:09 PM"},
    {18, 10, "6", "10 PM", "6:10 PM"},   {23, 59, "11", "59 PM", "11:59 PM"},
};

TEST(FormatTimeText, GivesTheWorkedResults) {
    for (const Formatted& row : kWorkedResults) {
        SCOPED_TRACE(row.caption);
        const TimeText text = FormatTimeText(row.hour, row.minute);
        EXPECT_EQ(text.Hour(), row.hourText);
        EXPECT_EQ(text.Minute(), row.minuteText);
        EXPECT_EQ(text.Caption(), row.caption);
    }
}

TEST(FormatTimeText, EveryMinuteOfTheDayReadsBackAsItselfInTheCaption) {
    for (int hour = 0; hour < 24; ++hour) {
        for (int minute = 0; minute < 60; ++minute) {
            const TimeText text = FormatTimeText(TimeOfDay{hour, minute});
            SCOPED_TRACE(text.Caption());
            EXPECT_EQ(text.Caption(), std::string{text.Hour()} + ":" + std::string{text.Minute()});
            ASSERT_EQ(text.Minute().size(), 5u);
            EXPECT_EQ(std::stoi(std::string{text.Minute().substr(0, 2)}), minute); // two digits, read back
            EXPECT_EQ(text.Minute().substr(2), hour >= 12 ? " PM" : " AM");
        }
    }
}

TEST(FormatTimeText, HourTextRunsZeroToTwelveThenOneToEleven) {
    const char* expected[24] = {"0",  "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11",
                                "12", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"};
    for (int hour = 0; hour < 24; ++hour)
        EXPECT_EQ(FormatTimeText(hour, 0).Hour(), expected[hour]) << hour;
}

TEST(TimeText, IsEmptyBeforeTheFirstRefresh) {
    const TimeText text;
    EXPECT_EQ(text.Hour(), "");
    EXPECT_EQ(text.Minute(), "");
    EXPECT_EQ(text.Caption(), ":");
}

} // namespace
} // namespace tintavo
