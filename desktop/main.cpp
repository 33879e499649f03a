// main.cpp: starts Kalvero: reads the command line, opens the application on whatever
// display the toolkit reaches, and shows the window, seeding the generator from the
// clock. Started as `kalvero --decode`, it is the decoder child instead (picture/child.h).
#include "desktop/qtext.h"
#include "forms/random.h"
#include "window/layout.h"
#include "window/texts.h"
#include "desktop/decoder/child.h"
#include "desktop/decoder/file.h"
#include "desktop/mainwindow.h"
#include "desktop/desktoppictureopener.h"
#include "desktop/terminal.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// How long the window waits for a picture named on the command line before it shows.
constexpr int StartWaitMilliseconds = 150;

void say(const QString &line) { std::fprintf(stderr, "kalvero: %s\n", TerminalSafe(line).toLocal8Bit().constData()); }

// The arguments. Qt's own options (-platform, -style, ...) stand before "--" and are
// the toolkit's; what follows "--" is the player's alone. Single-dash words are long
// options, as Qt's are, so "-style" never reads as "-s -t -y ...".
class CommandLine
{
public:
    CommandLine(int argc, char **argv) : m_program(QFileInfo(QString::fromLocal8Bit(argv[0])).fileName())
    {
        m_toolkit.assign(argv, argv + argc);
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--") == 0) {
                m_toolkit.resize(std::size_t(i));
                m_player.assign(argv + i, argv + argc);
                break;
            }
        }
        m_toolkitCount = int(m_toolkit.size());
        m_toolkit.push_back(nullptr);
        m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        m_parser.addOptions({m_help, m_helpAll, m_version, m_zoom, m_projector});
        m_parser.addPositionalArgument(QStringLiteral("FILE"), QString());
    }

    // What QApplication takes its options from, and leaves the rest in.
    int &toolkitCount() { return m_toolkitCount; }
    char **toolkitArguments() { return m_toolkit.data(); }

    // --help and --version answer before any display is opened: true when one did.
    bool answered()
    {
        m_parser.parse(arguments(m_toolkitCount));   // Qt's options still stand among them: no verdict on the rest
        if (m_parser.isSet(m_version)) {
            std::printf("Kalvero %s\n", KALVERO_VERSION);
            return true;
        }
        if (!m_parser.isSet(m_help) && !m_parser.isSet(m_helpAll))
            return false;
        std::printf("Употреба: %s%s", qPrintable(m_program), window::texts::CommandLineHelp.data());
        if (m_parser.isSet(m_helpAll))
            std::fputs(window::texts::QtOptionsHelp.data(), stdout);
        return true;
    }

    // The zoom the window is made at, before the toolkit starts: 1 unless asked for.
    // False, with the reason told, for a zoom the window has no proportions for.
    bool zoom(double &zoom)
    {
        zoom = 1;
        if (!m_parser.parse(arguments(m_toolkitCount)) && m_parser.unknownOptionNames().isEmpty()) {
            // Nothing unknown, though Qt's options still stand among them: a value is missing.
            say(toQString(window::texts::MissingValue(arguments(m_toolkitCount).constLast().toStdString())));
            std::fprintf(stderr, "%s\n", window::texts::TryHelp.data());
            return false;
        }
        if (!m_parser.isSet(m_zoom) || m_parser.value(m_zoom).isEmpty())
            return true;
        const QString value = m_parser.value(m_zoom).replace(u',', u'.');   // 1,5 as a Bulgarian writes it
        for (const double allowed : {1.0, 1.5, 2.0}) {
            if (value.toDouble() == allowed) {
                zoom = allowed;
                return true;
            }
        }
        say(toQString(window::texts::BadZoom(m_parser.value(m_zoom).toStdString())));
        std::fprintf(stderr, "%s\n", window::texts::TryHelp.data());
        return false;
    }
    bool forProjector() const { return m_parser.isSet(m_projector); }

    // Once the toolkit has taken its options: false, with the reason told, for bad ones.
    bool parse()
    {
        if (!m_parser.parse(arguments(m_toolkitCount))) {
            // Unknown, or an option that takes a value standing last without one.
            const QStringList unknown = m_parser.unknownOptionNames();
            say(toQString(unknown.isEmpty() ? window::texts::MissingValue(arguments(m_toolkitCount).constLast().toStdString())
                                            : window::texts::UnknownOption(unknown.front().toStdString())));
            std::fprintf(stderr, "%s\n", window::texts::TryHelp.data());
            return false;
        }
        const QStringList files = m_parser.positionalArguments();
        if (files.size() > 1) {
            say(toQString(window::texts::OnePictureAtATime(files.at(1).toStdString())));
            std::fprintf(stderr, "%s\n", window::texts::TryHelp.data());
            return false;
        }
        if (!files.isEmpty()) {
            // The file by its bytes, as the system holds its name.
            const std::vector<char *> raw = rawArguments(m_toolkitCount);
            for (auto at = raw.rbegin(); at != raw.rend() && !m_picture; ++at) {
                if (QString::fromLocal8Bit(*at) == files.front())
                    m_picture = decoder::FileName::fromArgument(QByteArray(*at));
            }
        }
        return true;
    }
    const std::optional<decoder::FileName> &picture() const { return m_picture; }

private:
    std::vector<char *> rawArguments(int toolkitCount) const
    {
        std::vector<char *> raw(m_toolkit.begin(), m_toolkit.begin() + toolkitCount);
        raw.insert(raw.end(), m_player.begin(), m_player.end());
        return raw;
    }
    QStringList arguments(int toolkitCount) const
    {
        QStringList list;
        for (const char *argument : rawArguments(toolkitCount))
            list << QString::fromLocal8Bit(argument);
        return list;
    }

    QString m_program;
    std::vector<char *> m_toolkit;   // the program and what stands before "--"
    std::vector<char *> m_player;    // "--" and what follows it
    int m_toolkitCount = 0;
    QCommandLineParser m_parser;
    QCommandLineOption m_help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption m_helpAll{QStringLiteral("help-all")};
    QCommandLineOption m_version{{QStringLiteral("v"), QStringLiteral("version")}};
    QCommandLineOption m_zoom{QStringLiteral("zoom"), QString(), QStringLiteral("ZOOM")};
    QCommandLineOption m_projector{QStringLiteral("projector")};
    std::optional<decoder::FileName> m_picture;
};

QtMessageHandler toolkitHandler = nullptr;

// Qt ends a program that reaches no display through a fatal message: that becomes
// one line of ours and exit status 1, without an abort or a core dump. What Qt says
// before it, about the display it could not reach, says the same and goes unsaid.
void noDisplay(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static bool lost = false;
    lost = lost || text.contains(QLatin1String("could not connect to display"));
    if (!lost)
        return toolkitHandler(type, context, text);
    if (type == QtFatalMsg) {
        say(toQString(window::texts::NoDisplay));
        std::fflush(stderr);
        std::_Exit(1);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (decoder::IsDecoderCall(argc, argv))
        return decoder::RunDecoder(argc, argv);

    CommandLine line(argc, argv);
    if (line.answered())
        return 0;
    double zoom = 1;
    if (!line.zoom(zoom))
        return 2;
    toolkitHandler = qInstallMessageHandler(noDisplay);
    if (line.forProjector()) {
        // The largest zoom that fits the screen: asked of the toolkit before the real start.
        std::vector<char *> copy(line.toolkitArguments(), line.toolkitArguments() + line.toolkitCount() + 1);
        int count = line.toolkitCount();
        const QGuiApplication probe(count, copy.data());
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        zoom = window::layout::ProjectorZoom(screen.width(), screen.height());
    }
    if (zoom != 1) {
        // The toolkit scales the whole window, its texts, menus and dialogs included.
        const double given = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1;
        qputenv("QT_SCALE_FACTOR", QByteArray::number((given > 0 ? given : 1) * zoom));
    }

    QApplication::setApplicationName(QStringLiteral("Kalvero"));
    QApplication::setApplicationVersion(QStringLiteral(KALVERO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("bg.kalvero.Kalvero"));
    QApplication app(line.toolkitCount(), line.toolkitArguments());
    qInstallMessageHandler(nullptr);
    if (!line.parse())
        return 2;

    QElapsedTimer started;
    started.start();
    MainWindow window(forms::ClockRandom::rtcRandomize(), line.picture());
    QApplication::setWindowIcon(window.windowIcon());
    if (line.picture())
        window.opener()->waitBriefly(int(std::max<qint64>(0, StartWaitMilliseconds - started.elapsed())));
    window.show();
    return QApplication::exec();
}
