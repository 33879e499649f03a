// boardframe.h: the 30 slots as the board shows them, and PaintBoard, which brings a
// face's surface up to date with the game.
#pragma once

#include "board/geometry.h"
#include "board/surface.h"

#include <array>
#include <string>

namespace model {
class Game;
}

namespace board {

// What one slot shows.
struct SlotFrame
{
    int tile = -1;          // the tile it shows; -1 until the first PaintBoard
    bool border = false;    // the pick border: the slot's piece is picked
    bool mark = false;      // the keyboard cursor's mark
    std::string tooltip;    // the tile's stored text
    std::string name;       // for screen readers: "Поле 7: част 13", and its cycle while the cycles show
    int cycle = -1;         // while the cycles show: its outlined cycle from 1, or 0 for a piece in its place;
                            // -1 otherwise
};

// What the board shows besides the game: where the cursor is and whether its mark
// shows, the glance at the whole painting, which covers every slot, and the glance at
// the cycles, which outlines each cycle of two or more pieces and dims the pieces in
// their places. At most one glance shows.
struct Overlay
{
    int cursor = 0;
    bool markShown = false;
    bool whole = false;
    bool cycles = false;
};

// The board over the source picture's holder: 30 slots, each the size of a piece,
// tiling the holder's rectangle. A slot goes on showing what the last PaintBoard drew
// there; PaintBoard draws a slot only when what it shows changes, so a click that
// picks a piece draws that one slot.
class BoardFrame
{
public:
    using SlotNamer = std::string (*)(int slot, std::string_view tileText);
    using CycleNamer = std::string (*)(int slot, std::string_view tileText, int cycle);   // as SlotFrame::cycle
    BoardFrame(SlotNamer namer, CycleNamer cycleNamer) : m_namer(namer), m_cycleNamer(cycleNamer) { BuildBoard(); }

    void BuildBoard();     // places the 30 slots over the holder; none shows anything yet
    void RebuildBoard();   // every slot forgets what it shows and is drawn anew by the next PaintBoard
    // Every slot from the game's current level: its tile, its tooltip and name, the
    // border while its piece is picked, the cursor's mark, and while the cycles show,
    // its cycle's outline or its veil. Draws what changed.
    void PaintBoard(const model::Game &game, const Overlay &overlay, Surface &surface);

    const SlotFrame &slot(int slot) const { return m_slots[std::size_t(slot)]; }   // as last painted
    const forms::PixelRect &place(int slot) const { return m_places[std::size_t(slot)]; }
    int slotAt(int x, int y) const;   // in the board's design pixels; -1 off every slot

    static forms::PixelRect Cut(int tile);   // the tile's rectangle of the source picture

private:
    SlotNamer m_namer;
    CycleNamer m_cycleNamer;
    std::array<forms::PixelRect, model::PieceCount> m_places;   // from the board's corner
    std::array<SlotFrame, model::PieceCount> m_slots;
    bool m_whole = false;        // the surface shows the whole picture
    bool m_wholeDrawn = false;   // and the current source's
    bool m_cycles = false;       // the slots show the cycles
};

} // namespace board
