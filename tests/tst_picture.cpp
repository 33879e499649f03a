// tst_picture.cpp: a picture the player opens: the crop of wide, tall, large and
// small pictures, the EXIF orientation, content over file name, and every kind of
// bad file refused with its reason.
#include "board/picturefile.h"
#include "board/resource.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using board::PictureError;

namespace {

QRgb colour(int i) { return qRgb((i * 67 + 20) % 256, (i * 139 + 40) % 256, (i * 29 + 200) % 256); }

// Bands of 100 pixels, across or down, band i in colour(i).
QImage bands(int width, int height, Qt::Orientation across)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colour((across == Qt::Horizontal ? x : y) / 100));
    return image;
}

// Four quadrants in colours 0 to 3: top left, top right, bottom left, bottom right.
QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colour((y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)));
    return image;
}

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    return writer.write(image) ? bytes : QByteArray();
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// A bad file's refusal, or a good one's picture.
board::OpenedPicture openFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {{}, PictureError::ReadFailed};
    file.close();
    return board::OpenPictureFile(path);
}

// The CRC-32 of PNG chunks.
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

const QByteArray TinyGif("GIF89a\x04\x00\x04\x00\xf0\x00\x00\xff\x00\x00\x00\x00\xff\x21\xf9\x04\x00\x00\x00\x00\x00"
                         "\x2c\x00\x00\x00\x00\x04\x00\x04\x00\x00\x02\x04\x84\x1d\xa7\x57\x00\x3b", 45);

} // namespace

Q_DECLARE_METATYPE(PictureError)

class tst_Picture : public QObject
{
    Q_OBJECT

private slots:
    void coversTheBoardAndCropsEvenly_data();
    void coversTheBoardAndCropsEvenly();
    void followsTheExifOrientation();
    void extremeProportionsCostLittle();
    void seedCorpusWholeOpensCutRefused_data();
    void seedCorpusWholeOpensCutRefused();
    void contentDecidesNotTheName();
    void refusesBadData_data();
    void refusesBadData();
    void refusesBadFiles();
    void jpegCutShortWithWarningsOff();
    void ownResourcesReadByNamedFormat();

private:
    QTemporaryDir m_scratch;
};

void tst_Picture::coversTheBoardAndCropsEvenly_data()
{
    // Where the picture's pixel at board point (x, y) comes from, in the source.
    using Source = std::function<QPoint(QPoint)>;
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<Source>("source");
    QTest::newRow("exact size") << bands(300, 250, Qt::Horizontal) << QByteArray("png") << 0
                                << Source([](QPoint p) { return p; });
    QTest::newRow("wide: 450 cropped each side") << bands(1200, 250, Qt::Horizontal) << QByteArray("png") << 0
                                                 << Source([](QPoint p) { return p + QPoint(450, 0); });
    QTest::newRow("tall: 375 cropped top and bottom") << bands(300, 1000, Qt::Vertical) << QByteArray("png") << 0
                                                      << Source([](QPoint p) { return p + QPoint(0, 375); });
    QTest::newRow("wide, halved first") << bands(2400, 500, Qt::Horizontal) << QByteArray("bmp") << 0
                                        << Source([](QPoint p) { return p * 2 + QPoint(900, 0); });
    QTest::newRow("large JPEG, an eighth") << quadrants(4800, 4000) << QByteArray("jpeg") << 6
                                           << Source([](QPoint p) { return p * 16; });
    QTest::newRow("small, scaled up") << quadrants(60, 50) << QByteArray("png") << 0
                                      << Source([](QPoint p) { return p / 5; });
    QTest::newRow("small and tall") << quadrants(40, 50) << QByteArray("webp") << 8
                                    << Source([](QPoint p) { return QPoint(p.x() * 40 / 300, 8 + p.y() * 33 / 250); });
}

void tst_Picture::coversTheBoardAndCropsEvenly()
{
    QFETCH(QImage, image);
    QFETCH(QByteArray, format);
    QFETCH(int, tolerance);
    QFETCH(std::function<QPoint(QPoint)>, source);
    const QByteArray bytes = encode(image, format);
    QVERIFY2(!bytes.isEmpty(), format.constData());
    const board::OpenedPicture opened = board::DecodePicture(bytes);
    QCOMPARE(opened.error, PictureError::None);
    QCOMPARE(opened.picture.size(), QSize(300, 250));
    QCOMPARE(opened.picture.format(), QImage::Format_RGB32);
    // Every fifth point, but those within 3 pixels of an edge in the source, where
    // smooth filtering mixes neighbouring colours.
    for (int y = 0; y < 250; y += 5) {
        for (int x = 0; x < 300; x += 5) {
            const QPoint from = source(QPoint(x, y));
            const QRgb wanted = image.pixel(from);
            bool edge = false;
            for (const QPoint step : {QPoint(3, 0), QPoint(-3, 0), QPoint(0, 3), QPoint(0, -3)}) {
                const QPoint beside = from + step * (image.width() / 300 + 1);
                edge = edge || !image.rect().contains(beside) || image.pixel(beside) != wanted;
            }
            if (!edge)
                QVERIFY2(near(opened.picture.pixel(x, y), wanted, tolerance),
                         qPrintable(QStringLiteral("(%1, %2) from (%3, %4)").arg(x).arg(y).arg(from.x()).arg(from.y())));
        }
    }
}

void tst_Picture::followsTheExifOrientation()
{
    // Stored 1000 wide and 1200 high, to be turned a quarter clockwise: the stored
    // left 300 columns (colour 0) come to the top 300 rows of 1000, which the board
    // shows, a quarter as large, as its top 75 rows.
    QImage stored(1000, 1200, QImage::Format_RGB32);
    for (int y = 0; y < 1200; ++y)
        for (int x = 0; x < 1000; ++x)
            stored.setPixel(x, y, colour(x < 300 ? 0 : 1));
    // Qt writes no EXIF, so the orientation tag (6: a quarter clockwise) goes in by hand.
    QByteArray jpeg = encode(stored, "jpeg");
    jpeg.insert(2, QByteArray("\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08" "\x00\x01"
                              "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00" "\x00\x00\x00\x00", 36));
    const board::OpenedPicture opened = board::DecodePicture(jpeg);
    QCOMPARE(opened.error, PictureError::None);
    for (const int x : {10, 150, 290}) {
        QVERIFY(near(opened.picture.pixel(x, 65), colour(0), 8));
        QVERIFY(near(opened.picture.pixel(x, 85), colour(1), 8));
    }
}

void tst_Picture::extremeProportionsCostLittle()
{
    // Covering the board whole, these would be 300 x 1,200,000 and 15,000,000 x 250.
    for (const QSize size : {QSize(1, 4000), QSize(60000, 1)}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour(5));
        const board::OpenedPicture opened = board::DecodePicture(encode(image, "png"));
        QCOMPARE(opened.error, PictureError::None);
        QCOMPARE(opened.picture.pixel(0, 0), colour(5));
        QCOMPARE(opened.picture.pixel(299, 249), colour(5));
    }
}

void tst_Picture::seedCorpusWholeOpensCutRefused_data()
{
    QTest::addColumn<QString>("path");
    const QDir corpus(QStringLiteral(KALVERO_SOURCE_DIR "/tests/fuzz/pictures"));
    for (const QString &name : corpus.entryList(QDir::Files)) {
        if (!name.contains(QLatin1String("scrambled")) && !name.startsWith(QLatin1String("huge")))
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }
}

void tst_Picture::seedCorpusWholeOpensCutRefused()
{
    QFETCH(QString, path);
    const bool cut = path.contains(QLatin1String("-cut."));
    QCOMPARE(board::OpenPictureFile(path).error, cut ? PictureError::Damaged : PictureError::None);
}

void tst_Picture::contentDecidesNotTheName()
{
    const QImage image = bands(300, 250, Qt::Horizontal);
    const board::OpenedPicture opened = openFile(m_scratch.filePath(QStringLiteral("really a PNG.jpg")), encode(image, "png"));
    QCOMPARE(opened.error, PictureError::None);
    QCOMPARE(opened.picture, image);
}

void tst_Picture::refusesBadData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureError>("error");
    const QImage image = quadrants(320, 240);
    const QByteArray jpeg = encode(image, "jpeg"), png = encode(image, "png"), webp = encode(image, "webp");
    const QByteArray bmp = encode(image, "bmp");
    QTest::newRow("text") << QByteArray("Нощна стража\n") << PictureError::NotAnImage;
    QTest::newRow("empty") << QByteArray() << PictureError::Empty;
    QTest::newRow("JPEG cut short") << jpeg.left(jpeg.size() * 2 / 3) << PictureError::Damaged;
    QTest::newRow("PNG cut short") << png.left(png.size() / 2) << PictureError::Damaged;
    QTest::newRow("WebP cut short") << webp.left(webp.size() / 2) << PictureError::Damaged;
    QTest::newRow("BMP cut short") << bmp.left(bmp.size() - 1000) << PictureError::Damaged;
    QTest::newRow("GIF cut short") << TinyGif.left(40) << PictureError::Damaged;
    QByteArray scrambled = jpeg;
    for (qsizetype at = jpeg.size() / 2; at < jpeg.size() / 2 + 64; ++at)
        scrambled[at] = char(0xA5 ^ at);
    QTest::newRow("JPEG scrambled inside") << scrambled << PictureError::Damaged;
    // Headers that claim 60000 x 60000 pixels, refused before any pixel is decoded.
    QByteArray hugeJpeg = jpeg;
    const qsizetype frame = hugeJpeg.indexOf("\xFF\xC0");
    hugeJpeg.replace(frame + 5, 4, QByteArray("\xEA\x60\xEA\x60", 4));
    QTest::newRow("JPEG of 60000 x 60000") << hugeJpeg << PictureError::TooLarge;
    QByteArray hugePng = png;   // the header chunk, its CRC made right again
    hugePng.replace(16, 8, QByteArray("\x00\x00\xEA\x60\x00\x00\xEA\x60", 8));
    const quint32 crc = crc32(hugePng.mid(12, 17));
    for (int i = 0; i < 4; ++i)
        hugePng[29 + i] = char(crc >> (24 - 8 * i));
    QTest::newRow("PNG of 60000 x 60000") << hugePng << PictureError::TooLarge;
}

void tst_Picture::refusesBadData()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PictureError, error);
    const board::OpenedPicture opened = board::DecodePicture(bytes);
    QCOMPARE(opened.error, error);
    QVERIFY(opened.picture.isNull());
    // Whole, the same kinds of file open.
    QCOMPARE(board::DecodePicture(TinyGif).error, PictureError::None);
}

void tst_Picture::refusesBadFiles()
{
    const QString folder = m_scratch.path();
    QCOMPARE(board::OpenPictureFile(folder).error, PictureError::Folder);
    QCOMPARE(board::OpenPictureFile(folder + QStringLiteral("/none.png")).error, PictureError::Missing);
    QCOMPARE(board::OpenPictureFile(QStringLiteral("/dev/zero")).error, PictureError::NotAFile);
    QCOMPARE(openFile(folder + QStringLiteral("/empty.png"), {}).error, PictureError::Empty);

    // A pipe with no writer would block whoever opened it: it is never opened.
    const QString pipe = folder + QStringLiteral("/pipe.png");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(board::OpenPictureFile(pipe).error, PictureError::NotAFile);

    // One byte over 64 MiB, stored sparse.
    QFile big(folder + QStringLiteral("/big.png"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(board::MaxPictureFileBytes + 1));
    big.close();
    QCOMPARE(board::OpenPictureFile(big.fileName()).error, PictureError::FileTooLarge);

    // No permission to read. Root reads anything, so a child without root's powers tries.
    const QString locked = folder + QStringLiteral("/locked.png");
    QCOMPARE(openFile(locked, encode(quadrants(30, 25), "png")).error, PictureError::None);
    QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    if (::geteuid() != 0) {
        QCOMPARE(board::OpenPictureFile(locked).error, PictureError::Unreadable);
    } else {
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            ::_exit(dropped ? int(board::OpenPictureFile(locked).error) : 100);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(PictureError(WEXITSTATUS(status)), PictureError::Unreadable);
    }
}

void tst_Picture::jpegCutShortWithWarningsOff()
{
    // The reader's warnings may be switched off; the JPEG's missing end still tells,
    // though a segment before the picture holds a whole small JPEG, end and all, as
    // a camera's thumbnail does.
    const QByteArray thumbnail = encode(quadrants(16, 12), "jpeg");
    QByteArray jpeg = encode(quadrants(320, 240), "jpeg");
    const qsizetype length = thumbnail.size() + 2;
    jpeg.insert(2, QByteArray("\xFF\xFE") + char(length >> 8) + char(length & 0xFF) + thumbnail);
    QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false"));
    const PictureError error = board::DecodePicture(jpeg.left(jpeg.size() * 2 / 3)).error;
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(error, PictureError::Damaged);
}

void tst_Picture::ownResourcesReadByNamedFormat()
{
    QCOMPARE(ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg").size(), QSize(300, 250));
    QCOMPARE(ReadResource(QStringLiteral(":/resources/icon.png"), "png").size(), QSize(32, 32));
}

QTEST_GUILESS_MAIN(tst_Picture)
#include "tst_picture.moc"
