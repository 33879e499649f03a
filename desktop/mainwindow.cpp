// mainwindow.cpp: the window's controls, their places, colours and texts, and its handlers.
#include "desktop/mainwindow.h"

#include "desktop/boardview.h"
#include "board/geometry.h"
#include "desktop/resource.h"
#include "desktop/qtext.h"
#include "window/layout.h"
#include "window/texts.h"
#include "desktop/colourbutton.h"
#include "desktop/desktoppictureopener.h"
#include "desktop/decoder/reader.h"
#include "desktop/lessonfile.h"

#include <QAccessibleWidget>
#include <QDropEvent>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QTranslator>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCursor>
#include <QPointer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>

namespace {

QColor colour(window::layout::Rgb rgb) { return QColor(QRgb(0xFF000000 | rgb)); }

// The reader that decodes a lesson's picture again, at the lesson's size.
const QString LessonReader = QStringLiteral("lessonPicture");

// Screen readers meet the game as a window named by its title, whose children are
// the shown controls in reading order.
class WindowAccessible : public QAccessibleWidget
{
public:
    explicit WindowAccessible(QWidget *window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return int(controls().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> shown = controls();
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(controls().indexOf(qobject_cast<QWidget *>(child->object()))) : -1;
    }

private:
    // In reading order: top to bottom, then left to right.
    QList<QWidget *> controls() const
    {
        QList<QWidget *> shown;
        for (QObject *object : widget()->children()) {
            auto *control = qobject_cast<QWidget *>(object);
            if (control && !control->isWindow() && !control->isHidden())
                shown << control;
        }
        std::stable_sort(shown.begin(), shown.end(), [](const QWidget *a, const QWidget *b) {
            return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
        });
        return shown;
    }
};

QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("MainWindow") && object && object->isWidgetType())
        return new WindowAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

MainWindow::MainWindow(forms::ClockRandom random, const std::optional<decoder::FileName> &startPicture, QWidget *parent)
    : QWidget(parent), m_play(random)
{
    namespace layout = window::layout;
    // Qt's own texts, in its file dialog and the message box's menu, in the game's language.
    static QTranslator qtTexts;
    if (qtTexts.isEmpty() && qtTexts.load(QStringLiteral("qtbase_bg"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    m_opener = new DesktopPictureOpener(this);
    // A picture of one's own is cut at the board's device pixels, so that it stays sharp when zoomed.
    m_opener->setTarget(QSize(qRound(picture::PictureWidth * devicePixelRatioF()), qRound(picture::PictureHeight * devicePixelRatioF())));
    connect(m_opener, &DesktopPictureOpener::pictureChosen, this, &MainWindow::usePicture);
    if (startPicture)
        m_opener->open(*startPicture, window::Arrival::AtStart);   // decodes while the window is made
    static const bool accessible = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    setObjectName(QStringLiteral("Kalvero"));
    setWindowTitle(toQString(window::texts::WindowTitle));
    setWindowIcon(QPixmap::fromImage(ReadResource(QStringLiteral(":/resources/icon.png"), "png")));
    setFixedSize(TwipsToRect(layout::ClientArea).size());
    QPalette lavender = palette();
    lavender.setColor(QPalette::Window, colour(layout::WindowColour));
    setPalette(lavender);
    setAutoFillBackground(true);
    setFont(QFont(toQString(layout::FontFamily), layout::FontPoints));

    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1_0"));
    m_text1->setGeometry(TwipsToRect(layout::Text1));
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text1->setWordWrapMode(QTextOption::WordWrap);
    m_text1->setTabChangesFocus(true);
    m_text1->setUndoRedoEnabled(false);   // the log grows without bound; keep no undo steps for it
    m_text1->setPlainText(toQString(window::texts::HelpText));
    m_text1->setAccessibleName(toQString(window::texts::MessageBoxName));

    m_label1 = new QLabel(toQString(window::texts::BoardTitle), this);
    m_label1->setObjectName(QStringLiteral("Label1_0"));
    m_label1->setGeometry(TwipsToRect(layout::Label1));
    m_label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette orange = m_label1->palette();
    orange.setColor(QPalette::Window, colour(layout::Label1Colour));
    m_label1->setPalette(orange);
    m_label1->setAutoFillBackground(true);

    m_board = new BoardView(m_play, [this](const window::Shown &shown) { present(shown); }, this);

    for (int i = 0; i < 4; ++i) {
        auto *button = new ColourButton(toQString(window::texts::Commands[i]), colour(layout::Command1[i].face), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(i));
        button->setGeometry(TwipsToRect(layout::Command1[i].place));
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        m_command1[std::size_t(i)] = button;
    }

    // The cycles' status line, over everything below the board while the cycles show.
    m_cyclesLine = new QLabel(this);
    m_cyclesLine->setObjectName(QStringLiteral("cyclesLine"));
    m_cyclesLine->setGeometry(TwipsToRect(window::CyclesLine));
    m_cyclesLine->setAlignment(Qt::AlignCenter);
    m_cyclesLine->setPalette(orange);
    m_cyclesLine->setAutoFillBackground(true);
    m_cyclesLine->hide();

    // Tab order: the message box, the board as one stop, then the buttons; the label
    // takes no focus.
    setTabOrder(m_text1, m_board);
    setTabOrder(m_board, m_command1[0]);
    for (int i = 0; i < 3; ++i)
        setTabOrder(m_command1[std::size_t(i)], m_command1[std::size_t(i) + 1]);
    m_text1->setFocus();

    // The desktop's undo shortcut presses "Ход назад" wherever the focus is. The
    // message box keeps no undo steps of its own, so it yields the keys (eventFilter).
    auto *undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, [this] { present(m_play.key(window::Key::Undo, false)); });
    m_text1->installEventFilter(this);

    connect(m_board, &BoardView::openPictureAsked, m_opener, &DesktopPictureOpener::askForFile);
    connect(m_board, &BoardView::builtInPictureAsked, m_opener, &DesktopPictureOpener::useBuiltIn);
    connect(m_board, &BoardView::saveLessonAsked, this, &MainWindow::saveLesson);
    connect(m_opener, &DesktopPictureOpener::lessonChosen, this,
            [this](const QImage &picture, const lesson::Lesson &lesson) { useLesson(picture, lesson); });
    setAcceptDrops(true);
    m_text1->viewport()->installEventFilter(this);   // a file dropped on the message box opens too

    Form_Load();
}

MainWindow::~MainWindow()
{
    // A lesson asked for as the game closes is still written: its picture read to the
    // end and its file finished, unless a drive stops answering for this long.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (decoder::PictureReader *reader : findChildren<decoder::PictureReader *>(LessonReader, Qt::FindDirectChildrenOnly)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        reader->waitForFinished(int(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
    }
    for (const std::future<void> &written : m_lessonsWritten)
        written.wait_until(until);
    // The board acts on the play layer to its last event (losing the focus as the window
    // goes): it goes first, while the play layer is still there.
    delete m_board;
}

void MainWindow::Form_Load()
{
    m_play.PaintBoard(*m_board);
}

void MainWindow::Command1_Click(int index) { present(m_play.Command1_Click(index)); }

void MainWindow::Picture2_Click(int index) { present(m_play.Picture2_Click(index)); }

void MainWindow::present(const window::Shown &shown)
{
    m_play.PaintBoard(*m_board);
    m_board->shown(shown);
    if (shown.glance) {
        if (m_play.cyclesShown())
            m_cyclesLine->setText(toQString(m_play.boardName()));
        m_cyclesLine->setVisible(m_play.cyclesShown());
    }
    window::ApplyText(shown.text, *this);
}

void MainWindow::usePicture(const QImage &picture, window::Arrival arrival)
{
    m_picture = picture;
    m_board->setSource(picture);
    present(m_play.pictureChanged(arrival));
}

void MainWindow::useLesson(const QImage &picture, const lesson::Lesson &lesson)
{
    m_picture = picture;
    m_board->setSource(picture);
    present(m_play.lessonArrived(lesson.text, lesson.textCut, lesson.start));
}

void MainWindow::saveLesson()
{
    auto *dialog = new QFileDialog(this, toQString(window::texts::SaveLessonTitle),
                                   toQString(lesson::SuggestedName(m_opener->pictureFileName().toStdString())),
                                   toQString(window::texts::LessonFilter));
    dialog->setObjectName(QStringLiteral("lessonDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("html"));
    connect(dialog, &QFileDialog::fileSelected, this, &MainWindow::writeLesson);
    dialog->open();
}

void MainWindow::writeLesson(const QString &path)
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const lesson::Lesson words{{}, m_text1->toPlainText().toStdString(), false, m_play.lessonStart()};
    const QImage board = m_picture.isNull() ? ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg") : m_picture;
    const auto write = [this, path, words](const QImage &source) {
        // The thread owns what it uses and lets it go before it says it is done; its verdict
        // comes back to the interface thread, to a window that may have closed meanwhile.
        struct Job { QPointer<MainWindow> owner; QString path; lesson::Lesson lesson; QImage source; };
        auto job = std::make_unique<Job>(Job{this, path, words, source});
        std::promise<void> done;
        std::erase_if(m_lessonsWritten, [](const std::future<void> &written) {
            return written.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        });
        m_lessonsWritten.push_back(done.get_future());
        std::thread([job = std::move(job), done = std::move(done)]() mutable {
            job->lesson.picture = LessonPicture(job->source).toStdString();
            QMetaObject::invokeMethod(qApp, [owner = job->owner, why = SaveLesson(job->path, job->lesson)] {
                QApplication::restoreOverrideCursor();
                if (why.isEmpty() || !owner)
                    return;
                auto *box = new QMessageBox(QMessageBox::Warning, toQString(window::texts::CannotSaveTitle), why,
                                            QMessageBox::Ok, owner);
                box->setObjectName(QStringLiteral("lessonRefused"));
                box->setTextFormat(Qt::PlainText);   // a file's name is never markup
                box->button(QMessageBox::Ok)->setText(toQString(window::texts::Understood));
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->open();
            }, Qt::QueuedConnection);
            job.reset();
            done.set_value();
        }).detach();
    };
    const std::optional<decoder::FileName> &file = m_opener->pictureFile();
    if (!file) {
        write(board);
        return;
    }
    // The board keeps its picture at its own size; a lesson's is twice that, from the file
    // while it is there, as any picture, in the decoder child.
    auto *reader = new decoder::PictureReader(this);
    reader->setObjectName(LessonReader);
    connect(reader, &decoder::PictureReader::finished, this, [reader, board, write](const decoder::Decoded &decoded) {
        reader->deleteLater();
        write(decoded.opened() ? decoded.picture : board);
    });
    reader->start(*file, QSize(lesson::PictureWidth, lesson::PictureHeight));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text1 && event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo))
        return true;   // not taken by the box: the window's shortcut runs
    if (watched == m_text1->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            if (takeDrop(static_cast<QDropEvent *>(event)))
                return true;
            break;   // text and other drops are the box's own
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    takeDrop(event);
}

void MainWindow::dropEvent(QDropEvent *event)
{
    takeDrop(event);
}

bool MainWindow::takeDrop(QDropEvent *event)
{
    const QString path = DesktopPictureOpener::droppedFile(event->mimeData());
    if (path.isEmpty() || !(event->possibleActions() & Qt::CopyAction))
        return false;
    event->setDropAction(Qt::CopyAction);   // the file stays where it is
    event->accept();
    if (event->type() == QEvent::Drop)
        m_opener->open(decoder::FileName::fromPath(path), window::Arrival::Opened);
    return true;
}

void MainWindow::setText(std::string_view text)
{
    if (text.empty())
        m_text1->clear();
    else
        m_text1->setPlainText(toQString(text));
}

void MainWindow::append(std::string_view line)
{
    // Appends after whatever the box holds, typed text included, without moving the
    // player's cursor; the view follows the newest line.
    QTextCursor end(m_text1->document());
    end.movePosition(QTextCursor::End);
    end.insertText(toQString(line));
    m_text1->verticalScrollBar()->setValue(m_text1->verticalScrollBar()->maximum());
}
