// The clock's displayed time: the hour text and the minute text with its AM/PM suffix.
#pragma once

#include <string>
#include <string_view>

namespace tintavo {

// One sample of the local clock. Seconds, date and time zone play no part in the display.
struct TimeOfDay {
    int hour;   // 0 to 23
    int minute; // 0 to 59
};

// A clock window's pair of texts. Fixed buffers keep the 10 ms refresh free of heap allocation.
class TimeText {
public:
    // "0" to "12", no leading zero; "" before the first refresh.
    std::string_view Hour() const { return hour_; }
    // Two digits, then " AM" or " PM"; "" before the first refresh.
    std::string_view Minute() const { return minute_; }
    // Hour, ":", minute: "6:09 PM".
    std::string Caption() const;

private:
    friend TimeText FormatTimeText(int hour, int minute);
    char hour_[3] = {};
    char minute_[6] = {};
};

// Hours 13 to 23 show as 1 to 11 PM, 12 as 12 PM, 0 to 11 unchanged with AM (so 00:30 is "0:30 AM").
// Expects hour 0 to 23 and minute 0 to 59.
TimeText FormatTimeText(int hour, int minute);
inline TimeText FormatTimeText(TimeOfDay t) { return FormatTimeText(t.hour, t.minute); }

} // namespace tintavo
