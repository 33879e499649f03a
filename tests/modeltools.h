// modeltools.h: stand-ins for what the window gives the game: known random draws,
// and a message box kept as a string.
#pragma once

#include "forms/random.h"
#include "model/game.h"
#include "window/messagebox.h"

#include <cassert>
#include <string>
#include <string_view>
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

// The message box as a string. The game's text reaches it as it reaches a face's box:
// window::TextFor makes the change, window::ApplyText applies it.
class StringBox final : public window::MessageBox
{
public:
    explicit StringBox(std::string_view start = {}) : text(start) {}
    void setText(std::string_view whole) override { text = whole; }
    void append(std::string_view line) override { text += line; }
    void show(const model::CommandResult &result) { window::ApplyText(window::TextFor(result), *this); }

    std::string text;
};
