#!/usr/bin/python3
"""The board as a screen reader meets it, through the real accessibility bus.

Starts an X server, a private D-Bus session bus and the program with Qt's AT-SPI
bridge, then reads the tree with an AT-SPI client and presses keys as a person
does: the board is a table of 5 rows and 6 columns whose 30 named cells come in
reading order, focus follows the cursor, a pick selects its cell, a swap's line is
inserted into the message box, and the glance at the whole painting is heard.
Prints what it saw.
Usage: atspi_test.py KALVERO. Exit 0 passed, 1 failed, 77 when the bus cannot run.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
processes = []


def skip(reason):
    print(f"SKIP: {reason}")
    sys.exit(SKIP)


def fail(reason):
    print(f"FAIL: {reason}")
    sys.exit(1)


def start(command, **options):
    process = subprocess.Popen(command, **options)
    processes.append(process)
    return process


def start_buses(scratch):
    """An X server and a session bus of our own; the accessibility bus comes on demand."""
    for program in ("Xvfb", "dbus-daemon", "xdotool", "/usr/libexec/at-spi-bus-launcher"):
        if not shutil.which(program):
            skip(f"{program} is not installed")
    read, write = os.pipe()
    start(["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24", "-nolisten", "tcp", "-noreset"],
          pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        display = pipe.readline().strip()
    if not display:
        skip("Xvfb did not start")
    os.environ["DISPLAY"] = ":" + display
    bus = start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE, text=True)
    address = bus.stdout.readline().strip()
    if not address:
        skip("no D-Bus session bus")
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    os.environ["XDG_RUNTIME_DIR"] = scratch
    os.environ.pop("AT_SPI_BUS_ADDRESS", None)


def pump(seconds, until=lambda: False):
    """Runs the client's main loop, so that events arrive, until `until` holds."""
    deadline = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < deadline and not until():
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)
    return until()


def children(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]


def find(node, role):
    if node.get_role() == role:
        return node
    for child in children(node):
        found = find(child, role)
        if found:
            return found
    return None


def outline(node, depth=0):
    """The role tree, one line a node; the table's cells summed up in one line."""
    line = f"{'  ' * depth}{node.get_role_name()}: {node.get_name()!r}"
    if node.get_role() == Atspi.Role.TABLE:
        cells = children(node)
        return [line, f"{'  ' * (depth + 1)}{len(cells)} x table cell: {cells[0].get_name()!r} ... {cells[-1].get_name()!r}"]
    lines = [line]
    for child in children(node):
        lines += outline(child, depth + 1)
    return lines


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(0.05)


def slot_at(index):
    return (index % 6) * 5 + index // 6


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    kalvero = sys.argv[1]
    scratch = tempfile.mkdtemp()
    os.chmod(scratch, 0o700)
    start_buses(scratch)
    global Atspi, GLib
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi, GLib
    except (ImportError, ValueError) as error:
        skip(f"no AT-SPI client for Python: {error}")
    if Atspi.init() not in (0, 1):   # 1: already initialised
        skip("the AT-SPI client could not start")

    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    errors = open(os.path.join(scratch, "stderr"), "w+")
    program = start([kalvero], env=environment, stderr=errors)

    desktop = Atspi.get_desktop(0)
    app = None
    deadline = time.monotonic() + 20
    while app is None and time.monotonic() < deadline:
        if program.poll() is not None:
            errors.seek(0)
            fail(f"the program ended with {program.returncode}: {errors.read()}")
        app = next((a for a in children(desktop) if a and a.get_name() == "Kalvero"), None)
        time.sleep(0.2)
    if app is None:
        fail("the program never appeared on the accessibility bus, though the bus runs")
    pump(0.5)

    print("== the tree")
    print("\n".join(outline(app)))
    table = find(app, Atspi.Role.TABLE)
    if table is None:
        fail("no table in the tree")
    if (table.get_n_rows(), table.get_n_columns()) != (5, 6):
        fail(f"the table has {table.get_n_rows()} rows and {table.get_n_columns()} columns")
    cells = children(table)
    names = [cell.get_name() for cell in cells]
    expected = [f"Поле {slot_at(i)}: част {slot_at(i)}" for i in range(30)]
    if names != expected:
        fail(f"the cells read {names}")
    if any(cell.get_role() != Atspi.Role.TABLE_CELL for cell in cells):
        fail("a child of the table is not a cell")
    if table.get_accessible_at(1, 2).get_name() != "Поле 11: част 11":
        fail("row 1, column 2 is not slot 11")
    print("cells in reading order:", ", ".join(name.split(":")[0] for name in names[:7]), "...")

    events = []
    def heard(event):
        data = event.any_data if event.type.startswith("object:text") else ""
        events.append((event.type, event.detail1, event.source.get_name(), str(data).strip()))
    def told():
        return "\n".join(f"  {kind} {detail} {name!r} {text!r}" if text else f"  {kind} {detail} {name!r}"
                         for kind, detail, name, text in events)
    listener = Atspi.EventListener.new(heard)
    for kind in ("focus:", "object:state-changed:focused", "object:state-changed:selected",
                 "object:text-changed:insert", "object:property-change:accessible-name"):
        listener.register(kind)

    window = subprocess.run(["xdotool", "search", "--sync", "--pid", str(program.pid), "--name", "пъзел"],
                            capture_output=True, text=True, check=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    pump(0.5)
    def saw(kind, name, detail=1):
        return any(e[0] == kind and e[2] == name and e[1] == detail for e in events)

    key("Tab")
    if not pump(5, lambda: saw("object:state-changed:focused", "Поле 0: част 0")):
        fail(f"Tab did not bring the focus to the cursor's cell; heard:\n{told()}")
    pump(0.3)
    focus = [e for e in events if e[0] == "focus:"]
    if focus[-1][2] != "Поле 0: част 0":
        fail(f"the focus ended on {focus[-1][2]!r}, not on the cursor's cell")
    key("Right")
    if not pump(5, lambda: saw("object:state-changed:focused", "Поле 5: част 5")):
        fail(f"no focus on the cursor's cell; heard:\n{told()}")
    cell5 = table.get_accessible_at(0, 1)
    if not cell5.get_state_set().contains(Atspi.StateType.FOCUSED):
        fail("the cursor's cell does not say it is focused")
    key("space")
    if not pump(5, lambda: saw("object:state-changed:selected", "Поле 5: част 5")):
        fail(f"the pick was not heard; heard:\n{told()}")
    if not cell5.get_state_set().contains(Atspi.StateType.SELECTED):
        fail("the picked cell is not selected")
    key("Down", "Return", "Tab", "Tab", "Tab", "space")
    if not pump(5, lambda: any(e[0] == "object:text-changed:insert" and "Разменям: 6 и 5" in e[3] for e in events)):
        fail(f"the swap's line was not inserted into the message box; heard:\n{told()}")
    pump(0.5)
    if table.get_accessible_at(0, 1).get_name() != "Поле 5: част 6":
        fail("the cell's name did not follow the swap")

    # The glance at the whole painting: the board is named for it while it shows, and
    # the next key brings the cursor's cell back.
    key("shift+Tab", "shift+Tab", "shift+Tab")
    if not pump(5, lambda: saw("focus:", "Поле 6: част 5", 0)):
        fail(f"Shift+Tab did not come back to the board; heard:\n{told()}")
    key("F2")
    if not pump(5, lambda: any(e[0] == "object:property-change:accessible-name" and e[2] == "Цялата картина"
                               for e in events)):
        fail(f"the glance was not heard; heard:\n{told()}")
    if table.get_name() != "Цялата картина":
        fail(f"the board is named {table.get_name()!r} during the glance")
    key("space")
    if not pump(5, lambda: table.get_name() == "Пъзел"):
        fail("the board's name did not come back after the glance")
    if not pump(5, lambda: [e for e in events if e[0] == "focus:"][-1][2] == "Поле 6: част 5"):
        fail(f"the focus did not come back to the cursor's cell; heard:\n{told()}")
    if table.get_accessible_at(1, 1).get_state_set().contains(Atspi.StateType.SELECTED):
        fail("the key that ended the glance picked a piece")

    print("== what a reader heard")
    print(told())
    print("PASS")


if __name__ == "__main__":
    try:
        main()
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
