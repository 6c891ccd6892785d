"""The picture check: what the view must show for a cursor and a zoom, computed from a screenshot
of the whole screen with the program's rounding, and compared pixel by pixel; on an X session
or a desktop rig alike."""

import collections
import math

from . import xsession
from .xsession import TestFailure, pixel, wait_for

SCREEN_W, SCREEN_H = 1024, 768
BLACK = b"\x00\x00\x00"
Place = collections.namedtuple("Place", "x y width height")


def source_rect(view_w, view_h, zoom, cursor, screen=(SCREEN_W, SCREEN_H)):
    """The source rectangle as the program computes it: ties to even, clamps right then left,
    within the whole X screen (every monitor of it)."""
    def axis(c, view, screen):
        origin = round(c - view / (zoom * 2))
        size = view / zoom
        if size + origin > screen:
            origin = round(screen - size)
        elif origin < 0:
            origin = 0
        return origin
    return (axis(cursor[0], view_w, screen[0]), axis(cursor[1], view_h, screen[1]),
            round(view_w / zoom), round(view_h / zoom))


def candidates(d, scale):
    """Source offsets a nearest-pixel scaler may pick for view pixel d: the one holding the
    pixel's centre, and its neighbour when the centre lies within the transform's fixed-point
    error of their border."""
    f = (d + 0.5) * scale
    i = math.floor(f)
    if f - i < 0.01:
        return (i, i - 1)
    if i + 1 - f < 0.01:
        return (i, i + 1)
    return (i,)


def view_mismatches(shot, win, zoom, cursor, limit=5, cut=0):
    """cut: pixels of the view's right and bottom edges the compositor may leave out."""
    screen_w, screen_h = shot[0], shot[1]
    sx, sy, sw, sh = source_rect(win.width, win.height, zoom, cursor, (screen_w, screen_h))
    sxs, sys_ = sw / win.width, sh / win.height
    columns = [candidates(dx, sxs) for dx in range(win.width)]
    bad = []
    for dy in range(win.height - cut):
        rows = candidates(dy, sys_)
        for dx in range(win.width - cut):
            actual = pixel(shot, win.x + dx, win.y + dy)
            ok = False
            for oy in rows:
                for ox in columns[dx]:
                    x, y = sx + ox, sy + oy
                    inside = 0 <= x < screen_w and 0 <= y < screen_h
                    if actual == (pixel(shot, x, y) if inside else BLACK):
                        ok = True
                        break
                if ok:
                    break
            if not ok:
                bad.append((dx, dy, actual.hex()))
                if len(bad) >= limit:
                    return bad
    return bad


def find_view(shot, size, zoom, cursor, cut=0):
    """Where a view of size may lie on the screen: below the first place of one row of the
    picture it must show, that row repeats up to zoom times."""
    width, height, rgb = shot
    sx, sy, sw, sh = source_rect(*size, zoom, cursor, (width, height))
    row = size[1] // 2
    y = sy + candidates(row, sh / size[1])[0]
    expected = b"".join(
        pixel(shot, sx + candidates(i, sw / size[0])[0], y) for i in range(size[0] - cut))
    for top in range(height - size[1]):
        start = (top + row) * width * 3
        at = rgb.find(expected, start, start + width * 3)
        if at >= 0 and (at - start) % 3 == 0:
            return [Place((at - start) // 3, top + i, *size) for i in range(zoom + 1)]
    return []


def expect_view(screen, view, zoom, cursor, timeout=None, cut=0):
    """Waits until the view shows the screen around cursor at zoom; returns where it lies.
    screen: what takes the screenshots (an X session, a rig's CastScreen), which says how long a
    view may take; view: the view's window or Place, or its size where the screen tells its
    place. At a
    fractional scale the compositor may place the view between physical pixels and show it cut
    by one at its right and bottom edges (cut=1)."""
    last, found = [], None

    def shown():
        nonlocal last, found
        shot = screen.screenshot()
        last = "not found"
        places = [view] if isinstance(view, Place) or not isinstance(view, tuple) else \
            find_view(shot, view, zoom, cursor, cut)
        for found in places:
            last = view_mismatches(shot, found, zoom, cursor, cut=cut)
            if not last:
                return True
        return False
    try:
        wait_for(f"the view at zoom {zoom} around {cursor}", shown, timeout or screen.view_timeout,
                 0.1)
    except TestFailure as e:
        raise TestFailure(f"{e}; first wrong view pixels (x, y, rgb): {last}") from None
    return found


def view_shows(session, win, colour):
    shot = session.screenshot()
    return pixel(shot, win.x + win.width // 2, win.y + win.height // 2) == colour


def setup_pattern(session):
    session.run([xsession.PROBE, "pattern"])

