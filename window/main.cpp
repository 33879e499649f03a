// main.cpp: starts Kalvero: reads the command line and a picture named on it, opens the
// window on whatever display the toolkit reaches, and seeds the generator from the clock.
#include "board/picturefile.h"
#include "forms/random.h"
#include "window/mainwindow.h"
#include "window/pictureopener.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFuture>
#include <QtConcurrent/QtConcurrentRun>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

// The options a Linux user expects: --help and --version, and a picture file to
// play with. Qt's own (-platform, -style, ...) are taken out by QApplication before
// these are read. Single-dash words are long options, as Qt's are, so "-style"
// never reads as "-s -t -y ...".
struct CommandLine
{
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();

    CommandLine()
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral("Picture puzzle: put a painting back together."));
        parser.addPositionalArgument(QStringLiteral("FILE"),
                                     QStringLiteral("A picture to play with instead of the built-in one, in any "
                                                    "format the program reads (JPEG, PNG, WebP, TIFF, GIF, BMP, ...)."),
                                     QStringLiteral("[FILE]"));
    }
    bool asksForHelpOrVersion(const QStringList &arguments)
    {
        parser.parse(arguments);   // Qt's options still stand among them: no verdict on the rest
        return parser.isSet(help) || parser.isSet(version) || parser.isSet(QStringLiteral("help-all"));
    }
};

// While the toolkit connects to the display its messages are held back. When no
// display can be reached, Qt ends the program through a fatal message; that
// becomes one line of ours and exit status 1, without an abort or a core dump.
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::mutex heldLock;
std::vector<HeldMessage> held;
QtMessageHandler toolkitHandler = nullptr;

void replay(const HeldMessage &message)
{
    const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
    toolkitHandler(message.type, context, message.text);
}

void holdWhileConnecting(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const std::lock_guard lock(heldLock);
    if (type != QtFatalMsg) {
        held.push_back({type, QByteArray(context.category), text});
        return;
    }
    bool noDisplay = false;
    for (const HeldMessage &message : held)
        noDisplay = noDisplay || message.text.contains(QLatin1String("connect to display"));
    if (noDisplay) {
        std::fprintf(stderr, "kalvero: no display to open the window on; on a machine without one run: "
                             "xvfb-run -a kalvero\n");
    } else {
        for (const HeldMessage &message : held)
            replay(message);
        replay({type, QByteArray(context.category), text});
        std::fprintf(stderr, "kalvero: the window system could not be started (Qt's messages above tell why)\n");
    }
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication::setApplicationName(QStringLiteral("Kalvero"));
    QApplication::setApplicationVersion(QStringLiteral(KALVERO_VERSION));

    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    // Help and version need no display and open no window.
    if (CommandLine().asksForHelpOrVersion(raw))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    toolkitHandler = qInstallMessageHandler(holdWhileConnecting);
    QApplication app(argc, argv);
    qInstallMessageHandler(toolkitHandler);
    std::vector<HeldMessage> connecting;
    {
        const std::lock_guard lock(heldLock);
        connecting.swap(held);
    }
    for (const HeldMessage &message : connecting)
        replay(message);
    board::PrepareReaders();   // here, before a picture is read on another thread

    CommandLine commandLine;
    if (!commandLine.parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "kalvero: %s\nTry 'kalvero --help' for the options.\n",
                     qPrintable(commandLine.parser.errorText()));
        return 2;
    }
    commandLine.parser.process(app);   // --help and --version print and exit here
    const QStringList files = commandLine.parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "kalvero: one picture at a time: '%s' is one too many\nTry 'kalvero --help' for the options.\n",
                     qPrintable(files.at(1)));
        return 2;
    }
    // The picture is read while the window is made, and is on the board at its first paint.
    QFuture<board::OpenedPicture> opening;
    if (!files.isEmpty())
        opening = QtConcurrent::run(board::OpenPictureFile, files.front());

    QApplication::setDesktopFileName(QStringLiteral("bg.kalvero.Kalvero"));
    MainWindow window(forms::ClockRandom::rtcRandomize());
    QApplication::setWindowIcon(window.windowIcon());
    if (opening.isValid()) {
        const board::OpenedPicture opened = opening.result();
        if (opened.error == board::PictureError::None) {
            window.startWithPicture(opened.picture);
        } else {
            std::fprintf(stderr, "kalvero: %s\n", qPrintable(PictureOpener::refusal(opened.error, files.front())));
            window.opener()->take(opened, files.front());   // the built-in picture, and the same message
        }
    }
    window.show();
    return QApplication::exec();
}
