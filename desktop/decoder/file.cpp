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

FileName FileName::fromPath(const QString &path) { return {path, QFile::encodeName(path)}; }

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

} // namespace decoder
