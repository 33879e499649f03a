// record.h: the one record the decoder child writes on its standard output: the
// child's writing of it and the game's reading of it, both sides in one place.
#pragma once

#include "desktop/decoder/decode.h"

#include <QByteArrayView>
#include <QImage>
#include <QSize>

#include <cstdio>

namespace decoder {

// The record: "KLV1", then the error, the width and the height as 32-bit
// little-endian numbers, then width x height pixels of 0xffRRGGBB in the machine's
// byte order, row by row. A refusal is 0 x 0 and has no pixels. The child writes
// nothing else on its standard output and then exits with 0.
constexpr qsizetype RecordHeaderBytes = 16;

// The child's side. Both write through `out`'s buffer; the caller flushes it and
// checks for errors. WriteRefusal allocates nothing, so that it can tell of memory
// running out.
void WriteRefusal(std::FILE *out, PictureError error);      // error is not None
void WritePicture(std::FILE *out, const QImage &picture);   // Format_RGB32

// The game's side. The longest record a child asked for `target` may write: one
// that says more is not itself.
qsizetype LongestRecord(const QSize &target);

// What a child asked for `target` said, when it ended by itself with `exitCode`:
// its picture, opaque whatever alpha the child sent; its refusal; or DecoderCrashed
// for anything but exit code 0 and exactly one record of a known error with the
// target's size and pixels, or of a refusal without them.
Decoded ReadRecord(QByteArrayView record, int exitCode, const QSize &target);

} // namespace decoder
