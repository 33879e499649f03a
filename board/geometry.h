// geometry.h: where the 30 slot boxes sit and which rectangle of the source each shows.
// Lengths are twips (15 to the pixel) carried as single-precision values.
#pragma once

#include "model/history.h"

#include <array>

namespace board {

struct TwipRect
{
    float Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TwipRect &) const = default;
};

// The holder of the source picture: 300 x 250 pixels, never shown.
constexpr TwipRect Picture1{960, 450, 4500, 3750};

// Slot box 0 as the window defines it, before the board is built.
constexpr TwipRect DesignedPicture2{960, 480, 750, 750};

struct PieceOffset
{
    float SourceX = 0, SourceY = 0;
};

// The offsets of piece PieceNo's column and row: (PieceNo \ 5) x width, (PieceNo mod 5) x height.
PieceOffset LocatePiece(int PieceNo, float pieceWidth, float pieceHeight);

// The piece size from the holder's size: each side rounded half-to-even to whole
// twips, then integer-divided by the columns and rows; box 0 sits at the holder's corner.
TwipRect PieceBox(const TwipRect &holder);

// The place of every slot box, slot 0 first.
std::array<TwipRect, 30> SlotPlaces(const TwipRect &holder);

// Screen readers read the board row by row: slot n = 5 x column + row is cell
// 6 x row + column of that order.
constexpr int ReadingIndex(int slot) { return (slot % model::GridRows) * model::GridColumns + slot / model::GridRows; }
constexpr int SlotAtReadingIndex(int index)
{
    return (index % model::GridColumns) * model::GridRows + index / model::GridColumns;
}

// Pixel rectangle of a twip rectangle: each value rounded half-to-even.
struct PixelRect
{
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect &) const = default;
};
PixelRect ToPixels(const TwipRect &rect);

} // namespace board
