// decode.cpp: the core's checks of a picture's bytes, then decoding with libjpeg or Qt's readers.
#include "desktop/decoder/decode.h"

#include "desktop/decoder/crop.h"
#include "picture/exif.h"
#include "picture/format.h"
#include "picture/wholeness.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

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

// More scans than any encoder writes: a file of more makes the decoder work on and on.
constexpr int MaxJpegScans = 500;

// libjpeg's error manager, ending a decode by a long jump back to decodeJpeg with
// the verdict; warnings of damaged data end it too, harmless ones are passed over.
struct JpegErrors
{
    jpeg_error_mgr manager{};
    std::jmp_buf back{};
    PictureError error = PictureError::None;
};

JpegErrors &errorsOf(j_common_ptr info) { return *reinterpret_cast<JpegErrors *>(info->err); }

[[noreturn]] void stop(j_common_ptr info, PictureError error)
{
    errorsOf(info).error = error;
    std::longjmp(errorsOf(info).back, 1);
}

[[noreturn]] void jpegFailed(j_common_ptr info)
{
    switch (info->err->msg_code) {
    case JERR_OUT_OF_MEMORY: stop(info, PictureError::TooLarge);
    case JERR_BAD_PRECISION:       // 12 or 16 bits a sample
    case JERR_SOF_UNSUPPORTED:     // lossless, or hierarchical
        stop(info, PictureError::VariantNotRead);
    default: stop(info, PictureError::Damaged);
    }
}

void jpegMessage(j_common_ptr info, int level)
{
    if (level >= 0)   // trace messages
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:            // the data ends before the picture does
    case JWRN_HIT_MARKER:          // a scan ends before its blocks do
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:         // restart markers lost or out of order
    case JWRN_BOGUS_PROGRESSION:   // a scan refines what no scan before it coded
        stop(info, PictureError::Damaged);
    default: break;                // an unknown JFIF revision, a few stray bytes, an odd scan header
    }
    ++info->err->num_warnings;
}

void jpegProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxJpegScans)
        stop(info, PictureError::TooComplex);
}

// Whether every coefficient of every component came to its full precision: a
// progressive JPEG whose last scans are missing is blurred, not whole.
bool fullyRefined(const jpeg_decompress_struct &jpeg)
{
    if (!jpeg.progressive_mode || !jpeg.coef_bits)
        return true;
    for (int component = 0; component < jpeg.num_components; ++component)
        for (int coefficient = 0; coefficient < DCTSIZE2; ++coefficient)
            if (jpeg.coef_bits[component][coefficient] != 0)   // -1: never coded; above 0: bits still to come
                return false;
    return true;
}

// Decodes into `image`, made here at the scale chosen; the verdict comes back by the
// long jump, so that nothing with a destructor lives in this function's frame.
PictureError decodeJpegPixels(jpeg_decompress_struct &jpeg, JpegErrors &errors, QByteArrayView data, const QSize &target,
                              bool turned, QImage &image)
{
    if (setjmp(errors.back))
        return errors.error;
    jpeg_mem_src(&jpeg, reinterpret_cast<const unsigned char *>(data.data()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&jpeg, TRUE);
    const int width = int(jpeg.image_width), height = int(jpeg.image_height);

    // The smallest scale at which the board's part, turned as it will be shown, still covers the target.
    int eighths = 8;
    for (int scale = 7; scale >= 1; --scale) {
        const int shownWidth = ((turned ? height : width) * scale + 7) / 8, shownHeight = ((turned ? width : height) * scale + 7) / 8;
        const picture::CropRect cut = picture::CropToBoard(std::max(shownWidth, 1), std::max(shownHeight, 1));
        if (cut.width >= target.width() && cut.height >= target.height())
            eighths = scale;
    }
    if (!picture::FitsDecodeLimit(width, height, {eighths, 8}))
        return PictureError::TooLarge;
    jpeg.scale_num = unsigned(eighths);
    jpeg.scale_denom = 8;
    const bool cmyk = jpeg.jpeg_color_space == JCS_CMYK || jpeg.jpeg_color_space == JCS_YCCK;
    jpeg.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;   // BGRA sets its fourth byte opaque, BGRX may not
    jpeg_calc_output_dimensions(&jpeg);
    image = QImage(int(jpeg.output_width), int(jpeg.output_height), QImage::Format_RGB32);
    if (image.isNull())
        return PictureError::TooLarge;

    jpeg_start_decompress(&jpeg);
    while (jpeg.output_scanline < jpeg.output_height) {
        JSAMPROW line = image.scanLine(int(jpeg.output_scanline));
        jpeg_read_scanlines(&jpeg, &line, 1);
    }
    // A progressive picture's scans were all read in jpeg_start_decompress; finishing
    // frees their record.
    if (!fullyRefined(jpeg))
        return PictureError::Damaged;
    jpeg_finish_decompress(&jpeg);
    if (cmyk) {
        // Stored inverted, as Adobe's programs write CMYK JPEGs.
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const auto *p = reinterpret_cast<const quint8 *>(line + x);
                const int k = p[3];
                line[x] = qRgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
            }
        }
    }
    return PictureError::None;
}

Decoded decodeJpeg(QByteArrayView data, const QSize &target)
{
    const QImageIOHandler::Transformations orientation = transformationOf(
        picture::ExifOrientation({reinterpret_cast<const std::uint8_t *>(data.data()), std::size_t(data.size())}));

    jpeg_decompress_struct jpeg{};
    JpegErrors errors;
    jpeg.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFailed;
    errors.manager.emit_message = jpegMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = jpegProgress;
    jpeg_create_decompress(&jpeg);
    jpeg.progress = &progress;
    QImage image;
    const PictureError error = decodeJpegPixels(jpeg, errors, data, target,
                                                orientation & QImageIOHandler::TransformationRotate90, image);
    jpeg_destroy_decompress(&jpeg);
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
