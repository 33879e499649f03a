// random.h: the source of chance for the shuffle.
#pragma once

#include <cstdint>

namespace forms {

// Yields single-precision values r with 0 <= r < 1.
class Random
{
public:
    virtual ~Random() = default;
    virtual float Next() = 0;
};

// The game's generator: a 24-bit linear congruential sequence, each value a
// multiple of 2^-24. Seeded once, from the clock by default, and never reseeded.
class ClockRandom final : public Random
{
public:
    explicit ClockRandom(std::uint32_t seed) : m_state(seed & StateMask) {}
    static ClockRandom rtcRandomize();   // seeded from the system clock
    float Next() override;

private:
    static constexpr std::uint32_t StateMask = 0xFFFFFF;
    std::uint32_t m_state;
};

} // namespace forms
