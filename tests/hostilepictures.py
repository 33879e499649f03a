#!/usr/bin/env python3
# hostilepictures.py: files made to hurt a picture decoder, or to be refused by one, made
# afresh from the fuzz corpus's small pictures and written into a folder, with the verdict
# each face must give: both faces' tests open them (tests/web/page_test.py,
# tests/desktop/tst_hostile.cpp).
#   hostilepictures.py FOLDER    writes the files and FOLDER/verdicts.json: each file's
#                                refusal reason, or the size of the board's part it opens as
#                                in the page (at least a lesson's 600 x 500, never enlarged)
import json
import os
import struct
import sys
import zlib

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fuzz", "pictures")


def jpeg_segments(data):
    """The offsets of a JPEG's markers before its first scan, and of each scan (SOS)."""
    at, marks = 2, []
    while at < len(data) - 1:
        if data[at] != 0xFF:
            at += 1
            continue
        kind = data[at + 1]
        if kind in (0x00, 0xFF) or 0xD0 <= kind <= 0xD9:
            at += 1 if kind == 0xFF else 2
            continue
        marks.append((kind, at))
        at += 2 + int.from_bytes(data[at + 2:at + 4], "big")
    return marks


def flat_jpeg(width, height):
    """A baseline grey JPEG of any size whose every block is flat: one code of one bit
    for a DC difference of 0 and one for the end of the block, so all its data is zeros."""
    blocks = ((width + 7) // 8) * ((height + 7) // 8)
    segment = lambda kind, body: b"\xff" + bytes([kind]) + struct.pack(">H", len(body) + 2) + body
    table = lambda kind: bytes([kind]) + b"\x01" + b"\x00" * 15 + b"\x00"   # one symbol, 0, one bit long
    return (b"\xff\xd8" + segment(0xDB, b"\x00" + b"\x01" * 64)
            + segment(0xC0, b"\x08" + struct.pack(">HH", height, width) + b"\x01\x01\x11\x00")
            + segment(0xC4, table(0x00)) + segment(0xC4, table(0x10))
            + segment(0xDA, b"\x01\x01\x00\x00\x3f\x00") + bytes((blocks * 2 + 7) // 8) + b"\xff\xd9")


def progressive_header(width, height):
    """The start of a progressive JPEG of full colour (4:4:4) and its first scan's header:
    enough for a decoder to know what its scans will need, and no more."""
    segment = lambda kind, body: b"\xff" + bytes([kind]) + struct.pack(">H", len(body) + 2) + body
    table = b"\x00" + b"\x01" + b"\x00" * 15 + b"\x00"   # one DC symbol, 0, one bit long
    return (b"\xff\xd8" + segment(0xDB, b"\x00" + b"\x01" * 64)
            + segment(0xC2, b"\x08" + struct.pack(">HH", height, width) + b"\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00")
            + segment(0xC4, table) + segment(0xDA, b"\x03\x01\x00\x02\x00\x03\x00\x00\x00\x00")
            + b"\x00" * 64 + b"\xff\xd9")


def png_of_zeros(width, height, depth, colour, row_bytes):
    """A valid PNG whose every pixel is 0, compressed as it is made."""
    z, row = zlib.compressobj(9), b"\0" * (1 + row_bytes)
    data = [z.compress(row * 256) for _ in range(height // 256)] + [z.compress(row * (height % 256)), z.flush()]
    png_chunk = lambda kind, body: struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0))
            + png_chunk(b"IDAT", b"".join(data)) + png_chunk(b"IEND", b""))


def gif(width, height, frames):
    """A GIF of 256 colours; `frames` lists each frame's (width, height, LZW data)."""
    out = [b"GIF89a" + struct.pack("<HH", width, height) + b"\xf7\x00\x00" + bytes(range(256)) * 3]
    for w, h, data in frames:
        out.append(b"\x21\xf9\x04\x00\x00\x00\x00\x00\x2c\x00\x00\x00\x00" + struct.pack("<HH", w, h) + b"\x00\x08")
        out += [bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255)]
        out.append(b"\x00")
    return b"".join(out + [b"\x3b"])


def lzw_noise(pixels):
    """LZW data for `pixels` pixels of 8 bits, a clear code before every 254 literals so
    that the codes stay 9 bits long: 8 such runs fill whole bytes, and repeat."""
    def packed(codes):
        bits = sum(code << (9 * i) for i, code in enumerate(codes))
        return bits.to_bytes((9 * len(codes) + 7) // 8, "little")
    run = lambda count, seed: [256] + [(seed * 37 + i * 11) % 256 for i in range(count)]
    pattern = packed([code for seed in range(8) for code in run(254, seed)])
    whole, rest = divmod(pixels, 8 * 254)
    return pattern * whole + packed(run(rest, 0) + [257])


def hostile_files(folder):
    """The page's hostile set, written into `folder`: [(name, path, verdict)], the verdict
    a refusal's reason or the size of the board's part the worker sends."""
    with open(os.path.join(CORPUS, "48x40.jpg"), "rb") as f:
        baseline = f.read()
    with open(os.path.join(CORPUS, "48x40-progressive.jpg"), "rb") as f:
        progressive = f.read()
    marks = jpeg_segments(progressive)
    scans = [i for i, (kind, _) in enumerate(marks) if kind == 0xDA]
    last_scan = marks[scans[-1]][1]
    # The DC's first scan (with the tables before it) and its refinement, again and again:
    # each pair as valid as the first.
    first = scans[0]
    while marks[first - 1][0] == 0xC4:
        first -= 1
    refinement = next(i for i in scans if progressive[marks[i][1] + 2 + 2 * progressive[marks[i][1] + 4] + 3:][:3] ==
                      b"\x00\x00\x10")
    dc_scans = (progressive[marks[first][1]:marks[scans[0] + 1][1]]
                + progressive[marks[refinement][1]:marks[refinement + 1][1]])
    sof = [at for kind, at in jpeg_segments(baseline) if kind == 0xC0][0]
    twelve = bytearray(baseline)
    twelve[sof + 4] = 12
    damaged, too_large = "изображението е повредено или непълно", "изображението е твърде голямо за отваряне"
    files = {
        "cut-in-half.jpg": (baseline[:len(baseline) // 2] + b"\xff\xd9", damaged),
        "last-scans-lost.jpg": (progressive[:last_scan] + b"\xff\xd9", damaged),
        "scans-100000.jpg": (progressive[:-2] + progressive[last_scan:-2] * 100_000 + b"\xff\xd9",
                             damaged),   # the scan repeated refines nothing
        "scans-600.jpg": (progressive[:-2] + dc_scans * 300 + b"\xff\xd9", "твърде сложно за отваряне"),
        "12-bit.jpg": (bytes(twelve), "това е разновидност на формата, която програмата не чете "
                                      "(12-битов JPEG, JPEG без загуби, TIFF с дробни стойности)"),
        "stray-bytes.jpg": (baseline[:-2] + b"\x00" * 63 + b"\xff\xd9", [48, 40]),   # never enlarged
        # 48 x 40 as stored, 40 x 48 as its EXIF block turns it: the board's part 40 x 33.
        "turned.jpg": (baseline[:2] + b"\xff\xe1\x00\x22Exif\x00\x00II*\x00\x08\x00\x00\x00\x01\x00"
                       b"\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00\x00\x00\x00\x00" + baseline[2:], [40, 33]),
        "scan-14645x12158.jpg": (flat_jpeg(14645, 12158), [600, 500]),
        # Its scans would keep 726 MB of coefficients, whatever the scale: more than a
        # decoder should take, less than it could.
        "progressive-11000x11000.jpg": (progressive_header(11000, 11000), too_large),   # a lesson's size: more than the board needs here
        # What a browser's own decoders meet, in the worker.
        "16k.png": (lambda: png_of_zeros(16384, 16384, 8, 0, 16384), too_large),
        "30000-1-bit.png": (lambda: png_of_zeros(30000, 30000, 1, 0, 3750), too_large),
        "10000-frames.gif": (lambda: gif(300, 250, [(1, 1, lzw_noise(1))] * 10000), [300, 250]),
        "110-mb.gif": (lambda: gif(8000, 6000, [(8000, 6000, lzw_noise(48_000_000))] * 2), [600, 500]),
        "120-mb.bmp": (lambda: b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54 + 19200 * 6250, 0, 0, 54, 40, 6400, 6250, 1, 24,
                                                 0, 19200 * 6250, 2835, 2835, 0, 0) + bytes(range(256)) * 75 * 6250,
                       [600, 500]),
        "iphone.heic": (b"\0\0\0\x18ftypheic\0\0\0\0mif1heic" + b"\0" * 64,
                        "това е снимка във формат HEIC или AVIF, който програмата не чете; запазете я като JPEG или PNG"),
        "drawing.png": (b'<svg xmlns="http://www.w3.org/2000/svg" width="300" height="250"><rect width="300" '
                        b'height="250"/></svg>', "това не е изображение във формат, който програмата чете"),
    }
    written = []
    for name, (data, verdict) in files.items():
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data() if callable(data) else data)
        written.append((name, path, verdict))
    return written


if __name__ == "__main__":
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    verdicts = {name: verdict for name, _, verdict in hostile_files(folder)}
    with open(os.path.join(folder, "verdicts.json"), "w", encoding="utf-8") as f:
        json.dump(verdicts, f, ensure_ascii=False, indent=1)
