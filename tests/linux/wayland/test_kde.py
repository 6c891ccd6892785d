"""The Wayland backend's Plasma parts on a headless kwin (kwin_rig.py), through kde_probe: the hot
keys bound by the GlobalShortcuts portal and their presses, the window placed and kept above by
KWin scripts; and the program's place across a second start. A press is fired through
kglobalaccel's invokeShortcut, the call its key handler makes for a typed shortcut: kwin's
virtual backend has no input device, and it offers no virtual-keyboard protocol to type with."""

import os
import queue
import subprocess
import threading
import time

import dbus
import pytest

from support.program import read_settings, settings_values, write_settings
from support.xsession import home_dirs, wait_for

ALT = 0x08000000  # Qt's modifier bit, as kglobalaccel stores keys
KEY_SPACE, KEY_V = 0x20, 0x56


class Probe:
    """kde_probe running in the rig, its output lines collected as they come."""

    def __init__(self, rig, binary):
        self.process = subprocess.Popen([binary], env=dict(rig.env, QT_QPA_PLATFORM="wayland"),
                                        text=True, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.seen = self.until("READY")

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.strip())

    def until(self, last, timeout=10):
        """The lines up to and including one that starts with last."""
        got = []
        while not got or not got[-1].startswith(last):
            try:
                got.append(self.lines.get(timeout=timeout))
            except queue.Empty:
                raise AssertionError(f"no {last!r} from the probe after {got}")
        return got

    def send(self, command, answer):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        return self.until(answer)[-1]

    def stop(self):
        self.process.stdin.close()
        self.process.wait(10)


@pytest.fixture
def kde(kwin, request):
    if not kwin.binds_without_dialog:
        pytest.skip("Plasma 6.7's portal backend gives BindShortcuts no answer here (kwin_rig.py)")
    binary = os.path.join(os.path.dirname(request.config.getoption("--screencast-probe")),
                          "kde_probe")
    started = Probe(kwin, binary)
    yield started
    started.stop()


def test_portal_binds_both_keys_without_a_dialog_and_presses_arrive_until_shutdown(kwin, kde):
    assert kde.seen == ["READY"]  # nothing missing, a portal there, no dialog waited for
    component = kwin.shortcut_component("vistrel")
    name, keys = kwin.shortcut_keys(component)
    assert keys == {"VBHotKey1": [ALT | KEY_SPACE], "VBHotKey2": [ALT | KEY_V]}
    if kwin.portal_registry:  # the shortcut settings name the program, as its menu entry does
        assert name == "Vistrel"

    for action in ("VBHotKey1", "VBHotKey2", "VBHotKey1"):
        kwin.invoke_shortcut(component, action)
    assert [kde.until("PRESSED")[-1] for _ in range(3)] == [
        "PRESSED 0", "PRESSED 1", "PRESSED 0"]

    kde.send("shutdown", "SHUT")
    try:
        kwin.invoke_shortcut(component, "VBHotKey1")
    except dbus.DBusException:  # the desktop may drop the closed session's shortcuts
        pass
    # A press still on its way would show within the time the three above took.
    with pytest.raises(queue.Empty):
        kde.lines.get(timeout=1.5)


def window_state(kwin):
    """Each window's caption, process, frame position and keep-above, as KWin has them."""
    lines = kwin.run_script("vistrel-test-read", kwin.window_list + """.forEach(function (w) {
            print([w.caption, w.pid, w.frameGeometry.x, w.frameGeometry.y, w.keepAbove].join(" "));
        });
        print("done");
    """)
    return [line for line in lines if line != "done"]


def move(kwin, x, y):
    kwin.run_script("vistrel-test-move", kwin.window_list + """.forEach(function (w) {
        var g = w.frameGeometry;
        if (w.caption === "Vistrel") w.frameGeometry = {x: %d, y: %d, width: g.width, height: g.height};
    }); print("done");""" % (x, y))


def watching(kwin):
    """Whether the program's place watch is loaded in KWin."""
    return kwin.bus.get_object("org.kde.KWin", "/Scripting").isScriptLoaded(
        "vistrel-place-watch", dbus_interface="org.kde.kwin.Scripting")


def test_kwin_places_the_window_and_keeps_it_above_then_lets_go(kwin, kde):
    pid = kde.process.pid
    # KWin lists a window once its first picture is on screen; before that there is none to move.
    wait_for("the window in KWin's list",
             lambda: any(line.startswith(f"Vistrel {pid} ") for line in window_state(kwin)))
    # Each request returns before KWin's answer: no event loop runs inside it.
    for command, answer in [("move 300 200", "MOVED"), ("above 1", "ABOVE")]:
        kde.process.stdin.write(command + "\n")
        kde.process.stdin.flush()
        assert kde.until(answer)[-2:] == ["SENT", answer + " 1"]
    wait_for("the window at 300, 200 and kept above",
             lambda: f"Vistrel {pid} 300 200 true" in window_state(kwin))
    wait_for("the control to tell the place", lambda: kde.send("where", "WHERE") == "WHERE 300 200")
    # Moved as by the user: the control tells the new place.
    move(kwin, 500, 400)
    wait_for("the new place", lambda: kde.send("where", "WHERE") == "WHERE 500 400")
    assert kde.send("above 0", "ABOVE") == "ABOVE 1"
    wait_for("the window no longer kept above",
             lambda: f"Vistrel {pid} 500 400 false" in window_state(kwin))


def test_a_second_start_leaves_the_place_saved_at_exit_which_unloads_the_watch(kwin_picture,
                                                                              start_vistrel):
    rig = kwin_picture
    vistrel = start_vistrel(rig, token=rig.seed_consent())
    at = lambda x, y: any(line.startswith(f"Vistrel {vistrel.proc.pid} {x} {y} ")
                          for line in window_state(rig))
    # KWin 5.27 numbers a script by how many are loaded: the test's own scripts wait until the
    # program's are done, lest the two share a number.
    wait_for("the place watch", lambda: watching(rig))
    time.sleep(2)
    wait_for("the window where the program puts it", lambda: at(205, 209))
    # Without a tray the second copy brings the running one forward and ends.
    second = rig.spawn("second", vistrel.proc.args, vistrel.env)
    assert second.wait(20) == 0
    time.sleep(1)
    move(rig, 400, 200)
    wait_for("the window at its new place", lambda: at(400, 200))
    time.sleep(1)  # KWin's report of the place, on its way to the program
    vistrel.end()
    with open(vistrel.config_file) as f:
        assert {"Left=6000", "Top=3000"} <= set(f.read().splitlines())
    assert not watching(rig)


@pytest.mark.parametrize("desktop, stored, saved", [
    # Off every screen and wider than all of them: back on the screen at the designed size, as
    # on X11, though the first screen cast, which tells where the screens are, comes later.
    ("kwin", "Left=-30000\nTop=1500\nWidth=99999\n", ("0", "1500", "3300")),
    # The window learns its fractional scale only once shown, after KWin was told the place.
    ("kwin_scale_15", "Left=3000\nTop=1500\n", ("3000", "1500", "3300")),
], ids=["off the screen and too wide", "scale 1.5"])
def test_a_stored_frame_is_placed_and_kept_over_two_starts(desktop, stored, saved, request,
                                                            start_vistrel, tmp_path):
    rig, home = request.getfixturevalue(desktop), home_dirs(str(tmp_path / "home"))
    write_settings(home, "[General]\n" + stored)
    # The rig refuses the share (KDE's dialog lacks its QML modules): its box stands beside.
    for _ in range(2):
        vistrel = start_vistrel(rig, home=home)
        wait_for("the place watch", lambda: watching(rig))
        time.sleep(2)  # as above
        at = f"Vistrel {vistrel.proc.pid} {int(saved[0]) // 15} {int(saved[1]) // 15} "
        wait_for(f"the window at {at}", lambda: any(w.startswith(at) for w in window_state(rig)))
        time.sleep(1)
        assert vistrel.end() == 0
        values = settings_values(read_settings(vistrel))
        assert (values["Left"], values["Top"], values["Width"]) == saved
