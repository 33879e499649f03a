// numbers.h: the rounding, integer arithmetic and twips the game relies on.
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

// A control's place and size in twips, carried as single-precision values.
struct TwipRect
{
    float Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TwipRect &) const = default;
};

// The same place in whole pixels: each value rounded half-to-even on its own.
struct PixelRect
{
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect &) const = default;
};
PixelRect ToPixels(const TwipRect &rect);

} // namespace forms
