// tst_picture.cpp: the rules every face applies to a picture file from outside: its
// format and declared size from its first bytes, the refusals before decoding, and wholeness.
#include "picture/wholeness.h"
#include "picture/format.h"

#include <QTest>

#include <fstream>
#include <iterator>
#include <set>
#include <vector>

using picture::PictureError;
using picture::PictureFormat;

namespace {

std::vector<std::uint8_t> fileBytes(const char *name)
{
    std::ifstream file(std::string(KALVERO_SOURCE_DIR "/tests/fuzz/pictures/") + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

picture::PictureHeader header(const std::vector<std::uint8_t> &bytes)
{
    return picture::ReadPictureHeader(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int value : values)
        out.push_back(std::uint8_t(value));
    return out;
}

} // namespace

class tst_Picture : public QObject
{
    Q_OBJECT

private slots:
    void realFilesTellFormatAndSize_data();
    void realFilesTellFormatAndSize();
    void jpegSizeIsTheFramesNotTheThumbnails();
    void cutHeadersTellNoSize();
    void refusalsBeforeDecoding();
    void cutFilesAreNotWhole_data();
    void cutFilesAreNotWhole();
};

void tst_Picture::realFilesTellFormatAndSize_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::addColumn<long long>("width");
    QTest::addColumn<long long>("height");
    QTest::newRow("jpeg") << QString("48x40.jpg") << int(PictureFormat::Jpeg) << 48LL << 40LL;
    QTest::newRow("progressive jpeg") << QString("48x40-progressive.jpg") << int(PictureFormat::Jpeg) << 48LL << 40LL;
    QTest::newRow("png") << QString("48x40.png") << int(PictureFormat::Png) << 48LL << 40LL;
    QTest::newRow("gif") << QString("48x40.gif") << int(PictureFormat::Gif) << 48LL << 40LL;
    QTest::newRow("bmp") << QString("48x40.bmp") << int(PictureFormat::Bmp) << 48LL << 40LL;
    QTest::newRow("lossy webp") << QString("48x40.webp") << int(PictureFormat::WebP) << 48LL << 40LL;
    QTest::newRow("lossless webp") << QString("48x40-lossless.webp") << int(PictureFormat::WebP) << 48LL << 40LL;
    QTest::newRow("turned jpeg: the size as stored") << QString("8x6-turned.jpg") << int(PictureFormat::Jpeg) << 8LL << 6LL;
    QTest::newRow("bmp claiming 60000 x 60000") << QString("huge.bmp") << int(PictureFormat::Bmp) << 60000LL << 60000LL;
    QTest::newRow("tiff: the browser reads none") << QString("16x12.tif") << int(PictureFormat::Unknown) << 0LL << 0LL;
}

void tst_Picture::realFilesTellFormatAndSize()
{
    QFETCH(QString, file);
    const auto bytes = fileBytes(file.toStdString().c_str());
    QVERIFY(!bytes.empty());
    const picture::PictureHeader found = header(bytes);
    QTEST(int(found.format), "format");
    QTEST(static_cast<long long>(found.width), "width");
    QTEST(static_cast<long long>(found.height), "height");
}

void tst_Picture::jpegSizeIsTheFramesNotTheThumbnails()
{
    // An APP1 segment holding a thumbnail's frame header (8 x 8) before the real one (640 x 480).
    const auto bytes = bytesOf({0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x0D, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x08,
                                0x00, 0x08, 0x03, 0x01, 0xFF, 0xC2, 0x00, 0x11, 0x08, 0x01, 0xE0, 0x02, 0x80,
                                0x03, 0x01});
    const picture::PictureHeader found = header(bytes);
    QCOMPARE(int(found.format), int(PictureFormat::Jpeg));
    QCOMPARE(found.width, std::int64_t(640));
    QCOMPARE(found.height, std::int64_t(480));
}

void tst_Picture::cutHeadersTellNoSize()
{
    // Cut short in the size fields, or with a segment longer than the file.
    auto png = fileBytes("48x40.png");
    png.resize(18);
    QCOMPARE(int(header(png).format), int(PictureFormat::Png));
    QCOMPARE(header(png).width, std::int64_t(0));
    const auto jpeg = bytesOf({0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xFF, 0x00});
    QCOMPARE(int(header(jpeg).format), int(PictureFormat::Jpeg));
    QCOMPARE(header(jpeg).width, std::int64_t(0));
    QCOMPARE(int(picture::ReadPictureHeader(nullptr, 0).format), int(PictureFormat::Unknown));
    const auto text = bytesOf({'G', 'I', 'F', '8'});
    QCOMPARE(int(header(text).format), int(PictureFormat::Unknown));
}

void tst_Picture::refusalsBeforeDecoding()
{
    const picture::PictureHeader jpeg{PictureFormat::Jpeg, 4000, 3000};
    QCOMPARE(picture::CheckBeforeDecoding(0, jpeg), PictureError::Empty);
    QCOMPARE(picture::CheckBeforeDecoding(picture::MaxPictureFileBytes, jpeg), PictureError::None);
    QCOMPARE(picture::CheckBeforeDecoding(picture::MaxPictureFileBytes + 1, jpeg), PictureError::FileTooLarge);
    QCOMPARE(picture::CheckBeforeDecoding(100, picture::PictureHeader{}), PictureError::NotAnImage);
    QCOMPARE(picture::CheckBeforeDecoding(100, {PictureFormat::Png, 10000, 10000}), PictureError::None);
    QCOMPARE(picture::CheckBeforeDecoding(100, {PictureFormat::Png, 10001, 10000}), PictureError::TooLarge);
    QCOMPARE(picture::CheckBeforeDecoding(100, {PictureFormat::Png, 0, 0}), PictureError::None);   // the decoder decides
}

void tst_Picture::cutFilesAreNotWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<bool>("needsAll");   // whether a bitmap's start cannot tell
    QTest::newRow("gif") << QString("48x40.gif") << true << true;
    QTest::newRow("gif cut short") << QString("48x40-cut.gif") << false << true;
    QTest::newRow("gif cut, its trailer put back") << QString("48x40-cut-trailer.gif") << false << true;
    QTest::newRow("bmp") << QString("48x40.bmp") << true << false;
    QTest::newRow("bmp cut short") << QString("48x40-cut.bmp") << false << false;
    QTest::newRow("run-length bmp") << QString("48x40-rle.bmp") << true << true;
    QTest::newRow("run-length bmp cut short") << QString("48x40-rle-cut.bmp") << false << true;
}

void tst_Picture::cutFilesAreNotWhole()
{
    QFETCH(QString, name);
    QFETCH(bool, whole);
    QFETCH(bool, needsAll);
    const std::vector<std::uint8_t> bytes = fileBytes(name.toStdString().c_str());
    QVERIFY(bytes.size() > 64);
    const picture::FileBytes all(bytes.data(), bytes.size()), start = all.first(64);
    if (name.endsWith(QString(".gif"))) {
        QCOMPARE(picture::GifIsWhole(all), whole);
        QCOMPARE(picture::GifIsWhole(start), false);
        if (whole) {   // all its codes, under an image descriptor that claims twice the rows
            std::vector<std::uint8_t> taller = bytes;
            QCOMPARE(int(taller[69]), 0x2C);
            taller[76] = 80;
            QCOMPARE(picture::GifIsWhole(picture::FileBytes(taller.data(), taller.size())), false);
        }
        return;
    }
    QCOMPARE(picture::BmpNeedsAllBytes(start), needsAll);
    QCOMPARE(picture::BmpIsWhole(needsAll ? all : start, std::int64_t(bytes.size())), whole);
}

QTEST_APPLESS_MAIN(tst_Picture)
#include "tst_picture.moc"
