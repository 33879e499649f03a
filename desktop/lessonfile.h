// lessonfile.h: a lesson saved by the desktop: the painting made the lesson's picture,
// and the page the program carries written with the lesson in it.
#pragma once

#include "lesson/lesson.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// The lesson's picture: `source` (the board's source, any size) scaled smoothly to
// lesson::PictureWidth x lesson::PictureHeight, as a JPEG of quality 90, or of less,
// down to 50, as far as a detailed painting needs to fit lesson::MaxPictureBytes.
QByteArray LessonPicture(const QImage &source);

// The page this program carries (built with KALVERO_PAGE), empty in a build without one.
QByteArray CarriedPage();

// Whether this program can save a lesson: it carries a page with one lesson block.
// The board's menu offers "Запази като урок…" only then.
bool CanSaveLessons();

// Writes `page` (by default the carried one; lesson::HasOneSlot(page)) with `lesson`
// in it to `path`, through a temporary file renamed into place: an existing file
// there is replaced whole or not at all, and nothing half-written stays. Empty when
// saved, else the line to tell, in Bulgarian: the file's name and why (no permission
// to write there, a full disk, any other failure).
QString SaveLesson(const QString &path, const lesson::Lesson &lesson);
QString SaveLesson(const QString &path, const lesson::Lesson &lesson, const QByteArray &page);
