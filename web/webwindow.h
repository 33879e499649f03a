// webwindow.h: the game's window in the page: its controls, their places, colours
// and texts, and its handlers.
#pragma once

#include "forms/random.h"
#include "model/game.h"
#include "web/boardcursor.h"
#include "web/dom.h"
#include "web/pagepictureopener.h"
#include "web/webboard.h"

#include <vector>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct EmscriptenKeyboardEvent;

// The element with id Kalvero is the window's client area, 466 x 424 CSS pixels,
// centred in the page on whole pixels (by the page's style). It holds the title line, the board, the
// four command buttons and the message box, each at its designed place. The
// window holds the game and the generator; a click or a command goes to the game
// first, then PaintBoard brings the board up to date and the message box takes
// the command's text change.
class WebWindow
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

private:
    void focusMessageBox();
    bool keyDown(const EmscriptenKeyboardEvent &event);
    void moveFocus(bool backwards);   // Tab and Shift+Tab: a closed cycle
    int focusStop() const;            // where the focus is in the Tab cycle; -1 off it
    void applyText(const model::TextChange &change);
    void announce(std::string_view text);
    void usePicture(const std::string &url);
    // A glance at the whole painting: it covers the board until the next click or key,
    // which does nothing else. The game, its picks, the cursor and the message box
    // stay as they were.
    void showWholePicture();
    void endGlance();
    bool swallowedByGlance(web::val event);   // a pointer event or a key's release; true when taken
    void endingBegins();   // from the click or key that ended a glance, until endingDone,
    void endingDone();     // every pointer event and key release is swallowed
    PagePictureOpener::Focus saveFocus() const;
    void restoreFocus(const PagePictureOpener::Focus &focus);

    model::Game m_game;
    forms::ClockRandom m_random;
    web::val m_window = web::val::null(), m_label1 = web::val::null(), m_text1 = web::val::null(),
             m_announcer = web::val::null(), m_glanceStatus = web::val::null();
    std::vector<web::val> m_command1;   // by button index
    std::unique_ptr<WebBoard> m_board;
    std::unique_ptr<BoardCursor> m_cursor;
    std::unique_ptr<PagePictureOpener> m_opener;
    bool m_keyboardLast = true;            // the last input was a key, not a pointer
    std::optional<bool> m_restoringMark;   // the mark as it was, while the focus goes back
    bool m_glancing = false;
    bool m_endingGlance = false;           // the rest of the click or key that ended a glance is still coming
    int m_endingTimer = 0;
};
