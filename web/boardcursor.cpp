// boardcursor.cpp: the cursor's keys, its roving focus and its mark.
#include "web/boardcursor.h"

#include "board/geometry.h"
#include "web/marks.h"
#include "web/webboard.h"

#include <algorithm>
#include <cassert>

using web::val;

void BoardCursor::Write(web::Markup &markup)
{
    markup.open("div", "cursorMark")
        .attribute("aria-hidden", "true")
        .style("background-image", "url(\"" + web::CursorMarkImage(50) + "\")")
        .close();
}

BoardCursor::BoardCursor(const WebBoard &board, std::function<void(int slot)> picked)
    : m_board(board), m_picked(std::move(picked)), m_mark(web::ById("cursorMark"))
{
    web::SetAttribute(m_board.Picture2(m_cursor), "tabindex", "0");
    placeMark();
}

void BoardCursor::moveCursorTo(int slot)
{
    assert(slot >= 0 && slot < model::PieceCount);
    if (slot == m_cursor)
        return;
    const bool focused = hasFocus();
    web::SetAttribute(m_board.Picture2(m_cursor), "tabindex", "-1");
    m_cursor = slot;
    web::SetAttribute(m_board.Picture2(m_cursor), "tabindex", "0");
    placeMark();
    if (focused)
        focus();   // a screen reader follows the focus to the new cell
}

bool BoardCursor::keyDown(std::string_view key)
{
    int column = m_cursor / model::GridRows;
    int row = m_cursor % model::GridRows;
    if (key == "ArrowLeft")
        column = std::max(column - 1, 0);
    else if (key == "ArrowRight")
        column = std::min(column + 1, model::GridColumns - 1);
    else if (key == "ArrowUp")
        row = std::max(row - 1, 0);
    else if (key == "ArrowDown")
        row = std::min(row + 1, model::GridRows - 1);
    else if (key == "Home")
        column = 0;
    else if (key == "End")
        column = model::GridColumns - 1;
    else if (key == " " || key == "Enter") {
        m_picked(m_cursor);
        return true;
    } else
        return false;
    moveCursorTo(column * model::GridRows + row);
    return true;
}

void BoardCursor::focus()
{
    m_board.Picture2(m_cursor).call<void>("focus", val::object());
}

bool BoardCursor::hasFocus() const
{
    return m_board.slotOf(web::Document()["activeElement"]) >= 0;
}

void BoardCursor::setMarkShown(bool shown)
{
    m_markShown = shown;
    web::SetStyle(m_mark, "display", shown ? "block" : "none");
}

void BoardCursor::placeMark()
{
    // Over the cursor's cell, relative to the board's corner.
    const forms::PixelRect corner = forms::ToPixels(board::Picture1);
    const forms::PixelRect place = forms::ToPixels(board::SlotPlaces(board::Picture1)[std::size_t(m_cursor)]);
    web::SetStyle(m_mark, "left", web::Pixels(place.x - corner.x));
    web::SetStyle(m_mark, "top", web::Pixels(place.y - corner.y));
    web::SetStyle(m_mark, "width", web::Pixels(place.width));
    web::SetStyle(m_mark, "height", web::Pixels(place.height));
}
