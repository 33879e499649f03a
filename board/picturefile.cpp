// picturefile.cpp: reading, checking, scaling and cropping a picture the player opens.
#include "board/picturefile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <utility>

namespace board {

namespace {

constexpr int PictureWidth = 300, PictureHeight = 250;
constexpr int AllocationLimitMiB = 512;   // room for MaxPicturePixels at 4 bytes each

// Image readers report damage they work around while decoding pixels (a JPEG cut
// short is filled with grey) as warnings in Qt's image categories. While a thread
// decodes, what the readers say is kept off the terminal, and those warnings are
// counted; messages of other threads, and critical ones, go on as before.
struct Listening
{
    bool active = false;
    bool decodingPixels = false;
    int damage = 0;
};
thread_local Listening listening;
std::atomic<QtMessageHandler> passOn{nullptr};

void listenToReaders(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!listening.active || type == QtCriticalMsg || type == QtFatalMsg) {
        passOn.load()(type, context, text);
        return;
    }
    // Junk before the end-of-image marker leaves every pixel decoded: no damage.
    if (listening.decodingPixels && type == QtWarningMsg && context.category
        && QByteArrayView(context.category).startsWith("qt.gui.imageio")
        && !text.contains(QLatin1String("extraneous bytes before marker 0xd9")))
        ++listening.damage;
}

// Listens for the life of one decode.
struct Listen
{
    Listen() { listening = {true, false, 0}; }
    ~Listen() { listening = {}; }
};

quint32 littleEndian(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(data.at(at + i));
    return value;
}

// A JPEG is whole when its markers lead to the end-of-image marker: segments are
// passed by their lengths (so a thumbnail inside one does not count), coded data
// up to the next marker. Whatever follows the end is not looked at.
bool jpegReachesItsEnd(const QByteArray &data)
{
    qsizetype at = 2;   // after the start-of-image marker
    while ((at = data.indexOf('\xFF', at)) >= 0 && at + 1 < data.size()) {
        const quint8 marker = quint8(data.at(at + 1));
        if (marker == 0xD9)
            return true;
        if (marker == 0xFF || marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += marker == 0xFF ? 1 : 2;   // fill, a stuffed byte, or a marker without a length
            continue;
        }
        if (at + 3 >= data.size())
            return false;
        at += 2 + (qsizetype(quint8(data.at(at + 2))) << 8 | quint8(data.at(at + 3)));
    }
    return false;
}

// Some readers hand back what they got of a file cut short: a JPEG must reach its
// end marker, an uncompressed BMP must hold all its rows, and a GIF ends with its
// trailer (perhaps padded with zeros).
bool looksWhole(const QByteArray &format, const QByteArray &data)
{
    if (format == "jpeg")
        return jpegReachesItsEnd(data);
    if (format == "gif") {
        qsizetype end = data.size();
        while (end > 0 && data.at(end - 1) == '\0')
            --end;
        return end > 0 && data.at(end - 1) == '\x3B';
    }
    if (format == "bmp" && data.size() >= 30) {
        const quint32 headerSize = littleEndian(data, 14, 4);
        const bool os2 = headerSize == 12;
        if (!os2 && (headerSize < 40 || data.size() < 34))
            return true;
        const qint64 width = os2 ? littleEndian(data, 18, 2) : qint32(littleEndian(data, 18, 4));
        const qint64 height = os2 ? littleEndian(data, 20, 2) : qint32(littleEndian(data, 22, 4));
        const qint64 bits = littleEndian(data, os2 ? 24 : 28, 2);
        const quint32 compression = os2 ? 0 : littleEndian(data, 30, 4);
        if (compression != 0 && compression != 3 && compression != 6)
            return true;   // run-length coded: the reader's own checks stand
        if (std::abs(width) > 65535 || std::abs(height) > 65535 || bits > 64)
            return false;   // no whole file says so; and the sums below stay in range
        const qint64 rowBytes = (std::abs(width) * bits + 31) / 32 * 4;
        return data.size() >= qint64(littleEndian(data, 10, 4)) + rowBytes * std::abs(height);
    }
    return true;
}

// The smallest size that covers the board with the aspect ratio kept; it may not
// fit an int for a picture of extreme proportions.
std::pair<qint64, qint64> coverSize(const QSize &shown)
{
    const qint64 width = shown.width(), height = shown.height();
    if (width * PictureHeight >= height * PictureWidth)
        return {(width * PictureHeight + height - 1) / height, PictureHeight};
    return {PictureWidth, (height * PictureWidth + width - 1) / width};
}

// The middle of a picture in the board's proportions, at least one pixel each way.
QRect middleOf(const QSize &size)
{
    const qint64 width = size.width(), height = size.height();
    if (width * PictureHeight > height * PictureWidth) {
        const qint64 part = std::max<qint64>(1, (height * PictureWidth + PictureHeight / 2) / PictureHeight);
        return {int((width - part) / 2), 0, int(part), int(height)};
    }
    const qint64 part = std::max<qint64>(1, (width * PictureHeight + PictureWidth / 2) / PictureWidth);
    return {0, int((height - part) / 2), int(width), int(part)};
}

} // namespace

void PrepareReaders()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(AllocationLimitMiB);
        passOn = qInstallMessageHandler(nullptr);   // the handler in use; the default one meanwhile
        qInstallMessageHandler(listenToReaders);
    });
}

OpenedPicture DecodePicture(const QByteArray &data)
{
    if (data.isEmpty())
        return {{}, PictureError::Empty};
    PrepareReaders();
    const Listen listen;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {{}, PictureError::NotAnImage};
    const QByteArray format = reader.format();

    // The header's size decides before any pixel is decoded. A picture larger than
    // it needs to be is decoded smaller straight away (a JPEG at 1/2, 1/4 or 1/8 of
    // its size), one smaller than the board at its own size.
    const QSize stored = reader.size();
    if (stored.isValid() && qint64(stored.width()) * stored.height() > MaxPicturePixels)
        return {{}, PictureError::TooLarge};
    if (stored.isValid() && !stored.isEmpty()) {
        const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize shown = turned ? stored.transposed() : stored;
        const auto [width, height] = coverSize(shown);
        if (width < shown.width() && height < shown.height()) {
            const QSize cover{int(width), int(height)};
            reader.setScaledSize(turned ? cover.transposed() : cover);
        }
    }

    listening.decodingPixels = true;
    QImage image = reader.read();
    listening.decodingPixels = false;
    if (image.isNull() || listening.damage > 0 || !looksWhole(format, data))
        return {{}, PictureError::Damaged};
    if (qint64(image.width()) * image.height() > MaxPicturePixels)
        return {{}, PictureError::TooLarge};   // a reader that told no size before

    // The middle in the board's proportions, at the board's size; transparent parts show white.
    QImage middle = image.copy(middleOf(image.size()));
    middle.setDevicePixelRatio(1.0);
    if (middle.size() != QSize(PictureWidth, PictureHeight))
        middle = middle.scaled(PictureWidth, PictureHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(QPoint(0, 0), middle);
    painter.end();
    return {picture, PictureError::None};
}

OpenedPicture OpenPictureFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {{}, PictureError::Missing};
        return {{}, errno == EACCES ? PictureError::Unreadable : PictureError::ReadFailed};
    }
    if (S_ISDIR(status.st_mode))
        return {{}, PictureError::Folder};
    if (!S_ISREG(status.st_mode))
        return {{}, PictureError::NotAFile};

    // Opened without blocking and checked again, in case the name now leads elsewhere.
    const int file = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return {{}, errno == EACCES || errno == EPERM ? PictureError::Unreadable : PictureError::ReadFailed};
    PictureError error = PictureError::None;
    QByteArray data;
    if (::fstat(file, &status) != 0)
        error = PictureError::ReadFailed;
    else if (!S_ISREG(status.st_mode))
        error = PictureError::NotAFile;
    else if (status.st_size == 0)
        error = PictureError::Empty;
    else if (status.st_size > MaxPictureFileBytes)
        error = PictureError::FileTooLarge;
    else {
        data.resize(qsizetype(status.st_size));
        qsizetype got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(file, data.data() + got, std::size_t(data.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = PictureError::ReadFailed;
                break;
            }
            if (n == 0)
                break;   // the file shrank while it was read
            got += n;
        }
        data.truncate(got);
    }
    ::close(file);
    if (error != PictureError::None)
        return {{}, error};
    return DecodePicture(data);
}

} // namespace board
