#!/usr/bin/env python3
"""Checks the generated icon, cursor and PNG files by reading them back independently of the
generator's writers, that malformed pictures are refused with a message, and that the help file
is plain CRLF text that names every menu item and the COMMANDS section."""

import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "make_images.py")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def read_icon_dir(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    entries = []
    for i in range(count):
        w, h, colours, _, f1, f2, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        entries.append(dict(w=w or 256, h=h or 256, f1=f1, f2=f2, size=size, offset=offset))
    return reserved, kind, entries


def decode_bmp(data, entry):
    """(rgb or None) rows, top first, from a 4-bit BMP-in-ICO image."""
    hdr = struct.unpack_from("<IiiHHI", data, entry["offset"])
    size, w, h2, planes, bpp, compression = hdr
    assert (size, w, h2, planes, bpp, compression) == (40, entry["w"], 2 * entry["h"], 1, 4, 0), hdr
    h = entry["h"]
    pal_at = entry["offset"] + 40
    palette = [tuple(data[pal_at + 4 * i + 2 - k] for k in range(3)) for i in range(16)]
    xor_at = pal_at + 64
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_at = xor_at + xor_stride * h
    and_stride = ((w + 31) // 32) * 4
    assert and_at + and_stride * h == entry["offset"] + entry["size"], "image size mismatch"
    rows = []
    for y in range(h):
        src = h - 1 - y
        row = []
        for x in range(w):
            byte = data[xor_at + src * xor_stride + x // 2]
            index = byte >> 4 if x % 2 == 0 else byte & 0x0F
            clear = data[and_at + src * and_stride + x // 8] & (0x80 >> (x % 8))
            row.append(None if clear else palette[index])
        rows.append(row)
    return rows


def decode_png(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, ihdr = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack_from(">I", data, pos)
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack_from(">I", data, pos + 8 + length)
        assert crc == zlib.crc32(kind + body) & 0xFFFFFFFF, f"bad CRC in {kind}"
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    w, h, depth, colour_type = ihdr[:4]
    assert (depth, colour_type) == (8, 6), "expected 8-bit RGBA"
    raw = zlib.decompress(idat)
    rows = []
    for y in range(h):
        line = raw[y * (4 * w + 1):(y + 1) * (4 * w + 1)]
        assert line[0] == 0, "unexpected filter"
        rows.append([None if line[1 + 4 * x + 3] == 0 else tuple(line[1 + 4 * x:4 + 4 * x])
                     for x in range(w)])
    return rows


def check_images(outdir):
    def load(name):
        with open(os.path.join(outdir, name), "rb") as f:
            return f.read()

    ico = load("magnifier.ico")
    reserved, kind, entries = read_icon_dir(ico)
    check((reserved, kind, len(entries)) == (0, 1, 1), "magnifier.ico: one icon image")
    check((entries[0]["w"], entries[0]["h"], entries[0]["f1"], entries[0]["f2"]) == (32, 32, 1, 4),
          "magnifier.ico: 32 x 32, 1 plane, 4 bits")
    icon = decode_bmp(ico, entries[0])
    check(all(c is not None for row in icon for c in row), "magnifier.ico: fully opaque")
    check(decode_png(load("magnifier.png")) == icon, "magnifier.png: same pixels as the icon")

    cur = load("hand.cur")
    reserved, kind, entries = read_icon_dir(cur)
    check((reserved, kind, len(entries)) == (0, 2, 1), "hand.cur: one cursor image")
    hand = decode_bmp(cur, entries[0])
    hx, hy = entries[0]["f1"], entries[0]["f2"]
    check((entries[0]["w"], entries[0]["h"]) == (32, 32), "hand.cur: 32 x 32")
    check(all(c is None for c in hand[0]), "hand.cur: top row transparent")
    # The hot spot is the fingertip: the leftmost drawn pixel, with nothing to its left.
    check(hand[hy][hx] is not None and all(c is None for c in hand[hy][:hx]),
          f"hand.cur: hot spot {hx},{hy} is not on the fingertip")
    check(min(x for row in hand for x, c in enumerate(row) if c is not None) == hx,
          "hand.cur: hot spot is not the leftmost point")
    check(decode_png(load("hand.png")) == hand, "hand.png: same pixels as the cursor")

    hico = load("hand.ico")
    reserved, kind, entries = read_icon_dir(hico)
    check((kind, [(e["w"], e["h"]) for e in entries]) == (1, [(32, 32), (16, 16)]),
          "hand.ico: a 32 x 32 and a 16 x 16 image")
    if len(entries) == 2:
        check(decode_bmp(hico, entries[0]) == hand, "hand.ico: 32 x 32 equals the cursor")
        small = decode_bmp(hico, entries[1])
        drawn = sum(c is not None for row in small for c in row)
        check(all(c is None for c in small[0]) and 60 <= drawn <= 200,
              f"hand.ico: 16 x 16 image lost its shape ({drawn} pixels drawn)")


def check_generator():
    with tempfile.TemporaryDirectory() as tmp:
        runs = []
        for n in (1, 2):
            out = os.path.join(tmp, f"run{n}")
            subprocess.run([sys.executable, GENERATOR, "--out", out], check=True)
            runs.append({f: open(os.path.join(out, f), "rb").read() for f in sorted(os.listdir(out))})
        check(runs[0] == runs[1], "generator output differs between runs")

        good = open(os.path.join(HERE, "hand.xpm")).read()
        cases = [
            ("not an XPM", "hello", "does not start"),
            ("bad values line", good.replace('"32 32 4 1 1 11"', '"32 x 4 1"'), "values line"),
            ("row too short", good.replace('"................................",', '"...",', 1),
             "pixel row 0"),
            ("unknown code", good.replace('"................................",',
                                          '"...............Q................",', 1), "undefined"),
            ("colour off the palette", good.replace("#C0C0C0", "#C0C0C1"), "16-colour palette"),
            ("missing hot spot", good.replace('"32 32 4 1 1 11"', '"32 32 4 1"'), "hot spot"),
            ("hot spot outside", good.replace('"32 32 4 1 1 11"', '"32 32 4 1 40 11"'), "outside"),
            ("drawn top row", good.replace('"................................",',
                                           '"k...............................",', 1), "top pixel row"),
            ("row missing", good.replace('"................................",\n', "", 1),
             "pixel lines"),
        ]
        for what, text, expected in cases:
            bad = os.path.join(tmp, "bad.xpm")
            with open(bad, "w") as f:
                f.write(text)
            r = subprocess.run([sys.executable, GENERATOR, "--out", os.path.join(tmp, "bad"),
                                "--hand", bad], capture_output=True, text=True)
            check(r.returncode == 1 and expected in r.stderr and "Traceback" not in r.stderr,
                  f"malformed XPM ({what}): got {r.returncode} {r.stderr.strip()!r}")
        r = subprocess.run([sys.executable, GENERATOR, "--out", os.path.join(tmp, "bad"),
                            "--icon", os.path.join(HERE, "hand.xpm")], capture_output=True, text=True)
        check(r.returncode == 1 and "opaque" in r.stderr, "a transparent icon is refused")


def check_readme(path, menu_header):
    data = open(path, "rb").read()
    check(all(b < 128 for b in data), "readme.txt: ASCII only")
    check(b"\n" not in data.replace(b"\r\n", b"") and b"\r" not in data.replace(b"\r\n", b""),
          "readme.txt: every line ends in CR LF")
    lines = data.decode("ascii", "replace").split("\r\n")
    long = [i + 1 for i, line in enumerate(lines) if len(line) > 80]
    check(not long, f"readme.txt: lines over 80 columns: {long}")
    check("COMMANDS" in lines, "readme.txt: a line reading exactly COMMANDS")
    text = " ".join(" ".join(lines).split())
    captions = re.findall(r'\{MenuItem::\w+, "\w+", "([^"]+)"\}', open(menu_header).read())
    check(len(captions) == 18, "menu.h: could not read the captions")
    for caption in captions:
        if caption != "-":
            check(caption.replace("&", "") in text, f"readme.txt: no menu item {caption!r}")
    for needed in ("Alt+Space", "Alt+V", "1.0.5", r"HKEY_CURRENT_USER\Software\Tarnwell\Vistrel",
                   "Tarnwell/Vistrel.conf", "X11"):
        check(needed in text, f"readme.txt: does not mention {needed}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--images", required=True)
    parser.add_argument("--readme", required=True)
    parser.add_argument("--menu", required=True)
    args = parser.parse_args()
    check_images(args.images)
    check_generator()
    check_readme(args.readme, args.menu)
    for f in failures:
        print("FAIL:", f)
    print("resources: %d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
