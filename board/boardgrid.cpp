// boardgrid.cpp: the cursor's keys, its mark, and the focus events screen readers follow.
#include "board/boardgrid.h"

#include "board/boardview.h"
#include "model/geometry.h"
#include "board/qtext.h"
#include "board/slotbox.h"
#include "model/history.h"
#include "model/texts.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <utility>

namespace {

// A ring of the given width just inside rect.
void ring(QPainter &painter, const QRect &rect, int width, const QColor &colour)
{
    QPainterPath path;
    path.addRect(rect);
    path.addRect(rect.adjusted(width, width, -width, -width));   // odd-even fill leaves the inside
    painter.fillPath(path, colour);
}

} // namespace

BoardGrid::BoardGrid(const BoardView *view, QWidget *window) : QWidget(window), m_view(view)
{
    setObjectName(QStringLiteral("board"));
    setAttribute(Qt::WA_TransparentForMouseEvents);   // clicks and tooltips belong to the boxes
    setFocusPolicy(Qt::TabFocus);                     // a click never shows the mark
    setGeometry(TwipsToRect(model::Picture1));
    setAccessibleName(toQString(model::texts::BoardName));
}

void BoardGrid::moveCursorTo(int slot)
{
    Q_ASSERT(slot >= 0 && slot < model::PieceCount);
    if (slot == m_cursor)
        return;
    const int from = std::exchange(m_cursor, slot);
    if (hasFocus()) {   // only then is the mark drawn
        update(cellRect(from));
        update(cellRect(m_cursor));
        announceCursor();
    }
}

void BoardGrid::keyPressEvent(QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    int column = m_cursor / model::GridRows;
    int row = m_cursor % model::GridRows;
    switch (event->key()) {
    case Qt::Key_Left: column = std::max(column - 1, 0); break;
    case Qt::Key_Right: column = std::min(column + 1, model::GridColumns - 1); break;
    case Qt::Key_Up: row = std::max(row - 1, 0); break;
    case Qt::Key_Down: row = std::min(row + 1, model::GridRows - 1); break;
    case Qt::Key_Home: column = 0; break;
    case Qt::Key_End: column = model::GridColumns - 1; break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit picked(m_cursor);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    moveCursorTo(column * model::GridRows + row);
}

void BoardGrid::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(cellRect(m_cursor));
    // After the focus event Qt sends for the grid itself, so that a reader ends on the cell.
    QMetaObject::invokeMethod(this, &BoardGrid::announceCursor, Qt::QueuedConnection);
}

void BoardGrid::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update(cellRect(m_cursor));
}

void BoardGrid::paintEvent(QPaintEvent *)
{
    if (!hasFocus())
        return;
    // Black, yellow and black again, inside the one-pixel pick border: clear on dark and
    // on light pieces, and unlike the dashed border, which shows beside it.
    QPainter painter(this);
    const QRect cell = cellRect(m_cursor);
    ring(painter, cell.adjusted(2, 2, -2, -2), 4, Qt::black);
    ring(painter, cell.adjusted(3, 3, -3, -3), 2, QColor(255, 214, 0));
}

QRect BoardGrid::cellRect(int slot) const
{
    const SlotBox *box = m_view ? m_view->Picture2(slot) : nullptr;
    return box ? box->geometry().translated(-pos()) : QRect();
}

void BoardGrid::announceCursor()
{
    if (!hasFocus())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(model::ReadingIndex(m_cursor));
    QAccessible::updateAccessibility(&event);
}
