// surface.h: what a face can draw on its board; the board decides what.
#pragma once

#include "board/marks.h"
#include "forms/numbers.h"

#include <string_view>

namespace board {

// A face's board: one surface over the holder's rectangle. Places are in the board's
// own design pixels (15 twips to the pixel, (0, 0) at its corner); cuts are in the
// source picture's design pixels (300 x 250). A face draws at its device pixels.
class Surface
{
public:
    virtual ~Surface() = default;
    // The source's `cut` at `place`, covering all the slot showed before.
    virtual void tile(int slot, const forms::PixelRect &place, const forms::PixelRect &cut) = 0;
    virtual void border(int slot, const forms::PixelRect &place) = 0;   // the pick border, over the tile
    virtual void mark(int slot, const forms::PixelRect &place) = 0;     // the cursor's mark, over the tile
    // The cycles' glance, over the tile: a piece in its place veiled, or the outline of its cycle.
    virtual void dim(int slot, const forms::PixelRect &place) = 0;
    virtual void outline(int slot, const forms::PixelRect &place, Rgb colour) = 0;
    // The whole source over every slot (true), or no longer (false: every slot is drawn again next).
    virtual void whole(bool shown) = 0;
    // For the slot's tooltip and screen readers, when its tile changes.
    virtual void label(int slot, std::string_view tooltip, std::string_view name) = 0;
    virtual void selected(int slot, bool picked) = 0;   // when its pick border comes or goes
};

} // namespace board
