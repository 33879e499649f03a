// child.cpp: the decoder child's side: its input, its output, and running out of memory.
#include "desktop/decoder/child.h"

#include "desktop/decoder/decode.h"
#include "desktop/decoder/record.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(Q_OS_WIN)
#include <fcntl.h>
#include <io.h>
#endif

namespace decoder {

namespace {

// Out of memory anywhere in the decoders: the picture is too large. The output
// buffer is the program's own, so nothing needs allocating here.
[[noreturn]] void outOfMemory()
{
    WriteRefusal(stdout, picture::PictureError::TooLarge);
    std::fflush(stdout);
    std::_Exit(0);
}

} // namespace

bool IsDecoderCall(int argc, char **argv) { return argc >= 2 && std::strcmp(argv[1], "--decode") == 0; }

void PrepareDecoderChild()
{
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
#if defined(Q_OS_WIN)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::set_new_handler(outOfMemory);
}

int RunDecoder(int argc, char **argv)
{
    PrepareDecoderChild();
    int width = 0, height = 0;
    if (argc < 3 || std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 4096
        || height > 4096) {
        std::fprintf(stderr, "usage: %s --decode WIDTHxHEIGHT < PICTURE\n", argv[0]);
        return 2;
    }
    const QSize target(width, height);

    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);   // for the image plugins
    // A pipe, as the game starts it; a file given by hand is mapped instead.
    QFile input;
    input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered);
    QByteArray read;
    QByteArrayView data;
    const qint64 size = input.isSequential() ? 0 : input.size();
    if (size > picture::MaxPictureFileBytes) {
        WriteRefusal(stdout, picture::PictureError::FileTooLarge);
        return 0;
    }
    if (const uchar *mapped = size > 0 ? input.map(0, size) : nullptr) {
        data = QByteArrayView(mapped, size);
    } else {
        // To the end, and no further than one byte over the cap.
        constexpr qsizetype Most = qsizetype(picture::MaxPictureFileBytes) + 1;
        qsizetype have = 0;
        read.resize(qsizetype(1) << 20);
        for (;;) {
            if (have == read.size()) {
                if (have == Most)
                    break;
                read.resize(qMin(have * 2, Most));
            }
            const qint64 got = input.read(read.data() + have, read.size() - have);
            if (got <= 0)
                break;
            have += qsizetype(got);
        }
        read.truncate(have);
        if (read.size() > picture::MaxPictureFileBytes) {
            WriteRefusal(stdout, picture::PictureError::FileTooLarge);
            return 0;
        }
        data = read;
    }
    const Decoded decoded = DecodeFile(data, target);
    if (decoded.error != picture::PictureError::None) {
        WriteRefusal(stdout, decoded.error);
        return 0;
    }
    if (decoded.lessonError != lesson::LessonError::None) {
        WriteRefusal(stdout, decoded.lessonError);
        return 0;
    }
    Q_ASSERT(decoded.picture.size() == target);
    WritePicture(stdout, decoded.picture, decoded.lesson);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

} // namespace decoder
