// pictureopener.cpp: the menu, the file dialog, the reading in the background and the refusals.
#include "window/pictureopener.h"

#include "board/qtext.h"
#include "model/texts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QMessageBox>
#include <QPushButton>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// "Изображения (*.bmp *.BMP *.gif ...)": every format the readers know, in both cases.
QString pictureFilter()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toUpper();
    }
    return toQString(model::texts::PictureFilter) + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

} // namespace

PictureOpener::PictureOpener(QWidget *window) : QObject(window), m_window(window)
{
    board::PrepareReaders();
}

PictureOpener::~PictureOpener()
{
    if (m_pending > 0)
        QApplication::restoreOverrideCursor();   // the files still read are nobody's now
}

void PictureOpener::open(const QString &path)
{
    const quint64 request = ++m_newest;
    if (m_pending++ == 0)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    auto *watcher = new QFutureWatcher<board::OpenedPicture>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, path, request] {
        watcher->deleteLater();
        if (--m_pending == 0)
            QApplication::restoreOverrideCursor();
        if (request == m_newest)
            take(watcher->result(), path);
    });
    watcher->setFuture(QtConcurrent::run(board::OpenPictureFile, path));
}

void PictureOpener::take(const board::OpenedPicture &opened, const QString &path)
{
    if (opened.error == board::PictureError::None) {
        emit pictureChosen(opened.picture);
    } else {
        // Told once the window can show it, however early the file came.
        auto *box = new QMessageBox(QMessageBox::Warning, toQString(model::texts::CannotOpenTitle),
                                    refusal(opened.error, path), QMessageBox::Ok, m_window);
        box->setObjectName(QStringLiteral("pictureRefused"));
        box->button(QMessageBox::Ok)->setText(toQString(model::texts::Understood));
        box->setAttribute(Qt::WA_DeleteOnClose);
        QMetaObject::invokeMethod(box, &QDialog::open, Qt::QueuedConnection);
    }
    emit settled();
}

void PictureOpener::useBuiltIn()
{
    ++m_newest;
    emit pictureChosen(QImage());
}

void PictureOpener::askForFile()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    auto *dialog = new QFileDialog(m_window, toQString(model::texts::OpenPictureTitle), folder, pictureFilter());
    dialog->setObjectName(QStringLiteral("pictureDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog speaks the game's language too; a desktop's dialog speaks the desktop's.
    const QFileDialog::DialogLabel labels[5] = {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::FileType,
                                                QFileDialog::Accept, QFileDialog::Reject};
    for (int i = 0; i < 5; ++i)
        dialog->setLabelText(labels[i], toQString(model::texts::DialogLabels[i]));
    connect(dialog, &QFileDialog::fileSelected, this, &PictureOpener::open);
    dialog->open();
}

QString PictureOpener::droppedFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

QString PictureOpener::refusal(board::PictureError error, const QString &path)
{
    const QString fileName = QFileInfo(path).fileName();
    const QByteArray name = (fileName.isEmpty() ? path : fileName).toUtf8();
    return QString::fromStdString(model::texts::CannotOpen(std::string_view(name.constData(), std::size_t(name.size())),
                                                           model::texts::Reason(error)));
}
