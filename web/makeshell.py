#!/usr/bin/env python3
# makeshell.py: the page's shell with the window font and the built-in picture inside it.
#   makeshell.py TEMPLATE FONT.woff2 PICTURE.jpg OUTPUT
import base64
import sys

template, font, picture, output = sys.argv[1:5]
with open(template, encoding="utf-8") as f:
    text = f.read()
for name, path in (("@KALVERO_FONT@", font), ("@KALVERO_PICTURE@", picture)):
    assert text.count(name) == 1, name
    with open(path, "rb") as f:
        text = text.replace(name, base64.b64encode(f.read()).decode("ascii"))
with open(output, "w", encoding="utf-8") as f:
    f.write(text)
