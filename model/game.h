// game.h: the rules of play: picks, swap, shuffle, undo, clear and the move log.
#pragma once

#include "model/history.h"


namespace forms {
class Random;
}

namespace model {

enum class Command { Clear = 0, Shuffle = 1, Swap = 2, Undo = 3 };

// What a command that went through does to the move log. The model says what
// happened; the window turns it into the message box's text.
enum class Log {
    Keep,      // the log stays as it is
    Empty,     // Clear, Shuffle and Undo empty it
    Swapped,   // a swap appends its line: the second pick's tile, then the first's
    Solved,    // a swap assembled the picture: the announcement replaces the log
};

struct CommandResult
{
    bool wentThrough = false;   // false: the command declined and changed nothing
    Log log = Log::Keep;
    int firstTile = -1;         // Swapped and Solved: the tiles of the first and the second pick
    int secondTile = -1;
    bool operator==(const CommandResult &) const = default;
};

// The pending picks. They are not part of the history: Undo never brings them
// back, and every command that goes through drops them.
struct PickState
{
    static constexpr int NoTile = -1;
    bool FirstPicked = false;
    bool SecondPicked = false;     // implies FirstPicked
    int PickedTileA = NoTile;      // tile of the first pick while FirstPicked
    int PickedTileB = NoTile;      // tile of the second pick while SecondPicked
    int PickedBoxA = 0;            // slot of the first pick; kept when the picks are dropped
    int PickedBoxB = 0;            // slot of the second pick; may equal PickedBoxA
};

// One game: the arrangement history and the picks. Every level of the history
// is a permutation of the 30 tiles, and a picked tile is always the tile its
// box currently shows. The game only holds state; the board's BuildBoard and
// PaintBoard put it on screen. Of what they do, the model keeps two steps:
// reseeding the history and dropping the picks.
class Game
{
public:
    const ArrangementHistory &history() const { return m_history; }
    const PickState &picks() const { return m_picks; }
    bool hasBorder(int slot) const;   // the box of a pending pick
    bool isSolved() const;            // every slot shows its own tile

    void Picture2_Click(int slot);    // 0 <= slot < PieceCount; moves the picks only
    CommandResult Command1_Click(int index, forms::Random &random);   // by button index

    CommandResult Clear();
    CommandResult Shuffle(forms::Random &random);   // the only source of chance
    // The board as Shuffle leaves it, with `arrangement` (a permutation) drawn: a
    // lesson's start, which every pupil solves alike.
    CommandResult ShuffleTo(const Arrangement &arrangement);
    CommandResult Swap();                           // declines without two picks
    CommandResult Undo();                           // declines at depth 1

private:
    void reseed();      // the history back to the ordered level alone, nothing picked
    void dropPicks();   // nothing picked; the boxes the picks named are kept

    ArrangementHistory m_history;
    PickState m_picks;
};

} // namespace model
