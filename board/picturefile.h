// picturefile.h: a picture the player opens, made into the board's 300 x 250 source;
// and the program's own images, read by their named format.
#pragma once

#include "model/picture.h"

#include <QImage>

class QByteArray;
class QString;

namespace board {

using model::PictureError;
constexpr qint64 MaxPictureFileBytes = model::MaxPictureFileBytes;
constexpr qint64 MaxPicturePixels = 100'000'000;

struct OpenedPicture
{
    QImage picture;   // 300 x 250, opaque RGB32, when error is None; null otherwise
    PictureError error = PictureError::None;
};

// Sets the readers' allocation limit and starts listening to what they say while
// they decode. Once, on the GUI thread, before a picture is decoded on another
// thread; the first decode calls it too.
void PrepareReaders();

// Reads the file at `path` on any thread. It checks the file's type before it
// opens it, so a pipe or a device never blocks, and reads at most
// MaxPictureFileBytes.
OpenedPicture OpenPictureFile(const QString &path);

// The picture in `data`, whatever its format: content decides, not a file name.
// The EXIF orientation is applied; the middle of the picture in the board's
// proportions is scaled with smooth filtering to 300 x 250, so the overflow is
// cropped evenly from both sides. A large JPEG is decoded at 1/2, 1/4 or 1/8 of its
// size straight away. Truncated or corrupt data is refused rather than shown in part.
OpenedPicture DecodePicture(const QByteArray &data);

} // namespace board
