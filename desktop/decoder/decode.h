// decode.h: the second step of reading a picture: its bytes made into the board's
// source. It runs in the decoder child (child.h), never in the game's own process.
#pragma once

#include "lesson/lesson.h"
#include "picture/picture.h"

#include <QByteArrayView>
#include <QImage>
#include <QSize>

#include <optional>

namespace decoder {

using picture::PictureError;

// What a file gave: a picture, or a lesson's picture with its text and start, or
// why it gave neither: the picture's reason (a lesson's picture is judged as any
// picture), or the lesson's (a web page that is no lesson the game can open).
struct Decoded
{
    QImage picture;   // `target` in size, opaque RGB32, when both errors are None; null otherwise
    PictureError error = PictureError::None;
    lesson::LessonError lessonError = lesson::LessonError::None;   // never set with `error`
    std::optional<lesson::Lesson> lesson{};   // a lesson's text, textCut and start; its `picture` is empty

    bool opened() const { return error == PictureError::None && lessonError == lesson::LessonError::None; }
};

// The picture in `data`, turned as its EXIF orientation says, its middle in the
// board's proportions scaled with smooth filtering to `target`. The format is the
// core's, by content (picture/format.h), and so are the refusals before decoding and
// the limit (picture::FitsDecodeLimit) at the scale the picture is decoded at. A
// JPEG is decoded by libjpeg(-turbo) at the smallest of its scales (down to 1/8)
// that still covers the target, and turned as its EXIF block (picture/exif.h) says.
// It is refused as damaged when the decoder warns of corrupt or missing data or a
// progressive one leaves coefficients unrefined, but not for harmless warnings (an
// unknown JFIF revision, stray bytes before a marker, an odd scan header); one of
// more than 500 scans is TooComplex, a 12-bit or lossless one VariantNotRead.
// The other formats go to Qt's readers, by their named format only. Data cut short
// or corrupt is refused rather than shown in part.
Decoded DecodePicture(QByteArrayView data, const QSize &target);

// A file's bytes as the decoder child takes them: a web page is read as a lesson
// (lesson/lesson.h), which it must be, and its picture decoded as DecodePicture
// decodes any picture, under the same limits and verdicts; everything else is a picture.
Decoded DecodeFile(QByteArrayView data, const QSize &target);

} // namespace decoder
