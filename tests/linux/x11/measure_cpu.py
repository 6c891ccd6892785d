#!/usr/bin/env python3
"""CPU cost of the Linux program and of the X server while it runs, on a private Xvfb with
trayer: the cursor still, then moving a few pixels every 50 ms, with the view at 220 x 165 and at
1000 x 700 (zoom 2). Prints milliseconds of CPU per second of wall time (so 10 = 1 % of a core).

    PYTHONPATH=tests python3 tests/linux/x11/measure_cpu.py --vistrel build/vistrel \
        --probe build/tests/linux/x11/x11_probe [--seconds 10]

(PYTHONPATH: its helpers are the package tests/support.)
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

from support import xsession
from support.program import Vistrel, write_settings
from support.xsession import XSession, new_home

TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime + stime


def measure(session, pids, seconds, action=None):
    before = {p: cpu_seconds(p) for p in pids}
    start = time.monotonic()
    mover = action() if action else None
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    if mover:
        mover.wait()
    return {p: (cpu_seconds(p) - before[p]) * 1000 / elapsed for p in pids}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vistrel", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--seconds", type=float, default=10)
    options = parser.parse_args()
    xsession.PROBE = os.path.abspath(options.probe)
    workdir = tempfile.mkdtemp(prefix="vistrel-cpu-")
    session = XSession("trayer", workdir=workdir)
    try:
        session.run([xsession.PROBE, "pattern"])
        session.spawn("xclock", ["xclock", "-update", "1", "-geometry", "120x120+880+20"])
        print(f"{'view':>10} {'cursor':>8} {'vistrel ms/s':>13} {'Xvfb ms/s':>10}")
        for width, height in ((220, 165), (1000, 700)):
            home = new_home(workdir, f"{width}x{height}")
            write_settings(home, f"[General]\nLeft=0\nTop=0\nWidth={width * 15}\n"
                                 f"Height={height * 15}\n")
            proc = Vistrel(session, home, command=[os.path.abspath(options.vistrel)]).proc
            session.move(700, 500)
            time.sleep(1.5)
            pids = (proc.pid, session.xvfb.pid)
            still = measure(session, pids, options.seconds)
            moving = measure(session, pids, options.seconds, lambda: subprocess.Popen(
                [xsession.PROBE, "wiggle", str(options.seconds), "50"], env=session.env))
            for label, result in (("still", still), ("moving", moving)):
                print(f"{width}x{height:<6} {label:>8} {result[proc.pid]:13.1f} "
                      f"{result[session.xvfb.pid]:10.1f}", flush=True)
            proc.stop()
    finally:
        session.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
