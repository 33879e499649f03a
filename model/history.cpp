// history.cpp: the level store behind the arrangement history.
#include "model/history.h"

#include <cassert>

namespace model {

namespace {
constexpr std::string_view TileTexts[PieceCount] = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14",
    "15", "16", "17", "18", "19", "20", "21", "22", "23", "24", "25", "26", "27", "28", "29"};
}

std::string_view TileText(int tile)
{
    assert(tile >= 0 && tile < PieceCount);
    return TileTexts[tile];
}

Arrangement OrderedArrangement()
{
    Arrangement ordered{};
    for (int slot = 0; slot < PieceCount; ++slot)
        ordered[std::size_t(slot)] = std::uint8_t(slot);
    return ordered;
}

bool IsPermutation(const Arrangement &arrangement)
{
    std::array<bool, PieceCount> seen{};
    for (std::uint8_t tile : arrangement) {
        if (tile >= PieceCount || seen[tile])
            return false;
        seen[tile] = true;
    }
    return true;
}

const Arrangement &ArrangementHistory::level(std::size_t k) const
{
    assert(k < m_depth);
    return m_levels[k];
}

int ArrangementHistory::currentTile(int slot) const
{
    assert(slot >= 0 && slot < PieceCount);
    return current()[std::size_t(slot)];
}

void ArrangementHistory::push(const Arrangement &arrangement)
{
    if (m_depth < m_levels.size())
        m_levels[m_depth] = arrangement;
    else
        m_levels.push_back(arrangement);
    ++m_depth;
}

void ArrangementHistory::Seed()
{
    m_depth = 1;
}

void ArrangementHistory::PushCopy()
{
    push(current());
}

void ArrangementHistory::OverwriteTop(int slot, int tile)
{
    assert(m_depth >= 2);   // the ordered level is never rewritten
    assert(slot >= 0 && slot < PieceCount && tile >= 0 && tile < PieceCount);
    m_levels[m_depth - 1][std::size_t(slot)] = std::uint8_t(tile);
}

void ArrangementHistory::PushArrangement(const Arrangement &arrangement)
{
    assert(IsPermutation(arrangement));
    push(arrangement);
}

bool ArrangementHistory::StepBack()
{
    if (m_depth < 2)
        return false;
    --m_depth;
    return true;
}

} // namespace model
