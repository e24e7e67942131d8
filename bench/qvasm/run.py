#!/usr/bin/env python3
"""qvasm's throughput and output size against nasm -Ox -f bin on the same generated programs.

    bench/qvasm/run.py [BUILD_DIR] [LINES] [LABELS]     (or: cmake --build build --target bench_qvasm)

Three programs, each written in both dialects:
  - an ordinary DOS program of LINES lines (default 100,000), from gen_source.py;
  - a jump-heavy program of LABELS random labels and jumps (default 3,000), from gen_jumps.py,
    once under .8086 and once under .386.
For each, qvasm, qvasm /o and nasm -Ox run five times, interleaved so that the noise of a shared
machine falls on all three alike; the median wall time, the median CPU time (user + system of
the child), lines per second and the output size are printed. Fails when the output of qvasm /o
is longer than NASM's for any of them."""
import os
import resource
import statistics
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "build"))
lines = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
labels = int(sys.argv[3]) if len(sys.argv) > 3 else 3000
qvasm = os.path.join(build, "bin", "tools", "qvasm")
work = os.path.join(os.environ.get("TMPDIR", "/tmp"), "qvasm-bench")
os.makedirs(work, exist_ok=True)


def measure(title, src_q, src_n):
    base = os.path.splitext(src_q)[0]
    outputs = {"qvasm": base + ".q.com", "qvasm /o": base + ".o.com", "nasm -Ox": base + ".n.bin"}
    runs = {
        "qvasm": [qvasm, src_q, outputs["qvasm"]],
        "qvasm /o": [qvasm, src_q, outputs["qvasm /o"], "/o"],
        "nasm -Ox": ["nasm", "-Ox", "-f", "bin", "-o", outputs["nasm -Ox"], src_n],
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
            # qvasm's exit code counts diagnostics too (76h: a jmp that could be short).
            failed = r.returncode != 0 and (name.startswith("nasm")
                                            or b"Total errors:        0" not in r.stdout)
            if failed:
                sys.exit("%s failed on %s:\n%s%s" % (name, src_q,
                                                     r.stdout.decode(errors="replace")[:3000],
                                                     r.stderr.decode(errors="replace")[:3000]))
            wall[name].append(t1 - t0)
            cpu[name].append((after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime))
    with open(src_q, "rb") as f:
        count = f.read().count(b"\n")
    print("%s: %d lines, %d bytes of source" % (title, count, os.path.getsize(src_q)))
    print("%-12s %10s %10s %14s %14s %9s" % ("assembler", "wall ms", "cpu ms", "lines/s wall",
                                            "lines/s cpu", "bytes"))
    for name in runs:
        w, c = statistics.median(wall[name]), statistics.median(cpu[name])
        print("%-12s %10.1f %10.1f %14.0f %14.0f %9d" % (name, w * 1000, c * 1000, count / w,
                                                          count / max(c, 1e-6),
                                                          os.path.getsize(outputs[name])))
    print()
    return os.path.getsize(outputs["qvasm /o"]) <= os.path.getsize(outputs["nasm -Ox"])


programs = []
src_q, src_n = os.path.join(work, "prog.asm"), os.path.join(work, "prog.nasm")
subprocess.run([sys.executable, os.path.join(here, "gen_source.py"), str(lines), "1", src_q, src_n],
               check=True)
programs.append(("ordinary program", src_q, src_n))
for cpu_name in ("8086", "386"):
    jq, jn = os.path.join(work, "jumps%s.asm" % cpu_name), os.path.join(work, "jumps%s.nasm" % cpu_name)
    subprocess.run([sys.executable, os.path.join(here, "gen_jumps.py"), str(labels), "1", cpu_name,
                    jq, jn], check=True)
    programs.append(("%d labels and jumps, .%s" % (labels, cpu_name), jq, jn))

longer = [title for title, q, n in programs if not measure(title, q, n)]
if longer:
    sys.exit("qvasm /o output is longer than nasm's: " + ", ".join(longer))
