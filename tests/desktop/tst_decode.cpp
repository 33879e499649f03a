// tst_decode.cpp: decoding a picture the player opens, in the test's own process as
// the fuzzer does: the crop of wide, tall, large and small pictures, the EXIF
// orientation, the formats read and refused, damaged data refused with its reason,
// harmless JPEG warnings passed over, and the core's decode limit at the scale each
// decoder decodes at; and the record that brings a lesson's text and start back.
#include "desktop/resource.h"
#include "desktop/decoder/decode.h"
#include "desktop/decoder/record.h"
#include "records.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

using decoder::PictureError;

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

const QSize Board(300, 250);

decoder::Decoded decode(const QByteArray &bytes) { return decoder::DecodePicture(bytes, Board); }

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

QByteArray bigEndian(quint32 value)
{
    return QByteArray(1, char(value >> 24)) + char(value >> 16) + char(value >> 8) + char(value);
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    return bigEndian(quint32(data.size())) + type + data + bigEndian(crc32(type + data));
}

// An RGB PNG of `depth` bits a channel whose pixel data, before compression, is `rows`.
QByteArray rgbPng(quint32 width, quint32 height, int depth, const QByteArray &rows)
{
    const QByteArray header = bigEndian(width) + bigEndian(height) + char(depth) + QByteArray("\x02\0\0\0", 4);
    return QByteArray("\x89PNG\r\n\x1A\n") + pngChunk("IHDR", header) + pngChunk("IDAT", qCompress(rows, 1).mid(4))
         + pngChunk("IEND", {});
}

const QByteArray TinyGif("GIF89a\x04\x00\x04\x00\xf0\x00\x00\xff\x00\x00\x00\x00\xff\x21\xf9\x04\x00\x00\x00\x00\x00"
                         "\x2c\x00\x00\x00\x00\x04\x00\x04\x00\x00\x02\x04\x84\x1d\xa7\x57\x00\x3b", 45);

// Stored 1000 wide and 1200 high, its left 300 columns in colour 0, the rest in colour 1.
QImage leftBand()
{
    QImage stored(1000, 1200, QImage::Format_RGB32);
    for (int y = 0; y < 1200; ++y)
        for (int x = 0; x < 1000; ++x)
            stored.setPixel(x, y, colour(x < 300 ? 0 : 1));
    return stored;
}

// An APP1 segment of EXIF whose one tag, the orientation, is 6: a quarter turn clockwise.
const QByteArray ExifTurned("\xFF\xE1\x00\x22" "Exif\0\0" "MM\x00\x2A\x00\x00\x00\x08" "\x00\x01"
                            "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00" "\x00\x00\x00\x00", 36);

QByteArray segment(quint8 marker, const QByteArray &body)
{
    const qsizetype length = body.size() + 2;
    return QByteArray("\xFF") + char(marker) + char(length >> 8) + char(length & 0xFF) + body;
}

// The header of a one-component 16 x 16 JPEG of the frame `sof` at `precision` bits,
// a scan header, bytes no decoder gets to, and the end.
QByteArray frameOnly(quint8 sof, int precision)
{
    return QByteArray("\xFF\xD8") + segment(sof, QByteArray(1, char(precision)) + QByteArray("\x00\x10\x00\x10\x01\x01\x11\x00", 8))
         + segment(0xDA, QByteArray("\x01\x01\x00\x00\x3F\x00", 6)) + QByteArray(64, '\x55') + "\xFF\xD9";
}

// A progressive JPEG without the scans, and the tables just before them, that code
// the AC coefficients of component `id` alone: those stay uncoded, with no warning.
QByteArray withoutAcScansOf(const QByteArray &jpeg, char id)
{
    QByteArray out;
    qsizetype at = 2, kept = 0;   // kept: where the bytes not yet copied or dropped start
    while (at + 8 <= jpeg.size() && quint8(jpeg[at + 1]) != 0xD9) {
        const qsizetype end = at + 2 + (quint8(jpeg[at + 2]) << 8 | quint8(jpeg[at + 3]));
        if (quint8(jpeg[at + 1]) != 0xDA) {
            at = end;
            continue;
        }
        // The scan's data ends at the first marker but a stuffed zero or a restart.
        qsizetype next = end;
        while (next + 1 < jpeg.size()
               && !(jpeg[next] == '\xFF' && jpeg[next + 1] != 0 && (quint8(jpeg[next + 1]) & 0xF8) != 0xD0))
            ++next;
        if (!(jpeg[at + 4] == 1 && jpeg[at + 5] == id && jpeg[at + 7] > 0))
            out += jpeg.mid(kept, next - kept);
        kept = at = next;
    }
    return out + jpeg.mid(kept);
}

// A progressive JPEG of 1 + 3 x 63 x levels scans, each correct: the DC of all three
// components in one, then every AC coefficient of each on its own, first at levels - 1
// bits short, then refined a bit a scan.
QByteArray manyScans(const QImage &image, int levels)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::vector<jpeg_scan_info> scans{{3, {0, 1, 2, 0}, 0, 0, 0, 0}};
    for (int component = 0; component < 3; ++component)
        for (int k = 1; k < DCTSIZE2; ++k)
            for (int al = levels - 1; al >= 0; --al)
                scans.push_back({1, {component, 0, 0, 0}, k, k, al == levels - 1 ? 0 : al + 1, al});
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&jpeg, &out, &size);
    jpeg.image_width = JDIMENSION(rgb.width());
    jpeg.image_height = JDIMENSION(rgb.height());
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, 95, TRUE);
    jpeg.scan_info = scans.data();
    jpeg.num_scans = int(scans.size());
    jpeg_start_compress(&jpeg, TRUE);
    while (jpeg.next_scanline < jpeg.image_height) {
        JSAMPROW line = const_cast<uchar *>(rgb.constScanLine(int(jpeg.next_scanline)));
        jpeg_write_scanlines(&jpeg, &line, 1);
    }
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
    const QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(PictureError)

class tst_Decode : public QObject
{
    Q_OBJECT

private slots:
    void coversTheBoardAndCropsEvenly_data();
    void coversTheBoardAndCropsEvenly();
    void followsTheExifOrientation();
    void extremeProportionsCostLittle();
    void seedCorpusWholeOpensCutRefused_data();
    void seedCorpusWholeOpensCutRefused();
    void refusesBadData_data();
    void refusesBadData();
    void decodesWithinTheCoresLimit_data();
    void decodesWithinTheCoresLimit();
    void cmykJpegShowsItsColours();
    void jpegWarningsVariantsAndExif_data();
    void jpegWarningsVariantsAndExif();
    void ownResourcesReadByNamedFormat();
    void lessonRecordIsTakenOnlyWhole_data();
    void lessonRecordIsTakenOnlyWhole();
};

void tst_Decode::coversTheBoardAndCropsEvenly_data()
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
    QTest::newRow("tall: 250 cropped at the top, 500 at the bottom") << bands(300, 1000, Qt::Vertical) << QByteArray("png") << 0
                                                                     << Source([](QPoint p) { return p + QPoint(0, 250); });
    QTest::newRow("wide, halved first") << bands(2400, 500, Qt::Horizontal) << QByteArray("bmp") << 0
                                        << Source([](QPoint p) { return p * 2 + QPoint(900, 0); });
    QTest::newRow("large JPEG, an eighth") << quadrants(4800, 4000) << QByteArray("jpeg") << 6
                                           << Source([](QPoint p) { return p * 16; });
    QTest::newRow("small, scaled up") << quadrants(60, 50) << QByteArray("png") << 0
                                      << Source([](QPoint p) { return p / 5; });
    QTest::newRow("small and tall") << quadrants(40, 50) << QByteArray("webp") << 8
                                    << Source([](QPoint p) { return QPoint(p.x() * 40 / 300, 5 + p.y() * 33 / 250); });
}

void tst_Decode::coversTheBoardAndCropsEvenly()
{
    QFETCH(QImage, image);
    QFETCH(QByteArray, format);
    QFETCH(int, tolerance);
    QFETCH(std::function<QPoint(QPoint)>, source);
    const QByteArray bytes = encode(image, format);
    QVERIFY2(!bytes.isEmpty(), format.constData());
    const decoder::Decoded opened = decode(bytes);
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

void tst_Decode::followsTheExifOrientation()
{
    // Stored 1000 wide and 1200 high, to be turned a quarter clockwise: the stored
    // left 300 columns (colour 0) come to the top 300 rows of 1000, which the board
    // shows, a quarter as large, as its top 75 rows.
    // Qt writes no EXIF, so the orientation tag (6: a quarter clockwise) goes in by hand.
    QByteArray jpeg = encode(leftBand(), "jpeg");
    jpeg.insert(2, ExifTurned);
    const decoder::Decoded opened = decode(jpeg);
    QCOMPARE(opened.error, PictureError::None);
    for (const int x : {10, 150, 290}) {
        QVERIFY(near(opened.picture.pixel(x, 65), colour(0), 8));
        QVERIFY(near(opened.picture.pixel(x, 85), colour(1), 8));
    }
}

void tst_Decode::extremeProportionsCostLittle()
{
    // Covering the board whole, these would be 300 x 1,200,000 and 15,000,000 x 250.
    for (const QSize size : {QSize(1, 4000), QSize(60000, 1)}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour(5));
        const decoder::Decoded opened = decode(encode(image, "png"));
        QCOMPARE(opened.error, PictureError::None);
        QCOMPARE(opened.picture.pixel(0, 0), colour(5));
        QCOMPARE(opened.picture.pixel(299, 249), colour(5));
    }
}

void tst_Decode::seedCorpusWholeOpensCutRefused_data()
{
    QTest::addColumn<QString>("path");
    const QDir corpus(QStringLiteral(KALVERO_SOURCE_DIR "/tests/fuzz/pictures"));
    for (const QString &name : corpus.entryList(QDir::Files)) {
        if (!name.contains(QLatin1String("scrambled")) && !name.startsWith(QLatin1String("huge")))
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }
}

void tst_Decode::seedCorpusWholeOpensCutRefused()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const bool cut = path.contains(QLatin1String("-cut"));
    QCOMPARE(decode(file.readAll()).error, cut ? PictureError::Damaged : PictureError::None);
}

void tst_Decode::refusesBadData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureError>("error");
    const QImage image = quadrants(320, 240);
    const QByteArray jpeg = encode(image, "jpeg"), png = encode(image, "png"), webp = encode(image, "webp");
    const QByteArray bmp = encode(image, "bmp");
    QTest::newRow("text") << QByteArray("Нощна стража\n") << PictureError::NotAnImage;
    QTest::newRow("empty") << QByteArray() << PictureError::Empty;
    // Formats no teacher needs never reach a decoder.
    for (const char *format : {"ico", "xpm", "xbm", "ppm", "pgm", "pbm", "tga", "wbmp", "icns"}) {
        const QByteArray other = encode(image, format);
        if (!other.isEmpty())
            QTest::newRow(format) << other << PictureError::NotAnImage;
    }
    QTest::newRow("mng") << QByteArray("\x8AMNG\r\n\x1A\n\0\0\0\x1CMHDR", 16) << PictureError::NotAnImage;
    QTest::newRow("svg") << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'/>")
                         << PictureError::NotAnImage;

    QTest::newRow("JPEG cut short") << jpeg.left(jpeg.size() * 2 / 3) << PictureError::Damaged;
    QTest::newRow("PNG cut short") << png.left(png.size() / 2) << PictureError::Damaged;
    QTest::newRow("WebP cut short") << webp.left(webp.size() / 2) << PictureError::Damaged;
    QTest::newRow("BMP cut short") << bmp.left(bmp.size() - 1000) << PictureError::Damaged;
    // Any "BM" is a bitmap to the core; one shorter than its header is a damaged one.
    QTest::newRow("BMP shorter than its header") << bmp.left(20) << PictureError::Damaged;
    QTest::newRow("GIF cut short") << TinyGif.left(40) << PictureError::Damaged;
    QTest::newRow("GIF cut short, its trailer put back") << TinyGif.left(40) + '\x3B' << PictureError::Damaged;
    // Whole blocks and a trailer, but the image's data ends long before its 40 x 40 pixels.
    QByteArray shortGif = TinyGif;
    shortGif.replace(6, 4, QByteArray("\x28\x00\x28\x00", 4));
    shortGif.replace(32, 4, QByteArray("\x28\x00\x28\x00", 4));
    QTest::newRow("GIF data shorter than its picture") << shortGif << PictureError::Damaged;
    QByteArray scrambled = jpeg;
    for (qsizetype at = jpeg.size() / 2; at < jpeg.size() / 2 + 64; ++at)
        scrambled[at] = char(0xA5 ^ at);
    QTest::newRow("JPEG scrambled inside") << scrambled << PictureError::Damaged;
    // A camera's thumbnail, end and all, in a segment before a picture cut short.
    const QByteArray thumbnail = encode(quadrants(16, 12), "jpeg");
    QByteArray withThumbnail = jpeg;
    const qsizetype length = thumbnail.size() + 2;
    withThumbnail.insert(2, QByteArray("\xFF\xFE") + char(length >> 8) + char(length & 0xFF) + thumbnail);
    QTest::newRow("JPEG with a thumbnail, cut short") << withThumbnail.left(withThumbnail.size() * 2 / 3)
                                                      << PictureError::Damaged;
    // A progressive JPEG whose last scan comes 600 times: a scan bomb.
    QByteArray progressive;
    {
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(quadrants(64, 48)));
    }
    const qsizetype lastScan = progressive.lastIndexOf("\xFF\xDA");
    const QByteArray scan = progressive.mid(lastScan, progressive.size() - 2 - lastScan);
    QTest::newRow("JPEG of 600 scans") << progressive.left(progressive.size() - 2) + scan.repeated(600) + "\xFF\xD9"
                                       << PictureError::Damaged;
}

void tst_Decode::refusesBadData()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PictureError, error);
    const decoder::Decoded opened = decode(bytes);
    QCOMPARE(opened.error, error);
    QVERIFY(opened.picture.isNull());
    // Whole, the same kinds of file open.
    QCOMPARE(decode(TinyGif).error, PictureError::None);
}

void tst_Decode::decodesWithinTheCoresLimit_data()
{
    // 256 MiB at 4 bytes a pixel, at the scale the picture is decoded at. Those let
    // through but too short for their size fail in their decoder instead.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureError>("error");
    QTest::newRow("PNG claiming 8192 x 8192") << rgbPng(8192, 8192, 8, QByteArray(64, '\0')) << PictureError::Damaged;
    QTest::newRow("PNG claiming 8193 x 8192") << rgbPng(8193, 8192, 8, QByteArray(64, '\0')) << PictureError::TooLarge;
    // Decoded at 1/8, 60000 x 60000 would be 7500 x 7500, which fits.
    QByteArray bigJpeg = encode(quadrants(320, 240), "jpeg");
    bigJpeg.replace(bigJpeg.indexOf("\xFF\xC0") + 5, 4, QByteArray("\xEA\x60\xEA\x60", 4));
    QTest::newRow("JPEG claiming 60000 x 60000") << bigJpeg << PictureError::Damaged;
    // 36 megapixels fit at 4 bytes a pixel; Qt's reader keeps them at 8 (288 MB), over
    // its own limit too.
    QTest::newRow("16-bit PNG of 6000 x 6000") << rgbPng(6000, 6000, 16, QByteArray(6000 * (1 + 6000 * 6), '\0'))
                                               << PictureError::None;
}

void tst_Decode::decodesWithinTheCoresLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PictureError, error);
    const decoder::Decoded opened = decode(bytes);
    QCOMPARE(opened.error, error);
    QCOMPARE(opened.picture.isNull(), error != PictureError::None);
}

void tst_Decode::cmykJpegShowsItsColours()
{
    // Stored inverted, as Adobe's programs write them: no cyan, full magenta... read as 255 - ink.
    const int width = 16, height = 16;
    QByteArray cmyk;
    for (int i = 0; i < width * height; ++i)
        cmyk += QByteArray("\xFF\x00\xFF\xFF", 4);   // magenta ink only: red and blue light
    tjhandle compressor = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    QCOMPARE(tjCompress2(compressor, reinterpret_cast<const unsigned char *>(cmyk.constData()), width, 0, height,
                         TJPF_CMYK, &jpeg, &size, TJSAMP_444, 95, 0), 0);
    const decoder::Decoded opened = decode(QByteArray(reinterpret_cast<const char *>(jpeg), qsizetype(size)));
    tjFree(jpeg);
    tjDestroy(compressor);
    QCOMPARE(opened.error, PictureError::None);
    QVERIFY2(near(opened.picture.pixel(150, 125), qRgb(255, 0, 255), 6), qPrintable(QString::number(opened.picture.pixel(150, 125), 16)));
}

void tst_Decode::jpegWarningsVariantsAndExif_data()
{
    // Files made from leftBand(): opened, the board shows colour 0 on the left (or,
    // turned, at the top) and colour 1 beyond.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureError>("error");
    QTest::addColumn<bool>("turned");
    const QImage stored = leftBand();
    const QByteArray jpeg = encode(stored, "jpeg");
    QTest::newRow("as written") << jpeg << PictureError::None << false;

    // Warnings every viewer passes over.
    // In a larger picture the decoder's reading ahead takes a lone byte in, unwarned.
    const QByteArray small = encode(stored.scaled(50, 60), "jpeg");
    QTest::newRow("1 stray byte before the end") << QByteArray(small).insert(small.size() - 2, '\x00') << PictureError::None
                                                 << false;
    QTest::newRow("63 stray bytes before the end") << QByteArray(jpeg).insert(jpeg.size() - 2, QByteArray(63, '\x42'))
                                                   << PictureError::None << false;
    QCOMPARE(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));   // the version follows
    QByteArray jfif2 = jpeg;
    jfif2.replace(11, 2, QByteArray("\x02\x01", 2));
    QTest::newRow("JFIF 2.01") << jfif2 << PictureError::None << false;
    QByteArray oddScan = jpeg;
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    oddScan[sos + 5 + 2 * jpeg.at(sos + 4) + 1] = '\0';   // Se, the scan's last coefficient
    QTest::newRow("baseline scan header with Se = 0") << oddScan << PictureError::None << false;

    // Damage.
    QTest::newRow("baseline cut, its end put back") << jpeg.left(jpeg.size() * 2 / 3) + "\xFF\xD9" << PictureError::Damaged
                                                   << false;
    QByteArray progressive;
    {
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        writer.write(stored);
    }
    QTest::newRow("progressive") << progressive << PictureError::None << false;
    QTest::newRow("progressive without its last scan, its end put back")
        << progressive.left(progressive.lastIndexOf("\xFF\xDA")) + "\xFF\xD9" << PictureError::Damaged << false;
    QTest::newRow("progressive whose Cr details never come") << withoutAcScansOf(progressive, 3) << PictureError::Damaged
                                                            << false;
    QTest::newRow("progressive without its last half, its end put back")
        << progressive.left(progressive.indexOf("\xFF\xDA", progressive.size() / 2)) + "\xFF\xD9" << PictureError::Damaged
        << false;

    // Scans enough to keep a decoder busy: allowed up to 500.
    QTest::newRow("379 scans") << manyScans(stored.scaled(500, 600), 2) << PictureError::None << false;
    QTest::newRow("568 scans") << manyScans(stored.scaled(500, 600), 3) << PictureError::TooComplex << false;

    // Variants no decoder here reads.
    QTest::newRow("12-bit") << frameOnly(0xC1, 12) << PictureError::VariantNotRead << false;
    QTest::newRow("lossless") << frameOnly(0xC3, 8) << PictureError::VariantNotRead << false;
    // The same frame at 8 bits is read on, and its scan's bytes are nonsense.
    QTest::newRow("8-bit extended") << frameOnly(0xC1, 8) << PictureError::Damaged << false;

    // The orientation, wherever the EXIF block stands.
    const QByteArray xmp = segment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 41));
    QTest::newRow("EXIF first") << QByteArray(jpeg).insert(2, ExifTurned) << PictureError::None << true;
    QTest::newRow("EXIF after XMP") << QByteArray(jpeg).insert(2, xmp + ExifTurned) << PictureError::None << true;
    QTest::newRow("EXIF after JFIF and XMP") << QByteArray(jpeg).insert(20, xmp + ExifTurned) << PictureError::None << true;
}

void tst_Decode::jpegWarningsVariantsAndExif()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PictureError, error);
    QFETCH(bool, turned);
    const decoder::Decoded opened = decode(bytes);
    QCOMPARE(opened.error, error);
    QCOMPARE(opened.picture.isNull(), error != PictureError::None);
    if (error != PictureError::None)
        return;
    // The stored left 300 of 1000 columns: turned, the top 300 of 1000 rows.
    const QPoint inBand = turned ? QPoint(150, 40) : QPoint(40, 125), beyond = turned ? QPoint(150, 120) : QPoint(150, 125);
    QVERIFY2(near(opened.picture.pixel(inBand), colour(0), 8), qPrintable(QString::number(opened.picture.pixel(inBand), 16)));
    QVERIFY2(near(opened.picture.pixel(beyond), colour(1), 8), qPrintable(QString::number(opened.picture.pixel(beyond), 16)));
}

void tst_Decode::ownResourcesReadByNamedFormat()
{
    QCOMPARE(ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg").size(), QSize(300, 250));
    QCOMPARE(ReadResource(QStringLiteral(":/resources/icon.png"), "png").size(), QSize(32, 32));
}

void tst_Decode::lessonRecordIsTakenOnlyWhole_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("taken");   // else the child broke down
    const QSize small(6, 5);
    QImage picture(small, QImage::Format_RGB32);
    picture.fill(Qt::red);
    model::Arrangement start{};
    for (int i = 0; i < model::PieceCount; ++i)
        start[std::size_t(i)] = std::uint8_t((i + 1) % model::PieceCount);
    const auto lessonRecord = [&](std::string text, std::optional<model::Arrangement> startOf) {
        return written([&](std::FILE *out) { decoder::WritePicture(out, picture, lesson::Lesson{"", text, true, startOf}); });
    };
    const QByteArray record = lessonRecord("Урок", start);
    const qsizetype part = decoder::RecordHeaderBytes + 6 * 5 * 4;
    const auto changed = [](QByteArray bytes, qsizetype at, char byte) { return bytes.replace(at, 1, &byte, 1); };
    const QByteArray refusal = written([](std::FILE *out) { decoder::WriteRefusal(out, lesson::LessonError::TwoLessons); });

    QTest::newRow("a lesson") << record << true;
    QTest::newRow("a lesson without a start") << lessonRecord("Урок", std::nullopt) << true;
    QTest::newRow("a lesson's refusal") << refusal << true;
    QTest::newRow("a lesson's refusal past the last") << changed(refusal, 16, char(lesson::LessonErrorCount)) << false;
    QTest::newRow("both refusals") << changed(refusal, 4, char(PictureError::Damaged)) << false;
    QTest::newRow("a lesson's refusal with pixels") << changed(record, 16, char(lesson::LessonError::Malformed)) << false;
    QTest::newRow("a flag of 2") << changed(record, part, 2) << false;
    QTest::newRow("a start repeating a tile") << changed(record, part + 2, 5) << false;
    QTest::newRow("no start, but tiles") << changed(lessonRecord("Урок", std::nullopt), part + 3, 1) << false;
    QTest::newRow("text no UTF-8") << lessonRecord("\xD0", start) << false;
    QTest::newRow("text at the longest") << lessonRecord(std::string(lesson::MaxTextLength, 'a'), start) << true;
    QTest::newRow("text over the longest") << lessonRecord(std::string(lesson::MaxTextLength + 1, 'a'), start) << false;
    QTest::newRow("a lesson's part a byte short") << record.chopped(1) << false;
    QTest::newRow("a lesson's part cut off") << record.left(part) << false;
}

void tst_Decode::lessonRecordIsTakenOnlyWhole()
{
    QFETCH(QByteArray, record);
    QFETCH(bool, taken);
    const decoder::Decoded decoded = decoder::ReadRecord(record, 0, QSize(6, 5));
    QCOMPARE(decoded.error == PictureError::DecoderCrashed, !taken);
    if (decoded.lesson) {
        QVERIFY(decoded.opened() && decoded.lesson->textCut);
        QCOMPARE(decoded.picture.pixel(5, 4), qRgb(255, 0, 0));
    }
    QCOMPARE(decoded.picture.isNull(), !decoded.opened());
}

QTEST_GUILESS_MAIN(tst_Decode)
#include "tst_decode.moc"
