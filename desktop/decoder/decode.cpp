// decode.cpp: the core's checks of a picture's bytes, then decoding with TurboJPEG or Qt's readers.
#include "desktop/decoder/decode.h"

#include "desktop/decoder/crop.h"
#include "picture/format.h"
#include "picture/wholeness.h"

#include <QBuffer>
#include <QImageReader>

#include <turbojpeg.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace decoder {

namespace {

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
    if (!picture::FitsDecodeLimit(width, height, {scale.num, scale.denom}))
        return {{}, PictureError::TooLarge};
    const int scaledWidth = TJSCALED(width, scale), scaledHeight = TJSCALED(height, scale);
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
    const QSize size = reader.size();   // the reader's own view of the header, checked again
    if (size.isValid() && !picture::FitsDecodeLimit(size.width(), size.height()))
        return {{}, PictureError::TooLarge};
    // Qt's readers refuse a picture over their own allocation limit (128 MB by default
    // in Qt 6.4) as if it were damaged, and keep 16-bit channels at 8 bytes a pixel:
    // the limit is set to what this picture's pixels take as stored, so that the game's
    // rule decides. The decoder child's memory cap holds whatever the reader allocates.
    const QImage::Format stored = reader.imageFormat();
    const qint64 bitsPerPixel = stored == QImage::Format_Invalid ? 32 : std::max<qint64>(32, QImage::toPixelFormat(stored).bitsPerPixel());
    const qint64 storedBytes = size.isValid() ? qint64(size.width()) * size.height() * bitsPerPixel / 8 : 0;
    QImageReader::setAllocationLimit(int((std::max<qint64>(storedBytes, picture::MaxDecodedBytes) + (1 << 20) - 1) >> 20));
    errno = 0;
    const QImage image = reader.read();
    if (image.isNull())
        return {{}, errno == ENOMEM ? PictureError::TooLarge : PictureError::Damaged};
    return {CutForBoard(image, target), PictureError::None};
}

} // namespace

Decoded DecodePicture(QByteArrayView data, const QSize &target)
{
    const picture::FileBytes file(reinterpret_cast<const std::uint8_t *>(data.data()), std::size_t(data.size()));
    const picture::PictureHeader header = picture::ReadPictureHeader(file);
    if (const PictureError error = picture::CheckBeforeDecoding(data.size(), header, picture::Decoders::Desktop);
        error != PictureError::None)
        return {{}, error};
    // Qt's readers would paint what a GIF or a bitmap cut short still has.
    if (!picture::IsWhole(header.format, file, data.size()))
        return {{}, PictureError::Damaged};
    switch (header.format) {
    case picture::PictureFormat::Jpeg: return decodeJpeg(data, target);
    case picture::PictureFormat::Png: return decodeWithQt(data, "png", target);
    case picture::PictureFormat::Gif: return decodeWithQt(data, "gif", target);
    case picture::PictureFormat::WebP: return decodeWithQt(data, "webp", target);
    case picture::PictureFormat::Bmp: return decodeWithQt(data, "bmp", target);
    case picture::PictureFormat::Tiff: return decodeWithQt(data, "tiff", target);
    case picture::PictureFormat::Unknown: break;   // refused above
    }
    return {{}, PictureError::NotAnImage};
}

} // namespace decoder
