#!/bin/bash
# Opening the generated 10 MiB source in QVASMIDE with formatting on and off, against SASM and
# Geany, in one sitting, on a private Xvfb without a window manager. The harness is the one of
# bench/startup (guibench.py, see its README): t_map (main window mapped), t_resp (first answer
# to a ping from the event loop), t_idle (CPU time stops growing), max_stall (longest wait for a
# ping answer: how long the window froze), RSS at the idle moment.
#
#   sudo bench/startup/setup.sh              # once per machine: Xvfb, python3-xlib, sasm, geany
#   bench/colouring/run_open.sh [PROGRAM_DIR] # default: build/bin of this checkout
#
# Environment: RUNS (ours, default 5), PEER_RUNS (default 3; SASM takes about a minute a run),
# SIZE (default 10MiB), RESULTS_DIR (default /tmp/qvasmide_open). Results: *.jsonl, *.txt,
# summary.md and shots/ (a picture of each program's window).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
HARNESS=$HERE/../startup
# shellcheck source=bench/startup/sitting.sh
. "$HARNESS/sitting.sh"
PROGRAM_DIR=$(cd "${1:-$HERE/../../build/bin}" && pwd)
RUNS=${RUNS:-5}
PEER_RUNS=${PEER_RUNS:-3}
SIZE=${SIZE:-10MiB}
OUT=${RESULTS_DIR:-/tmp/qvasmide_open}
export BENCH_DISPLAY=${BENCH_DISPLAY:-:95}
export DISPLAY=$BENCH_DISPLAY
sitting_begin "$OUT"
SOURCE=$OUT/asm_$SIZE.asm
[ -f "$SOURCE" ] || python3 "$HERE/gen_data.py" file --size "$SIZE" --seed 1 --out "$SOURCE"

# Seeded past the first-run notice; empty=1 and loadws=0 as in the earlier figures.
seed() { ours_seed empty=1 loadws=0 tips=0 "useformatting=$1"; }

NETNS=(unshare --net --)
REQ=(--require-netns)
if ! unshare --net -- true 2>/dev/null; then
    echo "WARNING: unshare --net not possible (need root); network NOT isolated" >&2
    NETNS=(); REQ=()
fi
run() { # run LABEL RUNS SEED ENV... -- PROGRAM...
    local label=$1 runs=$2 seedcmd=$3; shift 3
    local envs=()
    while [ "$1" != "--" ]; do envs+=(--env "$1"); shift; done
    shift
    "${NETNS[@]}" /usr/bin/python3 "$HARNESS/guibench.py" --label "$label" --runs "$runs" \
        --warmup 1 --timeout 300 "${REQ[@]}" --seed-cmd "$seedcmd" "${envs[@]}" \
        --out "$OUT/$label.jsonl" --shot-dir "$OUT/shots" -- "$@" "$SOURCE" 2>&1 |
        tee -a "$OUT/$label.txt"
}

machine_info "$PROGRAM_DIR" "; file $SOURCE ($(stat -c %s "$SOURCE") bytes)" | tee "$OUT/machine.txt"

run qvasmide-formatting-on "$RUNS" "$(seed 1)" QT_XCB_GL_INTEGRATION=none -- "$PROGRAM_DIR/qvasmide"
run qvasmide-formatting-off "$RUNS" "$(seed 0)" QT_XCB_GL_INTEGRATION=none -- "$PROGRAM_DIR/qvasmide"
if command -v geany >/dev/null; then
    run geany "$PEER_RUNS" "" -- geany
fi
if command -v sasm >/dev/null; then
    run sasm-nogl "$PEER_RUNS" "$SASM_SEED" QT_XCB_GL_INTEGRATION=none -- sasm
fi
sitting_end "$OUT"
