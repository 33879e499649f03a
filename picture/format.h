// format.h: what a file's first bytes say about it as a picture, and whether a face tries to decode it.
#pragma once

#include "picture/bytes.h"
#include "picture/picture.h"

#include <cstddef>
#include <cstdint>

namespace picture {

// The formats the game opens, told by their signatures.
enum class PictureFormat { Unknown, Jpeg, Png, Gif, WebP, Bmp, Tiff };

struct PictureHeader
{
    PictureFormat format = PictureFormat::Unknown;
    std::int64_t width = 0, height = 0;   // as stored, before any EXIF turn; 0 x 0 when the header tells no size
    bool phonePhoto = false;   // Unknown, but a HEIC or AVIF photo by its file-type box
};

// The format by content (never by the file's name) and the size the header claims.
// Any file that starts with "BM" is a bitmap, however short: its decoder calls a
// header cut short damaged.
PictureHeader ReadPictureHeader(FileBytes start);

// The decoders a face has. Both decode a JPEG with libjpeg at one of its scales, down
// to 1/8, and every other picture whole; the browser's read no TIFF.
enum class Decoders { Desktop, Browser };

// Empty, FileTooLarge or None, from the file's size alone.
PictureError CheckFileSize(std::int64_t fileBytes);

// Why a file of fileBytes bytes that starts with `header` gives no picture with
// `decoders`, before any decoding: its size, its format, or its declared size against
// FitsDecodeLimit at the smallest scale those decoders use. None when they should
// try; the desktop's decoder checks a JPEG again at the scale it picks.
PictureError CheckBeforeDecoding(std::int64_t fileBytes, const PictureHeader &header, Decoders decoders);

} // namespace picture
