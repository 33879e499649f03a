// tst_board.cpp: the board's geometry in twips: where each slot sits over the
// holder, the piece size the holder gives, and the rectangle of the source each tile is
// cut from; and the cycles of an arrangement, which the board outlines.
#include "board/geometry.h"
#include "forms/numbers.h"
#include "model/cycles.h"

#include <QTest>

#include <numeric>
#include <vector>

class tst_Board : public QObject
{
    Q_OBJECT

private slots:
    void locatePieceAndSlotPlaces();
    void pieceSizeFromTheHolder_data();
    void pieceSizeFromTheHolder();
    void slotsTileTheHolderExactly();
    void cycles_data();
    void cycles();
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
    // Every pixel of the holder's 300 x 250 at (64, 30) lies in exactly one slot.
    constexpr int Left = 64, Top = 30, Width = 300, Height = 250;
    std::vector<int> covers(std::size_t(Width * Height), 0);
    for (const forms::TwipRect &place : board::SlotPlaces(board::Picture1)) {
        const forms::PixelRect p = forms::ToPixels(place);
        QVERIFY2(p.x >= Left && p.y >= Top && p.x + p.width <= Left + Width && p.y + p.height <= Top + Height,
                 "a slot reaches outside the holder");
        for (int y = p.y; y < p.y + p.height; ++y) {
            for (int x = p.x; x < p.x + p.width; ++x)
                ++covers[std::size_t((y - Top) * Width + (x - Left))];
        }
    }
    for (std::size_t i = 0; i < covers.size(); ++i)
        QVERIFY2(covers[i] == 1, qPrintable(QStringLiteral("(%1, %2) lies in %3 slots")
                                                .arg(Left + int(i) % Width).arg(Top + int(i) / Width).arg(covers[i])));
}

void tst_Board::cycles_data()
{
    // An arrangement as the slots whose pieces move, each followed by the slot its piece belongs in.
    QTest::addColumn<QList<QList<int>>>("moves");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("longCycles");   // their slots, cycle by cycle, in the cycles' order
    QList<int> all(30);
    std::iota(all.begin(), all.end(), 0);
    QStringList allSlots;
    for (const int slot : all)
        allSlots << QString::number(slot);
    QTest::newRow("assembled") << QList<QList<int>>{} << 30 << QString();
    QTest::newRow("one swap away") << QList<QList<int>>{{3, 17}} << 29 << QStringLiteral("3 17");
    QTest::newRow("all 30 in one") << QList<QList<int>>{all} << 1 << allSlots.join(u' ');
    QTest::newRow("two apart, the later begun first") << QList<QList<int>>{{25, 9, 2}, {6, 1}} << 27
                                                      << QStringLiteral("1 6 | 2 9 25");
}

void tst_Board::cycles()
{
    QFETCH(QList<QList<int>>, moves);
    QFETCH(int, count);
    QFETCH(QString, longCycles);
    model::Arrangement arrangement = model::OrderedArrangement();
    for (const QList<int> &cycle : moves) {
        for (qsizetype i = 0; i < cycle.size(); ++i)
            arrangement[std::size_t(cycle[i])] = std::uint8_t(cycle[(i + 1) % cycle.size()]);
    }
    const model::Cycles cycles = model::FindCycles(arrangement);
    QCOMPARE(cycles.count, count);
    QCOMPARE(cycles.swapsToSolve(), 30 - count);
    QStringList found;
    for (int cycle = 0; cycle < cycles.count; ++cycle) {
        QStringList members;
        for (int slot = 0; slot < 30; ++slot) {
            if (cycles.cycleOf[std::size_t(slot)] == cycle)
                members << QString::number(slot);
        }
        QCOMPARE(cycles.length[std::size_t(cycle)], members.size());
        if (members.size() > 1)
            found << members.join(u' ');
    }
    QCOMPARE(found.join(QStringLiteral(" | ")), longCycles);
}

QTEST_APPLESS_MAIN(tst_Board)
#include "tst_board.moc"
