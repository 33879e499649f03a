// webboard.h: the board on the page: the play layer's drawing surface over the DOM.
#pragma once

#include "board/surface.h"
#include "model/history.h"
#include "web/dom.h"

#include <string>
#include <vector>

// One element with the grid role: five rows of six cells in reading order, each cell
// the slot box Picture2(slot) at its designed place. A cell shows its tile as a
// 50 x 50 window onto the source picture, and the pick border as a second image over
// it; the cursor's mark is one element laid over the cursor's cell. The cells are made
// once, with the window, and never remade.
class WebBoard : public board::Surface
{
public:
    // The board's elements, each cell at its slot's place; made once, with the window.
    static void Write(web::Markup &markup);
    WebBoard();   // takes the elements Write made

    web::val grid() const { return m_grid; }
    web::val Picture2(int slot) const { return m_cells[std::size_t(slot)]; }
    int slotOf(web::val element) const;   // -1 for an element that is no cell

    // The picture the pieces are cut from, as a URL of a 300 x 250 image; empty for
    // the built-in one. The cells show it from the next PaintBoard on.
    void setSource(const std::string &url);
    void setName(std::string_view name);   // the board's name for screen readers

    // The cursor's cell is the board's one Tab stop (a roving tabindex); it takes the
    // focus along when the board has it.
    void followCursor(int slot);
    bool hasFocus() const;   // the focus is on one of the cells

    // board::Surface
    void tile(int slot, const forms::PixelRect &place, const forms::PixelRect &cut) override;
    void border(int slot, const forms::PixelRect &place) override;
    void mark(int slot, const forms::PixelRect &place) override;
    void whole(bool shown) override;
    void label(int slot, std::string_view tooltip, std::string_view name) override;
    void selected(int slot, bool picked) override;

private:
    web::val m_grid;
    web::val m_mark;
    std::vector<web::val> m_cells;   // by slot
    int m_markSlot = -1;             // where the mark shows; -1: nowhere
    int m_tabStop = 0;               // the cell with tabindex 0
};
