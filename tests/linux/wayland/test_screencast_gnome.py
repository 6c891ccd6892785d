"""The Wayland backend's screen on a headless GNOME compositor: the ScreenCast portal with every
monitor, cursor metadata and kept consent, received over PipeWire by screencast_probe (the
backend's own classes, pipewire_stream and screencast_portal). The pointer is moved through
mutter's remote-desktop interface."""

import re

from support.mutter_rig import run_probe
from support.xsession import parse_ppm


def test_stream_gives_the_desktop_and_the_pointer_and_a_second_start_asks_nothing(
        gnome, request, tmp_path):
    probe = request.config.getoption("--screencast-probe")
    token_file = str(tmp_path / "token")
    with open(token_file, "w") as f:
        f.write(gnome.seed_consent())
    out = run_probe(gnome, probe, token_file, str(tmp_path / "first"),
                    moves=((60, 60), (120, 80), (250, 120)))
    assert re.findall(r"^STREAM \d+ (.*)$", out, re.M) == ["0 0 1024 768"]
    cursors = re.findall(r"^CURSOR (\d+ \d+)$", out, re.M)
    moved = [c for c in cursors if c != "0 0"]  # each move starts from the corner
    assert moved == ["60 60", "120 80", "250 120"], cursors

    width, height, full = parse_ppm(open(str(tmp_path / "first-full.ppm"), "rb").read())
    assert (width, height) == (1024, 768)

    def at(x, y):
        i = (y * width + x) * 3
        return full[i:i + 3]

    # mutter's own background: a gradient, brightest in the middle.
    assert sum(at(512, 384)) > sum(at(2, 2)) > 0
    # The view's copy: 110 x 82 pixels from 100, 100 at zoom 2, each the pixel under its centre.
    _, _, zoom = parse_ppm(open(str(tmp_path / "first-zoom.ppm"), "rb").read())
    expected = b"".join(at(100 + i // 2, 100 + j // 2) for j in range(164) for i in range(220))
    assert zoom == expected

    # The desktop gave a restore token; with it the next start opens the stream without asking
    # (a dialog nobody answers would keep the probe waiting).
    token = open(token_file).read()
    assert token
    run_probe(gnome, probe, token_file, str(tmp_path / "second"))
