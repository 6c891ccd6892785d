"""The settings file made hostile: odd values in every line, paths the program can not use as a
file (empty, not settings text, a directory, a FIFO, broken links) and a file it can not read.
The program starts on defaults, runs, closes normally, and loses no file."""

import os
import random
import time

import pytest

from support.program import Vistrel, read_settings
from support.reliability import NAMES, config_path, term_and_wait, unchanged_after_a_run, \
    valid_values
from support.xsession import TestFailure, new_home

NOBODY = 65534


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
