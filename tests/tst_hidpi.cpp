// tst_hidpi.cpp: the window at device pixel ratio 2 keeps its logical geometry and
// shows every piece as sharp 2 x 2 blocks, with no seam between slots; borders and
// the keyboard's mark are drawn at device resolution.
#include "board/boardview.h"
#include "testimages.h"
#include "window/mainwindow.h"

#include <QLabel>
#include <QTest>

class tst_HiDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void boardIsTheSourceScaledByTwo();
    void borderStaysOneLogicalPixel();
    void cursorMarkIsSharp();
    void textIsRenderedAtDeviceResolution();

private:
    static QImage doubled(const QImage &image)
    {
        return pixels(image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
};

void tst_HiDpi::initTestCase()
{
    QCOMPARE(qgetenv("QT_SCALE_FACTOR"), QByteArray("2"));
}

void tst_HiDpi::boardIsTheSourceScaledByTwo()
{
    MainWindow window(forms::ClockRandom(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.devicePixelRatio(), 2.0);
    QCOMPARE(window.size(), QSize(466, 424));
    QCOMPARE(window.board()->slotRect(29).translated(window.board()->pos()), QRect(314, 230, 50, 50));

    const QImage grabbed = pixels(window.grab().toImage());
    QCOMPARE(grabbed.size(), QSize(932, 848));
    const QImage source = window.board()->source().toImage();
    QVERIFY(grabbed.copy(128, 60, 600, 500) == doubled(source));
}

void tst_HiDpi::borderStaysOneLogicalPixel()
{
    MainWindow window(forms::ClockRandom(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Picture2_Click(12);
    const QImage box = slotImage(window.board(), 12);
    QCOMPARE(box.size(), QSize(100, 100));
    for (int i = 0; i < 100; ++i) {
        for (const QPoint edge : {QPoint(i, 0), QPoint(i, 1), QPoint(0, i), QPoint(1, i), QPoint(i, 98), QPoint(99, i)}) {
            const QRgb p = box.pixel(edge);
            QVERIFY2(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255), "the border covers one logical pixel");
        }
    }
    const QImage tile = doubled(piece(window.board()->source(), 12));
    QCOMPARE(box.copy(2, 2, 96, 96), tile.copy(2, 2, 96, 96));
}

void tst_HiDpi::cursorMarkIsSharp()
{
    MainWindow window(forms::ClockRandom(3));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.board()->setFocus(Qt::TabFocusReason);
    // Slot 0 at (128, 60) device pixels: every device pixel of the mark's band is
    // exactly black or yellow, with nothing blended into the piece around it.
    const QImage cell = pixels(window.grab(QRect(64, 30, 50, 50)).toImage());
    QCOMPARE(cell.size(), QSize(100, 100));
    const QRgb black = qRgb(0, 0, 0), yellow = qRgb(255, 214, 0);
    const QRgb band[8] = {black, black, yellow, yellow, yellow, yellow, black, black};   // device 4 to 11
    for (int i = 0; i < 8; ++i) {
        for (int along = 12; along < 88; ++along) {
            QCOMPARE(cell.pixel(4 + i, along), band[i]);
            QCOMPARE(cell.pixel(along, 95 - i), band[i]);
        }
    }
    const QImage tile = doubled(piece(window.board()->source(), 0));
    QCOMPARE(cell.copy(12, 12, 76, 76), tile.copy(12, 12, 76, 76));
    QCOMPARE(cell.copy(0, 0, 100, 4), tile.copy(0, 0, 100, 4));
}

void tst_HiDpi::textIsRenderedAtDeviceResolution()
{
    MainWindow window(forms::ClockRandom(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *label = window.findChild<QLabel *>(QStringLiteral("Label1_0"));
    const QImage image = pixels(label->grab().toImage());
    QCOMPARE(image.size(), QSize(722, 50));
    // An upscaled rendering would consist of 2 x 2 blocks; glyph edges at device
    // resolution split them.
    int split = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            split += image.pixel(x, y) != image.pixel(x + 1, y) ? 1 : 0;
    }
    QVERIFY2(split > 200, qPrintable(QString::number(split)));
}

QTEST_MAIN(tst_HiDpi)
#include "tst_hidpi.moc"
