// boardframe.cpp: placing the slots, and drawing each one when what it shows changes.
#include "board/boardframe.h"

#include "model/cycles.h"
#include "model/game.h"

#include <cassert>

namespace board {

forms::PixelRect BoardFrame::Cut(int tile)
{
    const TwipRect piece = PieceBox(Picture1);
    const PieceOffset offset = LocatePiece(tile, piece.Width, piece.Height);
    return forms::ToPixels({offset.SourceX, offset.SourceY, piece.Width, piece.Height});
}

void BoardFrame::BuildBoard()
{
    const forms::PixelRect corner = forms::ToPixels(Picture1);
    const auto places = SlotPlaces(Picture1);
    for (int i = 0; i < PieceCount; ++i) {
        forms::PixelRect place = forms::ToPixels(places[std::size_t(i)]);
        place.x -= corner.x;
        place.y -= corner.y;
        m_places[std::size_t(i)] = place;
    }
    RebuildBoard();
}

void BoardFrame::RebuildBoard()
{
    // The slots keep their labels and picks: the next paint tells readers only what changed.
    for (SlotFrame &slot : m_slots)
        slot.tile = -1;
    m_wholeDrawn = false;
}

int BoardFrame::slotAt(int x, int y) const
{
    for (int i = 0; i < PieceCount; ++i) {
        const forms::PixelRect &p = m_places[std::size_t(i)];
        if (x >= p.x && x < p.x + p.width && y >= p.y && y < p.y + p.height)
            return i;
    }
    return -1;
}

void BoardFrame::PaintBoard(const model::Game &game, const Overlay &overlay, Surface &surface)
{
    assert(overlay.cursor >= 0 && overlay.cursor < PieceCount);
    assert(!(overlay.whole && overlay.cycles));
    if (overlay.cycles != m_cycles) {
        m_cycles = overlay.cycles;
        RebuildBoard();   // every slot is drawn again, with its cycle or without
    }
    // By slot: the outlined cycle, numbered from 1 in the order of their smallest slots,
    // 0 for a piece in its place; -1 without the cycles.
    std::array<int, PieceCount> outlined;
    outlined.fill(-1);
    if (m_cycles) {
        const model::Cycles cycles = model::FindCycles(game.history().current());
        std::array<int, PieceCount> number{};
        for (int cycle = 0, next = 0; cycle < cycles.count; ++cycle)
            number[std::size_t(cycle)] = cycles.length[std::size_t(cycle)] > 1 ? ++next : 0;
        for (int i = 0; i < PieceCount; ++i)
            outlined[std::size_t(i)] = number[std::size_t(cycles.cycleOf[std::size_t(i)])];
    }
    if (overlay.whole && !m_wholeDrawn) {
        surface.whole(true);
        m_whole = m_wholeDrawn = true;
    } else if (!overlay.whole && m_whole) {
        surface.whole(false);
        m_whole = false;
        RebuildBoard();   // the slots are drawn again where the whole picture was
    }
    for (int i = 0; i < PieceCount; ++i) {
        SlotFrame &slot = m_slots[std::size_t(i)];
        const int tile = game.history().currentTile(i);
        const bool border = game.hasBorder(i);
        const bool mark = overlay.markShown && overlay.cursor == i;
        const bool drawn = tile == slot.tile && border == slot.border && mark == slot.mark;
        const bool picked = border != slot.border;
        const int cycle = outlined[std::size_t(i)];
        const bool renamed = slot.tooltip != game.history().currentText(i) || (slot.tile < 0 && slot.tooltip.empty())
                             || cycle != slot.cycle;
        // The slot's record is whole before the surface hears of a change, so that a screen
        // reader asking back hears the new state.
        slot.border = border;
        slot.mark = mark;
        if (renamed) {
            slot.tooltip = game.history().currentText(i);
            slot.cycle = cycle;
            slot.name = cycle < 0 ? m_namer(i, slot.tooltip) : m_cycleNamer(i, slot.tooltip, cycle);
        }
        if (picked)
            surface.selected(i, border);
        if (renamed)
            surface.label(i, slot.tooltip, slot.name);
        if (!m_whole && !drawn) {
            const forms::PixelRect &place = m_places[std::size_t(i)];
            surface.tile(i, place, Cut(tile));
            if (cycle == 0)
                surface.dim(i, place);
            else if (cycle > 0)
                surface.outline(i, place, CycleColour(cycle));
            if (border)
                surface.border(i, place);
            if (mark)
                surface.mark(i, place);
            slot.tile = tile;
        }
    }
}

} // namespace board
