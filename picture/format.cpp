// pictureheader.cpp: the signatures and size fields of the formats the browser reads.
#include "picture/format.h"

#include <cstring>

namespace picture {

namespace {

struct Bytes
{
    const std::uint8_t *data;
    std::size_t size;

    bool has(std::size_t at, std::size_t count) const { return at <= size && count <= size - at; }
    bool is(std::size_t at, const char *text) const
    {
        const std::size_t count = std::strlen(text);
        return has(at, count) && std::memcmp(data + at, text, count) == 0;
    }
    std::uint32_t big(std::size_t at, int count) const
    {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = value << 8 | data[at + std::size_t(i)];
        return value;
    }
    std::uint32_t little(std::size_t at, int count) const
    {
        std::uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = value << 8 | data[at + std::size_t(i)];
        return value;
    }
};

// The frame header's size: segments are passed by their lengths, so a thumbnail
// inside the metadata is never taken for the picture.
PictureHeader jpeg(const Bytes &b)
{
    PictureHeader header{PictureFormat::Jpeg};
    std::size_t at = 2;
    while (b.has(at, 4)) {
        if (b.data[at] != 0xFF)
            break;
        const std::uint8_t marker = b.data[at + 1];
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

PictureHeader webp(const Bytes &b)
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

PictureHeader bmp(const Bytes &b)
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

} // namespace

PictureHeader ReadPictureHeader(const std::uint8_t *data, std::size_t size)
{
    const Bytes b{data, size};
    if (b.has(0, 3) && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
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
    return {};
}

picture::PictureError CheckFileSize(std::int64_t fileBytes)
{
    using picture::PictureError;
    if (fileBytes <= 0)
        return PictureError::Empty;
    if (fileBytes > picture::MaxPictureFileBytes)
        return PictureError::FileTooLarge;
    return PictureError::None;
}

picture::PictureError CheckBeforeDecoding(std::int64_t fileBytes, const PictureHeader &header)
{
    using picture::PictureError;
    if (const PictureError error = CheckFileSize(fileBytes); error != PictureError::None)
        return error;
    if (header.format == PictureFormat::Unknown)
        return PictureError::NotAnImage;
    if (header.width > 0 && header.height > 0 && header.width * header.height > MaxPicturePixels)
        return PictureError::TooLarge;
    return PictureError::None;
}

} // namespace picture
