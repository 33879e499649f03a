// pagepictureopener.h: a picture of the player's own: the board's menu, the file input,
// reading and decoding in the browser, and the refusal of a file that gives none.
#pragma once

#include "lesson/lesson.h"
#include "picture/picture.h"
#include "web/dom.h"
#include "window/play.h"
#include "window/texts.h"

#include <array>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The file is read and decoded in a Web Worker (worker.cpp, worker.js) under a
// watchdog, as the desktop's decoder child does it: the core's rules, libjpeg-turbo for
// a JPEG, the browser's own decoders for PNG, GIF, WebP and BMP. Only the newest
// request counts: a file still under way when another is chosen is dropped, and its
// worker ended.
class PagePictureOpener
{
public:
    struct Focus   // where the focus was, and whether the board's mark showed
    {
        web::val element = web::val::null();
        bool markShown = false;
    };

    // chosen(picture, lesson) gets the board's part of a picture as an ImageBitmap in the
    // board's proportions, as sharp as the board can be on this screen (and at least a
    // lesson's picture), or null for the built-in picture; for a lesson's page, its
    // {text, textCut, start} (start: 30 tiles or null), else null. act(act) does the
    // menu's "Запази като урок…", "Покажи цялата картина" and "Покажи циклите". The two
    // focus callbacks save and bring back the focus around the menu and the refusal.
    static void Write(web::Markup &markup);   // the file input, the menu and the refusal
    PagePictureOpener(web::val window, std::function<void(web::val picture, web::val lesson)> chosen,
                      std::function<void(window::MenuAct)> act, std::function<Focus()> saveFocus,
                      std::function<void(const Focus &)> restoreFocus);

    void open(web::val file);   // a File the player chose or dropped, or this page's own lesson
    // Saves the board's picture, `text` and `start` as a lesson: this page with them in
    // its lesson block, downloaded under the picture's name.
    void saveLesson(std::string_view text, const std::optional<model::Arrangement> &start);
    // In the refusal's box, over the window, under a title of its own.
    void tell(std::string_view text, std::string_view title = window::texts::CannotOpenTitle);
    static constexpr int Items = window::MenuItems;   // the board's menu
    void showMenu(int x, int y, const std::array<window::MenuItem, Items> &items);   // at a point of the window
    bool menuOpen() const { return m_menuOpen; }
    bool dialogOpen() const { return m_dialog["open"].as<bool>(); }
    bool menuKeyDown(std::string_view key);   // while the menu is open; true when taken
    void closeMenu();

    // Called by the page's glue when the worker's picture (an ImageBitmap, and a lesson
    // or null) or its refusal (a picture's error, or a lesson's) arrives, and when a
    // lesson's picture is made.
    void decoded(int request, web::val file, web::val bitmap, web::val lesson);
    void failed(int request, web::val file, int error, int lessonError);
    void lessonPictureMade(web::val jpeg);

private:
    void refuse(web::val file, picture::PictureError error);
    void refuseLesson(web::val file, lesson::LessonError error);
    void activate(int item);
    void focusItem(int item);

    web::val m_window;
    std::function<void(web::val, web::val)> m_chosen;
    std::function<void(window::MenuAct)> m_act;
    std::function<Focus()> m_saveFocus;
    std::function<void(const Focus &)> m_restoreFocus;
    web::val m_input = web::val::null(), m_menu = web::val::null(), m_dialog = web::val::null(),
             m_message = web::val::null();
    static constexpr const char *MenuIds[Items] = {"openPicture", "builtInPicture", "saveLesson",
                                                   "showWholePicture", "showCycles"};   // by act
    static_assert(MenuIds[Items - 1], "an id for every item of the menu");
    // A val has no empty state: the compiler asks for an element here for each item.
    web::val m_items[Items] = {web::val::null(), web::val::null(), web::val::null(), web::val::null(),
                               web::val::null()};
    Focus m_menuFocus, m_dialogFocus;
    bool m_menuOpen = false;
    std::array<window::MenuItem, Items> m_menuItems = window::Play::Menu(true);
    int m_item = 0;
    int m_newest = 0;   // the request that counts
    std::string m_pictureName;   // the file the board's picture came from; empty: the built-in one
    lesson::Lesson m_saving;     // the lesson being saved, while its picture is made
    bool m_savingNow = false;
};
