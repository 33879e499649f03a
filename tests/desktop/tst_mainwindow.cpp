// tst_mainwindow.cpp: the real window driven with clicks and keys, end to end.
#include "desktop/boardview.h"
#include "window/texts.h"
#include "testimages.h"
#include "desktop/mainwindow.h"
#include "board/marks.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QLabel>
#include <QTextBlock>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

QString utf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// The window, shown, with helpers that act as the player does.
struct Player
{
    MainWindow window{forms::ClockRandom(7)};

    Player()
    {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    BoardView *board() const { return window.board(); }
    const window::Play &play() const { return window.play(); }
    const board::SlotFrame &slot(int index) const { return play().board().slot(index); }
    QString tip(int index) const { return utf8(slot(index).tooltip); }
    int cursor() const { return play().cursor(); }
    // A key pressed where the focus is, as the keyboard delivers it.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    QString focused() const { return QApplication::focusWidget()->objectName(); }
    // The cursor walked to `to` with the arrow keys, on the board with the focus; no
    // walk on the board takes more than nine steps.
    void moveCursorTo(int to) const
    {
        for (int step = 0; step < 9 && cursor() != to; ++step) {
            const int column = cursor() / 5, row = cursor() % 5;
            key(column < to / 5 ? Qt::Key_Right : column > to / 5 ? Qt::Key_Left : row < to % 5 ? Qt::Key_Down : Qt::Key_Up);
        }
    }
    // The window's pixels over slot `index`, as the player sees them.
    QImage onScreen(int index) { return pixels(window.grab(board()->slotRect(index).translated(board()->pos())).toImage()); }
    QPushButton *button(int index) const
    {
        return window.findChild<QPushButton *>(QStringLiteral("Command1_%1").arg(index));
    }
    QPlainTextEdit *box() const { return window.findChild<QPlainTextEdit *>(QStringLiteral("Text1_0")); }
    QString text() const { return box()->toPlainText(); }
    void pick(std::initializer_list<int> slots_)
    {
        for (int index : slots_)
            clickSlot(board(), index);
    }
    void press(model::Command command) { QTest::mouseClick(button(int(command)), Qt::LeftButton); }
    QImage shown(int index) const { return slotImage(board(), index); }
    QImage piece(int tile) const
    {
        return ::piece(window.board()->source(), tile);
    }
    // Every box shows the tile the game says it shows, with the border its picks give it.
    bool boardMatchesGame() const
    {
        for (int index = 0; index < 30; ++index) {
            const int tile = play().game().history().currentTile(index);
            if (tip(index) != QString::number(tile) || slot(index).tile != tile
                || slot(index).border != play().game().hasBorder(index))
                return false;
        }
        return true;
    }
    QList<int> bordered() const
    {
        QList<int> boxes;
        for (int index = 0; index < 30; ++index) {
            if (slot(index).border)
                boxes << index;
        }
        return boxes;
    }
    // The glance, begun from the board's menu.
    void glanceFromTheMenu() const
    {
        const QPoint at = board()->slotRect(12).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, board()->mapToGlobal(at));
        QCoreApplication::sendEvent(board(), &event);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *action : menu->actions()) {
            if (action->text() == QStringLiteral("Покажи цялата картина"))
                action->trigger();
        }
        menu->close();
    }
};

// Types as a keyboard does, one character at a time, Cyrillic included.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString withLineFeeds(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void designedWindow();
    void controlsInPlaceAndColour();
    void onlyTheDesignedControlsShow();
    void helpTextWrapsAndScrolls();
    void tabOrder();
    void wholeGameWithTheKeyboard();
    void glanceAtTheWholePicture();
    void glanceAtTheCycles();
    void toolkitTextsInBulgarian();
    void cursorMarkOnlyUnderKeyboardFocus();
    void startsWithTheAssembledPicture();
    void pickAndSwap();
    void declinedCommandsChangeNothing();
    void successMessageAndUndo();
    void shuffleAndClear();
    void typedTextIsKeptBeforeTheLog();
    void leftMarginDoesNothing();
    void pastedTextIsKept_data();
    void pastedTextIsKept();
    void screenReadersFollowTheBoard();
};

void tst_MainWindow::designedWindow()
{
    Player player;
    QWidget &window = player.window;
    QCOMPARE(window.objectName(), QStringLiteral("Kalvero"));
    QCOMPARE(window.windowTitle(), QStringLiteral("kalvero.bg Изобразително изкуство - пъзел"));
    QCOMPARE(window.size(), QSize(466, 424));
    QCOMPARE(window.minimumSize(), QSize(466, 424));
    QCOMPARE(window.maximumSize(), QSize(466, 424));
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.windowIcon().availableSizes().value(0), QSize(32, 32));
    QCOMPARE(window.palette().color(QPalette::Window), QColor(192, 192, 255));
    QCOMPARE(pixels(window.grab().toImage()).pixel(2, 100), qRgb(192, 192, 255));
    QCOMPARE(window.font().family(), QStringLiteral("Times New Roman"));
    QCOMPARE(window.font().pointSize(), 12);
    QCOMPARE(QFontInfo(player.button(0)->font()).family(), QStringLiteral("Liberation Serif"));
}

void tst_MainWindow::controlsInPlaceAndColour()
{
    Player player;
    auto *label = player.window.findChild<QLabel *>(QStringLiteral("Label1_0"));
    QCOMPARE(label->geometry(), QRect(32, 0, 361, 25));
    QCOMPARE(label->text(), QStringLiteral("Изобразително изкуство - подреждане на пъзел"));
    QVERIFY(label->alignment() & Qt::AlignHCenter);
    QCOMPARE(pixels(label->grab().toImage()).pixel(2, 2), qRgb(255, 192, 128));
    QCOMPARE(player.box()->geometry(), QRect(8, 296, 449, 121));

    const QStringList captions{QStringLiteral("Изчисти"), QStringLiteral("Размести"), QStringLiteral("Размени"),
                               QStringLiteral("Ход назад")};
    const QList<int> tops{40, 72, 200, 240};
    const QList<QRgb> faces{qRgb(255, 128, 128), qRgb(128, 255, 128), qRgb(128, 128, 255), qRgb(255, 0, 255)};
    for (int i = 0; i < 4; ++i) {
        QPushButton *button = player.button(i);
        QCOMPARE(button->geometry(), QRect(376, tops[i], 81, 25));
        QCOMPARE(button->text(), captions[i]);
        const QImage face = pixels(button->grab().toImage());
        QCOMPARE(face.pixel(4, 4), faces[i]);
        QCOMPARE(face.pixel(76, 20), faces[i]);
        // The caption fits the face: its ends are left clear.
        QVERIFY(button->fontMetrics().horizontalAdvance(captions[i]) < button->width() - 2);
    }
}

void tst_MainWindow::onlyTheDesignedControlsShow()
{
    Player player;
    QStringList shown;
    for (QWidget *child : player.window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            shown << child->objectName();
    }
    shown.sort();
    // "board" draws the 30 slots; no other control shows, and none lies hidden.
    QStringList expected{QStringLiteral("Label1_0"), QStringLiteral("Text1_0"), QStringLiteral("board")};
    for (int i = 0; i < 4; ++i)
        expected << QStringLiteral("Command1_%1").arg(i);
    expected.sort();
    QCOMPARE(shown, expected);
}

void tst_MainWindow::helpTextWrapsAndScrolls()
{
    Player player;
    QPlainTextEdit *box = player.box();
    QCOMPARE(box->toPlainText(), withLineFeeds(utf8(window::texts::HelpText)));
    QCOMPARE(box->document()->blockCount(), 13);   // twelve lines and the empty one after the last break
    QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
    QVERIFY(box->lineWrapMode() == QPlainTextEdit::WidgetWidth);
    QVERIFY(box->verticalScrollBar()->isVisible());
    QVERIFY(box->verticalScrollBar()->maximum() > 0);
    // Scrolled to the bottom, the last line is in view.
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
    QTextCursor last(box->document()->findBlockByNumber(11));
    last.movePosition(QTextCursor::EndOfBlock);
    QVERIFY(box->viewport()->rect().contains(box->cursorRect(last).center()));
    QVERIFY(last.block().text().startsWith(QStringLiteral(" - Ход назад")));
}

void tst_MainWindow::tabOrder()
{
    Player player;
    QVERIFY(QTest::qWaitForWindowActive(&player.window));
    QCOMPARE(QApplication::focusWidget(), player.box());
    const QStringList order{QStringLiteral("board"),      QStringLiteral("Command1_0"), QStringLiteral("Command1_1"),
                            QStringLiteral("Command1_2"), QStringLiteral("Command1_3"), QStringLiteral("Text1_0")};
    QStringList forward, backward;
    for (int i = 0; i < 6; ++i) {
        player.key(Qt::Key_Tab);
        forward << player.focused();
        player.key(Qt::Key_Backtab, Qt::ShiftModifier);
        backward << player.focused();
        player.key(Qt::Key_Tab);
    }
    QCOMPARE(forward, order);
    QCOMPARE(backward, QStringList{order.constLast()} + order.first(5));   // each step taken back
    QVERIFY(!player.text().contains('\t'));
}

void tst_MainWindow::wholeGameWithTheKeyboard()
{
    Player player;
    QVERIFY(QTest::qWaitForWindowActive(&player.window));
    const auto cursorAfter = [&](Qt::Key key) {
        player.key(key);
        return player.cursor();
    };
    player.key(Qt::Key_Tab);
    QCOMPARE(player.focused(), QStringLiteral("board"));
    QCOMPARE(player.cursor(), 0);
    // One column or row a key, stopping at the edges; Home and End keep the row.
    QCOMPARE(cursorAfter(Qt::Key_Left), 0);
    QCOMPARE(cursorAfter(Qt::Key_Up), 0);
    QCOMPARE(cursorAfter(Qt::Key_Right), 5);
    QCOMPARE(cursorAfter(Qt::Key_Down), 6);
    QCOMPARE(cursorAfter(Qt::Key_End), 26);
    QCOMPARE(cursorAfter(Qt::Key_Right), 26);
    QCOMPARE(cursorAfter(Qt::Key_Home), 1);
    for (int i = 0; i < 5; ++i)
        player.key(Qt::Key_Down);
    QCOMPARE(player.cursor(), 4);
    QCOMPARE(cursorAfter(Qt::Key_End), 29);

    // Space and Enter pick as clicks do; the swap goes through the button, by Space.
    player.key(Qt::Key_Space);
    player.key(Qt::Key_Up);
    player.key(Qt::Key_Enter);
    QCOMPARE(player.bordered(), (QList<int>{28, 29}));
    for (int i = 0; i < 3; ++i)
        player.key(Qt::Key_Tab);
    QCOMPARE(player.focused(), QStringLiteral("Command1_2"));
    player.key(Qt::Key_Return);   // Enter presses a focused button, as Space does
    QCOMPARE(player.shown(28), player.piece(29));
    QCOMPARE(player.shown(29), player.piece(28));
    QVERIFY(player.text().endsWith(QStringLiteral("Разменям: 28 и 29\n")));

    // Ctrl+Z presses "Ход назад" wherever the focus is, the message box included,
    // whose own undo takes nothing back.
    player.key(Qt::Key_Tab);
    player.key(Qt::Key_Tab);
    QCOMPARE(player.focused(), QStringLiteral("Text1_0"));
    player.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(player.text(), QString());
    QVERIFY(player.play().game().isSolved());
    QCOMPARE(player.shown(28), player.piece(28));
    type(player.box(), QStringLiteral("бележка"));
    player.key(Qt::Key_Z, Qt::ControlModifier);   // one level: nothing to undo
    QCOMPARE(player.text(), QStringLiteral("бележка"));

    // A shuffle, then the picture assembled again with keys alone.
    player.key(Qt::Key_Tab);
    QCOMPARE(player.cursor(), 28);   // where it was
    player.key(Qt::Key_Tab);
    player.key(Qt::Key_Tab);
    player.key(Qt::Key_Space);   // "Размести"
    QCOMPARE(player.cursor(), 28);   // the shuffle leaves the cursor where it was
    player.key(Qt::Key_Tab);     // to "Размени"
    for (int slot = 0; slot < 30; ++slot) {
        const auto &current = player.play().game().history().current();
        if (current[std::size_t(slot)] == slot)
            continue;
        const int from = int(std::find(current.begin(), current.end(), slot) - current.begin());
        for (int i = 0; i < 3; ++i)
            player.key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(player.focused(), QStringLiteral("board"));
        player.moveCursorTo(slot);
        player.key(Qt::Key_Space);
        player.moveCursorTo(from);
        player.key(Qt::Key_Return);
        for (int i = 0; i < 3; ++i)
            player.key(Qt::Key_Tab);
        player.key(Qt::Key_Space);
    }
    QCOMPARE(player.text(), QStringLiteral("Правилно подреден пъзел!"));
    for (int index = 0; index < 30; ++index)
        QCOMPARE(player.shown(index), player.piece(index));
}

void tst_MainWindow::glanceAtTheWholePicture()
{
    Player player;
    QVERIFY(QTest::qWaitForWindowActive(&player.window));
    BoardView *board = player.board();
    player.press(model::Command::Shuffle);
    player.pick({3, 8});
    board->setFocus(Qt::TabFocusReason);   // as Tab brings it there
    player.key(Qt::Key_Right);
    const auto state = [&] {
        return std::tuple(pixels(player.window.grab().toImage()), player.text(), player.play().game().history().depth(),
                          player.play().game().history().current(), player.bordered(), player.cursor(), player.focused());
    };
    const auto before = state();
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(board);

    // F2 on the board: the assembled painting covers it, and readers hear so.
    player.key(Qt::Key_F2);
    QVERIFY(player.play().glancing());
    QCOMPARE(pixels(player.window.grab(board->geometry()).toImage()), pixels(board->source().toImage()));
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Цялата картина"));
    QVERIFY(!table->focusChild());
    // The next key only ends the glance: this Space picks nothing.
    player.key(Qt::Key_Space);
    QVERIFY(!player.play().glancing());
    QVERIFY(state() == before);
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Пъзел"));
    QTest::qWait(1);   // the rest of that key, its release, is swallowed too

    // From the board's menu; a click on a button then ends it without pressing the button,
    // and Ctrl+Z without taking a move back.
    player.glanceFromTheMenu();
    QVERIFY(player.play().glancing());
    QCOMPARE(pixels(player.window.grab(board->geometry()).toImage()), pixels(board->source().toImage()));
    player.press(model::Command::Clear);
    QVERIFY(!player.play().glancing());
    QTest::qWait(1);
    player.glanceFromTheMenu();
    QVERIFY(player.play().glancing());
    QTest::keyClick(player.box(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!player.play().glancing());
    QTest::qWait(1);
    QCOMPARE(player.text(), std::get<1>(before));
    QCOMPARE(player.play().game().history().depth(), std::get<2>(before));
    QCOMPARE(player.bordered(), std::get<4>(before));
}

void tst_MainWindow::glanceAtTheCycles()
{
    Player player;
    QVERIFY(QTest::qWaitForWindowActive(&player.window));
    BoardView *board = player.board();
    // From the assembled picture, 3 and 17 swapped: one cycle of two, and 28 pieces in place.
    player.pick({3, 17});
    player.press(model::Command::Swap);
    player.pick({8});
    board->setFocus(Qt::TabFocusReason);
    const QImage before = pixels(player.window.grab().toImage());
    auto *line = player.window.findChild<QLabel *>(QStringLiteral("cyclesLine"));
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(board);

    player.key(Qt::Key_F3);
    QVERIFY(player.play().cyclesShown());
    const QString status = QStringLiteral("Цикли: 29 · Най-малко размени до подредената картина: 1");
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(), status);
    QCOMPARE(table->text(QAccessible::Name), status);
    QCOMPARE(table->child(board::ReadingIndex(17))->text(QAccessible::Name), QStringLiteral("Поле 17: част 3, цикъл 1"));
    // The cycle's pieces outlined in its colour, a black line inside; in-place pieces veiled.
    const auto rgb = [](board::Rgb c) { return QColor(QRgb(0xFF000000 | c)); };
    for (const int index : {3, 17}) {
        const QImage shown = player.shown(index);
        QCOMPARE(shown.pixelColor(1, 25), rgb(board::CycleColours[0]));
        QCOMPARE(shown.pixelColor(25, board::OutlineWidth), rgb(board::OutlineEdge.colour));
        QCOMPARE(shown.pixelColor(25, 25), player.piece(index == 3 ? 17 : 3).pixelColor(25, 25));
    }
    for (const int index : {0, 8, 29}) {
        const QImage shown = player.shown(index), piece = player.piece(index);
        const QColor veil = rgb(board::DimColour);
        const auto veiled = [](int under, int over) { return (under * (255 - board::DimOpacity) + over * board::DimOpacity) / 255; };
        for (const QPoint at : {QPoint(5, 25), QPoint(25, 25), QPoint(48, 48)}) {
            const QColor was = piece.pixelColor(at), is = shown.pixelColor(at);
            QVERIFY2(qAbs(is.red() - veiled(was.red(), veil.red())) <= 1 && qAbs(is.green() - veiled(was.green(), veil.green())) <= 1
                         && qAbs(is.blue() - veiled(was.blue(), veil.blue())) <= 1,
                     qPrintable(QStringLiteral("slot %1 at (%2, %3) not veiled").arg(index).arg(at.x()).arg(at.y())));
        }
    }
    QCOMPARE(player.shown(8).pixelColor(0, 0), rgb(board::DashColour));   // the pick still shows

    // The next key only ends it.
    player.key(Qt::Key_Space);
    QVERIFY(!player.play().glancing());
    QVERIFY(!line->isVisible());
    QCOMPARE(pixels(player.window.grab().toImage()), before);
    QCOMPARE(table->child(board::ReadingIndex(17))->text(QAccessible::Name), QStringLiteral("Поле 17: част 3"));
    QCOMPARE(player.bordered(), QList<int>{8});
}

void tst_MainWindow::toolkitTextsInBulgarian()
{
    // The message box's own menu, from Qt's Bulgarian translation.
    Player player;
    const std::unique_ptr<QMenu> menu(player.box()->createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << action->text().section(u'\t', 0, 0);
    for (const char *wanted : {"&Копиране", "&Поставяне", "&Изрязване", "Изтриване", "Избиране на всичко"})
        QVERIFY2(texts.contains(QString::fromUtf8(wanted)), qPrintable(texts.join(u'|')));
    // No button is the window's default one.
    for (int i = 0; i < 4; ++i)
        QVERIFY(!player.button(i)->isDefault() && !player.button(i)->autoDefault());
}

void tst_MainWindow::cursorMarkOnlyUnderKeyboardFocus()
{
    Player player;
    QVERIFY(QTest::qWaitForWindowActive(&player.window));
    // Mouse play: the cursor follows the clicks, and nothing of it is drawn.
    player.pick({3, 8});
    QCOMPARE(player.cursor(), 8);
    const auto tileShows = [&](int index, int inset) {
        const QRect inside = QRect(0, 0, 50, 50).adjusted(inset, inset, -inset, -inset);
        return player.onScreen(index).copy(inside) == player.piece(index).copy(inside);
    };
    for (int index = 0; index < 30; ++index)
        QVERIFY2(tileShows(index, index == 3 || index == 8 ? 1 : 0), qPrintable(QString::number(index)));

    // With the keyboard's focus the mark rings the cursor's slot inside the dashed
    // border: black, two pixels of yellow, black. It stands out on the darkest and
    // the lightest piece alike.
    player.key(Qt::Key_Tab);
    QImage marked = player.onScreen(8);
    for (const auto &[at, colour] : {std::pair{0, qRgb(0, 0, 0)}, {2, qRgb(0, 0, 0)}, {3, qRgb(255, 214, 0)},
                                     {4, qRgb(255, 214, 0)}, {5, qRgb(0, 0, 0)}})
        QCOMPARE(marked.pixel(at, 25), colour);
    QVERIFY(tileShows(8, 6));
    QList<double> brightness;
    for (int tile = 0; tile < 30; ++tile) {
        const QImage piece = player.piece(tile);
        brightness << qGray(piece.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0));
    }
    for (const auto extreme : {std::min_element(brightness.begin(), brightness.end()),
                               std::max_element(brightness.begin(), brightness.end())}) {
        const int slot = int(extreme - brightness.begin());   // the board is assembled
        player.moveCursorTo(slot);
        const QImage shown = player.onScreen(slot), piece = player.piece(slot);
        double change = 0;
        for (int x = 2; x < 48; ++x) {
            for (int y = 2; y <= 5; ++y)
                change += std::abs(qGray(shown.pixel(x, y)) - qGray(piece.pixel(x, y)));
        }
        QVERIFY2(change / (46 * 4) > 80, qPrintable(QStringLiteral("slot %1: %2").arg(slot).arg(change / 184)));
    }
    player.moveCursorTo(8);

    // Leaving the board takes the mark away; the pick borders stay.
    player.key(Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(tileShows(8, 1));
    QCOMPARE(player.bordered(), (QList<int>{3, 8}));
}

void tst_MainWindow::startsWithTheAssembledPicture()
{
    Player player;
    for (int index = 0; index < 30; ++index) {
        QVERIFY2(player.shown(index) == player.piece(index), qPrintable(QString::number(index)));
        QCOMPARE(player.tip(index), QString::number(index));
    }
    QVERIFY(player.bordered().isEmpty());
}

void tst_MainWindow::pickAndSwap()
{
    Player player;
    player.pick({3, 8, 15});
    QCOMPARE(player.bordered(), (QList<int>{8, 15}));
    QVERIFY(player.boardMatchesGame());
    player.press(model::Command::Swap);
    QCOMPARE(player.shown(8), player.piece(15));
    QCOMPARE(player.shown(15), player.piece(8));
    QCOMPARE(player.shown(3), player.piece(3));
    QCOMPARE(player.tip(8), QStringLiteral("15"));
    QVERIFY(player.bordered().isEmpty());
    QVERIFY(player.text().endsWith(QStringLiteral("\nРазменям: 15 и 8\n")));
    QVERIFY(player.boardMatchesGame());
}

void tst_MainWindow::declinedCommandsChangeNothing()
{
    Player player;
    const QString help = player.text();
    player.pick({6});
    player.press(model::Command::Swap);   // one pick only
    player.press(model::Command::Undo);   // one level only
    QCOMPARE(player.text(), help);
    QCOMPARE(player.bordered(), QList<int>{6});
    QCOMPARE(player.play().game().history().depth(), std::size_t(1));
    player.pick({9});
    QCOMPARE(player.bordered(), (QList<int>{6, 9}));
    player.press(model::Command::Swap);
    QCOMPARE(player.shown(6), player.piece(9));
}

void tst_MainWindow::successMessageAndUndo()
{
    Player player;
    player.pick({0, 29});
    player.press(model::Command::Swap);
    player.pick({29, 0});
    player.press(model::Command::Swap);
    QCOMPARE(player.text(), QStringLiteral("Правилно подреден пъзел!"));
    player.pick({1, 2});
    player.press(model::Command::Swap);
    QCOMPARE(player.text(), QStringLiteral("Правилно подреден пъзел!Разменям: 2 и 1\n"));

    player.press(model::Command::Undo);
    QCOMPARE(player.text(), QString());   // the whole log goes
    for (int index = 0; index < 30; ++index)
        QCOMPARE(player.shown(index), player.piece(index));
    player.press(model::Command::Undo);
    player.press(model::Command::Undo);
    QCOMPARE(player.play().game().history().depth(), std::size_t(1));
    QVERIFY(player.boardMatchesGame());
}

void tst_MainWindow::shuffleAndClear()
{
    Player player;
    player.pick({4, 5});
    player.press(model::Command::Shuffle);
    QCOMPARE(player.text(), QString());
    QCOMPARE(player.play().game().history().depth(), std::size_t(2));
    QVERIFY(player.bordered().isEmpty());
    QSet<QString> tips;
    for (int index = 0; index < 30; ++index) {
        tips << player.tip(index);
        const int tile = player.play().game().history().currentTile(index);
        QVERIFY2(player.shown(index) == player.piece(tile), qPrintable(QString::number(index)));
    }
    QCOMPARE(tips.size(), 30);   // each tile exactly once
    QVERIFY(!player.play().game().isSolved());

    player.pick({1, 2});
    player.press(model::Command::Clear);
    QCOMPARE(player.text(), QString());
    QVERIFY(player.bordered().isEmpty());
    for (int index = 0; index < 30; ++index) {
        QCOMPARE(player.tip(index), QString::number(index));
        QCOMPARE(player.shown(index), player.piece(index));
    }
    player.press(model::Command::Undo);
    QCOMPARE(player.play().game().history().depth(), std::size_t(1));
}

void tst_MainWindow::typedTextIsKeptBeforeTheLog()
{
    Player player;
    player.press(model::Command::Clear);
    type(player.box(), QStringLiteral("бележка"));
    QTest::keyClick(player.box(), Qt::Key_Return);
    type(player.box(), QStringLiteral("ред"));
    player.pick({10, 11});
    player.press(model::Command::Swap);
    QCOMPARE(player.text(), QStringLiteral("бележка\nредРазменям: 11 и 10\n"));
}

void tst_MainWindow::leftMarginDoesNothing()
{
    Player player;
    player.pick({20});
    QTest::mouseClick(&player.window, Qt::LeftButton, {}, QPoint(20, 80));   // where the hidden list would be
    QTest::mouseClick(&player.window, Qt::LeftButton, {}, QPoint(370, 150)); // between board and buttons
    QCOMPARE(player.bordered(), QList<int>{20});
    QVERIFY(!player.play().game().picks().SecondPicked);
}

void tst_MainWindow::pastedTextIsKept_data()
{
    QTest::addColumn<QString>("pasted");
    QString mebibyte;
    const QString line = QStringLiteral("Нощна стража, ред %1: ").leftJustified(63, QLatin1Char('.')) + QLatin1Char('\n');
    while (mebibyte.size() < (1 << 20))
        mebibyte += line.arg(mebibyte.size() / 64, 5);
    QTest::newRow("1 MiB of lines") << mebibyte.left(1 << 20);
    QTest::newRow("one long line") << QString(65536, QChar(u'ж'));
    QTest::newRow("control characters") << QStringLiteral("a\x01b\x07c\x1b[31m\td\x7f\n\x02");
    QTest::newRow("right to left") << QStringLiteral("\u202Eשלום עולם\u202C مرحبا \u200Fبالعالم\u200E");
}

void tst_MainWindow::pastedTextIsKept()
{
    QFETCH(QString, pasted);
    Player player;
    player.press(model::Command::Clear);
    QGuiApplication::clipboard()->setText(pasted);
    player.box()->paste();
    QCOMPARE(player.text(), pasted);
    player.pick({2, 3});
    player.press(model::Command::Swap);
    QCOMPARE(player.text().size(), pasted.size() + 16);
    QVERIFY(player.text() == pasted + QStringLiteral("Разменям: 3 и 2\n"));
    QVERIFY(player.boardMatchesGame());
}

void tst_MainWindow::screenReadersFollowTheBoard()
{
    Player player;
    QVERIFY(QTest::qWaitForWindowActive(&player.window));
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&player.window);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), player.window.windowTitle());
    QCOMPARE(QAccessible::queryAccessibleInterface(player.box())->text(QAccessible::Name), QStringLiteral("Съобщения"));
    QCOMPARE(QAccessible::queryAccessibleInterface(player.button(3))->text(QAccessible::Name), QStringLiteral("Ход назад"));

    // The board is one table of 5 rows and 6 columns among the window's controls; its
    // cells are the slot boxes, row by row.
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(player.board());
    QList<QAccessible::Role> roles;
    for (int i = 0; i < window->childCount(); ++i)
        roles << window->child(i)->role();
    QCOMPARE(roles.count(QAccessible::Table), 1);
    QCOMPARE(roles.count(QAccessible::Cell), 0);
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Пъзел"));
    QCOMPARE(table->tableInterface()->rowCount(), 5);
    QCOMPARE(table->tableInterface()->columnCount(), 6);
    QCOMPARE(table->childCount(), 30);
    for (int i = 0; i < 30; ++i) {
        QAccessibleInterface *cell = table->child(i);
        const int slot = (i % 6) * 5 + i / 6;
        QCOMPARE(cell->role(), QAccessible::Cell);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("Поле %1: част %1").arg(slot));
        QCOMPARE(cell->parent(), table);
        QCOMPARE(table->indexOfChild(cell), i);
        QCOMPARE(table->tableInterface()->cellAt(i / 6, i % 6), cell);
        QCOMPARE(cell->tableCellInterface()->rowIndex(), i / 6);
        QCOMPARE(cell->tableCellInterface()->columnIndex(), i % 6);
    }

    // The cursor's cell has the focus (the events that tell readers so go through the
    // accessibility bus, checked by atspi_test.py); a pick by key or by the reader's
    // press action selects its cell.
    QAccessibleInterface *slot5 = table->child(1);
    QVERIFY(!slot5->state().focused);
    player.key(Qt::Key_Tab);
    player.key(Qt::Key_Right);
    QVERIFY(slot5->state().focused && table->focusChild() == slot5);
    QVERIFY(!table->child(0)->state().focused);
    player.key(Qt::Key_Space);
    QAccessibleInterface *slot13 = table->child(20);   // row 3, column 2
    slot13->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(slot5->state().selected && slot13->state().selected);
    QCOMPARE(table->tableInterface()->selectedCells(), (QList<QAccessibleInterface *>{slot5, slot13}));
    QCOMPARE(player.bordered(), (QList<int>{5, 13}));
    player.press(model::Command::Swap);
    QCOMPARE(slot5->text(QAccessible::Name), QStringLiteral("Поле 5: част 13"));
    QVERIFY(!slot5->state().selected);

    // After a shuffle the same cells carry the new names, and a reader's pointer
    // finds each one where its slot is.
    player.press(model::Command::Shuffle);
    for (int i = 0; i < 30; ++i) {
        const int slot = (i % 6) * 5 + i / 6;
        QAccessibleInterface *cell = table->child(i);
        QCOMPARE(cell, table->tableInterface()->cellAt(i / 6, i % 6));
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("Поле %1: част %2").arg(slot).arg(player.tip(slot)));
        const QPoint centre = player.board()->mapToGlobal(player.board()->slotRect(slot).center());
        QCOMPARE(table->childAt(centre.x(), centre.y()), cell);
        QCOMPARE(cell->rect().center(), centre);
    }
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
