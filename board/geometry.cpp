// geometry.cpp: the twips arithmetic of the board.
#include "board/geometry.h"

#include "forms/numbers.h"
#include "model/history.h"

#include <cassert>

namespace board {

PieceOffset LocatePiece(int PieceNo, float pieceWidth, float pieceHeight)
{
    const auto column = forms::IntDiv(PieceNo, model::GridRows);
    const auto row = forms::IntMod(PieceNo, model::GridRows);
    return {float(column) * pieceWidth, float(row) * pieceHeight};
}

TwipRect PieceBox(const TwipRect &holder)
{
    const auto width = forms::ToLong(holder.Width);
    const auto height = forms::ToLong(holder.Height);
    assert(width && height);
    return {holder.Left, holder.Top, float(forms::IntDiv(*width, model::GridColumns)),
            float(forms::IntDiv(*height, model::GridRows))};
}

std::array<TwipRect, 30> SlotPlaces(const TwipRect &holder)
{
    static_assert(model::PieceCount == 30);
    std::array<TwipRect, 30> places;
    places[0] = PieceBox(holder);
    for (int slot = 1; slot < model::PieceCount; ++slot) {
        const PieceOffset offset = LocatePiece(slot, places[0].Width, places[0].Height);
        places[std::size_t(slot)] = {offset.SourceX + places[0].Left, offset.SourceY + places[0].Top,
                                     places[0].Width, places[0].Height};
    }
    return places;
}

PixelRect ToPixels(const TwipRect &rect)
{
    return {forms::TwipsToPixels(rect.Left), forms::TwipsToPixels(rect.Top), forms::TwipsToPixels(rect.Width),
            forms::TwipsToPixels(rect.Height)};
}

} // namespace board
