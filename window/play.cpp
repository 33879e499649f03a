// play.cpp: what each act of the player does: the command dispatch, the picks, the
// cursor's keys, the glance and a new picture.
#include "window/play.h"

#include "model/cycles.h"
#include "window/texts.h"

#include <algorithm>
#include <cassert>

namespace window {

Play::Play(forms::ClockRandom random) : m_random(random), m_board(texts::SlotName, texts::CycleSlotName) {}

Shown Play::Command1_Click(int index)
{
    if (glancing())
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
    if (glancing())
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
    if (glancing())
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
    case Key::F3:
        return showCycles();
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

Shown Play::glance() { return beginGlance(Glance::WholePicture); }

Shown Play::showCycles()
{
    Shown shown = beginGlance(Glance::Cycles);
    if (shown.glance)
        countCycles();
    return shown;
}

void Play::countCycles()
{
    const model::Cycles cycles = model::FindCycles(m_game.history().current());
    m_cyclesLine = texts::CyclesLine(cycles.count, cycles.swapsToSolve());
}

Shown Play::beginGlance(Glance glance)
{
    if (glancing())
        return {};
    m_glance = glance;
    Shown shown;
    shown.glance = true;
    return shown;
}

Shown Play::endGlance()
{
    if (!glancing())
        return {};
    m_glance = Glance::None;
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
    shown.cursorMoved = !glancing();
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
    const bool leftLesson = m_lesson && arrival == Arrival::BuiltIn;
    m_lesson = false;
    m_builtIn = arrival == Arrival::BuiltIn;
    // Every slot is cut again from the new source. A picture named on the command line
    // meets a game not yet begun, assembled, with the help text in the message box: it
    // keeps that text. Any other comes as "Изчисти" leaves the board.
    m_board.RebuildBoard();
    if (arrival == Arrival::AtStart && !m_played)
        return {};
    m_played = true;
    Shown shown{TextFor(m_game.Clear())};
    if (leftLesson)   // the built-in picture, with the text that introduces it
        shown.text = {TextChange::Kind::Replace, std::string(texts::HelpText)};
    if (cyclesShown()) {   // it came while the cycles show: they are counted anew
        countCycles();
        shown.glance = true;
    }
    return shown;
}

Shown Play::lessonArrived(std::string_view text, bool textCut, const std::optional<model::Arrangement> &start)
{
    Shown shown = pictureChanged(Arrival::Opened);
    m_lesson = true;
    if (start)
        m_game.ShuffleTo(*start);
    std::string shownText(text);
    if (textCut)
        shownText.append("\r\n").append(texts::LessonTextCut);
    shown.text = {TextChange::Kind::Replace, std::move(shownText)};
    if (cyclesShown())
        countCycles();
    return shown;
}

std::optional<model::Arrangement> Play::lessonStart() const
{
    if (m_game.isSolved())
        return std::nullopt;
    return m_game.history().current();
}

Shown Play::boardLost()
{
    m_board.RebuildBoard();
    return {};
}

std::array<MenuItem, MenuItems> Play::Menu(bool builtInShown)
{
    return {{
        {MenuAct::OpenPicture, texts::OpenPicture, true, false},
        // Choosing the built-in picture while it shows would only wipe the game.
        {MenuAct::BuiltInPicture, texts::BuiltInPicture, !builtInShown, false},
        {MenuAct::SaveLesson, texts::SaveLesson, true, false},
        {MenuAct::ShowWholePicture, texts::ShowWholePicture, true, true},
        {MenuAct::ShowCycles, texts::ShowCycles, true, false},
    }};
}

void Play::PaintBoard(board::Surface &surface)
{
    m_board.PaintBoard(m_game, {m_cursor, markShown(), m_glance == Glance::WholePicture, cyclesShown()}, surface);
}

std::string_view Play::boardName() const
{
    switch (m_glance) {
    case Glance::None: break;
    case Glance::WholePicture: return texts::WholePicture;
    case Glance::Cycles: return m_cyclesLine;
    }
    return texts::BoardName;
}

} // namespace window
