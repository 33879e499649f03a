// crop.cpp: cutting and scaling a decoded picture for the board.
#include "desktop/decoder/crop.h"

#include "picture/picture.h"

#include <QPainter>

namespace decoder {

QImage CutForBoard(const QImage &image, const QSize &target)
{
    Q_ASSERT(!image.isNull() && !target.isEmpty());
    const picture::CropRect cut = picture::CropToBoard(image.width(), image.height());
    const QRect rect(cut.x, cut.y, cut.width, cut.height);
    QImage part;
    if (rect == image.rect()) {
        part = image;
    } else if (image.depth() >= 8 && image.colorCount() == 0) {
        // A view of the part's pixels, so that a large picture is not copied first.
        const uchar *corner = image.constBits() + qsizetype(rect.y()) * image.bytesPerLine()
                            + qsizetype(rect.x()) * (image.depth() / 8);
        part = QImage(corner, rect.width(), rect.height(), image.bytesPerLine(), image.format());
    } else {
        part = image.copy(rect);
    }
    part.setDevicePixelRatio(1.0);
    if (part.size() != target)
        part = part.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage board(target, QImage::Format_RGB32);
    board.fill(Qt::white);
    QPainter painter(&board);
    painter.drawImage(QPoint(0, 0), part);
    painter.end();
    return board;
}

} // namespace decoder
