// record.cpp: the decoder child's record, written by the child and read by the game.
#include "desktop/decoder/record.h"

#include <QStringDecoder>

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

void writeHeader(std::FILE *out, PictureError error, int width, int height, lesson::LessonError lessonError = {},
                 qsizetype lessonBytes = 0)
{
    char header[RecordHeaderBytes];
    std::memcpy(header, Magic, MagicBytes);
    putNumber(header + 4, quint32(error));
    putNumber(header + 8, quint32(width));
    putNumber(header + 12, quint32(height));
    putNumber(header + 16, quint32(lessonError));
    putNumber(header + 20, quint32(lessonBytes));
    std::fwrite(header, 1, sizeof header, out);
}

// The lesson's part of a record, or none when it is not one.
std::optional<lesson::Lesson> lessonPart(QByteArrayView part)
{
    if (part.size() < LessonPartHeaderBytes || part.size() > LessonPartHeaderBytes + LongestLessonText)
        return std::nullopt;
    const quint8 cut = quint8(part[0]), hasStart = quint8(part[1]);
    if (cut > 1 || hasStart > 1)
        return std::nullopt;
    lesson::Lesson read;
    read.textCut = cut == 1;
    model::Arrangement start{};
    std::memcpy(start.data(), part.data() + 2, start.size());
    if (hasStart && !model::IsPermutation(start))
        return std::nullopt;
    if (!hasStart && start != model::Arrangement{})
        return std::nullopt;
    if (hasStart)
        read.start = start;
    const QByteArrayView text = part.sliced(LessonPartHeaderBytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(text);
    if (utf8.hasError() || decoded.toUcs4().size() > lesson::MaxTextLength)
        return std::nullopt;
    read.text.assign(text.data(), std::size_t(text.size()));
    return read;
}

} // namespace

void WriteRefusal(std::FILE *out, PictureError error)
{
    Q_ASSERT(error != PictureError::None);
    writeHeader(out, error, 0, 0);
}

void WriteRefusal(std::FILE *out, lesson::LessonError error)
{
    Q_ASSERT(error != lesson::LessonError::None);
    writeHeader(out, PictureError::None, 0, 0, error);
}

void WritePicture(std::FILE *out, const QImage &picture, const std::optional<lesson::Lesson> &lesson)
{
    Q_ASSERT(picture.format() == QImage::Format_RGB32);
    const qsizetype lessonBytes = lesson ? LessonPartHeaderBytes + qsizetype(lesson->text.size()) : 0;
    writeHeader(out, PictureError::None, picture.width(), picture.height(), {}, lessonBytes);
    for (int y = 0; y < picture.height(); ++y)
        std::fwrite(picture.constScanLine(y), 4, std::size_t(picture.width()), out);
    if (!lesson)
        return;
    Q_ASSERT(lesson->text.size() <= std::size_t(LongestLessonText));
    char flags[LessonPartHeaderBytes] = {};
    flags[0] = lesson->textCut ? 1 : 0;
    flags[1] = lesson->start ? 1 : 0;
    if (lesson->start)
        std::memcpy(flags + 2, lesson->start->data(), lesson->start->size());
    std::fwrite(flags, 1, sizeof flags, out);
    std::fwrite(lesson->text.data(), 1, lesson->text.size(), out);
}

qsizetype LongestRecord(const QSize &target)
{
    return RecordHeaderBytes + qsizetype(target.width()) * target.height() * 4 + LessonPartHeaderBytes + LongestLessonText;
}

Decoded ReadRecord(QByteArrayView record, int exitCode, const QSize &target)
{
    const Decoded broken{{}, PictureError::DecoderCrashed, {}, {}};
    if (exitCode != 0 || record.size() < RecordHeaderBytes || !record.startsWith(QByteArrayView(Magic, MagicBytes)))
        return broken;
    const quint32 error = numberAt(record, 4), width = numberAt(record, 8), height = numberAt(record, 12);
    const quint32 lessonError = numberAt(record, 16), lessonBytes = numberAt(record, 20);
    if (error >= quint32(picture::PictureErrorCount) || lessonError >= quint32(lesson::LessonErrorCount))
        return broken;
    if (error != quint32(PictureError::None) || lessonError != quint32(lesson::LessonError::None)) {
        if ((error != 0 && lessonError != 0) || width != 0 || height != 0 || lessonBytes != 0
            || record.size() != RecordHeaderBytes)
            return broken;
        return {{}, PictureError(error), lesson::LessonError(lessonError), {}};
    }
    // The child's numbers could be anything: they are compared, never multiplied.
    const qsizetype pixelBytes = qsizetype(target.width()) * target.height() * 4;
    if (width != quint32(target.width()) || height != quint32(target.height())
        || lessonBytes > quint32(LessonPartHeaderBytes + LongestLessonText)
        || record.size() != RecordHeaderBytes + pixelBytes + qsizetype(lessonBytes))
        return broken;
    std::optional<lesson::Lesson> lesson;
    if (lessonBytes != 0) {
        lesson = lessonPart(record.sliced(RecordHeaderBytes + pixelBytes));
        if (!lesson)
            return broken;
    }
    QImage picture(target, QImage::Format_RGB32);
    if (picture.isNull())   // no memory for it in the game
        return {{}, PictureError::TooLarge, {}, {}};
    for (int y = 0; y < picture.height(); ++y) {
        const char *line = record.data() + RecordHeaderBytes + qsizetype(y) * picture.width() * 4;
        auto *to = reinterpret_cast<QRgb *>(picture.scanLine(y));
        std::memcpy(to, line, std::size_t(picture.width()) * 4);
        for (int x = 0; x < picture.width(); ++x)
            to[x] |= 0xFF000000;   // opaque whatever the child said
    }
    return {picture, PictureError::None, {}, std::move(lesson)};
}

} // namespace decoder
