// pictureopener.h: how a picture of the player's own comes in: the board's menu
// with the file dialog, a file dropped on the window, and the command line.
#pragma once

#include "board/picturefile.h"

#include <QObject>

class QMimeData;
class QPoint;
class QWidget;

// Files are read and decoded off the GUI thread under a busy cursor; when several
// are under way, the newest wins. A file that gives no picture is told in a message
// box naming it and the reason, and the game stays as it was.
class PictureOpener : public QObject
{
    Q_OBJECT

public:
    explicit PictureOpener(QWidget *window);
    ~PictureOpener() override;

    void open(const QString &path);
    void take(const board::OpenedPicture &opened, const QString &path);   // a picture read elsewhere
    void askForFile();   // the desktop's file dialog, from the Pictures folder
    void useBuiltIn();   // the built-in picture again; a file still under way no longer counts

    static QString droppedFile(const QMimeData *mime);   // the one local file dropped, or empty
    static QString refusal(board::PictureError error, const QString &path);   // why, in one line

signals:
    void pictureChosen(const QImage &picture);   // 300 x 250, or null for the built-in one
    void settled();                              // a file was taken or refused

private:
    QWidget *m_window;
    int m_pending = 0;
    quint64 m_newest = 0;
};
