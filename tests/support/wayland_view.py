"""What the Wayland view tests on each desktop share: the program started as a Wayland client in a
rig with a home of its own and a restore token, and its view found on the screen and checked to
the pixel against the screen around the pointer, both read back through the desktop's own
ScreenCast by the screen-cast probe."""

import os
import signal
import time

from .mutter_rig import run_probe
from .picture import candidates, source_rect, view_mismatches
from .rig import wait_for
from .xsession import parse_ppm, pixel

CLIENT_W, CLIENT_H = 220, 165  # the defined client area at 96 DPI
BUS_NAME = "example.tarnwell.Vistrel"


class Window:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height


class WaylandVistrel:
    def __init__(self, rig, binary, home, token):
        self.rig, self.home = rig, home
        self.settings = os.path.join(home, ".config", "Tarnwell", "Vistrel.conf")
        state = os.path.join(home, ".local", "state", "Tarnwell")
        os.makedirs(state, exist_ok=True)
        if token is not None:
            with open(os.path.join(state, "Vistrel.screencast-token"), "w") as f:
                f.write(token)
        open(os.path.join(state, "Vistrel.no-tray-notice-shown"), "w").close()  # no tray here
        env = dict(rig.env, HOME=home, XDG_SESSION_TYPE="wayland")
        self.process = rig._spawn("vistrel-" + os.path.basename(home), [binary], env)
        # The bus name comes after the window and the screen cast.
        wait_for("the program on the session bus", self._registered, 20)

    def _registered(self):
        if not self.process.running():
            with open(self.process.log, errors="replace") as f:
                raise AssertionError(f"the program ended early: {f.read()}")
        return self.rig.bus.name_has_owner(BUS_NAME)

    def call(self, method):
        self.rig.bus.get_object(BUS_NAME, "/example/tarnwell/Vistrel").get_dbus_method(
            method, BUS_NAME)()

    def stop(self):
        """Ends the program the way the session's end does, which saves the settings."""
        os.kill(self.process.pid, signal.SIGTERM)
        self.process.wait(10)


def screenshot(rig, probe_token, tmp_path):
    prefix = str(tmp_path / f"shot{time.monotonic_ns()}")
    # mutter 48 may give a new cast of a still screen no first picture; a cast of its own again
    # usually gets one.
    for attempt in range(3):
        try:
            run_probe(rig, probe_token.probe, probe_token.file, prefix, seconds=1)
            break
        except AssertionError as e:
            if "no picture arrived" not in str(e) or attempt == 2:
                raise
    with open(prefix + "-full.ppm", "rb") as f:
        return parse_ppm(f.read())


def find_view(shot, client, zoom, cursor, cut=0):
    """Where the view may lie on the screen: below the first place of one row of the picture it
    must show, that row repeats up to zoom times."""
    width, height, rgb = shot
    sx, sy, sw, sh = source_rect(*client, zoom, cursor, (width, height))
    row = client[1] // 2
    y = sy + candidates(row, sh / client[1])[0]
    expected = b"".join(
        pixel(shot, sx + candidates(i, sw / client[0])[0], y) for i in range(client[0] - cut))
    for top in range(height - client[1]):
        start = (top + row) * width * 3
        at = rgb.find(expected, start, start + width * 3)
        if at >= 0 and (at - start) % 3 == 0:
            return [Window((at - start) // 3, top + i, *client) for i in range(zoom + 1)]
    return []


def expect_view(rig, probe_token, tmp_path, zoom, cursor, client=(CLIENT_W, CLIENT_H), cut=0):
    """Waits until the view shows the screen around cursor at zoom; returns where it lies. At a
    fractional scale the compositor may place the view between physical pixels and show it cut
    by one at its right and bottom edges (cut=1)."""
    last = window = None

    def shown():
        nonlocal last, window
        shot = screenshot(rig, probe_token, tmp_path)
        last = "not found"
        for window in find_view(shot, client, zoom, cursor, cut):
            last = view_mismatches(shot, window, zoom, cursor, cut=cut)
            if not last:
                return True
        return False
    try:
        wait_for(f"the view at zoom {zoom} around {cursor}", shown, 15, 0.2)
    except Exception as e:
        raise AssertionError(f"{e}; first wrong view pixels (x, y, rgb): {last}") from None
    return window


class ProbeToken:
    def __init__(self, probe, file):
        self.probe, self.file = probe, file
