// play.h: the game as both faces drive it: the player's acts in, what to show out.
#pragma once

#include "board/boardframe.h"
#include "forms/random.h"
#include "model/game.h"
#include "window/messagebox.h"

#include <array>
#include <string_view>

namespace window {

// The keys the game answers. A face maps its own: the arrows, Home, End, Space,
// Enter and F2 without modifiers, and the desktop's undo key (Ctrl+Z) as Undo.
enum class Key { Left, Right, Up, Down, Home, End, Space, Enter, F2, Undo, Other };

// The board's menu, in its order; a separator stands before the glance.
enum class MenuAct { OpenPicture, BuiltInPicture, ShowWholePicture };
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
    bool glance = false;        // the glance began or ended: the board's name changed (boardName())
    bool taken = true;          // false: the act was not the game's (a key it does not answer)
};

// One game as the player plays it. It owns the arrangement model and the generator,
// and the state no Undo brings back: the keyboard cursor (it survives Clear and
// Shuffle), whether its mark shows, the glance, which picture is the source and
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
    Shown endGlance();                 // the click or key that ends it
    Shown boardFocused(bool markShown);   // the mark shows while the board has focus from the keyboard
    Shown boardLeft();
    Shown pictureChanged(Arrival arrival);   // the face has set the board's new source
    Shown boardLost();   // the face's drawing is gone (a screen of another density): all is drawn anew

    std::array<MenuItem, 3> menu() const { return Menu(m_builtIn); }
    static std::array<MenuItem, 3> Menu(bool builtInShown);
    void PaintBoard(board::Surface &surface);   // the one road to the screen, after every act

    const model::Game &game() const { return m_game; }
    const board::BoardFrame &board() const { return m_board; }   // what every slot shows
    int cursor() const { return m_cursor; }
    bool glancing() const { return m_glancing; }
    bool markShown() const { return m_focused && m_markShown && !m_glancing; }
    std::string_view boardName() const;   // for screen readers: the board, or the whole picture

private:
    Shown moveCursor(int slot);

    model::Game m_game;
    forms::ClockRandom m_random;
    board::BoardFrame m_board;
    int m_cursor = 0;
    bool m_focused = false;
    bool m_markShown = false;
    bool m_glancing = false;
    bool m_builtIn = true;
    bool m_played = false;   // a click or a command since the start
};

} // namespace window
