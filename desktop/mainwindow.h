// mainwindow.h: the game's one window: the title label, the board, the four
// command buttons and the message box.
#pragma once

#include "desktop/desktoppictureopener.h"
#include "forms/random.h"
#include "window/messagebox.h"
#include "window/play.h"

#include <QWidget>

#include <array>
#include <future>
#include <optional>
#include <vector>

class BoardView;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// A fixed 466 x 424 window. It holds the play layer, which holds the game and the
// generator; every click, key and command goes to it, and what it changed is
// presented: the board painted, the message box given its text, readers told. A
// picture of the player's own comes by the board's right-click menu, by a file
// dropped on the window, or from the command line (DesktopPictureOpener).
class MainWindow : public QWidget, private window::MessageBox
{
    Q_OBJECT

public:
    // With a picture named on the command line, its reading starts before anything else.
    explicit MainWindow(forms::ClockRandom random, const std::optional<decoder::FileName> &startPicture = {},
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    const window::Play &play() const { return m_play; }
    BoardView *board() const { return m_board; }
    DesktopPictureOpener *opener() const { return m_opener; }

    void Command1_Click(int index);
    void Picture2_Click(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void Form_Load();
    void present(const window::Shown &shown);
    void setText(std::string_view text) override;   // the message box
    void append(std::string_view line) override;
    void usePicture(const QImage &picture, window::Arrival arrival);   // null: the built-in one
    void useLesson(const QImage &picture, const lesson::Lesson &lesson);
    void saveLesson();   // the board's menu: asks where, then writes the lesson there
    // The lesson written to `path` away from the interface thread: its picture decoded
    // again from its file at the lesson's size where it can be, the file written in a
    // thread of its own, whatever the drive does; a failure is told.
    void writeLesson(const QString &path);
    bool takeDrop(QDropEvent *event);

    window::Play m_play;
    BoardView *m_board = nullptr;
    DesktopPictureOpener *m_opener = nullptr;
    QLabel *m_label1 = nullptr;
    QPlainTextEdit *m_text1 = nullptr;
    QLabel *m_cyclesLine = nullptr;   // the cycles' status line, shown while they show
    QImage m_picture;   // the board's source as it came, null for the built-in one: a lesson's picture
    std::array<QPushButton *, 4> m_command1{};
    std::vector<std::future<void>> m_lessonsWritten;   // each ready once its lesson's file is written or refused
};
