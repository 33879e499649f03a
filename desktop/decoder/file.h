// file.h: the first step of reading a picture: the file the player named, checked
// and opened for the decoder, its bytes unread by the game itself.
#pragma once

#include "picture/picture.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

namespace decoder {

// A file's name as the player gave it and as the system holds it. On Unix a name is
// bytes, which need not be valid text (a byte 0xFF, say): they are kept as given.
struct FileName
{
    QString shown;       // for messages; bytes that are no text show as U+FFFD
    QByteArray native;   // for opening

    static FileName fromPath(const QString &path);          // a name Qt gave: a dialog's, a drop's
    static FileName fromArgument(const QByteArray &bytes);  // a command-line argument, byte for byte
    QString fileName() const;                               // the last part of `shown`
};

struct OpenedFile
{
    std::unique_ptr<QFile> file;   // open for reading when error is None
    picture::PictureError error = picture::PictureError::None;
};

// Opens a picture file without blocking: a folder, a pipe, a device, an empty file
// or one over MaxPictureFileBytes is refused before a byte is read.
OpenedFile OpenForDecoding(const FileName &name);

} // namespace decoder
