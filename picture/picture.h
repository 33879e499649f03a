// picture.h: a picture of the player's own: the part of it the board shows, and
// why a file gives none. Every face of the game cuts and refuses alike.
#pragma once

#include <cstdint>

namespace picture {

constexpr int PictureWidth = 300, PictureHeight = 250;   // the board's source, in design pixels
constexpr std::int64_t MaxPictureFileBytes = std::int64_t(128) << 20;

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
    TooLarge,         // its pixels would not fit the decoder's memory
    Damaged,          // cut short or corrupt
    TooComplex,       // its decoding ran out of time
    DecoderCrashed,   // its decoding broke down
};

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
