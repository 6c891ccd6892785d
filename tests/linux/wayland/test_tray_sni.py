"""The tray icon on a StatusNotifierItem host: swaybar in a headless sway, the program on
XWayland (and once on its own Xvfb, where its picture can be read). The tests do over D-Bus what
a host does when the user clicks: Activate, ContextMenu, and dbusmenu's AboutToShow, GetLayout
and Event."""

import subprocess
import time

import pytest

from support import xsession
from support.program import Vistrel, write_settings
from support.xsession import home_dirs, start_bus, wait_for

MENU = ["Show", "Hide", "-", "Zoom In", "Zoom Out", "Keep 1/1 (No Zooming)", "-", "Refresh High",
        "Refresh Always", "Freeze (press Alt + Spacebar to toggle)",
        "Freeze and Lock (press Alt + v to toggle)", "-", "Always on Top", "-", "Help", "About",
        "-", "Exit"]
FREEZE = MENU[9]


def labels(entries):
    return ["-" if e.type == "separator" else e.label for e in entries]


def marks(entries):
    return {e.label for e in entries if e.checked}


def disabled(entries):
    return {e.label for e in entries if not e.enabled}


def bar_changes(before, after, bar_height=30):
    """Bounding box (x0, y0, x1, y1) of the bar's pixels that differ between two shots."""
    width, _, a = before
    _, _, b = after
    # Only the tray's end: the workspace buttons change as windows come and go.
    changed = [(i // 3 % width, i // 3 // width) for i in range(0, width * bar_height * 3, 3)
               if i // 3 % width >= width // 2 and a[i:i + 3] != b[i:i + 3]]
    if not changed:
        return None
    xs, ys = [p[0] for p in changed], [p[1] for p in changed]
    return min(xs), min(ys), max(xs), max(ys)


def test_swaybar_shows_the_icon_with_its_tip(sway, start_vistrel):
    before = sway.screenshot()
    program = start_vistrel(sway)
    assert program.item.tooltip_title() == "Vistrel 1.05"
    assert program.item.prop("Status") == "Active"
    sizes = {(w, h) for w, h, data in program.item.icon_pixmaps() if len(data) == w * h * 4}
    assert (32, 32) in sizes
    # swaybar draws it: something new at the right end of the bar, about one icon large.
    box = wait_for("swaybar to draw the icon",
                   lambda: bar_changes(before, sway.screenshot()))
    x0, _y0, x1, y1 = box
    assert x1 >= 1000 and 10 <= x1 - x0 <= 32 and y1 < 30, box


def test_menu_entries_marks_and_states_follow_the_program(sway, start_vistrel, tmp_path):
    home = home_dirs(str(tmp_path / "marks"))
    write_settings(home, "[General]\nRefreshHigh=True\nOnTop=True\n")
    program = start_vistrel(sway, home=home)
    entries = program.item.menu()
    assert labels(entries) == MENU
    assert marks(entries) == {"Refresh High", "Always on Top"}
    # Unchecked entries carry no check box at all, as in the program's own popup menu.
    assert [e.label for e in entries if e.checkmark] == ["Refresh High", "Always on Top"]
    assert disabled(entries) == {"Show"}

    program.item.click(FREEZE)
    wait_for("Freeze's check mark", lambda: FREEZE in marks(program.item.menu()))
    program.item.click(FREEZE)
    wait_for("Freeze's mark to go", lambda: FREEZE not in marks(program.item.menu()))

    program.item.click("Hide")
    sway.wait_window_gone(program, "the window to go")
    assert disabled(program.item.menu()) == {"Hide"}
    # A host's click on the icon (StatusNotifier hosts send no double click) shows it again.
    program.item.activate()
    wait_for("the window to come back", lambda: sway.window_of(program))
    assert disabled(program.item.menu()) == {"Show"}


def frame(sway, program):
    """The outer frame's top-left corner: sway's rect leaves out the title bar."""
    window = sway.window_of(program)
    return window["rect"]["x"], window["rect"]["y"] - window["deco_rect"]["height"]


def test_exit_from_the_menu_saves_the_settings(sway, start_vistrel, tmp_path):
    home = home_dirs(str(tmp_path / "exit"))
    write_settings(home, "; kept\n[General]\nKeep1to1=True\nLeft=1500\nTop=4500\n")
    program = start_vistrel(sway, home=home)
    # sway puts the window where the program asks over its IPC socket.
    wait_for("the window at the stored place", lambda: frame(sway, program) == (100, 300))
    program.item.click("Refresh Always")
    wait_for("Refresh Always's mark", lambda: "Refresh Always" in marks(program.item.menu()))
    program.item.click("Exit")
    assert program.proc.wait(10) == 0
    with open(program.config_file) as f:
        text = f.read()
    assert text.startswith("; kept\n[General]\n")
    values = dict(line.split("=", 1) for line in text.splitlines()[2:])
    assert set(values) == {"Top", "Left", "Height", "Width", "RefreshHigh", "RefreshAlways",
                           "Keep1to1", "OnTop"}
    assert (values["RefreshAlways"], values["Keep1to1"], values["RefreshHigh"]) == (
        "True", "True", "False")
    assert (values["Left"], values["Top"]) == ("1500", "4500")


def test_a_window_the_user_moved_is_saved_where_it_is(sway, start_vistrel, tmp_path):
    home = home_dirs(str(tmp_path / "moved"))
    write_settings(home, "[General]\nLeft=1500\nTop=4500\n")
    program = start_vistrel(sway, home=home)
    wait_for("the window at the stored place", lambda: frame(sway, program) == (100, 300))
    # As a drag with the pointer would.
    sway.swaymsg("command", f"[pid={program.proc.pid}] move absolute position 400 200")
    wait_for("the window at its new place", lambda: frame(sway, program) == (400, 200))
    program.item.click("Exit")
    assert program.proc.wait(10) == 0
    with open(program.config_file) as f:
        assert {"Left=6000", "Top=3000"} <= set(f.read().splitlines())


def test_a_right_click_on_swaybar_opens_the_programs_own_menu(sway, start_vistrel):
    # swaybar 1.7 does not draw dbusmenu menus: its right click asks the item for its menu.
    program = start_vistrel(sway)
    program.item.object.ContextMenu(1012, 11, dbus_interface="org.kde.StatusNotifierItem")
    time.sleep(1)
    # The popup has the keyboard: the first entry (Show) is disabled, so Down lands on Hide.
    sway.type_keys("-k", "Down", "-k", "Return")
    sway.wait_window_gone(program, "Hide chosen in the popup menu")
    # The popup's choice left nothing behind: the host's menu works as before.
    program.item.click("Show")
    wait_for("the window to come back", lambda: sway.window_of(program))


def most_common_run(row):
    """The most frequent length of runs of equal pixels in a row of RGB triples."""
    runs, length = {}, 1
    for a, b in zip(row, row[1:]):
        if a == b:
            length += 1
        else:
            runs[length] = runs.get(length, 0) + 1
            length = 1
    return max(runs, key=runs.get)


@pytest.fixture
def xvfb(tmp_path):
    session = xsession.XSession(host=None, workdir=str(tmp_path / "x"))
    yield session
    session.stop()


def test_zoom_in_from_the_menu_zooms_the_picture_on_x11(sway, start_vistrel, xvfb, probe):
    # The same tray on an X11 desktop, where the picture can be read: a test pattern whose
    # neighbouring pixels all differ, so each screen pixel shows as a run of zoom view pixels.
    xvfb.run([probe, "pattern"])
    xvfb.move(200, 200)
    program = start_vistrel(sway, env={"DISPLAY": xvfb.display})
    window = wait_for("the view", lambda: xvfb.find(name="Vistrel"))[0]

    def zoom():
        shot = xvfb.screenshot()
        y = window.y + window.height // 2
        row = [xsession.pixel(shot, x, y) for x in range(window.x, window.x + window.width)]
        return most_common_run(row)

    wait_for("the picture at zoom 2", lambda: zoom() == 2)
    program.item.click("Zoom In")
    wait_for("the picture at zoom 3", lambda: zoom() == 3)



def test_without_any_tray_the_menu_opens_from_the_keyboard_and_the_bus(xvfb, tmp_path):
    # An X11 desktop with a session bus but no tray of either kind (GNOME without its extension).
    bus = start_bus(xvfb, str(tmp_path / "bus"))
    program = Vistrel(xvfb, str(tmp_path / "home"), env={"DBUS_SESSION_BUS_ADDRESS": bus})
    window = wait_for("the view", lambda: xvfb.find(name="Vistrel"))[0]

    def menu_open():
        return any(w.id != window.id for w in xvfb.find(wm_class="vistrel"))

    # Without a window manager the keyboard follows the pointer.
    xvfb.move(window.x + 20, window.y + 20)
    xvfb.key(xsession.SHIFT_F10)
    wait_for("the menu", menu_open)
    xvfb.key("Down", "Return")  # Show is disabled: the first Down lands on Hide
    wait_for("the window and the menu to go", lambda: not xvfb.find(wm_class="vistrel"))

    subprocess.run(["gdbus", "call", "--session", "--dest", "example.tarnwell.Vistrel",
                    "--object-path", "/example/tarnwell/Vistrel",
                    "--method", "example.tarnwell.Vistrel.ShowMenu"], env=program.env, check=True,
                   capture_output=True, timeout=10)
    wait_for("the menu", menu_open)
    xvfb.key("Down", "Return")  # now Show is the first enabled entry
    wait_for("the window to come back", lambda: [w.id for w in xvfb.find(wm_class="vistrel")]
             == [window.id])
    assert program.log().count("no tray is running") == 1
