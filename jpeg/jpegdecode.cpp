// jpegdecode.cpp: libjpeg's error manager, the choice of scale and the checks of wholeness.
#include "jpeg/jpegdecode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace jpeg {

namespace {

// libjpeg's error manager, ending a decode by a long jump back to Decode with the
// verdict; warnings of damaged data end it too, harmless ones are passed over.
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

struct Request
{
    std::span<const std::uint8_t> data;
    int targetWidth, targetHeight;
    bool turned;
    ByteOrder order;
    const Allocate &allocate;
};

// The verdict comes back by the long jump, so that nothing with a destructor lives in
// this function's frame.
PictureError decodePixels(jpeg_decompress_struct &jpeg, JpegErrors &errors, const Request &request)
{
    if (setjmp(errors.back))
        return errors.error;
    jpeg_mem_src(&jpeg, request.data.data(), static_cast<unsigned long>(request.data.size()));
    jpeg_read_header(&jpeg, TRUE);
    const int width = int(jpeg.image_width), height = int(jpeg.image_height);

    // The smallest scale at which the board's part, turned as it will be shown, still covers the target.
    int eighths = 8;
    for (int scale = 7; scale >= 1; --scale) {
        const int scaledWidth = (width * scale + 7) / 8, scaledHeight = (height * scale + 7) / 8;
        const int shownWidth = request.turned ? scaledHeight : scaledWidth;
        const int shownHeight = request.turned ? scaledWidth : scaledHeight;
        const picture::CropRect cut = picture::CropToBoard(std::max(shownWidth, 1), std::max(shownHeight, 1));
        if (cut.width >= request.targetWidth && cut.height >= request.targetHeight)
            eighths = scale;
    }
    // A larger scale than that only where it fits the limit; a smaller one is less sharp
    // but opens, as it does wherever the board is smaller.
    while (eighths > 1 && !picture::FitsDecodeLimit(width, height, {eighths, 8}))
        --eighths;
    if (!picture::FitsDecodeLimit(width, height, {eighths, 8}))
        return PictureError::TooLarge;
    // A progressive picture, or one whose components come in scans of their own, keeps
    // every coefficient of the whole picture while its scans come: 128 bytes a block,
    // at full size whatever the scale.
    if (jpeg.progressive_mode || jpeg.comps_in_scan < jpeg.num_components) {
        std::int64_t coefficients = 0;
        for (int c = 0; c < jpeg.num_components; ++c)
            coefficients += std::int64_t(jpeg.comp_info[c].width_in_blocks) * jpeg.comp_info[c].height_in_blocks
                            * std::int64_t(sizeof(JBLOCK));
        if (coefficients > MaxCoefficientBytes)
            return PictureError::TooLarge;
    }
    jpeg.scale_num = unsigned(eighths);
    jpeg.scale_denom = 8;
    const bool cmyk = jpeg.jpeg_color_space == JCS_CMYK || jpeg.jpeg_color_space == JCS_YCCK;
    // The fourth byte of BGRA and RGBA is set opaque; that of BGRX may not be.
    jpeg.out_color_space = cmyk ? JCS_CMYK : request.order == ByteOrder::Bgra ? JCS_EXT_BGRA : JCS_EXT_RGBA;
    jpeg_calc_output_dimensions(&jpeg);
    const int outWidth = int(jpeg.output_width), outHeight = int(jpeg.output_height);
    std::uint8_t *const pixels = request.allocate(outWidth, outHeight);
    if (!pixels)
        return PictureError::TooLarge;
    const std::size_t stride = std::size_t(outWidth) * 4;

    jpeg_start_decompress(&jpeg);
    while (jpeg.output_scanline < jpeg.output_height) {
        JSAMPROW line = pixels + stride * jpeg.output_scanline;
        jpeg_read_scanlines(&jpeg, &line, 1);
    }
    // A progressive picture's scans were all read in jpeg_start_decompress; finishing
    // frees their record.
    if (!fullyRefined(jpeg))
        return PictureError::Damaged;
    jpeg_finish_decompress(&jpeg);
    if (cmyk) {
        // Stored inverted, as Adobe's programs write CMYK JPEGs.
        const bool bgra = request.order == ByteOrder::Bgra;
        for (std::size_t i = 0; i < stride * std::size_t(outHeight); i += 4) {
            std::uint8_t *p = pixels + i;
            const int k = p[3];
            const auto c = std::uint8_t(p[0] * k / 255), m = std::uint8_t(p[1] * k / 255), y = std::uint8_t(p[2] * k / 255);
            p[0] = bgra ? y : c;
            p[1] = m;
            p[2] = bgra ? c : y;
            p[3] = 255;
        }
    }
    return PictureError::None;
}

} // namespace

PictureError Decode(std::span<const std::uint8_t> data, int targetWidth, int targetHeight, bool turned, ByteOrder order,
                    const Allocate &allocate)
{
    jpeg_decompress_struct jpeg{};
    JpegErrors errors;
    jpeg.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFailed;
    errors.manager.emit_message = jpegMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = jpegProgress;
    jpeg_create_decompress(&jpeg);
    jpeg.progress = &progress;
    const PictureError error = decodePixels(jpeg, errors, {data, targetWidth, targetHeight, turned, order, allocate});
    jpeg_destroy_decompress(&jpeg);
    return error;
}

} // namespace jpeg
