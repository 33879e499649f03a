// file.cpp: checking and opening the file a picture comes from.
#include "desktop/decoder/file.h"

#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace decoder {

using picture::PictureError;

namespace {

constexpr char16_t CarriedByte = 0xDC00;   // + the byte, 0x80 to 0xFF

// How many bytes the well-formed UTF-8 sequence at `at` takes, or 0 where none starts.
qsizetype sequenceAt(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&bytes](qsizetype i) { return uint(uchar(bytes[i])); };
    const uint lead = byte(at);
    if (lead < 0x80)
        return 1;
    const qsizetype length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    uint code = lead & (0x7Fu >> length);
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const uint least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    return code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? 0 : length;
}

bool isCarriedByte(const QString &path, qsizetype at)
{
    const char16_t code = path[at].unicode();
    return code >= CarriedByte + 0x80 && code <= CarriedByte + 0xFF && (at == 0 || !path[at - 1].isHighSurrogate());
}

} // namespace

QString FileName::carried(const QByteArray &bytes)
{
    QString path;
    for (qsizetype at = 0; at < bytes.size();) {
        if (const qsizetype length = sequenceAt(bytes, at)) {
            path += QString::fromUtf8(bytes.constData() + at, length);
            at += length;
        } else {
            path += QChar(char16_t(CarriedByte + uchar(bytes[at++])));
        }
    }
    return path;
}

FileName FileName::fromPath(const QString &path)
{
    FileName name{path, {}};
    qsizetype text = 0;   // where the text not yet encoded starts
    for (qsizetype at = 0; at < path.size(); ++at) {
        if (!isCarriedByte(path, at))
            continue;
        name.native += QFile::encodeName(path.mid(text, at - text));
        name.native += char(path[at].unicode() - CarriedByte);
        name.shown[at] = QChar::ReplacementCharacter;
        text = at + 1;
    }
    name.native += QFile::encodeName(path.mid(text));
    return name;
}

FileName FileName::fromArgument(const QByteArray &bytes)
{
#if defined(Q_OS_UNIX)
    return {QString::fromLocal8Bit(bytes), bytes};
#else
    return fromPath(QString::fromLocal8Bit(bytes));
#endif
}

QString FileName::fileName() const
{
    const QString last = QFileInfo(shown).fileName();
    return last.isEmpty() ? shown : last;
}

namespace {

PictureError bySize(qint64 size)
{
    if (size == 0)
        return PictureError::Empty;
    return size > picture::MaxPictureFileBytes ? PictureError::FileTooLarge : PictureError::None;
}

} // namespace

OpenedFile OpenForDecoding(const FileName &name)
{
#if defined(Q_OS_UNIX)
    // A pipe, a device or a socket is never opened; a file is opened without blocking
    // and checked again once open, so that the name cannot lead elsewhere in between.
    struct stat status {};
    if (::stat(name.native.constData(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
        return {nullptr, PictureError::NotAFile};
    const int descriptor = ::open(name.native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG)
            return {nullptr, PictureError::Missing};
        return {nullptr, errno == EACCES || errno == EPERM ? PictureError::Unreadable : PictureError::ReadFailed};
    }
    auto file = std::make_unique<QFile>();
    file->open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    if (::fstat(descriptor, &status) != 0)
        return {nullptr, PictureError::ReadFailed};
    if (S_ISDIR(status.st_mode))
        return {nullptr, PictureError::Folder};
    if (!S_ISREG(status.st_mode))
        return {nullptr, PictureError::NotAFile};
    if (const PictureError error = bySize(status.st_size); error != PictureError::None)
        return {nullptr, error};
    return {std::move(file), PictureError::None};
#else
    const QFileInfo info(name.shown);
    if (!info.exists())
        return {nullptr, PictureError::Missing};
    if (info.isDir())
        return {nullptr, PictureError::Folder};
    if (!info.isFile())
        return {nullptr, PictureError::NotAFile};
    if (const PictureError error = bySize(info.size()); error != PictureError::None)
        return {nullptr, error};
    auto file = std::make_unique<QFile>(name.shown);
    if (!file->open(QIODevice::ReadOnly))
        return {nullptr, info.isReadable() ? PictureError::ReadFailed : PictureError::Unreadable};
    return {std::move(file), PictureError::None};
#endif
}

picture::PictureError ReadForDecoding(const FileName &name, const std::function<bool(QByteArray piece)> &take)
{
    constexpr qint64 Piece = qint64(1) << 18;   // small enough to see a slow drive move
    if (!take({}))
        return PictureError::ReadFailed;
    const OpenedFile opened = OpenForDecoding(name);
    if (opened.error != PictureError::None)
        return opened.error;
    // The size checked on opening is a guess: the file may grow or shrink meanwhile.
    qint64 have = 0;
    for (;;) {
        QByteArray piece(qsizetype(Piece), Qt::Uninitialized);
        const qint64 got = opened.file->read(piece.data(), Piece);
        if (got < 0)
            return PictureError::ReadFailed;
        if (got == 0)
            break;
        have += got;
        if (have > picture::MaxPictureFileBytes)
            return PictureError::FileTooLarge;
        piece.truncate(qsizetype(got));
        if (!take(std::move(piece)))
            return PictureError::ReadFailed;
    }
    return bySize(have);
}

} // namespace decoder
