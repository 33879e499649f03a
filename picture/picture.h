// picture.h: a picture of the player's own: the part of it the board shows, the
// limits it must keep, and why a file gives none. Every face cuts and refuses alike.
#pragma once

#include <cstdint>

namespace picture {

constexpr int PictureWidth = 300, PictureHeight = 250;   // the board's source, in design pixels
constexpr std::int64_t MaxPictureFileBytes = std::int64_t(128) << 20;

// The most memory one decoded picture may take, at 4 bytes a pixel: 67,108,864 pixels.
constexpr std::int64_t MaxDecodedBytes = std::int64_t(256) << 20;
constexpr std::int64_t DecodedBytesPerPixel = 4;

// A scale a decoder applies while decoding, numerator / denominator: libjpeg's
// run from 1/8 to 1; every other decoder decodes at 1. A scaled side is rounded up.
struct DecodeScale
{
    int numerator = 1, denominator = 1;
};

// Whether a width x height picture, decoded at `scale`, fits MaxDecodedBytes. Every
// face asks this of the size it will decode, declared or decoded; an unknown size
// (0) fits, and its decoder decides. 0 <= width, height < 2^32, as headers hold them.
bool FitsDecodeLimit(std::int64_t width, std::int64_t height, DecodeScale scale = {});

// Why a file gave no picture. The game the player had stays as it was.
enum class PictureError {
    None,
    Missing,          // no such file
    Folder,           // a folder, not a file
    NotAFile,         // a pipe, a device or a socket
    Unreadable,       // no permission to read it
    ReadFailed,       // the system could not read it
    Empty,            // no bytes at all
    FileTooLarge,     // more than MaxPictureFileBytes
    NotAnImage,       // not in a format the game reads
    TooLarge,         // its decode would not fit MaxDecodedBytes
    Damaged,          // cut short or corrupt
    TooComplex,       // its decoding ran out of time
    NotReadHere,      // in a format this face's decoders do not read: TIFF in the browser
    VariantNotRead,   // a variant of its format the decoders do not read: a 12-bit or lossless JPEG, a floating-point TIFF
    ReadStalled,      // its drive stopped answering while it was read
    DecoderCrashed,   // its decoding broke down
    PhotoFormatNotRead,   // a HEIC or AVIF photo, as phones take them: no face reads those
};
constexpr int PictureErrorCount = int(PictureError::PhotoFormatNotRead) + 1;   // PhotoFormatNotRead is the last

// A rectangle in the picture's own pixels.
struct CropRect
{
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const CropRect &) const = default;
};

// The largest part of a width x height picture in the board's proportions (6 : 5),
// at least one pixel each way. A wide picture loses the same from both sides; a
// tall one, a portrait say, a third of its overflow from the top and two thirds from
// the bottom, so that faces stay. width, height >= 1.
CropRect CropToBoard(int width, int height);

} // namespace picture
