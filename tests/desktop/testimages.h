// testimages.h: comparing what a slot shows with the piece of the source it should show.
#pragma once

#include <QColorSpace>
#include <QImage>
#include <QPixmap>

// Pixels only: no format, colour profile or pixel ratio takes part in a comparison.
inline QImage pixels(const QImage &image)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    out.setColorSpace(QColorSpace());
    out.setDevicePixelRatio(1.0);
    return out;
}

// The 50 x 50 piece of the source that tile `tile` covers (column tile / 5, row tile % 5).
inline QImage piece(const QPixmap &source, int tile)
{
    return pixels(source.copy((tile / 5) * 50, (tile % 5) * 50, 50, 50).toImage());
}

#include "desktop/boardview.h"

#include <QTest>

// What the board shows in one slot, as the player sees it.
inline QImage slotImage(BoardView *board, int slot) { return pixels(board->grab(board->slotRect(slot)).toImage()); }

// A click in the middle of a slot.
inline void clickSlot(BoardView *board, int slot, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(board, button, {}, board->slotRect(slot).center());
}
