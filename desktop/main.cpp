// main.cpp: starts Kalvero: reads the command line, opens the application on whatever
// display the toolkit reaches, and shows the window, seeding the generator from the
// clock. Started as `kalvero --decode`, it is the decoder child instead (decoder/child.h).
#include "desktop/commandline.h"
#include "desktop/commandlinetexts.h"
#include "desktop/decoder/child.h"
#include "desktop/decoder/file.h"
#include "desktop/desktoppictureopener.h"
#include "desktop/mainwindow.h"
#include "desktop/qtext.h"
#include "desktop/terminal.h"
#include "forms/random.h"
#include "window/layout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QtGui/private/qhighdpiscaling_p.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace {

namespace texts = commandline::texts;

// How long the window waits for a picture named on the command line before it shows.
constexpr int StartWaitMilliseconds = 150;

QByteArray terminalSafe(std::string_view utf8) { return TerminalSafe(toQString(utf8)).toLocal8Bit(); }
void say(std::string_view line) { std::fprintf(stderr, "kalvero: %s\n", terminalSafe(line).constData()); }

void answer(const CommandLine &line)
{
    if (line.answer == CommandLineAnswer::Version) {
        std::printf("Kalvero %s\n", KALVERO_VERSION);
        return;
    }
    std::printf("Употреба: %s%s", terminalSafe(line.program).constData(), texts::CommandLineHelp.data());
    if (line.answer == CommandLineAnswer::HelpAll)
        std::fputs(texts::QtOptionsHelp.data(), stdout);
}

// Qt ends a program that reaches no display through a fatal message: that becomes
// one line of ours and exit status 1, without an abort or a core dump. What Qt says
// before it, about the display it could not reach, says the same and goes unsaid.
QtMessageHandler toolkitHandler = nullptr;
void noDisplay(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static bool lost = false;
    lost = lost || text.contains(QLatin1String("could not connect to display"));
    if (!lost)
        return toolkitHandler(type, context, text);
    if (type == QtFatalMsg) {
        say(texts::NoDisplay);
        std::fflush(stderr);
        std::_Exit(1);
    }
}

// Scales the whole window, its texts, menus and dialogs by `zoom`, as QT_SCALE_FACTOR
// does, on top of any QT_SCALE_FACTOR given. For --projector the zoom depends on the
// screen, known only once the application is open: Qt's global factor can still be
// set then, before the first window.
void zoomWindows(const CommandLine &line)
{
    double zoom = line.zoom;
    if (const QScreen *screen = QGuiApplication::primaryScreen(); screen && line.projector) {
        const QSize available = screen->availableGeometry().size();   // already at any QT_SCALE_FACTOR
        zoom = window::layout::ProjectorZoom(available.width(), available.height());
    }
    if (zoom == 1)
        return;
    bool valid = false;
    const double given = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&valid);
    QHighDpiScaling::setGlobalFactor((valid && given > 0 ? given : 1) * zoom);
}

} // namespace

int main(int argc, char **argv)
{
    if (decoder::IsDecoderCall(argc, argv))
        return decoder::RunDecoder(argc, argv);

    auto parsed = ParseCommandLine(argc, argv);
    if (const auto *wrong = std::get_if<CommandLineError>(&parsed)) {
        say(wrong->message);
        std::fprintf(stderr, "%s\n", texts::TryHelp.data());
        return 2;
    }
    CommandLine &line = std::get<CommandLine>(parsed);
    if (line.answer != CommandLineAnswer::None) {
        answer(line);
        return 0;
    }

    // QApplication keeps argc and argv, and these words, for its whole life.
    std::vector<char *> toolkit;
    for (std::string &word : line.toolkit)
        toolkit.push_back(word.data());
    int toolkitCount = int(toolkit.size());
    toolkit.push_back(nullptr);
    QApplication::setApplicationName(QStringLiteral("Kalvero"));
    QApplication::setApplicationVersion(QStringLiteral(KALVERO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("bg.kalvero.Kalvero"));
    toolkitHandler = qInstallMessageHandler(noDisplay);
    QApplication app(toolkitCount, toolkit.data());
    qInstallMessageHandler(toolkitHandler);
    zoomWindows(line);

    QElapsedTimer started;
    started.start();
    std::optional<decoder::FileName> picture;
    if (line.picture)
        picture = decoder::FileName::fromArgument(QByteArray::fromStdString(*line.picture));
    MainWindow window(forms::ClockRandom::rtcRandomize(), picture);
    QApplication::setWindowIcon(window.windowIcon());
    if (picture)
        window.opener()->waitBriefly(int(std::max<qint64>(0, StartWaitMilliseconds - started.elapsed())));
    window.show();
    return QApplication::exec();
}
