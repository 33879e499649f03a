// tst_commandline.cpp: the desktop program's arguments: answers, zoom, Qt's options, the file, and what is refused.
#include "desktop/commandline.h"

#include <QTest>

#include <string>
#include <vector>

Q_DECLARE_METATYPE(CommandLineAnswer)

namespace {

std::variant<CommandLine, CommandLineError> parse(const QByteArrayList &arguments)
{
    std::vector<const char *> argv{"/usr/games/kalvero"};
    for (const QByteArray &argument : arguments)
        argv.push_back(argument.constData());
    argv.push_back(nullptr);
    return ParseCommandLine(int(argv.size() - 1), argv.data());
}

// The options, failing the test with the message when they were refused.
CommandLine accepted(const QByteArrayList &arguments)
{
    auto parsed = parse(arguments);
    if (const auto *wrong = std::get_if<CommandLineError>(&parsed))
        qWarning("refused: %s", wrong->message.c_str());
    return std::holds_alternative<CommandLine>(parsed) ? std::get<CommandLine>(parsed) : CommandLine{};
}

} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answersBeforeAnythingElse_data();
    void answersBeforeAnythingElse();
    void zoom_data();
    void zoom();
    void qtOptionsPassThrough_data();
    void qtOptionsPassThrough();
    void picture_data();
    void picture();
    void refusals_data();
    void refusals();
};

void tst_CommandLine::answersBeforeAnythingElse_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<CommandLineAnswer>("answer");
    QTest::newRow("nothing") << QByteArrayList{} << CommandLineAnswer::None;
    QTest::newRow("-h") << QByteArrayList{"-h"} << CommandLineAnswer::Help;
    QTest::newRow("--help") << QByteArrayList{"--help"} << CommandLineAnswer::Help;
    QTest::newRow("-help, Qt style") << QByteArrayList{"-help"} << CommandLineAnswer::Help;
    QTest::newRow("--help-all") << QByteArrayList{"--help-all"} << CommandLineAnswer::HelpAll;
    QTest::newRow("-v") << QByteArrayList{"-v"} << CommandLineAnswer::Version;
    QTest::newRow("version over help") << QByteArrayList{"--version", "--help"} << CommandLineAnswer::Version;
    QTest::newRow("help-all over help") << QByteArrayList{"--help-all", "-h"} << CommandLineAnswer::HelpAll;
    QTest::newRow("help despite an unknown option") << QByteArrayList{"--bogus", "--help"} << CommandLineAnswer::Help;
    QTest::newRow("help despite a bad zoom") << QByteArrayList{"--zoom", "3", "-h"} << CommandLineAnswer::Help;
    QTest::newRow("--help after -- is a file") << QByteArrayList{"--", "--help"} << CommandLineAnswer::None;
}

void tst_CommandLine::answersBeforeAnythingElse()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(CommandLineAnswer, answer);
    QCOMPARE(accepted(arguments).answer, answer);
}

void tst_CommandLine::zoom_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("projector");
    QTest::newRow("none") << QByteArrayList{} << 1.0 << false;
    QTest::newRow("--zoom 2") << QByteArrayList{"--zoom", "2"} << 2.0 << false;
    QTest::newRow("--zoom=1.5") << QByteArrayList{"--zoom=1.5"} << 1.5 << false;
    QTest::newRow("Bulgarian comma") << QByteArrayList{"--zoom", "1,5"} << 1.5 << false;
    QTest::newRow("-zoom=2, Qt style") << QByteArrayList{"-zoom=2"} << 2.0 << false;
    QTest::newRow("the last one counts") << QByteArrayList{"--zoom", "2", "--zoom", "1.5"} << 1.5 << false;
    QTest::newRow("--projector") << QByteArrayList{"--projector"} << 1.0 << true;
}

void tst_CommandLine::zoom()
{
    QFETCH(QByteArrayList, arguments);
    const CommandLine line = accepted(arguments);
    QTEST(line.zoom, "zoom");
    QTEST(line.projector, "projector");
    QCOMPARE(line.toolkit, std::vector<std::string>{"/usr/games/kalvero"});
}

void tst_CommandLine::qtOptionsPassThrough_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArrayList>("toolkit");   // after the program's own name
    QTest::newRow("none") << QByteArrayList{"--zoom", "2"} << QByteArrayList{};
    QTest::newRow("--platform NAME") << QByteArrayList{"--platform", "offscreen"} << QByteArrayList{"-platform", "offscreen"};
    QTest::newRow("-style=NAME as two words") << QByteArrayList{"-style=fusion"} << QByteArrayList{"-style", "fusion"};
    QTest::newRow("a value that looks like an option") << QByteArrayList{"-qwindowtitle", "-reverse"}
                                                      << QByteArrayList{"-qwindowtitle", "-reverse"};
    QTest::newRow("flags") << QByteArrayList{"-reverse", "--nograb", "-dograb"}
                           << QByteArrayList{"-reverse", "-nograb", "-dograb"};
    QTest::newRow("mixed with ours and the file")
        << QByteArrayList{"-display", ":1", "--zoom", "2", "x.png", "-session", "id_key", "-geometry", "+10+10"}
        << QByteArrayList{"-display", ":1", "-session", "id_key", "-geometry", "+10+10"};
    QTest::newRow("nothing after --") << QByteArrayList{"-reverse", "--", "-style"} << QByteArrayList{"-reverse"};
}

void tst_CommandLine::qtOptionsPassThrough()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArrayList, toolkit);
    std::vector<std::string> expected{"/usr/games/kalvero"};
    for (const QByteArray &word : toolkit)
        expected.push_back(word.toStdString());
    const CommandLine line = accepted(arguments);
    QCOMPARE(line.toolkit, expected);
    QCOMPARE(QByteArray::fromStdString(line.program), QByteArray("kalvero"));
}

void tst_CommandLine::picture_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArray>("picture");   // empty: none
    QTest::newRow("none") << QByteArrayList{"-reverse"} << QByteArray();
    QTest::newRow("between options") << QByteArrayList{"--zoom", "2", "a.png", "-reverse"} << QByteArray("a.png");
    QTest::newRow("-reverse after --") << QByteArrayList{"--", "-reverse"} << QByteArray("-reverse");
    QTest::newRow("- alone") << QByteArrayList{"-"} << QByteArray("-");
    QTest::newRow("bytes that are no text") << QByteArrayList{"\xff\xfe own.png"} << QByteArray("\xff\xfe own.png");
}

void tst_CommandLine::picture()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArray, picture);
    const CommandLine line = accepted(arguments);
    QCOMPARE(line.picture.has_value(), !picture.isEmpty());
    if (line.picture)
        QCOMPARE(QByteArray::fromStdString(*line.picture), picture);
}

void tst_CommandLine::refusals_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown long") << QByteArrayList{"--no-such-option"} << "непозната опция „no-such-option“";
    QTest::newRow("unknown short") << QByteArrayList{"-x"} << "непозната опция „x“";
    QTest::newRow("one word, not -h -v") << QByteArrayList{"-hv"} << "непозната опция „hv“";
    QTest::newRow("the first of two wrongs") << QByteArrayList{"-x", "-y"} << "непозната опция „x“";
    QTest::newRow("--zoom last") << QByteArrayList{"--zoom"} << "опцията „--zoom“ иска стойност";
    QTest::newRow("Qt's option last") << QByteArrayList{"-platform"} << "опцията „-platform“ иска стойност";
    QTest::newRow("Qt's option before --") << QByteArrayList{"-style", "--", "a.png"} << "опцията „-style“ иска стойност";
    QTest::newRow("a value for a flag") << QByteArrayList{"--projector=yes"} << "опцията „--projector“ не приема стойност";
    QTest::newRow("a value for Qt's flag") << QByteArrayList{"-reverse=1"} << "опцията „-reverse“ не приема стойност";
    QTest::newRow("zoom 3") << QByteArrayList{"--zoom", "3"} << "мащабът „3“ не е 1, 1.5 или 2";
    QTest::newRow("zoom empty") << QByteArrayList{"--zoom="} << "мащабът „“ не е 1, 1.5 или 2";
    QTest::newRow("zoom with more after it") << QByteArrayList{"--zoom=1.5x"} << "мащабът „1.5x“ не е 1, 1.5 или 2";
    QTest::newRow("two files") << QByteArrayList{"one.png", "two.png"} << "една картина наведнъж: „two.png“ е в повече";
    QTest::newRow("a second file after --") << QByteArrayList{"one.png", "--", "-two"}
                                            << "една картина наведнъж: „-two“ е в повече";
}

void tst_CommandLine::refusals()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QString, message);
    const auto parsed = parse(arguments);
    QVERIFY(std::holds_alternative<CommandLineError>(parsed));
    QCOMPARE(QString::fromStdString(std::get<CommandLineError>(parsed).message), message);
}

QTEST_APPLESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
