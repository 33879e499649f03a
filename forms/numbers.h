// numbers.h: the rounding and integer arithmetic the game relies on.
#pragma once

#include <cstdint>
#include <optional>

namespace forms {

// Nearest integer, halves to the even neighbour (0.5 -> 0, 1.5 -> 2, -2.5 -> -2).
// nullopt when the value (or NaN) does not fit 32 bits.
std::optional<std::int32_t> ToLong(double value);

// Integer division and remainder truncating toward zero; the remainder takes
// the sign of the dividend. divisor != 0.
constexpr std::int32_t IntDiv(std::int32_t dividend, std::int32_t divisor) { return dividend / divisor; }
constexpr std::int32_t IntMod(std::int32_t dividend, std::int32_t divisor) { return dividend % divisor; }

// Twips to whole pixels at 15 twips per pixel, rounded like ToLong.
constexpr int TwipsPerPixel = 15;
int TwipsToPixels(double twips);

} // namespace forms
