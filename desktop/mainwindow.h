// mainwindow.h: the game's one window: the title label, the board, the four
// command buttons and the message box.
#pragma once

#include "forms/random.h"
#include "model/game.h"
#include "desktop/desktoppictureopener.h"

#include <QWidget>

#include <array>
#include <optional>

class BoardView;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// A fixed 466 x 424 window. It holds the game and the generator by value; every
// click goes to the game first, and the board is brought up to date from it. A
// picture of the player's own comes by the board's right-click menu, by a file
// dropped on the window, or from the command line (DesktopPictureOpener).
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // With a picture named on the command line, its reading starts before anything else.
    explicit MainWindow(forms::ClockRandom random, const std::optional<decoder::FileName> &startPicture = {},
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    const model::Game &game() const { return m_game; }
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
    void applyText(const model::TextChange &change);
    void usePicture(const QImage &picture, DesktopPictureOpener::Arrival arrival);   // null: the built-in one
    bool takeDrop(QDropEvent *event);

    model::Game m_game;
    forms::ClockRandom m_random;
    BoardView *m_board = nullptr;
    DesktopPictureOpener *m_opener = nullptr;
    bool m_played = false;   // a click or a command since the start
    QLabel *m_label1 = nullptr;
    QPlainTextEdit *m_text1 = nullptr;
    std::array<QPushButton *, 4> m_command1{};
};
