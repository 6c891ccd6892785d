"""End-to-end: the tray icon and its menu, the message boxes and dialogs (their text read as Ctrl+C
copies it), Help and About through xdg-open, a second copy, a taken hot key, a tray host that
restarts, and the installed program."""

import os
import shutil
import subprocess
import time

import pytest

from support import program, xsession
from support.program import Vistrel, corner_home, fake_xdg_open, read_settings, recorded, settings_values
from support.picture import expect_view
from support.xsession import TestFailure, new_home, wait_for


def test_tray_menu_commands_by_keyboard_and_double_click_shows(session):
    v = Vistrel(session, corner_home(session, "tray"))
    win = v.main_window()
    v.menu_command("i")  # Zoom In
    session.move(600, 450)
    expect_view(session, win, 3, (600, 450))
    v.menu_command("d")  # Hide
    wait_for("the window to hide", lambda: not session.viewable(win.id))
    # A single click and a right press-and-release over nothing else do not show it.
    icon = v.tray_icon()
    session.click(icon.x + icon.width // 2, icon.y + icon.height // 2, button=1)
    time.sleep(0.6)
    if session.viewable(win.id):
        raise TestFailure("a single click on the tray icon showed the window")
    session.move(icon.x + icon.width // 2, icon.y + icon.height // 2)
    session.xdotool("click", "--repeat", 2, "--delay", 60, 1)
    wait_for("the window to show again", lambda: session.viewable(win.id))
    v.menu_command("x")  # Exit
    if v.ended() != 0:
        raise TestFailure("Exit did not end the program normally")
    values = settings_values(read_settings(v))
    if values.get("Left") != "0" or values.get("Top") != "0":
        raise TestFailure(f"Exit did not save the window's place: {values}")


def test_second_copy_shows_the_box_and_ends(session):
    home = corner_home(session, "single")
    first = Vistrel(session, home, name="first")
    first.main_window()
    first.tray_icon()
    second = Vistrel(session, home, name="second")
    box = second.box("Vistrel")
    text = second.box_text(box)
    for line in ("Vistrel is already running.",
                 "To view its popupmenu, rightclick on the Vistrel icon",
                 "in the system tray (on the taskbar, next to the clock)."):
        if line not in text:
            raise TestFailure(f"the box lacks {line!r}: {text!r}")
    if "OK" not in text:
        raise TestFailure(f"the box has no OK button: {text!r}")
    if any(w.wm_class[:1] == ("vistrel",) and w.width <= 64 for w in session.windows()
           if session.prop(w.id, "_NET_WM_PID").endswith(f"= {second.proc.pid}\n")
           and session.viewable(w.id) and w.id != box.id):
        raise TestFailure("the second copy added a tray icon")
    second.press(box, "Return")
    if second.ended() != 0:
        raise TestFailure("the second copy did not end normally")
    if not first.alive():
        raise TestFailure("the first copy ended too")
    first.stop()
    # A lock left by a copy that died is taken over.
    third = Vistrel(session, home, name="third")
    third.main_window()
    third.stop()


@pytest.mark.host("notray")
def test_without_a_tray_the_first_start_says_how_to_reach_the_menu_once(session):
    home = corner_home(session, "notray-notice")
    os.remove(os.path.join(home["XDG_STATE_HOME"], xsession.NO_TRAY_MARK))
    v = Vistrel(session, home, name="notice-first")
    box = v.box("Vistrel")
    text = v.box_text(box)
    if not all(w in text for w in ("no tray", "Shift+F10", "start Vistrel again", "readme.txt")):
        raise TestFailure(f"the box does not say how to reach the menu: {text!r}")
    v.press(box, "Return")
    v.stop()
    v = Vistrel(session, home, name="notice-later")
    v.main_window()
    time.sleep(1.5)
    if v.windows_of_type("_NET_WM_WINDOW_TYPE_DIALOG"):
        raise TestFailure("a later start showed the box again")


@pytest.mark.host("notray")
def test_without_a_tray_a_second_start_brings_the_hidden_window_back(session):
    home = corner_home(session, "notray-second")
    first = Vistrel(session, home, name="first")
    win = first.main_window()
    session.move(win.x + 20, win.y + 20)  # no window manager: the keys go under the pointer
    session.key(xsession.SHIFT_F10)
    first.popup_menu()
    session.key("d")  # Hide
    wait_for("the window to hide", lambda: not session.viewable(win.id))
    # A box would wait for its OK: ending on its own is ending without one.
    if Vistrel(session, home, name="second").ended() != 0:
        raise TestFailure("the second start did not end normally")
    wait_for("the window to come back", lambda: session.viewable(win.id))
    # Once a tray has the icon, a further start shows the box that points there.
    session.spawn("trayer-late", ["trayer", "--edge", "bottom", "--align", "right"])
    first.tray_icon()
    third = Vistrel(session, home, name="third")
    third.press(third.box("Vistrel"), "Return")
    if third.ended() != 0 or not first.alive():
        raise TestFailure("the third start or the first copy ended wrongly")


def test_non_numeric_argument_says_oops_and_ends_with_settings_saved(session):
    v = Vistrel(session, new_home(session.workdir, "oops"), args=["abc"])
    v.main_window()
    session.key("alt+v")
    box = v.box("Oops...")
    text = v.box_text(box)
    want = ("The optional command value must be nummeric (see the Vistrel readme.txt at "
            "COMMANDS).\nVistrel will quit now...")
    if want not in text:
        raise TestFailure(f"wrong text: {text!r}")
    v.press(box, "Return")
    v.ended()
    if settings_values(read_settings(v)).get("Top") != "3135":
        raise TestFailure("the settings were not saved")


def test_help_opens_readme_with_xdg_open_or_says_it_is_missing(session, vistrel_binary):
    home = corner_home(session, "help")
    app_dir = os.path.join(session.workdir, "my apps")
    os.makedirs(app_dir, exist_ok=True)
    binary = os.path.join(app_dir, "vistrel")
    shutil.copy2(vistrel_binary, binary)
    env, record = fake_xdg_open(session, "help")
    v = Vistrel(session, home, command=[binary], env=env)
    v.main_window()
    v.menu_command("h")
    box = v.box("Info")
    text = v.box_text(box)
    if "The Vistrel readme.txt seems to be missing..." not in text:
        raise TestFailure(f"wrong text: {text!r}")
    v.press(box, "Return")
    wait_for("the box to close", lambda: not session.viewable(box.id))
    readme = os.path.join(app_dir, "readme.txt")
    with open(readme, "w") as f:
        f.write("help\n")
    v.menu_command("h")
    args = recorded(record)
    if args != readme + "\n":
        raise TestFailure(f"xdg-open got {args!r}, not the one path {readme!r}")
    # xdg-open that finds no program for text files ends with 3, after it started.
    with open(os.path.join(env["PATH"].split(os.pathsep)[0], "xdg-open"), "w") as f:
        f.write("#!/bin/sh\nsleep 0.5\nexit 3\n")
    v.menu_command("h")
    box = v.box("Vistrel")
    text = v.box_text(box)
    if f"The text viewer could not be started to show\n{readme}" not in text:
        raise TestFailure(f"wrong text: {text!r}")
    v.stop()


def test_help_and_version_print_and_end_before_the_instance_check_and_the_settings(session):
    home = new_home(session.workdir, "options")
    # Anywhere on the command line: `--help 5` is no hold time that starts the program.
    version, usage = "Vistrel 1.0.5\nTarnwell software\n", "Usage: vistrel [SECONDS]\n"
    for options, out in ((["--version"], version), (["--help"], usage), (["--help", "5"], usage),
                         (["5", "--version"], version)):
        done = subprocess.run([program.VISTREL, *options], env=dict(session.env, **home),
                              capture_output=True, text=True, timeout=10)
        if done.returncode or not done.stdout.startswith(out) or done.stderr:
            raise TestFailure(f"{options} gave {done.returncode}, {done.stdout!r}, {done.stderr!r}")
    if any(files for key in ("XDG_CONFIG_HOME", "XDG_RUNTIME_DIR") for _, _, files in os.walk(home[key])):
        raise TestFailure("the options left a settings file or a lock")


def test_about_shows_the_version_and_ok_closes_it(session):
    env, record = fake_xdg_open(session, "about")
    v = Vistrel(session, corner_home(session, "about"), env=env)
    v.main_window()
    v.menu_command("a")
    box = v.box("About")
    if (box.width, box.height) != (220, 293):
        raise TestFailure(f"the About dialog is {box.width} x {box.height}, not 220 x 293")
    v.press(box, "Escape")
    time.sleep(0.3)
    if not session.viewable(box.id):
        raise TestFailure("Escape closed the About dialog")
    text = v.box_text(box)
    for line in ("Vistrel", "Version 1.0.5", "Play and enjoy!", "https://tarnwell.example/vistrel/"):
        if line + "\n" not in text:
            raise TestFailure(f"the About dialog lacks {line!r}: {text!r}")
    v.press(box, "Return")  # OK has the focus
    wait_for("the About dialog to close", lambda: not session.viewable(box.id))
    # The link (at 360, 3105 twips) opens the homepage and closes the dialog.
    v.menu_command("a")
    box = v.box("About")
    session.click(box.x + 24 + 10, box.y + 207 + 6)
    if recorded(record) != "https://tarnwell.example/vistrel/\n":
        raise TestFailure(f"the link opened {open(record).read()!r}")
    wait_for("the About dialog to close", lambda: not session.viewable(box.id))
    v.stop()


def test_taken_hot_key_is_reported_once(session):
    holder = session.spawn("grab", [xsession.PROBE, "grab-alt-space"])
    wait_for("the other program's grab",
             lambda: "ready" in open(os.path.join(session.workdir, "grab.log")).read())
    try:
        v = Vistrel(session, corner_home(session, "grabbed"))
        box = v.box("Vistrel")
        text = v.box_text(box)
        if "Alt + Space" not in text or "Alt + V" in text:
            raise TestFailure(f"the box should name Alt + Space only: {text!r}")
        v.press(box, "Return")
        wait_for("the box to close", lambda: not session.viewable(box.id))
        v.main_window()
        v.stop()
    finally:
        holder.stop()


def test_tray_icon_comes_back_when_the_tray_host_restarts(session):
    v = Vistrel(session, corner_home(session, "rehost"))
    v.main_window()
    v.tray_icon()
    session.trayer.stop()
    session.procs.remove(session.trayer)
    session.start_trayer()
    icon = v.tray_icon()
    session.click(icon.x + icon.width // 2, icon.y + icon.height // 2, button=3)
    v.popup_menu()
    session.key("Escape")
    v.stop()


def test_installed_program_finds_its_help_beside_its_real_file(session, vistrel_binary):
    prefix = os.path.join(session.workdir, "prefix")
    build = os.path.dirname(vistrel_binary)
    session.run(["cmake", "--install", build, "--prefix", prefix], timeout=120)
    for path in ("lib/vistrel/vistrel", "lib/vistrel/readme.txt",
                 "share/applications/example.tarnwell.Vistrel.desktop"):
        if not os.path.isfile(os.path.join(prefix, path)):
            raise TestFailure(f"cmake --install did not install {path}")
    icons = [p for p in ("share/icons/hicolor/32x32/apps/vistrel.png", "share/pixmaps/vistrel.xpm")
             if os.path.isfile(os.path.join(prefix, p))]
    link = os.path.join(prefix, "bin", "vistrel")
    if not icons or not os.path.islink(link) or \
            os.path.realpath(link) != os.path.join(prefix, "lib", "vistrel", "vistrel"):
        raise TestFailure("the icon or the bin/ link is missing")
    env, record = fake_xdg_open(session, "installed")
    v = Vistrel(session, corner_home(session, "installed"), command=[link], env=env)
    v.main_window()
    v.menu_command("h")
    args = recorded(record)
    if args != os.path.join(prefix, "lib", "vistrel", "readme.txt") + "\n":
        raise TestFailure(f"Help opened {args!r}")
    v.stop()
