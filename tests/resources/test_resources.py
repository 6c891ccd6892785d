#!/usr/bin/env python3
"""Checks the committed pictures and the help file: the icon, pointer and PNG show exactly the
pixels of the XPMs they were made from (both decoded by ImageMagick), in the formats Windows
loads, with the pointer's hot spot on the fingertip; the installed icon is the program's at 32
pixels and, at the larger sizes, what rsvg-convert draws from magnifier.svg today (so a changed
picture whose icons were not drawn again fails); and readme.txt is plain CRLF text that
names every menu item and the COMMANDS section."""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def magick(tool, *args):
    """Runs an ImageMagick tool (IM 7's "magick TOOL" where there is one, IM 6's own name else)."""
    command = ["magick", tool] if shutil.which("magick") else [tool]
    return subprocess.run(command + list(args), check=True, capture_output=True).stdout


def describe(path):
    """Format, width, height and bits per pixel of each picture in the file."""
    text = magick("identify", "-format", "%m %w %h %z\\n", path).decode()
    return [tuple(int(v) if v.isdigit() else v for v in line.split()) for line in text.splitlines()]


def pixels(path):
    """Rows of (r, g, b) or None where transparent, top first, of the file's first picture."""
    _, w, h, _ = describe(path)[0]
    raw = magick("convert", path + "[0]", "-depth", "8", "rgba:-")
    return [[None if raw[i + 3] == 0 else tuple(raw[i:i + 3])
             for i in range(4 * w * y, 4 * w * (y + 1), 4)] for y in range(h)]


def xpm_hotspot(path):
    """x_hot, y_hot from the XPM's values line."""
    values = re.findall(r'"([^"]*)"', open(path).read())[0].split()
    return int(values[4]), int(values[5])


def check_images(resources):
    def at(name):
        return os.path.join(resources, name)

    icon = pixels(at("magnifier.xpm"))
    check(describe(at("magnifier.ico")) == [("ICO", 32, 32, 4)], "magnifier.ico: one 32 x 32, 4-bit icon")
    check(pixels(at("magnifier.ico")) == icon, "magnifier.ico: not the pixels of magnifier.xpm")
    check(all(c is not None for row in icon for c in row), "magnifier.ico: fully opaque")
    check(pixels(at("magnifier.png")) == icon, "magnifier.png: not the pixels of magnifier.xpm")

    hand = pixels(at("hand.xpm"))
    check(describe(at("hand.cur")) == [("CUR", 32, 32, 4)], "hand.cur: one 32 x 32, 4-bit pointer")
    check(pixels(at("hand.cur")) == hand, "hand.cur: not the pixels of hand.xpm")
    check(all(c is None for c in hand[0]), "hand.cur: top row transparent")
    # ImageMagick does not report a pointer's hot spot: it is the first directory entry's
    # planes/bit-count pair (a cursor file's directory).
    with open(at("hand.cur"), "rb") as f:
        kind, _, hx, hy = struct.unpack_from("<2xHH4xHH", f.read(14))
    check(kind == 2 and (hx, hy) == xpm_hotspot(at("hand.xpm")),
          f"hand.cur: hot spot {hx},{hy} is not the XPM's")
    # The hot spot is the fingertip: the leftmost drawn pixel, with nothing to its left.
    check(hand[hy][hx] is not None and all(c is None for c in hand[hy][:hx]),
          f"hand.cur: hot spot {hx},{hy} is not on the fingertip")
    check(min(x for row in hand for x, c in enumerate(row) if c is not None) == hx,
          "hand.cur: hot spot is not the leftmost point")


def check_installed_icons(resources, icons):
    def icon(size):
        return os.path.join(icons, f"{size}x{size}", "apps", "vistrel.png")

    check(pixels(icon(32)) == pixels(os.path.join(resources, "magnifier.xpm")),
          "the installed 32 x 32 icon: not the pixels of magnifier.xpm")
    with tempfile.TemporaryDirectory() as work:
        for size in (24, 48, 64, 128, 256):
            drawn = os.path.join(work, f"{size}.png")
            subprocess.run(["rsvg-convert", "--width", str(size), "--height", str(size), "--output",
                            drawn, os.path.join(resources, "magnifier.svg")], check=True)
            check(pixels(icon(size)) == pixels(drawn),
                  f"the installed {size} x {size} icon: not magnifier.svg as drawn now "
                  "(run scripts/make-icons.sh)")


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
    parser.add_argument("--resources", required=True)
    parser.add_argument("--readme", required=True)
    parser.add_argument("--menu", required=True)
    parser.add_argument("--icons", required=True, help="the hicolor icons (packaging/icons)")
    args = parser.parse_args()
    check_images(args.resources)
    check_installed_icons(args.resources, args.icons)
    check_readme(args.readme, args.menu)
    for f in failures:
        print("FAIL:", f)
    print("resources: %d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
