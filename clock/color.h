// Colour values as the clock, the windows and the desktop services pass them.
#pragma once

#include <cstdint>

namespace tintavo {

// A colour value &H00BBGGRR: red in the low byte. With the top bit set it names a system colour instead,
// whose index is in the low bits.
using Color = std::uint32_t;

inline constexpr Color kSystemColorBit = 0x80000000u;

constexpr Color SystemColor(int index) { return kSystemColorBit | static_cast<Color>(index); }

} // namespace tintavo
