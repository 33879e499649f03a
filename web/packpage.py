#!/usr/bin/env python3
# packpage.py: moves the game's WebAssembly, which the linker put into the page's script
# in base64, into the page's own element for it, gzip-compressed (loader.js unpacks it).
#   packpage.py PAGE.html
import base64
import gzip
import re
import sys

page = sys.argv[1]
with open(page, encoding="utf-8") as f:
    text = f.read()
if "@KALVERO_CODE@" not in text:
    sys.exit(0)   # packed already
found = re.findall(r'data:application/octet-stream;base64,([A-Za-z0-9+/=]+)', text)
assert len(found) == 1, "one WebAssembly in the page"
code = base64.b64decode(found[0])
text = text.replace("data:application/octet-stream;base64," + found[0], "")
assert text.count("@KALVERO_CODE@") == 1
text = text.replace("@KALVERO_CODE@", base64.b64encode(gzip.compress(code, 9, mtime=0)).decode("ascii"))
with open(page, "w", encoding="utf-8") as f:
    f.write(text)
