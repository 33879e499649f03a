// tst_board.cpp: the board's twips geometry, the picture it is cut from, and the slot boxes.
#include "board/boardview.h"
#include "model/geometry.h"
#include "board/slotbox.h"
#include "forms/random.h"
#include "model/game.h"
#include "testimages.h"

#include <QFile>
#include <QTest>

namespace {

QImage shown(SlotBox *box) { return pixels(box->grab().toImage()); }

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
        return QTest::qWaitForWindowExposed(&window);
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
    void rebuildReplacesBoxesOneToTwentyNine();
};

void tst_Board::locatePieceAndSlotPlaces()
{
    const model::PieceOffset tile13 = model::LocatePiece(13, 750, 750);
    QCOMPARE(tile13.SourceX, 1500.0f);
    QCOMPARE(tile13.SourceY, 2250.0f);
    const auto places = model::SlotPlaces(model::Picture1);
    QCOMPARE(places[7], (forms::TwipRect{1710, 1950, 750, 750}));
    QCOMPARE(places[4], (forms::TwipRect{960, 3450, 750, 750}));
    QCOMPARE(places[5], (forms::TwipRect{1710, 450, 750, 750}));
    QCOMPARE(places[29], (forms::TwipRect{4710, 3450, 750, 750}));
    QCOMPARE(forms::ToPixels(places[29]), (forms::PixelRect{314, 230, 50, 50}));
    // The last column and row are cut from (250, 200) of the picture.
    const model::PieceOffset tile29 = model::LocatePiece(29, 750, 750);
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
    const forms::TwipRect box = model::PieceBox({960, 450, width, 3750});
    QTEST(box.Width, "pieceWidth");
    QCOMPARE(box.Height, 750.0f);
    QCOMPARE(box.Left, 960.0f);
    QCOMPARE(box.Top, 450.0f);
}

void tst_Board::slotsTileTheHolderExactly()
{
    QRegion covered;
    for (const forms::TwipRect &place : model::SlotPlaces(model::Picture1)) {
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
    const BoardView &view = board.view;
    QCOMPARE(view.Picture2(0)->devicePixelRatio(), 1.0);
    for (int slot = 0; slot < 30; ++slot) {
        SlotBox *box = view.Picture2(slot);
        QCOMPARE(box->objectName(), QStringLiteral("Picture2_%1").arg(slot));
        QCOMPARE(box->geometry(), QRect(64 + (slot / 5) * 50, 30 + (slot % 5) * 50, 50, 50));
        QVERIFY(box->isVisible());
        QCOMPARE(box->toolTip(), QString::number(slot));
        QCOMPARE(box->borderStyle(), 0);
        QVERIFY2(shown(box) == piece(view.source(), slot), qPrintable(QString::number(slot)));
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
        SlotBox *box = view.Picture2(slot);
        QCOMPARE(box->toolTip(), QString::number(tile));
        QVERIFY2(shown(box) == piece(view.source(), tile),
                 qPrintable(QStringLiteral("slot %1 should show tile %2").arg(slot).arg(tile)));
    }
}

void tst_Board::borderIsOneLineAroundTheTile()
{
    Board board;
    auto &[window, view, game] = board;
    game.Picture2_Click(12);
    view.PaintBoard(game);
    SlotBox *box = view.Picture2(12);
    QCOMPARE(box->borderStyle(), 1);
    const QImage image = shown(box);
    const QImage tile = piece(view.source(), 12);
    for (int i = 0; i < 50; ++i) {
        for (const QPoint edge : {QPoint(i, 0), QPoint(0, i), QPoint(i, 49), QPoint(49, i)}) {
            const QRgb p = image.pixel(edge);
            QVERIFY2(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255), "the border is black and white");
        }
    }
    QCOMPARE(image.copy(1, 1, 48, 48), tile.copy(1, 1, 48, 48));   // the tile itself is untouched
    game.Clear();   // drops the pick
    view.PaintBoard(game);
    QCOMPARE(box->borderStyle(), 0);
    QCOMPARE(shown(box), tile);
}

void tst_Board::rebuildReplacesBoxesOneToTwentyNine()
{
    Board board;
    auto &[window, view, game] = board;
    SlotBox *first = view.Picture2(0);
    QPointer<SlotBox> old = view.Picture2(17);
    int clicked = -1;
    connect(&view, &BoardView::Picture2_Click, this, [&](int index) { clicked = index; });
    view.RebuildBoard(game);
    QVERIFY(old.isNull());
    QCOMPARE(view.Picture2(0), first);
    QCOMPARE(window.findChildren<SlotBox *>().size(), 30);
    QTest::mouseClick(view.Picture2(17), Qt::LeftButton);
    QCOMPARE(clicked, 17);
    QTest::mouseClick(view.Picture2(3), Qt::RightButton);
    QCOMPARE(clicked, 17);   // only the left button picks
}

QTEST_MAIN(tst_Board)
#include "tst_board.moc"
