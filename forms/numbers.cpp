// numbers.cpp: rounding to integers, and twips to pixels.
#include "forms/numbers.h"

#include <cassert>
#include <cmath>
#include <limits>

namespace forms {

namespace {

// Rounds halves to even without depending on the floating-point rounding mode.
double roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction != 0.5)
        return fraction > 0.5 ? down + 1.0 : down;
    const double half = down * 0.5;   // exact: down is a whole number
    return std::floor(half) == half ? down : down + 1.0;
}

} // namespace

std::optional<std::int32_t> ToLong(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    const double rounded = roundHalfEven(value);
    if (rounded < double(std::numeric_limits<std::int32_t>::min())
        || rounded > double(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return std::int32_t(rounded);
}

int TwipsToPixels(double twips)
{
    const auto pixels = ToLong(twips / TwipsPerPixel);
    assert(pixels);
    return *pixels;
}

PixelRect ToPixels(const TwipRect &rect)
{
    return {TwipsToPixels(rect.Left), TwipsToPixels(rect.Top), TwipsToPixels(rect.Width), TwipsToPixels(rect.Height)};
}

} // namespace forms
