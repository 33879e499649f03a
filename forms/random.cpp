// random.cpp: the clock-seeded generator.
#include "forms/random.h"

#include <chrono>

namespace forms {

ClockRandom ClockRandom::rtcRandomize()
{
    const auto ticks = std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
    // Fold the whole clock reading into the 24 bits of state.
    const auto folded = std::uint32_t(ticks ^ (ticks >> 24) ^ (ticks >> 48));
    return ClockRandom(folded);
}

float ClockRandom::Next()
{
    m_state = (m_state * 0x43FD43FDu + 0xC39EC3u) & StateMask;
    return float(m_state) / float(StateMask + 1);   // exact: 24 bits fit a float
}

} // namespace forms
