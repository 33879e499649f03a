// desktoppictureopener.cpp: the menu, the file dialog, the reading in the background and the refusals.
#include "desktop/desktoppictureopener.h"

#include "desktop/qtext.h"
#include "window/texts.h"
#include "desktop/decoder/reader.h"
#include "desktop/terminal.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

#include <cstdio>
#include <utility>

namespace {

// "Изображения (*.jpg *.JPG ...)": the formats the game reads, in both cases.
QString pictureFilter()
{
    QStringList patterns;
    // A lesson (a page the game saved) opens from the same dialog.
    for (const char *suffix : {"jpg", "jpeg", "jpe", "jfif", "png", "webp", "tif", "tiff", "gif", "bmp", "html", "htm"}) {
        patterns << QStringLiteral("*.") + QString::fromLatin1(suffix);
        patterns << QStringLiteral("*.") + QString::fromLatin1(suffix).toUpper();
    }
    return toQString(window::texts::PictureFilter) + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

// The line both the box and the terminal tell.
QString cannotOpen(std::string_view reason, const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    return QString::fromStdString(
        window::texts::CannotOpen(std::string_view(utf8.constData(), std::size_t(utf8.size())), reason));
}

std::string_view reasonOf(const decoder::Decoded &decoded)
{
    Q_ASSERT(!decoded.opened());
    return decoded.error != picture::PictureError::None ? window::texts::Reason(decoded.error)
                                                        : window::texts::LessonReason(decoded.lessonError);
}

} // namespace

DesktopPictureOpener::DesktopPictureOpener(QWidget *window) : QObject(window), m_window(window) {}

DesktopPictureOpener::~DesktopPictureOpener() { stop(); }

void DesktopPictureOpener::open(const decoder::FileName &name, window::Arrival arrival)
{
    stop();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_reader = new decoder::PictureReader(this);
    connect(m_reader, &decoder::PictureReader::finished, this, [this, name, arrival](const decoder::Decoded &decoded) {
        stop();
        take(decoded, name, arrival);
    });
    m_reader->start(name, m_target);
}

bool DesktopPictureOpener::waitBriefly(int milliseconds)
{
    return !m_reader || m_reader->waitForFinished(milliseconds);
}

void DesktopPictureOpener::stop()
{
    if (!m_reader)
        return;
    m_reader->disconnect(this);
    m_reader->deleteLater();   // which stops a child still at work
    m_reader = nullptr;
    QApplication::restoreOverrideCursor();
}

void DesktopPictureOpener::take(const decoder::Decoded &decoded, const decoder::FileName &name, window::Arrival arrival)
{
    if (decoded.opened() && decoded.lesson) {
        m_pictureFileName = name.fileName();
        m_pictureFile = name;
        emit lessonChosen(decoded.picture, *decoded.lesson, arrival);
    } else if (decoded.opened()) {
        m_pictureFileName = name.fileName();
        m_pictureFile = name;
        emit pictureChosen(decoded.picture, arrival);
    } else {
        if (arrival == window::Arrival::AtStart)
            std::fprintf(stderr, "kalvero: %s\n", TerminalSafe(cannotOpen(reasonOf(decoded), name.fileName())).toLocal8Bit().constData());
        tell(refusal(decoded, name.fileName()));
    }
    emit settled();
}

void DesktopPictureOpener::tell(const QString &why)
{
    if (!m_window->isVisible()) {
        // Over the window, not in a corner of the screen: told once it shows.
        m_untold << why;
        m_window->installEventFilter(this);
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Warning, toQString(window::texts::CannotOpenTitle), why, QMessageBox::Ok,
                                m_window);
    box->setObjectName(QStringLiteral("pictureRefused"));
    box->setTextFormat(Qt::PlainText);   // a file's name is never markup
    box->button(QMessageBox::Ok)->setText(toQString(window::texts::Understood));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void DesktopPictureOpener::useBuiltIn()
{
    stop();
    m_pictureFileName.clear();
    m_pictureFile.reset();
    emit pictureChosen(QImage(), window::Arrival::BuiltIn);
}

void DesktopPictureOpener::askForFile()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    auto *dialog = new QFileDialog(m_window, toQString(window::texts::OpenPictureTitle), folder, pictureFilter());
    dialog->setObjectName(QStringLiteral("pictureDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog speaks the game's language too; a desktop's dialog speaks the desktop's.
    const QFileDialog::DialogLabel labels[5] = {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::FileType,
                                                QFileDialog::Accept, QFileDialog::Reject};
    for (int i = 0; i < 5; ++i)
        dialog->setLabelText(labels[i], toQString(window::texts::DialogLabels[i]));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) { open(decoder::FileName::fromPath(path), window::Arrival::Opened); });
    dialog->open();
}

bool DesktopPictureOpener::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show) {
        m_window->removeEventFilter(this);
        QMetaObject::invokeMethod(this, [this] {
            for (const QString &why : std::exchange(m_untold, {}))
                tell(why);
        }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

QString DesktopPictureOpener::droppedFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return QString();
#if defined(Q_OS_UNIX)
    // A name from an old archive (CP1251, say) is bytes that are no UTF-8, which
    // toLocalFile would turn into U+FFFD: the URL's escapes keep them.
    const QByteArray bytes = QByteArray::fromPercentEncoding(urls.front().path(QUrl::FullyEncoded).toLatin1());
    if (urls.front().host().isEmpty() && QString::fromUtf8(bytes).toUtf8() != bytes)
        return decoder::FileName::carried(bytes);
#endif
    return urls.front().toLocalFile();
}

QString DesktopPictureOpener::refusal(picture::PictureError error, const QString &name)
{
    // The box's selectable text takes its direction from the first strong character,
    // isolated or not: a right-to-left name would turn the whole line. U+200E LRM says
    // first that the line is left to right.
    return QChar(0x200E) + cannotOpen(window::texts::Reason(error), name);
}

QString DesktopPictureOpener::refusal(const decoder::Decoded &decoded, const QString &name)
{
    return QChar(0x200E) + cannotOpen(reasonOf(decoded), name);
}
