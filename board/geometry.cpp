// geometry.cpp: the twips arithmetic of the board.
#include "board/geometry.h"

#include <cassert>

namespace board {

PieceOffset LocatePiece(int PieceNo, float pieceWidth, float pieceHeight)
{
    const auto column = forms::IntDiv(PieceNo, GridRows);
    const auto row = forms::IntMod(PieceNo, GridRows);
    return {float(column) * pieceWidth, float(row) * pieceHeight};
}

TwipRect PieceBox(const TwipRect &holder)
{
    const auto width = forms::ToLong(holder.Width);
    const auto height = forms::ToLong(holder.Height);
    assert(width && height);
    return {holder.Left, holder.Top, float(forms::IntDiv(*width, GridColumns)), float(forms::IntDiv(*height, GridRows))};
}

std::array<TwipRect, PieceCount> SlotPlaces(const TwipRect &holder)
{
    std::array<TwipRect, PieceCount> places;
    const TwipRect piece = PieceBox(holder);
    for (int slot = 0; slot < PieceCount; ++slot) {
        const PieceOffset offset = LocatePiece(slot, piece.Width, piece.Height);
        places[std::size_t(slot)] = {offset.SourceX + piece.Left, offset.SourceY + piece.Top, piece.Width, piece.Height};
    }
    return places;
}

} // namespace board
