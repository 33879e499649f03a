// pagepictureopener.cpp: the menu, the file input, the browser's decoding and the refusals.
#include "web/pagepictureopener.h"

#include "window/layout.h"
#include "window/texts.h"
#include "picture/format.h"

#include <emscripten.h>
#include <emscripten/bind.h>

#include <algorithm>
#include <cassert>
#include <cmath>

using picture::PictureError;
using web::val;

namespace {

// The most pixels across a board needs: the page's largest scale, 4, on a screen of two
// device pixels to the CSS pixel.
constexpr int BoardPixels = picture::PictureWidth * 8;

PagePictureOpener *opener = nullptr;   // the page has one window, and it lives as long as the page

void decoded(int request, val file, val bitmap, val lesson) { opener->decoded(request, file, bitmap, lesson); }
void failed(int request, val file, int error, int lessonError) { opener->failed(request, file, error, lessonError); }
void lessonPictureMade(val jpeg) { opener->lessonPictureMade(jpeg); }

std::string fileName(val file)
{
    const std::string name = file["name"].as<std::string>();
    return name.empty() ? std::string("?") : name;
}

} // namespace

EMSCRIPTEN_BINDINGS(kalvero_picture)
{
    emscripten::function("kalveroDecoded", &decoded);
    emscripten::function("kalveroFailed", &failed);
    emscripten::function("kalveroLessonPicture", &lessonPictureMade);
}

using emscripten::EM_VAL;

// The picture decoded in a worker of its own (worker.js), which the page ends after its
// answer: its memory goes with it. The worker's WebAssembly is compiled once. A file
// whose reading makes no progress for 10 s is ReadStalled (14); a decoding that takes
// more than 5 s after the last byte came is TooComplex (11); a worker that breaks down
// is DecoderCrashed (15). A newer picture ends the worker of an older one at once.
EM_JS(void, kalvero_decode, (int request, EM_VAL file, int width, int height), {
    const f = Emval.toValue(file);
    const glue = Module["kalveroDecoding"] || (Module["kalveroDecoding"] = {
        code: null, script: null, worker: null, end: function() {}
    });
    glue.end();
    if (!glue.code) {
        glue.code = kalveroUnpack("kalveroDecoderCode").then(function(code) { return WebAssembly.compile(code); });
        glue.script = kalveroUnpack("kalveroDecoderScript").then(function(script) {
            return URL.createObjectURL(new Blob([script], {type: "text/javascript"}));
        });
    }
    let ended = false;
    let worker = null, stall = 0, watchdog = 0;
    function end() {
        ended = true;
        clearTimeout(stall);
        clearTimeout(watchdog);
        if (worker) worker.terminate();
        worker = null;
    }
    function fail(error, lessonError) {
        end();
        Module["kalveroFailed"](request, f, error || 0, lessonError || 0);
    }
    function waitForBytes() {
        clearTimeout(stall);
        stall = setTimeout(function() { fail(14); }, 10000);
    }
    glue.end = end;
    waitForBytes();
    Promise.all([glue.code, glue.script]).then(function(parts) {
        if (ended) return;
        try {
            worker = new Worker(parts[1]);
        } catch (error) {   // a page whose rules forbid workers
            fail(15);
            return;
        }
        worker.onmessage = function(event) {
            const answer = event.data;
            if (answer.progress) {
                waitForBytes();
            } else if (answer.read) {
                clearTimeout(stall);
                watchdog = setTimeout(function() { fail(11); }, 5000);
            } else if (answer.bitmap) {
                end();
                Module["kalveroDecoded"](request, f, answer.bitmap, answer.lesson || null);
            } else {
                fail(answer.error, answer.lessonError);
            }
        };
        worker.onerror = function(event) {
            event.preventDefault();
            fail(15);
        };
        worker.postMessage({wasm: parts[0], file: f, width: width, height: height});
    }, function() { fail(15); });
});

// The board's picture at a lesson's size, a JPEG of quality 90, or of less as far as a
// detailed painting needs to stay within lesson::MaxPictureBytes.
EM_JS(void, kalvero_make_lesson_picture, (int width, int height, int most), {
    const source = Module["kalveroBoard"].original || window.kalveroBuiltIn;
    const canvas = new OffscreenCanvas(width, height);
    const context = canvas.getContext("2d", {alpha: false});
    context.imageSmoothingEnabled = true;
    context.imageSmoothingQuality = "high";
    context.drawImage(source, 0, 0, width, height);
    function encode(quality) {
        canvas.convertToBlob({type: "image/jpeg", quality: quality}).then(function(blob) {
            if (blob.size > most && quality > 0.55) {
                encode(quality - 0.1);
                return;
            }
            return blob.arrayBuffer().then(function(buffer) { Module["kalveroLessonPicture"](new Uint8Array(buffer)); });
        }).catch(function() { Module["kalveroLessonPicture"](null); });
    }
    encode(0.9);
});
// This page, as it came, as a file of its own name: a lesson's page opens its lesson so.
// The worker of a picture no longer wanted ends at once.
EM_JS(void, kalvero_stop_decoding, (), {
    if (Module["kalveroDecoding"]) Module["kalveroDecoding"].end();
});
EM_JS(EM_VAL, kalvero_own_page, (), {
    let name = location.pathname.split("/").pop() || "";
    try {
        name = decodeURIComponent(name);
    } catch (error) {   // a name that was never percent-encoded: as it stands
    }
    name = name || "урок.html";
    return Emval.toHandle(new File([window.kalveroPage], name, {type: "text/html"}));
});
EM_JS(void, kalvero_download, (EM_VAL page, EM_VAL name), {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([Emval.toValue(page)], {type: "text/html"}));
    link.download = Emval.toValue(name);
    link.click();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 60000);
});

void PagePictureOpener::Write(web::Markup &markup)
{
    // The file input is never a Tab stop and never shown; the menu opens it.
    markup.open("input", "pictureFile")
        .attribute("type", "file")
        .attribute("accept", "image/*,.html,text/html")   // pictures, and lessons
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

PagePictureOpener::PagePictureOpener(val window, std::function<void(val, val)> chosen, std::function<void(window::MenuAct)> act,
                             std::function<Focus()> saveFocus, std::function<void(const Focus &)> restoreFocus)
    : m_window(window), m_chosen(std::move(chosen)), m_act(std::move(act)), m_saveFocus(std::move(saveFocus)),
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

    // A lesson's page opens its lesson at once, read and judged as any file.
    if (const val block = web::ById("kalveroLesson"); !block.isNull() && block["textContent"]["length"].as<int>() > 0)
        open(val::take_ownership(kalvero_own_page()));
}

void PagePictureOpener::open(val file)
{
    const int request = ++m_newest;
    kalvero_stop_decoding();
    const PictureError error = picture::CheckFileSize(std::int64_t(file["size"].as<double>()));
    if (error != PictureError::None) {
        refuse(file, error);
        return;
    }
    // As many pixels as the board can show on this screen, at the largest scale the
    // page takes on it: the worker never sends more.
    const val screen = val::global("screen");
    const double ratio = val::global("devicePixelRatio").as<double>();
    const double scale = window::layout::PageScale(screen["width"].as<double>(), screen["height"].as<double>());
    const int across = std::clamp(int(std::ceil(picture::PictureWidth * std::max(1.0, scale) * std::max(1.0, ratio))),
                                  lesson::PictureWidth, BoardPixels);   // a lesson saved from it stays sharp
    kalvero_decode(request, file.as_handle(), across, across * picture::PictureHeight / picture::PictureWidth);
}

void PagePictureOpener::decoded(int request, val file, val bitmap, val lesson)
{
    if (request != m_newest) {
        bitmap.call<void>("close");
        return;
    }
    // The board's part of the picture, over white, already in the board's proportions.
    m_pictureName = fileName(file);
    m_chosen(bitmap, lesson);
}

void PagePictureOpener::saveLesson(std::string_view text, const std::optional<model::Arrangement> &start)
{
    if (m_savingNow)
        return;   // one save at a time: its picture is still being made
    m_savingNow = true;
    m_saving = {{}, std::string(text), false, start};
    kalvero_make_lesson_picture(lesson::PictureWidth, lesson::PictureHeight, int(lesson::MaxPictureBytes));
}

void PagePictureOpener::lessonPictureMade(val jpeg)
{
    m_savingNow = false;
    const std::string name = lesson::SuggestedName(m_pictureName);
    // The page as it came, kept by its first script: a lesson's page holds its block again.
    const std::string page = val::global("kalveroPage").as<std::string>();
    if (jpeg.isNull() || !lesson::HasOneSlot(page)) {   // no picture made, or a page changed by hand
        tell(window::texts::CannotSave(name, window::texts::WriteFailed), window::texts::CannotSaveTitle);
        return;
    }
    m_saving.picture.resize(jpeg["length"].as<std::size_t>());
    val(emscripten::typed_memory_view(m_saving.picture.size(), reinterpret_cast<std::uint8_t *>(m_saving.picture.data())))
        .call<void>("set", jpeg);
    kalvero_download(val(lesson::WriteLesson(page, m_saving)).as_handle(), val(name).as_handle());
    m_saving = {};
}

void PagePictureOpener::failed(int request, val file, int error, int lessonError)
{
    if (request != m_newest)
        return;
    if (lessonError != 0)
        tell(window::texts::CannotOpen(fileName(file), window::texts::LessonReason(lesson::LessonError(lessonError))));
    else
        refuse(file, PictureError(error));
}

void PagePictureOpener::refuse(val file, PictureError error)
{
    tell(window::texts::CannotOpen(fileName(file), window::texts::Reason(error)));
}

void PagePictureOpener::tell(std::string_view text, std::string_view title)
{
    // Names and reasons are plain text, never markup.
    web::SetText(m_message, text);
    web::SetText(web::ById("pictureRefusedTitle"), title);
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
        ++m_newest;   // a file still under way no longer counts, and its worker ends
        kalvero_stop_decoding();
        m_pictureName.clear();
        m_chosen(val::null(), val::null());
        break;
    case window::MenuAct::SaveLesson:
    case window::MenuAct::ShowWholePicture:
    case window::MenuAct::ShowCycles:
        m_act(chosen.act);
        break;
    }
}
