// boardgrid.h: the board as one stop of the keyboard, with a cursor over its slots.
#pragma once

#include <QPointer>
#include <QWidget>

class BoardView;

// Lies over the 30 slot boxes as one stop of the Tab order; the mouse reaches the
// boxes through it. One slot has the cursor: the arrow keys move it a column or a
// row and stop at the edges, Home and End go to the ends of its row, and Space or
// Enter picks the slot under it as a left click does. A click moves the cursor to
// the clicked slot. The cursor's mark shows only while the grid has keyboard
// focus, so mouse play shows nothing of it. Screen readers meet the grid as a
// table of 5 rows and 6 columns whose cells are the slot boxes (boardaccessible.h).
class BoardGrid : public QWidget
{
    Q_OBJECT

public:
    BoardGrid(const BoardView *view, QWidget *window);

    const BoardView *view() const { return m_view; }   // null once the view is gone
    int cursorSlot() const { return m_cursor; }
    void moveCursorTo(int slot);   // 0 <= slot < PieceCount

signals:
    void picked(int slot);   // Space or Enter on the cursor

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QRect cellRect(int slot) const;   // in the grid's own coordinates
    void announceCursor();

    QPointer<const BoardView> m_view;   // the view may go first when the window closes
    int m_cursor = 0;
};
