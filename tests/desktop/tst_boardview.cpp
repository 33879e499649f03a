// tst_boardview.cpp: the picture the board is cut from, and what each slot of the
// one board widget shows, tells and answers, as the play layer drives it.
#include "desktop/boardview.h"
#include "window/play.h"
#include "testimages.h"

#include <QFile>
#include <QHelpEvent>
#include <QToolTip>

#include <cstdint>

namespace {

QString utf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// A game and its board on a plain window, built as at start-up; every act is
// presented as the window presents it: the board painted, then told what changed.
struct Board
{
    window::Play play;
    QWidget window;
    BoardView view{play, [this](const window::Shown &shown) { present(shown); }, &window};

    explicit Board(std::uint32_t seed = 1) : play(forms::ClockRandom(seed))
    {
        window.resize(466, 424);
        play.PaintBoard(view);
    }
    void present(const window::Shown &shown)
    {
        play.PaintBoard(view);
        view.shown(shown);
    }
    void command(model::Command which) { present(play.Command1_Click(int(which))); }
    const board::SlotFrame &slot(int index) const { return play.board().slot(index); }
    int tile(int index) const { return play.game().history().currentTile(index); }
    bool show()
    {
        window.show();
        const bool exposed = QTest::qWaitForWindowExposed(&window);
        view.clearFocus();   // the board would take it as the window's only stop; no cursor's mark here
        return exposed;
    }
};

// Mean absolute difference per channel between two pieces, 0..255.
double difference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

class tst_BoardView : public QObject
{
    Q_OBJECT

private slots:
    void pictureIsABaselineJfif();
    void everyPieceCanBeToldApart();
    void buildShowsTheAssembledPicture();
    void paintShowsEachSlotsTileAfterAShuffle();
    void borderIsOneLineAroundTheTile();
    void newSourceShowsInEverySlot();
    void clicksAndTooltipsFollowTheSlots();
};

void tst_BoardView::pictureIsABaselineJfif()
{
    QFile file(QStringLiteral(":/resources/picture.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    QVERIFY(jpeg.startsWith("\xFF\xD8\xFF\xE0"));
    QCOMPARE(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));
    QVERIFY2(!jpeg.contains("\xFF\xC2"), "progressive");
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");   // baseline frame header
    QVERIFY(sof > 0);
    const auto byte = [&](qsizetype at) { return int(quint8(jpeg.at(sof + at))); };
    QCOMPARE(byte(5) << 8 | byte(6), 250);   // height
    QCOMPARE(byte(7) << 8 | byte(8), 300);   // width
    QCOMPARE(byte(9), 3);                    // components
    QCOMPARE(byte(11), 0x22);                // luminance sampled 2 x 2
    QCOMPARE(byte(14), 0x11);
    QCOMPARE(byte(17), 0x11);
    QCOMPARE(QImage(file.fileName()).size(), QSize(300, 250));
}

void tst_BoardView::everyPieceCanBeToldApart()
{
    const QPixmap source(QStringLiteral(":/resources/picture.jpg"));
    QList<QImage> pieces;
    for (int tile = 0; tile < 30; ++tile)
        pieces << piece(source, tile);
    double closest = 255;
    QString pair;
    for (int a = 0; a < 30; ++a) {
        for (int b = a + 1; b < 30; ++b) {
            const double d = difference(pieces[a], pieces[b]);
            if (d < closest) {
                closest = d;
                pair = QStringLiteral("%1 and %2").arg(a).arg(b);
            }
        }
        // Even the darkest piece shows detail: its pixels are not one flat tone.
        double mean = 0, square = 0;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 50; ++x) {
                const int v = qGray(pieces[a].pixel(x, y));
                mean += v;
                square += v * v;
            }
        }
        mean /= 2500;
        const double spread = std::sqrt(square / 2500 - mean * mean);
        QVERIFY2(spread > 8, qPrintable(QStringLiteral("piece %1 is flat: %2").arg(a).arg(spread)));
    }
    QVERIFY2(closest > 10, qPrintable(QStringLiteral("pieces %1 differ by only %2").arg(pair).arg(closest)));
}

void tst_BoardView::buildShowsTheAssembledPicture()
{
    Board board;
    QVERIFY(board.show());
    BoardView &view = board.view;
    QCOMPARE(view.devicePixelRatio(), 1.0);
    QCOMPARE(view.geometry(), QRect(64, 30, 300, 250));   // the holder's rectangle
    for (int slot = 0; slot < 30; ++slot) {
        QCOMPARE(view.slotRect(slot), QRect((slot / 5) * 50, (slot % 5) * 50, 50, 50));
        QCOMPARE(utf8(board.slot(slot).tooltip), QString::number(slot));
        QCOMPARE(utf8(board.slot(slot).name), QStringLiteral("Поле %1: част %1").arg(slot));
        QVERIFY(!board.slot(slot).border);
        QVERIFY2(slotImage(&view, slot) == piece(view.source(), slot), qPrintable(QString::number(slot)));
    }
}

void tst_BoardView::paintShowsEachSlotsTileAfterAShuffle()
{
    Board board(99);
    QVERIFY(board.show());
    board.command(model::Command::Shuffle);
    QVERIFY(!board.play.game().isSolved());
    for (int slot = 0; slot < 30; ++slot) {
        const int tile = board.tile(slot);
        QCOMPARE(utf8(board.slot(slot).tooltip), QString::number(tile));
        QVERIFY2(slotImage(&board.view, slot) == piece(board.view.source(), tile),
                 qPrintable(QStringLiteral("slot %1 should show tile %2").arg(slot).arg(tile)));
    }
}

void tst_BoardView::borderIsOneLineAroundTheTile()
{
    Board board;
    BoardView &view = board.view;
    view.pressSlot(12);
    QVERIFY(board.slot(12).border);
    const QImage image = slotImage(&view, 12);
    const QImage tile = piece(view.source(), 12);
    for (int i = 0; i < 50; ++i) {
        for (const QPoint edge : {QPoint(i, 0), QPoint(0, i), QPoint(i, 49), QPoint(49, i)}) {
            const QRgb p = image.pixel(edge);
            QVERIFY2(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255), "the border is black and white");
        }
    }
    QCOMPARE(image.copy(1, 1, 48, 48), tile.copy(1, 1, 48, 48));   // the tile itself is untouched
    QCOMPARE(slotImage(&view, 7), piece(view.source(), 7));       // and so are its neighbours
    QCOMPARE(slotImage(&view, 17), piece(view.source(), 17));
    board.command(model::Command::Clear);   // drops the pick
    QVERIFY(!board.slot(12).border);
    QCOMPARE(slotImage(&view, 12), tile);
}

void tst_BoardView::newSourceShowsInEverySlot()
{
    Board board(4);
    QVERIFY(board.show());
    BoardView &view = board.view;
    board.command(model::Command::Shuffle);
    view.pressSlot(0);
    view.pressSlot(29);
    // A new source shows only once the board is painted, and then in every slot.
    QImage plain(300, 250, QImage::Format_RGB32);
    plain.fill(qRgb(10, 200, 90));
    view.setSource(plain);
    QCOMPARE(slotImage(&view, 3), piece(QPixmap(QStringLiteral(":/resources/picture.jpg")), board.tile(3)));
    board.present(board.play.pictureChanged(window::Arrival::Opened));
    for (int slot = 0; slot < 30; ++slot) {
        QVERIFY(!board.slot(slot).border);
        QCOMPARE(utf8(board.slot(slot).tooltip), QString::number(slot));
        QCOMPARE(slotImage(&view, slot), piece(QPixmap::fromImage(plain), slot));
    }
}

void tst_BoardView::clicksAndTooltipsFollowTheSlots()
{
    Board board;
    QVERIFY(board.show());
    BoardView &view = board.view;
    const model::PickState &picks = board.play.game().picks();
    clickSlot(&view, 17);
    clickSlot(&view, 29, Qt::RightButton);   // only the left button picks
    QVERIFY(picks.FirstPicked && !picks.SecondPicked);
    QCOMPARE(picks.PickedBoxA, 17);
    QCOMPARE(board.play.cursor(), 17);
    // Pressed on one slot and let go on another, or off the board, it is no click.
    QTest::mousePress(&view, Qt::LeftButton, {}, view.slotRect(3).center());
    QTest::mouseRelease(&view, Qt::LeftButton, {}, view.slotRect(4).center());
    QTest::mousePress(&view, Qt::LeftButton, {}, view.slotRect(4).center());
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(-5, 20));
    QVERIFY(!picks.SecondPicked);
    QCOMPARE(board.play.cursor(), 17);
    // Each edge pixel belongs to its own slot: 49 is the last of column 0, 50 the first of 1.
    QCOMPARE(view.slotAt(QPoint(49, 249)), 4);
    QCOMPARE(view.slotAt(QPoint(50, 0)), 5);
    QCOMPARE(view.slotAt(QPoint(299, 249)), 29);
    QCOMPARE(view.slotAt(QPoint(300, 10)), -1);

    // The tooltip names the tile under the pointer and goes when the pointer leaves its slot.
    clickSlot(&view, 8);
    clickSlot(&view, 21);
    board.command(model::Command::Swap);
    QCOMPARE(board.tile(8), 21);
    for (const int slot : {8, 21, 0}) {
        const QPoint at = view.slotRect(slot).topLeft() + QPoint(slot, 49 - slot);
        QHelpEvent help(QEvent::ToolTip, at, view.mapToGlobal(at));
        QCoreApplication::sendEvent(&view, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QString::number(board.tile(slot)));
        QTest::mouseMove(&view, view.slotRect(slot).topLeft() + QPoint(55, 10));   // the slot to its right
        QTRY_VERIFY(!QToolTip::isVisible());
    }
}

QTEST_MAIN(tst_BoardView)
#include "tst_boardview.moc"
