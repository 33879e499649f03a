#!/usr/bin/python3
# page_test.py: kalvero.html in headless Chromium, played with real mouse and key
# events, seen through screenshots and Chromium's own accessibility tree.
#   page_test.py KALVERO_HTML
import base64
import os
import struct
import sys
import tempfile
import time
import traceback
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cdp import Browser, Image  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from hostilepictures import hostile_files  # noqa: E402

PAGE = os.path.abspath(sys.argv[1])
CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "pictures")
VIEW = (640, 600)      # a viewport where the window shows at its design size
WINDOW = (87, 88)     # (640 - 466) / 2, (600 - 424) / 2
BOARD = (WINDOW[0] + 64, WINDOW[1] + 30)
YELLOW, BLACK, WHITE = (255, 214, 0), (0, 0, 0), (255, 255, 255)
HELP_FIRST = "Пъзел е вид игра, за не чак толкова възрастни"
HELP_LAST = " - Ход назад - връща предходната ситуация от съхранената история на ходовете.\n"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def equal(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: {actual!r}, expected {expected!r}")


def slot_centre(slot):
    return BOARD[0] + 50 * (slot // 5) + 25, BOARD[1] + 50 * (slot % 5) + 25


def ring(x, y, size=50):
    """How far (x, y) lies in from the slot's edge: 0 for the outermost ring."""
    return min(x, y, size - 1 - x, size - 1 - y)


def walk_index(x, y, size=50):
    last = size - 1
    if y == 0:
        return x
    if x == last:
        return last + y
    if y == last:
        return 2 * last + (last - x)
    return 3 * last + (last - y)


def write_png(path, width, height, pixel):
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def pattern(x, y):
    """A picture no two pieces of which look alike."""
    return ((x * 7 + y * 3) % 256, (x * 2 + y * 11) % 256, (x ^ y) % 256)


class Page:
    def __init__(self, browser):
        self.b = browser
        browser.navigate("file://" + PAGE, ready="!document.getElementById('Kalvero').hasAttribute('aria-busy')")
        browser.wait_for("document.fonts.status === 'loaded'")
        browser.next_frames(2)

    def js(self, expression):
        return self.b.evaluate(expression)

    def tiles(self):
        return [int(t) for t in self.js("[...Array(30).keys()].map(s => "
                                        "document.getElementById('Picture2_' + s).title)")]

    def picked(self):
        return [s for s, v in enumerate(self.js(
            "[...Array(30).keys()].map(s => document.getElementById('Picture2_' + s)"
            ".getAttribute('aria-selected'))")) if v == "true"]

    def text(self):
        return self.js("document.getElementById('Text1_0').value")

    def active(self):
        return self.js("document.activeElement.id")

    def click_slot(self, slot, button="left"):
        self.b.mouse(*slot_centre(slot), button=button)

    def click_slot_at(self, slot):
        """A click in the middle of a slot, wherever the window's scale puts it."""
        self.b.mouse(*self.js(f"(r => [r.x + r.width / 2, r.y + r.height / 2])"
                              f"(document.getElementById('Picture2_{slot}').getBoundingClientRect())"))

    def press(self, command):
        box = self.js(f"(r => [r.x + r.width / 2, r.y + r.height / 2])"
                      f"(document.getElementById('Command1_{command}').getBoundingClientRect())")
        self.b.mouse(*box)

    def board(self, scale=1):
        self.b.next_frames(2)
        import base64 as b64
        data = self.b.call("Page.captureScreenshot", format="png",
                           clip=dict(x=BOARD[0], y=BOARD[1], width=300, height=250, scale=1))["data"]
        image = Image.from_png(b64.b64decode(data))
        equal((image.width, image.height), (300 * scale, 250 * scale), "board screenshot size")
        return image

    def source(self):
        """The picture the board cuts from, decoded by the browser itself, as RGB rows."""
        data = self.js("""(async () => {
            const board = Module.kalveroBoard;
            const canvas = new OffscreenCanvas(300, 250);
            const context = canvas.getContext('2d');
            context.imageSmoothingEnabled = false;
            context.drawImage(board.scaled, 0, 0, 300, 250);
            const rgba = context.getImageData(0, 0, 300, 250).data;
            let text = '';
            for (let i = 0; i < rgba.length; i += 4)
                text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
            return btoa(text);
        })()""")
        raw = base64.b64decode(data)
        return Image(300, 250, [raw[900 * y:900 * (y + 1)] for y in range(250)])


def expect_board(page, source, tiles, borders=(), mark=None, scale=1):
    """Every slot shows its tile cut from the source; bordered slots and the mark as designed."""
    expect_board_image(page.board(scale), source, tiles, borders, mark, scale)


# The checks, each on a fresh page unless it says otherwise.

def window_layout(page):
    box = page.js("(r => [r.x, r.y, r.width, r.height])(document.getElementById('Kalvero').getBoundingClientRect())")
    equal(box, [WINDOW[0], WINDOW[1], 466, 424], "window place")
    equal(page.js("[document.scrollingElement.scrollWidth, document.scrollingElement.scrollHeight]"), list(VIEW),
          "scrolling size")
    equal(page.js("document.title"), "kalvero.bg Изобразително изкуство - пъзел", "title")
    places = page.js("""Object.fromEntries(['Label1_0', 'board', 'Command1_0', 'Command1_1', 'Command1_2',
        'Command1_3', 'Text1_0'].map(id => { const r = document.getElementById(id).getBoundingClientRect();
        const w = document.getElementById('Kalvero').getBoundingClientRect();
        return [id, [r.x - w.x, r.y - w.y, r.width, r.height]]; }))""")
    equal(places, {"Label1_0": [32, 0, 361, 25], "board": [64, 30, 300, 250], "Command1_0": [376, 40, 81, 25],
                   "Command1_1": [376, 72, 81, 25], "Command1_2": [376, 200, 81, 25],
                   "Command1_3": [376, 240, 81, 25], "Text1_0": [8, 296, 449, 121]}, "designed places")
    colours = page.js("""['Kalvero', 'Label1_0', 'Command1_0', 'Command1_1', 'Command1_2', 'Command1_3']
        .map(id => getComputedStyle(document.getElementById(id)).backgroundColor)""")
    equal(colours, ["rgb(192, 192, 255)", "rgb(255, 192, 128)", "rgb(255, 128, 128)", "rgb(128, 255, 128)",
                    "rgb(128, 128, 255)", "rgb(255, 0, 255)"], "colours")
    equal(page.js("[0, 1, 2, 3].map(i => document.getElementById('Command1_' + i).textContent)"),
          ["Изчисти", "Размести", "Размени", "Ход назад"], "captions")
    equal(page.js("document.getElementById('Label1_0').textContent"),
          "Изобразително изкуство - подреждане на пъзел", "title line")
    text = page.text()
    check(text.startswith(HELP_FIRST) and text.endswith(HELP_LAST), "the help text starts the message box")
    equal(text.count("\n"), 12, "help text lines")
    equal(page.js("document.fonts.check('16px \"Kalvero Serif\"', 'Изчисти')"), True, "embedded font")
    equal(page.js("getComputedStyle(document.getElementById('Text1_0')).fontSize"), "16px", "font size")
    # Cyrillic drawn by the embedded font, not a fallback: its metrics are Times New Roman's.
    width = page.js("(() => { const c = document.createElement('canvas').getContext('2d');"
                    "c.font = '16px \"Kalvero Serif\"'; return Math.round(c.measureText('Размести').width); })()")
    check(50 <= width <= 70, f"the caption's width in the window font: {width}")
    equal(page.active(), "Text1_0", "focus at start")


def startup_pixels_and_tooltips(page):
    source = page.source()
    equal(page.tiles(), list(range(30)), "tooltips after start-up")
    equal(page.js("document.getElementById('Picture2_7').getAttribute('aria-label')"), "Поле 7: част 7",
          "slot name")
    expect_board(page, source, list(range(30)))


def shuffle_picks_swap_undo(page):
    source = page.source()
    page.press(1)
    tiles = page.tiles()
    equal(sorted(tiles), list(range(30)), "a shuffle is a permutation")
    check(tiles != list(range(30)), "the shuffle moved pieces")
    equal(page.text(), "", "the message box after a shuffle")
    expect_board(page, source, tiles)
    page.click_slot(3)
    page.click_slot(8)
    expect_board(page, source, tiles, borders=(3, 8))
    page.click_slot(15)
    equal(page.picked(), [8, 15], "picks slide on")
    expect_board(page, source, tiles, borders=(8, 15))
    equal(page.js("document.getElementById('Picture2_15').getAttribute('aria-label')"),
          f"Поле 15: част {tiles[15]}", "slot name after a shuffle")
    page.press(2)
    swapped = list(tiles)
    swapped[8], swapped[15] = swapped[15], swapped[8]
    equal(page.tiles(), swapped, "tooltips after the swap")
    equal(page.text(), f"Разменям: {tiles[15]} и {tiles[8]}\n", "swap line")
    equal(page.js("document.querySelector('#announcer').lastElementChild.textContent"),
          f"Разменям: {tiles[15]} и {tiles[8]}", "announced swap line")
    expect_board(page, source, swapped)
    # Undo with Ctrl+Z from the message box: the box's own undo stays out of it.
    page.b.mouse(WINDOW[0] + 200, WINDOW[1] + 350)
    page.b.type_text("ab")
    page.b.key("z", ctrl=True)
    equal(page.tiles(), tiles, "Ctrl+Z undid the swap")
    equal(page.text(), "", "undo empties the message box")
    page.press(3)
    equal(page.tiles(), list(range(30)), "undo across the shuffle")
    page.click_slot(4)
    page.press(3)   # at depth 1: nothing changes, the pick stays
    equal(page.picked(), [4], "undo at depth 1 keeps the pick")
    page.press(2)   # one pick: swap declines
    equal(page.picked(), [4], "swap with one pick keeps it")
    expect_board(page, source, list(range(30)), borders=(4,))


def solved_text(page):
    page.b.mouse(WINDOW[0] + 200, WINDOW[1] + 350)
    page.b.type_text("x")
    page.click_slot(28)
    page.click_slot(29)
    page.press(2)
    text = page.text()
    check("x" in text and text.endswith(HELP_LAST + "Разменям: 29 и 28\n"),
          "the swap line follows what is in the box, typed text included")
    page.click_slot(28)
    page.click_slot(29)
    page.press(2)
    equal(page.text(), "Правилно подреден пъзел!", "solved text")
    page.click_slot(5)
    page.click_slot(6)
    page.press(2)
    equal(page.text(), "Правилно подреден пъзел!Разменям: 6 и 5\n", "the next line on the same line")
    page.press(0)
    equal(page.text(), "", "clear empties the box")
    equal(page.tiles(), list(range(30)), "clear assembles the picture")


def tab_cycle(page):
    forwards = []
    for _ in range(7):
        page.b.key("Tab")
        forwards.append(page.active())
    equal(forwards, ["Picture2_0", "Command1_0", "Command1_1", "Command1_2", "Command1_3", "Text1_0",
                     "Picture2_0"], "Tab order")
    page.b.key("Tab", shift=True)
    equal(page.active(), "Text1_0", "Shift+Tab from the board")
    backwards = []
    for _ in range(6):
        page.b.key("Tab", shift=True)
        backwards.append(page.active())
    equal(backwards, ["Command1_3", "Command1_2", "Command1_1", "Command1_0", "Picture2_0", "Text1_0"],
          "Shift+Tab order")


def keyboard_game(page):
    source = page.source()
    page.b.key("Tab")   # the board, cursor at slot 0
    expect_board(page, source, list(range(30)), mark=0)
    keys = [("ArrowLeft", 0), ("ArrowUp", 0), ("ArrowRight", 5), ("ArrowDown", 6), ("End", 26), ("ArrowRight", 26),
            ("Home", 1), ("ArrowDown", 2), ("ArrowDown", 3), ("ArrowDown", 4), ("ArrowDown", 4), ("End", 29)]
    for key, slot in keys:
        page.b.key(key)
        equal(page.active(), f"Picture2_{slot}", f"cursor after {key}")
    page.b.key(" ")
    page.b.key("Home")
    page.b.key("Enter")
    equal(page.picked(), [4, 29], "Space and Enter pick")
    expect_board(page, source, list(range(30)), borders=(4, 29), mark=4)
    for _ in range(3):
        page.b.key("Tab")
    equal(page.active(), "Command1_2", "Tab to the swap button")
    page.b.key(" ")
    tiles = list(range(30))
    tiles[4], tiles[29] = 29, 4
    equal(page.tiles(), tiles, "swap by the keyboard")
    check(page.text().endswith(HELP_LAST + "Разменям: 4 и 29\n"), "swap line by the keyboard")
    page.b.key("z", ctrl=True)
    equal(page.tiles(), list(range(30)), "Ctrl+Z from a button")
    # A click moves the cursor and shows no mark; a key shows it again.
    page.click_slot(12)
    equal(page.active(), "Picture2_12", "a click moves the cursor")
    expect_board(page, source, list(range(30)), borders=(12,))
    page.b.key("ArrowDown")
    expect_board(page, source, list(range(30)), borders=(12,), mark=13)
    page.b.key("Tab")
    expect_board(page, source, list(range(30)), borders=(12,))   # no mark off the board
    equal(page.js("document.querySelector('#pictureFile').tabIndex"), -1, "the file input is no Tab stop")


def accessibility_tree(page):
    page.click_slot(7)
    tree = page.b.call("Accessibility.getFullAXTree")["nodes"]
    nodes = {n["nodeId"]: n for n in tree}

    def role(n):
        return n.get("role", {}).get("value")

    def name(n):
        return n.get("name", {}).get("value")

    grids = [n for n in tree if role(n) == "grid"]
    equal([name(g) for g in grids], ["Пъзел"], "the grid")
    rows = [nodes[c] for c in grids[0].get("childIds", []) if role(nodes[c]) == "row"]
    equal(len(rows), 5, "rows of the grid")
    cells = []
    for row in rows:
        found = [nodes[c] for c in row.get("childIds", []) if role(nodes[c]) == "gridcell"]
        equal(len(found), 6, "cells of a row")
        cells += found
    expected = [f"Поле {5 * (i % 6) + i // 6}: част {5 * (i % 6) + i // 6}" for i in range(30)]
    equal([name(c) for c in cells], expected, "cells in reading order")
    selected = [name(c) for c in cells
                if any(p["name"] == "selected" and p["value"]["value"] for p in c.get("properties", []))]
    equal(selected, ["Поле 7: част 7"], "the picked cell is selected")
    logs = [n for n in tree if role(n) == "log"]
    check(logs, "a live log for the message box")


def glance(page):
    source = page.source()
    page.press(1)
    page.click_slot(4)
    page.click_slot(9)
    page.press(2)   # a swap, for a line in the message box
    page.click_slot(12)
    tiles, text = page.tiles(), page.text()
    check(text.startswith("Разменям: "), "the swap line")
    page.click_slot(20, button="right")
    item = page.js("(r => [r.x + r.width / 2, r.y + r.height / 2])"
                   "(document.getElementById('showWholePicture').getBoundingClientRect())")
    page.b.mouse(*item)
    active = page.active()
    expect_board(page, source, list(range(30)))   # the painting, assembled, covers the board
    equal(page.js("document.getElementById('board').getAttribute('aria-label')"), "Цялата картина", "board's name")
    equal(page.js("document.getElementById('glanceStatus').textContent"), "Цялата картина", "announced")
    page.press(0)   # "Изчисти": this click only ends the glance
    equal(page.tiles(), tiles, "the game as it was")
    equal(page.picked(), [12], "the pick as it was")
    equal(page.text(), text, "the message box as it was")
    equal(page.active(), active, "the focus as it was")
    equal(page.js("document.getElementById('board').getAttribute('aria-label')"), "Пъзел", "the board's name back")
    expect_board(page, source, tiles, borders=(12,))
    page.press(0)
    equal(page.tiles(), list(range(30)), "the next click is the game's again")
    # F2 on the board; the next key only ends it.
    page.click_slot(12)
    page.b.key("Tab")
    page.b.key("Tab", shift=True)
    page.b.key("F2")
    expect_board(page, source, list(range(30)))
    page.b.key("ArrowRight")
    equal(page.active(), "Picture2_12", "the cursor stays")
    expect_board(page, source, list(range(30)), borders=(12,), mark=12)
    equal(page.js("document.getElementById('glanceStatus').textContent"), "", "nothing more to announce")
    # A right click only ends it too, and the next one is the game's again.
    page.b.key("F2")
    page.click_slot(3, button="right")
    equal(page.js("document.getElementById('board').getAttribute('aria-label')"), "Пъзел", "the right click ends the glance")
    equal(page.js("document.getElementById('pictureMenu').hidden"), True, "and opens no menu")
    page.click_slot(3, button="right")
    equal(page.js("document.getElementById('pictureMenu').hidden"), False, "the next right click opens it")
    page.b.key("Escape")
    # A screen reader's click comes with no press before it: it only ends the glance.
    page.press(1)
    page.click_slot(0)
    tiles = page.tiles()
    page.b.key("F2")
    equal(page.js("document.getElementById('board').getAttribute('aria-label')"), "Цялата картина",
          "F2 after a click on the board")
    page.js("document.getElementById('Command1_1').click(), 0")
    equal(page.js("document.getElementById('board').getAttribute('aria-label')"), "Пъзел", "a reader's click ends the glance")
    equal(page.tiles(), tiles, "and shuffles nothing")


def cycles(page):
    """F3 on the board outlines the cycles, dims the pieces in place and says how many; the next key only ends it."""
    source = page.source()
    page.click_slot(3)
    page.click_slot(17)
    page.press(2)   # one cycle of two; 28 pieces in their places
    page.click_slot(8)
    page.b.key("Tab")
    page.b.key("Tab", shift=True)
    tiles = page.tiles()
    line = "Цикли: 29 · Най-малко размени до подредената картина: 1"
    label = "document.getElementById('Picture2_17').getAttribute('aria-label')"
    for kind in ("rawKeyDown", "keyUp"):   # F3
        page.b.call("Input.dispatchKeyEvent", type=kind, key="F3", code="F3", windowsVirtualKeyCode=114,
                    nativeVirtualKeyCode=114)
    equal(page.js("(e => [e.hidden, e.textContent])(document.getElementById('cyclesLine'))"), [False, line],
          "the status line shows")
    equal(page.js("document.getElementById('board').getAttribute('aria-label')"), line, "the board's name")
    equal(page.js("document.getElementById('glanceStatus').textContent"), line, "announced")
    equal(page.js(label), "Поле 17: част 3, цикъл 1", "a cell names its cycle")
    equal(page.js("document.getElementById('Picture2_0').getAttribute('aria-label')"), "Поле 0: част 0, на мястото си",
          "and a piece in its place")
    shot = page.board()
    for slot in (3, 17):
        equal(shot.pixel(50 * (slot // 5) + 1, 50 * (slot % 5) + 25), (0xE6, 0x19, 0x4B), f"slot {slot} outlined")
    veiled = [(c * 95 + 0x40 * 160) // 255 for c in source.pixel(25, 25)]
    got = shot.pixel(25, 25)
    check(all(abs(a - b) <= 2 for a, b in zip(got, veiled)), f"slot 0 dimmed: {got}, expected about {veiled}")
    page.b.key("ArrowRight")
    equal(page.js("document.getElementById('cyclesLine').hidden"), True, "a key ends it")
    equal(page.js(label), "Поле 17: част 3", "the names back")
    equal(page.active(), "Picture2_8", "and moves no cursor")
    equal(page.tiles(), tiles, "the game as it was")
    expect_board(page, source, tiles, borders=(8,), mark=8)
    page.b.key("F2")
    equal(page.js("document.getElementById('cyclesLine').hidden"), True, "no status line over the whole picture")


def open_from_menu(page, path):
    page.b.call("Page.setInterceptFileChooserDialog", enabled=True)
    page.click_slot(10, button="right")
    equal(page.js("document.getElementById('pictureMenu').hidden"), False, "the menu opens")
    equal(page.js("[...document.querySelectorAll('#pictureMenu [role=menuitem]')].map(e => e.textContent)"),
          ["Отвори картина…", "Върни вградената картина", "Запази като урок…", "Покажи цялата картина",
           "Покажи циклите"], "menu items")
    item = page.js("(r => [r.x + r.width / 2, r.y + r.height / 2])"
                   "(document.getElementById('openPicture').getBoundingClientRect())")
    page.b.mouse(*item)
    chooser = page.b.wait_event("Page.fileChooserOpened")
    page.b.call("DOM.setFileInputFiles", files=[path], backendNodeId=chooser["backendNodeId"])


def drop_file(page, path, at=(WINDOW[0] + 200, WINDOW[1] + 350)):
    data = dict(items=[], files=[path], dragOperationsMask=1)
    for kind in ("dragEnter", "dragOver", "drop"):
        page.b.call("Input.dispatchDragEvent", type=kind, x=at[0], y=at[1], data=data)


def wait_for_refusal(page):
    page.b.wait_for("document.getElementById('pictureRefused').open")
    return page.js("document.getElementById('pictureRefusedText').textContent")


def opening_pictures(page):
    folder = tempfile.mkdtemp(prefix="kalvero-pictures-")
    exact = os.path.join(folder, "exact.png")
    wide = os.path.join(folder, "широка.png")
    write_png(exact, 300, 250, pattern)
    write_png(wide, 900, 250, lambda x, y: pattern(x - 300, y) if 300 <= x < 600 else (255, 0, 0))
    page.press(1)
    page.click_slot(0)
    open_from_menu(page, exact)
    page.b.wait_for("!!Module.kalveroBoard.original")
    equal(page.tiles(), list(range(30)), "a new picture comes assembled")
    equal(page.picked(), [], "and with nothing picked")
    equal(page.text(), "", "and an empty message box")
    reference = Image(300, 250, [bytes(c for x in range(300) for c in pattern(x, y)) for y in range(250)])
    expect_board(page, reference, list(range(30)))
    page.js("window.before = Module.kalveroBoard.original, 0")
    drop_file(page, wide)
    page.b.wait_for("Module.kalveroBoard.original !== window.before && "
                    "document.getElementById('Picture2_0').title === '0'")
    page.b.next_frames(3)
    expect_board(page, reference, list(range(30)))   # the middle of a wide picture
    # A GIF longer than the start the page reads first is read whole, and opens.
    long_gif = os.path.join(folder, "long.gif")
    with open(os.path.join(CORPUS, "48x40.gif"), "rb") as f, open(long_gif, "wb") as out:
        out.write(with_comment(f.read(), 400_000))
    page.js("window.before = Module.kalveroBoard.original, 0")
    drop_file(page, long_gif)
    page.b.wait_for("document.getElementById('pictureRefused').open || "
                    "Module.kalveroBoard.original !== window.before")
    equal(page.js("document.getElementById('pictureRefused').open"), False, "a long whole GIF opens")
    # The built-in one comes back from the menu, which then offers it no more.
    page.click_slot(3, button="right")
    item = page.js("(r => [r.x + r.width / 2, r.y + r.height / 2])"
                   "(document.getElementById('builtInPicture').getBoundingClientRect())")
    page.b.mouse(*item)
    equal(page.js("Module.kalveroBoard.original"), None, "the built-in picture again")
    page.click_slot(3, button="right")
    equal(page.js("document.getElementById('builtInPicture').getAttribute('aria-disabled')"), "true",
          "the built-in picture is offered only when another shows")
    page.b.key("Escape")
    equal(page.js("document.getElementById('pictureMenu').hidden"), True, "Escape closes the menu")


def with_comment(gif, length):
    """The GIF with a comment of `length` bytes before its image: longer than the start the page reads first."""
    at = 13 + (3 * (2 << (gif[10] & 7)) if gif[10] & 0x80 else 0)
    blocks = b"".join(b"\xff" + b"c" * 255 for _ in range(length // 255))
    return gif[:at] + b"\x21\xfe" + blocks + b"\x00" + gif[at:]


def refusals(page):
    folder = tempfile.mkdtemp(prefix="kalvero-bad-")
    files = {}

    def make(name, data):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data() if callable(data) else data)
        data = None
        files[name] = path

    make("празен.jpg", b"")
    make("бележка.jpg", "Това не е картина.\n".encode())
    with open(os.path.join(CORPUS, "48x40.png"), "rb") as f:
        make("cut.png", f.read()[:1500])
    with open(os.path.join(CORPUS, "huge.bmp"), "rb") as f:
        make("huge.bmp", f.read())
    with open(os.path.join(CORPUS, "48x40-cut-trailer.gif"), "rb") as f:
        cut_gif = f.read()   # its trailer put back: the browser would paint the rows it has
    make("cut.gif", cut_gif)
    make("long-cut.gif", with_comment(cut_gif, 400_000))
    with open(os.path.join(CORPUS, "48x40.gif"), "rb") as f:
        taller = bytearray(f.read())   # all its codes, under an image descriptor claiming 80 rows
    equal(taller[69], 0x2C, "the image descriptor")
    taller[76] = 80
    make("taller.gif", bytes(taller))
    with open(os.path.join(CORPUS, "48x40-rle-cut.bmp"), "rb") as f:
        make("rle-cut.bmp", f.read())
    with open(os.path.join(CORPUS, "48x40.png"), "rb") as f:
        png = f.read()   # an icon holding one PNG, which the browser would decode
    make("икона.ico", b"\0\0\1\0\1\0\x30\x28\0\0\1\0\x20\0" + struct.pack("<II", len(png), 22) + png)
    make("<i>bold<i>.png", b"\x89PNG\r\n\x1a\n")
    # Names that would act on the message, and the longest a Linux name may be.
    turned, two_lines = "снимка\u202egnp.exe", "a.png\nФайлът е проверен и е безопасен.png"
    right_to_left = "تصویر بزرگ.png"
    longest = "начало" + "я" * 115 + "-край.png"
    equal(len(longest.encode()), 255, "the longest name's bytes")
    for name in (turned, two_lines, right_to_left, longest):
        make(name, b"MZ")

    def told(name, reason):   # the name isolated, so that it turns nothing around it
        return f"„\u2068{name}\u2069“ не може да се отвори: {reason}."
    damaged, not_a_picture = "изображението е повредено или непълно", "това не е изображение във формат, който програмата чете"
    expected = {
        "празен.jpg": told("празен.jpg", "файлът е празен"),
        "бележка.jpg": told("бележка.jpg", not_a_picture),
        "cut.png": told("cut.png", damaged),
        "huge.bmp": told("huge.bmp", "изображението е твърде голямо за отваряне"),
        "<i>bold<i>.png": told("<i>bold<i>.png", damaged),
        "cut.gif": told("cut.gif", damaged),
        "long-cut.gif": told("long-cut.gif", damaged),
        "taller.gif": told("taller.gif", damaged),
        "rle-cut.bmp": told("rle-cut.bmp", damaged),
        "икона.ico": told("икона.ico", not_a_picture),
        turned: told("снимка⟨U+202E⟩gnp.exe", not_a_picture),
        two_lines: told("a.png␊Файлът е проверен и е безопасен.png", not_a_picture),
        right_to_left: told(right_to_left, not_a_picture),
        longest: told("начало" + "я" * 23 + "…" + "я" * 21 + "-край.png", not_a_picture),
    }
    page.press(1)
    page.click_slot(2)
    tiles = page.tiles()
    source = page.source()
    page.b.key("Tab")   # the keyboard brings the focus to "Изчисти"... then back to the board
    page.b.key("Tab", shift=True)
    equal(page.active(), "Picture2_2", "the board has the focus")
    for name, message in expected.items():
        drop_file(page, files[name])
        text = wait_for_refusal(page)
        # The dialog, and the text in it, stay within the viewport.
        inside = page.js("[document.getElementById('pictureRefused'), document.getElementById('pictureRefusedText')]"
                         ".every(e => { const r = e.getBoundingClientRect(); return r.left >= 0 && r.top >= 0 && "
                         "r.right <= innerWidth && r.bottom <= innerHeight && e.scrollWidth <= e.clientWidth; })")
        equal(inside, True, f"the dialog for {name!r} within the viewport")
        equal(text, message, f"refusal of {name!r}")
        # The line reads left to right whatever the name: its opening quote stands left of its closing one.
        quotes = page.js("(t => { const r = document.createRange(), at = i => (r.setStart(t.firstChild, i), "
                         "r.setEnd(t.firstChild, i + 1), r.getBoundingClientRect().left); "
                         "return at(0) < at(t.textContent.indexOf('“')); })(document.getElementById('pictureRefusedText'))")
        if name != longest:   # which may break across lines
            equal(quotes, True, f"{name!r} turns no text around it")
        equal(page.js("document.getElementById('pictureRefused').getAttribute('role')"), "alertdialog", "role")
        equal(page.active(), "pictureRefusedOk", "the dialog's button has the focus")
        page.b.key("Tab")
        equal(page.active(), "pictureRefusedOk", "Tab stays in the dialog")
        page.b.key("Escape")
        page.b.wait_for("!document.getElementById('pictureRefused').open")
        equal(page.active(), "Picture2_2", "the focus goes back")
        equal(page.tiles(), tiles, "the game stays as it was")
        equal(page.picked(), [2], "the pick stays")
    expect_board(page, source, tiles, borders=(2,), mark=2)
    # After a click the board has no mark; closing the dialog with its button brings none.
    page.click_slot(2)
    page.click_slot(2)
    open_from_menu(page, files["бележка.jpg"])
    wait_for_refusal(page)
    button = page.js("(r => [r.x + r.width / 2, r.y + r.height / 2])"
                     "(document.getElementById('pictureRefusedOk').getBoundingClientRect())")
    page.b.mouse(*button)
    page.b.wait_for("!document.getElementById('pictureRefused').open")
    expect_board(page, source, tiles, borders=(2,))
    equal(page.picked(), [2], "picks after the refusal")


def sharp_at_device_pixel_ratio_two(browser2):
    page = Page(browser2)
    source = page.source()
    page.press(1)
    page.click_slot(9)
    page.b.key("Tab")
    page.b.key("Tab")
    page.b.key("Tab", shift=True)
    page.b.key("Tab", shift=True)
    equal(page.active(), "Picture2_9", "the board at ratio 2, cursor on the clicked slot")
    shot_tiles = page.tiles()
    data = page.b.call("Page.captureScreenshot", format="png",
                       clip=dict(x=BOARD[0], y=BOARD[1], width=300, height=250, scale=1))["data"]
    image = Image.from_png(base64.b64decode(data))
    equal((image.width, image.height), (600, 500), "device pixels of the board")
    expect_board_image(image, source, shot_tiles, borders=(9,), mark=9, scale=2)


def expect_board_image(shot, source, tiles, borders, mark, scale):
    for slot in range(30):
        tile = tiles[slot]
        sx, sy = 50 * (tile // 5), 50 * (tile % 5)
        dx, dy = 50 * (slot // 5), 50 * (slot % 5)
        for y in range(50):
            for x in range(50):
                expected = source.pixel(sx + x, sy + y)
                r = ring(x, y)
                if slot in borders and r == 0:
                    expected = WHITE if walk_index(x, y) % 6 < 3 else BLACK
                if slot == mark and r in (2, 3, 4, 5):
                    expected = YELLOW if r in (3, 4) else BLACK
                for j in range(scale):
                    for i in range(scale):
                        got = shot.pixel(scale * (dx + x) + i, scale * (dy + y) + j)
                        if got != expected:
                            raise Failure(f"slot {slot} pixel ({x}, {y}) device ({i}, {j}): {got}, "
                                          f"expected {expected}")


# The page on every screen: its own browsers, each at the size and pixel ratio it needs.

def expected_scale(width, height):
    for scale in (4, 3.5, 3, 2.5, 2, 1.5, 1):
        if 466 * scale <= width and 424 * scale <= height:
            return scale
    return min(width / 466, height / 424)


def resize(b, width, height, scale=1, mobile=False):
    b.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=scale, mobile=mobile)
    b.next_frames(3)


def window_box(page):
    return page.js("(r => [r.x, r.y, r.width, r.height])(document.getElementById('Kalvero').getBoundingClientRect())")


def scale_follows_the_viewport(b):
    """The window at the largest whole or half scale that fits, below 1 exactly fitted, centred; the game stays."""
    page = Page(b)
    page.press(1)
    page.click_slot(7)
    tiles = page.tiles()
    for width, height in ((800, 700), (1920, 1080), (1366, 768), (1280, 720), (3000, 1700), (10000, 10000),
                          (360, 740), (740, 360), (1, 1), (640, 600)):
        resize(b, width, height)
        scale = expected_scale(width, height)
        x, y, w, h = window_box(page)
        check(abs(w - 466 * scale) < 0.01 and abs(h - 424 * scale) < 0.01,
              f"{width} x {height}: the window {w:.2f} x {h:.2f} at scale {scale}")
        check(abs(x - max(0, (width - w) / 2)) <= 1 and abs(y - max(0, (height - h) / 2)) <= 1,
              f"{width} x {height}: centred at ({x}, {y})")
        equal(page.js("[document.scrollingElement.scrollWidth, document.scrollingElement.scrollHeight]"),
              [width, height], f"{width} x {height}: nothing to scroll to")
        canvas = page.js("(c => [c.width, c.height])(document.getElementById('boardCanvas'))")

        def device(start, length):   # a span of the window's design pixels, its edges rounded half up
            return max(1, int((start + length) * scale + 0.5) - int(start * scale + 0.5))
        equal(canvas, [device(64, 300), device(30, 250)], f"{width} x {height}: board at device pixels")
    equal(page.tiles(), tiles, "the game as it was")
    equal(page.picked(), [7], "the pick as it was")
    expect_board(page, page.source(), tiles, borders=(7,))


def no_seams(b):
    """At 125 % and 150 % the board is one surface: no line of the window's colour crosses the painting."""
    page = Page(b)
    for ratio, width, height in ((1.25, 640, 600), (1.5, 640, 600), (1.25, 1536, 730), (1.5, 1280, 620)):
        resize(b, width, height, ratio)
        page.press(1)
        page.js("document.getElementById('board').style.background = 'none', 0")   # a gap shows the window's colour
        b.next_frames(3)
        x, y, w, h = page.js("(r => [r.x, r.y, r.width, r.height])"
                             "(document.getElementById('boardCanvas').getBoundingClientRect())")
        shot = Image.from_png(base64.b64decode(b.call("Page.captureScreenshot", format="png")["data"]))
        left, top = int(x * ratio) + 1, int(y * ratio) + 1
        right, bottom = int((x + w) * ratio) - 1, int((y + h) * ratio) - 1
        lavender = [(px, py) for py in range(top, bottom) for px in range(left, right)
                    if all(abs(a - b2) <= 6 for a, b2 in zip(shot.pixel(px, py), (192, 192, 255)))]
        equal(lavender[:5], [], f"window-coloured pixels on the board at {ratio} in {width} x {height}")
        # The canvas lies on whole device pixels: a picked piece's border is black and white, not greyed.
        page.click_slot_at(7)
        b.next_frames(3)
        shot = Image.from_png(base64.b64decode(b.call("Page.captureScreenshot", format="png")["data"]))
        wx, wy, ww, wh = window_box(page)
        unit = ww / 466 * ratio   # device pixels to a design pixel

        def device(value):   # a design length from the window's corner, rounded half up as the page does
            return int(value * unit + 0.5)
        row = round(wy * ratio) + device(30 + 100)   # slot 7: column 1, row 2
        greys = [shot.pixel(px, row) for px in range(round(wx * ratio) + device(64 + 50) + 2,
                                                     round(wx * ratio) + device(64 + 100) - 2)
                 if not any(all(abs(a - b2) <= 24 for a, b2 in zip(shot.pixel(px, row), colour))
                            for colour in (BLACK, WHITE))]
        equal(greys[:3], [], f"the border's top row at {ratio} in {width} x {height}")
        page.click_slot_at(7)
        page.click_slot_at(7)   # lets it go again


def touch(b, points, kind):
    b.call("Input.dispatchTouchEvent", type=kind, touchPoints=[dict(x=x, y=y, id=i) for i, (x, y) in enumerate(points)])


def touch_plays(b):
    """A tap picks on release and shows its border at once; a long press opens the menu; two fingers do neither."""
    b.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
    resize(b, *VIEW, mobile=True)
    page = Page(b)
    equal(page.active(), "", "on a touch screen the message box takes no focus at load")
    source = page.source()
    page.press(1)
    tiles = page.tiles()
    at = slot_centre(8)
    # Whether the piece was already picked when the browser's click came after the tap.
    page.js("document.addEventListener('click', e => { window.pickedAtClick = e.target.getAttribute('aria-selected'); },"
            " true), 0")
    touch(b, [at], "touchStart")
    equal(page.picked(), [], "a finger down picks nothing yet")
    touch(b, [], "touchEnd")
    equal(page.picked(), [8], "the tap picks on release")
    equal(page.js("window.pickedAtClick || 'no click'"), "true", "before any click the browser makes of it")
    expect_board(page, source, tiles, borders=(8,))
    touch(b, [at], "touchStart")
    touch(b, [], "touchEnd")
    page.press(2)
    equal(page.text(), f"Разменям: {tiles[8]} и {tiles[8]}\n", "a second tap is a second pick, not a zoom")
    # Two fingers: no pick, no menu.
    touch(b, [slot_centre(3), slot_centre(20)], "touchStart")
    time.sleep(0.7)
    touch(b, [], "touchEnd")
    equal(page.picked(), [], "two fingers pick nothing")
    equal(page.js("document.getElementById('pictureMenu').hidden"), True, "and open no menu")
    # A long press opens the board's menu, whose items take a finger; the release picks nothing.
    touch(b, [slot_centre(12)], "touchStart")
    time.sleep(0.7)
    equal(page.js("document.getElementById('pictureMenu').hidden"), False, "a long press opens the menu")
    touch(b, [], "touchEnd")
    equal(page.picked(), [], "the long press picks nothing")
    heights = page.js("[...document.querySelectorAll('#pictureMenu [role=menuitem]')]"
                      ".map(e => e.getBoundingClientRect().height)")
    check(min(heights) >= 44, f"menu items at least 44 CSS pixels tall for a finger: {heights}")
    page.b.key("Escape")
    # A resize in the middle of a long press keeps the window whole and the game as it was.
    touch(b, [slot_centre(12)], "touchStart")
    resize(b, 700, 650, mobile=True)
    time.sleep(0.7)
    touch(b, [], "touchEnd")
    page.b.key("Escape")
    resize(b, *VIEW, mobile=True)
    equal(page.tiles(), tiles, "the game as it was")
    equal(page.picked(), [], "nothing picked, as before")


def two_files_dropped(page):
    folder = tempfile.mkdtemp(prefix="kalvero-two-")
    paths = [os.path.join(folder, name) for name in ("a.png", "b.png")]
    for path in paths:
        write_png(path, 30, 25, pattern)
    page.press(1)
    page.click_slot(2)
    tiles = page.tiles()
    data = dict(items=[], files=paths, dragOperationsMask=1)
    for kind in ("dragEnter", "dragOver", "drop"):
        page.b.call("Input.dispatchDragEvent", type=kind, x=WINDOW[0] + 200, y=WINDOW[1] + 350, data=data)
    equal(wait_for_refusal(page), "Отваря се по една картина наведнъж: пуснете само един файл.", "told plainly")
    page.b.key("Enter")
    equal(page.tiles(), tiles, "the game as it was")
    equal(page.picked(), [2], "the pick as it was")
    equal(page.js("Module.kalveroBoard.original"), None, "the picture as it was")


def watch_workers_and_long_tasks(page):
    """Test-side counts of the workers the page starts and has not ended, and of its longest task."""
    page.js("window.workers = 0, window.Worker = (W => class extends W { constructor(u) { super(u); workers++; } "
            "terminate() { if (!this.ended) workers--; this.ended = true; super.terminate(); } })(window.Worker), "
            "window.longest = 0, new PerformanceObserver(l => l.getEntries().forEach(e => "
            "longest = Math.max(longest, e.duration))).observe({type: 'longtask'}), 0")


def worker_verdicts(page):
    """Pictures decoded in the page's worker: JPEGs by libjpeg-turbo, with the desktop's
    verdicts; the rest by the browser, the files that would hold a browser's decoders
    among them. Each within seconds, the page answering throughout, no worker left."""
    watch_workers_and_long_tasks(page)
    memory = page.js("wasmMemory.buffer.byteLength")
    for name, path, verdict in hostile_files(tempfile.mkdtemp(prefix="kalvero-hostile-")):
        page.js("window.before = Module.kalveroBoard.original, 0")
        started = time.monotonic()
        drop_file(page, path)
        page.b.wait_for("document.getElementById('pictureRefused').open || Module.kalveroBoard.original !== before", 30)
        took = time.monotonic() - started
        if isinstance(verdict, str):
            equal(wait_for_refusal(page), f"„\u2068{name}\u2069“ не може да се отвори: {verdict}.", name)
            page.b.key("Escape")
            page.b.wait_for("!document.getElementById('pictureRefused').open")
        else:
            equal(page.js("document.getElementById('pictureRefused').open"), False, f"{name} opens")
            equal(page.js("[Module.kalveroBoard.original.width, Module.kalveroBoard.original.height]"), verdict,
                  f"{name}: the board's part, at most the board's size on this screen")
        check(took < 8, f"{name}: a verdict in {took:.1f} s")
        equal(page.js("workers"), 0, f"no worker left after {name}")
    equal(page.js("wasmMemory.buffer.byteLength"), memory, "the game's memory does not grow with a picture")
    # A decode on the main thread would hold it for a second; a busy machine, for less.
    check(page.js("longest") < 250, f"the page answers throughout: its longest task took {page.js('longest')} ms")


def worker_misbehaves(page):
    """The page's watchdog over its decoder: a worker that decodes for ever is ended 5 s after
    the file was read, one that reads nothing for 10 s is a stalled drive, one that breaks
    down is told as such; the game stays as it was, and no worker is left."""
    watch_workers_and_long_tasks(page)
    path = os.path.join(tempfile.mkdtemp(prefix="kalvero-watchdog-"), "снимка.jpg")
    with open(os.path.join(CORPUS, "48x40.jpg"), "rb") as f, open(path, "wb") as out:
        out.write(f.read())
    page.press(1)
    tiles = page.tiles()
    for script, least, reason in (
            ("onmessage = () => { postMessage({read: true}); for (;;) {} }", 5, "твърде сложно за отваряне"),
            ("onmessage = () => {}", 10, "файлът не може да бъде прочетен: устройството спря да отговаря"),
            ("onmessage = () => { throw new Error('broken'); }", 0, "разчитането му прекъсна аварийно")):
        # In place of the decoder's script, as the page keeps it once unpacked.
        page.js("Module.kalveroDecoding = {code: Promise.resolve(null), end() {}, script: Promise.resolve("
                f"URL.createObjectURL(new Blob([{script!r}], {{type: 'text/javascript'}})))}}, 0")
        started = time.monotonic()
        drop_file(page, path)
        equal(wait_for_refusal(page), f"„\u2068снимка.jpg\u2069“ не може да се отвори: {reason}.", script)
        took = time.monotonic() - started
        check(least <= took < least + 3, f"{reason}: after {took:.1f} s")
        equal(page.js("workers"), 0, f"the worker ended: {reason}")
        page.b.key("Escape")
        page.b.wait_for("!document.getElementById('pictureRefused').open")
        equal(page.tiles(), tiles, "the game stays as it was")
    # A decode on the main thread would hold it for a second; a busy machine, for less.
    check(page.js("longest") < 250, f"the page answers throughout: its longest task took {page.js('longest')} ms")


def menu_item(page, item_id):
    page.click_slot(10, button="right")
    page.b.mouse(*page.js(f"(r => [r.x + r.width / 2, r.y + r.height / 2])"
                          f"(document.getElementById('{item_id}').getBoundingClientRect())"))


def lessons(page):
    """A lesson saved from the page and opened again: from its own file and by a drop, with
    the same picture, text and start; bad lessons refused, the game kept."""
    folder = tempfile.mkdtemp(prefix="kalvero-lessons-")
    painting = os.path.join(folder, "Нощна стража.png")
    write_png(painting, 600, 500, lambda x, y: pattern(x // 2, y // 2))
    drop_file(page, painting)
    page.b.wait_for("!!Module.kalveroBoard.original")
    page.press(1)   # "Размести"
    tiles = page.tiles()
    words = "Рембранд, „Нощна стража“, 1642.\nКакво прави капитанът? </script><b>не</b>"
    page.js(f"document.getElementById('Text1_0').value = {words!r}, 0")
    page.b.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=folder, eventsEnabled=True)
    started = time.monotonic()
    menu_item(page, "saveLesson")
    saved = os.path.join(folder, "Нощна стража.html")
    deadline = time.monotonic() + 10
    while not os.path.exists(saved) and time.monotonic() < deadline:
        time.sleep(0.02)
    print(f"       the lesson saved in {(time.monotonic() - started) * 1000:.0f} ms (download included), "
          f"{os.path.getsize(saved)} bytes")
    check(os.path.getsize(saved) < 400_000, f"a lesson of {os.path.getsize(saved)} bytes")
    reference = page.source()

    def same_lesson(what):
        page.b.wait_for("document.getElementById('Text1_0').value.startsWith('Рембранд')")
        equal(page.text(), words, f"{what}: the text")
        equal(page.tiles(), tiles, f"{what}: the start")
        got = page.source()   # the picture, through a JPEG at twice the board's size
        off = [abs(a - b) for y in range(0, 250, 5) for a, b in zip(got.rows[y], reference.rows[y])]
        check(sum(off) / len(off) < 6, f"{what}: the picture, {sum(off) / len(off):.1f} off on average")
        page.press(3)   # "Ход назад": the assembled painting under the start
        equal(page.tiles(), list(range(30)), f"{what}: one level over the assembled picture")

    page.b.navigate("file://" + saved, ready="!document.getElementById('Kalvero').hasAttribute('aria-busy')")
    same_lesson("the lesson's own page")
    menu_item(page, "builtInPicture")
    check(page.text().startswith(HELP_FIRST), "the built-in picture brings back its help text")
    Page(page.b)   # the bare page again
    drop_file(page, saved)
    same_lesson("a lesson dropped on the page")

    with open(saved, encoding="utf-8") as f:
        lesson_page = f.read()
    opening = '<script type="application/json" id="kalveroLesson">'
    block = lesson_page[lesson_page.index(opening) + len(opening):lesson_page.index("</script>", lesson_page.index(opening))]
    bad = {
        "страница.html": ("<!DOCTYPE html><html><body>Здравейте</body></html>", "това е уеб страница, а не урок"),
        "два.html": (lesson_page.replace(opening, opening + block + "</script>" + opening, 1), "повече от един урок"),
        "счупен.html": (lesson_page.replace('"kalvero":1', '"kalvero":1,', 1), "повреден"),
        "ход.html": (lesson_page.replace('"start":[', '"start":[0,', 1), "30-те части"),
        "голям.html": (lesson_page + " " * (16 << 20), "по-голям от 16 MiB"),
    }
    for name, (text, reason) in bad.items():
        path = os.path.join(folder, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        page.press(1)
        before = page.tiles()
        drop_file(page, path)
        told = wait_for_refusal(page)
        check(told.startswith(f"„\u2068{name}\u2069“ не може да се отвори: ") and reason in told, f"{name}: {told}")
        page.b.key("Escape")
        page.b.wait_for("!document.getElementById('pictureRefused').open")
        equal(page.tiles(), before, f"{name}: the game stays as it was")


CHECKS = [window_layout, startup_pixels_and_tooltips, shuffle_picks_swap_undo, solved_text, tab_cycle,
          keyboard_game, accessibility_tree, glance, cycles, opening_pictures, refusals, two_files_dropped, worker_verdicts,
          worker_misbehaves, lessons]
# Checks that bring their own browser (a size, a pixel ratio, touch).
OWN_BROWSER = [(sharp_at_device_pixel_ratio_two, dict(scale=2)), (scale_follows_the_viewport, {}), (no_seams, {}),
               (touch_plays, {})]


def main():
    passed = failed = 0
    only = set(os.environ.get("KALVERO_PAGE_CHECKS", "").split(",")) - {""}
    with Browser(*VIEW) as browser:
        for test in CHECKS:
            if only and test.__name__ not in only:
                continue
            try:
                test(Page(browser))
                passed += 1
                print(f"PASS   : {test.__name__}", flush=True)
            except Exception as error:   # every check is told, and the next one runs
                failed += 1
                print(f"FAIL!  : {test.__name__}: {error}", flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
    for test, options in OWN_BROWSER:
        if only and test.__name__ not in only:
            continue
        with Browser(*VIEW, **options) as own:
            try:
                test(own)
                passed += 1
                print(f"PASS   : {test.__name__}", flush=True)
            except Exception as error:
                failed += 1
                print(f"FAIL!  : {test.__name__}: {error}", flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
    print(f"Totals: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
