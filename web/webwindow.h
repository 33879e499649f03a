// webwindow.h: the game's window in the page: its controls, their places, colours
// and texts, and the page's events turned into the play layer's acts.
#pragma once

#include "forms/random.h"
#include "web/dom.h"
#include "web/pagepictureopener.h"
#include "web/webboard.h"
#include "window/messagebox.h"
#include "window/play.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct EmscriptenKeyboardEvent;

// The element with id Kalvero is the window's client area, 466 x 424 CSS pixels at the
// page's scale, centred in the viewport on whole device pixels (layOut). It holds the title line,
// the board, the four command buttons and the message box, each at its designed
// place. Every click, key and command goes to the play layer, and what it changed is
// presented: the board painted, the message box given its text, readers told.
class WebWindow : private window::MessageBox
{
public:
    explicit WebWindow(forms::ClockRandom random);
    // The window's elements as markup, in the state start-up leaves them: the
    // build puts it into the page's file, so that the window shows before the
    // WebAssembly has started.
    static std::string Markup();

    void Form_Load();
    void Command1_Click(int index);   // by button index, 0 to 3
    void Picture2_Click(int index);   // by slot, 0 to 29
    void endGlance();                 // the click that ends a glance (the page's input guard)
    void layOut();                    // the viewport or its pixel ratio changed
    void boardReady();                // the board's source is decoded
    void pressedLong(double clientX, double clientY);   // a long press on the board: its menu

private:
    void present(const window::Shown &shown);
    void setText(std::string_view text) override;   // the message box
    void append(std::string_view line) override;
    void announce(std::string_view text);
    void focusMessageBox();
    bool keyDown(const EmscriptenKeyboardEvent &event);
    void moveFocus(bool backwards);   // Tab and Shift+Tab: a closed cycle
    int focusStop() const;            // where the focus is in the Tab cycle; -1 off it
    void usePicture(web::val picture, web::val lesson);   // null: the built-in one
    void showMenuAt(double clientX, double clientY);   // the board's menu at a point of the screen
    PagePictureOpener::Focus saveFocus() const;
    void restoreFocus(const PagePictureOpener::Focus &focus);

    window::Play m_play;
    web::val m_window = web::val::null(), m_text1 = web::val::null(), m_announcer = web::val::null(),
             m_glanceStatus = web::val::null(), m_cyclesLine = web::val::null();
    std::vector<web::val> m_command1;   // by button index
    std::unique_ptr<WebBoard> m_board;
    std::unique_ptr<PagePictureOpener> m_opener;
    std::optional<bool> m_restoringMark;   // the mark as it was, while the focus goes back
    double m_unit = 0;                     // device pixels to a design pixel, as the board was last laid out
};
