// geometry.h: where the 30 slots sit on the window, which rectangle of the source
// each shows, and the order screen readers read them in. Lengths are twips.
#pragma once

#include "forms/numbers.h"
#include "model/history.h"

#include <array>

namespace board {

using model::GridColumns;
using model::GridRows;
using model::PieceCount;

using forms::TwipRect;

// The holder of the source picture: 300 x 250 pixels, never shown. The board
// covers exactly its rectangle.
constexpr TwipRect Picture1{960, 450, 4500, 3750};

struct PieceOffset
{
    float SourceX = 0, SourceY = 0;
};

// The offsets of piece PieceNo's column and row: (PieceNo \ 5) x width, (PieceNo mod 5) x height.
PieceOffset LocatePiece(int PieceNo, float pieceWidth, float pieceHeight);

// The piece size from the holder's size: each side rounded half-to-even to whole
// twips, then integer-divided by the columns and rows; slot 0 sits at the holder's corner.
TwipRect PieceBox(const TwipRect &holder);

// The place of every slot, slot 0 first.
std::array<TwipRect, PieceCount> SlotPlaces(const TwipRect &holder);

// Screen readers read the board row by row: slot n = 5 x column + row is cell
// 6 x row + column of that order.
constexpr int ReadingIndex(int slot) { return (slot % GridRows) * GridColumns + slot / GridRows; }
constexpr int SlotAtReadingIndex(int index) { return (index % GridColumns) * GridRows + index / GridColumns; }

} // namespace board
