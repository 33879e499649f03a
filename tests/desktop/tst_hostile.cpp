// tst_hostile.cpp: files made to hurt a picture decoder (tests/desktop/hostile/makehostile.cpp,
// and tests/hostilepictures.py, whose set the page opens too, with the same verdicts),
// opened on the real window while the player goes on clicking. Each is refused or
// opened within the watchdog's time; the game's own memory stays near a plain start,
// and its window answers throughout.
#include "desktop/boardview.h"
#include "peakmemory.h"
#include "testimages.h"
#include "desktop/mainwindow.h"
#include "desktop/desktoppictureopener.h"
#include "desktop/qtext.h"
#include "window/texts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using picture::PictureError;

Q_DECLARE_METATYPE(PictureError)

class tst_Hostile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusedOrOpenedInTime_data();
    void refusedOrOpenedInTime();

private:
    std::unique_ptr<MainWindow> m_window;
    qint64 m_plainPeak = 0;
};

void tst_Hostile::initTestCase()
{
    decoder::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_PROGRAM));
    m_window = std::make_unique<MainWindow>(forms::ClockRandom(3));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_plainPeak = peakKiB();
}

void tst_Hostile::refusedOrOpenedInTime_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<PictureError>("error");
    QTest::newRow("100,000 scans") << QStringLiteral("scans-100000.jpg") << PictureError::Damaged;
    QTest::newRow("looping MNG") << QStringLiteral("loop.mng") << PictureError::NotAnImage;
    QTest::newRow("10k 16-bit PNG") << QStringLiteral("gray16-10k.png") << PictureError::TooLarge;
    QTest::newRow("icon of a 10k PNG") << QStringLiteral("icon-10k.ico") << PictureError::NotAnImage;
    QTest::newRow("GIF cut, trailer back") << QStringLiteral("cut-trailer.gif") << PictureError::Damaged;
    QTest::newRow("60 MB of comments") << QStringLiteral("comment-60mb.jpg") << PictureError::None;
    QTest::newRow("forty 8 MB zTXt") << QStringLiteral("ztxt-40x8mb.png") << PictureError::None;
    QTest::newRow("10k progressive JPEG") << QStringLiteral("progressive-10k.jpg") << PictureError::None;
    QTest::newRow("TIFF deflate bomb") << QStringLiteral("deflate-bomb.tif") << PictureError::TooLarge;

    // The set both faces open: a reason there is the page's refusal; anything else opens.
    QFile verdicts(QStringLiteral(KALVERO_HOSTILE_DIR "/shared/verdicts.json"));
    QVERIFY2(verdicts.open(QIODevice::ReadOnly), "tests/hostilepictures.py wrote no verdicts");
    const QJsonObject shared = QJsonDocument::fromJson(verdicts.readAll()).object();
    QVERIFY(shared.size() > 10);
    for (auto file = shared.begin(); file != shared.end(); ++file) {
        PictureError error = PictureError::None;
        if (file.value().isString()) {
            error = PictureError::DecoderCrashed;   // a reason the desktop never gives fails the row
            for (int e = 1; e < picture::PictureErrorCount; ++e)
                if (toQString(window::texts::Reason(PictureError(e))) == file.value().toString())
                    error = PictureError(e);
        }
        QTest::newRow(qPrintable(file.key())) << QStringLiteral("shared/") + file.key() << error;
    }
}

void tst_Hostile::refusedOrOpenedInTime()
{
    QFETCH(QString, name);
    QFETCH(PictureError, error);
    const QString path = QStringLiteral(KALVERO_HOSTILE_DIR "/") + name;
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    m_window->Command1_Click(int(model::Command::Shuffle));
    BoardView *board = m_window->board();
    const QImage before = pixels(board->grab().toImage());

    // The player goes on clicking while the file is read; the longest wait between
    // two ticks tells whether the window answered throughout, and each click must
    // reach the game at once: the cursor goes to its slot, which is the newest pick.
    QSignalSpy settled(m_window->opener(), &DesktopPictureOpener::settled);
    const window::Play &play = m_window->play();
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    int clicks = 0, picked = 0;
    QTimer tick;
    tick.setInterval(20);
    connect(&tick, &QTimer::timeout, this, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
        const int slot = clicks++ % 30;
        clickSlot(board, slot);
        const model::PickState &picks = play.game().picks();
        if (play.cursor() == slot && (picks.SecondPicked ? picks.PickedBoxB : picks.PickedBoxA) == slot)
            ++picked;
    });
    clock.start();
    tick.start();
    m_window->opener()->open(decoder::FileName::fromPath(path), window::Arrival::Opened);
    const bool inTime = settled.wait(decoder::WatchdogMilliseconds + 1000);
    const qint64 took = clock.elapsed();
    tick.stop();
    QVERIFY2(inTime, qPrintable(QStringLiteral("no verdict after %1 ms").arg(took)));
    QVERIFY2(longest < 1000, qPrintable(QStringLiteral("the window stood still for %1 ms").arg(longest)));
    QCOMPARE(picked, clicks);
    QVERIFY(clicks >= int(took / 100));   // the ticks went on

    if (error == PictureError::None) {
        QCOMPARE(play.game().history().depth(), std::size_t(1));   // as "Изчисти" leaves the board
        QVERIFY(pixels(board->grab().toImage()) != before);
    } else {
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = m_window->findChild<QMessageBox *>(QStringLiteral("pictureRefused"))));
        QCOMPARE(box->text(), DesktopPictureOpener::refusal(error, QFileInfo(name).fileName()));
        box->accept();
        QTRY_VERIFY(!m_window->findChild<QMessageBox *>(QStringLiteral("pictureRefused")));
    }
    const qint64 grown = peakKiB() - m_plainPeak;
    qInfo("%s: %s in %lld ms; the game's peak is %+lld KiB against a plain start", qPrintable(name),
          error == PictureError::None ? "opened" : "refused", took, grown);
    QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("%1 KiB more than a plain start").arg(grown)));
}

QTEST_MAIN(tst_Hostile)
#include "tst_hostile.moc"
