#!/bin/bash
# Opening a large source given on the command line, QVASMIDE against the peer IDEs SASM (Qt) and
# Geany (GTK), in one sitting, on a private Xvfb without a window manager. Uses the harness of
# bench/startup (guibench.py: t_map, t_resp = first ping answered, max stall, t_idle, RSS), for
# the scenarios start-up, 1 MiB and 10 MiB of gen_data.py's generated source.
#
#   sudo bench/startup/setup.sh             # once per machine: Xvfb, python3-xlib, sasm, geany
#   bench/editor/run_open.sh [PROGRAM_DIR]  # default: build/bin of this checkout
#   PEERS=0 bench/editor/run_open.sh        # ours only
#
# Our settings are seeded past the first-run notice (Installed=1; empty=1 as in the earlier
# figures) with the first-run defaults otherwise (formatting on). Results: $RESULTS_DIR (default
# /tmp/qvasmide_open): *.jsonl, *.txt and summary.md.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
HARNESS=$HERE/../startup
# shellcheck source=bench/startup/sitting.sh
. "$HARNESS/sitting.sh"
PROGRAM_DIR=$(cd "${1:-$HERE/../../build/bin}" && pwd)
RUNS=${RUNS:-5}
RUNS_BIG=${RUNS_BIG:-5}
PEERS=${PEERS:-1}
export RESULTS_DIR=${RESULTS_DIR:-/tmp/qvasmide_open}
export BENCH_DISPLAY=${BENCH_DISPLAY:-:97}
export DISPLAY=$BENCH_DISPLAY
export ASM_1M=${ASM_1M:-/tmp/asm_1M.asm}
export ASM_10M=${ASM_10M:-/tmp/asm_10M.asm}
sitting_begin "$RESULTS_DIR"
[ -f "$ASM_1M" ] || python3 "$HERE/../colouring/gen_data.py" file --size 1MiB --seed 1 --out "$ASM_1M"
[ -f "$ASM_10M" ] || python3 "$HERE/../colouring/gen_data.py" file --size 10MiB --seed 1 --out "$ASM_10M"

OURS_SEED=$(ours_seed empty=1 loadws=0 tips=0 useformatting=1)
machine_info "$PROGRAM_DIR" ", load $(cut -d' ' -f1-3 /proc/loadavg)" | tee "$RESULTS_DIR/machine.txt"

"$HARNESS/bench_gui.sh" qvasmide --runs "$RUNS" --runs-big "$RUNS_BIG" --seed-cmd "$OURS_SEED" \
    --env QT_XCB_GL_INTEGRATION=none -- "$PROGRAM_DIR/qvasmide"
if [ "$PEERS" = 1 ]; then
    command -v geany >/dev/null &&
        "$HARNESS/bench_gui.sh" geany --runs "$RUNS" --runs-big "$RUNS_BIG" -- geany
    command -v sasm >/dev/null &&
        "$HARNESS/bench_gui.sh" sasm-nogl --runs "$RUNS" --runs-big "${SASM_RUNS_BIG:-2}" \
            --seed-cmd "$SASM_SEED" --env QT_XCB_GL_INTEGRATION=none -- sasm
fi
sitting_end "$RESULTS_DIR"
