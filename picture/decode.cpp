// decode.cpp: telling the format, decoding with TurboJPEG or Qt's readers, and the
// checks that a file is whole.
#include "picture/decode.h"

#include "picture/crop.h"

#include <QBuffer>
#include <QImageReader>

#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>

namespace picture {

namespace {

bool startsWith(QByteArrayView data, QByteArrayView prefix, qsizetype at = 0)
{
    return data.size() >= at + prefix.size() && data.sliced(at, prefix.size()) == prefix;
}

quint32 littleEndian(QByteArrayView data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(data.at(at + i));
    return value;
}

// Bits read from the start of each byte's lowest bit, as GIF's LZW codes are packed.
class CodeReader
{
public:
    explicit CodeReader(QByteArrayView bytes) : m_bytes(bytes) {}
    bool read(int width, int &code)
    {
        while (m_bits < width) {
            if (m_at >= m_bytes.size())
                return false;
            m_buffer |= quint32(quint8(m_bytes.at(m_at++))) << m_bits;
            m_bits += 8;
        }
        code = int(m_buffer & ((1u << width) - 1));
        m_buffer >>= width;
        m_bits -= width;
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    quint32 m_buffer = 0;
    int m_bits = 0;
};

// How many pixels a GIF image's LZW data decodes to, counting up to `needed` only.
qint64 lzwPixels(QByteArrayView codes, int minimumSize, qint64 needed)
{
    if (minimumSize < 2 || minimumSize > 11)
        return 0;
    const int clear = 1 << minimumSize, end = clear + 1;
    std::array<qint64, 4096> length{};   // of each code's string
    std::fill_n(length.begin(), clear, 1);
    CodeReader reader(codes);
    int width = minimumSize + 1, next = end + 1, previous = -1, code = 0;
    qint64 count = 0;
    while (count < needed && reader.read(width, code)) {
        if (code == clear) {
            width = minimumSize + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        qint64 produced = 0;
        if (code < next && code != clear && code != end)
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

// A GIF is whole when its blocks lead to the trailer and every image's data decodes
// to all of its pixels; a file cut short and given its trailer back is not.
bool gifIsWhole(QByteArrayView data)
{
    qsizetype at = 13;
    if (data.size() < at)
        return false;
    const auto colourTable = [](quint8 flags) { return flags & 0x80 ? 3 * (qsizetype(2) << (flags & 7)) : 0; };
    at += colourTable(quint8(data.at(10)));
    // The sub-blocks from `at`, gathered; false when they run past the end.
    const auto subBlocks = [&](QByteArray *gathered) {
        while (at < data.size()) {
            const qsizetype length = quint8(data.at(at++));
            if (length == 0)
                return true;
            if (at + length > data.size())
                return false;
            if (gathered)
                gathered->append(data.sliced(at, length));
            at += length;
        }
        return false;
    };
    bool images = false;
    while (at < data.size()) {
        switch (quint8(data.at(at++))) {
        case 0x3B:
            return images;
        case 0x21:
            if (++at > data.size() || !subBlocks(nullptr))   // past the extension's label
                return false;
            break;
        case 0x2C: {
            if (at + 10 > data.size())
                return false;
            const qint64 pixels = qint64(littleEndian(data, at + 4, 2)) * littleEndian(data, at + 6, 2);
            at += 9 + colourTable(quint8(data.at(at + 8)));
            if (at >= data.size())
                return false;
            const int minimumSize = quint8(data.at(at++));
            QByteArray codes;
            if (!subBlocks(&codes) || lzwPixels(codes, minimumSize, pixels) < pixels)
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

// A BMP holds all its rows: uncompressed, as many bytes as its rows need; run-length
// coded, a stream that reaches its end-of-picture mark or the last row.
bool bmpIsWhole(QByteArrayView data)
{
    if (data.size() < 30)
        return false;
    const quint32 headerSize = littleEndian(data, 14, 4);
    const bool os2 = headerSize == 12;
    if (!os2 && (headerSize < 40 || data.size() < 34))
        return true;   // the reader's own checks stand
    const qint64 width = os2 ? littleEndian(data, 18, 2) : qint32(littleEndian(data, 18, 4));
    const qint64 height = os2 ? littleEndian(data, 20, 2) : qint32(littleEndian(data, 22, 4));
    const qint64 bits = littleEndian(data, os2 ? 24 : 28, 2);
    const quint32 compression = os2 ? 0 : littleEndian(data, 30, 4);
    const qint64 pixelsAt = littleEndian(data, 10, 4);
    if (std::abs(width) > 65535 || std::abs(height) > 65535 || bits > 64)
        return false;   // no whole file says so; and the sums below stay in range
    if (compression == 1 || compression == 2) {   // RLE8, RLE4
        qint64 at = pixelsAt, rows = 0;
        while (at + 1 < data.size() && rows < std::abs(height)) {
            const quint8 count = quint8(data.at(at)), value = quint8(data.at(at + 1));
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
                at += ((compression == 1 ? value : (value + 1) / 2) + 1) / 2 * 2;
        }
        return rows >= std::abs(height);
    }
    if (compression != 0 && compression != 3 && compression != 6)
        return true;
    const qint64 rowBytes = (std::abs(width) * bits + 31) / 32 * 4;
    return data.size() >= pixelsAt + rowBytes * std::abs(height);
}

// Mirrors, flips and turns as the orientation says: mirror and flip first, then a
// quarter turn clockwise, as QImageIOHandler's transformations combine.
QImage oriented(const QImage &image, QImageIOHandler::Transformations orientation)
{
    QImage turned = image.mirrored(orientation & QImageIOHandler::TransformationMirror,
                                   orientation & QImageIOHandler::TransformationFlip);
    if (orientation & QImageIOHandler::TransformationRotate90)
        turned = turned.transformed(QTransform().rotate(90));
    return turned;
}

struct TurboJpeg
{
    tjhandle handle = tjInitDecompress();
    ~TurboJpeg()
    {
        if (handle)
            tjDestroy(handle);
    }
};

Decoded decodeJpeg(QByteArrayView data, const QSize &target)
{
    // The orientation, from the EXIF header Qt's reader reads; no pixel is decoded here.
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader header(&buffer, "jpeg");
    header.setAutoDetectImageFormat(false);
    const QImageIOHandler::Transformations orientation = header.transformation();

    const TurboJpeg jpeg;
    const auto *jpegBytes = reinterpret_cast<const unsigned char *>(data.data());
    const auto jpegSize = static_cast<unsigned long>(data.size());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (!jpeg.handle || tjDecompressHeader3(jpeg.handle, jpegBytes, jpegSize, &width, &height, &subsampling, &colourspace) != 0)
        return {{}, PictureError::Damaged};

    // The smallest scale at which the board's part, turned as it will be shown, still covers the target.
    const bool turned = orientation & QImageIOHandler::TransformationRotate90;
    int count = 0;
    const tjscalingfactor *factors = tjGetScalingFactors(&count);
    tjscalingfactor scale{1, 1};
    for (int i = 0; i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom || f.num * scale.denom >= scale.num * f.denom)
            continue;   // not smaller than the best so far
        const int shownWidth = TJSCALED(turned ? height : width, f), shownHeight = TJSCALED(turned ? width : height, f);
        const model::CropRect cut = model::CropToBoard(std::max(shownWidth, 1), std::max(shownHeight, 1));
        if (cut.width >= target.width() && cut.height >= target.height())
            scale = f;
    }
    const int scaledWidth = TJSCALED(width, scale), scaledHeight = TJSCALED(height, scale);
    if (qint64(scaledWidth) * scaledHeight * 4 > MaxDecodedBytes)
        return {{}, PictureError::TooLarge};
    QImage image(scaledWidth, scaledHeight, QImage::Format_RGB32);
    if (image.isNull())
        return {{}, PictureError::TooLarge};
    const bool cmyk = colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
    errno = 0;
    const int failed = tjDecompress2(jpeg.handle, jpegBytes, jpegSize, image.bits(), scaledWidth, int(image.bytesPerLine()),
                                     scaledHeight, cmyk ? TJPF_CMYK : TJPF_BGRA, TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS);
    if (failed)
        return {{}, errno == ENOMEM ? PictureError::TooLarge : PictureError::Damaged};
    if (cmyk) {
        // Stored inverted, as Adobe's programs write CMYK JPEGs.
        for (int y = 0; y < scaledHeight; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < scaledWidth; ++x) {
                const auto *p = reinterpret_cast<const quint8 *>(line + x);
                const int k = p[3];
                line[x] = qRgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
            }
        }
    }
    return {CutForBoard(oriented(image, orientation), target), PictureError::None};
}

Decoded decodeWithQt(QByteArrayView data, const char *format, const QSize &target)
{
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {{}, PictureError::Damaged};
    const QSize size = reader.size();
    const QImage::Format stored = reader.imageFormat();
    const qint64 bitsPerPixel = stored == QImage::Format_Invalid ? 32 : std::max<qint64>(32, QImage::toPixelFormat(stored).bitsPerPixel());
    if (size.isValid() && qint64(size.width()) * size.height() * bitsPerPixel / 8 > MaxDecodedBytes)
        return {{}, PictureError::TooLarge};
    errno = 0;
    const QImage image = reader.read();
    if (image.isNull())
        return {{}, errno == ENOMEM ? PictureError::TooLarge : PictureError::Damaged};
    if ((qstrcmp(format, "gif") == 0 && !gifIsWhole(data)) || (qstrcmp(format, "bmp") == 0 && !bmpIsWhole(data)))
        return {{}, PictureError::Damaged};
    return {CutForBoard(image, target), PictureError::None};
}

} // namespace

const char *FormatOf(QByteArrayView data)
{
    if (startsWith(data, "\xFF\xD8\xFF"))
        return "jpeg";
    if (startsWith(data, "\x89PNG\r\n\x1A\n"))
        return "png";
    if (startsWith(data, "RIFF") && startsWith(data, "WEBP", 8))
        return "webp";
    if (startsWith(data, QByteArrayView("II*\0", 4)) || startsWith(data, QByteArrayView("MM\0*", 4)))
        return "tiff";
    if (startsWith(data, "GIF87a") || startsWith(data, "GIF89a"))
        return "gif";
    if (startsWith(data, "BM") && data.size() >= 26)
        return "bmp";
    return nullptr;
}

Decoded DecodePicture(QByteArrayView data, const QSize &target)
{
    if (data.isEmpty())
        return {{}, PictureError::Empty};
    const char *format = FormatOf(data);
    if (!format)
        return {{}, PictureError::NotAnImage};
    if (qstrcmp(format, "jpeg") == 0)
        return decodeJpeg(data, target);
    return decodeWithQt(data, format, target);
}

} // namespace picture
