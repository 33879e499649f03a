// jpegdecode.h: a JPEG's pixels through libjpeg(-turbo), with the game's verdicts.
// Both faces' decoders use it: the desktop's decoder child and the page's worker. The
// game's own process never decodes a picture from outside.
#pragma once

#include "picture/picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace jpeg {

using picture::PictureError;

// More scans than any encoder writes: a file of more makes the decoder work on and on.
constexpr int MaxJpegScans = 500;

// The most a progressive picture's coefficients may take while its scans come in (a
// 10,000 x 10,000 photo takes 300 MB, one of 16,000 x 10,000 with full colour 960 MB).
constexpr std::int64_t MaxCoefficientBytes = std::int64_t(512) << 20;

enum class ByteOrder { Bgra, Rgba };   // a pixel's four bytes in memory; the fourth is 255

// Where the decoded pixels go: width x height pixels of 4 bytes, row after row with
// no gap; null when there is no room, which refuses the picture as TooLarge.
using Allocate = std::function<std::uint8_t *(int width, int height)>;

// Decodes `data` at the smallest of libjpeg's scales (1/8 to 1) at which the board's
// part of it, turned a quarter when `turned` (its EXIF orientation is 5 to 8), still
// covers targetWidth x targetHeight, or a smaller one where that would not fit
// picture::FitsDecodeLimit; a progressive picture whose coefficients take more than
// MaxCoefficientBytes is TooLarge.
// The verdict comes from the decoder's own message codes: data that ends early, or
// corrupt entropy-coded data, is Damaged, and so is a progressive picture whose scans
// leave coefficients unrefined (it would show blurred); an unknown JFIF revision, a
// few stray bytes before a marker or an odd but decodable scan header are passed over.
// More than MaxJpegScans scans is TooComplex; 12-bit, lossless and hierarchical
// JPEGs are VariantNotRead. CMYK pictures come out as RGB.
PictureError Decode(std::span<const std::uint8_t> data, int targetWidth, int targetHeight, bool turned, ByteOrder order,
                    const Allocate &allocate);

} // namespace jpeg
