// crop.h: the third step of reading a picture: the board's part of a decoded
// picture, scaled to the board's size.
#pragma once

#include <QImage>
#include <QSize>

namespace decoder {

// The middle of `image` in the board's proportions (picture::CropToBoard), scaled with
// smooth filtering to `target`, opaque: transparent parts show white. Format_RGB32.
QImage CutForBoard(const QImage &image, const QSize &target);

} // namespace decoder
