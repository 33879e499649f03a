// history.h: which tile sits in which slot, now and at every earlier level.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
// is always the ordered arrangement, so it is not stored.
// Every further level is stored as one tile number per slot (30 bytes) in chunks
// of ChunkLevels levels. A push or a pop never moves earlier levels, and seeding
// keeps the chunks for reuse, so no operation costs more at a greater depth.
// The depth has no limit but memory.
class ArrangementHistory
{
public:
    static constexpr std::size_t ChunkLevels = 256;

    ArrangementHistory() = default;

    std::size_t depth() const { return m_depth; }
    const Arrangement &current() const { return level(m_depth - 1); }
    const Arrangement &level(std::size_t k) const;   // 0 = oldest, k < depth()
    int currentTile(int slot) const;                                         // tile on screen in slot
    std::string_view currentText(int slot) const { return TileText(currentTile(slot)); }
    std::vector<std::string> slotList(int slot) const;                       // the slot's items, oldest first

    void Seed();                                   // depth 1, the ordered level
    void PushCopy();                               // the new top equals the old one
    void OverwriteTop(int slot, int tile);         // replaces one item of the top level
    void PushArrangement(const Arrangement &arrangement);   // arrangement is a permutation
    bool StepBack();                               // false at depth 1, nothing changed

    std::size_t bytesReserved() const;             // the memory the levels are stored in

private:
    const Arrangement &stored(std::size_t k) const { return m_chunks[(k - 1) / ChunkLevels][(k - 1) % ChunkLevels]; }
    Arrangement &stored(std::size_t k) { return m_chunks[(k - 1) / ChunkLevels][(k - 1) % ChunkLevels]; }
    void push(const Arrangement &arrangement);

    std::vector<std::unique_ptr<Arrangement[]>> m_chunks;   // levels 1 and up; the first chunks in use
    std::size_t m_depth = 1;
};

} // namespace model
