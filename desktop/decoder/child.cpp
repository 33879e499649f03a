// child.cpp: the decoder child's side: its input, its output, and running out of memory.
#include "desktop/decoder/child.h"

#include "desktop/decoder/decode.h"
#include "desktop/decoder/sanitizer.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <chrono>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#if defined(Q_OS_WIN)
#include <fcntl.h>
#include <io.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

namespace decoder {

namespace {

void putNumber(char *at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char(value >> (8 * i));
}

// Writes the record's header: for a refusal, the whole record.
void writeHeader(picture::PictureError error, const QSize &size)
{
    char header[RecordHeaderBytes];
    std::memcpy(header, RecordMagic, 4);
    putNumber(header + 4, quint32(error));
    putNumber(header + 8, quint32(size.width()));
    putNumber(header + 12, quint32(size.height()));
    std::fwrite(header, 1, sizeof header, stdout);
}

// Out of memory anywhere in the decoders: the picture is too large. The output
// buffer is the program's own, so nothing needs allocating here.
[[noreturn]] void outOfMemory()
{
    writeHeader(picture::PictureError::TooLarge, QSize(0, 0));
    std::fflush(stdout);
    std::_Exit(0);
}

// Fails as a decoder gone wrong might: all but "chatter", which says a lot on its
// standard error and then decodes, never return.
void misbehave(const char *how)
{
    static char junk[1 << 16];
    std::memset(junk, 'x', sizeof junk);
    if (std::strcmp(how, "crash") == 0)
        std::abort();
    if (std::strcmp(how, "hang") == 0) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
    if (std::strcmp(how, "hog") == 0) {
#if defined(KALVERO_ADDRESS_SANITIZER) && defined(Q_OS_LINUX)
        // Under the sanitizer the limit counts resident memory: the pages are filled as
        // they are mapped, far quicker than touching them one by one.
        for (;;)
            ::mmap(nullptr, 16 << 20, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
#else
        // The limit counts address space, so one byte of each block is enough: filling
        // every page would only spend processor time, seconds of it on a busy machine,
        // and meet the time limit first.
        std::vector<std::unique_ptr<char[]>> taken;
        for (;;) {
            taken.emplace_back(new char[16 << 20]);
            taken.back()[0] = 1;
        }
#endif
    }
    if (std::strcmp(how, "flood") == 0) {
        for (;;)
            std::fwrite(junk, 1, sizeof junk, stdout);
    }
    if (std::strcmp(how, "chatter") == 0) {
        for (int i = 0; i < 256; ++i)
            std::fwrite(junk, 1, sizeof junk, stderr);
        return;
    }
    std::atomic<unsigned> spins{0};
    for (;;)
        spins.fetch_add(1, std::memory_order_relaxed);   // "spin", or anything else
}

} // namespace

bool IsDecoderCall(int argc, char **argv) { return argc >= 2 && std::strcmp(argv[1], "--decode") == 0; }

int RunDecoder(int argc, char **argv)
{
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
#if defined(Q_OS_WIN)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::set_new_handler(outOfMemory);
    int width = 0, height = 0;
    if (argc < 3 || std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 4096
        || height > 4096) {
        std::fprintf(stderr, "usage: %s --decode WIDTHxHEIGHT < PICTURE\n", argv[0]);
        return 2;
    }
    if (argc >= 5 && std::strcmp(argv[3], "--misbehave") == 0)
        misbehave(argv[4]);
    const QSize target(width, height);

    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);   // for the image plugins
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    QByteArray read;
    QByteArrayView data;
    const qint64 size = input.size();
    if (size > picture::MaxPictureFileBytes) {
        writeHeader(picture::PictureError::FileTooLarge, QSize(0, 0));
        return 0;
    }
    if (const uchar *mapped = size > 0 ? input.map(0, size) : nullptr) {
        data = QByteArrayView(mapped, size);
    } else {
        read = input.read(picture::MaxPictureFileBytes + 1);
        if (read.size() > picture::MaxPictureFileBytes) {
            writeHeader(picture::PictureError::FileTooLarge, QSize(0, 0));
            return 0;
        }
        data = read;
    }
    const Decoded decoded = DecodePicture(data, target);
    if (decoded.error != picture::PictureError::None) {
        writeHeader(decoded.error, QSize(0, 0));
        return 0;
    }
    Q_ASSERT(decoded.picture.size() == target && decoded.picture.format() == QImage::Format_RGB32);
    writeHeader(picture::PictureError::None, target);
    for (int y = 0; y < height; ++y)
        std::fwrite(decoded.picture.constScanLine(y), 4, std::size_t(width), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace decoder
