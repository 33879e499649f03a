// pictureheader.h: what the first bytes of a file say about it as a picture, before
// the browser decodes it: the format, and the size its header claims.
#pragma once

#include "picture/picture.h"

#include <cstddef>
#include <cstdint>

namespace picture {

// The formats the game opens, as on the desktop: the browser's own decoders read them.
enum class PictureFormat { Unknown, Jpeg, Png, Gif, WebP, Bmp };

struct PictureHeader
{
    PictureFormat format = PictureFormat::Unknown;
    std::int64_t width = 0, height = 0;   // 0 x 0 when the header tells no size
};

// More pixels than this are not decoded: the decoded picture alone would take 400 MB.
constexpr std::int64_t MaxPicturePixels = 100'000'000;

// How many bytes of a file's start ReadPictureHeader looks at, at most: a JPEG's
// size follows its metadata, which may hold a large thumbnail.
constexpr std::size_t HeaderBytes = 256 * 1024;

// The format by content (never by the file's name) and the size the header claims.
PictureHeader ReadPictureHeader(const std::uint8_t *data, std::size_t size);

// Empty, FileTooLarge or None, from the file's size alone.
picture::PictureError CheckFileSize(std::int64_t fileBytes);

// Why a file of fileBytes bytes that starts with `header` gives no picture, before
// any decoding; None when the browser should try to decode it.
picture::PictureError CheckBeforeDecoding(std::int64_t fileBytes, const PictureHeader &header);

} // namespace picture
