#!/usr/bin/env python3
"""Find in File(s) against grep and rg over the same tree, in the same sitting.

  run.py --driver build/bench/bench_findinfiles [--dir /tmp/asmtree] [--word bufptr] [--runs 9]

Case-blind whole-word search of the .asm and .inc files of the tree, every hit line produced
and counted through `| wc -l` (a find-in-files pane has to produce every line; grep stops at a
file's first match when its output is /dev/null). The commands alternate run by run, so drift
on a shared machine hits all of them; one warm-up round first (page cache warm). Prints the
median, minimum and maximum wall time and the median user and system CPU of each command.
"""
import argparse
import os
import statistics
import subprocess
import time


def run_once(cmd):
    t0 = time.perf_counter()
    p = subprocess.Popen(["bash", "-c", cmd], stdout=subprocess.DEVNULL)
    _, status, ru = os.wait4(p.pid, 0)
    wall = time.perf_counter() - t0
    p.returncode = os.waitstatus_to_exitcode(status)
    return wall * 1000, ru.ru_utime * 1000, ru.ru_stime * 1000


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawTextHelpFormatter)
    ap.add_argument("--driver", required=True)
    ap.add_argument("--dir", default="/tmp/asmtree")
    ap.add_argument("--word", default="bufptr")
    ap.add_argument("--runs", type=int, default=9)
    a = ap.parse_args()
    d, w, drv = a.dir, a.word, a.driver
    cmds = [
        ("qvasmide", "%s -i -w -r %s %s | wc -l" % (drv, w, d)),
        ("qvasmide -j1", "%s -j 1 -i -w -r %s %s | wc -l" % (drv, w, d)),
        ("grep -rniw", "grep -rniw --include='*.asm' --include='*.inc' %s %s | wc -l"
         % (w, d)),
        ("rg -n -i -w", "rg -n -i -w -g '*.asm' -g '*.inc' %s %s | wc -l" % (w, d)),
        ("rg -j1 -n -i -w", "rg -j1 -n -i -w -g '*.asm' -g '*.inc' %s %s | wc -l"
         % (w, d)),
    ]
    for label, cmd in cmds:
        out = subprocess.run(["bash", "-c", cmd], capture_output=True, text=True).stdout
        print("%-26s %s lines" % (label, out.strip()))
    times = {label: [] for label, _ in cmds}
    for i in range(a.runs + 1):
        for label, cmd in cmds:
            r = run_once(cmd)
            if i > 0:
                times[label].append(r)
    print("%-26s %9s %9s %9s %9s %9s" % ("command", "median_ms", "min_ms", "max_ms",
                                         "user_ms", "sys_ms"))
    for label, _ in cmds:
        walls = [t[0] for t in times[label]]
        print("%-26s %9.1f %9.1f %9.1f %9.1f %9.1f" % (
            label, statistics.median(walls), min(walls), max(walls),
            statistics.median(t[1] for t in times[label]),
            statistics.median(t[2] for t in times[label])))


if __name__ == "__main__":
    main()
