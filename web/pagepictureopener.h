// pagepictureopener.h: a picture of the player's own: the board's menu, the file input,
// reading and decoding in the browser, and the refusal of a file that gives none.
#pragma once

#include "picture/picture.h"
#include "web/dom.h"
#include "window/play.h"

#include <array>

#include <functional>
#include <string>
#include <string_view>

// The browser's own decoders read the file (createImageBitmap, with the EXIF
// orientation applied) at full size; the page first applies the core's rules to the
// file's first bytes, refusing a file that is no picture, a TIFF, which browsers do
// not read, one too large, or a GIF or BMP cut short. Only the newest request
// counts: a file still under way when another is chosen is dropped.
class PagePictureOpener
{
public:
    struct Focus   // where the focus was, and whether the board's mark showed
    {
        web::val element = web::val::null();
        bool markShown = false;
    };

    // chosen(picture) gets the board's part of a picture as a canvas in the board's
    // proportions, as sharp as the largest board needs, or null for the built-in
    // picture; glance() is the menu's "Покажи цялата картина". The two
    // focus callbacks save and bring back the focus around the menu and the refusal.
    static void Write(web::Markup &markup);   // the file input, the menu and the refusal
    PagePictureOpener(web::val window, std::function<void(web::val picture)> chosen, std::function<void()> glance,
                      std::function<Focus()> saveFocus, std::function<void(const Focus &)> restoreFocus);

    void open(web::val file);   // a File the player chose or dropped
    void tell(std::string_view text);   // in the refusal's box, over the window
    static constexpr int Items = 3;   // the board's menu
    void showMenu(int x, int y, const std::array<window::MenuItem, Items> &items);   // at a point of the window
    bool menuOpen() const { return m_menuOpen; }
    bool dialogOpen() const { return m_dialog["open"].as<bool>(); }
    bool menuKeyDown(std::string_view key);   // while the menu is open; true when taken
    void closeMenu();

    // Called by the page's glue when the file's first bytes (or all of them), or its decoded
    // picture, arrive; a failure names its stage.
    void bytesRead(int request, web::val file, web::val bytes);
    void decoded(int request, web::val file, web::val bitmap);
    void failed(int request, web::val file, picture::PictureError error);

private:
    void refuse(web::val file, picture::PictureError error);
    void activate(int item);
    void focusItem(int item);

    web::val m_window;
    std::function<void(web::val)> m_chosen;
    std::function<void()> m_glance;
    std::function<Focus()> m_saveFocus;
    std::function<void(const Focus &)> m_restoreFocus;
    web::val m_input = web::val::null(), m_menu = web::val::null(), m_dialog = web::val::null(),
             m_message = web::val::null();
    static constexpr const char *MenuIds[Items] = {"openPicture", "builtInPicture", "showWholePicture"};   // by act
    web::val m_items[Items] = {web::val::null(), web::val::null(), web::val::null()};
    Focus m_menuFocus, m_dialogFocus;
    bool m_menuOpen = false;
    std::array<window::MenuItem, Items> m_menuItems = window::Play::Menu(true);
    int m_item = 0;
    int m_newest = 0;   // the request that counts
    int m_readingAll = 0;   // the request whose whole file is being read
};
