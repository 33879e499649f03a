// tst_opening.cpp: a picture of the player's own on the real window: by the board's
// menu and the file dialog, by a drop, back to the built-in one; and a bad file,
// which changes nothing and is told in a message box.
#include "desktop/boardview.h"
#include "window/texts.h"
#include "testimages.h"
#include "desktop/mainwindow.h"
#include "desktop/desktoppictureopener.h"
#include "desktop/decoder/crop.h"
#include "desktop/lessonfile.h"

#include <QBuffer>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <cmath>
#include <cstdio>
#include <numeric>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

// Blocks of 100 x 100 pixels, each its own colour.
QImage bands(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((y / 100) * 40 + (x / 100) * 7, 255 - (y / 100) * 30, (x / 100) * 60));
    return image;
}

// The page the program carries, or a small one, with its lesson block.
QByteArray pageWithSlot()
{
    QByteArray page = CarriedPage();
    if (page.isEmpty())
        page = "<!DOCTYPE html><html><head></head><body></body></html>";
    if (!lesson::HasOneSlot(std::string_view(page.constData(), std::size_t(page.size()))))
        page.insert(page.indexOf("</head>"), QByteArray(lesson::SlotOpening.data()) + "</script>");
    return page;
}

QByteArray lessonFile(const QByteArray &picture, const std::optional<model::Arrangement> &start = {})
{
    const QByteArray page = pageWithSlot();
    return QByteArray::fromStdString(lesson::WriteLesson(std::string_view(page.constData(), std::size_t(page.size())),
                                                         {picture.toStdString(), "Урок", false, start}));
}

QByteArray jpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpeg", 90);
    return bytes;
}

struct Window
{
    MainWindow window{forms::ClockRandom(11)};
    QSignalSpy settled{window.opener(), &DesktopPictureOpener::settled};

    Window()
    {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    QImage board() { return pixels(window.grab(QRect(64, 30, 300, 250)).toImage()); }
    QString text() const { return window.findChild<QPlainTextEdit *>()->toPlainText(); }
    QMenu *rightClick(int slot)
    {
        BoardView *board = window.board();
        const QPoint at = board->slotRect(slot).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, board->mapToGlobal(at));
        QCoreApplication::sendEvent(board, &event);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }
    bool waitUntilSettled() { return settled.wait(10000); }
    // What the player had: the picture, the history, the picks and the message box.
    QString state()
    {
        const model::Game &game = window.play().game();
        QString picks = QStringLiteral("%1%2 %3 %4").arg(game.picks().FirstPicked).arg(game.picks().SecondPicked)
                            .arg(game.picks().PickedBoxA).arg(game.picks().PickedBoxB);
        QByteArray levels;
        for (std::size_t k = 0; k < game.history().depth(); ++k)
            levels += QByteArray(reinterpret_cast<const char *>(game.history().level(k).data()), 30).toHex() + '/';
        return picks + u'|' + QString::fromLatin1(levels) + u'|' + text();
    }
};

} // namespace

class tst_Opening : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fromTheMenuByDropAndBack();
    void newestWinsAndTheWindowMayGoFirst();
    void badFileChangesNothing_data();
    void badFileChangesNothing();
    void aDroppedNameKeepsItsBytes_data();
    void aDroppedNameKeepsItsBytes();
    void desktopEntryListsTheReadableTypes();
    void lessonRoundTrip();
    void savingLeavesNoHalfWrittenFile();
    void aLessonFromTheMenuIsSharp();

private:
    QTemporaryDir m_home;
    QString m_pictures;
};

void tst_Opening::initTestCase()
{
    // The dialog starts in the player's Pictures folder.
    decoder::PictureReader::setDecoderProgram(QStringLiteral(KALVERO_PROGRAM));
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
    m_pictures = m_home.filePath(QStringLiteral("Pictures"));
    QVERIFY(QDir().mkpath(m_pictures));
}

void tst_Opening::fromTheMenuByDropAndBack()
{
    Window w;
    const QImage builtIn = w.board();
    const QImage exact = bands(300, 250), tall = bands(300, 1000);
    const QString exactPath = m_pictures + QStringLiteral("/точно.png"), tallPath = m_pictures + QStringLiteral("/tall.bmp");
    QVERIFY(exact.save(exactPath) && tall.save(tallPath));
    w.window.Picture2_Click(3);
    w.window.Picture2_Click(8);
    w.window.Command1_Click(int(model::Command::Swap));
    w.window.Picture2_Click(1);

    // A right click on the board opens its menu and does nothing else.
    QMenu *menu = w.rightClick(7);
    QVERIFY(menu);
    QStringList items;   // a build that carries the page saves lessons
    for (const QAction *action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("—") : action->text());
    QStringList expected{QStringLiteral("Отвори картина…"), QStringLiteral("Върни вградената картина"),
                         QStringLiteral("—"), QStringLiteral("Покажи цялата картина"), QStringLiteral("Покажи циклите")};
    if (CanSaveLessons())
        expected.insert(2, QStringLiteral("Запази като урок…"));
    QCOMPARE(items, expected);
    QVERIFY(w.window.play().game().picks().FirstPicked && !w.window.play().game().picks().SecondPicked);
    menu->actions().at(0)->trigger();
    menu->close();
    auto *dialog = w.window.findChild<QFileDialog *>(QStringLiteral("pictureDialog"));
    QVERIFY(dialog);
    QCOMPARE(dialog->directory().absolutePath(), QDir(m_pictures).absolutePath());
    // Qt's own texts in the dialog are Bulgarian too: the columns, the tool buttons.
    auto *files = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(files);
    QStringList columns;
    for (int i = 0; i < files->model()->columnCount(); ++i)
        columns << files->model()->headerData(i, Qt::Horizontal).toString();
    QCOMPARE(columns, (QStringList{QStringLiteral("Име"), QStringLiteral("Размер"), QStringLiteral("Тип"),
                                   QStringLiteral("Дата на промяна")}));
    QStringList tips;
    for (const QToolButton *button : dialog->findChildren<QToolButton *>())
        tips << button->toolTip();
    QVERIFY2(tips.contains(QStringLiteral("Създаване на нова папка")), qPrintable(tips.join(u'|')));
    const QString filter = dialog->nameFilters().value(0);
    QVERIFY2(filter.startsWith(QStringLiteral("Изображения и уроци (")) && filter.contains(QStringLiteral("*.webp"))
                 && filter.contains(QStringLiteral("*.html"))
                 && filter.contains(QStringLiteral("*.JPG")) && filter.contains(QStringLiteral("*.tiff"))
                 && !filter.contains(QStringLiteral("*.ico")) && !filter.contains(QStringLiteral("*.svg")),
             qPrintable(filter));
    dialog->selectFile(exactPath);
    QMetaObject::invokeMethod(dialog, "accept");
    QVERIFY(w.waitUntilSettled());
    QCOMPARE(w.board(), pixels(exact));
    // As "Изчисти" leaves it: one level, nothing picked, the message box empty.
    QCOMPARE(w.window.play().game().history().depth(), std::size_t(1));
    QVERIFY(!w.window.play().game().picks().FirstPicked);
    QCOMPARE(w.text(), QString());
    QCOMPARE(QString::fromStdString(w.window.play().board().slot(7).tooltip), QStringLiteral("7"));

    // A file dropped on the window, or on the message box, opens the same way: the
    // tall picture loses 250 rows at the top and 500 at the bottom, as portraits keep their heads.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(tallPath)});
    QDragEnterEvent enter(QPoint(200, 350), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.window.findChild<QPlainTextEdit *>()->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(200, 350), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.window.findChild<QPlainTextEdit *>()->viewport(), &drop);
    QVERIFY(w.waitUntilSettled());
    QCOMPARE(w.board(), pixels(tall.copy(0, 250, 300, 250)));
    QCOMPARE(w.text(), QString());   // nothing dropped into the text
    QDragEnterEvent enterBoard(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w.window, &enterBoard);
    QVERIFY(enterBoard.isAccepted());
    QDropEvent dropOnBoard(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w.window, &dropOnBoard);
    QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor);
    QVERIFY(w.waitUntilSettled());
    QVERIFY(!QApplication::overrideCursor());

    // Back to the built-in picture, which the menu then no longer offers.
    menu = w.rightClick(0);
    QVERIFY(menu && menu->actions().at(1)->isEnabled());
    menu->actions().at(1)->trigger();
    menu->close();
    QCOMPARE(w.board(), builtIn);
    menu = w.rightClick(0);
    QVERIFY(menu && !menu->actions().at(1)->isEnabled());
    menu->close();
}

void tst_Opening::newestWinsAndTheWindowMayGoFirst()
{
    const QString first = m_pictures + QStringLiteral("/first.png"), second = m_pictures + QStringLiteral("/second.png");
    QImage one(300, 250, QImage::Format_RGB32), two(300, 250, QImage::Format_RGB32);
    one.fill(qRgb(200, 40, 40));
    two.fill(qRgb(40, 40, 200));
    QVERIFY(one.save(first) && two.save(second));
    {
        Window w;
        const QImage builtIn = w.board();
        // Whichever is read first, the newest request holds the board.
        w.window.opener()->open(decoder::FileName::fromPath(first), window::Arrival::Opened);
        w.window.opener()->open(decoder::FileName::fromPath(second), window::Arrival::Opened);
        QTRY_COMPARE(w.settled.count(), 1);
        QTRY_VERIFY(!QApplication::overrideCursor());
        QCOMPARE(w.board(), pixels(two));
        // The built-in picture chosen while a file is read stays.
        w.window.opener()->open(decoder::FileName::fromPath(first), window::Arrival::Opened);
        QMenu *menu = w.rightClick(3);
        QVERIFY(menu);
        menu->actions().at(1)->trigger();
        menu->close();
        QTRY_VERIFY(!QApplication::overrideCursor());
        QCOMPARE(w.board(), builtIn);
        // The window closes while a file is still read.
        w.window.opener()->open(decoder::FileName::fromPath(first), window::Arrival::Opened);
    }
    QCoreApplication::processEvents();
    QVERIFY(!QApplication::overrideCursor());
}

void tst_Opening::badFileChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("shown");   // the name in the message, when not as it is
    const QString notAnImage = QStringLiteral("това не е изображение във формат, който програмата чете");
    QTest::newRow("not an image") << QStringLiteral("бележки.png") << QByteArray("Нощна стража\n") << notAnImage << QString();
    QTest::newRow("empty") << QStringLiteral("празно.jpg") << QByteArray() << QStringLiteral("файлът е празен") << QString();
    QTest::newRow("a folder") << QStringLiteral("папка") << QByteArray() << QStringLiteral("това е папка, а не файл") << QString();
    // An icon file holding one 16 x 16 PNG, as icon files may.
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(icon.save(&buffer, "png"));
    QByteArray ico("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14);
    for (const quint32 value : {quint32(png.size()), quint32(22)})
        for (int i = 0; i < 4; ++i)
            ico += char(value >> (8 * i));
    ico += png;
    QTest::newRow("an icon") << QStringLiteral("икона.ico") << ico << notAnImage << QString();
    // A name is shown as it is: never as markup, never loading what it names, never
    // acting on the text around it, and short enough for the screen.
    QTest::newRow("a name like markup") << QStringLiteral("<img src=loop.mng><font size=7 color=red>голямо.png")
                                        << QByteArray("Нощна стража\n") << notAnImage << QString();
    QTest::newRow("a name turned around") << QStringLiteral("снимка\u202Egnp.exe") << QByteArray("MZ") << notAnImage
                                          << QStringLiteral("снимка⟨U+202E⟩gnp.exe");
    QTest::newRow("a second line") << QStringLiteral("a.png\nФайлът е проверен и е безопасен.png") << QByteArray("MZ")
                                   << notAnImage << QStringLiteral("a.png␊Файлът е проверен и е безопасен.png");
    QTest::newRow("right to left") << QStringLiteral("تصویر بزرگ.png") << QByteArray("MZ") << notAnImage << QString();
    // A web page is read as a lesson, and a lesson's picture is judged as that picture alone.
    const QString notALesson = QStringLiteral("това е уеб страница, а не урок на Kalvero");
    const QByteArray picture = jpeg(bands(600, 500));
    QTest::newRow("a web page") << QStringLiteral("страница.html") << QByteArray("\xEF\xBB\xBF<!doctype html><p>Урок</p>")
                                << notALesson << QString();
    QTest::newRow("the bare page") << QStringLiteral("kalvero.html") << pageWithSlot() << notALesson << QString();
    QTest::newRow("two lessons") << QStringLiteral("урок.html") << lessonFile(picture) + lessonFile(picture)
                                 << QStringLiteral("страницата съдържа повече от един урок") << QString();
    model::Arrangement twice{};
    QTest::newRow("a start of one piece") << QStringLiteral("урок.html") << lessonFile(picture, twice)
                                          << QStringLiteral("началната подредба на урока не съдържа всяка от 30-те части точно веднъж") << QString();
    QTest::newRow("a lesson block cut short") << QStringLiteral("урок.html") << lessonFile(picture).replace("\"picture\"", "\"pic\"")
                                              << QStringLiteral("урокът в страницата е повреден") << QString();
    QTest::newRow("a lesson over 16 MiB") << QStringLiteral("урок.html") << lessonFile(QByteArray(12 << 20, 'x'))
                                          << QStringLiteral("урокът е по-голям от 16 MiB") << QString();
    QTest::newRow("a lesson whose picture is text") << QStringLiteral("урок.html") << lessonFile("Нощна стража\n") << notAnImage << QString();
    QTest::newRow("a lesson whose picture is cut") << QStringLiteral("урок.html") << lessonFile(picture.left(picture.size() / 2))
                                                   << QStringLiteral("изображението е повредено или непълно") << QString();
    QByteArray huge;   // a PNG whose header says 100000 x 100000
    QBuffer hugeBuffer(&huge);
    hugeBuffer.open(QIODevice::WriteOnly);
    QVERIFY(bands(8, 8).save(&hugeBuffer, "png"));
    huge.replace(16, 8, QByteArray("\0\1\x86\xA0\0\1\x86\xA0", 8));
    QTest::newRow("a lesson whose picture is too large") << QStringLiteral("урок.html") << lessonFile(huge)
                                                         << QStringLiteral("изображението е твърде голямо за отваряне") << QString();
    QTest::newRow("255 bytes") << QStringLiteral("начало") + QString(115, u'я') + QStringLiteral("-край.png")
                               << QByteArray("MZ") << notAnImage
                               << QStringLiteral("начало") + QString(23, u'я') + u'…' + QString(21, u'я') + QStringLiteral("-край.png");
}

void tst_Opening::badFileChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QFETCH(QString, shown);
    const QString path = m_pictures + u'/' + name;
    if (name == QStringLiteral("папка")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    Window w;
    w.window.Command1_Click(int(model::Command::Shuffle));
    w.window.Picture2_Click(2);
    w.window.Picture2_Click(3);
    w.window.Command1_Click(int(model::Command::Swap));
    w.window.Picture2_Click(4);
    const QString before = w.state();
    const QImage board = w.board();

    w.window.opener()->open(decoder::FileName::fromPath(path), window::Arrival::Opened);
    QVERIFY(w.waitUntilSettled());
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = w.window.findChild<QMessageBox *>(QStringLiteral("pictureRefused"))) && box->isVisible());
    QCOMPARE(box->windowTitle(), QStringLiteral("Картината не може да се отвори"));
    QVERIFY2(box->frameGeometry().width() < box->screen()->availableGeometry().width(),
             qPrintable(QStringLiteral("the box is %1 pixels wide").arg(box->frameGeometry().width())));
    // The line reads left to right whatever the name, as the box lays it out.
    const auto *laidOut = box->findChild<QTextDocument *>();
    QVERIFY(laidOut);
    QCOMPARE(laidOut->firstBlock().textDirection(), Qt::LeftToRight);
    QCOMPARE(box->text(), QStringLiteral("\u200E„\u2068%1\u2069“ не може да се отвори: %2.").arg(shown.isNull() ? name : shown, reason));
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QVERIFY2((box->geometry().center() - w.window.geometry().center()).manhattanLength() <= 2,
             "the message is centred over the game");
    QCOMPARE(box->buttons().value(0)->text(), QStringLiteral("Добре"));
    box->accept();
    QCOMPARE(w.state(), before);
    QCOMPARE(w.board(), board);
}

void tst_Opening::aDroppedNameKeepsItsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("refusal");   // empty: the picture opens
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(bands(300, 250).save(&buffer, "png"));
    QTest::newRow("a picture") << png << QString();
    QTest::newRow("no picture") << QByteArray("Нощна стража\n")
                                << QStringLiteral("\u200E„\u2068\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD.png\u2069“ не може да се отвори: "
                                                  "това не е изображение във формат, който програмата чете.");
}

void tst_Opening::aDroppedNameKeepsItsBytes()
{
    // "картина.png" in CP1251, as old Windows archives name their files: no UTF-8.
    QFETCH(QByteArray, bytes);
    QFETCH(QString, refusal);
    const QByteArray path = QFile::encodeName(m_pictures) + "/\xEA\xE0\xF0\xF2\xE8\xED\xE0.png";
    {
        std::FILE *file = std::fopen(path.constData(), "wb");
        QVERIFY(file);
        const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), file) == std::size_t(bytes.size());
        QVERIFY(std::fclose(file) == 0 && written);
    }
    Window w;
    QMimeData mime;
    mime.setUrls({QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w.window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w.window, &drop);
    QVERIFY(w.waitUntilSettled());
    QMessageBox *box = w.window.findChild<QMessageBox *>(QStringLiteral("pictureRefused"));
    if (refusal.isEmpty()) {
        QVERIFY2(!box, qPrintable(box ? box->text() : QString()));
        QCOMPARE(w.board(), pixels(bands(300, 250)));
    } else {
        QTRY_VERIFY((box = w.window.findChild<QMessageBox *>(QStringLiteral("pictureRefused"))) && box->isVisible());
        QCOMPARE(box->text(), refusal);
    }
    QVERIFY(std::remove(path.constData()) == 0);
}

void tst_Opening::desktopEntryListsTheReadableTypes()
{
    // "Open with Kalvero" is offered for exactly the picture types the program reads; never
    // for web pages, though a lesson is one: Kalvero is no opener of web pages.
    QFile entry(QStringLiteral(KALVERO_SOURCE_DIR "/packaging/bg.kalvero.Kalvero.desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList listed;
    for (const QString &line : QString::fromUtf8(entry.readAll()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("MimeType=")))
            listed = line.mid(9).split(u';', Qt::SkipEmptyParts);
    }
    listed.sort();
    QCOMPARE(listed, (QStringList{QStringLiteral("image/bmp"), QStringLiteral("image/gif"), QStringLiteral("image/jpeg"),
                                  QStringLiteral("image/png"), QStringLiteral("image/tiff"), QStringLiteral("image/webp")}));
}

void tst_Opening::lessonRoundTrip()
{
    // Saved as the desktop saves it, opened through the decoder child: the painting,
    // the text and the start come back.
    const QImage painting = bands(300, 250);
    model::Arrangement start{};
    std::iota(start.rbegin(), start.rend(), std::uint8_t(0));
    const std::string text = "Звездна нощ\r\n</script><b>Ван Гог</b> \U0001F3A8";
    const QString path = m_pictures + QStringLiteral("/урок.html");
    const QByteArray picture = LessonPicture(painting);
    QCOMPARE(QImage::fromData(picture).size(), QSize(600, 500));
#if defined(KALVERO_HAS_PAGE)
    QVERIFY(lesson::LooksLikeWebPage(CarriedPage().left(1024).toStdString()));
#endif
    // A painting full of detail (140 KB at quality 90) still fits, at a lower quality.
    QImage detailed(1200, 1000, QImage::Format_RGB32);
    for (int y = 0; y < detailed.height(); ++y) {
        for (int x = 0; x < detailed.width(); ++x) {
            const int grain = int((uint(x) * 2654435761u ^ uint(y) * 40503u) >> 27);
            detailed.setPixel(x, y, qRgb(int(128 + 60 * std::sin(x / 5.0) + 50 * std::sin((x + y) / 9.0)) + grain,
                                         int(128 + 70 * std::sin(y / 6.0 + x / 17.0)) + grain,
                                         int(128 + 90 * std::sin(x * y / 900.0)) + grain));
        }
    }
    const QByteArray busy = LessonPicture(detailed);
    QVERIFY2(busy.size() <= lesson::MaxPictureBytes, qPrintable(QString::number(busy.size())));
    QCOMPARE(QImage::fromData(busy).size(), QSize(600, 500));
    QCOMPARE(SaveLesson(path, {picture.toStdString(), text, false, start}, pageWithSlot()), QString());

    Window w;
    QSignalSpy chosen(w.window.opener(), &DesktopPictureOpener::lessonChosen);
    w.window.opener()->open(decoder::FileName::fromPath(path), window::Arrival::Opened);
    QVERIFY(w.waitUntilSettled());
    QCOMPARE(chosen.count(), 1);
    const QImage opened = chosen.at(0).at(0).value<QImage>();
    const lesson::Lesson read = chosen.at(0).at(1).value<lesson::Lesson>();
    QCOMPARE(QString::fromStdString(read.text), QString::fromStdString(text));
    QVERIFY(!read.textCut && read.picture.empty());
    QVERIFY(read.start == start);
    QCOMPARE(opened.size(), painting.size());
    int worst = 0;   // JPEG's loss, away from the edges of the colour blocks
    for (int y = 10; y < 250; y += 20)
        for (int x = 10; x < 300; x += 20)
            for (const int shift : {0, 8, 16})
                worst = qMax(worst, qAbs(int(opened.pixel(x, y) >> shift & 0xFF) - int(painting.pixel(x, y) >> shift & 0xFF)));
    QVERIFY2(worst <= 6, qPrintable(QStringLiteral("a channel off by %1").arg(worst)));
}

// "Запази като урок…" on the window: the picture decoded again at the lesson's size, so
// that fine stripes, which the board's 300 x 250 blurs, stay sharp; the text and the
// start as the window had them; the window free meanwhile.
void tst_Opening::aLessonFromTheMenuIsSharp()
{
    if (!CanSaveLessons())
        QSKIP("this build carries no page");
    QImage stripes(1200, 1000, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, x / 3 % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QString picturePath = m_pictures + QStringLiteral("/ивици.png"), path = m_pictures + QStringLiteral("/ивици.html");
    QVERIFY(stripes.save(picturePath));
    Window w;
    w.window.opener()->open(decoder::FileName::fromPath(picturePath), window::Arrival::Opened);
    QVERIFY(w.waitUntilSettled());
    w.window.Command1_Click(int(model::Command::Shuffle));
    w.window.findChild<QPlainTextEdit *>()->setPlainText(QStringLiteral("Ивици"));

    emit w.window.board()->saveLessonAsked();
    QFileDialog *dialog = nullptr;
    QTRY_VERIFY((dialog = w.window.findChild<QFileDialog *>(QStringLiteral("lessonDialog"))));
    QCOMPARE(QFileInfo(dialog->selectedFiles().value(0)).fileName(), QStringLiteral("ивици.html"));
    dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path) && !QApplication::overrideCursor(), 10000);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    lesson::Lesson read;
    QCOMPARE(lesson::ReadLesson(std::string_view(bytes.constData(), std::size_t(bytes.size())), read), lesson::LessonError::None);
    QCOMPARE(read.text, std::string("Ивици"));
    QVERIFY(read.start == w.window.play().game().history().current());
    const QImage picture = QImage::fromData(QByteArray::fromStdString(read.picture));
    QCOMPARE(picture.size(), QSize(600, 500));
    // Nearer the stripes cut at the lesson's size than to the board's picture enlarged.
    const QSize size(600, 500);
    const QImage sharp = decoder::CutForBoard(stripes, size);
    const QImage blurred = decoder::CutForBoard(decoder::CutForBoard(stripes, QSize(300, 250)), size);
    const auto off = [&sharp](const QImage &image) {
        qint64 sum = 0;
        for (int x = 0; x < 600; ++x)
            sum += qAbs(qGray(image.pixel(x, 250)) - qGray(sharp.pixel(x, 250)));
        return sum / 600;
    };
    QVERIFY2(off(picture) * 3 < off(blurred), qPrintable(QStringLiteral("%1 off, the board's enlarged %2")
                                                             .arg(off(picture)).arg(off(blurred))));
}

void tst_Opening::savingLeavesNoHalfWrittenFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("урок.html"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the lesson before") > 0);
    old.close();
    const lesson::Lesson lesson{std::string(200000, 'x'), "Урок", false, {}};
#if defined(Q_OS_UNIX)
    // A disk that takes no more than 64 KiB of the file: the write fails half way.
    rlimit before{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
    const rlimit small{64 << 10, before.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const QString failed = SaveLesson(path, lesson, pageWithSlot());
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    QCOMPARE(failed, QStringLiteral("„\u2068урок.html\u2069“ не може да се запази: файлът не може да се запише."));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the lesson before"));
    old.close();
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList{QStringLiteral("урок.html")});
#endif
    // A folder no one may write in, root included.
    const QString nowhere = QStringLiteral("/sys/урок.html");
    QCOMPARE(SaveLesson(nowhere, lesson, pageWithSlot()),
             QStringLiteral("„\u2068урок.html\u2069“ не може да се запази: няма права за запис в тази папка."));
    QVERIFY(!QFile::exists(nowhere));
    // And where it can, the file is replaced whole.
    QCOMPARE(SaveLesson(path, lesson, pageWithSlot()), QString());
    QVERIFY(old.open(QIODevice::ReadOnly));
    lesson::Lesson read;
    QCOMPARE(lesson::ReadLesson(old.readAll().toStdString(), read), lesson::LessonError::None);
    QCOMPARE(read.picture.size(), lesson.picture.size());
}

QTEST_MAIN(tst_Opening)
#include "tst_opening.moc"
