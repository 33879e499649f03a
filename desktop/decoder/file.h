// file.h: the first step of reading a picture: the file the player named, checked,
// opened and read, away from the interface thread, for the decoder child.
#pragma once

#include "picture/picture.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
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
    // A name's bytes as a path for fromPath, which gives them back byte for byte: a byte
    // that is no UTF-8 rides as the lone surrogate U+DC80 + byte, which no text holds.
    static QString carried(const QByteArray &bytes);
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

// Opens the file as OpenForDecoding does and reads it to its end in pieces, handing
// each to `take` as it comes (an empty one before the first: is the file still
// wanted?); once `take` returns false the reading stops. None at the end of the file,
// else why it gives no picture. It blocks as long as the drive does, so it never runs
// on the interface thread, and it keeps none of the file's bytes.
picture::PictureError ReadForDecoding(const FileName &name, const std::function<bool(QByteArray piece)> &take);

} // namespace decoder
