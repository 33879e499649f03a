// random.h: the source of chance for the shuffle.
#pragma once

#include <cstdint>
#include <vector>

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
    std::uint32_t state() const { return m_state; }

private:
    static constexpr std::uint32_t StateMask = 0xFFFFFF;
    std::uint32_t m_state;
};

// Plays back the given values in order, then starts again from the first.
// For tests and benchmarks that need known draws. values non-empty, each in [0, 1).
class ScriptedRandom final : public Random
{
public:
    explicit ScriptedRandom(std::vector<float> values);
    float Next() override;
    std::size_t drawn() const { return m_drawn; }

private:
    std::vector<float> m_values;
    std::size_t m_drawn = 0;
};

} // namespace forms
