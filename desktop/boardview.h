// boardview.h: the board on the desktop: one widget over the source picture's
// rectangle, the play layer's drawing surface.
#pragma once

#include "board/surface.h"
#include "forms/numbers.h"
#include "window/play.h"

#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <functional>

// A control's place in pixels from its place in twips.
QRect TwipsToRect(const forms::TwipRect &twips);

// Draws what the play layer's PaintBoard tells it into a picture of the board at
// device pixels, which every paint event shows; so a slot goes on showing what was
// last drawn there. It turns the mouse, the keys, the focus and the menu on the board
// into the play layer's acts, and hands what each act changed to `present`. Screen
// readers meet it as a table of 5 rows and 6 columns whose cells are the slots
// (boardaccessible.h). The cursor's mark shows only while the board has keyboard
// focus, which a click never gives it.
class BoardView : public QWidget, public board::Surface
{
    Q_OBJECT

public:
    using Presenter = std::function<void(const window::Shown &shown)>;
    BoardView(window::Play &play, Presenter present, QWidget *window);

    const window::Play &play() const { return m_play; }
    // The picture the pieces are cut from, in the board's proportions: 300 x 250 or the
    // board's size in device pixels, or null for the built-in one.
    void setSource(const QImage &picture);
    const QPixmap &source() const { return m_source; }

    QRect slotRect(int slot) const;          // in the board's pixels; 0 <= slot < PieceCount
    int slotAt(const QPoint &point) const;   // -1 outside every slot
    void pressSlot(int slot);                // a click's effect, as a reader's press asks for it

    // What an act changed beyond the slots, for screen readers: the cursor's cell, the
    // board's name during a glance (the whole picture, or the cycles' status line), and
    // the glance's end by the next click or key.
    void shown(const window::Shown &shown);

signals:
    void openPictureAsked();      // the menu's "Отвори картина…"
    void builtInPictureAsked();   // the menu's "Върни вградената картина"
    void saveLessonAsked();       // the menu's "Запази като урок…", offered when the program carries its page

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // board::Surface, in device pixels on m_drawn.
    void tile(int slot, const forms::PixelRect &place, const forms::PixelRect &cut) override;
    void border(int slot, const forms::PixelRect &place) override;
    void mark(int slot, const forms::PixelRect &place) override;
    void dim(int slot, const forms::PixelRect &place) override;
    void outline(int slot, const forms::PixelRect &place, board::Rgb colour) override;
    void whole(bool shown) override;
    QRect device(const forms::PixelRect &place) const;   // a place in whole device pixels
    int unit() const;                                    // device pixels to a design pixel, whole
    QPixmap forDevice(const QImage &picture) const;

    // board::Surface, for screen readers: the cells' names and selection, told as events.
    void label(int slot, std::string_view tooltip, std::string_view name) override;
    void selected(int slot, bool picked) override;
    void announceCursor();

    window::Play &m_play;
    Presenter m_present;
    void redrawForScreen();   // at the board's current device pixels, after a change of screen

    const QImage m_builtIn;    // the program's own picture
    QImage m_picture;          // the picture the pieces are cut from, as given; null: the built-in one
    QPixmap m_source;          // that picture at the board's device pixels
    QPixmap m_drawn;           // the board as drawn, at device pixels
    bool m_redrawQueued = false;
    int m_pressed = -1;        // the slot a left press began on
    bool m_ending = false;     // the click or key that ended a glance is still coming in
};
