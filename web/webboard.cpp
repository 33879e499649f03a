// webboard.cpp: the board's cells, and drawing on its canvas.
#include "web/webboard.h"

#include "board/boardframe.h"
#include "board/marks.h"
#include "window/texts.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>

using web::val;

// The canvas and what it is drawn from, kept on the page's side: the source as given,
// and the source scaled once to the board's device size (smoothly, or pixel for pixel
// when it is the board's own size at a whole unit, so that each pixel is a sharp block).
EM_JS(void, kalvero_board_init, (unsigned border, unsigned dash, int dashLength), {
    const canvas = document.getElementById("boardCanvas");
    const colour = function(rgb) { return "#" + (0x1000000 + rgb).toString(16).slice(1); };
    // The built-in picture: the page's early script decodes it from the page's own style.
    const board = {canvas: canvas, context: canvas.getContext("2d"), builtIn: window["kalveroBuiltIn"], original: null,
                   scaled: null, unit: 1, border: colour(border), dash: colour(dash), dashLength: dashLength,
                   colour: colour};
    board.rescale = function() {
        const source = board.original || board.builtIn;
        board.scaled = null;
        if (source instanceof HTMLImageElement ? !(source.complete && source.naturalWidth > 0) : !(source.width > 0))
            return false;
        const scaled = document.createElement("canvas");
        scaled.width = board.canvas.width;
        scaled.height = board.canvas.height;
        const context = scaled.getContext("2d");
        const blocks = board.unit === Math.round(board.unit) && source.width === 300 && source.height === 250;
        context.imageSmoothingEnabled = !blocks;
        context.imageSmoothingQuality = "high";
        context.drawImage(source, 0, 0, scaled.width, scaled.height);
        board.scaled = scaled;
        return true;
    };
    Module["kalveroBoard"] = board;
    // The built-in picture is decoded by the page's early script; the board is drawn
    // again once it is, whether before or after the game starts.
    const ready = function() {
        if (!board.original && board.rescale())
            Module["kalveroBoardReady"]();
    };
    if (!board.builtIn.complete)
        board.builtIn.addEventListener("load", ready);
});
// The canvas at the board's device pixels, `left` and `top` design pixels off the board's
// corner so that its own corner lands on a whole device pixel, each of its pixels one of
// the screen's. Placed by a transform, which layout does not round to its own units.
EM_JS(void, kalvero_board_unit, (double unit, int width, int height, double left, double top), {
    const board = Module["kalveroBoard"];
    board.unit = unit;
    board.canvas.width = Math.max(1, width);
    board.canvas.height = Math.max(1, height);
    const style = board.canvas.style;
    style.width = board.canvas.width + "px";
    style.height = board.canvas.height + "px";
    style.transform = "translate(" + left + "px, " + top + "px) scale(" + (1 / unit) + ")";
    board.rescale();
});
EM_JS(void, kalvero_board_source, (emscripten::EM_VAL picture), {
    const board = Module["kalveroBoard"];
    board.original = Emval.toValue(picture);
    board.rescale();
});
// A tile, covering all the slot showed; while the source is not decoded yet, the slot
// shows the board's background, the assembled picture, until the board is drawn again.
EM_JS(void, kalvero_board_tile, (int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh), {
    const board = Module["kalveroBoard"];
    if (dw <= 0 || dh <= 0)
        return;
    if (!board.scaled || sw <= 0 || sh <= 0) {
        board.context.clearRect(dx, dy, dw, dh);
        return;
    }
    board.context.imageSmoothingEnabled = false;
    board.context.drawImage(board.scaled, sx, sy, sw, sh, dx, dy, dw, dh);
});
EM_JS(void, kalvero_board_whole, (), {
    const board = Module["kalveroBoard"];
    board.context.clearRect(0, 0, board.canvas.width, board.canvas.height);
    if (board.scaled)
        board.context.drawImage(board.scaled, 0, 0);
});
// The pick border's dashes over its line, `line` device pixels wide on the slot's edge:
// they walk the edge clockwise from the top-left corner, each dashLength of the slot's
// `size` design pixels long, with gaps as long.
EM_JS(void, kalvero_board_border, (int x, int y, int width, int height, int line, int size), {
    const board = Module["kalveroBoard"];
    const c = board.context;
    const last = size - 1;
    const dashed = function(walk) { return walk % (2 * board.dashLength) < board.dashLength; };
    const design = function(i, length) { return Math.floor(i * size / length); };   // of device pixel i along a side
    c.fillStyle = board.dash;
    // The sides in reverse order of their claim on the corners: the top's corners are its own.
    for (let i = 0; i < height; ++i)   // the left side, upwards
        if (dashed(3 * last + last - design(i, height))) c.fillRect(x, y + i, line, 1);
    for (let i = 0; i < width; ++i)    // the bottom, right to left
        if (dashed(2 * last + last - design(i, width))) c.fillRect(x + i, y + height - line, 1, line);
    for (let i = 0; i < height; ++i)   // the right side, downwards
        if (dashed(last + design(i, height))) c.fillRect(x + width - line, y + i, line, 1);
    for (let i = 0; i < width; ++i)    // the top, left to right
        if (dashed(design(i, width))) c.fillRect(x + i, y, 1, line);
});
EM_JS(void, kalvero_board_ring, (int x, int y, int width, int height, int inset, int thickness, unsigned rgb), {
    const board = Module["kalveroBoard"];
    const c = board.context;
    const left = x + inset, top = y + inset, w = width - 2 * inset, h = height - 2 * inset;
    if (w <= 0 || h <= 0)
        return;
    c.fillStyle = board.colour(rgb);
    c.fillRect(left, top, w, thickness);
    c.fillRect(left, top + h - thickness, w, thickness);
    c.fillRect(left, top, thickness, h);
    c.fillRect(left + w - thickness, top, thickness, h);
});

// A veil of rgb at opacity (of 255) over a slot.
EM_JS(void, kalvero_board_veil, (int x, int y, int width, int height, unsigned rgb, int opacity), {
    const c = Module["kalveroBoard"].context;
    c.fillStyle = "rgba(" + (rgb >> 16) + ", " + ((rgb >> 8) & 255) + ", " + (rgb & 255) + ", " + opacity / 255 + ")";
    c.fillRect(x, y, width, height);
});

void WebBoard::Write(web::Markup &markup)
{
    // As start-up paints it: the ordered board, nothing picked; until the game draws
    // on the canvas, the board's own background shows the assembled picture.
    const board::BoardFrame frame(window::texts::SlotName, window::texts::CycleSlotName);
    markup.open("div", "board")
        .place(board::Picture1)
        .attribute("role", "grid")
        .attribute("aria-label", window::texts::BoardName)
        .attribute("aria-rowcount", std::to_string(model::GridRows))
        .attribute("aria-colcount", std::to_string(model::GridColumns))
        .attribute("elementtiming", "board");
    markup.open("canvas", "boardCanvas")
        .attribute("width", std::to_string(frame.place(model::PieceCount - 1).x + frame.place(model::PieceCount - 1).width))
        .attribute("height", std::to_string(frame.place(model::PieceCount - 1).y + frame.place(model::PieceCount - 1).height))
        .attribute("aria-hidden", "true")
        .close();
    // Rows in reading order; each cell at its slot's place relative to its row.
    for (int row = 0; row < model::GridRows; ++row) {
        const forms::PixelRect first = frame.place(row);
        markup.open("div", "row" + std::to_string(row)).attribute("role", "row").attribute("class", "row");
        markup.style("left", "0px").style("top", web::Pixels(first.y))
            .style("width", web::Pixels(frame.place(model::PieceCount - 1).x + first.width))
            .style("height", web::Pixels(first.height));
        for (int column = 0; column < model::GridColumns; ++column) {
            const int slot = column * model::GridRows + row;
            const forms::PixelRect place = frame.place(slot);
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
                .style("left", web::Pixels(place.x))
                .style("top", "0px")
                .style("width", web::Pixels(place.width))
                .style("height", web::Pixels(place.height))
                .close();
        }
        markup.close();
    }
    markup.close();
}

WebBoard::WebBoard() : m_grid(web::ById("board"))
{
    for (int slot = 0; slot < model::PieceCount; ++slot)
        m_cells.push_back(web::ById("Picture2_" + std::to_string(slot)));
    kalvero_board_init(board::BorderColour, board::DashColour, board::DashLength);
}

int WebBoard::slotOf(val element) const
{
    for (int slot = 0; slot < model::PieceCount; ++slot) {
        if (web::IsElement(m_cells[std::size_t(slot)], element))
            return slot;
    }
    return -1;
}

void WebBoard::setSource(val picture) { kalvero_board_source(picture.as_handle()); }

void WebBoard::setUnit(double unit)
{
    // The window's corner is on a whole device pixel; the board's corner, Picture1's place
    // in it, is rounded to the nearest, and every slot is placed from there.
    m_unit = unit;
    const forms::PixelRect corner = forms::ToPixels(board::Picture1);
    m_origin = {int(std::lround(corner.x * unit)), int(std::lround(corner.y * unit)), 0, 0};
    const DeviceRect all = device({0, 0, corner.width, corner.height});
    kalvero_board_unit(unit, all.width, all.height, m_origin.x / unit - corner.x, m_origin.y / unit - corner.y);
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

WebBoard::DeviceRect WebBoard::device(const forms::PixelRect &rect) const
{
    // Each edge rounded on its own where it falls in the window, so that neighbours meet.
    const forms::PixelRect corner = forms::ToPixels(board::Picture1);
    const auto across = [&](int x) { return int(std::lround((corner.x + x) * m_unit)) - m_origin.x; };
    const auto down = [&](int y) { return int(std::lround((corner.y + y) * m_unit)) - m_origin.y; };
    return {across(rect.x), down(rect.y), across(rect.x + rect.width) - across(rect.x),
            down(rect.y + rect.height) - down(rect.y)};
}

void WebBoard::tile(int, const forms::PixelRect &place, const forms::PixelRect &cut)
{
    const DeviceRect from = device(cut), to = device(place);
    kalvero_board_tile(from.x, from.y, from.width, from.height, to.x, to.y, to.width, to.height);
}

void WebBoard::border(int, const forms::PixelRect &place)
{
    const DeviceRect to = device(place);
    const int line = std::max(1, int(std::lround(m_unit)));
    kalvero_board_ring(to.x, to.y, to.width, to.height, 0, line, board::BorderColour);
    kalvero_board_border(to.x, to.y, to.width, to.height, line, place.width);
}

void WebBoard::mark(int, const forms::PixelRect &place)
{
    const DeviceRect to = device(place);
    const int unit = std::max(1, int(std::lround(m_unit)));
    for (const board::Ring &ring : board::MarkRings)
        kalvero_board_ring(to.x, to.y, to.width, to.height, ring.inset * unit, ring.width * unit, ring.colour);
}

void WebBoard::dim(int, const forms::PixelRect &place)
{
    const DeviceRect to = device(place);
    kalvero_board_veil(to.x, to.y, to.width, to.height, board::DimColour, board::DimOpacity);
}

void WebBoard::outline(int, const forms::PixelRect &place, board::Rgb colour)
{
    const DeviceRect to = device(place);
    const int unit = std::max(1, int(std::lround(m_unit)));
    const board::Ring &edge = board::OutlineEdge;
    kalvero_board_ring(to.x, to.y, to.width, to.height, 0, board::OutlineWidth * unit, colour);
    kalvero_board_ring(to.x, to.y, to.width, to.height, edge.inset * unit, edge.width * unit, edge.colour);
}

void WebBoard::whole(bool shown)
{
    if (shown)
        kalvero_board_whole();
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
