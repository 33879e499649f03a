// cycles.h: the permutation behind an arrangement as its cycles, and how many swaps
// it is from the assembled picture.
#pragma once

#include "model/history.h"

#include <array>

namespace model {

// Follow a slot's piece to the slot it belongs in, that slot's piece to its own, and
// so on: the path comes back to the first slot, and the slots on it are one cycle. A
// piece in its place is a cycle of one. A swap within a cycle splits it in two, one
// across two cycles joins them, so the fewest swaps to the assembled picture are
// PieceCount minus the number of cycles.
struct Cycles
{
    std::array<int, PieceCount> cycleOf{};   // by slot: its cycle, 0 to count - 1, numbered by smallest slot
    std::array<int, PieceCount> length{};    // by cycle: how many slots it holds; 0 past count
    int count = 0;

    int swapsToSolve() const { return PieceCount - count; }
};

Cycles FindCycles(const Arrangement &arrangement);   // arrangement is a permutation

} // namespace model
