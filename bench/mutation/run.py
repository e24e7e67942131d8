#!/usr/bin/env python3
"""One-edit mutants of the core library and the console tools, run against the non-GUI tests.

The source tree is copied once into a scratch folder and built there; each mutant is applied
to the copy, the non-GUI test programs are rebuilt incrementally and run, and the file is put
back. The worktree's own files are never written. See README.md beside this script.
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parent.parent
DEFAULT_SCRATCH = Path(os.environ.get("QVASMIDE_MUTATION_DIR", "/tmp/qvasmide-mutation"))
LABELS = "core|tools"
# Build folders at the top (build, build-asan, ...) and version control stay behind; everything
# else is copied.
SKIP_TOP = re.compile(r"^(\.git|\.cache|build.*)$")
SKIP_ANY = re.compile(r"^__pycache__$")


@dataclass
class Mutant:
    id: str
    file: str
    reason: str
    original: str
    replacement: str
    tests: str = ""  # CTest regex run first, for a quick catch; the whole set decides a miss
    equivalent: str = ""  # why no test can tell it apart; such mutants are skipped by default
    line: int = 0  # where the entry starts in the list


@dataclass
class Outcome:
    mutant: Mutant
    result: str
    seconds: float = 0.0
    detail: str = ""
    failed: list = field(default_factory=list)


def parse_mutants(path):
    """Blocks separated by blank lines; 'key: value' lines, then '-' lines (the original text)
    and '+' lines (its replacement). '#' starts a comment line."""
    mutants, errors = [], []
    block, start = [], 0

    def finish():
        if not block:
            return
        keys, minus, plus = {}, [], []
        for lineno, text in block:
            if text.startswith("- ") or text == "-":
                minus.append(text[2:])
            elif text.startswith("+ ") or text == "+":
                plus.append(text[2:])
            elif ":" in text:
                key, value = text.split(":", 1)
                keys[key.strip()] = value.strip()
            else:
                errors.append(f"{path}:{lineno}: cannot read: {text}")
        missing = [k for k in ("id", "file", "reason") if k not in keys]
        if missing or not minus:
            errors.append(f"{path}:{start}: entry lacks {', '.join(missing or ['- lines'])}")
            return
        mutants.append(
            Mutant(
                id=keys["id"],
                file=keys["file"],
                reason=keys["reason"],
                original="\n".join(minus),
                replacement="\n".join(plus),
                tests=keys.get("tests", ""),
                equivalent=keys.get("equivalent", ""),
                line=start,
            )
        )

    for lineno, raw in enumerate(Path(path).read_text().splitlines(), 1):
        text = raw.rstrip("\n")
        if text.startswith("#"):
            continue
        if not text.strip():
            finish()
            block = []
            continue
        if not block:
            start = lineno
        block.append((lineno, text))
    finish()
    seen = set()
    for m in mutants:
        if m.id in seen:
            errors.append(f"{path}:{m.line}: id {m.id} used twice")
        seen.add(m.id)
    return mutants, errors


def log(msg):
    print(msg, file=sys.stderr, flush=True)


def sync_tree(src, dst):
    """Copies src into dst, writing only files whose bytes differ, so the scratch build stays
    incremental across runs. Files gone from src are removed from dst's copy too."""
    changed = 0
    wanted = set()
    for root, dirs, files in os.walk(src):
        rel = Path(root).relative_to(src)
        dirs[:] = [
            d
            for d in dirs
            if not SKIP_ANY.match(d) and not (rel == Path(".") and SKIP_TOP.match(d))
        ]
        (dst / rel).mkdir(parents=True, exist_ok=True)
        for name in files:
            s, d = Path(root) / name, dst / rel / name
            wanted.add(d)
            data = s.read_bytes()
            if not d.exists() or d.read_bytes() != data:
                d.write_bytes(data)
                shutil.copymode(s, d)
                changed += 1
    for root, dirs, files in os.walk(dst):
        rel = Path(root).relative_to(dst)
        dirs[:] = [
            d
            for d in dirs
            if not SKIP_ANY.match(d) and not (rel == Path(".") and SKIP_TOP.match(d))
        ]
        for name in files:
            d = Path(root) / name
            if d not in wanted:
                d.unlink()
                changed += 1
    return changed


def build_env(scratch):
    env = dict(os.environ)
    # Paths below the base folder are hashed relative to the build folder, so a scratch build
    # shares the compiler cache with every checkout laid out the same way.
    env.setdefault("CCACHE_BASEDIR", str(scratch))
    env.setdefault("CCACHE_NOHASHDIR", "1")
    env["QT_QPA_PLATFORM"] = "offscreen"
    return env


def run(cmd, env, timeout=None, cwd=None):
    """Runs cmd in its own process group; on timeout the whole group is ended."""
    proc = subprocess.Popen(
        cmd,
        cwd=cwd,
        env=env,
        stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT,
        text=True,
        start_new_session=True,
    )
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out, False
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return -1, out, True


def configure(tree, build, env):
    # Every time: new test files must reach the test list before it is read.
    cmd = [
        "cmake",
        "-S",
        str(tree),
        "-B",
        str(build),
        "-G",
        "Ninja",
        "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
    ]
    if shutil.which("ccache"):
        cmd.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    rc, out, _ = run(cmd, env)
    if rc != 0:
        sys.exit("configure failed:\n" + out)


def test_programs(build, env):
    """The non-GUI tests: their names and the targets that build them."""
    rc, out, _ = run(
        ["ctest", "--test-dir", str(build), "-N", "-L", LABELS, "--show-only=json-v1"], env
    )
    if rc != 0:
        sys.exit("ctest -N failed:\n" + out)
    tests = json.loads(out)["tests"]
    # qvasmide_add_test names each test after its program's target.
    return {t["name"]: t["name"] for t in tests}


def build_targets(build, targets, env, jobs, timeout):
    cmd = ["cmake", "--build", str(build), "--target", *targets, "--", f"-j{jobs}"]
    return run(cmd, env, timeout=timeout)


def run_tests(build, env, jobs, timeout, names):
    cmd = [
        "ctest",
        "--test-dir",
        str(build),
        "-L",
        LABELS,
        "-R",
        "^(" + "|".join(re.escape(n) for n in names) + ")$",
        "-j",
        str(jobs),
        "--stop-on-failure",
        "--timeout",
        str(max(30, timeout // 2)),
    ]
    rc, out, timed_out = run(cmd, env, timeout=timeout)
    failed = re.findall(r"^\s*\d+ - (\S+) \(", out, re.M)
    return rc, out, timed_out, failed, "No tests were found" in out


def try_mutant(m, tree, build, programs, env, args):
    """programs: test name -> target of every non-GUI test."""
    path = tree / m.file
    if not path.exists():
        return Outcome(m, "stale", detail="file not found")
    # Bytes, not text: the file goes back exactly as it was, line ends and all.
    text = path.read_bytes()
    original, replacement = m.original.encode(), m.replacement.encode()
    hits = text.count(original)
    if hits != 1:
        return Outcome(m, "stale", detail=f"original text found {hits} times")
    start = time.monotonic()
    path.write_bytes(text.replace(original, replacement, 1))

    def elapsed():
        return time.monotonic() - start

    try:
        # The tests the entry names first: a mutant they catch needs no other program built.
        first = sorted(n for n in programs if m.tests and re.search(m.tests, n))
        rest = sorted(n for n in programs if n not in first)
        stages = [names for names in (first, rest) if names]
        remaining = args.timeout
        for names in stages:
            targets = sorted({programs[n] for n in names})
            rc, out, timed_out = build_targets(build, targets, env, args.jobs, args.build_timeout)
            if timed_out:
                return Outcome(m, "build-timeout", elapsed())
            if rc != 0:
                line = next((l for l in out.splitlines() if "error" in l), out[-300:])
                return Outcome(m, "build-error", elapsed(), line.strip())
            t0 = time.monotonic()
            rc, out, timed_out, failed, _ = run_tests(build, env, args.jobs, remaining, names)
            remaining = max(30, remaining - int(time.monotonic() - t0))
            if timed_out:
                return Outcome(m, "timeout", elapsed())
            if rc != 0:
                return Outcome(m, "caught", elapsed(), failed=failed)
        return Outcome(m, "missed", elapsed())
    finally:
        path.write_bytes(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("ids", nargs="*", help="mutant ids to run (default: all); a trailing * matches a prefix")
    ap.add_argument("--list", action="store_true", help="list the mutants and stop")
    ap.add_argument("--check", action="store_true", help="check that each original text is found exactly once in the worktree, and stop")
    ap.add_argument("--mutants", default=str(HERE / "mutants.txt"))
    ap.add_argument("--scratch", default=str(DEFAULT_SCRATCH), help="scratch folder (default %(default)s)")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--timeout", type=int, default=300, help="seconds the tests of one mutant may take")
    ap.add_argument("--build-timeout", type=int, default=900)
    ap.add_argument("--tests", help="limit the run to the non-GUI tests matching this CTest regex"
                    " (a quicker, partial measure)")
    ap.add_argument("--equivalent", action="store_true", help="run the mutants marked equivalent too")
    ap.add_argument("--results", help="write the outcomes as JSON to this file")
    args = ap.parse_args()

    mutants, errors = parse_mutants(args.mutants)
    if errors:
        sys.exit("\n".join(errors))
    if args.ids:
        def chosen(m):
            return any(m.id == i or (i.endswith("*") and m.id.startswith(i[:-1])) for i in args.ids)
        mutants = [m for m in mutants if chosen(m)]
        if not mutants:
            sys.exit("no mutant matches " + " ".join(args.ids))

    if args.list:
        for m in mutants:
            mark = "  [equivalent: " + m.equivalent + "]" if m.equivalent else ""
            print(f"{m.id:28} {m.file:42} {m.reason}{mark}")
        return 0
    if args.check:
        bad = 0
        for m in mutants:
            p = REPO / m.file
            n = p.read_bytes().count(m.original.encode()) if p.exists() else -1
            if n != 1:
                bad += 1
                print(f"{m.id}: original text found {n} times in {m.file}")
        print(f"{len(mutants) - bad} of {len(mutants)} mutants apply")
        return 1 if bad else 0

    scratch = Path(args.scratch).resolve()
    if str(scratch).startswith(str(REPO) + os.sep) or scratch == REPO:
        sys.exit("the scratch folder must lie outside the source tree")
    tree, build = scratch / "tree", scratch / "tree" / "build"
    env = build_env(scratch)
    t_all = time.monotonic()
    log(f"copying {REPO} to {tree}")
    tree.mkdir(parents=True, exist_ok=True)
    log(f"  {sync_tree(REPO, tree)} files written")
    configure(tree, build, env)
    programs = test_programs(build, env)
    if args.tests:
        programs = {n: t for n, t in programs.items() if re.search(args.tests, n)}
        if not programs:
            sys.exit("no non-GUI test matches " + args.tests)
    targets = sorted(set(programs.values()))
    log(f"building {len(targets)} test programs")
    t0 = time.monotonic()
    rc, out, _ = build_targets(build, targets, env, args.jobs, None)
    if rc != 0:
        sys.exit("the unmutated tree does not build:\n" + out[-3000:])
    log(f"  built in {time.monotonic() - t0:.0f} s")
    log("running the unmutated tests")
    t0 = time.monotonic()
    rc, out, _, failed, _ = run_tests(build, env, args.jobs, args.timeout * 2, sorted(programs))
    if rc != 0:
        sys.exit("the unmutated tests fail, nothing to measure:\n" + out[-3000:])
    log(f"  passed in {time.monotonic() - t0:.0f} s")

    outcomes = []
    for n, m in enumerate(mutants, 1):
        if m.equivalent and not args.equivalent:
            outcomes.append(Outcome(m, "equivalent", detail=m.equivalent))
            continue
        log(f"[{n}/{len(mutants)}] {m.id}: {m.reason}")
        o = try_mutant(m, tree, build, programs, env, args)
        log(f"  {o.result} ({o.seconds:.0f} s) {' '.join(o.failed)} {o.detail}")
        outcomes.append(o)
    # Leave the scratch build matching the sources again.
    build_targets(build, targets, env, args.jobs, None)

    print(f"{'id':28} {'result':12} {'s':>5}  caught by / note")
    for o in outcomes:
        note = ", ".join(o.failed) if o.failed else o.detail
        print(f"{o.mutant.id:28} {o.result:12} {o.seconds:5.0f}  {note}")
    counts = {}
    for o in outcomes:
        counts[o.result] = counts.get(o.result, 0) + 1
    caught = counts.get("caught", 0) + counts.get("timeout", 0)
    scored = caught + counts.get("missed", 0)
    print()
    print("  ".join(f"{k}: {v}" for k, v in sorted(counts.items())))
    if scored:
        print(f"score: {caught}/{scored} caught = {100.0 * caught / scored:.1f}%"
              " (timeouts count as caught; stale, build errors and equivalents are left out)")
    print(f"total time: {time.monotonic() - t_all:.0f} s")
    survivors = [o.mutant.id for o in outcomes if o.result == "missed"]
    if survivors:
        print("missed: " + " ".join(survivors))
    if args.results:
        Path(args.results).write_text(
            json.dumps(
                [
                    {"id": o.mutant.id, "file": o.mutant.file, "result": o.result,
                     "seconds": round(o.seconds, 1), "failed": o.failed, "detail": o.detail}
                    for o in outcomes
                ],
                indent=1,
            )
        )
    return 0 if not survivors else 1


if __name__ == "__main__":
    sys.exit(main())
