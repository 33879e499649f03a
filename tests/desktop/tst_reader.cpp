// tst_reader.cpp: reading a picture file through the decoder child: what the game
// checks before a byte is read, the picture the child sends back, the record it
// comes in, and children that crash, hang, spin, hog memory or say too much, which
// the game survives unharmed.
#include "peakmemory.h"
#include "records.h"
#include "desktop/decoder/decode.h"
#include "desktop/decoder/reader.h"
#include "desktop/decoder/record.h"
#include "desktop/decoder/sanitizer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QSignalSpy>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using decoder::PictureError;

Q_DECLARE_METATYPE(PictureError)

namespace {

const QSize Board(300, 250);
const QSize Small(6, 5);   // for records made here

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

QImage stripes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x / 37) * 40 % 256, (y / 23) * 60 % 256, (x + y) % 256));
    return image;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}


// While it lives, readers start the tests' own decoder, which misbehaves as `how`
// says (misbehave/misbehave.cpp), in place of the game's.
class Misbehaving
{
public:
    explicit Misbehaving(const QString &how)
    {
        qputenv("KALVERO_MISBEHAVE", how.toLatin1());
        decoder::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_MISBEHAVE_PROGRAM));
    }
    ~Misbehaving()
    {
        decoder::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_PROGRAM));
        qunsetenv("KALVERO_MISBEHAVE");
    }
    Misbehaving(const Misbehaving &) = delete;
    Misbehaving &operator=(const Misbehaving &) = delete;
};

// The reader's result for one file, as the game's event loop receives it.
decoder::Decoded read(const decoder::FileName &name)
{
    decoder::PictureReader reader;
    QSignalSpy finished(&reader, &decoder::PictureReader::finished);
    reader.start(name, Board);
    if (!finished.wait(15000))
        return {{}, PictureError::None};   // and the caller's check fails
    return finished.at(0).at(0).value<decoder::Decoded>();
}

decoder::Decoded read(const QString &path) { return read(decoder::FileName::fromPath(path)); }

// The reader's decoder child once it runs: the file is read before it starts.
qint64 childOf(const decoder::PictureReader &reader)
{
    const auto *process = reader.findChild<QProcess *>();
    return process ? process->processId() : 0;
}

// Gone, or dead and waiting for a parent to reap it.
bool ended(qint64 process)
{
    QFile status(QStringLiteral("/proc/%1/stat").arg(process));
    if (!status.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = status.readAll();
    const qsizetype state = line.lastIndexOf(')') + 2;
    return state < line.size() && (line[state] == 'Z' || line[state] == 'X');
}

} // namespace

class tst_Reader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void childSendsTheDecodedPicture();
    void recordIsTakenOnlyWhole_data();
    void recordIsTakenOnlyWhole();
    void refusesBadFilesUnread();
    void misbehavingChildIsRefused_data();
    void misbehavingChildIsRefused();
    void deletedReaderStopsItsChild();
    void childKilledFromOutsideHasCrashed();
    void childDiesWithTheGame();

private:
    QTemporaryDir m_scratch;
};

void tst_Reader::initTestCase()
{
    qRegisterMetaType<decoder::Decoded>();
    decoder::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_PROGRAM));
}

void tst_Reader::childSendsTheDecodedPicture()
{
    // Pixel for pixel what the decoder makes of the bytes in this process.
    for (const char *format : {"jpeg", "png", "webp"}) {
        const QByteArray bytes = encode(stripes(700, 400), format);
        const QString path = m_scratch.filePath(QStringLiteral("stripes.") + QLatin1String(format));
        QVERIFY(write(path, bytes));
        const decoder::Decoded decoded = read(path);
        QCOMPARE(decoded.error, PictureError::None);
        QCOMPARE(decoded.picture.format(), QImage::Format_RGB32);
        QVERIFY2(decoded.picture == decoder::DecodePicture(bytes, Board).picture, format);
    }
    // A name that is no valid text, byte 0xFF in it, opens by its bytes.
    const QByteArray odd = QFile::encodeName(m_scratch.path()) + "/\xFF" "bild.png";
    {
        const int file = ::open(odd.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(file >= 0);
        const QByteArray png = encode(stripes(300, 250), "png");
        QCOMPARE(::write(file, png.constData(), std::size_t(png.size())), ssize_t(png.size()));
        ::close(file);
    }
    const decoder::FileName name = decoder::FileName::fromArgument(odd);
    const PictureError error = read(name).error;
    ::unlink(odd.constData());   // QTemporaryDir removes no name that is not text
    QCOMPARE(error, PictureError::None);
    QCOMPARE(name.fileName(), QStringLiteral("\uFFFDbild.png"));
}

void tst_Reader::recordIsTakenOnlyWhole_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<PictureError>("error");
    QTest::addColumn<QImage>("picture");
    const QImage sent = stripes(Small.width(), Small.height());
    const QByteArray picture = written([&](std::FILE *out) { decoder::WritePicture(out, sent); });
    const QByteArray turned = written([](std::FILE *out) { decoder::WritePicture(out, stripes(5, 6)); });
    const QByteArray refusal = written([](std::FILE *out) { decoder::WriteRefusal(out, PictureError::TooComplex); });
    const QByteArray unknown = written([](std::FILE *out) {
        decoder::WriteRefusal(out, PictureError(picture::PictureErrorCount));
    });
    const auto changed = [](QByteArray record, qsizetype at, char byte) { return record.replace(at, 1, &byte, 1); };
    QImage shown = sent;
    shown.setPixel(0, 0, qRgb(0, 0, 0));
    const QByteArray seeThrough = QByteArray(picture).replace(decoder::RecordHeaderBytes, 4, QByteArray(4, '\0'));

    const QImage none;
    const auto crashed = PictureError::DecoderCrashed;
    QTest::newRow("a picture, made opaque") << seeThrough << 0 << PictureError::None << shown;
    QTest::newRow("a refusal") << refusal << 0 << PictureError::TooComplex << none;
    QTest::newRow("exit code not 0") << picture << 1 << crashed << none;
    QTest::newRow("not the magic") << changed(picture, 3, '2') << 0 << crashed << none;
    QTest::newRow("a byte short") << picture.chopped(1) << 0 << crashed << none;
    QTest::newRow("a byte over") << picture + 'x' << 0 << crashed << none;
    QTest::newRow("another shape, as many pixels") << turned << 0 << crashed << none;
    QTest::newRow("a reason past the last") << unknown << 0 << crashed << none;
    QTest::newRow("a refusal with a size") << changed(refusal, 8, 6) << 0 << crashed << none;
    QTest::newRow("a refusal, then more") << refusal + QByteArray(4, 'x') << 0 << crashed << none;
    QTest::newRow("a refusal with pixels") << changed(picture, 4, char(PictureError::Damaged)) << 0 << crashed << none;
    QTest::newRow("nothing") << QByteArray() << 0 << crashed << none;
}

void tst_Reader::recordIsTakenOnlyWhole()
{
    QFETCH(QByteArray, record);
    QFETCH(int, exitCode);
    QFETCH(PictureError, error);
    QFETCH(QImage, picture);
    const decoder::Decoded decoded = decoder::ReadRecord(record, exitCode, Small);
    QCOMPARE(decoded.error, error);
    QCOMPARE(decoded.picture.format(), picture.format());
    QImage exact = decoded.picture;   // RGB32 compares without its alpha bytes
    exact.reinterpretAsFormat(QImage::Format_ARGB32);
    QCOMPARE(exact, picture.convertToFormat(QImage::Format_ARGB32));
}

void tst_Reader::refusesBadFilesUnread()
{
    const QString folder = m_scratch.path();
    QCOMPARE(read(folder).error, PictureError::Folder);
    QCOMPARE(read(folder + QStringLiteral("/none.png")).error, PictureError::Missing);
    QCOMPARE(read(QStringLiteral("/dev/zero")).error, PictureError::NotAFile);
    QVERIFY(write(folder + QStringLiteral("/empty.png"), {}));
    QCOMPARE(read(folder + QStringLiteral("/empty.png")).error, PictureError::Empty);
    QVERIFY(write(folder + QStringLiteral("/notes.png"), "Нощна стража\n"));
    QCOMPARE(read(folder + QStringLiteral("/notes.png")).error, PictureError::NotAnImage);

    // A pipe with no writer would block whoever opened it for reading.
    const QString pipe = folder + QStringLiteral("/pipe.png");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(read(pipe).error, PictureError::NotAFile);

    // One byte over 128 MiB, stored sparse.
    QFile big(folder + QStringLiteral("/big.jpg"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(picture::MaxPictureFileBytes + 1));
    big.close();
    QCOMPARE(read(big.fileName()).error, PictureError::FileTooLarge);

    // No permission to read. Root reads anything, so a child without root's powers tries.
    const QString locked = folder + QStringLiteral("/locked.png");
    QVERIFY(write(locked, encode(stripes(30, 25), "png")));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
        ::_exit(dropped ? int(decoder::OpenForDecoding(decoder::FileName::fromPath(locked)).error) : 100);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(PictureError(WEXITSTATUS(status)), PictureError::Unreadable);
}

void tst_Reader::misbehavingChildIsRefused_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<PictureError>("error");
    QTest::newRow("crashes") << QStringLiteral("crash") << PictureError::DecoderCrashed;
    QTest::newRow("sleeps: the watchdog") << QStringLiteral("hang") << PictureError::TooComplex;
    QTest::newRow("spins: the processor's limit") << QStringLiteral("spin") << PictureError::TooComplex;
#if defined(KALVERO_ADDRESS_SANITIZER)
    // The sanitizer's own limit stops it, as a crash.
    QTest::newRow("takes memory without end") << QStringLiteral("hog") << PictureError::DecoderCrashed;
#else
    QTest::newRow("takes memory without end") << QStringLiteral("hog") << PictureError::TooLarge;
#endif
    QTest::newRow("floods its output") << QStringLiteral("flood") << PictureError::DecoderCrashed;
    QTest::newRow("chatters, then decodes") << QStringLiteral("chatter") << PictureError::None;
}

void tst_Reader::misbehavingChildIsRefused()
{
    QFETCH(QString, how);
    QFETCH(PictureError, error);
    const QString path = m_scratch.filePath(QStringLiteral("good.png"));
    QVERIFY(write(path, encode(stripes(300, 250), "png")));
    // What the child writes on its standard error is the game's to read, not the terminal's.
    const QString heard = m_scratch.filePath(QStringLiteral("stderr-") + how);
    const int terminal = ::dup(STDERR_FILENO);
    const int capture = ::open(QFile::encodeName(heard).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(capture, STDERR_FILENO);
    [[maybe_unused]] const qint64 peakBefore = peakKiB();
    QElapsedTimer clock;
    clock.start();
    decoder::Decoded decoded;
    {
        const Misbehaving misbehaving(how);
        decoded = read(decoder::FileName::fromPath(path));
    }
    const qint64 took = clock.elapsed();
    ::dup2(terminal, STDERR_FILENO);
    ::close(capture);
    ::close(terminal);
    QCOMPARE(decoded.error, error);
    QCOMPARE(decoded.picture.isNull(), error != PictureError::None);
    QVERIFY2(took < decoder::WatchdogMilliseconds + 2000, qPrintable(QString::number(took)));
#if !defined(KALVERO_ADDRESS_SANITIZER)   // whose quarantine keeps freed buffers resident
    QVERIFY2(peakKiB() - peakBefore < 8 * 1024, qPrintable(QString::number(peakKiB() - peakBefore)));
#endif
    QCOMPARE(QFileInfo(heard).size(), 0);
}

void tst_Reader::deletedReaderStopsItsChild()
{
    const QString path = m_scratch.filePath(QStringLiteral("good.png"));
    QVERIFY(write(path, encode(stripes(300, 250), "png")));
    qint64 child = 0;
    {
        const Misbehaving misbehaving(QStringLiteral("hang"));
        decoder::PictureReader reader;
        reader.start(decoder::FileName::fromPath(path), Board);
        QTRY_VERIFY((child = childOf(reader)) > 0);
    }
    QTRY_VERIFY(::kill(pid_t(child), 0) != 0);   // gone, not left spinning
}

void tst_Reader::childKilledFromOutsideHasCrashed()
{
    // Not the processor's limit, not the watchdog: someone else's SIGKILL.
    const QString path = m_scratch.filePath(QStringLiteral("good.png"));
    QVERIFY(write(path, encode(stripes(300, 250), "png")));
    const Misbehaving misbehaving(QStringLiteral("hang"));
    decoder::PictureReader reader;
    QSignalSpy finished(&reader, &decoder::PictureReader::finished);
    reader.start(decoder::FileName::fromPath(path), Board);
    qint64 child = 0;
    QTRY_VERIFY((child = childOf(reader)) > 0);
    QCOMPARE(::kill(pid_t(child), SIGKILL), 0);
    QVERIFY(finished.wait(decoder::WatchdogMilliseconds + 5000));
    QCOMPARE(finished.at(0).at(0).value<decoder::Decoded>().error, PictureError::DecoderCrashed);
}

void tst_Reader::childDiesWithTheGame()
{
    // A game killed while its decoder hangs takes the decoder with it.
    const QString path = m_scratch.filePath(QStringLiteral("good.png"));
    QVERIFY(write(path, encode(stripes(300, 250), "png")));
    const Misbehaving misbehaving(QStringLiteral("hang"));
    QProcess game;
    game.start(QStringLiteral(KALVERO_GAME_PROGRAM), {QStringLiteral(KALVERO_MISBEHAVE_PROGRAM), path});
    QVERIFY(game.waitForStarted());
    QTRY_VERIFY(game.canReadLine());
    const qint64 child = game.readLine().trimmed().toLongLong();
    QVERIFY(child > 0);
    const auto cleanUp = qScopeGuard([child] { ::kill(pid_t(child), SIGKILL); });   // should it be left behind
    QVERIFY(!ended(child));
    QCOMPARE(::kill(pid_t(game.processId()), SIGTERM), 0);
    QVERIFY(game.waitForFinished());
    QTRY_VERIFY(ended(child));
}

QTEST_GUILESS_MAIN(tst_Reader)
#include "tst_reader.moc"
