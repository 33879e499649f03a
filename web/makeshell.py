#!/usr/bin/env python3
# makeshell.py: the page's shell with the window font, the built-in picture, the
# window's markup and the picture decoder's worker inside it.
#   makeshell.py TEMPLATE FONT.woff2 PICTURE.jpg WINDOW DECODER.js WORKER.js DECODER.wasm OUTPUT
# WINDOW holds the window's title on its first line, its design size and scales (JSON)
# on the second, then its markup.
import base64
import gzip
import html
import sys

template, font, picture, window, decoder, worker, wasm, output = sys.argv[1:9]
with open(template, encoding="utf-8") as f:
    text = f.read()
for name, path in (("@KALVERO_FONT@", font), ("@KALVERO_PICTURE@", picture)):
    assert text.count(name) == 1, name
    with open(path, "rb") as f:
        text = text.replace(name, base64.b64encode(f.read()).decode("ascii"))
# The worker's script (the decoder's glue, then the worker's own) and its WebAssembly,
# each gzip-compressed, in base64.
def packed(data):
    return base64.b64encode(gzip.compress(data, 9, mtime=0)).decode("ascii")
with open(decoder, "rb") as f, open(worker, "rb") as g:
    script = f.read() + b"\n" + g.read()
with open(wasm, "rb") as f:
    code = f.read()
for name, value in (("@KALVERO_DECODER_SCRIPT@", packed(script)), ("@KALVERO_DECODER_CODE@", packed(code))):
    assert text.count(name) == 1, name
    text = text.replace(name, value)
with open(window, encoding="utf-8") as f:
    title, layout, markup = f.read().split("\n", 2)
for name, value in (("@KALVERO_TITLE@", html.escape(title)), ("@KALVERO_LAYOUT@", layout),
                    ("@KALVERO_WINDOW@", markup)):
    assert text.count(name) == 1, name
    text = text.replace(name, value)
with open(output, "w", encoding="utf-8") as f:
    f.write(text)
