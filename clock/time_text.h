// The clock's displayed time: the hour text and the minute text with its AM/PM suffix.
#pragma once

#include <cstddef>
#include <string_view>

namespace tintavo {

// One sample of the local clock. Seconds, date and time zone play no part in the display.
struct TimeOfDay {
    int hour;   // 0 to 23
    int minute; // 0 to 59
};

// A clock window's texts, held in one fixed buffer: the 10 ms refresh and the caption make no heap
// allocation, whatever the standard library's short-string limit.
class TimeText {
public:
    // The longest caption, "12:30 PM": what a clock window's label must hold.
    static constexpr std::size_t kLongest = 8;

    // "0" to "12", no leading zero; "" before the first refresh.
    std::string_view Hour() const { return {caption_, hourLength_}; }
    // Two digits, then " AM" or " PM"; "" before the first refresh.
    std::string_view Minute() const { return {caption_ + hourLength_ + 1, length_ - hourLength_ - 1u}; }
    // Hour, ":", minute: "6:09 PM" (":" before the first refresh). Valid while this TimeText lives.
    std::string_view Caption() const { return {caption_, length_}; }

private:
    friend TimeText FormatTimeText(int hour, int minute);
    char caption_[kLongest] = {':'}; // no terminator
    unsigned char hourLength_ = 0;
    unsigned char length_ = 1;
};

// Hours 13 to 23 show as 1 to 11 PM, 12 as 12 PM, 0 to 11 unchanged with AM (so 00:30 is "0:30 AM").
// Expects hour 0 to 23 and minute 0 to 59.
TimeText FormatTimeText(int hour, int minute);
inline TimeText FormatTimeText(TimeOfDay t) { return FormatTimeText(t.hour, t.minute); }

} // namespace tintavo
