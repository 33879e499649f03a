// play.h: the game as both faces drive it: the player's acts in, what to show out.
#pragma once

#include "board/boardframe.h"
#include "forms/random.h"
#include "model/game.h"
#include "window/messagebox.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace window {

// The keys the game answers. A face maps its own: the arrows, Home, End, Space,
// Enter, F2 and F3 without modifiers, and the desktop's undo key (Ctrl+Z) as Undo.
enum class Key { Left, Right, Up, Down, Home, End, Space, Enter, F2, F3, Undo, Other };

// The board's menu, in its order; a separator stands before the glances. Both faces
// build it from Menu(), an item for each act in this order, MenuItems in all.
enum class MenuAct { OpenPicture, BuiltInPicture, SaveLesson, ShowWholePicture, ShowCycles };
constexpr int MenuItems = 5;
struct MenuItem
{
    MenuAct act;
    std::string_view text;
    bool enabled;
    bool separatorBefore;
};

// How a picture came to be the board's source.
enum class Arrival {
    AtStart,   // named on the command line: the game has only just begun
    Opened,    // chosen in the file dialog or dropped
    BuiltIn,   // the program's own picture again
};

// What an act changed, beyond the board, which PaintBoard brings up to date.
struct Shown
{
    TextChange text;            // for the message box (ApplyText)
    bool cursorMoved = false;   // screen readers follow the cursor to its cell, while the board has focus
                                // (the page's roving focus does that by itself)
    bool glance = false;        // a glance began or ended: the board's name changed (boardName())
    bool taken = true;          // false: the act was not the game's (a key it does not answer)
};

// One game as the player plays it. It owns the arrangement model and the generator,
// and the state no Undo brings back: the keyboard cursor (it survives Clear and
// Shuffle), whether its mark shows, a glance, which picture is the source and
// whether the player has acted yet. Every rule between an input and the board lives
// here; a face turns its events into these calls and draws what PaintBoard tells it.
class Play
{
public:
    explicit Play(forms::ClockRandom random);   // start-up: the board built, assembled, nothing picked

    Shown Command1_Click(int index);   // 0 to 3, by button; a command that declines changes nothing
    Shown Picture2_Click(int slot);    // a click or a reader's press: the cursor goes there, and the slot is picked
    Shown key(Key key, bool onBoard);  // onBoard: the board has the focus
    Shown glance();                    // the whole painting until the next act, which does nothing else
    Shown showCycles();                // the arrangement's cycles, a glance as that is
    Shown endGlance();                 // the click or key that ends either
    Shown boardFocused(bool markShown);   // the mark shows while the board has focus from the keyboard
    Shown boardLeft();
    Shown pictureChanged(Arrival arrival);   // the face has set the board's new source
    // A lesson came with its picture, which the face has set as the board's source: its
    // text in the message box, cut short with a note when it was too long, and its
    // start, when it has one, as "Размести" leaves the board: one level over the
    // assembled picture, so that "Ход назад" shows the painting. Choosing the built-in
    // picture later brings back the help text too.
    Shown lessonArrived(std::string_view text, bool textCut, const std::optional<model::Arrangement> &start);
    // A lesson's start: the arrangement on the board, unless it is the assembled one.
    std::optional<model::Arrangement> lessonStart() const;
    Shown boardLost();   // the face's drawing is gone (a screen of another density): all is drawn anew

    std::array<MenuItem, MenuItems> menu() const { return Menu(m_builtIn); }
    static std::array<MenuItem, MenuItems> Menu(bool builtInShown);
    void PaintBoard(board::Surface &surface);   // the one road to the screen, after every act

    const model::Game &game() const { return m_game; }
    const board::BoardFrame &board() const { return m_board; }   // what every slot shows
    int cursor() const { return m_cursor; }
    bool glancing() const { return m_glance != Glance::None; }
    bool cyclesShown() const { return m_glance == Glance::Cycles; }
    bool markShown() const { return m_focused && m_markShown && !glancing(); }
    // For screen readers: the board, the whole picture, or while the cycles show, their
    // status line, which the faces also show under the board (CyclesLine).
    std::string_view boardName() const;

private:
    enum class Glance { None, WholePicture, Cycles };
    Shown moveCursor(int slot);
    Shown beginGlance(Glance glance);
    void countCycles();   // the status line for the current arrangement

    model::Game m_game;
    forms::ClockRandom m_random;
    board::BoardFrame m_board;
    int m_cursor = 0;
    bool m_focused = false;
    bool m_markShown = false;
    Glance m_glance = Glance::None;
    std::string m_cyclesLine;   // the status line while the cycles show
    bool m_builtIn = true;
    bool m_played = false;   // a click or a command since the start
    bool m_lesson = false;   // the board shows a lesson's picture
};

// Where the faces show the cycles' status line while it lasts: across the window, from
// the board's lower edge over the message box's top edge, in the title line's colours.
constexpr forms::TwipRect CyclesLine{120, 4200, 6735, 300};

} // namespace window
