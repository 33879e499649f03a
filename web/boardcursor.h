// boardcursor.h: the board as one stop of the keyboard, with a cursor over its slots.
#pragma once

#include "web/dom.h"

#include <functional>
#include <string_view>

class WebBoard;

// One slot has the cursor; its cell is the board's one Tab stop (a roving
// tabindex) and has the focus while the board has it. The arrow keys move the
// cursor a column or a row and stop at the edges, Home and End go to the ends
// of its row, and Space or Enter picks the slot under it as a left click does.
// The mark is drawn only while the board has focus that came by the keyboard.
class BoardCursor
{
public:
    static void Write(web::Markup &markup);   // the mark, inside the board's element
    BoardCursor(const WebBoard &board, std::function<void(int slot)> picked);

    int cursorSlot() const { return m_cursor; }
    void moveCursorTo(int slot);            // 0 <= slot < PieceCount; the focus goes along
    bool keyDown(std::string_view key);     // a key without modifiers; true when taken
    void focus();                           // the cursor's cell takes the focus
    bool hasFocus() const;                  // the focus is on one of the cells
    void setMarkShown(bool shown);          // drawn only while hasFocus()
    bool markShown() const { return m_markShown; }

private:
    void placeMark();

    const WebBoard &m_board;
    std::function<void(int slot)> m_picked;
    web::val m_mark;
    int m_cursor = 0;
    bool m_markShown = false;
};
