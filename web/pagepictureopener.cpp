// pagepictureopener.cpp: the menu, the file input, the browser's decoding and the refusals.
#include "web/pagepictureopener.h"

#include "window/texts.h"
#include "picture/wholeness.h"
#include "picture/format.h"

#include <emscripten.h>
#include <emscripten/bind.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

using picture::PictureError;
using web::val;

namespace {

// The most pixels across a board needs: the page's largest scale, 4, on a screen of two
// device pixels to the CSS pixel.
constexpr int BoardPixels = picture::PictureWidth * 8;

PagePictureOpener *opener = nullptr;   // the page has one window, and it lives as long as the page

void bytesRead(int request, val file, val bytes) { opener->bytesRead(request, file, bytes); }
void decoded(int request, val file, val bitmap) { opener->decoded(request, file, bitmap); }
void failed(int request, val file, int error) { opener->failed(request, file, PictureError(error)); }

std::string fileName(val file)
{
    const std::string name = file["name"].as<std::string>();
    return name.empty() ? std::string("?") : name;
}

} // namespace

EMSCRIPTEN_BINDINGS(kalvero_picture)
{
    emscripten::function("kalveroBytesRead", &bytesRead);
    emscripten::function("kalveroDecoded", &decoded);
    emscripten::function("kalveroFailed", &failed);
}

using emscripten::EM_VAL;

// A read that fails is ReadFailed (5); a decoding that fails is Damaged (10).
EM_JS(void, kalvero_read, (int request, EM_VAL file, double bytes), {
    const f = Emval.toValue(file);
    f.slice(0, bytes).arrayBuffer().then(
        function(buffer) { Module["kalveroBytesRead"](request, f, new Uint8Array(buffer)); },
        function() { Module["kalveroFailed"](request, f, 5); });
});
EM_JS(void, kalvero_decode, (int request, EM_VAL file), {
    const f = Emval.toValue(file);
    createImageBitmap(f, {imageOrientation: "from-image"}).then(
        function(bitmap) { Module["kalveroDecoded"](request, f, bitmap); },
        function() { Module["kalveroFailed"](request, f, 10); });
});

void PagePictureOpener::Write(web::Markup &markup)
{
    // The file input is never a Tab stop and never shown; the menu opens it.
    markup.open("input", "pictureFile")
        .attribute("type", "file")
        .attribute("accept", "image/*")
        .attribute("tabindex", "-1")
        .attribute("aria-hidden", "true")
        .attribute("hidden", "")
        .close();
    markup.open("div", "pictureMenu").attribute("role", "menu").attribute("hidden", "");
    for (const window::MenuItem &item : window::Play::Menu(true)) {
        if (item.separatorBefore)
            markup.open("div").attribute("role", "separator").close();
        markup.open("div", MenuIds[int(item.act)]).attribute("role", "menuitem").attribute("tabindex", "-1");
        markup.text(item.text).close();
    }
    markup.close();
    markup.open("dialog", "pictureRefused")
        .attribute("role", "alertdialog")
        .attribute("aria-modal", "true")
        .attribute("aria-labelledby", "pictureRefusedTitle")
        .attribute("aria-describedby", "pictureRefusedText");
    markup.open("h2", "pictureRefusedTitle").text(window::texts::CannotOpenTitle).close();
    markup.open("p", "pictureRefusedText").close();
    markup.open("form", "pictureRefusedForm").attribute("method", "dialog");
    markup.open("button", "pictureRefusedOk").text(window::texts::Understood).close();
    markup.close().close();
}

PagePictureOpener::PagePictureOpener(val window, std::function<void(val)> chosen, std::function<void()> glance,
                             std::function<Focus()> saveFocus, std::function<void(const Focus &)> restoreFocus)
    : m_window(window), m_chosen(std::move(chosen)), m_glance(std::move(glance)), m_saveFocus(std::move(saveFocus)),
      m_restoreFocus(std::move(restoreFocus))
{
    assert(!opener);
    opener = this;
    static_assert(int(PictureError::ReadFailed) == 5 && int(PictureError::Damaged) == 10);

    m_input = web::ById("pictureFile");
    m_menu = web::ById("pictureMenu");
    for (int i = 0; i < Items; ++i)
        m_items[i] = web::ById(MenuIds[i]);
    m_dialog = web::ById("pictureRefused");
    m_message = web::ById("pictureRefusedText");
    web::Listen(m_input, "change", [this](val) {
        val files = m_input["files"];
        if (files["length"].as<int>() > 0)
            open(files[0]);
        m_input.set("value", std::string());   // the same file can be chosen again
        return false;
    });

    for (int i = 0; i < Items; ++i) {
        web::Listen(m_items[i], "click", [this, i](val) {
            activate(i);
            return true;
        });
        web::Listen(m_items[i], "pointermove", [this, i](val) {
            if (m_item != i)
                focusItem(i);
            return false;
        });
    }
    web::Listen(m_menu, "contextmenu", [](val) { return true; });
    // A press anywhere off the menu closes it.
    web::Listen(web::Document(), "pointerdown", [this](val event) {
        if (m_menuOpen && !m_menu.call<bool>("contains", event["target"]))
            closeMenu();
        return false;
    }, true);

    web::Listen(m_dialog, "close", [this](val) {
        m_restoreFocus(m_dialogFocus);
        return false;
    });
}

void PagePictureOpener::open(val file)
{
    const int request = ++m_newest;
    const double bytes = file["size"].as<double>();
    const PictureError error = picture::CheckFileSize(std::int64_t(bytes));
    if (error != PictureError::None) {
        refuse(file, error);
        return;
    }
    kalvero_read(request, file.as_handle(), std::min(bytes, double(picture::HeaderBytes)));
}

void PagePictureOpener::bytesRead(int request, val file, val bytes)
{
    if (request != m_newest)
        return;
    // Copied straight into the WebAssembly's memory: a whole file may be 128 MiB.
    std::vector<std::uint8_t> data(bytes["length"].as<std::size_t>());
    val(emscripten::typed_memory_view(data.size(), data.data())).call<void>("set", bytes);
    const double fileBytes = file["size"].as<double>();
    const picture::FileBytes read(data.data(), data.size());
    const picture::PictureHeader header = picture::ReadPictureHeader(read);
    if (const PictureError error = picture::CheckBeforeDecoding(std::int64_t(fileBytes), header, picture::Decoders::Browser);
        error != PictureError::None) {
        refuse(file, error);
        return;
    }
    // A GIF or a BMP cut short is refused as damaged, as on the desktop, before any
    // browser paints what it still has. A GIF, or a run-length coded BMP, needs all
    // its bytes for that.
    if (picture::NeedsAllBytes(header.format, read) && double(data.size()) < fileBytes
        && request != m_readingAll) {   // once: a file that shrank since is judged by what it gave
        m_readingAll = request;
        kalvero_read(request, file.as_handle(), fileBytes);
        return;
    }
    if (!picture::IsWhole(header.format, read, std::int64_t(fileBytes))) {
        refuse(file, PictureError::Damaged);
        return;
    }
    kalvero_decode(request, file.as_handle());
}

void PagePictureOpener::decoded(int request, val file, val bitmap)
{
    if (request != m_newest) {
        bitmap.call<void>("close");
        return;
    }
    const int width = bitmap["width"].as<int>(), height = bitmap["height"].as<int>();
    // Decoded whole, under the limit its header met: some headers tell no size.
    if (width < 1 || height < 1 || !picture::FitsDecodeLimit(width, height)) {
        bitmap.call<void>("close");
        refuse(file, PictureError::TooLarge);
        return;
    }
    // The board's share of the picture over white, so that transparent parts show white
    // as on the desktop: kept as sharp as the largest board needs (BoardPixels across),
    // for the board scales it once to its own device pixels.
    const picture::CropRect crop = picture::CropToBoard(width, height);
    const int across = std::min(crop.width, BoardPixels);
    const int kept = std::max(1, across), keptDown = std::max(1, kept * picture::PictureHeight / picture::PictureWidth);
    val canvas = web::Document().call<val>("createElement", std::string("canvas"));
    canvas.set("width", kept);
    canvas.set("height", keptDown);
    val options = val::object();
    options.set("alpha", false);
    val context = canvas.call<val>("getContext", std::string("2d"), options);
    context.set("fillStyle", std::string("#FFFFFF"));
    context.call<void>("fillRect", 0, 0, kept, keptDown);
    context.set("imageSmoothingEnabled", true);
    context.set("imageSmoothingQuality", std::string("high"));
    context.call<void>("drawImage", bitmap, crop.x, crop.y, crop.width, crop.height, 0, 0, kept, keptDown);
    bitmap.call<void>("close");
    m_chosen(canvas);
}

void PagePictureOpener::failed(int request, val file, PictureError error)
{
    if (request == m_newest)
        refuse(file, error);
}

void PagePictureOpener::refuse(val file, PictureError error)
{
    tell(window::texts::CannotOpen(fileName(file), window::texts::Reason(error)));
}

void PagePictureOpener::tell(std::string_view text)
{
    // Names and reasons are plain text, never markup.
    web::SetText(m_message, text);
    if (dialogOpen())
        return;   // the newest refusal is the one shown
    closeMenu();
    m_dialogFocus = m_saveFocus();
    m_dialog.call<void>("showModal");
}

void PagePictureOpener::showMenu(int x, int y, const std::array<window::MenuItem, Items> &items)
{
    if (!m_menuOpen)
        m_menuFocus = m_saveFocus();
    m_menuItems = items;
    for (int i = 0; i < Items; ++i)
        web::SetAttribute(m_items[i], "aria-disabled", items[std::size_t(i)].enabled ? "false" : "true");
    m_menu.call<void>("removeAttribute", std::string("hidden"));
    m_menuOpen = true;
    // Inside the window, wherever the press was.
    const int width = m_menu["offsetWidth"].as<int>(), height = m_menu["offsetHeight"].as<int>();
    const int right = m_window["clientWidth"].as<int>(), bottom = m_window["clientHeight"].as<int>();
    web::SetStyle(m_menu, "left", web::Pixels(std::max(0, std::min(x, right - width))));
    web::SetStyle(m_menu, "top", web::Pixels(std::max(0, std::min(y, bottom - height))));
    focusItem(0);
}

void PagePictureOpener::closeMenu()
{
    if (!m_menuOpen)
        return;
    m_menuOpen = false;
    web::SetAttribute(m_menu, "hidden", "");
    m_restoreFocus(m_menuFocus);
}

void PagePictureOpener::focusItem(int item)
{
    m_item = item;
    m_items[item].call<void>("focus", val::object());
}

bool PagePictureOpener::menuKeyDown(std::string_view key)
{
    if (key == "ArrowDown" || key == "ArrowUp")   // round from either end
        focusItem((m_item + (key == "ArrowDown" ? 1 : Items - 1)) % Items);
    else if (key == "Home" || key == "End")
        focusItem(key == "Home" ? 0 : Items - 1);
    else if (key == "Enter" || key == " ")
        activate(m_item);
    else if (key == "Escape" || key == "Tab")
        closeMenu();
    return true;   // the menu is modal while it is open
}

void PagePictureOpener::activate(int item)
{
    const window::MenuItem &chosen = m_menuItems[std::size_t(item)];
    if (!chosen.enabled)
        return;
    closeMenu();
    switch (chosen.act) {
    case window::MenuAct::OpenPicture:
        // From the press itself, as browsers require for a file chooser.
        m_input.call<void>("click");
        break;
    case window::MenuAct::BuiltInPicture:
        ++m_newest;   // a file still under way no longer counts
        m_chosen(val::null());
        break;
    case window::MenuAct::ShowWholePicture:
        m_glance();
        break;
    }
}
