// colourbutton.cpp: the face, edge, focus mark and caption of a command button.
#include "desktop/colourbutton.h"

#include <QKeyEvent>
#include <QPainter>

ColourButton::ColourButton(const QString &caption, const QColor &face, QWidget *parent)
    : QPushButton(caption, parent), m_face(face)
{
    setAutoDefault(false);   // the window has no default button
}

void ColourButton::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the focused button, as Space does.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void ColourButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    // The face darkens while the button is held down; the edge is one line, and
    // the focused button gets a second line inside it.
    painter.fillRect(rect(), isDown() ? m_face.darker(118) : m_face);
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(frame);
    if (hasFocus()) {
        painter.setPen(Qt::black);
        painter.drawRect(frame.adjusted(1, 1, -1, -1));
    }
    painter.setPen(Qt::black);
    painter.drawText(rect().translated(isDown() ? 1 : 0, isDown() ? 1 : 0), Qt::AlignCenter, text());
}
