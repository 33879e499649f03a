// bench_open.cpp: opening a picture of one's own. Prints how long the decoding step
// takes in-process for a 6000 x 4000 photo-like JPEG and a PNG and a WebP of 3000 x
// 2000, then opens each file, and a museum scan of 14,645 x 12,158 (a baseline JPEG of
// about 50 MB), on the real window (offscreen), each in a fresh process: the time to
// the board, the longest the event loop stood still, and the game's peak resident
// memory against a plain start. Asserts nothing.
//   bench_open [FOLDER]          the above; the pictures are made in FOLDER once
//   bench_open --make WHAT FILE  writes "photo" (6000 x 4000) or "scan" as a JPEG
//   bench_open --open FILE       one file on the window: "<ms> <stall ms> <peak KiB> <verdict>"
#include "desktop/decoder/decode.h"
#include "desktop/decoder/reader.h"
#include "desktop/mainwindow.h"
#include "desktop/desktoppictureopener.h"

#include "peakmemory.h"   // the tests' own

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Smooth light and colour with grain on top, so that it compresses like a photograph.
QImage photograph(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    QRandomGenerator grain(2026);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        const double v = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width;
            const double light = 0.5 + 0.5 * std::sin(7 * u + 3 * std::cos(5 * v)) * std::cos(4 * v);
            const int noise = int(grain.bounded(24)) - 12;
            line[3 * x] = uchar(std::clamp(int(220 * light * u) + 20 + noise, 0, 255));
            line[3 * x + 1] = uchar(std::clamp(int(200 * light * (1 - v)) + 30 + noise, 0, 255));
            line[3 * x + 2] = uchar(std::clamp(int(180 * (1 - light)) + 40 + noise, 0, 255));
        }
    }
    return image;
}

bool save(const QImage &image, const QString &path, const char *format, int quality)
{
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    return writer.write(image);
}

double milliseconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

// One file on the real window, in this process alone.
int openOne(const QString &path)
{
    MainWindow window(forms::ClockRandom(1));
    window.show();
    QCoreApplication::processEvents();
    const qint64 plain = peakKiB();
    QSignalSpy settled(window.opener(), &DesktopPictureOpener::settled);
    QSignalSpy chosen(window.opener(), &DesktopPictureOpener::pictureChosen);
    QElapsedTimer clock;
    double last = 0, longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, milliseconds(clock) - last);
        last = milliseconds(clock);
    });
    clock.start();
    tick.start();
    window.opener()->open(decoder::FileName::fromPath(path), window::Arrival::Opened);
    const bool done = settled.wait(20000);
    std::printf("%.0f %.1f %lld %s\n", milliseconds(clock), longest, peakKiB() - plain,
                !done ? "none" : chosen.isEmpty() ? "refused" : "opened");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--make") {
        QCoreApplication core(argc, argv);
        const bool scan = QByteArray(argv[2]) == "scan";
        return save(scan ? photograph(14645, 12158) : photograph(6000, 4000), QString::fromLocal8Bit(argv[3]), "jpeg",
                    scan ? 92 : 90)
                   ? 0
                   : 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    decoder::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_PROGRAM));
    if (argc == 3 && QByteArray(argv[1]) == "--open")
        return openOne(QString::fromLocal8Bit(argv[2]));

    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: bench_open [FOLDER] | --make photo|scan FILE | --open FILE\n");
        return 2;
    }
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + QStringLiteral("/kalvero-bench"));
    QDir().mkpath(folder.path());
    const QString photo = folder.filePath(QStringLiteral("photo-6000x4000.jpg"));
    const QString scan = folder.filePath(QStringLiteral("scan-14645x12158.jpg"));
    for (const auto &[what, path] : {std::pair{"photo", photo}, std::pair{"scan", scan}}) {
        if (!QFileInfo::exists(path)
            && QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--make"), QString::fromLatin1(what), path})
                   != 0) {
            std::fprintf(stderr, "bench_open: could not write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QImage medium = QImage(photo).scaled(3000, 2000);
    const QString png = folder.filePath(QStringLiteral("photo-3000x2000.png"));
    const QString webp = folder.filePath(QStringLiteral("photo-3000x2000.webp"));
    save(medium, png, "png", 90);
    save(medium, webp, "webp", 90);

    std::printf("the decoding step in this process, to 300 x 250, median of 7:\n");
    for (const QString &path : {photo, png, webp}) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        std::vector<double> times;
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer timer;
            timer.start();
            const decoder::Decoded decoded = decoder::DecodePicture(bytes, QSize(300, 250));
            times.push_back(milliseconds(timer));
            if (decoded.error != picture::PictureError::None)
                std::fprintf(stderr, "bench_open: %s was refused\n", qPrintable(path));
        }
        std::sort(times.begin(), times.end());
        std::printf("  %-22s %7.1f ms   (%lld KiB)\n", qPrintable(QFileInfo(path).fileName()), times[times.size() / 2],
                    QFileInfo(path).size() / 1024);
    }

    std::printf("on the window, through the decoder child, each in a fresh process (median of 5):\n");
    for (const QString &path : {photo, png, webp, scan}) {
        std::vector<double> times, stalls, peaks;
        QString verdict;
        for (int i = 0; i < 5; ++i) {
            QProcess one;
            one.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), path});
            one.waitForFinished(60000);
            const QList<QByteArray> fields = one.readAllStandardOutput().trimmed().split(' ');
            if (fields.size() != 4)
                continue;
            times.push_back(fields[0].toDouble());
            stalls.push_back(fields[1].toDouble());
            peaks.push_back(fields[2].toDouble());
            verdict = QString::fromLatin1(fields[3]);
        }
        if (times.empty())
            continue;
        for (auto *values : {&times, &stalls, &peaks})
            std::sort(values->begin(), values->end());
        std::printf("  %-22s %s in %6.0f ms, the event loop stood still %5.1f ms at most, the game's peak %+7.0f KiB\n",
                    qPrintable(QFileInfo(path).fileName()), qPrintable(verdict), times[2], stalls[2], peaks[2]);
    }
    std::printf("(targets: the museum scan within 1500 ms and +16384 KiB)\n");
    return 0;
}
