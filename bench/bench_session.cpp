// bench_session.cpp: a long session on the real window (offscreen): 100,000 swaps,
// each timed from the button's click to the painted board and the appended log line.
// Prints the median swap at the start and at the end, and every command's worst
// case. Asserts nothing.
#include "desktop/boardview.h"
#include "desktop/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double percentile(std::vector<double> samples, double p)
{
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, std::size_t(double(samples.size()) * p))];
}
double median(const std::vector<double> &samples) { return percentile(samples, 0.5); }

// One command, through the window's handler, until the screen is up to date.
double timed(const std::function<void()> &command)
{
    QElapsedTimer timer;
    timer.start();
    command();
    QCoreApplication::processEvents();   // paints the boxes and the message box
    return double(timer.nsecsElapsed()) / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int swaps = argc > 1 ? std::atoi(argv[1]) : 100000;
    MainWindow window(forms::ClockRandom(1));
    window.show();
    QCoreApplication::processEvents();

    // Tiles 0 and 1 change places first and are never picked again, so the picture is
    // never assembled and the log only grows.
    window.Picture2_Click(0);
    window.Picture2_Click(1);
    window.Command1_Click(2);
    std::vector<double> swapTimes;
    swapTimes.reserve(std::size_t(swaps));
    for (int i = 0; i < swaps; ++i) {
        window.Picture2_Click(2 + i % 28);
        window.Picture2_Click(2 + (i * 11 + 5) % 28);
        QCoreApplication::processEvents();
        swapTimes.push_back(timed([&] { window.Command1_Click(2); }));
    }
    // The cost along the session, in ten stretches of 1000 swaps.
    const std::size_t stride = std::max<std::size_t>(1000, swapTimes.size() / 10);
    for (std::size_t b = 0; b + 1000 <= swapTimes.size(); b += stride)
        std::printf("  after %6zu swaps: median %8.1f us\n", b,
                    median({swapTimes.begin() + long(b), swapTimes.begin() + long(b + 1000)}));
    const std::size_t window1000 = std::min<std::size_t>(1000, swapTimes.size() / 2);
    const double start = median({swapTimes.begin(), swapTimes.begin() + long(window1000)});
    const double end = median({swapTimes.end() - long(window1000), swapTimes.end()});
    const auto &history = window.play().game().history();
    const int lines = window.findChild<QPlainTextEdit *>()->document()->blockCount();

    std::printf("swaps             %d (log: %d lines, history depth %zu)\n", swaps, lines, history.depth());
    std::printf("swap, first 1000  median %8.1f us\n", start);
    std::printf("swap, last 1000   median %8.1f us   (end / start = %.2f)\n", end, end / start);
    std::printf("swap, all         median %8.1f us   99th percentile %8.1f us   worst %8.1f us\n", median(swapTimes),
                percentile(swapTimes, 0.99), *std::max_element(swapTimes.begin(), swapTimes.end()));

    // The other commands at this depth and log length.
    std::vector<double> undo, click, shuffle, clear;
    for (int i = 0; i < 200; ++i) {
        undo.push_back(timed([&] { window.Command1_Click(3); }));
        click.push_back(timed([&] { window.Picture2_Click(i % 30); }));
    }
    for (int i = 0; i < 200; ++i) {
        shuffle.push_back(timed([&] { window.Command1_Click(1); }));
        clear.push_back(timed([&] { window.Command1_Click(0); }));
    }
    for (const auto &[name, samples] : {std::pair{"undo", undo}, {"click", click}, {"shuffle", shuffle}, {"clear", clear}})
        std::printf("%-8s          median %8.1f us   99th percentile %8.1f us   worst %8.1f us\n", name,
                    median(samples), percentile(samples, 0.99), *std::max_element(samples.begin(), samples.end()));
    return 0;
}
