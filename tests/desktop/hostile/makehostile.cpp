// makehostile.cpp: writes files made to hurt a picture decoder into a folder:
//   scans-100000.jpg    a progressive JPEG whose last scan comes 100,000 times (14 MB)
//   loop.mng            a MNG that loops for ever (151 bytes)
//   gray16-10k.png      a 10,000 x 10,000 16-bit grey PNG
//   icon-10k.ico        an icon file holding that PNG
//   cut-trailer.gif     a GIF cut in half, its trailer put back
//   comment-60mb.jpg    a small JPEG with 60 MB of comment segments
//   ztxt-40x8mb.png     a PNG with forty zTXt chunks of 8 MB each, compressed
//   progressive-10k.jpg a 10,000 x 10,000 progressive JPEG
//   deflate-bomb.tif    a TIFF whose one deflate strip unpacks to 100 MB
// Usage: makehostile FOLDER GIF   (GIF: a whole GIF to cut in half)
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include <cstdio>

namespace {

quint32 crc32(QByteArrayView bytes)
{
    static quint32 table[256] = {};
    if (!table[1]) {
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

QByteArray bigEndian(quint32 value, int bytes = 4)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char(value >> (8 * i));
    return out;
}

QByteArray littleEndian(quint32 value, int bytes = 4)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
    return out;
}

// A zlib stream: qCompress's output without its length prefix.
QByteArray zlib(const QByteArray &data) { return qCompress(data, 9).mid(4); }

QByteArray chunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type) + data;
    return bigEndian(quint32(data.size())) + body + bigEndian(crc32(body));
}

QByteArray header(quint32 width, quint32 height, int depth, int colourType)
{
    return chunk("IHDR", bigEndian(width) + bigEndian(height) + char(depth) + char(colourType) + QByteArray(3, '\0'));
}

const QByteArray PngSignature("\x89PNG\r\n\x1A\n", 8);

QByteArray encode(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(80);
    writer.write(image);
    return bytes;
}

QImage shades(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (qsizetype x = 0; x < image.bytesPerLine(); ++x)
            line[x] = uchar((x * 7 + y * 3) >> 4);
    }
    return image;
}

QByteArray grey16Png()
{
    const int side = 10000;
    return PngSignature + header(side, side, 16, 0)
         + chunk("IDAT", zlib(QByteArray(qsizetype(side) * (1 + 2 * side), '\0'))) + chunk("IEND", {});
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: makehostile FOLDER GIF\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    int failed = 0;
    const auto save = [&](const char *name, const QByteArray &bytes) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "makehostile: could not write %s\n", name);
            ++failed;
        }
    };

    // The last scan of a small progressive JPEG, then the same again and again.
    const QByteArray small = encode(shades(64, 48, QImage::Format_RGB888), "jpeg", true);
    const qsizetype lastScan = small.lastIndexOf("\xFF\xDA");
    const QByteArray scan = small.mid(lastScan, small.size() - 2 - lastScan);
    save("scans-100000.jpg", small.left(small.size() - 2) + scan.repeated(100000) + "\xFF\xD9");

    // A loop with nothing to show in it, repeated almost without end, before the one frame.
    const QByteArray frame = header(1, 1, 8, 0) + chunk("IDAT", zlib(QByteArray(2, '\0'))) + chunk("IEND", {});
    save("loop.mng", QByteArray("\x8AMNG\r\n\x1A\n", 8)
                         + chunk("MHDR", bigEndian(1) + bigEndian(1) + bigEndian(1000) + bigEndian(0) + bigEndian(0)
                                             + bigEndian(0) + bigEndian(0x1cf))
                         + chunk("LOOP", QByteArray(1, '\0') + bigEndian(0x7FFFFFFF)) + chunk("ENDL", QByteArray(1, '\0'))
                         + frame + chunk("MEND", {}));

    const QByteArray grey = grey16Png();
    save("gray16-10k.png", grey);
    save("icon-10k.ico", QByteArray("\0\0\1\0\1\0\0\0\0\0\1\0\x20\0", 14) + littleEndian(quint32(grey.size()))
                             + littleEndian(22) + grey);

    QFile gif(QString::fromLocal8Bit(argv[2]));
    save("cut-trailer.gif", gif.open(QIODevice::ReadOnly) ? gif.read(gif.size() / 2) + '\x3B' : QByteArray());

    // 920 comment segments of the largest size, after the start of the picture.
    const QByteArray comment = QByteArray("\xFF\xFE\xFF\xFF", 4) + QByteArray(65533, 'c');
    const QByteArray plain = encode(shades(64, 48, QImage::Format_RGB888), "jpeg");
    save("comment-60mb.jpg", plain.left(2) + comment.repeated(920) + plain.mid(2));

    QByteArray texts;
    const QByteArray eightMegabytes = zlib(QByteArray(8 << 20, 'a'));
    for (int i = 0; i < 40; ++i)
        texts += chunk("zTXt", QByteArray("Comment\0\0", 9) + eightMegabytes);
    save("ztxt-40x8mb.png", PngSignature + header(16, 16, 8, 0) + texts
                                + chunk("IDAT", zlib(QByteArray(16 * 17, '\0'))) + chunk("IEND", {}));

    save("progressive-10k.jpg", encode(shades(10000, 10000, QImage::Format_RGB888), "jpeg", true));

    // Little-endian TIFF: 10,000 x 10,000 8-bit grey in one deflate strip.
    const QByteArray strip = zlib(QByteArray(qsizetype(10000) * 10000, '\0'));
    const auto entry = [](int tag, int type, quint32 value) {
        return littleEndian(quint32(tag), 2) + littleEndian(quint32(type), 2) + littleEndian(1)
             + (type == 3 ? littleEndian(value, 2) + QByteArray(2, '\0') : littleEndian(value));
    };
    const quint32 stripAt = 8 + 2 + 9 * 12 + 4;
    const QByteArray directory = littleEndian(9, 2) + entry(256, 4, 10000) + entry(257, 4, 10000) + entry(258, 3, 8)
                               + entry(259, 3, 8) + entry(262, 3, 1) + entry(273, 4, stripAt) + entry(277, 3, 1)
                               + entry(278, 4, 10000) + entry(279, 4, quint32(strip.size())) + littleEndian(0);
    save("deflate-bomb.tif", QByteArray("II*\0", 4) + littleEndian(8) + directory + strip);
    return failed ? 1 : 0;
}
