#!/usr/bin/env python3
"""Long run: the Linux program (the sanitizer build) with Refresh High on and a cursor that moves
every 50 ms, for a given time. Samples its resident memory, its open file descriptors and its X
resources (xrestop) and fails when any of them grows beyond a small constant after the warm-up,
or when the sanitizers report anything.

    PYTHONPATH=tests python3 tests/linux/reliability/soak.py --vistrel build-sanitize/vistrel \
        --probe build-sanitize/tests/linux/x11/x11_probe [--seconds 600] [--warmup 60]

(PYTHONPATH: its helpers are the package tests/support; scripts/soak.sh sets it.)
"""

import argparse
import os
import re
import shutil
import sys
import tempfile
import time

from support import picture, program, xsession
from support.xsession import XSession

HERE = os.path.dirname(os.path.abspath(__file__))

RSS_SLACK_KB = 1024   # allocator and cache noise over a run; a leak per frame is far above it
X_KINDS = ("windows", "GCs", "fonts", "pixmaps", "pictures", "glyphsets", "colormaps",
           "passive grabs", "cursors", "unknowns")


def x_resources(session, window):
    """The X server's resource counts for the connection that made window (xrestop's batch
    mode; Xvfb does not tell it client PIDs, so the client is found by its resource base)."""
    out = session.run(["xrestop", "-b", "-m", "1"], check=False)
    for block in re.split(r"\n(?=\d+ - )", out):
        fields = dict(re.findall(r"^\s*(\w[\w ]*?)\s*: ~?(\S+)\s*$", block, re.M))
        if "res_base" in fields and "res_mask" in fields and \
                window & ~int(fields["res_mask"], 16) == int(fields["res_base"], 16):
            return {k: int(fields[k]) for k in X_KINDS if k in fields}
    return None


def sample(session, pid, window):
    with open(f"/proc/{pid}/status") as f:
        rss = int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))
    fds = len(os.listdir(f"/proc/{pid}/fd"))
    return {"rss_kb": rss, "fds": fds, "x": x_resources(session, window)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vistrel", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("--warmup", type=float, default=60)
    parser.add_argument("--interval", type=float, default=30)
    options = parser.parse_args()
    program.VISTREL = os.path.abspath(options.vistrel)
    xsession.PROBE = os.path.abspath(options.probe)
    if not shutil.which("xrestop"):
        print("missing tool: xrestop", file=sys.stderr)
        return 2

    workdir = tempfile.mkdtemp(prefix="vistrel-soak-")
    session = XSession("trayer", (), workdir)
    ok = False
    try:
        picture.setup_pattern(session)
        logs = os.path.join(workdir, "sanitizer")
        os.makedirs(logs)
        # No quarantine: ASan otherwise keeps up to 256 MiB of freed blocks before it reuses them,
        # and the resident set grows with every allocation until that is full (about 200 KiB a
        # minute here). Use after free is the short scenario's business; this run is about growth.
        quarantine = "quarantine_size_mb=0:thread_local_quarantine_size_kb=0"
        env = {"ASAN_OPTIONS": f"log_path={logs}/report:{quarantine}:detect_leaks=1",
               "LSAN_OPTIONS": f"suppressions={HERE}/lsan.supp:print_suppressions=0",
               "UBSAN_OPTIONS": f"log_path={logs}/report:print_stacktrace=1"}
        home = program.corner_home(session, "soak", "RefreshHigh=True\n")
        v = program.Vistrel(session, home, env=env, name="soak")
        window = v.main_window(timeout=30).id
        total = options.warmup + options.seconds
        wiggle = session.spawn("wiggle", [xsession.PROBE, "wiggle", str(total + 5), "50"])
        start = time.monotonic()
        time.sleep(options.warmup)
        first = sample(session, v.proc.pid, window)
        print(f"after {options.warmup:.0f} s warm-up: {first}", flush=True)
        samples = [first]
        while time.monotonic() - start < total:
            time.sleep(min(options.interval, max(0.0, total - (time.monotonic() - start))))
            if not v.alive():
                print("the program ended during the run", file=sys.stderr)
                return 1
            samples.append(sample(session, v.proc.pid, window))
            print(f"{time.monotonic() - start - options.warmup:5.0f} s: {samples[-1]}", flush=True)
        last = samples[-1]
        status = v.end(30)
        wiggle.stop()
        growth = last["rss_kb"] - first["rss_kb"]
        peak = max(s["rss_kb"] for s in samples) - first["rss_kb"]
        print(f"RSS: {first['rss_kb']} -> {last['rss_kb']} KiB (growth {growth} KiB, peak "
              f"+{peak} KiB); fds: {first['fds']} -> {last['fds']}; X resources: {first['x']} -> "
              f"{last['x']}; exit status {status}")
        reports = os.listdir(logs)
        problems = []
        if growth > RSS_SLACK_KB:
            problems.append(f"resident memory grew by {growth} KiB")
        if last["fds"] > first["fds"]:
            problems.append("open file descriptors grew")
        if first["x"] is None or last["x"] != first["x"]:
            problems.append("X resources changed")
        if status != 0:
            problems.append(f"the close ended with status {status}")
        if reports:
            problems.append(f"sanitizer reports in {logs}")
        for p in problems:
            print("FAIL: " + p, file=sys.stderr)
        ok = not problems
        print("soak: " + ("passed" if ok else "failed"))
        return 0 if ok else 1
    finally:
        session.stop()
        if ok:
            shutil.rmtree(workdir, ignore_errors=True)
        else:
            print(f"logs kept in {workdir}")


if __name__ == "__main__":
    sys.exit(main())
