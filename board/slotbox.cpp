// slotbox.cpp: painting and clicks of one slot box.
#include "board/slotbox.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

SlotBox::SlotBox(int index, QWidget *parent) : QWidget(parent), m_index(index)
{
    setObjectName(QStringLiteral("Picture2_%1").arg(index));
    setAttribute(Qt::WA_OpaquePaintEvent);   // the piece covers the whole box
    setFocusPolicy(Qt::NoFocus);
}

void SlotBox::setPiece(const QPixmap &source, const QRect &sourceRect)
{
    Q_ASSERT(!source.isNull() && source.rect().contains(sourceRect));
    if (sourceRect == m_sourceRect && source.cacheKey() == m_source.cacheKey())
        return;   // already showing it: nothing to repaint
    m_source = source;
    m_sourceRect = sourceRect;
    update();
}

void SlotBox::setBorderStyle(int style)
{
    Q_ASSERT(style == 0 || style == 1);
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    update();
    // A picked piece is a selected cell of the board's table.
    QAccessibleEvent event(this, style == 1 ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
    QAccessible::updateAccessibility(&event);
}

void SlotBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Unscaled at ratio 1; at higher ratios every source pixel becomes a sharp block.
    painter.drawPixmap(rect(), m_source, m_sourceRect);
    if (m_borderStyle == 1) {
        // One line, black with white dashes, so it shows on dark and on lit pieces.
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(frame);
        QPen dashes(Qt::white, 1, Qt::CustomDashLine);
        dashes.setDashPattern({3, 3});
        painter.setPen(dashes);
        painter.drawRect(frame);
    }
}

void SlotBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void SlotBox::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a left press and release inside the box.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked(m_index);
}
