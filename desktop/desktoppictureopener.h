// desktoppictureopener.h: how a picture of the player's own comes in: the board's menu
// with the file dialog, a file dropped on the window, and the command line.
#pragma once

#include "desktop/decoder/decode.h"
#include "desktop/decoder/file.h"
#include "desktop/decoder/reader.h"
#include "window/play.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QStringList>

class QMimeData;
class QWidget;

// One file is read at a time, in a decoder child (decoder/reader.h), under a busy
// cursor; a newer request stops the one before, so the newest wins. A picture comes
// back through pictureChosen; a lesson (a page the game saved, lesson/lesson.h),
// read in the child too, through lessonChosen. A file that gives neither, a web
// page that is no lesson included, is told in a message box over the window,
// naming it and the reason, and the game stays as it was.
class DesktopPictureOpener : public QObject
{
    Q_OBJECT

public:
    explicit DesktopPictureOpener(QWidget *window);
    ~DesktopPictureOpener() override;

    void open(const decoder::FileName &name, window::Arrival arrival);
    // Waits for the newest request at most `milliseconds`, the window's events
    // aside: true when it has been taken or refused.
    bool waitBriefly(int milliseconds);
    void setTarget(const QSize &target) { m_target = target; }   // the board's size in device pixels

    // The name of the file the board's picture (or lesson) came from, as the player
    // sees it; empty for the built-in picture.
    QString pictureFileName() const { return m_pictureFileName; }
    // The file the board's picture came from, to decode again at a lesson's size; none
    // for the built-in picture.
    const std::optional<decoder::FileName> &pictureFile() const { return m_pictureFile; }

    void askForFile();   // the desktop's file dialog, from the Pictures folder
    void useBuiltIn();   // the built-in picture again; a file still under way no longer counts

    // The one local file dropped, or empty; for FileName::fromPath, bytes and all.
    static QString droppedFile(const QMimeData *mime);
    static QString refusal(picture::PictureError error, const QString &name);   // why, in one line
    static QString refusal(const decoder::Decoded &decoded, const QString &name);   // !decoded.opened()

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void pictureChosen(const QImage &picture, window::Arrival arrival);   // null: the built-in one
    // A lesson: its picture, the board's source as pictureChosen's, and its text,
    // textCut and start (lesson.picture is empty).
    void lessonChosen(const QImage &picture, const lesson::Lesson &lesson, window::Arrival arrival);
    void settled();   // a file was taken or refused

private:
    void take(const decoder::Decoded &decoded, const decoder::FileName &name, window::Arrival arrival);
    void tell(const QString &refusal);   // once the window shows
    void stop();                         // the request under way, if any

    QWidget *m_window;
    QPointer<decoder::PictureReader> m_reader;   // the newest request while it is under way
    QSize m_target{picture::PictureWidth, picture::PictureHeight};
    QStringList m_untold;   // refusals that wait for the window to show
    QString m_pictureFileName;
    std::optional<decoder::FileName> m_pictureFile;
};

Q_DECLARE_METATYPE(lesson::Lesson)
