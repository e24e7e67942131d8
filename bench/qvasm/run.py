#!/usr/bin/env python3
"""qvasm's throughput against nasm -f bin on the same generated program, in the same run.

    bench/qvasm/run.py [BUILD_DIR] [LINES]     (or: cmake --build build --target bench_qvasm)

Generates a LINES-line program (default 100,000) in both dialects with gen_source.py, then runs
qvasm, qvasm /o and nasm -f bin five times each, interleaved so that the noise of a shared
machine falls on all three alike, and prints the median wall time, the median CPU time (user +
system of the child) and lines per second for each. Also checks that qvasm /o is never longer
than NASM's output."""
import os
import resource
import statistics
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "build"))
lines = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
qvasm = os.path.join(build, "bin", "tools", "qvasm")
work = os.path.join(os.environ.get("TMPDIR", "/tmp"), "qvasm-bench")
os.makedirs(work, exist_ok=True)
src_q, src_n = os.path.join(work, "prog.asm"), os.path.join(work, "prog.nasm")
subprocess.run([sys.executable, os.path.join(here, "gen_source.py"), str(lines), "1", src_q, src_n],
               check=True)

runs = {
    "qvasm": [qvasm, src_q, os.path.join(work, "q.com")],
    "qvasm /o": [qvasm, src_q, os.path.join(work, "o.com"), "/o"],
    "nasm -f bin": ["nasm", "-f", "bin", "-o", os.path.join(work, "n.bin"), src_n],
}
wall = {k: [] for k in runs}
cpu = {k: [] for k in runs}
for _ in range(5):
    for name, cmd in runs.items():
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        t0 = time.perf_counter()
        r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        t1 = time.perf_counter()
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if r.returncode != 0:
            sys.exit("%s failed:\n%s%s" % (name, r.stdout.decode(errors="replace"), r.stderr.decode(errors="replace")))
        wall[name].append(t1 - t0)
        cpu[name].append((after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime))

print("%d lines, %d bytes of source" % (lines, os.path.getsize(src_q)))
print("%-12s %10s %10s %14s %14s %9s" % ("assembler", "wall ms", "cpu ms", "lines/s wall", "lines/s cpu", "bytes"))
sizes = {"qvasm": "q.com", "qvasm /o": "o.com", "nasm -f bin": "n.bin"}
for name in runs:
    w, c = statistics.median(wall[name]), statistics.median(cpu[name])
    print("%-12s %10.1f %10.1f %14.0f %14.0f %9d" % (name, w * 1000, c * 1000, lines / w,
                                                      lines / max(c, 1e-6),
                                                      os.path.getsize(os.path.join(work, sizes[name]))))
if os.path.getsize(os.path.join(work, "o.com")) > os.path.getsize(os.path.join(work, "n.bin")):
    sys.exit("qvasm /o output is longer than nasm's")
