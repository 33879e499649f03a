// modeltools.h: stand-ins for what the window gives the game: known random draws,
// and a message box kept as a string.
#pragma once

#include "forms/random.h"
#include "model/game.h"

#include <cassert>
#include <string>
#include <utility>
#include <vector>

// Plays back the given values in order, then starts again from the first.
// values non-empty, each in [0, 1) as a generator's are.
class ScriptedRandom final : public forms::Random
{
public:
    explicit ScriptedRandom(std::vector<float> values) : m_values(std::move(values)) { assert(!m_values.empty()); }
    float Next() override { return m_values[m_drawn++ % m_values.size()]; }
    std::size_t drawn() const { return m_drawn; }

private:
    std::vector<float> m_values;
    std::size_t m_drawn = 0;
};

// What a command's text change does to a message box.
inline void ApplyTextChange(std::string &box, const model::TextChange &change)
{
    switch (change.kind) {
    case model::TextChange::Kind::Keep:
        break;
    case model::TextChange::Kind::Empty:
        box.clear();
        break;
    case model::TextChange::Kind::Append:
        box += change.text;
        break;
    case model::TextChange::Kind::Replace:
        box = change.text;
        break;
    }
}
