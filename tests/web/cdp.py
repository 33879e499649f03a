# cdp.py: a headless Chromium of our own, driven over the DevTools protocol.
# Debian's chromium and python3-websocket only; nothing is fetched.
import base64
import json
import os
import shutil
import struct
import subprocess
import tempfile
import time
import urllib.request
import zlib

import websocket

CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-extensions", "--mute-audio", "--force-color-profile=srgb",
]


class ProtocolError(Exception):
    pass


class Browser:
    """One Chromium process with a fresh profile, and one page of it."""

    def __init__(self, width=800, height=700, scale=1, extra_flags=()):
        self.profile = tempfile.mkdtemp(prefix="kalvero-chromium-")
        self.process = subprocess.Popen(
            ["chromium", *CHROMIUM_FLAGS, *extra_flags, f"--user-data-dir={self.profile}",
             "--remote-debugging-port=0", f"--window-size={width},{height}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port = self._port()
        deadline = time.time() + 30
        while True:
            try:
                with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=5) as answer:
                    pages = [t for t in json.load(answer) if t["type"] == "page"]
                if pages:
                    break
            except OSError:
                pass
            if time.time() > deadline:
                raise ProtocolError("no page target")
            time.sleep(0.1)
        self.socket = websocket.create_connection(pages[0]["webSocketDebuggerUrl"], timeout=60,
                                                  suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.call("Page.enable")
        self.call("Runtime.enable")
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=scale, mobile=False)
        self.width, self.height, self.scale = width, height, scale

    def _port(self):
        path = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.time() + 30
        while time.time() < deadline:
            if os.path.exists(path):
                with open(path) as f:
                    lines = f.read().split()
                if lines:
                    return int(lines[0])
            if self.process.poll() is not None:
                raise ProtocolError("chromium exited")
            time.sleep(0.05)
        raise ProtocolError("chromium did not open its port")

    def close(self):
        try:
            self.socket.close()
        finally:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
            shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def call(self, method, **params):
        self.next_id += 1
        mine = self.next_id
        self.socket.send(json.dumps({"id": mine, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == mine:
                if "error" in message:
                    raise ProtocolError(f"{method}: {message['error']}")
                return message.get("result", {})
            if "method" in message:
                self.events.append(message)

    def wait_event(self, method, timeout=20):
        """The first event of that name not yet taken, waiting for it if need be."""
        deadline = time.time() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event["method"] == method:
                    return self.events.pop(i)["params"]
            if time.time() > deadline:
                raise ProtocolError(f"no {method} event")
            self.socket.settimeout(max(0.1, deadline - time.time()))
            try:
                message = json.loads(self.socket.recv())
            except websocket.WebSocketTimeoutException:
                continue
            finally:
                self.socket.settimeout(60)
            if "method" in message:
                self.events.append(message)

    def evaluate(self, expression, await_promise=True):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=await_promise)
        if "exceptionDetails" in result:
            raise ProtocolError(f"{expression!r}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def navigate(self, url, ready="document.readyState === 'complete'"):
        self.events = [e for e in self.events if e["method"] != "Page.loadEventFired"]
        self.call("Page.navigate", url=url)
        self.wait_event("Page.loadEventFired")
        self.wait_for(ready)

    def wait_for(self, condition, timeout=20):
        deadline = time.time() + timeout
        while not self.evaluate(f"!!({condition})"):
            if time.time() > deadline:
                raise ProtocolError(f"timed out waiting for {condition}")
            time.sleep(0.02)

    def next_frames(self, count=2):
        """Lets the page render: resolves after that many animation frames."""
        self.evaluate("new Promise(r => { let n = %d; const f = () => --n ? requestAnimationFrame(f) : r(); "
                      "requestAnimationFrame(f); })" % count)

    # Real input, through the browser's own input pipeline.
    def mouse(self, x, y, button="left", clicks=1):
        self.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)
        self.call("Input.dispatchMouseEvent", type="mousePressed", x=x, y=y, button=button, clickCount=clicks)
        self.call("Input.dispatchMouseEvent", type="mouseReleased", x=x, y=y, button=button, clickCount=clicks)

    def hover(self, x, y):
        self.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)

    KEYS = {
        "Tab": (9, "Tab"), "Enter": (13, "Enter"), "Escape": (27, "Escape"), " ": (32, "Space"),
        "ArrowLeft": (37, "ArrowLeft"), "ArrowUp": (38, "ArrowUp"), "ArrowRight": (39, "ArrowRight"),
        "ArrowDown": (40, "ArrowDown"), "Home": (36, "Home"), "End": (35, "End"),
        "ContextMenu": (93, "ContextMenu"), "F2": (113, "F2"),
    }

    def key(self, key, shift=False, ctrl=False):
        if len(key) == 1 and key != " ":
            code, name = ord(key.upper()), "Key" + key.upper()
        else:
            code, name = self.KEYS[key]
        modifiers = (8 if shift else 0) | (2 if ctrl else 0)
        text = key if len(key) == 1 and not ctrl else ("\r" if key == "Enter" else "")
        common = dict(key=key, code=name, windowsVirtualKeyCode=code, nativeVirtualKeyCode=code,
                      modifiers=modifiers)
        self.call("Input.dispatchKeyEvent", type="keyDown" if text else "rawKeyDown", text=text, **common)
        self.call("Input.dispatchKeyEvent", type="keyUp", **common)

    def type_text(self, text):
        for ch in text:
            self.call("Input.insertText", text=ch)

    def screenshot(self, path=None):
        data = base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"])
        if path:
            with open(path, "wb") as f:
                f.write(data)
        return Image.from_png(data)


class Image:
    """RGB pixels of a PNG, enough for comparing screenshots."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows   # rows: bytes of RGB triples

    def pixel(self, x, y):
        row = self.rows[y]
        return tuple(row[3 * x:3 * x + 3])

    def crop(self, x, y, width, height):
        return [bytes(self.rows[y + j][3 * x:3 * (x + width)]) for j in range(height)]

    @staticmethod
    def from_png(data):
        assert data[:8] == b"\x89PNG\r\n\x1a\n"
        at, idat, header = 8, [], None
        while at < len(data):
            length, kind = struct.unpack(">I4s", data[at:at + 8])
            body = data[at + 8:at + 8 + length]
            if kind == b"IHDR":
                header = struct.unpack(">IIBBBBB", body)
            elif kind == b"IDAT":
                idat.append(body)
            at += 12 + length
        width, height, depth, colour, _, _, interlace = header
        assert depth == 8 and colour in (2, 6) and interlace == 0, header
        channels = 3 if colour == 2 else 4
        raw = zlib.decompress(b"".join(idat))
        stride = width * channels
        rows, previous, at = [], bytearray(stride), 0
        for _ in range(height):
            kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
            at += 1 + stride
            for i in range(stride):
                a = line[i - channels] if i >= channels else 0
                b = previous[i]
                c = previous[i - channels] if i >= channels else 0
                if kind == 1:
                    line[i] = (line[i] + a) & 255
                elif kind == 2:
                    line[i] = (line[i] + b) & 255
                elif kind == 3:
                    line[i] = (line[i] + (a + b) // 2) & 255
                elif kind == 4:
                    p = a + b - c
                    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                    line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            previous = line
            if channels == 4:
                rgb = bytearray(width * 3)
                rgb[0::3], rgb[1::3], rgb[2::3] = line[0::4], line[1::4], line[2::4]
                rows.append(bytes(rgb))
            else:
                rows.append(bytes(line))
        return Image(width, height, rows)
