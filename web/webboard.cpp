// webboard.cpp: the board's cells, and drawing on them.
#include "web/webboard.h"

#include "board/boardframe.h"
#include "window/play.h"
#include "window/texts.h"
#include "web/marks.h"

#include <cassert>

using web::val;

void WebBoard::Write(web::Markup &markup)
{
    // As start-up paints it: the ordered board, nothing picked.
    const board::BoardFrame frame(window::texts::SlotName);
    markup.open("div", "board")
        .place(board::Picture1)
        .attribute("role", "grid")
        .attribute("aria-label", window::texts::BoardName)
        .attribute("aria-rowcount", std::to_string(model::GridRows))
        .attribute("aria-colcount", std::to_string(model::GridColumns))
        .style("--pick-border", "url(\"" + web::PickBorderImage(50) + "\")");
    // Rows in reading order; each cell at its slot's place relative to its row.
    for (int row = 0; row < model::GridRows; ++row) {
        const forms::PixelRect first = frame.place(row);
        markup.open("div", "row" + std::to_string(row)).attribute("role", "row").attribute("class", "row");
        markup.style("left", "0px").style("top", web::Pixels(first.y)).style("width", web::Pixels(frame.place(model::PieceCount - 1).x + first.width))
            .style("height", web::Pixels(first.height));
        for (int column = 0; column < model::GridColumns; ++column) {
            const int slot = column * model::GridRows + row;
            const forms::PixelRect place = frame.place(slot), cut = board::BoardFrame::Cut(slot);
            const std::string id = "Picture2_" + std::to_string(slot);
            const std::string_view tile = model::TileText(slot);
            markup.open("div", id)
                .attribute("role", "gridcell")
                .attribute("class", "slot")
                .attribute("tabindex", slot == 0 ? "0" : "-1")
                .attribute("aria-colindex", std::to_string(column + 1))
                .attribute("aria-selected", "false")
                .attribute("title", tile)
                .attribute("aria-label", window::texts::SlotName(slot, tile))
                .attribute("elementtiming", id)
                .style("left", web::Pixels(place.x))
                .style("top", "0px")
                .style("width", web::Pixels(place.width))
                .style("height", web::Pixels(place.height))
                .style("--tile-position", web::Pixels(-cut.x) + " " + web::Pixels(-cut.y))
                .close();
        }
        markup.close();
    }
    markup.open("div", "cursorMark")
        .attribute("aria-hidden", "true")
        .style("background-image", "url(\"" + web::CursorMarkImage(50) + "\")")
        .close();
    markup.close();
}

WebBoard::WebBoard() : m_grid(web::ById("board")), m_mark(web::ById("cursorMark"))
{
    for (int slot = 0; slot < model::PieceCount; ++slot)
        m_cells.push_back(web::ById("Picture2_" + std::to_string(slot)));
}

int WebBoard::slotOf(val element) const
{
    for (int slot = 0; slot < model::PieceCount; ++slot) {
        if (web::IsElement(m_cells[std::size_t(slot)], element))
            return slot;
    }
    return -1;
}

void WebBoard::setSource(const std::string &url)
{
    // Every cell cuts its tile from the picture the board names.
    if (url.empty())
        m_grid["style"].call<void>("removeProperty", std::string("--picture"));
    else
        web::SetStyle(m_grid, "--picture", "url(\"" + url + "\")");
}

void WebBoard::setName(std::string_view name) { web::SetAttribute(m_grid, "aria-label", name); }

void WebBoard::followCursor(int slot)
{
    if (slot == m_tabStop)
        return;
    const bool focused = hasFocus();
    web::SetAttribute(m_cells[std::size_t(m_tabStop)], "tabindex", "-1");
    m_tabStop = slot;
    web::SetAttribute(m_cells[std::size_t(m_tabStop)], "tabindex", "0");
    if (focused)   // a screen reader follows the focus to the new cell
        m_cells[std::size_t(m_tabStop)].call<void>("focus", val::object());
}

bool WebBoard::hasFocus() const { return slotOf(web::Document()["activeElement"]) >= 0; }

void WebBoard::tile(int slot, const forms::PixelRect &, const forms::PixelRect &cut)
{
    val cell = m_cells[std::size_t(slot)];
    web::SetStyle(cell, "--tile-position", web::Pixels(-cut.x) + " " + web::Pixels(-cut.y));
    web::SetAttribute(cell, "class", "slot");
    if (slot == m_markSlot) {
        web::SetStyle(m_mark, "display", "none");
        m_markSlot = -1;
    }
}

void WebBoard::border(int slot, const forms::PixelRect &)
{
    web::SetAttribute(m_cells[std::size_t(slot)], "class", "slot picked");
}

void WebBoard::mark(int slot, const forms::PixelRect &place)
{
    web::SetStyle(m_mark, "left", web::Pixels(place.x));
    web::SetStyle(m_mark, "top", web::Pixels(place.y));
    web::SetStyle(m_mark, "width", web::Pixels(place.width));
    web::SetStyle(m_mark, "height", web::Pixels(place.height));
    web::SetStyle(m_mark, "display", "block");
    m_markSlot = slot;
}

void WebBoard::whole(bool shown)
{
    m_grid["classList"].call<void>(shown ? "add" : "remove", std::string("glance"));
}

void WebBoard::label(int slot, std::string_view tooltip, std::string_view name)
{
    web::SetAttribute(m_cells[std::size_t(slot)], "title", tooltip);
    web::SetAttribute(m_cells[std::size_t(slot)], "aria-label", name);
}

void WebBoard::selected(int slot, bool picked)
{
    web::SetAttribute(m_cells[std::size_t(slot)], "aria-selected", picked ? "true" : "false");
}
