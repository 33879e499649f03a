// wholeness.cpp: walking a GIF's blocks and LZW codes, and a BMP's rows.
#include "picture/wholeness.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace picture {

namespace {

// Bits read from the start of each byte's lowest bit, as GIF's LZW codes are packed,
// straight from the sub-blocks that hold them: each a length byte, then that many
// bytes, until a length of 0.
class CodeReader
{
public:
    explicit CodeReader(FileBytes blocks) : m_bytes(blocks) {}
    bool read(int width, int &code)
    {
        while (m_bits < width) {
            while (m_left == 0) {
                if (m_at >= m_bytes.size() || m_bytes[m_at] == 0)
                    return false;
                m_left = m_bytes[m_at++];
            }
            if (m_at >= m_bytes.size())
                return false;
            m_buffer |= std::uint32_t(m_bytes[m_at++]) << m_bits;
            --m_left;
            m_bits += 8;
        }
        code = int(m_buffer & ((1u << width) - 1));
        m_buffer >>= width;
        m_bits -= width;
        return true;
    }

private:
    FileBytes m_bytes;
    std::size_t m_at = 0;
    std::size_t m_left = 0;   // in the current sub-block
    std::uint32_t m_buffer = 0;
    int m_bits = 0;
};

// How many pixels a GIF image's LZW data, in its sub-blocks, decodes to, counting up
// to `needed` only.
std::int64_t lzwPixels(FileBytes blocks, int minimumSize, std::int64_t needed)
{
    if (minimumSize < 2 || minimumSize > 11)
        return 0;
    const int clear = 1 << minimumSize, end = clear + 1;
    std::array<std::int64_t, 4096> length{};   // of each code's string
    std::fill_n(length.begin(), clear, 1);
    CodeReader reader(blocks);
    int width = minimumSize + 1, next = end + 1, previous = -1, code = 0;
    std::int64_t count = 0;
    while (count < needed && reader.read(width, code)) {
        if (code == clear) {
            width = minimumSize + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        std::int64_t produced = 0;
        if (code < next)
            produced = length[std::size_t(code)];
        else if (code == next && previous >= 0)
            produced = length[std::size_t(previous)] + 1;
        else
            break;   // a code that does not exist yet: the data is broken here
        if (previous >= 0 && next < 4096) {
            length[std::size_t(next)] = length[std::size_t(previous)] + 1;
            if (++next == 1 << width && width < 12)
                ++width;
        }
        count += produced;
        previous = code;
    }
    return count;
}

struct BmpHeader
{
    bool known = false;   // a header whose fields the checks below understand
    std::int64_t width = 0, height = 0, bits = 0, pixelsAt = 0;
    std::int64_t pixelBytes = 0;   // what the header declares the coded pixels take; 0: not told
    std::uint32_t compression = 0;
    bool runLength() const { return compression == 1 || compression == 2; }   // RLE8, RLE4
};

BmpHeader bmpHeader(FileBytes data)
{
    BmpHeader header;
    const ByteReader b(data);
    if (!b.has(0, 30))
        return header;
    const std::uint32_t headerSize = b.little(14, 4);
    const bool os2 = headerSize == 12;
    if (!os2 && (headerSize < 40 || !b.has(30, 4)))
        return header;
    header.known = true;
    header.width = std::abs(os2 ? std::int64_t(b.little(18, 2)) : std::int64_t(std::int32_t(b.little(18, 4))));
    header.height = std::abs(os2 ? std::int64_t(b.little(20, 2)) : std::int64_t(std::int32_t(b.little(22, 4))));
    header.bits = b.little(os2 ? 24 : 28, 2);
    header.compression = os2 ? 0 : b.little(30, 4);
    header.pixelsAt = b.little(10, 4);
    header.pixelBytes = os2 || !b.has(34, 4) ? 0 : b.little(34, 4);
    return header;
}

} // namespace

bool GifIsWhole(FileBytes data)
{
    const ByteReader b(data);
    std::size_t at = 13;
    if (!b.has(0, at))
        return false;
    const auto colourTable = [](std::uint8_t flags) { return flags & 0x80 ? 3 * (std::size_t(2) << (flags & 7)) : 0; };
    at += colourTable(data[10]);
    // Past the sub-blocks from `at`; false when they run past the end.
    const auto subBlocks = [&] {
        while (at < data.size()) {
            const std::size_t length = data[at++];
            if (length == 0)
                return true;
            if (length > data.size() - at)
                return false;
            at += length;
        }
        return false;
    };
    bool images = false;
    while (at < data.size()) {
        switch (data[at++]) {
        case 0x3B:
            return images;
        case 0x00:
            break;   // a stray byte between blocks, which every decoder passes over
        case 0x21:
            if (++at > data.size() || !subBlocks())   // past the extension's label
                return false;
            break;
        case 0x2C: {
            if (!b.has(at, 10))
                return false;
            const std::int64_t pixels = std::int64_t(b.little(at + 4, 2)) * b.little(at + 6, 2);
            at += 9 + colourTable(data[at + 8]);
            if (at >= data.size())
                return false;
            const int minimumSize = data[at++];
            const std::size_t codes = at;
            if (!subBlocks() || lzwPixels(data.subspan(codes, at - codes), minimumSize, pixels) < pixels)
                return false;
            images = true;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool BmpNeedsAllBytes(FileBytes start)
{
    const BmpHeader header = bmpHeader(start);
    return header.known && header.runLength();
}

bool BmpIsWhole(FileBytes data, std::int64_t fileBytes)
{
    if (data.size() < 30)
        return false;
    const BmpHeader header = bmpHeader(data);
    if (!header.known)
        return true;   // the decoder's own checks stand
    if (header.width > 65535 || header.height > 65535 || header.bits > 64)
        return false;   // no whole file says so; and the sums below stay in range
    if (header.runLength()) {
        // A stream cut short and given its end mark back still ends before the size its
        // header declares: the rows it lost would show as a flat colour.
        if (header.pixelBytes > 0 && fileBytes < header.pixelsAt + header.pixelBytes)
            return false;
        const std::int64_t size = std::int64_t(data.size());
        std::int64_t at = header.pixelsAt, rows = 0;
        while (at + 1 < size && rows < header.height) {
            const std::uint8_t count = data[std::size_t(at)], value = data[std::size_t(at + 1)];
            at += 2;
            if (count > 0)
                continue;   // a run
            if (value == 0)
                ++rows;
            else if (value == 1)
                return true;   // the end of the picture
            else if (value == 2)
                at += 2;       // a jump
            else               // literal pixels, padded to a whole word
                at += ((header.compression == 1 ? value : (value + 1) / 2) + 1) / 2 * 2;
        }
        return rows >= header.height;
    }
    if (header.compression != 0 && header.compression != 3 && header.compression != 6)
        return true;
    const std::int64_t rowBytes = (header.width * header.bits + 31) / 32 * 4;
    return fileBytes >= header.pixelsAt + rowBytes * header.height;
}

bool IsWhole(PictureFormat format, FileBytes read, std::int64_t fileBytes)
{
    if (format == PictureFormat::Gif)
        return GifIsWhole(read);
    if (format == PictureFormat::Bmp)
        return BmpIsWhole(read, fileBytes);
    return true;
}

bool NeedsAllBytes(PictureFormat format, FileBytes start)
{
    return format == PictureFormat::Gif || (format == PictureFormat::Bmp && BmpNeedsAllBytes(start));
}

} // namespace picture
