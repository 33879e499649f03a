// record.cpp: the decoder child's record, written by the child and read by the game.
#include "desktop/decoder/record.h"

#include <cstring>

namespace decoder {

namespace {

constexpr char Magic[] = "KLV1";
constexpr qsizetype MagicBytes = sizeof Magic - 1;

void putNumber(char *at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char(value >> (8 * i));
}

quint32 numberAt(QByteArrayView bytes, qsizetype at)
{
    quint32 value = 0;
    for (qsizetype i = 3; i >= 0; --i)
        value = value << 8 | quint8(bytes[at + i]);
    return value;
}

void writeHeader(std::FILE *out, PictureError error, int width, int height)
{
    char header[RecordHeaderBytes];
    std::memcpy(header, Magic, MagicBytes);
    putNumber(header + 4, quint32(error));
    putNumber(header + 8, quint32(width));
    putNumber(header + 12, quint32(height));
    std::fwrite(header, 1, sizeof header, out);
}

} // namespace

void WriteRefusal(std::FILE *out, PictureError error)
{
    Q_ASSERT(error != PictureError::None);
    writeHeader(out, error, 0, 0);
}

void WritePicture(std::FILE *out, const QImage &picture)
{
    Q_ASSERT(picture.format() == QImage::Format_RGB32);
    writeHeader(out, PictureError::None, picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        std::fwrite(picture.constScanLine(y), 4, std::size_t(picture.width()), out);
}

qsizetype LongestRecord(const QSize &target)
{
    return RecordHeaderBytes + qsizetype(target.width()) * target.height() * 4;
}

Decoded ReadRecord(QByteArrayView record, int exitCode, const QSize &target)
{
    const Decoded broken{{}, PictureError::DecoderCrashed};
    if (exitCode != 0 || record.size() < RecordHeaderBytes || !record.startsWith(QByteArrayView(Magic, MagicBytes)))
        return broken;
    const quint32 error = numberAt(record, 4), width = numberAt(record, 8), height = numberAt(record, 12);
    if (error >= quint32(picture::PictureErrorCount))
        return broken;
    if (error != quint32(PictureError::None)) {
        if (width != 0 || height != 0 || record.size() != RecordHeaderBytes)
            return broken;
        return {{}, PictureError(error)};
    }
    // The child's numbers could be anything: they are compared, never multiplied.
    if (width != quint32(target.width()) || height != quint32(target.height())
        || record.size() != LongestRecord(target))
        return broken;
    QImage picture(target, QImage::Format_RGB32);
    if (picture.isNull())   // no memory for it in the game
        return {{}, PictureError::TooLarge};
    for (int y = 0; y < picture.height(); ++y) {
        const char *line = record.data() + RecordHeaderBytes + qsizetype(y) * picture.width() * 4;
        auto *to = reinterpret_cast<QRgb *>(picture.scanLine(y));
        std::memcpy(to, line, std::size_t(picture.width()) * 4);
        for (int x = 0; x < picture.width(); ++x)
            to[x] |= 0xFF000000;   // opaque whatever the child said
    }
    return {picture, PictureError::None};
}

} // namespace decoder
