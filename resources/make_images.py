#!/usr/bin/env python3
"""Builds the program's icon and hand pointer files from their XPM pictures.

The XPMs are the only pictures we draw; everything the programs load is derived here so the
Windows and the Linux builds show the same pixels:
  magnifier.ico  32 x 32, 4-bit (the 16-colour palette), fully opaque
  magnifier.png  32 x 32 RGBA
  hand.cur       32 x 32, 4-bit, hot spot from the XPM
  hand.ico       32 x 32 and 16 x 16, 4-bit with a transparency mask
  hand.png       32 x 32 RGBA, transparent background
Standard library only, and byte-for-byte the same output on every run.
"""

import argparse
import os
import re
import struct
import sys
import zlib

# The 16-colour VGA palette, in the order Windows uses for 4-bit bitmaps.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
TRANSPARENT = None


class XpmError(Exception):
    pass


class Picture:
    """Rows of (r, g, b) tuples or TRANSPARENT, plus the optional hot spot."""

    def __init__(self, name, rows, hotspot):
        self.name = name
        self.rows = rows
        self.hotspot = hotspot
        self.width = len(rows[0])
        self.height = len(rows)


def _parse_colour(text, where):
    if text.lower() == "none":
        return TRANSPARENT
    m = re.fullmatch(r"#([0-9A-Fa-f]{6})", text)
    if not m:
        raise XpmError(f"{where}: colour {text!r} is not #RRGGBB or None")
    value = int(m.group(1), 16)
    rgb = (value >> 16, (value >> 8) & 0xFF, value & 0xFF)
    if rgb not in PALETTE:
        raise XpmError(f"{where}: colour {text} is not in the 16-colour palette")
    return rgb


def read_xpm(path):
    name = os.path.basename(path)
    try:
        with open(path, encoding="ascii") as f:
            text = f.read()
    except (OSError, UnicodeDecodeError) as e:
        raise XpmError(f"{name}: cannot read: {e}") from None
    if not text.lstrip().startswith("/* XPM */"):
        raise XpmError(f"{name}: does not start with /* XPM */")
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', text)
    if not strings:
        raise XpmError(f"{name}: holds no quoted strings")
    values = strings[0].split()
    if len(values) not in (4, 6) or not all(v.isdigit() for v in values):
        raise XpmError(f"{name}: values line {strings[0]!r} is not 'w h colours cpp [x_hot y_hot]'")
    width, height, ncolours, cpp = (int(v) for v in values[:4])
    hotspot = (int(values[4]), int(values[5])) if len(values) == 6 else None
    if width == 0 or height == 0 or ncolours == 0 or cpp == 0:
        raise XpmError(f"{name}: width, height, colours and chars per pixel must be positive")
    if len(strings) != 1 + ncolours + height:
        raise XpmError(f"{name}: expected {ncolours} colour and {height} pixel lines, "
                       f"found {len(strings) - 1} lines")
    colours = {}
    for i, line in enumerate(strings[1:1 + ncolours]):
        where = f"{name}: colour line {i + 1}"
        key, rest = line[:cpp], line[cpp:].split()
        if len(key) != cpp or "c" not in rest[0::2] or len(rest) % 2:
            raise XpmError(f"{where}: {line!r} has no 'c' colour")
        if key in colours:
            raise XpmError(f"{where}: pixel code {key!r} is defined twice")
        colours[key] = _parse_colour(rest[rest.index("c") + 1], where)
    rows = []
    for y, line in enumerate(strings[1 + ncolours:]):
        if len(line) != width * cpp:
            raise XpmError(f"{name}: pixel row {y} is {len(line)} characters, not {width * cpp}")
        row = []
        for x in range(width):
            key = line[x * cpp:(x + 1) * cpp]
            if key not in colours:
                raise XpmError(f"{name}: pixel row {y} uses undefined code {key!r}")
            row.append(colours[key])
        rows.append(row)
    if hotspot and not (hotspot[0] < width and hotspot[1] < height):
        raise XpmError(f"{name}: hot spot {hotspot} lies outside the {width} x {height} picture")
    return Picture(name, rows, hotspot)


def halve(pic):
    """The 16 x 16 hand. A one-pixel outline does not survive plain 2 x 2 averaging, so the
    silhouette is downscaled first (a pixel is covered when half its block is) and outlined
    afresh; inside it, a block that is half black keeps the inner lines, the rest takes the
    block's commonest fill colour."""
    black = (0, 0, 0)
    w, h = pic.width // 2, pic.height // 2
    blocks = [[[pic.rows[2 * y + dy][2 * x + dx] for dy in (0, 1) for dx in (0, 1)]
               for x in range(w)] for y in range(h)]
    covered = [[blocks[y][x].count(TRANSPARENT) <= 2 for x in range(w)] for y in range(h)]

    def on_edge(x, y):
        return any(not (0 <= x + dx < w and 0 <= y + dy < h) or not covered[y + dy][x + dx]
                   for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))

    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            block = blocks[y][x]
            fills = [c for c in block if c is not TRANSPARENT and c != black]
            if not covered[y][x]:
                row.append(TRANSPARENT)
            elif on_edge(x, y) or block.count(black) >= 2 or not fills:
                row.append(black)
            else:
                row.append(max(fills, key=lambda c: (fills.count(c), c)))
        rows.append(row)
    return Picture(pic.name, rows, None)


def bmp_4bit(pic):
    """A BMP-in-ICO image: header with doubled height, palette, XOR bits, AND mask."""
    w, h = pic.width, pic.height
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pic.rows):  # bottom-up
        bits = bytearray(xor_stride)
        mbits = bytearray(and_stride)
        for x, c in enumerate(row):
            index = 0 if c is TRANSPARENT else PALETTE.index(c)
            bits[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if c is TRANSPARENT:
                mbits[x // 8] |= 0x80 >> (x % 8)
        xor += bits
        mask += mbits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def icon_file(pictures, cursor_hotspot=None):
    """An ICO (type 1) or, with a hot spot, a CUR (type 2) holding the given pictures."""
    kind = 2 if cursor_hotspot else 1
    images = [bmp_4bit(p) for p in pictures]
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for pic, data in zip(pictures, images):
        if cursor_hotspot:
            field1, field2 = cursor_hotspot
        else:
            field1, field2 = 1, 4  # planes, bits per pixel
        out += struct.pack("<BBBBHHII", pic.width % 256, pic.height % 256, 16, 0, field1, field2,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def png_file(pic):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = bytearray()
    for row in pic.rows:
        raw.append(0)  # no filter
        for c in row:
            raw += bytes((0, 0, 0, 0)) if c is TRANSPARENT else bytes((*c, 255))
    ihdr = struct.pack(">IIBBBBB", pic.width, pic.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def check_icon(pic):
    if (pic.width, pic.height) != (32, 32):
        raise XpmError(f"{pic.name}: must be 32 x 32, is {pic.width} x {pic.height}")
    if any(c is TRANSPARENT for row in pic.rows for c in row):
        raise XpmError(f"{pic.name}: the application icon must be fully opaque")


def check_hand(pic):
    if (pic.width, pic.height) != (32, 32):
        raise XpmError(f"{pic.name}: must be 32 x 32, is {pic.width} x {pic.height}")
    if pic.hotspot is None:
        raise XpmError(f"{pic.name}: the pointer needs its hot spot (x_hot y_hot) in the values line")
    if any(c is not TRANSPARENT for c in pic.rows[0]):
        raise XpmError(f"{pic.name}: the top pixel row must be transparent")


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, help="directory for the generated files")
    parser.add_argument("--icon", default=os.path.join(here, "magnifier.xpm"))
    parser.add_argument("--hand", default=os.path.join(here, "hand.xpm"))
    args = parser.parse_args(argv)
    try:
        icon = read_xpm(args.icon)
        check_icon(icon)
        hand = read_xpm(args.hand)
        check_hand(hand)
    except XpmError as e:
        print(f"make_images: {e}", file=sys.stderr)
        return 1
    os.makedirs(args.out, exist_ok=True)
    write(os.path.join(args.out, "magnifier.ico"), icon_file([icon]))
    write(os.path.join(args.out, "magnifier.png"), png_file(icon))
    write(os.path.join(args.out, "hand.cur"), icon_file([hand], cursor_hotspot=hand.hotspot))
    write(os.path.join(args.out, "hand.ico"), icon_file([hand, halve(hand)]))
    write(os.path.join(args.out, "hand.png"), png_file(hand))
    return 0


if __name__ == "__main__":
    sys.exit(main())
