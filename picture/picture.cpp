// picture.cpp: the board's share of a picture, and the limit on its decoding.
#include "picture/picture.h"

#include <algorithm>
#include <cassert>

namespace picture {

CropRect CropToBoard(int width, int height)
{
    assert(width >= 1 && height >= 1);
    const std::int64_t w = width, h = height;
    if (w * PictureHeight > h * PictureWidth) {   // wider than the board
        const auto part = std::max<std::int64_t>(1, (h * PictureWidth + PictureHeight / 2) / PictureHeight);
        return {int((w - part) / 2), 0, int(part), height};
    }
    // Faces in portraits sit in the upper part: a third of the overflow goes from the top.
    const auto part = std::max<std::int64_t>(1, (w * PictureHeight + PictureWidth / 2) / PictureWidth);
    return {0, int((h - part) / 3), width, int(part)};
}

bool FitsDecodeLimit(std::int64_t width, std::int64_t height, DecodeScale scale)
{
    assert(width >= 0 && height >= 0 && width < (std::int64_t(1) << 32) && height < (std::int64_t(1) << 32));
    assert(scale.numerator >= 1 && scale.denominator >= 1);
    if (width == 0 || height == 0)
        return true;
    const auto scaled = [&](std::int64_t side) { return (side * scale.numerator + scale.denominator - 1) / scale.denominator; };
    // Divided, not multiplied: two sides of 2^32 would overflow.
    return scaled(width) <= MaxDecodedBytes / DecodedBytesPerPixel / scaled(height);
}

} // namespace picture
