// lessonfile.cpp: the lesson's picture, the carried page and writing it safely.
#include "desktop/lessonfile.h"

#include "window/texts.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <cerrno>

namespace {

// Why a save failed, from Qt's error and the system's errno of the call that failed.
QString reasonFor(QFileDevice::FileError error, int systemError, const QString &path)
{
    std::string_view reason = window::texts::WriteFailed;
    if (error == QFileDevice::ResourceError || systemError == ENOSPC || systemError == EDQUOT)
        reason = window::texts::DiskFull;
    else if (error == QFileDevice::PermissionsError || systemError == EACCES || systemError == EPERM || systemError == EROFS)
        reason = window::texts::NoWritePermission;
    const QByteArray name = QFileInfo(path).fileName().toUtf8();
    return QString::fromStdString(
        window::texts::CannotSave(std::string_view(name.constData(), std::size_t(name.size())), reason));
}

} // namespace

QByteArray LessonPicture(const QImage &source)
{
    Q_ASSERT(!source.isNull());
    const QImage scaled = source.convertToFormat(QImage::Format_RGB32)
                              .scaled(lesson::PictureWidth, lesson::PictureHeight, Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
    QByteArray jpeg;
    for (const int quality : {90, 85, 80, 75, 70, 60, 50}) {
        jpeg.clear();
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        const bool written = writer.write(scaled);
        Q_ASSERT(written);   // the JPEG plugin is Qt's own
        Q_UNUSED(written);
        if (jpeg.size() <= lesson::MaxPictureBytes)
            break;
    }
    return jpeg;
}

QByteArray CarriedPage()
{
#if defined(KALVERO_HAS_PAGE)
    QFile page(QStringLiteral(":/kalvero.html"));
    if (page.open(QIODevice::ReadOnly))
        return page.readAll();
    Q_ASSERT(false && "the page is compiled in");
#endif
    return {};
}

bool CanSaveLessons()
{
    static const bool can = [] {
        const QByteArray page = CarriedPage();
        return lesson::HasOneSlot(std::string_view(page.constData(), std::size_t(page.size())));
    }();
    return can;
}

QString SaveLesson(const QString &path, const lesson::Lesson &lesson) { return SaveLesson(path, lesson, CarriedPage()); }

QString SaveLesson(const QString &path, const lesson::Lesson &lesson, const QByteArray &page)
{
    const std::string_view bare(page.constData(), std::size_t(page.size()));
    Q_ASSERT(lesson::HasOneSlot(bare));   // CanSaveLessons() for the carried page
    if (!lesson::HasOneSlot(bare))
        return reasonFor(QFileDevice::WriteError, 0, path);
    const std::string written = lesson::WriteLesson(bare, lesson);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return reasonFor(file.error(), errno, path);
    if (file.write(written.data(), qint64(written.size())) != qint64(written.size())) {
        const int systemError = errno;
        const QFileDevice::FileError error = file.error();
        file.cancelWriting();   // the temporary file goes, the one at `path` stays as it was
        return reasonFor(error, systemError, path);
    }
    errno = 0;
    if (!file.commit())   // which removes the temporary file when it fails
        return reasonFor(file.error(), errno, path);
    return {};
}
