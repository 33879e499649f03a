// numbers.h: the arithmetic and text conversions the game relies on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace forms {

// Nearest integer, halves to the even neighbour (0.5 -> 0, 1.5 -> 2, -2.5 -> -2).
// nullopt when the value (or NaN) does not fit the target type.
std::optional<std::int32_t> ToLong(double value);
std::optional<std::int16_t> ToInteger(double value);

// Integer division and remainder truncating toward zero; the remainder takes
// the sign of the dividend. divisor != 0.
constexpr std::int32_t IntDiv(std::int32_t dividend, std::int32_t divisor) { return dividend / divisor; }
constexpr std::int32_t IntMod(std::int32_t dividend, std::int32_t divisor) { return dividend % divisor; }

// The leading number of a text: blanks, tabs, CR and LF are ignored wherever
// they stand; an optional sign, digits, a decimal point and an exponent (E or D)
// are read up to the first character that cannot continue the number; "&H" and
// "&O" start hexadecimal and octal integers. Text without a number gives 0.
// nullopt when the number is too large for a double.
std::optional<double> Val(std::string_view text);

// Decimal digits of value >= 0: no blank, sign or leading zero.
std::string DecimalText(std::int32_t value);

// Twips to whole pixels at 15 twips per pixel, rounded like ToLong.
constexpr int TwipsPerPixel = 15;
int TwipsToPixels(double twips);

} // namespace forms
