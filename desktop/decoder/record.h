// record.h: the one record the decoder child writes on its standard output: the
// child's writing of it and the game's reading of it, both sides in one place.
#pragma once

#include "desktop/decoder/decode.h"

#include <QByteArrayView>
#include <QImage>
#include <QSize>

#include <cstdio>

namespace decoder {

// The record: "KLV1", then the picture's error, the width, the height, the lesson's
// error and the length of the lesson's part as 32-bit little-endian numbers, then
// width x height pixels of 0xffRRGGBB in the machine's byte order, row by row, then
// the lesson's part, for a lesson only: textCut (0 or 1), whether it has a start (0
// or 1), the start's 30 tiles (zeros without one), and the text in UTF-8. A refusal,
// the picture's or the lesson's, is 0 x 0 and has neither pixels nor a lesson's part.
// The child writes nothing else on its standard output and then exits with 0.
constexpr qsizetype RecordHeaderBytes = 24;
constexpr qsizetype LessonPartHeaderBytes = 2 + model::PieceCount;
constexpr qsizetype LongestLessonText = qsizetype(lesson::MaxTextLength) * 4;   // UTF-8 bytes

// The child's side. They write through `out`'s buffer; the caller flushes it and
// checks for errors. WriteRefusal allocates nothing, so that it can tell of memory
// running out.
void WriteRefusal(std::FILE *out, PictureError error);              // error is not None
void WriteRefusal(std::FILE *out, lesson::LessonError error);       // error is not None
// Format_RGB32; with a lesson, its text (valid UTF-8, MaxTextLength at most), textCut and start.
void WritePicture(std::FILE *out, const QImage &picture, const std::optional<lesson::Lesson> &lesson = {});

// The game's side. The longest record a child asked for `target` may write: one
// that says more is not itself.
qsizetype LongestRecord(const QSize &target);

// What a child asked for `target` said, when it ended by itself with `exitCode`:
// its picture, opaque whatever alpha the child sent, with a lesson's part if it sent
// one; its refusal; or DecoderCrashed for anything but exit code 0 and exactly one
// record of the target's size and pixels, or of one known refusal without them. A
// lesson's part must hold flags of 0 or 1, a start that is a permutation (or zeros
// without one) and a text of valid UTF-8 no longer than a lesson's text may be.
Decoded ReadRecord(QByteArrayView record, int exitCode, const QSize &target);

} // namespace decoder
