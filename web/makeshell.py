#!/usr/bin/env python3
# makeshell.py: the page's shell with the window font, the built-in picture and the
# window's markup inside it.
#   makeshell.py TEMPLATE FONT.woff2 PICTURE.jpg WINDOW OUTPUT
# WINDOW holds the window's title on its first line, its design size and scales (JSON)
# on the second, then its markup.
import base64
import html
import sys

template, font, picture, window, output = sys.argv[1:6]
with open(template, encoding="utf-8") as f:
    text = f.read()
for name, path in (("@KALVERO_FONT@", font), ("@KALVERO_PICTURE@", picture)):
    assert text.count(name) == 1, name
    with open(path, "rb") as f:
        text = text.replace(name, base64.b64encode(f.read()).decode("ascii"))
with open(window, encoding="utf-8") as f:
    title, layout, markup = f.read().split("\n", 2)
for name, value in (("@KALVERO_TITLE@", html.escape(title)), ("@KALVERO_LAYOUT@", layout),
                    ("@KALVERO_WINDOW@", markup)):
    assert text.count(name) == 1, name
    text = text.replace(name, value)
with open(output, "w", encoding="utf-8") as f:
    f.write(text)
