// marks.h: how the pick border and the keyboard cursor's mark look, in whole units of
// a device pixel per design pixel (1 at 96 dpi, 2 at twice that), so that they stay sharp.
#pragma once

#include <cstdint>

namespace board {

using Rgb = std::uint32_t;   // 0xRRGGBB

// The pick border: one line on the slot's outermost ring, black under white dashes
// DashLength long with gaps as long, from the top-left corner clockwise; it shows on
// dark and on lit pieces alike.
constexpr Rgb BorderColour = 0x000000, DashColour = 0xFFFFFF;
constexpr int DashLength = 3;

// The cursor's mark: rings inside the pick border, so that both can show at once;
// black, yellow and black again, clear on dark and on light pieces.
struct Ring
{
    int inset, width;   // in units, from the slot's edge
    Rgb colour;
};
constexpr Ring MarkRings[] = {{2, 1, 0x000000}, {3, 2, 0xFFD600}, {5, 1, 0x000000}};

} // namespace board
