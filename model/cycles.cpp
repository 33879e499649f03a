// cycles.cpp: walking the cycles of an arrangement.
#include "model/cycles.h"

#include <cassert>

namespace model {

Cycles FindCycles(const Arrangement &arrangement)
{
    assert(IsPermutation(arrangement));
    Cycles cycles;
    cycles.cycleOf.fill(-1);
    // Slots in ascending order: each new cycle is met first at its smallest slot.
    for (int first = 0; first < PieceCount; ++first) {
        if (cycles.cycleOf[std::size_t(first)] >= 0)
            continue;
        const int cycle = cycles.count++;
        for (int slot = first; cycles.cycleOf[std::size_t(slot)] < 0; slot = arrangement[std::size_t(slot)]) {
            cycles.cycleOf[std::size_t(slot)] = cycle;
            ++cycles.length[std::size_t(cycle)];
        }
    }
    return cycles;
}

} // namespace model
