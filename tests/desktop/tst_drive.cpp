// tst_drive.cpp: pictures on a drive that is slow, or stops answering, made so by a
// shim (drive/driveshim.cpp) this test loads into itself: a slow file still opens,
// a stalled one is refused in time, and a file whose opening hangs keeps neither
// the window from showing nor the game from quitting; a lesson saved as the game
// closes is still written.
#include "desktop/boardview.h"
#include "desktop/decoder/reader.h"
#include "desktop/decoder/sanitizer.h"
#include "desktop/desktoppictureopener.h"
#include "desktop/lessonfile.h"
#include "desktop/mainwindow.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

#include <dlfcn.h>
#include <unistd.h>

using decoder::PictureError;

namespace {

const QSize Board(300, 250);

// How many of the process's calls the shim holds up now, and has let go so far;
// null without the shim.
int (*stuckCalls)() = nullptr;
int (*releasedCalls)() = nullptr;

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

// Noise, which does not compress.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xff000000u);
    return image;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

decoder::Decoded read(const QString &path)
{
    decoder::PictureReader reader;
    QSignalSpy finished(&reader, &decoder::PictureReader::finished);
    reader.start(decoder::FileName::fromPath(path), Board);
    if (!finished.wait(60000))
        return {{}, PictureError::None};   // and the caller's check fails
    return finished.at(0).at(0).value<decoder::Decoded>();
}

} // namespace

class tst_Drive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void stuckOpenLeavesTheWindowShowing();
    void stalledReadIsRefused();
    void slowReadStillOpens();
    void aLessonAskedForAsTheGameClosesIsWritten();

private:
    QTemporaryDir m_scratch;
};

void tst_Drive::initTestCase()
{
    QVERIFY2(stuckCalls != nullptr && releasedCalls != nullptr, "the drive shim is not loaded");
    qRegisterMetaType<decoder::Decoded>();
    decoder::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_PROGRAM));
}

void tst_Drive::stuckOpenLeavesTheWindowShowing()
{
    // Named on the command line, on a share whose stat() and open() hang.
    const int before = stuckCalls();
    const int released = releasedCalls();
    const auto name = decoder::FileName::fromPath(m_scratch.filePath(QStringLiteral("kalvero-stuck-photo.jpg")));
    MainWindow window(forms::ClockRandom(3), name);
    QTRY_VERIFY(stuckCalls() > before);   // the file is being opened
    QVERIFY(!window.opener()->waitBriefly(150));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(stuckCalls() > before);   // and still is: the window did not wait for it
    QCOMPARE(releasedCalls(), released);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    // The window closes, and the game may quit, with the opening still stuck.
}

void tst_Drive::stalledReadIsRefused()
{
    const QString path = m_scratch.filePath(QStringLiteral("kalvero-stalled-photo.png"));
    QVERIFY(write(path, png(QImage(400, 300, QImage::Format_RGB32))));
    const int before = stuckCalls();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(read(path).error, PictureError::ReadStalled);
    QVERIFY(clock.elapsed() >= decoder::ReadStallMilliseconds);
    QVERIFY(stuckCalls() > before);   // refused while the drive still says nothing
}

void tst_Drive::slowReadStillOpens()
{
    // About 6.5 MB of noise, read at about 1 MB/s, for longer than the decoder's
    // watchdog allows it to decode.
    const QString path = m_scratch.filePath(QStringLiteral("kalvero-slow-photo.png"));
    QVERIFY(write(path, png(noise(1500, 1450))));
    QElapsedTimer clock;
    clock.start();
    const decoder::Decoded decoded = read(path);
    QCOMPARE(decoded.error, PictureError::None);
    QCOMPARE(decoded.picture.size(), Board);
    QVERIFY2(clock.elapsed() > decoder::WatchdogMilliseconds, "the file came too fast to prove anything");
}

// The teacher saves her lesson and closes the game at once: the picture is still being
// read again from a slow drive, and the file will take its time to write.
void tst_Drive::aLessonAskedForAsTheGameClosesIsWritten()
{
    if (!CanSaveLessons())
        QSKIP("this build carries no page");
    const QString picture = m_scratch.filePath(QStringLiteral("kalvero-slow-painting.png"));
    QVERIFY(write(picture, png(noise(600, 500))));
    QVERIFY(QDir(m_scratch.path()).mkdir(QStringLiteral("kalvero-laggard")));
    const QString path = m_scratch.filePath(QStringLiteral("kalvero-laggard/урок.html"));
    {
        MainWindow window(forms::ClockRandom(3));
        QSignalSpy settled(window.opener(), &DesktopPictureOpener::settled);
        window.opener()->open(decoder::FileName::fromPath(picture), window::Arrival::Opened);
        QVERIFY(settled.wait(30000));
        emit window.board()->saveLessonAsked();
        auto *dialog = window.findChild<QFileDialog *>(QStringLiteral("lessonDialog"));
        QVERIFY(dialog);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    lesson::Lesson read;
    QCOMPARE(lesson::ReadLesson(std::string_view(bytes.constData(), std::size_t(bytes.size())), read), lesson::LessonError::None);
    QCOMPARE(QImage::fromData(QByteArray::fromStdString(read.picture)).size(), QSize(600, 500));
    QTRY_VERIFY(!QApplication::overrideCursor());
}

int main(int argc, char **argv)
{
    // The shim goes into this process alone: loaded by starting it afresh, and kept
    // from the decoder children it starts.
    stuckCalls = reinterpret_cast<int (*)()>(::dlsym(RTLD_DEFAULT, "kalveroDriveStuck"));
    releasedCalls = reinterpret_cast<int (*)()>(::dlsym(RTLD_DEFAULT, "kalveroDriveReleased"));
    if (stuckCalls == nullptr && !qEnvironmentVariableIsSet("KALVERO_DRIVE_SHIMMED")) {
        ::setenv("KALVERO_DRIVE_SHIMMED", "1", 1);
        ::setenv("LD_PRELOAD", KALVERO_DRIVE_SHIM, 1);
#if defined(KALVERO_ADDRESS_SANITIZER)
        // The shim comes before the sanitizer's runtime, which it leaves to do its work.
        const QByteArray options = qgetenv("ASAN_OPTIONS") + ":verify_asan_link_order=0";
        ::setenv("ASAN_OPTIONS", options.constData(), 1);
#endif
        ::execv("/proc/self/exe", argv);
        std::perror("tst_drive: starting afresh with the shim");
        return 1;
    }
    ::unsetenv("LD_PRELOAD");
    QApplication application(argc, argv);
    tst_Drive test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drive.moc"
