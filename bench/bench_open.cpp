// bench_open.cpp: opening a picture of one's own. Makes a 6000 x 4000 photo-like JPEG
// and prints how long the board's picture takes to decode from it (and from a PNG
// and a WebP of 3000 x 2000), and how long the real window's event loop (offscreen)
// stood still at most while the file came in by the menu's and the drop's path.
// Asserts nothing. `bench_open --make FILE` only writes the JPEG (bench/startup).
#include "picture/decode.h"
#include "picture/reader.h"
#include "window/mainwindow.h"
#include "window/pictureopener.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Smooth light and colour with grain on top, so that it compresses like a photograph.
QImage photograph(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator grain(2026);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const double light = 0.5 + 0.5 * std::sin(7 * u + 3 * std::cos(5 * v)) * std::cos(4 * v);
            const int noise = int(grain.bounded(24)) - 12;
            line[x] = qRgb(std::clamp(int(220 * light * u) + 20 + noise, 0, 255),
                           std::clamp(int(200 * light * (1 - v)) + 30 + noise, 0, 255),
                           std::clamp(int(180 * (1 - light)) + 40 + noise, 0, 255));
        }
    }
    return image;
}

bool save(const QImage &image, const QString &path, const char *format)
{
    QImageWriter writer(path, format);
    writer.setQuality(90);
    return writer.write(image);
}

double milliseconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--make") {
        QCoreApplication core(argc, argv);
        return save(photograph(6000, 4000), QString::fromLocal8Bit(argv[2]), "jpeg") ? 0 : 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    picture::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_PROGRAM));
    QTemporaryDir scratch;
    const QString jpeg = scratch.filePath(QStringLiteral("photo.jpg"));
    const QImage large = photograph(6000, 4000), medium = large.scaled(3000, 2000);
    if (!save(large, jpeg, "jpeg") || !save(medium, scratch.filePath(QStringLiteral("photo.png")), "png")
        || !save(medium, scratch.filePath(QStringLiteral("photo.webp")), "webp")) {
        std::fprintf(stderr, "bench_open: could not write the pictures\n");
        return 1;
    }

    std::printf("decode to the board's picture, median of 7:\n");
    for (const char *name : {"photo.jpg", "photo.png", "photo.webp"}) {
        std::vector<double> times;
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer timer;
            timer.start();
            QFile file(scratch.filePath(QString::fromLatin1(name)));
            file.open(QIODevice::ReadOnly);
            const picture::Decoded opened = picture::DecodePicture(file.readAll(), QSize(300, 250));
            times.push_back(milliseconds(timer));
            if (opened.error != picture::PictureError::None)
                std::fprintf(stderr, "bench_open: %s was refused\n", name);
        }
        std::sort(times.begin(), times.end());
        std::printf("  %-11s %7.1f ms   (%lld KiB)\n", name, times[times.size() / 2],
                    QFileInfo(scratch.filePath(QString::fromLatin1(name))).size() / 1024);
    }
    QElapsedTimer whole;
    whole.start();
    const QImage full(jpeg);
    std::printf("  (the JPEG decoded whole, for comparison: %.1f ms, %d x %d)\n", milliseconds(whole), full.width(),
                full.height());

    // The longest stretch between two ticks of a 1 ms timer while the file comes in.
    MainWindow window(forms::ClockRandom(1));
    window.show();
    QCoreApplication::processEvents();
    QSignalSpy settled(window.opener(), &PictureOpener::settled);
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer clock;
        double last = 0, longest = 0;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const double now = milliseconds(clock);
            longest = std::max(longest, now - last);
            last = now;
        });
        clock.start();
        tick.start();
        window.opener()->open(picture::FileName::fromPath(jpeg));
        settled.wait(20000);
        const double total = milliseconds(clock);
        tick.stop();
        std::printf("open 6000 x 4000 JPEG on the window: %6.1f ms in all, the event loop stood still %5.1f ms at most\n",
                    total, longest);
    }
    return 0;
}
