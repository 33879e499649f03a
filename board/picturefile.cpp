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
#include <cerrno>
#include <mutex>

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
QtMessageHandler passOn = nullptr;

void listenToReaders(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!listening.active || type == QtCriticalMsg || type == QtFatalMsg) {
        passOn(type, context, text);
        return;
    }
    if (listening.decodingPixels && type == QtWarningMsg && context.category
        && QByteArrayView(context.category).startsWith("qt.gui.imageio"))
        ++listening.damage;
}

// Listens for the life of one decode.
struct Listen
{
    Listen() { listening = {true, false, 0}; }
    ~Listen() { listening = {}; }
};

void prepareReaders()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(AllocationLimitMiB);
        passOn = qInstallMessageHandler(listenToReaders);
    });
}

quint32 littleEndian(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(data.at(at + i));
    return value;
}

// Some readers hand back what they got of a file cut short and say nothing: an
// uncompressed BMP must hold all its rows, and a GIF ends with its trailer.
bool looksWhole(const QByteArray &format, const QByteArray &data)
{
    if (format == "gif")
        return data.endsWith('\x3B');
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
        const qint64 rowBytes = (std::abs(width) * bits + 31) / 32 * 4;
        return data.size() >= qint64(littleEndian(data, 10, 4)) + rowBytes * std::abs(height);
    }
    return true;
}

// The size that covers the board with the aspect ratio kept: one side fits
// exactly, the other is rounded up.
QSize coverSize(const QSize &shown)
{
    const qint64 width = shown.width(), height = shown.height();
    if (width * PictureHeight >= height * PictureWidth)
        return {int((width * PictureHeight + height - 1) / height), PictureHeight};
    return {PictureWidth, int((height * PictureWidth + width - 1) / width)};
}

} // namespace

OpenedPicture DecodePicture(const QByteArray &data)
{
    if (data.isEmpty())
        return {{}, PictureError::Empty};
    prepareReaders();
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

    // The header's size decides before any pixel is decoded.
    const QSize stored = reader.size();
    if (stored.isValid() && qint64(stored.width()) * stored.height() > MaxPicturePixels)
        return {{}, PictureError::TooManyPixels};
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    if (stored.isValid() && !stored.isEmpty()) {
        const QSize cover = coverSize(turned ? stored.transposed() : stored);
        reader.setScaledSize(turned ? cover.transposed() : cover);   // JPEG decodes at 1/2, 1/4 or 1/8
    }

    listening.decodingPixels = true;
    QImage image = reader.read();
    listening.decodingPixels = false;
    if (image.isNull() || listening.damage > 0 || !looksWhole(format, data))
        return {{}, PictureError::Damaged};
    if (qint64(image.width()) * image.height() > MaxPicturePixels)
        return {{}, PictureError::TooManyPixels};   // a reader that told no size before
    image.setDevicePixelRatio(1.0);
    const QSize wanted = coverSize(image.size());
    if (image.size() != wanted)
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    // Transparent parts show white; the overflow goes evenly from both sides.
    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(QPoint(0, 0), image,
                      QRect((image.width() - PictureWidth) / 2, (image.height() - PictureHeight) / 2, PictureWidth,
                            PictureHeight));
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

QImage ReadResource(const QString &path, const char *format)
{
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    Q_ASSERT_X(!image.isNull(), "ReadResource", qPrintable(path));
    return image;
}

} // namespace board
