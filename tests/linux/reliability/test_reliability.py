"""Reliability tests of the Linux program: hostile settings files, kills at random moments,
many copies started at once, a program directory with shell characters in its path, and a short
scenario under the address and undefined-behaviour sanitizers.

Every test runs the real program on its own Xvfb with its own HOME and XDG directories, using the
helpers of tests/linux/x11 (XSession, Vistrel) and the fixtures of tests/conftest.py.

    pytest-3 tests/linux/reliability [--vistrel build/vistrel] [--probe build/tests/linux/x11/x11_probe] [-k NAME]
    pytest-3 tests/linux/reliability --vistrel build-sanitize/vistrel --probe ... --sanitized -k ...

The mounts (the full and the read-only disk) and running the program as another user (the
unreadable file; `setpriv` from util-linux does that) need root: those tests are marked
needs_root and skipped without it.
"""

import os
import random
import re
import select
import shutil
import signal
import stat
import subprocess
import time
from dataclasses import dataclass

import pytest

from support import program
from support.picture import expect_view
from support.program import Vistrel, corner_home, fake_xdg_open, read_settings, recorded, \
    settings_values, write_settings
from support.xsession import TestFailure, new_home, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))

NAMES = ("Top", "Left", "Height", "Width", "RefreshHigh", "RefreshAlways", "Keep1to1", "OnTop")
NUMBER = re.compile(r"-?\d+(\.\d+)?(E[+-]\d+)?")
NOBODY = 65534


def valid_values(text):
    """The eight values of a settings file the program wrote, each in its written form."""
    values = settings_values(text)
    for name in NAMES:
        value = values.get(name)
        ok = value is not None and (NUMBER.fullmatch(value) if name in NAMES[:4]
                                    else value in ("True", "False"))
        if not ok:
            raise TestFailure(f"{name} is not a valid written value: {value!r} in\n{text[:400]}")
    return values


def config_path(home):
    return os.path.join(home["XDG_CONFIG_HOME"], "Tarnwell", "Vistrel.conf")


def term_and_wait(v, timeout=10):
    """The log-off path: SIGTERM closes through the normal close (status 0)."""
    v.proc.send_signal(signal.SIGTERM)
    if v.ended(timeout) != 0:
        raise TestFailure(f"SIGTERM ended the program with status {v.proc.returncode}")


def stray_files(directory):
    """Files the program left beside its settings file (an interrupted replace)."""
    if not os.path.isdir(directory):
        return []
    return [n for n in os.listdir(directory) if n != "Vistrel.conf"]


@dataclass
class Defaults:
    values: dict  # the eight values as written
    place: list   # the main window's x, y, width and height


@pytest.fixture(scope="module")
def defaults(x_sessions):
    """What a run without settings shows and writes (the window definition's frame, options
    off)."""
    session = x_sessions("trayer")
    v = Vistrel(session, new_home(session.workdir, "defaults"), name="defaults")
    win = v.main_window()
    place = [win.x, win.y, win.width, win.height]
    term_and_wait(v)
    return Defaults(valid_values(read_settings(v)), place)


def hostile_file(value):
    return b"[General]\n" + b"".join(n.encode() + b"=" + value + b"\n" for n in NAMES) + \
        b"Other=kept\n"


BINARY = bytes(b for b in range(1, 256) if b != 10)

# label, the value put into all eight lines, the values that apply (the rest are defaults)
HOSTILE_VALUES = [
    ("300 characters", b"1" * 300, {}),
    ("100000 characters", b"9" * 100000, {}),
    ("binary bytes", BINARY, {}),
    ("invalid UTF-8", b"\xc3\x28\xa0\xa1\xff\xfe\xed\xa0\x80", {}),
    ("1e400", b"1e400", {}),
    ("NaN", b"NaN", {}),
    # Numbers that convert but lie off every screen: the window is kept in X's coordinate range.
    ("1E+30", b"1E+30", {"Top": None, "Left": None, "Height": None, "Width": None,
                         "RefreshHigh": "True", "RefreshAlways": "True", "Keep1to1": "True",
                         "OnTop": "True"}),
    ("-1E+30", b"-1E+30", {"Top": None, "Left": None, "Height": None, "Width": None,
                           "RefreshHigh": "True", "RefreshAlways": "True", "Keep1to1": "True",
                           "OnTop": "True"}),
    ("-0", b"-0", {"Top": "0", "Left": "0", "Height": None, "Width": None,
                   "RefreshHigh": "False", "RefreshAlways": "False", "Keep1to1": "False",
                   "OnTop": "False"}),
    ("  True  ", b"  True  ", {"RefreshHigh": "True", "RefreshAlways": "True",
                               "Keep1to1": "True", "OnTop": "True"}),
]


def test_hostile_values_start_on_defaults_and_the_close_writes_valid_texts(session, defaults,
                                                                           figure):
    want_defaults = defaults.values
    for i, (label, value, applied) in enumerate(HOSTILE_VALUES):
        home = new_home(session.workdir, f"hostile{i}")
        os.makedirs(os.path.dirname(config_path(home)))
        with open(config_path(home), "wb") as f:
            f.write(hostile_file(value))
        v = Vistrel(session, home, name=f"hostile{i}")
        win = v.main_window()
        if "Top" not in applied and [win.x, win.y, win.width, win.height] != defaults.place:
            raise TestFailure(f"{label}: the window is not at the defined place: {win}")
        time.sleep(0.3)  # a few ticks with the value applied
        if not v.alive():
            raise TestFailure(f"{label}: the program ended")
        term_and_wait(v)
        got = valid_values(read_settings(v))
        for name in NAMES:
            want = applied.get(name, want_defaults[name])
            if want is not None and got[name] != want:
                raise TestFailure(f"{label}: {name} = {got[name]!r}, not {want!r}")
        if got.get("Other") != "kept":
            raise TestFailure(f"{label}: the line of another program was lost")
    figure(f"hostile values: {len(HOSTILE_VALUES)} kinds x 8 settings, started, ran, closed, "
           "valid texts written, files lost: 0")


def unchanged_after_a_run(session, home, name, prepare, check_running=None, user=None,
                          expect_unchanged=True, place=None):
    """Starts the program on a settings path that prepare() made hostile; the program must come
    up (at the place given, unless check_running looks instead), keep running and close
    normally, and the path must be as it was."""
    path = config_path(home)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    prepare(path)
    before = snapshot(path)
    argv_prefix = []
    if user is not None:
        argv_prefix = ["setpriv", f"--reuid={user}", f"--regid={user}", "--clear-groups", "--"]
    v = Vistrel(session, home, name=name, binary=argv_prefix[0] if argv_prefix else None,
                args=argv_prefix[1:] + [program.VISTREL] if argv_prefix else ())
    # setpriv execs the program, so the process number is the program's.
    win = v.main_window(timeout=15)
    if check_running:
        check_running(v, win)
    elif [win.x, win.y, win.width, win.height] != place:
        raise TestFailure(f"{name}: the window is not at the defined place: {win}")
    time.sleep(0.2)  # a few ticks
    if not v.alive():
        raise TestFailure(f"{name}: the program ended")
    term_and_wait(v)
    if expect_unchanged and snapshot(path) != before:
        raise TestFailure(f"{name}: the settings path changed: {before} -> {snapshot(path)}")
    return v


def snapshot(path):
    try:
        st = os.lstat(path)
    except OSError as e:
        return ("missing", e.errno)
    if stat.S_ISLNK(st.st_mode):
        return ("link", os.readlink(path))
    if stat.S_ISREG(st.st_mode):
        with open(path, "rb") as f:
            return ("file", stat.S_IMODE(st.st_mode), st.st_uid, f.read())
    if stat.S_ISDIR(st.st_mode):
        return ("dir", sorted(os.listdir(path)))
    return ("other", stat.S_IFMT(st.st_mode))


def test_files_it_can_not_use_are_kept_and_the_program_runs_on_defaults(session, defaults,
                                                                        figure):
    tried = 0

    def empty(path):
        open(path, "wb").close()

    # An empty file is a settings file without values: the close fills it.
    v = unchanged_after_a_run(session, new_home(session.workdir, "empty"), "empty", empty,
                              expect_unchanged=False, place=defaults.place)
    if valid_values(read_settings(v)) != defaults.values:
        raise TestFailure("the close did not write the defaults into the empty file")
    tried += 1

    # Read, but not settings text: kept aside byte for byte, told once, and a fresh file saved.
    not_settings = (("nul", b"[General]\nTop=1440\x00\nLeft=300\n"),
                    ("oversize", b"[General]\nTop=0\nLeft=0\n" + b"; padding\n" * 120000),
                    ("random", random.Random(9).randbytes(4096)))
    for name, data in not_settings:
        def prepare(path, data=data):
            with open(path, "wb") as f:
                f.write(data)
        v = unchanged_after_a_run(session, new_home(session.workdir, name), name, prepare,
                                  expect_unchanged=False, place=defaults.place)
        if valid_values(read_settings(v)) != defaults.values:
            raise TestFailure(f"{name}: the close did not save the settings in a new file")
        folder = os.path.dirname(v.config_file)
        kept = [f for f in os.listdir(folder) if f.startswith("Vistrel.conf.unreadable-")]
        if len(kept) != 1 or open(os.path.join(folder, kept[0]), "rb").read() != data:
            raise TestFailure(f"{name}: the old file was not kept as it was: {kept}")
        with open(os.path.join(session.workdir, f"{name}.log")) as f:
            told = f.read().count(kept[0])
        if told != 1:
            raise TestFailure(f"{name}: the user was told {told} times where the old file went")
        tried += 1

    def directory(path):
        os.makedirs(os.path.join(path, "inside"))

    def fifo(path):
        os.mkfifo(path, 0o600)

    def dangling(path):
        os.symlink(path + ".gone", path)

    def loop(path):
        os.symlink(os.path.basename(path), path)

    for name, prepare in (("directory", directory), ("fifo", fifo), ("dangling-link", dangling),
                          ("link-loop", loop)):
        unchanged_after_a_run(session, new_home(session.workdir, name), name, prepare,
                              place=defaults.place)
        tried += 1
    figure(f"unusable settings paths: {tried} (empty file, NUL byte, 1.2 MB file, 4 KiB of random "
           "bytes, directory, FIFO, dangling link, link loop), each started on defaults and "
           "closed normally; files lost: 0")


# Root reads any file, so the program runs as nobody on a file only root reads.
@pytest.mark.needs_root("running the program as another user")
def test_files_it_can_not_read_are_kept_and_the_program_runs_on_defaults(session, defaults,
                                                                         figure):
    home = new_home(session.workdir, "unreadable")
    for d in home.values():
        os.chown(d, NOBODY, NOBODY)
    os.makedirs(os.path.dirname(config_path(home)))
    os.chown(os.path.dirname(config_path(home)), NOBODY, NOBODY)

    def unreadable(path):
        with open(path, "w") as f:
            f.write("[General]\nTop=0\nLeft=0\n")
        os.chmod(path, 0o600)

    unchanged_after_a_run(session, home, "unreadable", unreadable, user=NOBODY,
                          place=defaults.place)
    figure("a settings file unreadable to the user: started on defaults and closed normally, "
           "the file unchanged")


class Mount:
    """A small tmpfs of its own for the settings (size in KiB); unmounted at the end."""

    def __init__(self, where, size_k):
        self.where = where
        os.makedirs(where, exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size_k}k,mode=0700", "tmpfs", where],
                       check=True)

    def remount(self, options):
        subprocess.run(["mount", "-o", f"remount,{options}", self.where], check=True)

    def close(self):
        subprocess.run(["umount", "-l", self.where], check=False)


GOOD = "[General]\nTop=0\nLeft=15\nHeight=2475\nWidth=3300\nRefreshHigh=True\n" \
       "RefreshAlways=False\nKeep1to1=False\nOnTop=False\n; a comment\n"


def fill(directory):
    """Fills the file system of directory until a write fails."""
    fd = os.open(os.path.join(directory, "filler"), os.O_WRONLY | os.O_CREAT, 0o600)
    try:
        while True:
            os.write(fd, b"\0" * 4096)
    except OSError:
        pass
    finally:
        os.close(fd)


@pytest.mark.needs_root("mounting small file systems")
def test_full_and_read_only_disks_keep_the_file_and_a_later_close_writes(session, figure):
    for kind in ("full", "read-only"):
        home = new_home(session.workdir, kind)
        mount = Mount(home["XDG_CONFIG_HOME"], 256)
        try:
            os.makedirs(os.path.join(home["XDG_CONFIG_HOME"], "Tarnwell"))

            def prepare(path):
                with open(path, "w") as f:
                    f.write(GOOD)
                if kind == "full":
                    fill(os.path.dirname(path))
                else:
                    mount.remount("ro")

            def applied(v, win):
                # The readable settings were applied: the window is at the stored place.
                if (win.x, win.y) != (1, 0):
                    raise TestFailure(f"{kind}: the stored place was not applied: {win}")

            unchanged_after_a_run(session, home, kind, prepare, applied)
            directory = os.path.dirname(config_path(home))
            if kind == "full":
                if stray_files(directory) != ["filler"]:
                    raise TestFailure(f"files left on the full disk: {stray_files(directory)}")
                os.remove(os.path.join(directory, "filler"))
            else:
                mount.remount("rw")
            # With room again, the next close writes every value.
            v = Vistrel(session, home, name=kind + "-again")
            v.main_window()
            term_and_wait(v)
            values = valid_values(read_settings(v))
            if values["Top"] != "0" or values["Left"] != "15" or values["RefreshHigh"] != "True" \
                    or "; a comment" not in read_settings(v):
                raise TestFailure(f"{kind}: the later close wrote {values}")
        finally:
            mount.close()
    # Neither disk can even hold a new settings file: the program starts on defaults.
    home = new_home(session.workdir, "read-only-empty")
    mount = Mount(home["XDG_CONFIG_HOME"], 64)
    try:
        mount.remount("ro")
        v = Vistrel(session, home, name="read-only-empty")
        v.main_window()
        term_and_wait(v)
        if os.listdir(home["XDG_CONFIG_HOME"]):
            raise TestFailure("something was written to the read-only disk")
    finally:
        mount.close()
    figure("full disk and read-only disk: the file kept byte for byte, no temporary file left, "
           "the program ran and closed normally, the next close with room wrote every value; "
           "a read-only disk without settings: started on defaults")


CYCLES = int(os.environ.get("VISTREL_CRASH_CYCLES", "200"))

OLD = {"Top": "  1440", "Left": " 1500", "Height": "2475", "Width": "3300",
       "RefreshHigh": "0", "RefreshAlways": "0", "Keep1to1": "-0", "OnTop": "0"}
NEW = {"Top": "1440", "Left": "1500", "Height": "2475", "Width": "3300",
       "RefreshHigh": "False", "RefreshAlways": "False", "Keep1to1": "False", "OnTop": "False"}


def test_kills_at_random_moments_never_tear_the_settings(session, figure):
    seed = int(os.environ.get("VISTREL_CRASH_SEED", str(int(time.time()))))
    rng = random.Random(seed)
    home = new_home(session.workdir, "crash")
    path = config_path(home)
    # What a kill during the save leaves beside the file is removed by the next start; files of
    # other names stay.
    write_settings(home, "[General]\n")
    directory = os.path.dirname(path)
    planted = {"Vistrel.conf.saving-Ab12Cd": False, "Vistrel.conf.saving-keep": True,
               "Vistrel.conf.backup": True, "Vistrel.conf.AB12cd": True}
    for name in planted:
        with open(os.path.join(directory, name), "w") as f:
            f.write("[General]\nTop=1")
    v = Vistrel(session, home, name="leftovers")
    v.main_window()
    term_and_wait(v)
    for name, stays in planted.items():
        if os.path.exists(os.path.join(directory, name)) != stays:
            raise TestFailure(f"{name} was {'removed' if stays else 'kept'} by the start")
        if stays:
            os.remove(os.path.join(directory, name))
    counts = {"kill": 0, "term+kill": 0, "term": 0, "menu": 0}
    outcomes = {"old": 0, "new": 0}
    leftovers = 0
    interrupted = 0
    started = time.monotonic()
    for cycle in range(CYCLES):
        old_text = "[General]\n" + "".join(f"{n}={OLD[n]}\n" for n in NAMES) + \
            f"Cycle={cycle}\n[Other]\nTop=1\n"
        write_settings(home, old_text)
        v = Vistrel(session, home, name="crash")
        # The waits for the window and the icon are long: a start right after a kill on a loaded
        # machine has taken over 10 s; a start that hangs still fails.
        if cycle % 20 == 19:
            kind = "menu"
            v.tray_icon(timeout=30)
            v.menu_command("x")
            if v.ended() != 0:
                raise TestFailure(f"cycle {cycle}: Exit ended with {v.proc.returncode}")
        else:
            roll = rng.random()
            kind = "kill" if roll < 0.45 else "term+kill" if roll < 0.9 else "term"
            if kind == "kill":
                time.sleep(rng.uniform(0, 0.8))
                v.proc.kill()
            elif kind == "term+kill":
                # Up for a random while, then the log-off signal and a kill soon after (during
                # the save, or before the signal was handled).
                time.sleep(rng.uniform(0.2, 0.8))
                v.proc.send_signal(signal.SIGTERM)
                time.sleep(rng.uniform(0, 0.03))
                v.proc.kill()
            else:
                # Running (so the dead copy's lock was taken over), then the log-off signal (or
                # a hang-up or Ctrl+C, which close the same way).
                v.main_window(timeout=30)
                v.proc.send_signal(rng.choice((signal.SIGTERM, signal.SIGHUP, signal.SIGINT)))
            v.proc.wait(15)
        counts[kind] += 1
        session.procs.remove(v.proc)
        try:
            with open(path) as f:
                text = f.read()
        except OSError as e:
            raise TestFailure(f"cycle {cycle} ({kind}): the settings file is gone: {e}")
        values = settings_values(text)
        rest_ok = values.get("Cycle") == str(cycle) and text.endswith("[Other]\nTop=1\n")
        changed = [n for n in NAMES if values.get(n) != OLD[n]]
        torn = not rest_ok or any(values.get(n) not in (OLD[n], NEW[n]) for n in NAMES)
        if torn:
            raise TestFailure(f"cycle {cycle} ({kind}, seed {seed}): torn settings file:\n{text}")
        if kind in ("menu", "term") and (v.proc.returncode != 0 or
                                          any(values.get(n) != NEW[n] for n in NAMES)):
            raise TestFailure(f"cycle {cycle} ({kind}): the close ended with {v.proc.returncode} "
                              f"and saved:\n{text}")
        if changed and len(changed) != 6:
            raise TestFailure(f"cycle {cycle} ({kind}, seed {seed}): part old, part new:\n{text}")
        outcomes["old" if not changed else "new"] += 1
        # A kill during the save may leave its replacement; the next start removes it.
        strays = [n for n in stray_files(directory) if not re.fullmatch(
            r"Vistrel\.conf\.saving-\w{6}", n)]
        leftovers = max(leftovers, len(stray_files(directory)))
        interrupted += bool(stray_files(directory))
        if strays:
            raise TestFailure(f"cycle {cycle} ({kind}, seed {seed}): files left beside the "
                              f"settings: {strays}")
    v = Vistrel(session, home, name="crash-end")
    v.main_window()
    term_and_wait(v)
    if stray_files(directory):
        raise TestFailure(f"a start did not remove the leftovers: {stray_files(directory)}")
    seconds = time.monotonic() - started
    figure(f"crash loop: {CYCLES} cycles in {seconds:.0f} s (seed {seed}): {counts}; the file "
           f"afterwards held the old values {outcomes['old']} times, the new ones "
           f"{outcomes['new']} times, part old and part new 0 times; torn: 0, "
           f"files lost: 0; {interrupted} cycles left an interrupted replacement beside the file "
           f"(at most {leftovers} at a time), each removed by the next start")


def windows_by_pid(session):
    """{pid: set of window types} for every viewable window of the tree."""
    found = {}
    for w in session.find(wm_class=None):
        pid = re.search(r"= (\d+)", session.prop(w.id, "_NET_WM_PID"))
        if pid:
            kind = session.prop(w.id, "_NET_WM_WINDOW_TYPE")
            found.setdefault(int(pid.group(1)), []).append((w, kind))
    return found


def test_twenty_copies_at_once_leave_one_running_also_over_a_dead_copys_lock(session, figure):
    home = corner_home(session, "twenty")
    dead = Vistrel(session, home, name="dead")
    dead.main_window()
    dead.proc.kill()
    dead.proc.wait()
    if not os.listdir(home["XDG_RUNTIME_DIR"]):
        raise TestFailure("the killed copy left no lock to take over")
    copies = [Vistrel(session, home, name=f"copy{i}") for i in range(20)]
    pids = {c.proc.pid: c for c in copies}
    state = {}

    def settled():
        state.clear()
        for pid, wins in windows_by_pid(session).items():
            if pid not in pids:
                continue
            for w, kind in wins:
                if "UTILITY" in kind:
                    state.setdefault(pid, {})["main"] = w
                elif "DIALOG" in kind and w.name == "Vistrel":
                    state.setdefault(pid, {})["box"] = w
        ended = [p for p, c in pids.items() if not c.alive()]
        if ended:
            raise TestFailure(f"copies ended before their box was answered: {ended}")
        return len(state) == 20 and all(len(s) == 1 for s in state.values())
    wait_for("every copy to show its main window or the already-running box", settled, 60, 0.5)
    running = [p for p, s in state.items() if "main" in s]
    if len(running) != 1:
        raise TestFailure(f"{len(running)} copies run with a main window, not 1")
    boxes = [(pid, s["box"]) for pid, s in state.items() if "box" in s]
    for i, (pid, box) in enumerate(boxes):
        if i in (0, len(boxes) - 1):
            text = pids[pid].box_text(box)
            if "Vistrel is already running." not in text:
                raise TestFailure(f"copy {pid} shows another box: {text!r}")
        pids[pid].press(box, "Return")
    for pid, c in pids.items():
        if pid != running[0] and c.ended(20) != 0:
            raise TestFailure(f"copy {pid} ended with {c.proc.returncode}")
    survivor = pids[running[0]]
    if not survivor.alive():
        raise TestFailure("the running copy ended")
    survivor.proc.kill()
    survivor.proc.wait()
    after = Vistrel(session, home, name="after")
    after.main_window()
    term_and_wait(after)
    # A dead copy's lock whose process number now belongs to another program is taken over too.
    other = session.spawn(["sleep", "60"])
    lock = os.path.join(home["XDG_RUNTIME_DIR"], "vistrel.lock")
    with open(lock, "w") as f:
        f.write(f"{other.pid}\nvistrel\n{os.uname().nodename}\n")
    reused = Vistrel(session, home, name="reused")
    reused.main_window()
    term_and_wait(reused)
    session.stop_process(other)
    figure("single instance: 20 copies started at once over a killed copy's lock: 1 ran, 19 "
           "showed the already-running box and ended with status 0; the next start after a "
           "kill -9 ran, also when the dead copy's process number belonged to another program")


def test_help_from_a_directory_full_of_shell_characters_runs_only_the_viewer(session, figure,
                                                                             vistrel_binary):
    parent = os.path.join(session.workdir, "shell")
    name = "-rf dir with 'single' \"double\" ;touch semicolon-marker; $(touch dollar-marker) " \
        "`touch backtick-marker` &touch amp-marker"
    app_dir = os.path.join(parent, name)
    os.makedirs(app_dir)
    binary = os.path.join(app_dir, "vistrel")
    shutil.copy2(vistrel_binary, binary)
    readme = os.path.join(app_dir, "readme.txt")
    with open(readme, "w") as f:
        f.write("help\n")
    work = os.path.join(parent, "cwd")
    os.makedirs(work)
    env, record = fake_xdg_open(session, "shell")
    # The stand-in records its arguments NUL-separated, so that the exact bytes are compared.
    with open(os.path.join(env["PATH"].split(os.pathsep)[0], "xdg-open"), "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\0" "$@" > "{record}.tmp"; mv "{record}.tmp" "{record}"\n')
    home = corner_home(session, "shellhome")
    v = Vistrel(session, home, binary=binary, env=env, name="shell")
    v.main_window()
    for _ in range(2):
        if os.path.exists(record):
            os.remove(record)
        v.menu_command("h")
        args = recorded(record)
        if args != readme + "\0":
            raise TestFailure(f"xdg-open got {args.split(chr(0))!r}, not the one path {readme!r}")
    time.sleep(0.5)
    markers = [os.path.join(d, m) for d in (work, app_dir, parent, home["HOME"], os.getcwd(), "/")
               for m in ("semicolon-marker", "dollar-marker", "backtick-marker", "amp-marker")]
    made = [m for m in markers if os.path.exists(m)]
    if made:
        raise TestFailure(f"a shell ran the path's words: {made}")
    v.stop()
    figure("help from a directory named " + repr(name) + ": xdg-open got the exact path as its "
           "one argument (twice), no marker file exists")


class SessionManager:
    """tests/linux/reliability/session_manager.cpp, built into the work directory and started."""

    def __init__(self, session):
        binary = os.path.join(session.workdir, "session_manager")
        if not os.path.exists(binary):
            session.run(["c++", "-std=c++20", "-O1", "-o", binary,
                         os.path.join(HERE, "session_manager.cpp"), "-lSM", "-lICE"], timeout=120)
        self.proc = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.pending = b""
        session.procs.append(self.proc)
        self.events = []
        first = self.next_event()
        if not first.startswith("SESSION_MANAGER="):
            raise TestFailure(f"the session manager said {first!r}")
        self.address = first.split("=", 1)[1]

    def next_event(self, timeout=10):
        deadline = time.monotonic() + timeout
        while b"\n" not in self.pending:
            ready, _, _ = select.select([self.proc.stdout], [], [],
                                        max(0.0, deadline - time.monotonic()))
            chunk = os.read(self.proc.stdout.fileno(), 4096) if ready else b""
            if not chunk:
                raise TestFailure(f"the session manager said nothing more after {self.events}")
            self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        self.events.append(line.decode())
        return self.events[-1]

    def wait_event(self, event, timeout=10):
        deadline = time.monotonic() + timeout
        while event not in self.events:
            self.next_event(max(0.1, deadline - time.monotonic()))

    def logout(self):
        self.proc.stdin.write(b"logout\n")
        self.proc.stdin.flush()


def test_the_session_managers_logout_saves_like_exit(session, figure):
    manager = SessionManager(session)
    home = corner_home(session, "logout", "RefreshHigh=-1\nOnTop=  0\n")
    v = Vistrel(session, home, env={"SESSION_MANAGER": manager.address}, name="logout")
    v.main_window()
    manager.wait_event("registered")
    manager.logout()
    if v.ended(10) != 0:
        raise TestFailure(f"the log-off ended the program with {v.proc.returncode}")
    manager.wait_event("lost")
    if "save-yourself" not in manager.events:
        raise TestFailure(f"the session manager did not ask: {manager.events}")
    values = valid_values(read_settings(v))
    if (values["Top"], values["Left"], values["RefreshHigh"], values["OnTop"]) != \
            ("0", "0", "True", "False"):
        raise TestFailure(f"the log-off did not save like Exit: {values}")
    # The same while a modal dialog runs its own event loop (About open).
    manager = SessionManager(session)
    write_settings(home, "[General]\nTop=0\nLeft=0\nKeep1to1=-1\n")
    v = Vistrel(session, home, env={"SESSION_MANAGER": manager.address}, name="logout-about")
    v.main_window()
    manager.wait_event("registered")
    v.menu_command("a")
    v.box("About")
    manager.logout()
    if v.ended(10) != 0:
        raise TestFailure(f"the log-off with About open ended with {v.proc.returncode}")
    manager.wait_event("lost")
    if valid_values(read_settings(v))["Keep1to1"] != "True":
        raise TestFailure("the log-off with About open did not save")
    figure(f"log-off through a session manager, also with the About dialog open: the program "
           f"saved and ended (events: {', '.join(manager.events[1:])}); SIGTERM: in the crash "
           "loop and the hostile runs")


@pytest.mark.sanitizer
def test_sanitizer_scenario_runs_clean(session, figure):
    """Run with the sanitizer build: start, ticks while the cursor moves, a zoom click, Freeze,
    Exit; the settings must be written and the sanitizers must report nothing."""
    logs = os.path.join(session.workdir, "asan")
    os.makedirs(logs, exist_ok=True)
    suppressions = os.path.join(HERE, "lsan.supp")
    env = {"ASAN_OPTIONS": f"log_path={logs}/report:detect_leaks=1:abort_on_error=0:"
                           "detect_stack_use_after_return=1",
           "LSAN_OPTIONS": f"suppressions={suppressions}:print_suppressions=0",
           "UBSAN_OPTIONS": f"log_path={logs}/report:print_stacktrace=1:halt_on_error=0"}
    home = corner_home(session, "sanitizer")
    v = Vistrel(session, home, env=env, name="sanitizer")
    win = v.main_window(timeout=30)
    for cursor in ((600, 450), (610, 455), (300, 200), (900, 700)):
        session.move(*cursor)
        expect_view(session, win, 2, cursor, timeout=10)
    session.click(win.x + 110, win.y + 80)  # zoom in
    session.move(600, 450)
    expect_view(session, win, 3, (600, 450), timeout=10)
    session.key("alt+space")  # Freeze
    time.sleep(0.3)
    session.move(200, 600)
    time.sleep(0.3)
    expect_view(session, win, 3, (600, 450), timeout=10)
    v.menu_command("x")
    if v.ended(30) != 0:
        raise TestFailure(f"Exit ended the sanitizer build with {v.proc.returncode}")
    values = valid_values(read_settings(v))
    if (values["Top"], values["Left"]) != ("0", "0"):
        raise TestFailure(f"the settings were not saved: {values}")
    reports = sorted(os.listdir(logs))
    if reports:
        text = "".join(open(os.path.join(logs, r), errors="replace").read()[:4000] for r in reports)
        raise TestFailure(f"the sanitizers reported:\n{text}")
    figure("sanitizer build: start, 4 cursor moves, a zoom click, Freeze, Exit: settings "
           "written, sanitizer reports: 0")
