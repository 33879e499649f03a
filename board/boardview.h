// boardview.h: the 30 slot boxes on the window, painted from the source picture.
#pragma once

#include "model/geometry.h"

#include <QObject>
#include <QPixmap>
#include <QRect>

#include <array>

class BoardGrid;
class QWidget;
class SlotBox;

// A control's place in pixels from its place in twips.
QRect TwipsToRect(const forms::TwipRect &twips);
namespace model {
class Game;
}

// Owns the source picture and the slot boxes Picture2(0) to Picture2(29), which
// sit directly on the window. Box 0 lives as long as the view; boxes 1 to 29 are
// made by BuildBoard and destroyed by RebuildBoard. The view only reads the game,
// and PaintBoard is the one place that changes what a box shows.
class BoardView : public QObject
{
    Q_OBJECT

public:
    explicit BoardView(QWidget *window);

    SlotBox *Picture2(int index) const { return m_boxes[std::size_t(index)]; }
    BoardGrid *grid() const { return m_grid; }
    const QPixmap &source() const { return m_source; }
    // The picture the pieces are cut from: 300 x 250, or null for the built-in one.
    // The boxes show it from the next PaintBoard on.
    void setSource(const QImage &picture);
    bool showsBuiltIn() const { return m_source.cacheKey() == m_builtIn.cacheKey(); }

    void BuildBoard(const model::Game &game);     // places box 0, makes and places 1 to 29, paints
    void RebuildBoard(const model::Game &game);   // destroys 1 to 29, then builds again
    // Every box from the game: its current tile, tooltip and screen-reader name,
    // and a border while its piece is picked. A box that already shows all that
    // is left alone, so only what changed is repainted.
    void PaintBoard(const model::Game &game);

signals:
    void Picture2_Click(int index);

private:
    SlotBox *makeBox(int index);

    QWidget *m_window;
    const QPixmap m_builtIn;   // the program's own picture
    QPixmap m_source;          // the picture the pieces are cut from
    std::array<SlotBox *, 30> m_boxes{};
    BoardGrid *m_grid = nullptr;   // over the boxes: the keyboard's cursor and the screen readers' table
};
