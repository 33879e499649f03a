// slotbox.h: one slot of the board: shows a rectangle of the source picture until
// the next paint, a one-pixel border while its piece is picked, and reports clicks.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>

class SlotBox : public QWidget
{
    Q_OBJECT

public:
    SlotBox(int index, QWidget *parent);

    int index() const { return m_index; }
    void setPiece(const QPixmap &source, const QRect &sourceRect);   // sourceRect in source pixels
    QRect pieceRect() const { return m_sourceRect; }
    void setBorderStyle(int style);   // 0 no border, 1 a single line
    int borderStyle() const { return m_borderStyle; }

signals:
    void clicked(int index);   // a left click, or a screen reader's press action

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_index;
    QPixmap m_source;   // shared with every box; the box draws m_sourceRect of it
    QRect m_sourceRect;
    int m_borderStyle = 0;
    bool m_pressed = false;
};
