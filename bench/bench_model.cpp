// bench_model.cpp: the cost of each command at a shallow and a deep history, and
// the memory one history level takes. Prints figures; asserts nothing.
#include "forms/random.h"
#include "model/game.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures
{
    double median = 0, worst = 0;   // nanoseconds
};

// Times `operation` alone, `rounds` times, with `reset` (untimed) before each run.
Figures measure(int rounds, const std::function<void()> &reset, const std::function<void()> &operation)
{
    std::vector<double> samples;
    samples.reserve(std::size_t(rounds));
    for (int i = 0; i < rounds; ++i) {
        reset();
        const auto start = Clock::now();
        operation();
        samples.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.back()};
}

void deepen(model::Game &game, std::size_t depth)
{
    std::size_t i = 0;
    while (game.history().depth() < depth) {
        game.Picture2_Click(int(i % 30));
        game.Picture2_Click(int((i * 7 + 3) % 30));
        game.Swap();
        ++i;
    }
}

void report(const char *name, std::size_t depth, const Figures &figures)
{
    std::printf("%-8s depth %7zu   median %7.0f ns   worst %8.0f ns\n", name, depth, figures.median, figures.worst);
}

} // namespace

int main()
{
    constexpr int Rounds = 20000;
    forms::ClockRandom random(1);

    for (const std::size_t depth : {std::size_t(1), std::size_t(100000)}) {
        model::Game game;
        deepen(game, depth);
        int slot = 0;
        const auto pickTwo = [&] {
            game.Picture2_Click(slot);
            game.Picture2_Click((slot + 11) % 30);
            slot = (slot + 1) % 30;
        };
        report("click", depth, measure(Rounds, [] {}, [&] { game.Picture2_Click(slot = (slot + 1) % 30); }));
        report("swap", depth, measure(Rounds, [&] { game.Undo(); deepen(game, depth); pickTwo(); },
                                      [&] { game.Swap(); }));
        report("undo", depth + 1, measure(Rounds, [&] { deepen(game, depth + 1); }, [&] { game.Undo(); }));
        // Shuffle and clear reseed the history: each run starts from the full depth again.
        report("shuffle", depth, measure(200, [&] { deepen(game, depth); }, [&] { game.Shuffle(random); }));
        report("clear", depth, measure(200, [&] { deepen(game, depth); }, [&] { game.Clear(); }));
    }

    // Memory: what the allocator hands out for 100,000 further levels.
    model::Game game;
    const auto before = mallinfo2().uordblks;
    deepen(game, 100001);
    const auto after = mallinfo2().uordblks;
    std::printf("memory   %.2f bytes per history level (over 100,000 levels)\n",
                double(after - before) / 100000.0);
    return 0;
}
