// wholeness.h: whether a GIF or a BMP file holds all of its picture. Their decoders
// paint what a file cut short still has and call it a picture; both faces of the game
// ask these first and refuse such a file as damaged.
#pragma once

#include "picture/bytes.h"
#include "picture/format.h"

#include <cstdint>

namespace picture {

// Whether a file in `format` holds all of its picture, from the bytes read of it
// (`read`: all of them, when NeedsAllBytes says so) and its whole length in bytes.
// Only GIFs and bitmaps are judged here; every other format's decoder refuses data
// cut short itself.
bool IsWhole(PictureFormat format, FileBytes read, std::int64_t fileBytes);
bool NeedsAllBytes(PictureFormat format, FileBytes start);

// The blocks lead to the trailer and every image's data decodes to all its pixels:
// a GIF cut short and given its trailer back is not whole.
bool GifIsWhole(FileBytes file);

// A bitmap's start (or all of it), and its whole length in bytes. An uncompressed
// bitmap is whole when the file is as long as its rows need: its start tells. A
// run-length coded one is whole when its stream reaches its end mark or its last
// row: that needs all of the file (BmpNeedsAllBytes).
bool BmpIsWhole(FileBytes start, std::int64_t fileBytes);
bool BmpNeedsAllBytes(FileBytes start);

} // namespace picture
