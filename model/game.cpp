// game.cpp: what each click and command does to the history, the picks and the log.
#include "model/game.h"

#include "forms/numbers.h"
#include "forms/random.h"

#include <cassert>

namespace model {

bool Game::hasBorder(int slot) const
{
    return (m_picks.FirstPicked && slot == m_picks.PickedBoxA)
        || (m_picks.SecondPicked && slot == m_picks.PickedBoxB);
}

bool Game::isSolved() const
{
    // Every slot is examined; the tile numbers stand for their canonical texts.
    bool solved = true;
    for (int slot = 0; slot < PieceCount; ++slot)
        solved = solved && m_history.currentTile(slot) == slot;
    return solved;
}

void Game::Picture2_Click(int slot)
{
    assert(slot >= 0 && slot < PieceCount);
    const int tile = m_history.currentTile(slot);
    if (m_picks.FirstPicked && m_picks.SecondPicked) {
        // The pair slides on: the second pick becomes the first.
        m_picks.PickedBoxA = m_picks.PickedBoxB;
        m_picks.PickedTileA = m_picks.PickedTileB;
        m_picks.PickedBoxB = slot;
        m_picks.PickedTileB = tile;
    } else if (m_picks.FirstPicked) {
        m_picks.PickedTileB = tile;
        m_picks.SecondPicked = true;
        m_picks.PickedBoxB = slot;
    } else if (!m_picks.SecondPicked) {
        m_picks.PickedTileA = tile;
        m_picks.FirstPicked = true;
        m_picks.PickedBoxA = slot;
    }
}

CommandResult Game::Command1_Click(int index, forms::Random &random)
{
    switch (index) {
    case int(Command::Clear):
        return Clear();
    case int(Command::Shuffle):
        return Shuffle(random);
    case int(Command::Swap):
        return Swap();
    case int(Command::Undo):
        return Undo();
    default:
        // No such button; the board is still repainted, which drops the picks.
        dropPicks();
        return {true, Log::Keep};
    }
}

CommandResult Game::Clear()
{
    reseed();
    return {true, Log::Empty};
}

CommandResult Game::Shuffle(forms::Random &random)
{
    reseed();

    // Draw the tiles out of a pool: k = (r * 1000 rounded half-to-even) mod c,
    // with the single-precision product of the generator's value.
    Arrangement pool = OrderedArrangement();
    Arrangement result{};
    int poolCount = PieceCount;
    int drawn = 0;
    while (poolCount > 1) {
        const float r = random.Next();
        const float product = r * 1000.0f;
        const auto rounded = forms::ToLong(double(product));
        assert(rounded && *rounded >= 0);
        const int k = forms::IntMod(*rounded, poolCount);
        result[std::size_t(drawn++)] = pool[std::size_t(k)];
        for (int i = k; i + 1 < poolCount; ++i)
            pool[std::size_t(i)] = pool[std::size_t(i + 1)];
        --poolCount;
    }
    result[std::size_t(drawn)] = pool[0];

    m_history.PushArrangement(result);
    return {true, Log::Empty};
}

CommandResult Game::ShuffleTo(const Arrangement &arrangement)
{
    assert(IsPermutation(arrangement));
    reseed();
    m_history.PushArrangement(arrangement);
    return {true, Log::Empty};
}

CommandResult Game::Swap()
{
    if (!m_picks.FirstPicked || !m_picks.SecondPicked)
        return {};

    m_history.PushCopy();
    // Find both picked tiles in the new level; a and b are equal when the same
    // box was picked twice.
    int a = -1;
    int b = -1;
    for (int slot = 0; slot < PieceCount; ++slot) {
        const int tile = m_history.currentTile(slot);
        if (tile == m_picks.PickedTileA)
            a = slot;
        if (tile == m_picks.PickedTileB)
            b = slot;
    }
    assert(a >= 0 && b >= 0);
    m_history.OverwriteTop(a, m_picks.PickedTileB);
    m_history.OverwriteTop(b, m_picks.PickedTileA);

    const CommandResult result{true, isSolved() ? Log::Solved : Log::Swapped, m_picks.PickedTileA, m_picks.PickedTileB};
    dropPicks();
    return result;
}

CommandResult Game::Undo()
{
    if (!m_history.StepBack())
        return {};
    dropPicks();
    return {true, Log::Empty};
}

void Game::reseed()
{
    m_history.Seed();
    dropPicks();
}

void Game::dropPicks()
{
    m_picks.FirstPicked = false;
    m_picks.SecondPicked = false;
    m_picks.PickedTileA = PickState::NoTile;
    m_picks.PickedTileB = PickState::NoTile;
}

} // namespace model
