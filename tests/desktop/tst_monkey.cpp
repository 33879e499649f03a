// tst_monkey.cpp: thousands of random clicks, keys and typed characters on the real
// window. After every step the board must agree with the game pixel for pixel, the
// borders with the picks, the cursor's mark with the keyboard focus, and the message
// box with what the command made of it.
// KALVERO_MONKEY_SEED=N replays one run; the seed is printed when a run fails.
// KALVERO_MONKEY_STEPS=N sets the length of each run (2500).
#include "desktop/boardview.h"
#include "window/messagebox.h"
#include "testimages.h"
#include "desktop/mainwindow.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

class tst_Monkey : public QObject
{
    Q_OBJECT

private slots:
    void randomPlay_data();
    void randomPlay();
};

namespace {

QString lineFeeds(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// The text a command leaves, from the text before it and what the game reports.
QString expectedText(const QString &before, const model::CommandResult &result)
{
    const window::TextChange change = window::TextFor(result);
    const QString text = lineFeeds(QString::fromStdString(change.text));
    switch (change.kind) {
    case window::TextChange::Kind::Keep: return before;
    case window::TextChange::Kind::Empty: return QString();
    case window::TextChange::Kind::Append: return before + text;
    case window::TextChange::Kind::Replace: return text;
    }
    return before;
}

// Reports why the screen and the game disagree, or an empty string.
QString disagreement(MainWindow &window)
{
    const QImage screen = pixels(window.grab().toImage());
    const QImage &source = window.board()->source().toImage();
    const BoardView *grid = window.board();
    const window::Play &play = window.play();
    for (int slot = 0; slot < model::PieceCount; ++slot) {
        const QPoint corner = grid->pos() + grid->slotRect(slot).topLeft();
        const int tile = play.game().history().currentTile(slot);
        const bool picked = play.game().hasBorder(slot);
        const bool marked = grid->hasFocus() && play.cursor() == slot;
        const board::SlotFrame &shownSlot = play.board().slot(slot);
        const QString tip = QString::fromStdString(shownSlot.tooltip);
        if (marked && screen.pixel(corner + QPoint(3, 25)) != qRgb(255, 214, 0))
            return QStringLiteral("slot %1 has the keyboard's focus but no mark").arg(slot);
        if (shownSlot.border != picked)
            return QStringLiteral("slot %1: border %2, picked %3").arg(slot).arg(shownSlot.border).arg(picked);
        if (tip != QString::number(tile))
            return QStringLiteral("slot %1: tooltip %2, tile %3").arg(slot).arg(tip).arg(tile);
        const int inset = marked ? 6 : picked ? 1 : 0;   // a border or the mark covers the edge
        const QRect inside = QRect(0, 0, 50, 50).adjusted(inset, inset, -inset, -inset);
        const QImage shown = screen.copy(inside.translated(corner));
        const QImage wanted = pixels(source.copy(inside.translated((tile / 5) * 50, (tile % 5) * 50)));
        if (shown != wanted)
            return QStringLiteral("slot %1 does not show tile %2").arg(slot).arg(tile);
    }
    return QString();
}

} // namespace

void tst_Monkey::randomPlay_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("fixed seed") << 20261208u;
    const quint32 seed = qEnvironmentVariableIsSet("KALVERO_MONKEY_SEED")
                             ? quint32(qEnvironmentVariableIntValue("KALVERO_MONKEY_SEED"))
                             : QRandomGenerator::global()->generate();
    QTest::newRow("seed of this run") << seed;
}

void tst_Monkey::randomPlay()
{
    QFETCH(quint32, seed);
    struct ReportSeed
    {
        quint32 seed;
        ~ReportSeed()
        {
            if (QTest::currentTestFailed())
                qWarning("monkey: replay with KALVERO_MONKEY_SEED=%u", seed);
        }
    } report{seed};

    QRandomGenerator chance(seed);
    MainWindow window{forms::ClockRandom(seed)};
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *box = window.findChild<QPlainTextEdit *>(QStringLiteral("Text1_0"));
    BoardView *grid = window.board();
    // The same game, played alongside, tells what each command must do to the text.
    model::Game shadow;
    forms::ClockRandom shadowRandom(seed);
    const QString typeable = QStringLiteral("aZ 9бЖъ\tשלוםمرحبا\u202E\u200F!");

    const int steps = qEnvironmentVariableIsSet("KALVERO_MONKEY_STEPS") ? qEnvironmentVariableIntValue("KALVERO_MONKEY_STEPS")
                                                                       : 2500;
    for (int step = 0; step < steps; ++step) {
        const int roll = int(chance.bounded(100));
        if (roll < 50) {
            const int slot = int(chance.bounded(30));
            clickSlot(grid, slot);
            shadow.Picture2_Click(slot);
        } else if (roll < 75) {
            const int index = int(chance.bounded(4));
            const QString before = box->toPlainText();
            QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Command1_%1").arg(index)), Qt::LeftButton);
            const model::CommandResult result = shadow.Command1_Click(index, shadowRandom);
            QCOMPARE(box->toPlainText(), expectedText(before, result));
        } else if (roll < 85) {
            // A key where the focus is. Space and Enter on the board pick the cursor's
            // slot, Space and Enter on a button press it, and Ctrl+Z presses "Ход назад".
            static const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
                {Qt::Key_Tab, Qt::NoModifier},  {Qt::Key_Backtab, Qt::ShiftModifier}, {Qt::Key_Tab, Qt::NoModifier},
                {Qt::Key_Left, Qt::NoModifier}, {Qt::Key_Right, Qt::NoModifier},      {Qt::Key_Up, Qt::NoModifier},
                {Qt::Key_Down, Qt::NoModifier}, {Qt::Key_Home, Qt::NoModifier},       {Qt::Key_End, Qt::NoModifier},
                {Qt::Key_Space, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier},    {Qt::Key_Z, Qt::ControlModifier}};
            const auto [key, modifiers] = keys[chance.bounded(int(std::size(keys)))];
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            const QString before = box->toPlainText();
            int command = key == Qt::Key_Z ? 3 : -1;
            if ((key == Qt::Key_Space || key == Qt::Key_Return) && focus->objectName().startsWith(QLatin1String("Command1_")))
                command = focus->objectName().back().digitValue();
            if (focus == grid && (key == Qt::Key_Space || key == Qt::Key_Return))
                shadow.Picture2_Click(window.play().cursor());
            QTest::keyClick(focus, key, modifiers);
            if (command >= 0) {
                const model::CommandResult result = shadow.Command1_Click(command, shadowRandom);
                QCOMPARE(box->toPlainText(), expectedText(before, result));
            }
        } else if (roll < 95) {
            const QChar c = typeable.at(int(chance.bounded(typeable.size())));
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        } else {
            QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(int(chance.bounded(60)), int(chance.bounded(424))));
        }
        QCOMPARE(window.play().game().history().depth(), shadow.history().depth());
        const QString problem = disagreement(window);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("step %1: %2").arg(step).arg(problem)));
    }
    QVERIFY(window.isVisible());
    QTest::qWait(1);   // the event loop still runs
}

QTEST_MAIN(tst_Monkey)
#include "tst_monkey.moc"
