// tst_window.cpp: the play layer both faces drive: what each act does to the game, the
// cursor, the glance and the message box, and what PaintBoard draws for it.
#include "window/layout.h"
#include "window/messagebox.h"
#include "window/play.h"
#include "window/texts.h"

#include <QTest>

#include <string>
#include <vector>

using window::Key;
using window::Play;
using window::Shown;

namespace {

// Records what PaintBoard asks of a face, one word per call: "t7" a tile in slot 7,
// "b7" a border, "m7" the mark, "l7" a label, "s7+"/"s7-" a selection, "W+"/"W-" the glance,
// "d7" a veil, "o7#e6194b" an outline in its colour.
struct Recorder : board::Surface
{
    QStringList calls;
    void tile(int slot, const forms::PixelRect &, const forms::PixelRect &) override { calls << QStringLiteral("t%1").arg(slot); }
    void border(int slot, const forms::PixelRect &) override { calls << QStringLiteral("b%1").arg(slot); }
    void mark(int slot, const forms::PixelRect &) override { calls << QStringLiteral("m%1").arg(slot); }
    void whole(bool shown) override { calls << (shown ? QStringLiteral("W+") : QStringLiteral("W-")); }
    void dim(int slot, const forms::PixelRect &) override { calls << QStringLiteral("d%1").arg(slot); }
    void outline(int slot, const forms::PixelRect &, board::Rgb colour) override
    {
        calls << QStringLiteral("o%1#%2").arg(slot).arg(colour, 6, 16, QLatin1Char('0'));
    }
    void label(int slot, std::string_view, std::string_view) override { calls << QStringLiteral("l%1").arg(slot); }
    void selected(int slot, bool picked) override
    {
        // A reader that asks back at once must hear the new state: "!" marks a frame behind.
        const bool behind = frame && frame->slot(slot).border != picked;
        calls << QStringLiteral("s%1").arg(slot) + (picked ? u'+' : u'-') + (behind ? QStringLiteral("!") : QString());
    }
    const board::BoardFrame *frame = nullptr;
    QStringList take() { return std::exchange(calls, {}); }
};

// How many tiles a paint drew.
qsizetype tiles(const QStringList &calls) { return calls.filter(QRegularExpression(QStringLiteral("^t"))).size(); }

// The message box as a string.
struct Box : window::MessageBox
{
    std::string text = "help";
    void setText(std::string_view t) override { text = t; }
    void append(std::string_view line) override { text += line; }
};

// A play with its board painted once, as start-up leaves it.
struct Player
{
    Play play{forms::ClockRandom(3)};
    Recorder surface;
    Box box;
    Player()
    {
        surface.frame = &play.board();
        play.PaintBoard(surface);
        surface.take();
    }
    QStringList act(const Shown &shown)
    {
        window::ApplyText(shown.text, box);
        play.PaintBoard(surface);
        return surface.take();
    }
};

} // namespace

class tst_Window : public QObject
{
    Q_OBJECT

private slots:
    void startUpDrawsEverySlotOnce();
    void paintDrawsOnlyWhatChanged();
    void cursorKeys_data();
    void cursorKeys();
    void keysOffTheBoard();
    void theGlanceEndsOnTheNextActAlone_data();
    void theGlanceEndsOnTheNextActAlone();
    void cyclesOutlinedAndCounted();
    void menuInOrder();
    void aPictureArrives_data();
    void aPictureArrives();
    void swapTextComesFromTheFacts();
    void aLessonArrivesAndIsLeft();
    void pageScale_data();
    void pageScale();
};

void tst_Window::startUpDrawsEverySlotOnce()
{
    Play play{forms::ClockRandom(3)};
    Recorder surface;
    play.PaintBoard(surface);
    QCOMPARE(tiles(surface.calls), 30);
    QCOMPARE(surface.calls.filter(QRegularExpression(QStringLiteral("^l"))).size(), 30);
    QCOMPARE(surface.calls.filter(QRegularExpression(QStringLiteral("^[bmsW]"))), QStringList());
    QCOMPARE(play.board().slot(29).tooltip, std::string("29"));
    QCOMPARE(play.board().slot(7).name, window::texts::SlotName(7, "7"));
    play.PaintBoard(surface);
    QCOMPARE(surface.calls.size(), 60);   // a second paint with nothing changed draws nothing
}

void tst_Window::paintDrawsOnlyWhatChanged()
{
    Player p;
    QCOMPARE(p.act(p.play.Picture2_Click(3)), (QStringList{"s3+", "t3", "b3"}));
    QCOMPARE(p.act(p.play.Picture2_Click(8)), (QStringList{"s8+", "t8", "b8"}));
    // The third click lets the oldest go: its tile is drawn again without the border.
    QCOMPARE(p.act(p.play.Picture2_Click(15)), (QStringList{"s3-", "t3", "s15+", "t15", "b15"}));
    // The swap exchanges two tiles, so their labels change too, and the picks go.
    QCOMPARE(p.act(p.play.Command1_Click(2)), (QStringList{"s8-", "l8", "t8", "s15-", "l15", "t15"}));
    QCOMPARE(p.box.text, std::string("helpРазменям: 15 и 8\r\n"));
    // A declined command draws nothing and keeps the text.
    QCOMPARE(p.act(p.play.Command1_Click(2)), QStringList());
    QCOMPARE(p.box.text, std::string("helpРазменям: 15 и 8\r\n"));
    // Clear builds the board anew: every slot is drawn, once.
    QCOMPARE(tiles(p.act(p.play.Command1_Click(0))), 30);
    QCOMPARE(p.box.text, std::string());
}

void tst_Window::cursorKeys_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("left stops at the edge") << 2 << int(Key::Left) << 2;
    QTest::newRow("left a column") << 7 << int(Key::Left) << 2;
    QTest::newRow("right stops at the edge") << 27 << int(Key::Right) << 27;
    QTest::newRow("right a column") << 0 << int(Key::Right) << 5;
    QTest::newRow("up stops at the top row") << 10 << int(Key::Up) << 10;
    QTest::newRow("up a row") << 11 << int(Key::Up) << 10;
    QTest::newRow("down stops at the last row") << 29 << int(Key::Down) << 29;
    QTest::newRow("down a row") << 28 << int(Key::Down) << 29;
    QTest::newRow("home to the row's start") << 28 << int(Key::Home) << 3;
    QTest::newRow("end to the row's end") << 3 << int(Key::End) << 28;
}

void tst_Window::cursorKeys()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    Player p;
    p.play.boardFocused(false);
    p.act(p.play.Picture2_Click(from));   // a click moves the cursor, and shows no mark
    QCOMPARE(p.play.cursor(), from);
    QVERIFY(!p.play.markShown());
    const Shown shown = p.play.key(Key(key), true);
    QVERIFY(shown.taken);
    QCOMPARE(p.play.cursor(), to);
    QCOMPARE(shown.cursorMoved, from != to);
    QVERIFY(p.play.markShown());   // a key on the board shows where the cursor is
    QCOMPARE(p.act(shown).filter(QRegularExpression(QStringLiteral("^m"))), QStringList{QStringLiteral("m%1").arg(to)});
    // Space picks the piece under the cursor; the cursor survives Shuffle.
    p.act(p.play.key(Key::Space, true));
    QVERIFY(p.play.game().hasBorder(to));
    p.act(p.play.Command1_Click(1));
    QCOMPARE(p.play.cursor(), to);
}

void tst_Window::keysOffTheBoard()
{
    Player p;
    QVERIFY(!p.play.key(Key::Right, false).taken);
    QVERIFY(!p.play.key(Key::Other, true).taken);
    QCOMPARE(p.play.cursor(), 0);
    p.act(p.play.Command1_Click(1));
    const model::Arrangement shuffled = p.play.game().history().current();
    // The undo key works wherever the focus is.
    QVERIFY(p.play.key(Key::Undo, false).taken);
    QCOMPARE(p.play.game().history().depth(), std::size_t(1));
    QVERIFY(p.play.game().history().current() != shuffled);
}

void tst_Window::theGlanceEndsOnTheNextActAlone_data()
{
    QTest::addColumn<int>("glance");
    QTest::addColumn<int>("act");
    for (const int glance : {int(Key::F2), int(Key::F3)}) {
        const char *name = glance == int(Key::F2) ? "whole picture" : "cycles";
        QTest::addRow("%s, a click on a piece", name) << glance << 0;
        QTest::addRow("%s, Изчисти", name) << glance << 1;
        QTest::addRow("%s, a key on the board", name) << glance << 2;
        QTest::addRow("%s, the undo key", name) << glance << 3;
        QTest::addRow("%s, the ending press itself", name) << glance << 4;
        QTest::addRow("%s, the other glance's key", name) << glance << 5;
    }
}

void tst_Window::theGlanceEndsOnTheNextActAlone()
{
    QFETCH(int, glance);
    QFETCH(int, act);
    Player p;
    p.play.boardFocused(true);
    p.act(p.play.Command1_Click(1));
    p.act(p.play.Picture2_Click(6));
    const model::Arrangement before = p.play.game().history().current();
    const std::size_t depth = p.play.game().history().depth();
    QVERIFY(!p.play.key(Key(glance), false).taken);   // only on the board
    QVERIFY(!p.play.glancing());
    Shown shown = p.play.key(Key(glance), true);
    QVERIFY(shown.glance && p.play.glancing());
    QCOMPARE(p.play.cyclesShown(), glance == int(Key::F3));
    if (glance == int(Key::F2)) {
        QCOMPARE(p.play.boardName(), window::texts::WholePicture);
        QCOMPARE(p.act(shown), QStringList{"W+"});   // nothing is drawn over the whole picture
    } else {
        // Every slot is drawn again, veiled or outlined, and renamed; the pick border stays.
        const QStringList drawn = p.act(shown);
        QCOMPARE(tiles(drawn), 30);
        QCOMPARE(drawn.filter(QRegularExpression(QStringLiteral("^[do]"))).size(), 30);
        QCOMPARE(drawn.filter(QRegularExpression(QStringLiteral("^l"))).size(), 30);
        QVERIFY(drawn.contains(QStringLiteral("b6")));
        QVERIFY(p.play.boardName().starts_with("Цикли: "));
    }
    QVERIFY(!p.play.markShown());
    switch (act) {
    case 0: shown = p.play.Picture2_Click(12); break;
    case 1: shown = p.play.Command1_Click(0); break;
    case 2: shown = p.play.key(Key::Right, true); break;
    case 3: shown = p.play.key(Key::Undo, false); break;
    case 4: shown = p.play.endGlance(); break;
    default: shown = p.play.key(glance == int(Key::F2) ? Key::F3 : Key::F2, true); break;
    }
    QVERIFY(shown.glance && !p.play.glancing());
    QCOMPARE(p.play.boardName(), window::texts::BoardName);
    const QStringList drawn = p.act(shown);
    if (glance == int(Key::F2))
        QCOMPARE(drawn.first(), QStringLiteral("W-"));
    QCOMPARE(tiles(drawn), 30);   // every slot again, mark and pick too, and nothing over them
    QVERIFY(drawn.contains(QStringLiteral("b6")) && drawn.contains(QStringLiteral("m6")));
    QCOMPARE(drawn.filter(QRegularExpression(QStringLiteral("^[do]\\d"))), QStringList());
    QCOMPARE(p.play.board().slot(7).name, window::texts::SlotName(7, p.play.game().history().currentText(7)));
    // It did nothing else.
    QCOMPARE(p.play.game().history().current(), before);
    QCOMPARE(p.play.game().history().depth(), depth);
    QVERIFY(p.play.game().hasBorder(6));
    QCOMPARE(p.play.cursor(), 6);
    QCOMPARE(p.box.text, std::string());
}

void tst_Window::cyclesOutlinedAndCounted()
{
    Player p;
    // From the assembled board: 3 and 17 swapped, then 17 and 29: one cycle of three.
    for (const int slot : {3, 17, 0, 17, 29, 0}) {
        if (slot)
            p.act(p.play.Picture2_Click(slot));
        else
            p.act(p.play.Command1_Click(2));
    }
    p.act(p.play.Picture2_Click(5));
    const QStringList drawn = p.act(p.play.showCycles());
    QCOMPARE(p.play.boardName(), "Цикли: 28 · Най-малко размени до подредената картина: 2");
    QCOMPARE(drawn.filter(QRegularExpression(QStringLiteral("^o"))),
             (QStringList{"o3#e6194b", "o17#e6194b", "o29#e6194b"}));
    QCOMPARE(drawn.filter(QRegularExpression(QStringLiteral("^d"))).size(), 27);
    // A veil or an outline goes over its tile and under the pick border.
    QVERIFY(drawn.indexOf("t5") < drawn.indexOf("d5") && drawn.indexOf("d5") < drawn.indexOf("b5"));
    QCOMPARE(p.play.board().slot(17).name, "Поле 17: част 29, цикъл 1");
    QCOMPARE(p.play.board().slot(5).name, "Поле 5: част 5, на мястото си");
    // Cycles are numbered, and coloured, in the order of their smallest slots.
    p.act(p.play.endGlance());
    for (const int slot : {20, 1, 0})
        slot ? void(p.act(p.play.Picture2_Click(slot))) : void(p.act(p.play.Command1_Click(2)));
    QCOMPARE(p.act(p.play.showCycles()).filter(QRegularExpression(QStringLiteral("^o"))),
             (QStringList{"o1#e6194b", "o3#3cb44b", "o17#3cb44b", "o20#e6194b", "o29#3cb44b"}));
    QCOMPARE(p.play.board().slot(20).name, "Поле 20: част 1, цикъл 1");
    QCOMPARE(p.play.board().slot(17).name, "Поле 17: част 29, цикъл 2");
    QCOMPARE(p.play.boardName(), "Цикли: 27 · Най-малко размени до подредената картина: 3");
    // A picture that arrives meanwhile assembles the board: they are counted anew.
    const Shown arrived = p.play.pictureChanged(window::Arrival::Opened);
    QVERIFY(arrived.glance && p.play.cyclesShown());
    QCOMPARE(p.play.boardName(), "Цикли: 30 · Най-малко размени до подредената картина: 0");
    QCOMPARE(p.act(arrived).filter(QRegularExpression(QStringLiteral("^d"))).size(), 30);
}

void tst_Window::menuInOrder()
{
    // One item for each act, in the acts' order; the glances after a separator.
    const auto menu = Play::Menu(true);
    for (int i = 0; i < window::MenuItems; ++i)
        QCOMPARE(int(menu[std::size_t(i)].act), i);
    QCOMPARE(menu[2].text, window::texts::SaveLesson);
    QCOMPARE(menu[4].text, window::texts::ShowCycles);
    QVERIFY(menu[4].enabled && !menu[4].separatorBefore && menu[3].separatorBefore && !menu[2].separatorBefore);
}

void tst_Window::aPictureArrives_data()
{
    QTest::addColumn<int>("arrival");
    QTest::addColumn<bool>("playedFirst");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("builtInOffered");
    QTest::newRow("on the command line, before any act") << int(window::Arrival::AtStart) << false << false << true;
    QTest::newRow("on the command line, after a click") << int(window::Arrival::AtStart) << true << true << true;
    QTest::newRow("opened") << int(window::Arrival::Opened) << false << true << true;
    QTest::newRow("the built-in one again") << int(window::Arrival::BuiltIn) << true << true << false;
}

void tst_Window::aPictureArrives()
{
    QFETCH(int, arrival);
    QFETCH(bool, playedFirst);
    QFETCH(bool, cleared);
    QFETCH(bool, builtInOffered);
    Player p;
    if (playedFirst)
        p.act(p.play.Picture2_Click(4));
    const QStringList drawn = p.act(p.play.pictureChanged(window::Arrival(arrival)));
    // Every slot is cut again from the new source.
    QCOMPARE(tiles(drawn), 30);
    QCOMPARE(p.box.text, std::string(cleared ? "" : "help"));
    QCOMPARE(p.play.game().hasBorder(4), playedFirst && !cleared);
    QCOMPARE(p.play.menu()[1].act, window::MenuAct::BuiltInPicture);
    QCOMPARE(p.play.menu()[1].enabled, builtInOffered);
}

// A lesson's start comes as "Размести" leaves the board, one level over the assembled
// picture; its text replaces the box's; the built-in picture brings the help text back.
void tst_Window::aLessonArrivesAndIsLeft()
{
    Player p;
    p.act(p.play.Command1_Click(int(model::Command::Shuffle)));
    const std::optional<model::Arrangement> start = p.play.lessonStart();
    QVERIFY(start && *start != model::OrderedArrangement());
    p.act(p.play.Command1_Click(int(model::Command::Clear)));
    QVERIFY(!p.play.lessonStart());   // the assembled board has no start to save

    p.act(p.play.lessonArrived("Рембранд, 1642", true, start));
    QCOMPARE(p.play.game().history().depth(), std::size_t(2));
    QVERIFY(p.play.game().history().current() == *start);
    QCOMPARE(p.box.text, "Рембранд, 1642\r\n" + std::string(window::texts::LessonTextCut));
    QVERIFY(p.play.menu()[1].enabled);   // the built-in picture is offered
    p.act(p.play.Command1_Click(int(model::Command::Undo)));
    QVERIFY(p.play.game().isSolved());

    p.act(p.play.lessonArrived("без начало", false, std::nullopt));
    QCOMPARE(p.play.game().history().depth(), std::size_t(1));
    QCOMPARE(p.box.text, "без начало");
    p.act(p.play.pictureChanged(window::Arrival::BuiltIn));
    QCOMPARE(p.box.text, std::string(window::texts::HelpText));
    p.act(p.play.pictureChanged(window::Arrival::Opened));   // out of the lesson, a picture comes as ever
    QCOMPARE(p.box.text, "");
}

void tst_Window::swapTextComesFromTheFacts()
{
    Player p;
    // Swapping a piece with itself on the assembled board announces it.
    p.act(p.play.Picture2_Click(5));
    p.act(p.play.Picture2_Click(5));
    p.act(p.play.Command1_Click(2));
    QCOMPARE(p.box.text, std::string(window::texts::Solved));
    // The next swap's line follows the announcement on the same line, the later pick first.
    p.act(p.play.Picture2_Click(4));
    p.act(p.play.Picture2_Click(17));
    p.act(p.play.Command1_Click(2));
    QCOMPARE(p.box.text, std::string(window::texts::Solved) + "Разменям: 17 и 4\r\n");
}

void tst_Window::pageScale_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("scale");
    QTest::newRow("the design size exactly") << 466.0 << 424.0 << 1.0;
    QTest::newRow("a pixel short of 1.5") << 698.0 << 700.0 << 1.0;
    QTest::newRow("1.5 exactly") << 699.0 << 636.0 << 1.5;
    QTest::newRow("a 1366 x 768 laptop: the height decides") << 1366.0 << 768.0 << 1.5;
    QTest::newRow("a projector") << 1920.0 << 1080.0 << 2.5;
    QTest::newRow("never past 4") << 10000.0 << 10000.0 << 4.0;
    QTest::newRow("a phone: fitted exactly") << 360.0 << 740.0 << 360.0 / 466;
    QTest::newRow("a phone on its side") << 740.0 << 360.0 << 360.0 / 424;
    QTest::newRow("nothing at all") << 0.0 << 0.0 << 0.0;
}

void tst_Window::pageScale()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, scale);
    QCOMPARE(window::layout::PageScale(width, height), scale);
}

QTEST_APPLESS_MAIN(tst_Window)
#include "tst_window.moc"
