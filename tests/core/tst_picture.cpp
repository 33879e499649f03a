// tst_picture.cpp: the rules every face applies to a picture file from outside: its
// format and declared size, the one decode limit, the refusals before decoding, and wholeness.
#include "picture/exif.h"
#include "picture/format.h"
#include "picture/wholeness.h"

#include <QFile>
#include <QTest>

#include <algorithm>

using picture::Decoders;
using picture::PictureError;
using picture::PictureFormat;

Q_DECLARE_METATYPE(picture::Decoders)
Q_DECLARE_METATYPE(picture::PictureError)
Q_DECLARE_METATYPE(picture::PictureFormat)

namespace {

QByteArray corpus(const char *name)
{
    QFile file(QStringLiteral(KALVERO_SOURCE_DIR "/tests/fuzz/pictures/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

picture::FileBytes bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

} // namespace

class tst_Picture : public QObject
{
    Q_OBJECT

private slots:
    void formatAndDeclaredSize_data();
    void formatAndDeclaredSize();
    void oneDecodeLimit_data();
    void oneDecodeLimit();
    void refusalsBeforeDecoding_data();
    void refusalsBeforeDecoding();
    void phonePhotos();
    void wholeness_data();
    void wholeness();
    void exifOrientation_data();
    void exifOrientation();
};

void tst_Picture::formatAndDeclaredSize_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureFormat>("format");
    QTest::addColumn<qint64>("width");
    QTest::addColumn<qint64>("height");
    const auto file = [](const char *name, PictureFormat format, qint64 width, qint64 height) {
        const QByteArray bytes = corpus(name);
        QVERIFY2(!bytes.isEmpty(), name);
        QTest::newRow(name) << bytes << format << width << height;
    };
    file("48x40.jpg", PictureFormat::Jpeg, 48, 40);
    file("48x40-progressive.jpg", PictureFormat::Jpeg, 48, 40);
    file("8x6-turned.jpg", PictureFormat::Jpeg, 8, 6);   // as stored, before its EXIF turn
    file("48x40.png", PictureFormat::Png, 48, 40);
    file("48x40.gif", PictureFormat::Gif, 48, 40);
    file("48x40.bmp", PictureFormat::Bmp, 48, 40);
    file("huge.bmp", PictureFormat::Bmp, 60000, 60000);
    file("48x40.webp", PictureFormat::WebP, 48, 40);
    file("48x40-lossless.webp", PictureFormat::WebP, 48, 40);
    file("48x40.tif", PictureFormat::Tiff, 48, 40);
    file("48x40-cut.tif", PictureFormat::Tiff, 0, 0);   // its directory, at the end, is gone

    // An APP1 segment holding a thumbnail's frame header (8 x 8) before the real one (640 x 480).
    QTest::newRow("jpeg with a thumbnail")
        << QByteArray("\xFF\xD8\xFF\xE1\x00\x0D\xFF\xC0\x00\x11\x08\x00\x08\x00\x08\x03\x01"
                      "\xFF\xC2\x00\x11\x08\x01\xE0\x02\x80\x03\x01", 28)
        << PictureFormat::Jpeg << qint64(640) << qint64(480);
    QTest::newRow("jpeg segment longer than the file") << QByteArray("\xFF\xD8\xFF\xE0\xFF\xFF\x00", 7)
                                                       << PictureFormat::Jpeg << qint64(0) << qint64(0);
    QTest::newRow("png to the end of its size") << corpus("48x40.png").left(24) << PictureFormat::Png << qint64(48) << qint64(40);
    QTest::newRow("png cut in its size") << corpus("48x40.png").left(23) << PictureFormat::Png << qint64(0) << qint64(0);
    QTest::newRow("extended webp, 6000 x 4000")
        << QByteArray("RIFF\0\0\0\0WEBPVP8X\x0A\0\0\0\x10\0\0\0\x6F\x17\0\x9F\x0F\0", 30)
        << PictureFormat::WebP << qint64(6000) << qint64(4000);
    // Big-endian: the width a SHORT (3000), the height a LONG (2000), after a tag of no interest.
    QTest::newRow("big-endian tiff")
        << QByteArray("MM\0*\0\0\0\x08\0\x03"
                      "\x01\x03\0\x03\0\0\0\x01\0\x01\0\0"
                      "\x01\0\0\x03\0\0\0\x01\x0B\xB8\0\0"
                      "\x01\x01\0\x04\0\0\0\x01\0\0\x07\xD0"
                      "\0\0\0\0", 50)
        << PictureFormat::Tiff << qint64(3000) << qint64(2000);
    // BigTIFF: 8-byte offsets and counts, 20-byte entries; little-endian, then big-endian.
    QTest::newRow("bigtiff")
        << QByteArray("II+\0\x08\0\0\0\x10\0\0\0\0\0\0\0" "\x02\0\0\0\0\0\0\0"
                      "\0\x01\x03\0\x01\0\0\0\0\0\0\0\x70\x17\0\0\0\0\0\0"
                      "\x01\x01\x04\0\x01\0\0\0\0\0\0\0\x30\x13\0\0\0\0\0\0", 64)
        << PictureFormat::Tiff << qint64(6000) << qint64(4912);
    QTest::newRow("big-endian bigtiff, its directory past 4 GiB")
        << QByteArray("MM\0+\0\x08\0\0\0\0\0\x01\0\0\0\x10", 16) << PictureFormat::Tiff << qint64(0) << qint64(0);
    QTest::newRow("\"BM\" alone: a bitmap cut short") << QByteArray("BM") << PictureFormat::Bmp << qint64(0) << qint64(0);
    QTest::newRow("a GIF's signature cut") << QByteArray("GIF8") << PictureFormat::Unknown << qint64(0) << qint64(0);
    QTest::newRow("text") << QByteArray("Нощна стража\n") << PictureFormat::Unknown << qint64(0) << qint64(0);
    QTest::newRow("nothing") << QByteArray() << PictureFormat::Unknown << qint64(0) << qint64(0);
}

void tst_Picture::formatAndDeclaredSize()
{
    QFETCH(QByteArray, bytes);
    const picture::PictureHeader header = picture::ReadPictureHeader(bytesOf(bytes));
    QTEST(header.format, "format");
    QTEST(qint64(header.width), "width");
    QTEST(qint64(header.height), "height");
}

void tst_Picture::oneDecodeLimit_data()
{
    QTest::addColumn<qint64>("width");
    QTest::addColumn<qint64>("height");
    QTest::addColumn<int>("eighths");   // the scale, in eighths as TurboJPEG's
    QTest::addColumn<bool>("fits");
    QTest::newRow("8192 x 8192: 256 MiB exactly") << qint64(8192) << qint64(8192) << 8 << true;
    QTest::newRow("8193 x 8192") << qint64(8193) << qint64(8192) << 8 << false;
    QTest::newRow("one row of 67,108,864") << qint64(67'108'864) << qint64(1) << 8 << true;
    QTest::newRow("one row of 67,108,865") << qint64(67'108'865) << qint64(1) << 8 << false;
    QTest::newRow("no size told") << qint64(0) << qint64(0) << 8 << true;
    QTest::newRow("65536 x 65536 at 1/8") << qint64(65536) << qint64(65536) << 1 << true;
    QTest::newRow("65537 x 65536 at 1/8: a side rounds up") << qint64(65537) << qint64(65536) << 1 << false;
    QTest::newRow("16384 x 16384 at 1/2") << qint64(16384) << qint64(16384) << 4 << true;
    QTest::newRow("4294967295 x 4294967295, no overflow") << qint64(4294967295) << qint64(4294967295) << 8 << false;
}

void tst_Picture::oneDecodeLimit()
{
    QFETCH(qint64, width);
    QFETCH(qint64, height);
    QFETCH(int, eighths);
    QTEST(picture::FitsDecodeLimit(width, height, {eighths, 8}), "fits");
}

void tst_Picture::refusalsBeforeDecoding_data()
{
    QTest::addColumn<qint64>("fileBytes");
    QTest::addColumn<PictureFormat>("format");
    QTest::addColumn<qint64>("width");
    QTest::addColumn<qint64>("height");
    QTest::addColumn<Decoders>("decoders");
    QTest::addColumn<PictureError>("error");
    const qint64 most = picture::MaxPictureFileBytes;
    const auto row = [](const char *name, qint64 fileBytes, PictureFormat format, qint64 width, qint64 height,
                        Decoders decoders, PictureError error) {
        QTest::newRow(name) << fileBytes << format << width << height << decoders << error;
    };
    row("empty", 0, PictureFormat::Jpeg, 4000, 3000, Decoders::Browser, PictureError::Empty);
    row("128 MiB", most, PictureFormat::Jpeg, 4000, 3000, Decoders::Browser, PictureError::None);
    row("a byte over 128 MiB", most + 1, PictureFormat::Jpeg, 4000, 3000, Decoders::Desktop, PictureError::FileTooLarge);
    row("no format", 100, PictureFormat::Unknown, 0, 0, Decoders::Desktop, PictureError::NotAnImage);
    row("tiff in the browser", 100, PictureFormat::Tiff, 16, 12, Decoders::Browser, PictureError::NotReadHere);
    row("huge tiff in the browser: the format tells more", 100, PictureFormat::Tiff, 60000, 60000, Decoders::Browser,
        PictureError::NotReadHere);
    row("tiff on the desktop", 100, PictureFormat::Tiff, 16, 12, Decoders::Desktop, PictureError::None);
    row("png of 8192 x 8192", 100, PictureFormat::Png, 8192, 8192, Decoders::Browser, PictureError::None);
    row("png of 8193 x 8192", 100, PictureFormat::Png, 8193, 8192, Decoders::Desktop, PictureError::TooLarge);
    row("no size told: the decoder decides", 100, PictureFormat::Png, 0, 0, Decoders::Browser, PictureError::None);
    row("jpeg of 20000 x 20000 in the browser, at 1/8", 100, PictureFormat::Jpeg, 20000, 20000, Decoders::Browser,
        PictureError::None);
    row("jpeg of 66000 x 66000 on the desktop, over the limit at 1/8", 100, PictureFormat::Jpeg, 66000, 66000,
        Decoders::Desktop, PictureError::TooLarge);
    row("bmp of 20000 x 20000 on the desktop, whole", 100, PictureFormat::Bmp, 20000, 20000, Decoders::Desktop,
        PictureError::TooLarge);
}

void tst_Picture::refusalsBeforeDecoding()
{
    QFETCH(qint64, fileBytes);
    QFETCH(PictureFormat, format);
    QFETCH(qint64, width);
    QFETCH(qint64, height);
    QFETCH(Decoders, decoders);
    QTEST(picture::CheckBeforeDecoding(fileBytes, {format, width, height}, decoders), "error");
}

// A phone's HEIC or AVIF photo is told apart from a file of no picture format (a video).
void tst_Picture::phonePhotos()
{
    const auto verdict = [](const char *brand) {
        const QByteArray file = QByteArray("\0\0\0\x18" "ftyp", 8) + brand + QByteArray("\0\0\0\0mif1", 8);
        return picture::CheckBeforeDecoding(file.size(), picture::ReadPictureHeader(bytesOf(file)), Decoders::Desktop);
    };
    QCOMPARE(verdict("heic"), PictureError::PhotoFormatNotRead);
    QCOMPARE(verdict("avif"), PictureError::PhotoFormatNotRead);
    QCOMPARE(verdict("isom"), PictureError::NotAnImage);
}

void tst_Picture::wholeness_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<bool>("needsAll");   // whether the file's start cannot tell
    QTest::newRow("gif") << corpus("48x40.gif") << true << true;
    QTest::newRow("gif cut short") << corpus("48x40-cut.gif") << false << true;
    QTest::newRow("gif cut, its trailer put back") << corpus("48x40-cut-trailer.gif") << false << true;
    QByteArray taller = corpus("48x40.gif");   // all its codes, under an image descriptor that claims twice the rows
    QCOMPARE(int(taller.at(69)), 0x2C);
    taller[76] = 80;
    QTest::newRow("gif of fewer codes than its rows") << taller << false << true;
    QTest::newRow("bmp") << corpus("48x40.bmp") << true << false;
    QTest::newRow("bmp cut short") << corpus("48x40-cut.bmp") << false << false;
    QTest::newRow("bmp shorter than its header") << corpus("48x40.bmp").left(20) << false << false;
    QTest::newRow("run-length bmp") << corpus("48x40-rle.bmp") << true << true;
    QTest::newRow("run-length bmp cut short") << corpus("48x40-rle-cut.bmp") << false << true;
    const QByteArray rle = corpus("48x40-rle.bmp");   // its pixels from 1078 on, 3134 bytes of them
    QTest::newRow("run-length bmp cut in half, its end mark put back")
        << rle.left(1078 + 1568) + QByteArray("\0\1", 2) << false << true;
    QByteArray stray = corpus("48x40.gif");
    stray.insert(stray.size() - 1, '\0');
    QTest::newRow("gif with a stray byte before its trailer") << stray << true << true;
    QTest::newRow("png cut short: its decoder's to refuse") << corpus("48x40-cut.png") << true << false;
}

void tst_Picture::wholeness()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, needsAll);
    const picture::FileBytes all = bytesOf(bytes), start = all.first(std::min<std::size_t>(all.size(), 64));
    const PictureFormat format = picture::ReadPictureHeader(start).format;
    QCOMPARE(picture::NeedsAllBytes(format, start), needsAll);
    QTEST(picture::IsWhole(format, needsAll ? all : start, qint64(bytes.size())), "whole");
}

void tst_Picture::exifOrientation_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("orientation");
    // An APP1 segment of EXIF, big- or little-endian, whose first directory, at
    // `directory` in its TIFF structure, holds the orientation after another tag.
    const auto exif = [](bool little, int orientation, int directory = 8) {
        const auto number = [little](quint32 value, int bytes) {
            QByteArray out;
            for (int i = 0; i < bytes; ++i)
                out += char(value >> (8 * (little ? i : bytes - 1 - i)));
            return out;
        };
        const QByteArray tiff = QByteArray(little ? "II" : "MM") + number(42, 2) + number(quint32(directory), 4)
                              + number(2, 2) + number(0x010F, 2) + number(2, 2) + number(4, 4) + QByteArray("Kal\0", 4)
                              + number(0x0112, 2) + number(3, 2) + number(1, 4) + number(quint32(orientation), 2)
                              + QByteArray(2, '\0') + number(0, 4);
        const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
        return QByteArray("\xFF\xE1") + char((body.size() + 2) >> 8) + char((body.size() + 2) & 0xFF) + body;
    };
    const QByteArray jpeg = corpus("48x40.jpg"), xmp("\xFF\xE1\x00\x2B" "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 45);
    QCOMPARE(jpeg.left(2), QByteArray("\xFF\xD8"));
    const auto with = [&jpeg](const QByteArray &segments) { return QByteArray(jpeg).insert(2, segments); };
    QTest::newRow("none") << jpeg << 1;
    QTest::newRow("big-endian") << with(exif(false, 6)) << 6;
    QTest::newRow("little-endian") << with(exif(true, 3)) << 3;
    QTest::newRow("after XMP") << with(xmp + exif(false, 8)) << 8;
    QTest::newRow("after a comment, fill bytes, JFIF and XMP")
        << QByteArray(jpeg).insert(jpeg.indexOf("\xFF\xDB"), QByteArray("\xFF\xFE\x00\x04hi\xFF\xFF", 8) + xmp + exif(true, 5)) << 5;
    QTest::newRow("only the first EXIF counts") << with(exif(false, 7) + exif(false, 2)) << 7;
    QTest::newRow("out of range") << with(exif(false, 9)) << 1;
    // At 56, the next segment's directory, its own 6 read through the first segment's end.
    QTest::newRow("its directory past its segment") << with(exif(false, 2, 56) + exif(false, 6)) << 1;
    QTest::newRow("cut inside its EXIF block") << with(exif(true, 6)).left(30) << 1;
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    QTest::newRow("after the first scan's header") << QByteArray(jpeg).insert(scan + 2 + jpeg.at(scan + 3), exif(false, 6)) << 1;
    QTest::newRow("not a JPEG") << exif(false, 6) << 1;
}

void tst_Picture::exifOrientation()
{
    QFETCH(QByteArray, bytes);
    QTEST(picture::ExifOrientation(bytesOf(bytes)), "orientation");
}

QTEST_APPLESS_MAIN(tst_Picture)
#include "tst_picture.moc"
