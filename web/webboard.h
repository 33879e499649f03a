// webboard.h: the 30 slots on the page, painted from the source picture.
#pragma once

#include "model/history.h"
#include "web/dom.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace model {
class Game;
}

// The board is one element with the grid role: five rows of six cells in reading
// order, each cell the slot box Picture2(slot) at its designed place. A cell shows
// its tile as a 50 x 50 window onto the source picture, and the pick border as a
// second image over it. The view only reads the game, and PaintBoard is the one
// place that changes what a cell shows; nothing is destroyed to rebuild.
class WebBoard
{
public:
    // The board's elements, each cell at its slot's place; made once, with the window.
    static void Write(web::Markup &markup);
    // Takes the elements Write made; `clicked` gets the slot of each left click.
    explicit WebBoard(std::function<void(int slot)> clicked);

    web::val grid() const { return m_grid; }
    web::val Picture2(int slot) const { return m_cells[std::size_t(slot)]; }
    int slotOf(web::val element) const;   // -1 for an element that is no cell

    // The picture the pieces are cut from, as a URL of a 300 x 250 image; empty
    // for the built-in one. The cells show it from the next PaintBoard on.
    void setSource(const std::string &url);
    bool showsBuiltIn() const { return m_source.empty(); }

    // The whole picture over the cells, the board named for what it shows; the
    // cells, their picks and the cursor stay as they are beneath it.
    void setWholePictureShown(bool shown);

    void BuildBoard(const model::Game &game);     // the cells stand at their places: paints
    void RebuildBoard(const model::Game &game);   // builds again; no cell is remade
    // Every cell from the game: its tile, tooltip, screen-reader name, and the
    // border and selected state while its piece is picked. A cell that already
    // shows all that is left alone.
    void PaintBoard(const model::Game &game);

private:
    struct Shown
    {
        int tile = -1;      // -1: nothing shown yet
        int border = -1;
    };

    web::val m_grid;
    std::vector<web::val> m_cells;   // by slot
    std::array<Shown, model::PieceCount> m_shown{};
    std::string m_source;      // empty: the built-in picture
    int m_sourceNumber = 0;    // grows with each setSource
    int m_paintedSource = -1;  // the source the cells show
};
