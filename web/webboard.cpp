// webboard.cpp: building and painting the board's cells.
#include "web/webboard.h"

#include "model/game.h"
#include "board/geometry.h"
#include "window/texts.h"
#include "web/boardcursor.h"
#include "web/marks.h"

#include <cassert>

using web::val;

namespace {

// Where a tile's rectangle of the source lies, as a background position.
std::string tilePosition(int tile)
{
    const forms::TwipRect piece = board::PieceBox(board::Picture1);
    const board::PieceOffset offset = board::LocatePiece(tile, piece.Width, piece.Height);
    const forms::PixelRect from = forms::ToPixels({offset.SourceX, offset.SourceY, piece.Width, piece.Height});
    return web::Pixels(-from.x) + " " + web::Pixels(-from.y);
}

} // namespace

void WebBoard::Write(web::Markup &markup)
{
    markup.open("div", "board")
        .place(board::Picture1)
        .attribute("role", "grid")
        .attribute("aria-label", window::texts::BoardName)
        .attribute("aria-rowcount", std::to_string(model::GridRows))
        .attribute("aria-colcount", std::to_string(model::GridColumns))
        .style("--pick-border", "url(\"" + web::PickBorderImage(50) + "\")");
    // Rows in reading order; each cell at its slot's place relative to its row, the
    // piece size from the holder, as on the desktop.
    const auto places = board::SlotPlaces(board::Picture1);
    const forms::TwipRect piece = board::PieceBox(board::Picture1);
    for (int row = 0; row < model::GridRows; ++row) {
        const forms::TwipRect line{board::Picture1.Left, board::Picture1.Top + float(row) * piece.Height,
                                   board::Picture1.Width, piece.Height};
        markup.open("div", "row" + std::to_string(row)).attribute("role", "row").attribute("class", "row");
        markup.place(line, board::Picture1);
        for (int column = 0; column < model::GridColumns; ++column) {
            const int slot = column * model::GridRows + row;
            // As start-up paints it: the ordered board, nothing picked.
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
                .place(places[std::size_t(slot)], line)
                .style("--tile-position", tilePosition(slot))
                .close();
        }
        markup.close();
    }
    BoardCursor::Write(markup);
    markup.close();
}

WebBoard::WebBoard(std::function<void(int slot)> clicked) : m_grid(web::ById("board"))
{
    for (int slot = 0; slot < model::PieceCount; ++slot)
        m_cells.push_back(web::ById("Picture2_" + std::to_string(slot)));
    // One listener for the 30 cells: the cell the click landed on.
    web::Listen(m_grid, "click", [this, clicked](val event) {
        if (event["button"].as<int>() != 0)
            return false;
        const int slot = slotOf(event["target"].call<val>("closest", std::string(".slot")));
        if (slot < 0)
            return false;
        clicked(slot);
        return true;
    });
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
    m_source = url;
    ++m_sourceNumber;
}

void WebBoard::setWholePictureShown(bool shown)
{
    if (shown)
        m_grid["classList"].call<void>("add", std::string("glance"));
    else
        m_grid["classList"].call<void>("remove", std::string("glance"));
    web::SetAttribute(m_grid, "aria-label", shown ? window::texts::WholePicture : window::texts::BoardName);
}

void WebBoard::BuildBoard(const model::Game &game)
{
    PaintBoard(game);
}

void WebBoard::RebuildBoard(const model::Game &game)
{
    BuildBoard(game);
}

void WebBoard::PaintBoard(const model::Game &game)
{
    if (m_paintedSource != m_sourceNumber) {
        // Every cell cuts its tile from the picture the board names.
        if (m_source.empty())
            m_grid["style"].call<void>("removeProperty", std::string("--picture"));
        else
            web::SetStyle(m_grid, "--picture", "url(\"" + m_source + "\")");
        m_paintedSource = m_sourceNumber;
    }
    for (int slot = 0; slot < model::PieceCount; ++slot) {
        const int tile = game.history().currentTile(slot);
        const int border = game.hasBorder(slot) ? 1 : 0;
        Shown &shown = m_shown[std::size_t(slot)];
        if (shown.tile == tile && shown.border == border)
            continue;
        val cell = m_cells[std::size_t(slot)];
        if (shown.tile != tile) {
            web::SetStyle(cell, "--tile-position", tilePosition(tile));
            const std::string_view text = game.history().currentText(slot);
            web::SetAttribute(cell, "title", text);
            web::SetAttribute(cell, "aria-label", window::texts::SlotName(slot, text));
        }
        if (shown.border != border) {
            web::SetAttribute(cell, "class", border ? "slot picked" : "slot");
            web::SetAttribute(cell, "aria-selected", border ? "true" : "false");
        }
        shown = {tile, border};
    }
}
