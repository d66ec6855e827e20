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
    *WriteNumber(text.hour_, hour > 12 ? hour - 12 : hour) = '\0';

    char* m = text.minute_;
    *m++ = static_cast<char>('0' + minute / 10);
    *m++ = static_cast<char>('0' + minute % 10);
    *m++ = ' ';
    *m++ = pm ? 'P' : 'A';
    *m++ = 'M';
    *m = '\0';
    return text;
}

std::string TimeText::Caption() const {
    std::string caption{Hour()};
    caption += ':';
    caption += Minute();
    return caption;
}

} // namespace tintavo
