#!/usr/bin/env python3
"""Writes the magnifier icon into a hicolor theme tree (<out>/<n>x<n>/apps/vistrel.png) at the
sizes desktops ask for. The picture is 32 x 32 pixel art: larger sizes repeat its pixels
(nearest neighbour, so edges stay sharp rather than blurred), 16 x 16 is make_images' halving
with a fresh outline. Standard library only; the same bytes on every run."""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources"))
import make_images  # noqa: E402

SIZES = (16, 24, 32, 48, 64, 128, 256)


def scaled(pic, size):
    if size == pic.width // 2:
        return make_images.halve(pic)
    rows = [[pic.rows[y * pic.height // size][x * pic.width // size] for x in range(size)]
            for y in range(size)]
    return make_images.Picture(pic.name, rows, None)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--icon", required=True, help="the 32 x 32 XPM")
    parser.add_argument("--out", required=True, help="the theme directory to fill")
    args = parser.parse_args(argv)
    try:
        icon = make_images.read_xpm(args.icon)
        make_images.check_icon(icon)
    except make_images.XpmError as e:
        print(f"icon_sizes: {e}", file=sys.stderr)
        return 1
    for size in SIZES:
        directory = os.path.join(args.out, f"{size}x{size}", "apps")
        os.makedirs(directory, exist_ok=True)
        make_images.write(os.path.join(directory, "vistrel.png"),
                          make_images.png_file(scaled(icon, size)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
