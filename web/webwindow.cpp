// webwindow.cpp: the window's controls, the page's events, the Tab cycle and the
// message box.
#include "web/webwindow.h"

#include "window/layout.h"
#include "window/texts.h"

#include <emscripten.h>
#include <emscripten/bind.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

using web::val;

namespace {

WebWindow *page = nullptr;   // the page has one window, and it lives as long as the page

void endGlance() { page->endGlance(); }
void laidOut() { page->layOut(); }
void boardReady() { page->boardReady(); }
void tapped(int slot) { page->Picture2_Click(slot); }
void pressedLong(double x, double y) { page->pressedLong(x, y); }

// The face of a held button: the colour darkened as the desktop darkens it (118 %).
std::uint32_t darker(std::uint32_t rgb)
{
    std::uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8)
        out = out << 8 | (((rgb >> shift) & 0xFF) * 100 + 59) / 118;
    return out;
}

// The message box keeps its lines apart with LF, as every text control of the page does.
std::string withLineFeeds(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

} // namespace

EMSCRIPTEN_BINDINGS(kalvero_window)
{
    emscripten::function("kalveroEndGlance", &endGlance);
    emscripten::function("kalveroLaidOut", &laidOut);
    emscripten::function("kalveroBoardReady", &boardReady);
    emscripten::function("kalveroTap", &tapped);
    emscripten::function("kalveroLongPress", &pressedLong);
}

// The page's input guard, in the page's own script so that events cross into the game
// only when they matter. While a glance shows, the click or key that ends it, and all
// of it (its release, its click, a context menu), reaches nothing else: these
// listeners come before every other. It also keeps the kind of the last input, which
// decides whether focus that comes to the board shows the cursor's mark.
EM_JS(void, kalvero_guard_input, (), {
    const state = {glancing: false, ending: false, timer: 0, keyboardLast: true};
    Module["kalveroInput"] = state;
    const done = function() { clearTimeout(state.timer); state.ending = false; };
    const dialog = document.getElementById("pictureRefused");
    ["pointerdown", "mousedown", "pointerup", "mouseup", "pointercancel", "click", "auxclick", "dblclick",
     "contextmenu", "keyup"].forEach(function(type) {
        document.addEventListener(type, function(event) {
            const press = type === "pointerdown" || type === "mousedown";
            if (state.glancing) {
                if (dialog.open)
                    return;   // a refusal that arrived meanwhile is answered as ever
                // A press ends it, and the rest of its click follows. A click with no press
                // before it, as a screen reader makes, ends it on its own.
                if (press || type === "click" || type === "auxclick" || type === "dblclick" || type === "contextmenu") {
                    Module["kalveroEndGlance"]();
                    if (press) {
                        clearTimeout(state.timer);
                        state.ending = true;
                    }
                }
            } else if (!state.ending) {
                return;
            } else if (type === "pointerdown") {
                done();   // the last release never came: a new press is the game's
                return;
            } else if (type === "click" || type === "pointercancel") {
                done();   // the last of it
            } else if (type === "pointerup" || type === "keyup") {
                // A context menu, or a tap's click, follows a release within moments.
                clearTimeout(state.timer);
                state.timer = setTimeout(done, 300);
            }
            event.stopImmediatePropagation();
            event.preventDefault();
        }, {capture: true, passive: false});
    });
    document.addEventListener("pointerdown", function() { state.keyboardLast = false; }, true);
});
EM_JS(void, kalvero_set_glancing, (int glancing), { Module["kalveroInput"].glancing = !!glancing; });
// A key that ends a glance: its release and what follows it are swallowed too.
EM_JS(void, kalvero_ending_begins, (), {
    const state = Module["kalveroInput"];
    clearTimeout(state.timer);
    state.ending = true;
});
EM_JS(void, kalvero_key_came, (int repeat), {
    const state = Module["kalveroInput"];
    if (state.ending && !state.glancing && !repeat) {   // a new key is the game's
        clearTimeout(state.timer);
        state.ending = false;
    }
});
EM_JS(void, kalvero_keyboard_came, (), { Module["kalveroInput"].keyboardLast = true; });
EM_JS(int, kalvero_keyboard_last, (), { return Module["kalveroInput"].keyboardLast ? 1 : 0; });

// The viewport in CSS pixels, and the screen's device pixels to a CSS pixel; the game
// lays the window out again whenever either changes (a resized window, a rotation,
// the browser's zoom, a screen of another density).
EM_JS(void, kalvero_watch_viewport, (), {
    window["kalveroGame"] = true;   // the page's early layout gives way to the game's
    window.addEventListener("resize", function() { Module["kalveroLaidOut"](); });
    const watch = function() {
        matchMedia("(resolution: " + window.devicePixelRatio + "dppx)").addEventListener("change", function() {
            Module["kalveroLaidOut"]();
            watch();
        }, {once: true});
    };
    watch();
});
EM_JS(double, kalvero_viewport_width, (), { return document.documentElement.clientWidth; });
EM_JS(double, kalvero_viewport_height, (), { return document.documentElement.clientHeight; });
EM_JS(double, kalvero_pixel_ratio, (), { return window.devicePixelRatio || 1; });
EM_JS(int, kalvero_coarse_pointer, (), { return matchMedia("(pointer: coarse)").matches ? 1 : 0; });

// Touch on the board, by the page's own pointer handling: a tap picks on its release,
// at once, and the click the browser sends after it is dropped; a press held still
// for half a second opens the board's menu, as a right click does, also where the
// browser sends no context menu (Safari on an iPad). A second finger on the board
// makes the gesture the browser's (a pinch): no pick, no menu.
EM_JS(void, kalvero_watch_touch, (), {
    const grid = document.getElementById("board");
    const fingers = new Set();   // the touch pointers down on the board
    const state = {id: -1, x: 0, y: 0, timer: 0, spoilt: false, tap: null};
    const Still = 10, Long = 500, Late = 1000;
    const cancel = function() { clearTimeout(state.timer); state.id = -1; };
    const touching = function(event) { return event.pointerType !== "mouse"; };
    grid.addEventListener("pointerdown", function(event) {
        if (!touching(event))
            return;
        if (event.isPrimary)
            fingers.clear();   // a new gesture: whatever was not seen to lift is gone
        fingers.add(event.pointerId);
        if (fingers.size > 1) {
            state.spoilt = true;
            cancel();
            return;
        }
        state.spoilt = false;
        state.id = event.pointerId;
        state.x = event.clientX;
        state.y = event.clientY;
        state.timer = setTimeout(function() {
            state.id = -1;   // the release that follows picks nothing
            Module["kalveroLongPress"](state.x, state.y);
        }, Long);
    });
    grid.addEventListener("pointermove", function(event) {
        if (event.pointerId === state.id && Math.hypot(event.clientX - state.x, event.clientY - state.y) > Still)
            cancel();
    });
    const lift = function(event) {
        if (!touching(event))
            return;
        fingers.delete(event.pointerId);
        if (event.pointerId !== state.id)
            return;
        const tap = event.type === "pointerup" && !state.spoilt;
        cancel();
        const cell = tap ? document.elementFromPoint(event.clientX, event.clientY) : null;
        const slot = cell && cell.closest(".slot") ? parseInt(cell.closest(".slot").id.slice(9), 10) : -1;
        if (slot < 0)
            return;
        state.tap = {x: event.clientX, y: event.clientY, until: performance.now() + Late};
        Module["kalveroTap"](slot);
    };
    grid.addEventListener("pointerup", lift);
    grid.addEventListener("pointercancel", lift);
    // The click the browser makes of a tap: the tap has picked already.
    grid.addEventListener("click", function(event) {
        const tap = state.tap;
        if (tap && performance.now() < tap.until && Math.hypot(event.clientX - tap.x, event.clientY - tap.y) <= Still) {
            state.tap = null;
            event.stopImmediatePropagation();
            event.preventDefault();
        }
    }, true);
    // A touch's own context menu: the long press above decides when the menu opens.
    grid.addEventListener("contextmenu", function(event) {
        if (event.pointerType === "touch" || event.pointerType === "pen" || fingers.size > 0 || state.id >= 0) {
            event.stopImmediatePropagation();
            event.preventDefault();
        }
    }, true);
});

WebWindow::WebWindow(forms::ClockRandom random) : m_play(random)
{
    page = this;
    val document = web::Document();
    document.set("title", std::string(window::texts::WindowTitle));

    // The page's file carries the window as the build wrote it; otherwise it is
    // written now.
    if (document.call<val>("getElementById", std::string("Kalvero")).isNull())
        document["body"].call<void>("insertAdjacentHTML", std::string("afterbegin"), Markup());

    m_window = web::ById("Kalvero");
    m_text1 = web::ById("Text1_0");
    m_announcer = web::ById("announcer");
    m_glanceStatus = web::ById("glanceStatus");
    m_cyclesLine = web::ById("cyclesLine");
    kalvero_guard_input();
    m_board = std::make_unique<WebBoard>();
    // One listener for the 30 cells: the cell a left click landed on.
    web::Listen(m_board->grid(), "click", [this](val event) {
        if (event["button"].as<int>() != 0)
            return false;
        const int slot = m_board->slotOf(event["target"].call<val>("closest", std::string(".slot")));
        if (slot < 0)
            return false;
        Picture2_Click(slot);
        return true;
    });
    for (int i = 0; i < 4; ++i) {
        m_command1.push_back(web::ById("Command1_" + std::to_string(i)));
        web::Listen(m_command1.back(), "click", [this, i](val) {
            Command1_Click(i);
            return false;
        });
    }
    // The box keeps no undo steps of its own: Ctrl+Z is "Ход назад" (keyDown).
    web::Listen(m_text1, "beforeinput", [](val event) {
        const std::string type = event["inputType"].as<std::string>();
        return type == "historyUndo" || type == "historyRedo";
    });

    m_opener = std::make_unique<PagePictureOpener>(
        m_window, [this](val picture, val lesson) { usePicture(picture, lesson); },
        [this](window::MenuAct act) {
            if (act == window::MenuAct::SaveLesson)
                m_opener->saveLesson(m_text1["value"].as<std::string>(), m_play.lessonStart());
            else
                present(act == window::MenuAct::ShowCycles ? m_play.showCycles() : m_play.glance());
        },
        [this] { return saveFocus(); },
        [this](const PagePictureOpener::Focus &focus) { restoreFocus(focus); });

    // The board's mark follows the kind of input that brought the focus.
    web::Listen(m_board->grid(), "focusin", [this](val) {
        window::Shown shown = m_play.boardFocused(m_restoringMark.value_or(kalvero_keyboard_last() != 0));
        present(shown);
        return false;
    });
    web::Listen(m_board->grid(), "focusout", [this](val event) {
        val next = event["relatedTarget"];
        if (next.isNull() || m_board->slotOf(next) < 0)
            present(m_play.boardLeft());
        return false;
    });
    web::Listen(m_board->grid(), "contextmenu", [this](val event) {
        if (kalvero_keyboard_last()) {   // the Menu key: at the cursor's slot
            const forms::PixelRect corner = forms::ToPixels(board::Picture1);
            const forms::PixelRect &place = m_play.board().place(m_play.cursor());
            m_opener->showMenu(corner.x + place.x + place.width / 2, corner.y + place.y + place.height / 2, m_play.menu());
        } else {
            showMenuAt(event["clientX"].as<double>(), event["clientY"].as<double>());
        }
        return true;
    });
    // A file dropped anywhere on the page opens; the page never leaves for it.
    auto carriesFiles = [](val event) {
        val transfer = event["dataTransfer"];
        return !transfer.isNull() && transfer["types"].call<bool>("includes", std::string("Files"));
    };
    web::Listen(document, "dragover", [carriesFiles](val event) {
        if (!carriesFiles(event))
            return false;
        event["dataTransfer"].set("dropEffect", std::string("copy"));
        return true;
    }, true);
    web::Listen(document, "drop", [this, carriesFiles](val event) {
        if (!carriesFiles(event))
            return false;
        val files = event["dataTransfer"]["files"];
        if (m_opener->dialogOpen())
            return true;
        if (files["length"].as<int>() > 1)
            m_opener->tell(window::texts::OnePictureAtATime);   // the game stays as it is
        else if (files["length"].as<int>() == 1)
            m_opener->open(files[0]);
        return true;
    }, true);

    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, true,
                                    [](int, const EmscriptenKeyboardEvent *event, void *window) -> EM_BOOL {
                                        return static_cast<WebWindow *>(window)->keyDown(*event);
                                    });
    kalvero_watch_touch();
    kalvero_watch_viewport();
    Form_Load();
    m_window.call<void>("removeAttribute", std::string("aria-busy"));
    // The focus starts in the message box, at the start of the help text, once the
    // first frame is on the screen: focusing lays the page out at once, which would
    // hold that frame back.
    emscripten_request_animation_frame([](double, void *window) -> EM_BOOL {
        emscripten_set_timeout([](void *text) { static_cast<WebWindow *>(text)->focusMessageBox(); }, 0, window);
        return false;
    }, this);
}

void WebWindow::focusMessageBox()
{
    if (!web::Document()["activeElement"].strictlyEquals(web::Document()["body"]))
        return;   // the player was quicker
    if (kalvero_coarse_pointer())
        return;   // on a touch screen the focus would bring up the screen's keyboard
    m_text1.call<void>("focus", val::object());
    m_text1.call<void>("setSelectionRange", 0, 0);
    m_text1.set("scrollTop", 0);
}

std::string WebWindow::Markup()
{
    namespace layout = window::layout;
    // The whole window in one piece of markup, in reading order: top to bottom,
    // then left to right.
    web::Markup markup;
    // Placed and scaled by the page's layout (layOut), not here: reading the viewport's
    // size here would lay the page out before its first frame.
    const forms::PixelRect client = forms::ToPixels(layout::ClientArea);
    markup.open("div", "Kalvero")
        .attribute("aria-busy", "true")   // until the game has started
        .style("width", web::Pixels(client.width))
        .style("height", web::Pixels(client.height))
        .style("background-color", web::Colour(layout::WindowColour));
    markup.open("div", "Label1_0")
        .place(layout::Label1)
        .style("background-color", web::Colour(layout::Label1Colour))
        .attribute("elementtiming", "Label1_0")
        .text(window::texts::BoardTitle)
        .close();
    WebBoard::Write(markup);
    for (int i = 0; i < 4; ++i) {
        const std::string id = "Command1_" + std::to_string(i);
        markup.open("button", id)
            .attribute("type", "button")
            .attribute("class", "command")
            .attribute("elementtiming", id)
            .place(layout::Command1[i].place)
            .style("--face", web::Colour(layout::Command1[i].face))
            .style("--held", web::Colour(darker(layout::Command1[i].face)))
            .text(window::texts::Commands[i])
            .close();
    }
    markup.open("textarea", "Text1_0")
        .place(layout::Text1)
        .attribute("aria-label", window::texts::MessageBoxName)
        .attribute("spellcheck", "false")
        .attribute("elementtiming", "Text1_0")
        .text(withLineFeeds(window::texts::HelpText))
        .close();
    // The cycles' status line, shown while they show; readers hear it as the board's name.
    markup.open("div", "cyclesLine")
        .attribute("hidden", "")
        .attribute("aria-hidden", "true")
        .place(window::CyclesLine)
        .style("background-color", web::Colour(layout::Label1Colour))
        .style("text-align", "center")
        .style("white-space", "nowrap")
        .style("line-height", web::Pixels(forms::ToPixels(window::CyclesLine).height))
        .close();
    // A glance is announced as the board's new name.
    markup.open("div", "glanceStatus").attribute("role", "status").attribute("class", "unseen").close();
    // Swap lines and the announcement are read once each, as they arrive.
    markup.open("div", "announcer")
        .attribute("role", "log")
        .attribute("aria-live", "polite")
        .attribute("aria-relevant", "additions")
        .attribute("aria-label", window::texts::MessageBoxName)
        .close();
    PagePictureOpener::Write(markup);
    markup.close();
    return markup.finish();
}

void WebWindow::Form_Load() { layOut(); }

void WebWindow::Command1_Click(int index) { present(m_play.Command1_Click(index)); }

void WebWindow::Picture2_Click(int index) { present(m_play.Picture2_Click(index)); }

void WebWindow::endGlance() { present(m_play.endGlance()); }

void WebWindow::layOut()
{
    // The whole window at the scale the viewport allows, centred on whole device pixels;
    // the board drawn anew at its device pixels.
    const double width = kalvero_viewport_width(), height = kalvero_viewport_height(), ratio = kalvero_pixel_ratio();
    const double scale = window::layout::PageScale(width, height);
    const forms::PixelRect client = forms::ToPixels(window::layout::ClientArea);
    const auto centred = [ratio](double room) { return std::max(0.0, std::floor(room / 2 * ratio) / ratio); };
    val root = web::Document()["documentElement"];
    web::SetStyle(root, "--scale", std::to_string(scale));
    web::SetStyle(root, "--left", std::to_string(centred(width - client.width * scale)) + "px");
    web::SetStyle(root, "--top", std::to_string(centred(height - client.height * scale)) + "px");
    if (scale * ratio == m_unit)
        return;   // only moved: the board's pixels stay as they are
    m_unit = scale * ratio;
    m_board->setUnit(m_unit);
    present(m_play.boardLost());
}

void WebWindow::boardReady() { present(m_play.boardLost()); }

void WebWindow::pressedLong(double clientX, double clientY)
{
    if (m_play.glancing() || m_opener->dialogOpen())
        return;
    showMenuAt(clientX, clientY);
}

void WebWindow::showMenuAt(double clientX, double clientY)
{
    // From the screen's CSS pixels to the window's design pixels.
    val box = m_window.call<val>("getBoundingClientRect");
    const double scale = box["width"].as<double>() / forms::ToPixels(window::layout::ClientArea).width;
    m_opener->showMenu(int((clientX - box["left"].as<double>()) / scale), int((clientY - box["top"].as<double>()) / scale),
                       m_play.menu());
}

void WebWindow::present(const window::Shown &shown)
{
    m_play.PaintBoard(*m_board);
    m_board->followCursor(m_play.cursor());
    if (shown.glance) {
        m_board->setName(m_play.boardName());
        web::SetText(m_glanceStatus, m_play.glancing() ? m_play.boardName() : "");
        web::SetText(m_cyclesLine, m_play.cyclesShown() ? m_play.boardName() : "");
        if (m_play.cyclesShown())
            m_cyclesLine.call<void>("removeAttribute", std::string("hidden"));
        else
            web::SetAttribute(m_cyclesLine, "hidden", "");
        kalvero_set_glancing(m_play.glancing());
    }
    window::ApplyText(shown.text, *this);
}

void WebWindow::usePicture(val picture, val lesson)
{
    m_board->setSource(picture);
    if (lesson.isNull()) {
        present(m_play.pictureChanged(picture.isNull() ? window::Arrival::BuiltIn : window::Arrival::Opened));
        return;
    }
    std::optional<model::Arrangement> start;
    if (val tiles = lesson["start"]; !tiles.isNull()) {
        start.emplace();
        for (int slot = 0; slot < model::PieceCount; ++slot)
            (*start)[std::size_t(slot)] = std::uint8_t(tiles[slot].as<int>());
    }
    present(m_play.lessonArrived(lesson["text"].as<std::string>(), lesson["textCut"].as<bool>(), start));
}

bool WebWindow::keyDown(const EmscriptenKeyboardEvent &event)
{
    const std::string_view key = event.key;
    const bool modifier = key == "Control" || key == "Shift" || key == "Alt" || key == "Meta";
    kalvero_key_came(event.repeat);
    if (m_opener->dialogOpen()) {
        // The refusal is modal: its one button keeps the focus, and the game stays as it is.
        return key == "Tab" || ((event.ctrlKey || event.metaKey) && std::strcmp(event.code, "KeyZ") == 0);
    }
    if (m_opener->menuOpen())
        return m_opener->menuKeyDown(key);
    if (m_play.glancing()) {   // the first key ends it; none does anything else
        if (!event.repeat) {
            present(m_play.endGlance());
            kalvero_ending_begins();   // its release, and a context menu that may follow it, still come
        }
        return true;
    }
    if (!modifier)
        kalvero_keyboard_came();
    const bool command = event.ctrlKey || event.metaKey;
    if (key == "Tab" && !command && !event.altKey) {
        moveFocus(event.shiftKey);
        return true;
    }
    window::Key gameKey = window::Key::Other;
    if (command && !event.altKey && !event.shiftKey && std::strcmp(event.code, "KeyZ") == 0)
        gameKey = window::Key::Undo;
    else if (!command && !event.altKey && !event.shiftKey) {
        static constexpr std::pair<std::string_view, window::Key> Keys[] = {
            {"ArrowLeft", window::Key::Left}, {"ArrowRight", window::Key::Right}, {"ArrowUp", window::Key::Up},
            {"ArrowDown", window::Key::Down}, {"Home", window::Key::Home},        {"End", window::Key::End},
            {" ", window::Key::Space},         {"Enter", window::Key::Enter},     {"F2", window::Key::F2},
            {"F3", window::Key::F3}};
        for (const auto &[name, value] : Keys) {
            if (key == name)
                gameKey = value;
        }
    }
    const window::Shown shown = m_play.key(gameKey, m_board->hasFocus());
    if (!shown.taken)
        return false;
    present(shown);
    return true;
}

int WebWindow::focusStop() const
{
    val active = web::Document()["activeElement"];
    if (web::IsElement(active, m_text1))
        return 0;
    if (m_board->hasFocus())
        return 1;
    for (int i = 0; i < 4; ++i) {
        if (web::IsElement(active, m_command1[std::size_t(i)]))
            return 2 + i;
    }
    return -1;
}

void WebWindow::moveFocus(bool backwards)
{
    // The message box, the board, then the four buttons, and round again.
    constexpr int Stops = 6;
    const int at = focusStop();
    const int next = at < 0 ? (backwards ? Stops - 1 : 0) : (at + (backwards ? Stops - 1 : 1)) % Stops;
    if (next == 0)
        m_text1.call<void>("focus", val::object());
    else if (next == 1)
        m_board->Picture2(m_play.cursor()).call<void>("focus", val::object());
    else
        m_command1[std::size_t(next - 2)].call<void>("focus", val::object());
}

void WebWindow::setText(std::string_view text)
{
    m_text1.set("value", withLineFeeds(text));
    if (!text.empty())
        announce(text);
}

void WebWindow::append(std::string_view line)
{
    // After whatever the box holds, typed text included, without moving the player's
    // selection; the view follows the newest line.
    const double end = m_text1["value"]["length"].as<double>();
    m_text1.call<void>("setRangeText", withLineFeeds(line), end, end, std::string("preserve"));
    m_text1.set("scrollTop", m_text1["scrollHeight"]);
    announce(line);
}

void WebWindow::announce(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    // Each line is an addition of its own, so a reader says it once, even when it
    // repeats the line before.
    val line = web::Element("div", "", m_announcer);
    web::SetText(line, text);
    while (m_announcer["childElementCount"].as<int>() > 3)
        m_announcer["firstElementChild"].call<void>("remove");
}

PagePictureOpener::Focus WebWindow::saveFocus() const
{
    return {web::Document()["activeElement"], m_play.markShown()};
}

void WebWindow::restoreFocus(const PagePictureOpener::Focus &focus)
{
    m_restoringMark = focus.markShown;
    if (!focus.element.isNull() && !focus.element.isUndefined())
        focus.element.call<void>("focus", val::object());
    m_restoringMark.reset();
    if (m_board->hasFocus())
        present(m_play.boardFocused(focus.markShown));
}
