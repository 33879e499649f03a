// main.cpp: starts Kalvero: one window, the generator seeded from the clock.
#include "forms/random.h"
#include "window/mainwindow.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// True when no windowing system can be reached: no platform chosen, no Wayland,
// and no X display or a local one whose socket is missing.
bool noDisplay()
{
    if (std::getenv("QT_QPA_PLATFORM") || std::getenv("WAYLAND_DISPLAY"))
        return false;
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
        return true;
    const std::string name(display);
    if (name.front() != ':')
        return false;   // a remote display: let the toolkit try
    const std::string number = name.substr(1, name.find('.') - 1);
    return !std::filesystem::exists("/tmp/.X11-unix/X" + number);
}

} // namespace

int main(int argc, char **argv)
{
    if (noDisplay()) {
        std::fprintf(stderr, "kalvero: no display to open the window on; on a machine without one run: "
                             "xvfb-run -a %s\n", argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvero"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/icon.png")));
    QApplication::setDesktopFileName(QStringLiteral("bg.kalvero.Kalvero"));

    MainWindow window(forms::ClockRandom::rtcRandomize());
    window.show();
    return QApplication::exec();
}
