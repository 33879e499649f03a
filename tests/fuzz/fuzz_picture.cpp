// fuzz_picture.cpp: feeds arbitrary bytes to the picture decoder, in this process as
// the decoder child runs it (a web page read as a lesson first). Every input must end
// as a 300 x 250 opaque picture or as a refusal with no picture at all.
#include "desktop/decoder/decode.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);   // the image plugins are found through it
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const decoder::Decoded opened =
        decoder::DecodeFile(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), QSize(300, 250));
    const bool whole = opened.picture.size() == QSize(300, 250) && opened.picture.format() == QImage::Format_RGB32;
    if (opened.opened() ? !whole : !opened.picture.isNull() || opened.lesson) {
        std::fprintf(stderr, "fuzz_picture: error %d, lesson error %d, with a picture of %d x %d\n", int(opened.error),
                     int(opened.lessonError), opened.picture.width(), opened.picture.height());
        std::abort();
    }
    return 0;
}
