// decode.cpp: telling the format, decoding with TurboJPEG or Qt's readers, and the
// checks that a file is whole.
#include "desktop/decoder/decode.h"

#include "picture/wholeness.h"
#include "desktop/decoder/crop.h"

#include <QBuffer>
#include <QImageReader>

#include <turbojpeg.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace decoder {

namespace {

bool startsWith(QByteArrayView data, QByteArrayView prefix, qsizetype at = 0)
{
    return data.size() >= at + prefix.size() && data.sliced(at, prefix.size()) == prefix;
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
        const picture::CropRect cut = picture::CropToBoard(std::max(shownWidth, 1), std::max(shownHeight, 1));
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
    const picture::FileBytes file(reinterpret_cast<const std::uint8_t *>(data.data()), std::size_t(data.size()));
    if ((qstrcmp(format, "gif") == 0 && !picture::GifIsWhole(file))
        || (qstrcmp(format, "bmp") == 0 && !picture::BmpIsWhole(file, data.size())))
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

} // namespace decoder
