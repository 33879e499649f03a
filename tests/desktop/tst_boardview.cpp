// tst_board.cpp: the board's twips geometry, the picture it is cut from, and what
// each slot of the one board widget shows, tells and answers.
#include "desktop/boardview.h"
#include "forms/random.h"
#include "model/game.h"
#include "board/geometry.h"
#include "testimages.h"

#include <QFile>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QToolTip>

namespace {

// A game and its board on a plain window, built as at start-up.
struct Board
{
    QWidget window;
    BoardView view{&window};
    model::Game game;

    Board()
    {
        window.resize(466, 424);
        view.BuildBoard(game);
    }
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

class tst_Board : public QObject
{
    Q_OBJECT

private slots:
    void locatePieceAndSlotPlaces();
    void pieceSizeFromTheHolder_data();
    void pieceSizeFromTheHolder();
    void slotsTileTheHolderExactly();
    void pictureIsABaselineJfif();
    void everyPieceCanBeToldApart();
    void buildShowsTheAssembledPicture();
    void paintShowsEachSlotsTileAfterAShuffle();
    void borderIsOneLineAroundTheTile();
    void rebuildRepaintsEverySlot();
    void clicksAndTooltipsFollowTheSlots();
};

void tst_Board::locatePieceAndSlotPlaces()
{
    const board::PieceOffset tile13 = board::LocatePiece(13, 750, 750);
    QCOMPARE(tile13.SourceX, 1500.0f);
    QCOMPARE(tile13.SourceY, 2250.0f);
    const auto places = board::SlotPlaces(board::Picture1);
    QCOMPARE(places[7], (forms::TwipRect{1710, 1950, 750, 750}));
    QCOMPARE(places[4], (forms::TwipRect{960, 3450, 750, 750}));
    QCOMPARE(places[5], (forms::TwipRect{1710, 450, 750, 750}));
    QCOMPARE(places[29], (forms::TwipRect{4710, 3450, 750, 750}));
    QCOMPARE(forms::ToPixels(places[29]), (forms::PixelRect{314, 230, 50, 50}));
    // The last column and row are cut from (250, 200) of the picture.
    const board::PieceOffset tile29 = board::LocatePiece(29, 750, 750);
    QCOMPARE(forms::ToPixels({tile29.SourceX, tile29.SourceY, 750, 750}), (forms::PixelRect{250, 200, 50, 50}));
}

void tst_Board::pieceSizeFromTheHolder_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("pieceWidth");
    QTest::newRow("design") << 4500.0f << 750.0f;
    QTest::newRow("5 twips wider drops the rest") << 4505.0f << 750.0f;
    QTest::newRow("half rounds up to a multiple of 6") << 4505.5f << 751.0f;   // 4506
    QTest::newRow("half rounds down") << 4504.5f << 750.0f;                    // 4504
    QTest::newRow("half above a multiple stays even") << 4506.5f << 751.0f;    // 4506
}

void tst_Board::pieceSizeFromTheHolder()
{
    QFETCH(float, width);
    const forms::TwipRect box = board::PieceBox({960, 450, width, 3750});
    QTEST(box.Width, "pieceWidth");
    QCOMPARE(box.Height, 750.0f);
    QCOMPARE(box.Left, 960.0f);
    QCOMPARE(box.Top, 450.0f);
}

void tst_Board::slotsTileTheHolderExactly()
{
    QRegion covered;
    for (const forms::TwipRect &place : board::SlotPlaces(board::Picture1)) {
        const forms::PixelRect p = forms::ToPixels(place);
        const QRect rect(p.x, p.y, p.width, p.height);
        QVERIFY2(!covered.intersects(rect), "two slot boxes overlap");
        covered += rect;
    }
    QCOMPARE(covered, QRegion(64, 30, 300, 250));
}

void tst_Board::pictureIsABaselineJfif()
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

void tst_Board::everyPieceCanBeToldApart()
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

void tst_Board::buildShowsTheAssembledPicture()
{
    Board board;
    QVERIFY(board.show());
    BoardView &view = board.view;
    QCOMPARE(view.devicePixelRatio(), 1.0);
    QCOMPARE(view.geometry(), QRect(64, 30, 300, 250));   // the holder's rectangle
    for (int slot = 0; slot < 30; ++slot) {
        QCOMPARE(view.slotRect(slot), QRect((slot / 5) * 50, (slot % 5) * 50, 50, 50));
        QCOMPARE(view.toolTipText(slot), QString::number(slot));
        QCOMPARE(view.slotName(slot), QStringLiteral("Поле %1: част %1").arg(slot));
        QCOMPARE(view.borderStyle(slot), 0);
        QVERIFY2(slotImage(&view, slot) == piece(view.source(), slot), qPrintable(QString::number(slot)));
    }
}

void tst_Board::paintShowsEachSlotsTileAfterAShuffle()
{
    Board board;
    QVERIFY(board.show());
    auto &[window, view, game] = board;
    forms::ClockRandom random(99);
    game.Shuffle(random);
    view.RebuildBoard(game);
    view.PaintBoard(game);
    for (int slot = 0; slot < 30; ++slot) {
        const int tile = game.history().currentTile(slot);
        QCOMPARE(view.toolTipText(slot), QString::number(tile));
        QVERIFY2(slotImage(&view, slot) == piece(view.source(), tile),
                 qPrintable(QStringLiteral("slot %1 should show tile %2").arg(slot).arg(tile)));
    }
}

void tst_Board::borderIsOneLineAroundTheTile()
{
    Board board;
    auto &[window, view, game] = board;
    game.Picture2_Click(12);
    view.PaintBoard(game);
    QCOMPARE(view.borderStyle(12), 1);
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
    game.Clear();   // drops the pick
    view.PaintBoard(game);
    QCOMPARE(view.borderStyle(12), 0);
    QCOMPARE(slotImage(&view, 12), tile);
}

void tst_Board::rebuildRepaintsEverySlot()
{
    Board board;
    QVERIFY(board.show());
    auto &[window, view, game] = board;
    forms::ClockRandom random(4);
    game.Shuffle(random);
    view.PaintBoard(game);
    game.Picture2_Click(0);
    game.Picture2_Click(29);
    view.PaintBoard(game);
    // A new source shows only once the board is painted, in every slot.
    QImage plain(300, 250, QImage::Format_RGB32);
    plain.fill(qRgb(10, 200, 90));
    view.setSource(plain);
    QCOMPARE(slotImage(&view, 3), piece(QPixmap(QStringLiteral(":/resources/picture.jpg")), game.history().currentTile(3)));
    game.Clear();
    view.RebuildBoard(game);
    for (int slot = 0; slot < 30; ++slot) {
        QCOMPARE(view.borderStyle(slot), 0);
        QCOMPARE(view.toolTipText(slot), QString::number(slot));
        QCOMPARE(slotImage(&view, slot), pixels(plain.copy(view.pieceRect(slot))));
    }
}

void tst_Board::clicksAndTooltipsFollowTheSlots()
{
    Board board;
    QVERIFY(board.show());
    auto &[window, view, game] = board;
    QSignalSpy clicks(&view, &BoardView::Picture2_Click);
    clickSlot(&view, 17);
    clickSlot(&view, 29, Qt::RightButton);   // only the left button picks
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 17);
    QCOMPARE(view.cursorSlot(), 17);
    // Pressed on one slot and let go on another, or off the board, it is no click.
    QTest::mousePress(&view, Qt::LeftButton, {}, view.slotRect(3).center());
    QTest::mouseRelease(&view, Qt::LeftButton, {}, view.slotRect(4).center());
    QTest::mousePress(&view, Qt::LeftButton, {}, view.slotRect(4).center());
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(-5, 20));
    QCOMPARE(clicks.size(), 1);
    // Each edge pixel belongs to its own slot: 49 is the last of column 0, 50 the first of 1.
    QCOMPARE(view.slotAt(QPoint(49, 249)), 4);
    QCOMPARE(view.slotAt(QPoint(50, 0)), 5);
    QCOMPARE(view.slotAt(QPoint(299, 249)), 29);
    QCOMPARE(view.slotAt(QPoint(300, 10)), -1);

    // The tooltip names the tile under the pointer and goes when the pointer leaves its slot.
    game.Picture2_Click(8);
    game.Picture2_Click(21);
    game.Swap();
    view.PaintBoard(game);
    for (const int slot : {8, 21, 0}) {
        const QPoint at = view.slotRect(slot).topLeft() + QPoint(slot, 49 - slot);
        QHelpEvent help(QEvent::ToolTip, at, view.mapToGlobal(at));
        QCoreApplication::sendEvent(&view, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QString::number(game.history().currentTile(slot)));
        QTest::mouseMove(&view, view.slotRect(slot).topLeft() + QPoint(55, 10));   // the slot to its right
        QTRY_VERIFY(!QToolTip::isVisible());
    }
}

QTEST_MAIN(tst_Board)
#include "tst_board.moc"
