// fuzz_game.cpp: feeds the game arbitrary clicks, commands and random draws, and
// compares it after every step with a plain reference written straight from the
// rules: the levels, the depth, the picks, the borders and the message box text.
#include "forms/random.h"
#include "model/game.h"
#include "window/texts.h"
#include "modeltools.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_game: %s\n", what);
        std::abort();
    }
}

struct Input
{
    const std::uint8_t *data;
    std::size_t size;
    bool empty() const { return size == 0; }
    std::uint8_t take()
    {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
};

// Draws come from the input: three bytes make a multiple of 2^-24 in [0, 1).
class InputRandom final : public forms::Random
{
public:
    explicit InputRandom(Input &input) : m_input(input) {}
    float Next() override
    {
        const std::uint32_t bits = std::uint32_t(m_input.take()) << 16 | std::uint32_t(m_input.take()) << 8
                                 | m_input.take();
        const float r = float(bits) / 16777216.0f;
        drawn.push_back(r);
        return r;
    }
    std::vector<float> drawn;

private:
    Input &m_input;
};

using Level = std::array<int, 30>;

Level ordered()
{
    Level level{};
    for (int i = 0; i < 30; ++i)
        level[std::size_t(i)] = i;
    return level;
}

// The rules, written out the long way.
struct Reference
{
    std::vector<Level> levels{ordered()};
    bool first = false, second = false;
    int tileA = -1, tileB = -1, boxA = 0, boxB = 0;
    std::string text{window::texts::HelpText};

    void dropPicks()
    {
        first = second = false;
        tileA = tileB = -1;
    }
    void click(int k)
    {
        const int t = levels.back()[std::size_t(k)];
        if (first && second) {
            boxA = boxB;
            tileA = tileB;
            boxB = k;
            tileB = t;
        } else if (first) {
            tileB = t;
            second = true;
            boxB = k;
        } else if (!second) {
            tileA = t;
            first = true;
            boxA = k;
        }
    }
    bool command(int index, const std::vector<float> &draws)
    {
        if (index == 0) {
            levels.assign(1, ordered());
            text.clear();
        } else if (index == 1) {
            levels.assign(1, ordered());
            text.clear();
            std::vector<int> pool;
            for (int i = 0; i < 30; ++i)
                pool.push_back(i);
            Level result{};
            std::size_t next = 0;
            for (std::size_t d = 0; pool.size() > 1; ++d) {
                require(d < draws.size(), "the shuffle drew fewer than 29 values");
                std::fesetround(FE_TONEAREST);
                const long rounded = std::lrint(double(draws[d] * 1000.0f));
                const long k = rounded % long(pool.size());
                result[next++] = pool[std::size_t(k)];
                pool.erase(pool.begin() + k);
            }
            require(draws.size() == 29, "the shuffle drew more than 29 values");
            result[next] = pool[0];
            levels.push_back(result);
        } else if (index == 2) {
            if (!first || !second)
                return false;
            Level level = levels.back();
            int a = -1, b = -1;
            for (int i = 0; i < 30; ++i) {
                if (level[std::size_t(i)] == tileA)
                    a = i;
                if (level[std::size_t(i)] == tileB)
                    b = i;
            }
            level[std::size_t(a)] = tileB;
            level[std::size_t(b)] = tileA;
            levels.push_back(level);
            text += "Разменям: " + std::to_string(tileB) + " и " + std::to_string(tileA) + "\r\n";
            if (level == ordered())
                text = "Правилно подреден пъзел!";
        } else if (index == 3) {
            if (levels.size() < 2)
                return false;
            levels.pop_back();
            text.clear();
        }
        dropPicks();
        return true;
    }
};

bool sameLevel(const model::Arrangement &mine, const Level &theirs)
{
    for (std::size_t i = 0; i < 30; ++i) {
        if (int(mine[i]) != theirs[i])
            return false;
    }
    return true;
}

void compare(const model::Game &game, const Reference &ref, const std::string &box)
{
    const auto &history = game.history();
    const auto &picks = game.picks();
    require(history.depth() == ref.levels.size(), "depth");
    require(model::IsPermutation(history.current()), "the top level is no permutation");
    require(sameLevel(history.current(), ref.levels.back()), "top level");
    require(picks.FirstPicked == ref.first && picks.SecondPicked == ref.second, "pick flags");
    require(!picks.SecondPicked || picks.FirstPicked, "a second pick without a first");
    require(picks.PickedBoxA == ref.boxA && picks.PickedBoxB == ref.boxB, "picked boxes");
    require(!ref.first || (picks.PickedTileA == ref.tileA && picks.PickedTileA == history.currentTile(picks.PickedBoxA)),
            "first picked tile");
    require(!ref.second || (picks.PickedTileB == ref.tileB && picks.PickedTileB == history.currentTile(picks.PickedBoxB)),
            "second picked tile");
    require(ref.first || (picks.PickedTileA == -1 && picks.PickedTileB == -1), "tiles without picks");
    for (int slot = 0; slot < 30; ++slot) {
        const bool border = (ref.first && slot == ref.boxA) || (ref.second && slot == ref.boxB);
        require(game.hasBorder(slot) == border, "borders");
    }
    // The text is compared whole at the end; each step checks its length and its end.
    require(box.size() == ref.text.size(), "message box length");
    const std::size_t tail = std::min<std::size_t>(box.size(), 48);
    require(box.compare(box.size() - tail, tail, ref.text, ref.text.size() - tail, tail) == 0, "message box text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input input{data, size};
    model::Game game;
    Reference ref;
    StringBox box{window::texts::HelpText};
    InputRandom random(input);

    while (!input.empty()) {
        const std::uint8_t op = input.take();
        if (op < 0xC0) {
            const int slot = op % 30;
            game.Picture2_Click(slot);
            ref.click(slot);
        } else {
            const int index = op >= 0xFC ? op - 0xF8 : op & 3;   // 4..7: no such button
            const std::size_t depthBefore = game.history().depth();
            random.drawn.clear();
            const model::CommandResult result = game.Command1_Click(index, random);
            box.show(result);
            const bool wentThrough = ref.command(index, random.drawn);
            require(result.wentThrough == wentThrough, "went through");
            require(index == 1 || random.drawn.empty(), "only the shuffle draws");
            require(wentThrough || game.history().depth() == depthBefore, "a declined command changed the depth");
        }
        compare(game, ref, box.text);
    }
    // Levels below the top never change once pushed: compare them all at the end.
    for (std::size_t k = 0; k < ref.levels.size(); ++k)
        require(sameLevel(game.history().level(k), ref.levels[k]), "an earlier level");
    require(box.text == ref.text, "message box text");
    return 0;
}
