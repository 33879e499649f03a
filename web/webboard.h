// webboard.h: the board on the page: the play layer's drawing surface, one canvas at
// device pixels under the screen readers' grid of cells.
#pragma once

#include "board/surface.h"
#include "model/history.h"
#include "web/dom.h"

#include <vector>

// One element with the grid role holds a canvas the size of the board, drawn at the
// screen's device pixels, and over it five rows of six transparent cells in reading
// order, each the slot box Picture2(slot) at its designed place: they take the clicks
// and taps, carry the tooltips, and are what screen readers meet. The cells are made
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

    // The picture the pieces are cut from, in the board's proportions (a canvas), or
    // null for the built-in one. Every slot shows it from the next PaintBoard on.
    void setSource(web::val picture);
    // Device pixels to a design pixel: the window's scale times the screen's pixel
    // ratio. The canvas is sized anew; every slot is drawn again by the next PaintBoard.
    void setUnit(double unit);
    void setName(std::string_view name);   // the board's name for screen readers

    // The cursor's cell is the board's one Tab stop (a roving tabindex); it takes the
    // focus along when the board has it.
    void followCursor(int slot);
    bool hasFocus() const;   // the focus is on one of the cells

    // board::Surface
    void tile(int slot, const forms::PixelRect &place, const forms::PixelRect &cut) override;
    void border(int slot, const forms::PixelRect &place) override;
    void mark(int slot, const forms::PixelRect &place) override;
    void dim(int slot, const forms::PixelRect &place) override;
    void outline(int slot, const forms::PixelRect &place, board::Rgb colour) override;
    void whole(bool shown) override;
    void label(int slot, std::string_view tooltip, std::string_view name) override;
    void selected(int slot, bool picked) override;

private:
    struct DeviceRect
    {
        int x, y, width, height;
    };
    DeviceRect device(const forms::PixelRect &rect) const;   // from the board's corner

    web::val m_grid;
    std::vector<web::val> m_cells;   // by slot
    double m_unit = 1;
    DeviceRect m_origin{0, 0, 0, 0};   // the board's corner in device pixels from the window's
    int m_tabStop = 0;               // the cell with tabindex 0
};
