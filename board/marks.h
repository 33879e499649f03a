// marks.h: how the pick border, the keyboard cursor's mark and the cycles' glance look,
// in whole units of a device pixel per design pixel (1 at 96 dpi, 2 at twice that), so
// that they stay sharp.
#pragma once

#include <cstdint>
#include <iterator>

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

// The cycles' glance. Each cycle of two or more pieces is outlined in its own colour:
// a ring on the slot's edge, OutlineWidth wide, with a black line inside it, so that
// light colours show on light pieces too; a pick border still shows over its outer
// unit. The 30 pieces make at most 15 such cycles, and no two share a colour.
constexpr Rgb CycleColours[] = {0xE6194B, 0x3CB44B, 0xFFE119, 0x4363D8, 0xF58231, 0x911EB4, 0x42D4F4, 0xF032E6,
                                0xBFEF45, 0xFABED4, 0x469990, 0xDCBEFF, 0x9A6324, 0xFFFAC8, 0x800000};
constexpr int OutlineWidth = 3;
constexpr Ring OutlineEdge{OutlineWidth, 1, 0x000000};
constexpr Rgb CycleColour(int cycle) { return CycleColours[(cycle - 1) % int(std::size(CycleColours))]; }   // from 1

// A piece already in its place is dimmed: a veil of DimColour, DimOpacity of 255 opaque.
constexpr Rgb DimColour = 0x404040;
constexpr int DimOpacity = 160;

} // namespace board
