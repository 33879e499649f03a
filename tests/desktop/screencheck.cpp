// screencheck.cpp: waits until the screen shows the given picture, unscaled, somewhere.
// Usage: screencheck PICTURE SECONDS. Exit 0 when found, 1 when not in time.
// Lets a test see what another process put on an X display.
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>

namespace {

bool contains(const QImage &screen, const QImage &picture)
{
    for (int y = 0; y + picture.height() <= screen.height(); ++y) {
        for (int x = 0; x + picture.width() <= screen.width(); ++x) {
            bool same = true;
            for (int row = 0; row < picture.height() && same; ++row) {
                const auto *a = reinterpret_cast<const QRgb *>(screen.constScanLine(y + row)) + x;
                const auto *b = reinterpret_cast<const QRgb *>(picture.constScanLine(row));
                for (int column = 0; column < picture.width() && same; ++column)
                    same = (a[column] & 0xFFFFFF) == (b[column] & 0xFFFFFF);
            }
            if (same)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: screencheck PICTURE SECONDS\n");
        return 2;
    }
    const QImage picture = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (picture.isNull())
        return 2;
    QDeadlineTimer deadline(qint64(std::atof(argv[2]) * 1000));
    do {
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        if (contains(screen, picture))
            return 0;
        QThread::msleep(200);
    } while (!deadline.hasExpired());
    std::fprintf(stderr, "screencheck: the picture did not appear on the screen\n");
    return 1;
}
