// picture.cpp: the board's share of a picture.
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

} // namespace picture
