// play.cpp: what each act of the player does: the command dispatch, the picks, the
// cursor's keys, the glance and a new picture.
#include "window/play.h"

#include "window/texts.h"

#include <algorithm>
#include <cassert>

namespace window {

Play::Play(forms::ClockRandom random) : m_random(random), m_board(texts::SlotName) {}

Shown Play::Command1_Click(int index)
{
    if (m_glancing)
        return endGlance();
    const model::CommandResult result = m_game.Command1_Click(index, m_random);
    if (!result.wentThrough)
        return {};
    m_played = true;
    // Clear and Shuffle build the board anew.
    if (index == int(model::Command::Clear) || index == int(model::Command::Shuffle))
        m_board.RebuildBoard();
    return {TextFor(result)};
}

Shown Play::Picture2_Click(int slot)
{
    assert(slot >= 0 && slot < model::PieceCount);
    if (m_glancing)
        return endGlance();
    m_played = true;
    Shown shown = moveCursor(slot);
    m_game.Picture2_Click(slot);
    return shown;
}

Shown Play::moveCursor(int slot)
{
    Shown shown;
    shown.cursorMoved = slot != m_cursor && m_focused;
    m_cursor = slot;
    return shown;
}

Shown Play::key(Key key, bool onBoard)
{
    if (m_glancing)
        return endGlance();
    if (key == Key::Undo)
        return Command1_Click(int(model::Command::Undo));
    if (!onBoard)
        return {{}, false, false, false};
    int column = m_cursor / model::GridRows;
    int row = m_cursor % model::GridRows;
    switch (key) {
    case Key::Left: column = std::max(column - 1, 0); break;
    case Key::Right: column = std::min(column + 1, model::GridColumns - 1); break;
    case Key::Up: row = std::max(row - 1, 0); break;
    case Key::Down: row = std::min(row + 1, model::GridRows - 1); break;
    case Key::Home: column = 0; break;
    case Key::End: column = model::GridColumns - 1; break;
    case Key::F2:
        return glance();
    case Key::Space:
    case Key::Enter:
        m_markShown = true;   // keys on the board show where the cursor is
        m_played = true;
        m_game.Picture2_Click(m_cursor);
        return {};
    case Key::Undo:
    case Key::Other:
        return {{}, false, false, false};
    }
    m_markShown = true;
    return moveCursor(column * model::GridRows + row);
}

Shown Play::glance()
{
    if (m_glancing)
        return {};
    m_glancing = true;
    Shown shown;
    shown.glance = true;
    return shown;
}

Shown Play::endGlance()
{
    if (!m_glancing)
        return {};
    m_glancing = false;
    Shown shown;
    shown.glance = true;
    shown.cursorMoved = m_focused;   // readers are back on the cursor's cell
    return shown;
}

Shown Play::boardFocused(bool markShown)
{
    m_focused = true;
    m_markShown = markShown;
    Shown shown;
    shown.cursorMoved = !m_glancing;
    return shown;
}

Shown Play::boardLeft()
{
    m_focused = false;
    m_markShown = false;
    return {};
}

Shown Play::pictureChanged(Arrival arrival)
{
    m_builtIn = arrival == Arrival::BuiltIn;
    // Every slot is cut again from the new source. A picture named on the command line
    // meets a game not yet begun, assembled, with the help text in the message box: it
    // keeps that text. Any other comes as "Изчисти" leaves the board.
    m_board.RebuildBoard();
    if (arrival == Arrival::AtStart && !m_played)
        return {};
    m_played = true;
    return {TextFor(m_game.Clear())};
}

Shown Play::boardLost()
{
    m_board.RebuildBoard();
    return {};
}

std::array<MenuItem, 3> Play::Menu(bool builtInShown)
{
    return {{
        {MenuAct::OpenPicture, texts::OpenPicture, true, false},
        // Choosing the built-in picture while it shows would only wipe the game.
        {MenuAct::BuiltInPicture, texts::BuiltInPicture, !builtInShown, false},
        {MenuAct::ShowWholePicture, texts::ShowWholePicture, true, true},
    }};
}

void Play::PaintBoard(board::Surface &surface)
{
    m_board.PaintBoard(m_game, {m_cursor, markShown(), m_glancing}, surface);
}

std::string_view Play::boardName() const
{
    return m_glancing ? texts::WholePicture : texts::BoardName;
}

} // namespace window
