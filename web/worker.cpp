// worker.cpp: the page's decoder, run in a Web Worker of its own for each picture, as
// the desktop runs a decoder child: the core's rules judge the file's bytes, and a
// JPEG is decoded here by libjpeg-turbo at the smallest scale the board needs. A
// lesson's page is read here too, and its picture judged as any picture. The worker's
// script (worker.js) calls these, makes the board's part of the picture and hands it
// to the page; the page ends the worker after its answer, or after 5 s.
#include "jpeg/jpegdecode.h"
#include "lesson/lesson.h"
#include "picture/exif.h"
#include "picture/format.h"
#include "picture/wholeness.h"

#include <emscripten.h>

#include <cstdlib>

using picture::PictureError;

namespace {

// The numbers worker.js and the page's glue use by value.
static_assert(int(PictureError::ReadFailed) == 5 && int(PictureError::TooLarge) == 9
              && int(PictureError::Damaged) == 10 && int(PictureError::TooComplex) == 11
              && int(PictureError::ReadStalled) == 14 && int(PictureError::DecoderCrashed) == 15);
static_assert(int(picture::PictureFormat::Jpeg) == 1);

std::uint8_t *pixels = nullptr;   // the decoded JPEG, RGBA; the worker's end frees it
lesson::Lesson read;   // the lesson the file was, if it was one
int start[model::PieceCount];
int width = 0, height = 0;
int crop[4];

} // namespace

extern "C" {

// When the file is a web page: why it is no lesson (a lesson error, 0 for none), its
// lesson kept for the calls below, which give its picture, text and start.
EMSCRIPTEN_KEEPALIVE int kalvero_lesson(const char *data, std::size_t size)
{
    if (!lesson::LooksLikeWebPage(std::string_view(data, size).substr(0, lesson::SniffBytes)))
        return -1;
    return int(lesson::ReadLesson({data, size}, read));
}
EMSCRIPTEN_KEEPALIVE const char *kalvero_lesson_picture() { return read.picture.data(); }
EMSCRIPTEN_KEEPALIVE std::size_t kalvero_lesson_picture_size() { return read.picture.size(); }
EMSCRIPTEN_KEEPALIVE const char *kalvero_lesson_text() { return read.text.data(); }   // UTF-8
EMSCRIPTEN_KEEPALIVE std::size_t kalvero_lesson_text_size() { return read.text.size(); }
EMSCRIPTEN_KEEPALIVE int kalvero_lesson_text_cut() { return read.textCut ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE const int *kalvero_lesson_start()   // 30 tiles, or null
{
    if (!read.start)
        return nullptr;
    for (int slot = 0; slot < model::PieceCount; ++slot)
        start[slot] = (*read.start)[std::size_t(slot)];
    return start;
}

// The verdict of the rules on a whole file: its format times 256, plus the error.
EMSCRIPTEN_KEEPALIVE int kalvero_check(const std::uint8_t *data, std::size_t size)
{
    const picture::FileBytes file(data, size);
    const picture::PictureHeader header = picture::ReadPictureHeader(file);
    PictureError error = picture::CheckBeforeDecoding(std::int64_t(size), header, picture::Decoders::Browser);
    // A browser's decoders would paint what a GIF or a bitmap cut short still has.
    if (error == PictureError::None && !picture::IsWhole(header.format, file, std::int64_t(size)))
        error = PictureError::Damaged;
    return int(header.format) * 256 + int(error);
}

// Decodes a JPEG to cover targetWidth x targetHeight of the board's part; the pixels,
// their size and the EXIF orientation to apply follow.
EMSCRIPTEN_KEEPALIVE int kalvero_decode_jpeg(const std::uint8_t *data, std::size_t size, int targetWidth,
                                             int targetHeight)
{
    const std::span<const std::uint8_t> file(data, size);
    const int orientation = picture::ExifOrientation(file);
    const PictureError error = jpeg::Decode(file, targetWidth, targetHeight, orientation >= 5, jpeg::ByteOrder::Rgba,
                                            [](int w, int h) -> std::uint8_t * {
                                                std::free(pixels);
                                                pixels = static_cast<std::uint8_t *>(
                                                    std::malloc(std::size_t(w) * std::size_t(h) * 4));
                                                width = w;
                                                height = h;
                                                return pixels;   // null: no room, TooLarge
                                            });
    return int(error);
}
EMSCRIPTEN_KEEPALIVE const std::uint8_t *kalvero_pixels() { return pixels; }
EMSCRIPTEN_KEEPALIVE int kalvero_width() { return width; }
EMSCRIPTEN_KEEPALIVE int kalvero_height() { return height; }
EMSCRIPTEN_KEEPALIVE int kalvero_orientation(const std::uint8_t *data, std::size_t size)
{
    return picture::ExifOrientation({data, size});
}

// Whether a picture the browser decoded at w x h fits the game's limit.
EMSCRIPTEN_KEEPALIVE int kalvero_fits(int w, int h) { return picture::FitsDecodeLimit(w, h) ? 1 : 0; }

// The board's part of a w x h picture: x, y, width, height.
EMSCRIPTEN_KEEPALIVE const int *kalvero_crop(int w, int h)
{
    const picture::CropRect rect = picture::CropToBoard(w, h);
    crop[0] = rect.x;
    crop[1] = rect.y;
    crop[2] = rect.width;
    crop[3] = rect.height;
    return crop;
}

EMSCRIPTEN_KEEPALIVE void *kalvero_alloc(std::size_t size) { return std::malloc(size); }

} // extern "C"
