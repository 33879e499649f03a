// format.cpp: the signatures and size fields of the formats the game reads.
#include "picture/format.h"

namespace picture {

namespace {

// The frame header's size: segments are passed by their lengths, so a thumbnail
// inside the metadata is never taken for the picture.
PictureHeader jpeg(const ByteReader &b)
{
    PictureHeader header{PictureFormat::Jpeg};
    std::size_t at = 2;
    while (b.has(at, 4)) {
        if (b.big(at, 1) != 0xFF)
            break;
        const std::uint32_t marker = b.big(at + 1, 1);
        if (marker == 0xFF) {   // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (b.has(at, 9)) {
                header.height = b.big(at + 5, 2);
                header.width = b.big(at + 7, 2);
            }
            break;
        }
        if (marker == 0xDA || marker == 0xD9)
            break;   // coded data, or the end, before any frame header
        at += 2 + b.big(at + 2, 2);
    }
    return header;
}

PictureHeader webp(const ByteReader &b)
{
    PictureHeader header{PictureFormat::WebP};
    if (b.is(12, "VP8 ") && b.has(26, 4)) {
        header.width = b.little(26, 2) & 0x3FFF;
        header.height = b.little(28, 2) & 0x3FFF;
    } else if (b.is(12, "VP8L") && b.has(21, 4)) {
        const std::uint32_t bits = b.little(21, 4);
        header.width = (bits & 0x3FFF) + 1;
        header.height = ((bits >> 14) & 0x3FFF) + 1;
    } else if (b.is(12, "VP8X") && b.has(24, 6)) {
        header.width = std::int64_t(b.little(24, 3)) + 1;
        header.height = std::int64_t(b.little(27, 3)) + 1;
    }
    return header;
}

PictureHeader bmp(const ByteReader &b)
{
    PictureHeader header{PictureFormat::Bmp};
    if (!b.has(14, 4))
        return header;
    const std::uint32_t size = b.little(14, 4);
    if (size == 12 && b.has(18, 4)) {
        header.width = b.little(18, 2);
        header.height = b.little(20, 2);
    } else if (size >= 40 && b.has(18, 8)) {
        const auto width = std::int32_t(b.little(18, 4)), height = std::int32_t(b.little(22, 4));
        header.width = width < 0 ? -std::int64_t(width) : width;
        header.height = height < 0 ? -std::int64_t(height) : height;
    }
    return header;
}

// The first image's width and height tags (256, 257) in the first directory, each a
// SHORT or a LONG, in the byte order the file's first two bytes name.
// A classic TIFF, or a BigTIFF, whose offsets and counts take 8 bytes and its
// directory entries 20.
PictureHeader tiff(const ByteReader &b, bool big)
{
    PictureHeader header{PictureFormat::Tiff};
    const bool bigEndian = b.is(0, "MM");
    const auto read = [&](std::size_t at, int count) { return bigEndian ? b.big(at, count) : b.little(at, count); };
    const auto offset = [&](std::size_t at) -> std::size_t {   // a BigTIFF's past 4 GiB as 0: none
        if (!big)
            return read(at, 4);
        const std::uint32_t low = read(at + (bigEndian ? 4 : 0), 4), high = read(at + (bigEndian ? 0 : 4), 4);
        return high ? 0 : low;
    };
    const std::size_t count = big ? 8 : 4, entrySize = big ? 20 : 12;
    if (!b.has(big ? 8 : 4, count))
        return header;
    const std::size_t directory = offset(big ? 8 : 4);
    if (directory == 0 || !b.has(directory, count))
        return header;
    const std::size_t entries = big ? offset(directory) : read(directory, 2);
    std::int64_t width = 0, height = 0;
    std::size_t at = directory + (big ? 8 : 2);
    for (std::size_t i = 0; i < entries && b.has(at, entrySize); ++i, at += entrySize) {
        const std::uint32_t tag = read(at, 2), type = read(at + 2, 2);
        if ((tag != 256 && tag != 257) || (type != 3 && type != 4) || offset(at + 4) != 1)
            continue;
        (tag == 256 ? width : height) = read(at + 4 + count, type == 3 ? 2 : 4);
    }
    if (width > 0 && height > 0) {   // both, or no size
        header.width = width;
        header.height = height;
    }
    return header;
}

} // namespace

PictureHeader ReadPictureHeader(FileBytes start)
{
    const ByteReader b(start);
    if (b.is(0, "\xFF\xD8\xFF"))
        return jpeg(b);
    if (b.is(0, "\x89PNG\r\n\x1A\n")) {
        PictureHeader header{PictureFormat::Png};
        if (b.is(12, "IHDR") && b.has(16, 8)) {
            header.width = b.big(16, 4);
            header.height = b.big(20, 4);
        }
        return header;
    }
    if (b.is(0, "GIF87a") || b.is(0, "GIF89a")) {
        PictureHeader header{PictureFormat::Gif};
        if (b.has(6, 4)) {
            header.width = b.little(6, 2);
            header.height = b.little(8, 2);
        }
        return header;
    }
    if (b.is(0, "RIFF") && b.is(8, "WEBP"))
        return webp(b);
    if (b.is(0, "BM"))
        return bmp(b);
    using namespace std::string_view_literals;
    if (b.is(0, "II*\0"sv) || b.is(0, "MM\0*"sv))
        return tiff(b, false);
    if (b.is(0, "II+\0\x08\0\0\0"sv) || b.is(0, "MM\0+\0\x08\0\0"sv))
        return tiff(b, true);
    // HEIC and AVIF: an ISO file-type box naming one of their brands.
    PictureHeader unknown;
    if (b.is(4, "ftyp"))
        for (const std::string_view brand : {"heic", "heix", "hevc", "heim", "heis", "mif1", "msf1", "avif", "avis"})
            unknown.phonePhoto = unknown.phonePhoto || b.is(8, brand);
    return unknown;
}

PictureError CheckFileSize(std::int64_t fileBytes)
{
    if (fileBytes <= 0)
        return PictureError::Empty;
    if (fileBytes > MaxPictureFileBytes)
        return PictureError::FileTooLarge;
    return PictureError::None;
}

PictureError CheckBeforeDecoding(std::int64_t fileBytes, const PictureHeader &header, Decoders decoders)
{
    if (const PictureError error = CheckFileSize(fileBytes); error != PictureError::None)
        return error;
    if (header.format == PictureFormat::Unknown)
        return header.phonePhoto ? PictureError::PhotoFormatNotRead : PictureError::NotAnImage;
    const bool browser = decoders == Decoders::Browser;
    if (browser && header.format == PictureFormat::Tiff)
        return PictureError::NotReadHere;
    const DecodeScale smallest = header.format == PictureFormat::Jpeg ? DecodeScale{1, 8} : DecodeScale{};
    if (!FitsDecodeLimit(header.width, header.height, smallest))
        return PictureError::TooLarge;
    return PictureError::None;
}

} // namespace picture
