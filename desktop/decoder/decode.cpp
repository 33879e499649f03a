// decode.cpp: the core's checks of a picture's bytes, then decoding with libjpeg or Qt's readers.
#include "desktop/decoder/decode.h"

#include "desktop/decoder/crop.h"
#include "desktop/decoder/tiffwarnings.h"
#include "jpeg/jpegdecode.h"
#include "picture/exif.h"
#include "picture/format.h"
#include "picture/wholeness.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <span>

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

// An EXIF orientation, 1 to 8, as the transformations that show the picture upright.
QImageIOHandler::Transformations transformationOf(int exifOrientation)
{
    using T = QImageIOHandler::Transformation;
    switch (exifOrientation) {
    case 2: return T::TransformationMirror;
    case 3: return T::TransformationRotate180;
    case 4: return T::TransformationFlip;
    case 5: return T::TransformationFlipAndRotate90;
    case 6: return T::TransformationRotate90;
    case 7: return T::TransformationMirrorAndRotate90;
    case 8: return T::TransformationRotate270;
    default: return T::TransformationNone;
    }
}

// The shared libjpeg decoding (jpeg/jpegdecode.h), into a QImage, then turned and cut.
Decoded decodeJpeg(QByteArrayView data, const QSize &target)
{
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t *>(data.data()), std::size_t(data.size()));
    const QImageIOHandler::Transformations orientation = transformationOf(picture::ExifOrientation(bytes));
    QImage image;
    const PictureError error = jpeg::Decode(bytes, target.width(), target.height(),
                                            orientation & QImageIOHandler::TransformationRotate90, jpeg::ByteOrder::Bgra,
                                            [&image](int width, int height) -> std::uint8_t * {
                                                // RGB32: 0xffRRGGBB, B G R A in memory, rows without a gap
                                                image = QImage(width, height, QImage::Format_RGB32);
                                                return image.isNull() ? nullptr : image.bits();
                                            });
    if (error != PictureError::None)
        return {{}, error};
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
    // libtiff paints a strip whose data ends early or is corrupt grey, and only warns.
    std::optional<TiffWarnings> warnings;
    if (qstrcmp(format, "tiff") == 0)
        warnings.emplace();
    errno = 0;
    const QImage image = reader.read();
    if (image.isNull())
        return {{}, errno == ENOMEM ? PictureError::TooLarge : PictureError::Damaged};
    if (warnings && warnings->heardDamage())
        return {{}, PictureError::Damaged};
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

Decoded DecodeFile(QByteArrayView data, const QSize &target)
{
    const std::string_view bytes(data.data(), std::size_t(data.size()));
    if (!lesson::LooksLikeWebPage(bytes.substr(0, lesson::SniffBytes)))
        return DecodePicture(data, target);
    lesson::Lesson read;
    if (const lesson::LessonError error = lesson::ReadLesson(bytes, read); error != lesson::LessonError::None)
        return {{}, PictureError::None, error, {}};
    Decoded decoded = DecodePicture(QByteArrayView(read.picture.data(), qsizetype(read.picture.size())), target);
    if (decoded.error == PictureError::None) {
        read.picture = {};
        decoded.lesson = std::move(read);
    }
    return decoded;
}

} // namespace decoder
