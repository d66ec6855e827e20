// Formatting of the displayed time.
#include "clock/time_text.h"

namespace tintavo {

namespace {

// Writes 0 to 99 without leading zero; returns the position after the last digit.
char* WriteNumber(char* out, int value) {
    if (value >= 10) *out++ = static_cast<char>('0' + value / 10);
    *out++ = static_cast<char>('0' + value % 10);
    return out;
}

} // namespace

TimeText FormatTimeText(int hour, int minute) {
    TimeText text;
    const bool pm = hour >= 12;
    char* c = WriteNumber(text.caption_, hour > 12 ? hour - 12 : hour);
    text.hourLength_ = static_cast<unsigned char>(c - text.caption_);
    *c++ = ':';
    *c++ = static_cast<char>('0' + minute / 10);
    *c++ = static_cast<char>('0' + minute % 10);
    *c++ = ' ';
    *c++ = pm ? 'P' : 'A';
    *c++ = 'M';
    text.length_ = static_cast<unsigned char>(c - text.caption_);
    return text;
}

} // namespace tintavo
