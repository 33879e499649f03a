// tst_model.cpp: picks, swap, shuffle, undo, clear, the move log and the history's depth rules.
#include "forms/random.h"
#include "model/game.h"
#include "window/layout.h"
#include "picture/picture.h"
#include "window/messagebox.h"
#include "window/texts.h"
#include "modeltools.h"

#include <QTest>

#include <algorithm>
#include <random>

using model::Arrangement;
using model::Game;
using model::Log;

namespace {

// Renders an arrangement as its five rows, so that a failed comparison shows the board.
QString asRows(const Arrangement &arrangement)
{
    QStringList rows;
    for (int row = 0; row < model::GridRows; ++row) {
        QStringList cells;
        for (int column = 0; column < model::GridColumns; ++column)
            cells << QString::number(arrangement[std::size_t(column * model::GridRows + row)]);
        rows << cells.join(' ');
    }
    return rows.join(" / ");
}

Arrangement arrangementOf(const QList<int> &tiles)
{
    Arrangement arrangement{};
    for (int slot = 0; slot < model::PieceCount; ++slot)
        arrangement[std::size_t(slot)] = std::uint8_t(tiles.at(slot));
    return arrangement;
}

QString utf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// A game and the message box it writes to, starting with the help text.
struct Session
{
    Game game;
    StringBox box{window::texts::HelpText};
    ScriptedRandom random{{0.0625f, 0.1875f}};

    model::CommandResult command(model::Command which)
    {
        const auto result = game.Command1_Click(int(which), random);
        box.show(result);
        return result;
    }
    void click(std::initializer_list<int> boxes)
    {
        for (int slot : boxes)
            game.Picture2_Click(slot);
    }
    QList<int> bordered() const
    {
        QList<int> boxes;
        for (int slot = 0; slot < model::PieceCount; ++slot) {
            if (game.hasBorder(slot))
                boxes << slot;
        }
        return boxes;
    }
};

// Everything that must hold after any completed command.
void checkHistory(const Game &game)
{
    const auto &history = game.history();
    QVERIFY(history.depth() >= 1);
    QCOMPARE(asRows(history.level(0)), asRows(model::OrderedArrangement()));
    for (std::size_t k = 0; k < history.depth(); ++k)
        QVERIFY2(model::IsPermutation(history.level(k)), qPrintable(asRows(history.level(k))));
}

} // namespace

class tst_Model : public QObject
{
    Q_OBJECT

private slots:
    void startsAssembledWithPlainTileTexts();
    void picks_data();
    void picks();
    void swapDeclinesWithoutTwoPicks();
    void swapExchangesTheTwoPickedTiles();
    void swapOfOneBoxWithItself();
    void logAndSuccessMessage();
    void solvedLooksAtEverySlot_data();
    void solvedLooksAtEverySlot();
    void logNamesTilesNotSlots();
    void undo();
    void undoAtDepthOneKeepsEverything();
    void clearDropsPicksAndHistory();
    void shuffleDrawsWithTheIndexFormula_data();
    void shuffleDrawsWithTheIndexFormula();
    void shuffleIsAPermutationAndRepeatsForASeed();
    void shuffleToLeavesTheBoardAsAShuffleDoes();
    void unknownCommandOnlyRepaints();
    void randomPlayKeepsTheHistoryWhole();
    void fortyThousandSwapsAndBack();
    void helpTextIsExact();
    void cropKeepsTheBoardsProportions_data();
    void cropKeepsTheBoardsProportions();
    void projectorTakesTheLargestZoomThatFits_data();
    void projectorTakesTheLargestZoomThatFits();
};

void tst_Model::startsAssembledWithPlainTileTexts()
{
    Game game;
    QCOMPARE(game.history().depth(), std::size_t(1));
    QVERIFY(game.isSolved());
    QVERIFY(!game.picks().FirstPicked && !game.picks().SecondPicked);
    QCOMPARE(game.history().currentText(7), std::string_view("7"));
    QCOMPARE(game.history().currentText(0), std::string_view("0"));
    QCOMPARE(game.history().currentText(29), std::string_view("29"));
}

void tst_Model::picks_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<bool>("second");
    QTest::addColumn<int>("boxA");
    QTest::addColumn<int>("boxB");
    QTest::addColumn<QList<int>>("bordered");
    QTest::newRow("one pick") << QList<int>{12} << false << 12 << 0 << QList<int>{12};
    QTest::newRow("two picks") << QList<int>{12, 5} << true << 12 << 5 << QList<int>{5, 12};
    QTest::newRow("same box twice") << QList<int>{4, 4} << true << 4 << 4 << QList<int>{4};
    QTest::newRow("3 8 15 slides") << QList<int>{3, 8, 15} << true << 8 << 15 << QList<int>{8, 15};
    QTest::newRow("3 8 3") << QList<int>{3, 8, 3} << true << 8 << 3 << QList<int>{3, 8};
    QTest::newRow("3 3 8 keeps 3") << QList<int>{3, 3, 8} << true << 3 << 8 << QList<int>{3, 8};
    QTest::newRow("four clicks") << QList<int>{0, 29, 1, 28} << true << 1 << 28 << QList<int>{1, 28};
}

void tst_Model::picks()
{
    QFETCH(QList<int>, clicks);
    Session session;
    session.command(model::Command::Shuffle);   // picks carry tiles, not slots
    for (int slot : clicks)
        session.game.Picture2_Click(slot);
    const auto &picks = session.game.picks();
    const auto &history = session.game.history();
    QVERIFY(picks.FirstPicked);
    QTEST(picks.SecondPicked, "second");
    QTEST(picks.PickedBoxA, "boxA");
    QCOMPARE(picks.PickedTileA, history.currentTile(picks.PickedBoxA));
    if (picks.SecondPicked) {
        QTEST(picks.PickedBoxB, "boxB");
        QCOMPARE(picks.PickedTileB, history.currentTile(picks.PickedBoxB));
    } else {
        QCOMPARE(picks.PickedTileB, model::PickState::NoTile);
    }
    QTEST(session.bordered(), "bordered");
    QCOMPARE(history.depth(), std::size_t(2));   // clicks never touch the history
}

void tst_Model::swapDeclinesWithoutTwoPicks()
{
    Session session;
    QVERIFY(!session.command(model::Command::Swap).wentThrough);
    session.click({6});
    const auto result = session.command(model::Command::Swap);
    QVERIFY(!result.wentThrough);
    QCOMPARE(result.log, Log::Keep);
    QCOMPARE(session.game.history().depth(), std::size_t(1));
    QCOMPARE(session.bordered(), QList<int>{6});
    QCOMPARE(utf8(session.box.text), utf8(window::texts::HelpText));
    // The pick survives, and the next click makes the second one.
    session.click({9});
    QVERIFY(session.command(model::Command::Swap).wentThrough);
    QCOMPARE(session.game.history().currentTile(6), 9);
}

void tst_Model::swapExchangesTheTwoPickedTiles()
{
    Session session;
    session.command(model::Command::Shuffle);
    const Arrangement before = session.game.history().current();
    session.click({3, 8, 15});
    const auto result = session.command(model::Command::Swap);
    QVERIFY(result.wentThrough);
    Arrangement expected = before;
    std::swap(expected[8], expected[15]);
    QCOMPARE(asRows(session.game.history().current()), asRows(expected));
    QCOMPARE(asRows(session.game.history().level(1)), asRows(before));
    QCOMPARE(session.game.history().depth(), std::size_t(3));
    QCOMPARE(utf8(window::TextFor(result).text), QStringLiteral("Разменям: %1 и %2\r\n").arg(before[15]).arg(before[8]));
    QVERIFY(session.bordered().isEmpty());
    QVERIFY(!session.game.picks().FirstPicked && !session.game.picks().SecondPicked);
    QCOMPARE(session.game.picks().PickedBoxA, 8);   // the boxes are kept
    QCOMPARE(session.game.picks().PickedBoxB, 15);
}

void tst_Model::swapOfOneBoxWithItself()
{
    Session session;
    session.command(model::Command::Shuffle);
    session.click({0, 1});
    session.command(model::Command::Swap);
    const Arrangement before = session.game.history().current();
    const int tile = before[20];
    session.click({20, 20});
    const auto result = session.command(model::Command::Swap);
    QVERIFY(result.wentThrough);
    QCOMPARE(asRows(session.game.history().current()), asRows(before));
    QCOMPARE(session.game.history().depth(), std::size_t(4));
    QCOMPARE(utf8(window::TextFor(result).text), QStringLiteral("Разменям: %1 и %1\r\n").arg(tile));
    QVERIFY(session.command(model::Command::Undo).wentThrough);
    QCOMPARE(asRows(session.game.history().current()), asRows(before));
    QCOMPARE(session.game.history().depth(), std::size_t(3));
}

void tst_Model::logAndSuccessMessage()
{
    Session session;
    session.box.text = "typed by the player";
    session.click({0, 1});
    auto result = session.command(model::Command::Swap);
    QCOMPARE(result.log, Log::Swapped);
    QVERIFY(!session.game.isSolved());
    QCOMPARE(utf8(session.box.text), QStringLiteral("typed by the playerРазменям: 1 и 0\r\n"));

    session.click({2, 3});
    session.command(model::Command::Swap);
    QCOMPARE(utf8(session.box.text), QStringLiteral("typed by the playerРазменям: 1 и 0\r\nРазменям: 3 и 2\r\n"));
    session.click({3, 2});
    session.command(model::Command::Swap);
    QVERIFY(!session.game.isSolved());
    session.click({1, 0});
    result = session.command(model::Command::Swap);
    QCOMPARE(result.log, Log::Solved);
    QCOMPARE(utf8(session.box.text), QStringLiteral("Правилно подреден пъзел!"));

    // The announcement has no line break: the next line follows on the same line.
    session.click({5, 5});
    session.command(model::Command::Swap);
    QCOMPARE(utf8(session.box.text), QStringLiteral("Правилно подреден пъзел!"));   // still assembled
    session.click({5, 6});
    session.command(model::Command::Swap);
    QCOMPARE(utf8(session.box.text), QStringLiteral("Правилно подреден пъзел!Разменям: 6 и 5\r\n"));
}

void tst_Model::solvedLooksAtEverySlot_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::newRow("first two slots") << 0 << 1;
    QTest::newRow("last two slots") << 28 << 29;
}

void tst_Model::solvedLooksAtEverySlot()
{
    // The assembled board with only slots a and b exchanged is not solved.
    QFETCH(int, a);
    QFETCH(int, b);
    Session session;
    session.click({a, b});
    QCOMPARE(session.command(model::Command::Swap).log, Log::Swapped);
    QVERIFY(!session.game.isSolved());
    session.click({a, b});
    QCOMPARE(session.command(model::Command::Swap).log, Log::Solved);
    QVERIFY(session.game.isSolved());
}

void tst_Model::logNamesTilesNotSlots()
{
    Session session;
    session.command(model::Command::Shuffle);
    const auto &current = session.game.history().current();
    QCOMPARE(asRows(current).left(5), QStringLiteral("2 17 "));   // slot 0 shows tile 2, slot 5 tile 17
    session.click({0, 1});
    session.command(model::Command::Swap);
    QCOMPARE(utf8(session.box.text), QStringLiteral("Разменям: 15 и 2\r\n"));
}

void tst_Model::undo()
{
    Session session;
    session.click({0, 7});
    session.command(model::Command::Swap);
    session.click({1, 8});
    session.command(model::Command::Swap);
    const Arrangement afterFirst = session.game.history().level(1);
    session.click({10, 11});   // picks pending across the undo
    QVERIFY(session.command(model::Command::Undo).wentThrough);
    QCOMPARE(asRows(session.game.history().current()), asRows(afterFirst));
    QCOMPARE(session.box.text, std::string());   // the whole log, not only its last line
    QVERIFY(session.bordered().isEmpty());
    QVERIFY(session.command(model::Command::Undo).wentThrough);
    QVERIFY(session.game.isSolved());
    QVERIFY(!session.command(model::Command::Undo).wentThrough);

    // Across a shuffle: one undo gives the assembled picture, the next does nothing.
    session.command(model::Command::Shuffle);
    QCOMPARE(session.game.history().depth(), std::size_t(2));
    QVERIFY(session.command(model::Command::Undo).wentThrough);
    QVERIFY(session.game.isSolved());
    QVERIFY(!session.command(model::Command::Undo).wentThrough);
}

void tst_Model::undoAtDepthOneKeepsEverything()
{
    Session session;
    session.click({4, 9});
    const auto result = session.command(model::Command::Undo);
    QVERIFY(!result.wentThrough);
    QCOMPARE(utf8(session.box.text), utf8(window::texts::HelpText));
    QCOMPARE(session.bordered(), (QList<int>{4, 9}));
    QVERIFY(session.game.picks().SecondPicked);
    // The picks still work for a swap.
    QVERIFY(session.command(model::Command::Swap).wentThrough);
    QCOMPARE(session.game.history().currentTile(4), 9);
}

void tst_Model::clearDropsPicksAndHistory()
{
    Session session;
    session.command(model::Command::Shuffle);
    session.click({0, 1});
    session.command(model::Command::Swap);
    session.click({2, 3});
    const auto result = session.command(model::Command::Clear);
    QVERIFY(result.wentThrough);
    QCOMPARE(session.box.text, std::string());
    QVERIFY(session.game.isSolved());
    QCOMPARE(session.game.history().depth(), std::size_t(1));
    QVERIFY(session.bordered().isEmpty());
    QVERIFY(!session.command(model::Command::Undo).wentThrough);
    QVERIFY(!session.command(model::Command::Swap).wentThrough);   // the picks went too
}

void tst_Model::shuffleDrawsWithTheIndexFormula_data()
{
    QTest::addColumn<QList<float>>("draws");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("zero draws keep the order")
        << QList<float>{0.0f} << QList<int>{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                            15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
    // 62.5 rounds to 62 and 187.5 to 188 before the modulo.
    QTest::newRow("halves round to even")
        << QList<float>{0.0625f, 0.1875f} << QList<int>{2,  15, 7,  29, 12, 17, 19, 5,  25, 28, 3,  26, 13, 1,  24,
                                                        16, 11, 14, 6,  4,  9,  27, 22, 23, 10, 20, 18, 21, 0,  8};
    // 0.9999 * 1000 rounds to 1000.
    QTest::newRow("top of the range")
        << QList<float>{0.9999f} << QList<int>{10, 15, 22, 1,  14, 0, 21, 16, 13, 20, 2, 23, 18, 27, 12,
                                               24, 9,  29, 7,  28, 3, 5,  4,  26, 19, 6, 8,  17, 11, 25};
}

void tst_Model::shuffleDrawsWithTheIndexFormula()
{
    QFETCH(QList<float>, draws);
    QFETCH(QList<int>, expected);
    Game game;
    ScriptedRandom random(std::vector<float>(draws.begin(), draws.end()));
    const auto result = game.Shuffle(random);
    QVERIFY(result.wentThrough);
    QCOMPARE(result.log, Log::Empty);
    QCOMPARE(random.drawn(), std::size_t(29));
    QCOMPARE(asRows(game.history().current()), asRows(arrangementOf(expected)));
}

void tst_Model::shuffleIsAPermutationAndRepeatsForASeed()
{
    Game first, second;
    forms::ClockRandom a(2024), b(2024);
    for (int round = 0; round < 200; ++round) {
        first.Picture2_Click(round % 30);
        first.Picture2_Click((round * 7) % 30);
        first.Swap();   // any depth before: two levels after
        first.Shuffle(a);
        second.Shuffle(b);
        QCOMPARE(first.history().depth(), std::size_t(2));
        QVERIFY(model::IsPermutation(first.history().current()));
        QCOMPARE(asRows(first.history().current()), asRows(second.history().current()));
        QVERIFY(!first.picks().FirstPicked);
    }
}

void tst_Model::shuffleToLeavesTheBoardAsAShuffleDoes()
{
    // A deep history, a log and two picks, then a given start: two levels, the
    // ordered one under it, nothing picked, the log emptied.
    Session session;
    session.click({0, 7});
    session.command(model::Command::Swap);
    session.click({1, 8});
    session.command(model::Command::Swap);
    session.click({2, 3});
    Arrangement start = model::OrderedArrangement();
    std::reverse(start.begin(), start.end());
    const auto result = session.game.ShuffleTo(start);
    session.box.show(result);
    QCOMPARE(result, (model::CommandResult{true, Log::Empty}));
    QCOMPARE(session.box.text, std::string());
    QCOMPARE(session.game.history().depth(), std::size_t(2));
    QCOMPARE(asRows(session.game.history().current()), asRows(start));
    QVERIFY(session.bordered().isEmpty());
    QVERIFY(!session.command(model::Command::Swap).wentThrough);   // the picks went
    QVERIFY(session.command(model::Command::Undo).wentThrough);
    QVERIFY(session.game.isSolved());
    QVERIFY(!session.command(model::Command::Undo).wentThrough);
}

void tst_Model::unknownCommandOnlyRepaints()
{
    Session session;
    session.click({1, 2});
    const auto result = session.game.Command1_Click(7, session.random);
    QVERIFY(result.wentThrough);
    QCOMPARE(result.log, Log::Keep);
    QVERIFY(session.bordered().isEmpty());
    QCOMPARE(session.game.history().depth(), std::size_t(1));
}

void tst_Model::randomPlayKeepsTheHistoryWhole()
{
    std::mt19937 chooser(7);
    Session session;
    std::size_t expectedDepth = 1;
    for (int step = 0; step < 5000; ++step) {
        const auto choice = unsigned(chooser() % 10);
        if (choice < 6) {
            session.game.Picture2_Click(int(chooser() % 30));
            continue;
        }
        const auto which = model::Command(choice - 6);
        const bool twoPicks = session.game.picks().SecondPicked;
        const auto result = session.command(which);
        switch (which) {
        case model::Command::Clear: expectedDepth = 1; break;
        case model::Command::Shuffle: expectedDepth = 2; break;
        case model::Command::Swap: expectedDepth += twoPicks ? 1 : 0; break;
        case model::Command::Undo: expectedDepth -= expectedDepth > 1 ? 1 : 0; break;
        }
        QCOMPARE(session.game.history().depth(), expectedDepth);
        if (result.wentThrough)
            QVERIFY(session.bordered().isEmpty());
        checkHistory(session.game);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("after step %1").arg(step)));
    }
}

void tst_Model::fortyThousandSwapsAndBack()
{
    // Far past the 32,767 levels a 16-bit item count could hold.
    Game game;
    std::mt19937 chooser(40000);
    for (int swap = 0; swap < 40000; ++swap) {
        game.Picture2_Click(int(chooser() % 30));
        game.Picture2_Click(int(chooser() % 30));
        QVERIFY(game.Swap().wentThrough);
    }
    QCOMPARE(game.history().depth(), std::size_t(40001));
    int undone = 0;
    while (game.Undo().wentThrough)
        ++undone;
    QCOMPARE(undone, 40000);
    QVERIFY(game.isSolved());
}

void tst_Model::helpTextIsExact()
{
    const QString help = utf8(window::texts::HelpText);
    QCOMPARE(help.size(), 1302);
    QCOMPARE(help.count(QStringLiteral("\r\n")), 12);
    QVERIFY(help.endsWith(QStringLiteral(
        " - Ход назад - връща предходната ситуация от съхранената история на ходовете.\r\n")));
    QVERIFY(help.contains(QStringLiteral("Всеки от тях  съдържа")));
    QVERIFY(help.contains(QStringLiteral("репродукция на \"Нощна стража\".\r\n")));
    const QStringList lines = help.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.at(8), QStringLiteral(" - Изчисти - показва, сглобения пъзел;"));
    QCOMPARE(lines.at(12), QString());
    QCOMPARE(utf8(window::texts::BoardTitle).size(), 44);
    QCOMPARE(utf8(window::texts::Solved), QStringLiteral("Правилно подреден пъзел!"));
}

void tst_Model::cropKeepsTheBoardsProportions_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("crop");   // x, y, width, height
    QTest::newRow("the board's own size") << 300 << 250 << QList<int>{0, 0, 300, 250};
    QTest::newRow("wide: the same off both sides") << 1200 << 250 << QList<int>{450, 0, 300, 250};
    QTest::newRow("wide, an odd pixel left over") << 301 << 250 << QList<int>{0, 0, 300, 250};
    QTest::newRow("tall: a third off the top, two off the bottom") << 300 << 1000 << QList<int>{0, 250, 300, 250};
    QTest::newRow("tall, width rounded to the nearest") << 7 << 100 << QList<int>{0, 31, 7, 6};   // 5.83
    QTest::newRow("tall by one pixel") << 300 << 251 << QList<int>{0, 0, 300, 250};
    QTest::newRow("tall by three pixels") << 300 << 253 << QList<int>{0, 1, 300, 250};
    QTest::newRow("one pixel wide") << 1 << 4000 << QList<int>{0, 1333, 1, 1};
    QTest::newRow("one pixel high") << 60000 << 1 << QList<int>{29999, 0, 1, 1};
    QTest::newRow("museum scan, a little wide") << 14645 << 12158 << QList<int>{27, 0, 14590, 12158};
}

void tst_Model::cropKeepsTheBoardsProportions()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<int>, crop);
    const picture::CropRect rect = picture::CropToBoard(width, height);
    QCOMPARE((QList<int>{rect.x, rect.y, rect.width, rect.height}), crop);
}

void tst_Model::projectorTakesTheLargestZoomThatFits_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("zoom");
    QTest::newRow("full HD") << 1920 << 1040 << 2.0;
    QTest::newRow("exactly 2 with its frame") << 948 << 896 << 2.0;
    QTest::newRow("a pixel short across") << 947 << 896 << 1.5;
    QTest::newRow("a pixel short down") << 948 << 895 << 1.5;
    QTest::newRow("a school projector, 1024 x 768") << 1024 << 738 << 1.5;
    QTest::newRow("exactly 1.5 with its frame") << 715 << 684 << 1.5;
    QTest::newRow("800 x 600") << 800 << 570 << 1.0;
}

void tst_Model::projectorTakesTheLargestZoomThatFits()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QTEST(window::layout::ProjectorZoom(width, height), "zoom");
}

QTEST_APPLESS_MAIN(tst_Model)
#include "tst_model.moc"
