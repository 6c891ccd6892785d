"""A desktop rig's screen as its ScreenCast shows it, read back by the screen-cast probe: the
screen the Wayland tests check the program's view against (picture.expect_view)."""

import time

from .mutter_rig import run_probe
from .xsession import parse_ppm

CLIENT_W, CLIENT_H = 220, 165  # the defined client area at 96 DPI
VIEW = (CLIENT_W, CLIENT_H)


class CastScreen:
    """The rig's screen through the probe, with a consent seeded for it, its restore token in
    file."""

    view_timeout = 15  # a screenshot takes about a second: a screen cast of its own

    def __init__(self, rig, probe, file):
        self.rig, self.probe, self.file = rig, probe, file
        with open(file, "w") as f:
            f.write(rig.seed_consent())

    def screenshot(self):
        prefix = f"{self.file}-shot{time.monotonic_ns()}"
        # mutter 48 may give a new cast of a still screen no first picture; a cast of its own
        # again usually gets one.
        for attempt in range(3):
            try:
                run_probe(self.rig, self.probe, self.file, prefix, seconds=1)
                break
            except AssertionError as e:
                if "no picture arrived" not in str(e) or attempt == 2:
                    raise
        with open(prefix + "-full.ppm", "rb") as f:
            return parse_ppm(f.read())
