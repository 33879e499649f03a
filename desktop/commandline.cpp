// commandline.cpp: reading the desktop program's arguments in one pass.
#include "desktop/commandline.h"

#include "desktop/commandlinetexts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>
#include <system_error>

namespace {

namespace texts = commandline::texts;

// Qt 6.4's own options, as QCoreApplication, QGuiApplication, QApplication and the
// xcb platform take them out of argv. Those that take a value take the next word,
// whatever it is; -style, -stylesheet and -qmljsdebugger also take "=value", and
// here every one of them does, passed on to Qt as two words.
constexpr std::array<std::string_view, 17> QtValueOptions = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger", "session",
    "qwindowgeometry", "geometry", "qwindowtitle", "title", "qwindowicon", "icon",
    "style", "stylesheet", "display", "name", "visual"};
constexpr std::array<std::string_view, 5> QtFlags = {"reverse", "testability", "widgetcount", "nograb", "dograb"};

template <std::size_t N>
bool isIn(const std::array<std::string_view, N> &names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// 1, 1.5 or 2, with a point or a comma ("1,5" as a Bulgarian writes it).
std::optional<double> readZoom(std::string_view text)
{
    std::string value(text);
    std::replace(value.begin(), value.end(), ',', '.');
    double zoom = 0;
    const char *end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, zoom);
    if (error != std::errc() || stop != end || (zoom != 1 && zoom != 1.5 && zoom != 2))
        return std::nullopt;
    return zoom;
}

} // namespace

std::variant<CommandLine, CommandLineError> ParseCommandLine(int argc, const char *const *argv)
{
    CommandLine line;
    const std::string_view invoked = argc > 0 && argv[0] ? argv[0] : "kalvero";
    line.program = invoked.substr(invoked.find_last_of("/\\") + 1);   // npos + 1 is the whole
    line.toolkit.emplace_back(invoked);

    std::optional<std::string> wrong;   // the first thing wrong: the rest is still read, for --help
    const auto fail = [&wrong](std::string message) {
        if (!wrong)
            wrong = std::move(message);
    };
    bool options = true;   // until "--"
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (!options || word.size() < 2 || word[0] != '-') {   // "-" alone is a name too
            if (line.picture)
                fail(texts::OnePictureAtATime(word));
            else
                line.picture = std::string(word);
            continue;
        }
        if (word == "--") {
            options = false;
            continue;
        }
        std::string_view name = word.substr(word[1] == '-' ? 2 : 1);
        const std::string_view written = word.substr(0, word.find('='));
        std::optional<std::string_view> value;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }

        const bool toolkitValue = isIn(QtValueOptions, name);
        if (name == "zoom" || toolkitValue) {
            if (!value) {
                // "--" ends the options even here: it is never a value.
                if (i + 1 == argc || std::string_view(argv[i + 1]) == "--") {
                    fail(texts::MissingValue(word));
                    continue;
                }
                value = argv[++i];
            }
            if (toolkitValue) {
                line.toolkit.push_back("-" + std::string(name));
                line.toolkit.emplace_back(*value);
            } else if (const std::optional<double> zoom = readZoom(*value)) {
                line.zoom = *zoom;
            } else {
                fail(texts::BadZoom(*value));
            }
            continue;
        }

        CommandLineAnswer answer = CommandLineAnswer::None;
        if (name == "h" || name == "help")
            answer = CommandLineAnswer::Help;
        else if (name == "help-all")
            answer = CommandLineAnswer::HelpAll;
        else if (name == "v" || name == "version")
            answer = CommandLineAnswer::Version;
        const bool flag = answer != CommandLineAnswer::None || name == "projector" || isIn(QtFlags, name);
        if (!flag)
            fail(texts::UnknownOption(name));
        else if (value)
            fail(texts::UnexpectedValue(written));
        else if (name == "projector")
            line.projector = true;
        else if (answer == CommandLineAnswer::None)
            line.toolkit.push_back("-" + std::string(name));
        else
            line.answer = std::max(line.answer, answer);
    }
    if (wrong && line.answer == CommandLineAnswer::None)
        return CommandLineError{*wrong};
    return line;
}
