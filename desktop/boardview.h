// boardview.h: the board: one widget over the source picture's rectangle that
// draws the 30 slots as regions of itself.
#pragma once

#include "forms/numbers.h"
#include "model/history.h"

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>

namespace model {
class Game;
}

// A control's place in pixels from its place in twips.
QRect TwipsToRect(const forms::TwipRect &twips);

// Shows the game's arrangement: each slot its tile of the source picture, a
// one-pixel border while its piece is picked, and its tile's number as a tooltip.
// PaintBoard is the one place that changes what a slot shows; a slot keeps it
// until the next PaintBoard. The board only reads the game.
//
// It is one stop of the Tab order with a cursor on one slot: the arrow keys move it
// a column or a row and stop at the edges, Home and End go to the ends of its row,
// and Space or Enter picks the slot under it as a left click does; a click moves
// the cursor to the clicked slot. The cursor's mark shows only while the board has
// keyboard focus, so mouse play shows nothing of it. Screen readers meet the board
// as a table of 5 rows and 6 columns whose cells are the slots (boardaccessible.h).
class BoardView : public QWidget
{
    Q_OBJECT

public:
    explicit BoardView(QWidget *window);

    // The picture the pieces are cut from, in the board's proportions: 300 x 250 or the
    // board's size in device pixels, or null for the built-in one. The slots show it
    // from the next PaintBoard on.
    void setSource(const QImage &picture);
    const QPixmap &source() const { return m_source; }
    bool showsBuiltIn() const { return m_source.cacheKey() == m_builtIn.cacheKey(); }

    void BuildBoard(const model::Game &game);     // places the 30 slots over the holder, then paints
    void RebuildBoard(const model::Game &game);   // forgets what every slot shows, then builds again
    // Every slot from the game: its current tile, tooltip and screen-reader name,
    // and a border while its piece is picked. A slot that already shows all that is
    // left alone, so only what changed is repainted.
    void PaintBoard(const model::Game &game);

    // What a slot shows, as the last PaintBoard left it. 0 <= slot < PieceCount.
    QRect slotRect(int slot) const { return m_slots[std::size_t(slot)].place; }   // in the board's pixels
    QRect pieceRect(int slot) const { return m_slots[std::size_t(slot)].piece; }  // in the source's pixels
    int borderStyle(int slot) const { return m_slots[std::size_t(slot)].BorderStyle; }   // 0 none, 1 a line
    QString toolTipText(int slot) const { return m_slots[std::size_t(slot)].ToolTipText; }
    QString slotName(int slot) const { return m_slots[std::size_t(slot)].name; }   // "Поле 7: част 13"
    int slotAt(const QPoint &point) const;   // -1 outside every slot

    // A glance at the whole painting: it covers the board until the next click or key
    // anywhere in the window, which does nothing else. The game, its picks, the cursor
    // and the message box stay as they were.
    void showWholePicture();
    bool showsWholePicture() const { return m_glancing; }

    int cursorSlot() const { return m_cursor; }
    void moveCursorTo(int slot);   // 0 <= slot < PieceCount
    void pressSlot(int slot);      // a click's effect: the cursor goes there, and the slot is picked

signals:
    void Picture2_Click(int index);   // a left click, Space or Enter on the cursor, or a reader's press
    void openPictureAsked();          // the menu's "Отвори картина…"
    void builtInPictureAsked();       // the menu's "Върни вградената картина"

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct Slot
    {
        QRect place;           // where it sits on the board
        QPixmap source;        // the picture it was cut from
        QRect piece;           // the rectangle of that picture it shows; null before the first paint
        int BorderStyle = 0;
        QString ToolTipText;
        QString name;
    };
    void announceCursor();
    void endGlance();
    QPixmap forDevice(const QImage &picture) const;

    const QPixmap m_builtIn;   // the program's own picture
    QPixmap m_source;          // the picture the pieces are cut from
    std::array<Slot, model::PieceCount> m_slots;
    int m_cursor = 0;
    int m_pressed = -1;        // the slot a left press began on
    bool m_glancing = false;
    bool m_ending = false;     // the click or key that ended a glance is still coming in
};
