// tst_hidpi.cpp: the window at a device pixel ratio of 2 (a high-density screen) or
// 1.5 (the projector's zoom), from QT_SCALE_FACTOR: it keeps its logical geometry,
// the board shows the picture at device resolution with no seam between slots, and
// borders, the keyboard's mark and texts are sharp: every pixel of a line is exactly
// its colour, and a picture the player opens is cut at the board's device pixels.
#include "desktop/boardview.h"
#include "desktop/resource.h"
#include "testimages.h"
#include "desktop/mainwindow.h"
#include "desktop/desktoppictureopener.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

class tst_HiDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void boardIsTheSourceAtDeviceResolution();
    void borderIsWholeDevicePixels();
    void cursorMarkIsSharp();
    void openedPictureIsCutAtDeviceResolution();
    void textIsRenderedAtDeviceResolution();

private:
    qreal m_ratio = 1;
    int m_unit = 1;   // a logical pixel's line, in whole device pixels
    QImage atRatio(const QImage &image) const
    {
        const QSize size(qRound(image.width() * m_ratio), qRound(image.height() * m_ratio));
        return pixels(image.scaled(size, Qt::IgnoreAspectRatio,
                                   m_ratio == qRound(m_ratio) ? Qt::FastTransformation : Qt::SmoothTransformation));
    }
    QRect device(const QRect &logical) const
    {
        return {QPoint(qRound(logical.left() * m_ratio), qRound(logical.top() * m_ratio)),
                QPoint(qRound((logical.right() + 1) * m_ratio) - 1, qRound((logical.bottom() + 1) * m_ratio) - 1)};
    }
};

void tst_HiDpi::initTestCase()
{
    m_ratio = qgetenv("QT_SCALE_FACTOR").toDouble();
    QVERIFY(m_ratio == 2 || m_ratio == 1.5);
    m_unit = qRound(m_ratio);
    decoder::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_PROGRAM));
}

void tst_HiDpi::boardIsTheSourceAtDeviceResolution()
{
    MainWindow window(forms::ClockRandom(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.devicePixelRatio(), m_ratio);
    QCOMPARE(window.size(), QSize(466, 424));
    QCOMPARE(window.board()->slotRect(29).translated(window.board()->pos()), QRect(314, 230, 50, 50));

    const QImage grabbed = pixels(window.grab().toImage());
    QCOMPARE(grabbed.size(), QSize(qRound(466 * m_ratio), qRound(424 * m_ratio)));
    const QImage source = ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg");
    QVERIFY(grabbed.copy(device(QRect(64, 30, 300, 250))) == atRatio(source));
}

void tst_HiDpi::borderIsWholeDevicePixels()
{
    MainWindow window(forms::ClockRandom(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Picture2_Click(12);
    const QImage box = pixels(window.grab(window.board()->slotRect(12).translated(window.board()->pos())).toImage());
    const int side = qRound(50 * m_ratio);
    QCOMPARE(box.size(), QSize(side, side));
    for (int i = 0; i < side; ++i) {
        for (int line = 0; line < m_unit; ++line) {
            for (const QPoint edge : {QPoint(i, line), QPoint(line, i), QPoint(i, side - 1 - line), QPoint(side - 1 - line, i)}) {
                const QRgb p = box.pixel(edge);
                QVERIFY2(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255), qPrintable(QStringLiteral("(%1, %2) is %3: the border is whole device pixels, black and white").arg(edge.x()).arg(edge.y()).arg(p, 0, 16)));
            }
        }
    }
    const QImage tile = atRatio(ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg")).copy(device(QRect(100, 100, 50, 50)));
    const QRect inside(m_unit, m_unit, side - 2 * m_unit, side - 2 * m_unit);
    QCOMPARE(box.copy(inside), tile.copy(inside));
}

void tst_HiDpi::cursorMarkIsSharp()
{
    MainWindow window(forms::ClockRandom(3));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.board()->setFocus(Qt::TabFocusReason);
    // Slot 0: every device pixel of the mark's band is exactly black or yellow, with
    // nothing blended into the piece around it.
    const QImage cell = pixels(window.grab(QRect(64, 30, 50, 50)).toImage());
    const int side = qRound(50 * m_ratio), u = m_unit;
    QCOMPARE(cell.size(), QSize(side, side));
    const QRgb black = qRgb(0, 0, 0), yellow = qRgb(255, 214, 0);
    for (int i = 0; i < 4 * u; ++i) {
        const QRgb band = i < u || i >= 3 * u ? black : yellow;   // device 2u to 6u
        for (int along = 6 * u; along < side - 6 * u; ++along) {
            QCOMPARE(cell.pixel(2 * u + i, along), band);
            QCOMPARE(cell.pixel(along, side - 1 - 2 * u - i), band);
        }
    }
    const QImage tile = atRatio(ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg")).copy(0, 0, side, side);
    const QRect inside(6 * u, 6 * u, side - 12 * u, side - 12 * u);
    QCOMPARE(cell.copy(inside), tile.copy(inside));
    QCOMPARE(cell.copy(0, 0, side, 2 * u), tile.copy(0, 0, side, 2 * u));
}

void tst_HiDpi::openedPictureIsCutAtDeviceResolution()
{
    // One-pixel stripes at the board's device size come out one device pixel each.
    QImage stripes(qRound(300 * m_ratio), qRound(250 * m_ratio), QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, (x + y) % 2 ? qRgb(250, 250, 250) : qRgb(10, 10, 120));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("stripes.png"));
    QVERIFY(stripes.save(path));
    MainWindow window(forms::ClockRandom(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy settled(window.opener(), &DesktopPictureOpener::settled);
    window.opener()->open(decoder::FileName::fromPath(path), window::Arrival::Opened);
    QVERIFY(settled.wait(10000));
    QCOMPARE(pixels(window.grab(QRect(64, 30, 300, 250)).toImage()), pixels(stripes));
}

void tst_HiDpi::textIsRenderedAtDeviceResolution()
{
    MainWindow window(forms::ClockRandom(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *label = window.findChild<QLabel *>(QStringLiteral("Label1_0"));
    const QImage image = pixels(label->grab().toImage());
    QCOMPARE(image.size(), QSize(qRound(361 * m_ratio), qRound(25 * m_ratio)));
    // An upscaled rendering would consist of blocks; glyph edges at device resolution split them.
    int split = 0;
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2)
            split += image.pixel(x, y) != image.pixel(x + 1, y) ? 1 : 0;
    }
    QVERIFY2(split > 200, qPrintable(QString::number(split)));
}

QTEST_MAIN(tst_HiDpi)
#include "tst_hidpi.moc"
