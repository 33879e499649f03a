// webboard.cpp: building and painting the board's cells.
#include "web/webboard.h"

#include "model/game.h"
#include "model/geometry.h"
#include "model/texts.h"
#include "web/marks.h"

#include <cassert>

using web::val;

WebBoard::WebBoard(val window, std::function<void(int slot)> clicked)
    : m_grid(web::Element("div", "board", window))
{
    web::Place(m_grid, model::Picture1);
    web::SetAttribute(m_grid, "role", "grid");
    web::SetAttribute(m_grid, "aria-label", model::texts::BoardName);
    web::SetAttribute(m_grid, "aria-rowcount", std::to_string(model::GridRows));
    web::SetAttribute(m_grid, "aria-colcount", std::to_string(model::GridColumns));
    web::SetStyle(m_grid, "--pick-border", "url(\"" + web::PickBorderImage(50) + "\")");

    m_cells.resize(model::PieceCount, val::null());
    const forms::TwipRect piece = model::PieceBox(model::Picture1);
    for (int row = 0; row < model::GridRows; ++row) {
        val line = web::Element("div", "", m_grid);
        web::SetAttribute(line, "role", "row");
        web::SetAttribute(line, "class", "row");
        web::Place(line, {0, float(row) * piece.Height, model::Picture1.Width, piece.Height});
        for (int column = 0; column < model::GridColumns; ++column) {
            const int slot = column * model::GridRows + row;
            val cell = web::Element("div", "Picture2_" + std::to_string(slot), line);
            web::SetAttribute(cell, "role", "gridcell");
            web::SetAttribute(cell, "class", "slot");
            web::SetAttribute(cell, "tabindex", "-1");
            web::SetAttribute(cell, "elementtiming", "Picture2_" + std::to_string(slot));
            m_cells[std::size_t(slot)] = cell;
            web::Listen(cell, "click", [clicked, slot](val event) {
                if (event["button"].as<int>() != 0)
                    return false;
                clicked(slot);
                return true;
            });
        }
    }
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

void WebBoard::BuildBoard(const model::Game &game)
{
    // Each cell sits at its slot's place, relative to the board's corner; the
    // piece size comes from the holder, as on the desktop.
    const auto places = model::SlotPlaces(model::Picture1);
    const forms::PixelRect corner = forms::ToPixels(model::Picture1);
    for (int slot = 0; slot < model::PieceCount; ++slot) {
        const forms::PixelRect place = forms::ToPixels(places[std::size_t(slot)]);
        val cell = m_cells[std::size_t(slot)];
        web::SetStyle(cell, "left", web::Pixels(place.x - corner.x));
        web::SetStyle(cell, "top", "0px");
        web::SetStyle(cell, "width", web::Pixels(place.width));
        web::SetStyle(cell, "height", web::Pixels(place.height));
        web::SetAttribute(cell, "aria-colindex", std::to_string(slot / model::GridRows + 1));
    }
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
    const forms::TwipRect piece = model::PieceBox(model::Picture1);
    for (int slot = 0; slot < model::PieceCount; ++slot) {
        const int tile = game.history().currentTile(slot);
        const int border = game.hasBorder(slot) ? 1 : 0;
        Shown &shown = m_shown[std::size_t(slot)];
        if (shown.tile == tile && shown.border == border)
            continue;
        val cell = m_cells[std::size_t(slot)];
        if (shown.tile != tile) {
            const model::PieceOffset offset = model::LocatePiece(tile, piece.Width, piece.Height);
            const forms::PixelRect from = forms::ToPixels({offset.SourceX, offset.SourceY, piece.Width, piece.Height});
            web::SetStyle(cell, "--tile-position", web::Pixels(-from.x) + " " + web::Pixels(-from.y));
            const std::string_view text = game.history().currentText(slot);
            web::SetAttribute(cell, "title", text);
            web::SetAttribute(cell, "aria-label", model::texts::SlotName(slot, text));
        }
        if (shown.border != border) {
            web::SetAttribute(cell, "class", border ? "slot picked" : "slot");
            web::SetAttribute(cell, "aria-selected", border ? "true" : "false");
        }
        shown = {tile, border};
    }
}
