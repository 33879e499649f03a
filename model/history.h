// history.h: which tile sits in which slot, now and at every earlier level.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>

namespace model {

constexpr int GridColumns = 6;
constexpr int GridRows = 5;
constexpr int PieceCount = GridColumns * GridRows;

// Tiles and slots share one column-major numbering: n = 5 * column + row.
using Arrangement = std::array<std::uint8_t, PieceCount>;   // the tile shown in each slot

// The stored text of a tile, "0" to "29": no blank, sign or leading zero.
std::string_view TileText(int tile);

Arrangement OrderedArrangement();
bool IsPermutation(const Arrangement &arrangement);

// The arrangement history: one level per arrangement since the board was last
// built, the oldest first. Never empty; the top level is on screen, and level 0
// is always the ordered arrangement. Each level is 30 bytes in a deque, which
// never moves a level it holds. Seeding and stepping back only lower the depth
// and leave the levels above it for the next pushes to reuse, so no operation
// costs more at a greater depth. The depth has no limit but memory.
class ArrangementHistory
{
public:
    ArrangementHistory() : m_levels{OrderedArrangement()} {}

    std::size_t depth() const { return m_depth; }
    const Arrangement &current() const { return m_levels[m_depth - 1]; }
    const Arrangement &level(std::size_t k) const;   // 0 = oldest, k < depth()
    int currentTile(int slot) const;                 // tile on screen in slot
    std::string_view currentText(int slot) const { return TileText(currentTile(slot)); }

    void Seed();                                   // depth 1, the ordered level
    void PushCopy();                               // the new top equals the old one
    void OverwriteTop(int slot, int tile);         // replaces one item of the top level
    void PushArrangement(const Arrangement &arrangement);   // arrangement is a permutation
    bool StepBack();                               // false at depth 1, nothing changed

private:
    void push(const Arrangement &arrangement);

    std::deque<Arrangement> m_levels;   // level k at index k; those from m_depth on wait for reuse
    std::size_t m_depth = 1;
};

} // namespace model
