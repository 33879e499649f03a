// exif.cpp: the JPEG's segments walked to its EXIF block, and its first directory read.
#include "picture/exif.h"

namespace picture {

namespace {

constexpr std::uint32_t OrientationTag = 0x0112, ShortType = 3;

// The orientation in an EXIF block's TIFF structure, 0 when it has none.
int tiffOrientation(FileBytes tiff)
{
    const ByteReader bytes(tiff);
    const bool little = bytes.is(0, "II");
    if (!little && !bytes.is(0, "MM"))
        return 0;
    const auto read = [&](std::size_t at, int count) { return little ? bytes.little(at, count) : bytes.big(at, count); };
    if (!bytes.has(0, 8) || read(2, 2) != 42)
        return 0;
    const std::size_t directory = read(4, 4);
    if (!bytes.has(directory, 2))
        return 0;
    const std::size_t entries = read(directory, 2);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if (!bytes.has(entry, 12))
            return 0;
        if (read(entry, 2) == OrientationTag)
            return read(entry + 2, 2) == ShortType && read(entry + 4, 4) == 1 ? int(read(entry + 8, 2)) : 0;
    }
    return 0;
}

} // namespace

int ExifOrientation(FileBytes jpeg)
{
    const ByteReader bytes(jpeg);
    if (!bytes.has(0, 2) || bytes.big(0, 2) != 0xFFD8)
        return 1;
    std::size_t at = 2;
    while (bytes.has(at, 2) && bytes.big(at, 1) == 0xFF) {
        const std::uint32_t marker = bytes.big(at + 1, 1);
        if (marker == 0xFF) {   // a fill byte before the marker
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)   // the first scan, or the end: no EXIF before it
            return 1;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {   // markers without a length
            at += 2;
            continue;
        }
        if (!bytes.has(at + 2, 2))
            return 1;
        const std::size_t length = bytes.big(at + 2, 2);
        if (length < 2 || !bytes.has(at + 2, length))
            return 1;
        if (marker == 0xE1 && length >= 8 && bytes.is(at + 4, std::string_view("Exif\0\0", 6))) {
            const int orientation = tiffOrientation(jpeg.subspan(at + 10, length - 8));
            return orientation >= 1 && orientation <= 8 ? orientation : 1;
        }
        at += 2 + length;
    }
    return 1;
}

} // namespace picture
