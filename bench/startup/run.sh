#!/bin/bash
# Start-up of QVASMIDE against the peer IDEs SASM (Qt) and Geany (GTK), in one sitting, on a
# private Xvfb without a window manager. Each program gets a fresh HOME per run; ours is seeded
# with Installed=1 so that the first-run notice does not show; Qt programs run without the GLX
# probe (QT_XCB_GL_INTEGRATION=none). Measured by guibench.py (see README.md here): t_map (main
# window mapped), t_resp (first answer to a ping from the event loop), RSS.
#
#   sudo bench/startup/setup.sh          # once per machine: Xvfb, python3-xlib, sasm, geany
#   bench/startup/run.sh [PROGRAM_DIR]   # default: build/bin of this checkout
#
# Results: $RESULTS_DIR (default /tmp/qvasmide_startup): *.jsonl, *.txt and summary.md.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
HARNESS=$HERE
# shellcheck source=bench/startup/sitting.sh
. "$HARNESS/sitting.sh"
PROGRAM_DIR=$(cd "${1:-$HERE/../../build/bin}" && pwd)
RUNS=${RUNS:-7}
export RESULTS_DIR=${RESULTS_DIR:-/tmp/qvasmide_startup}
export BENCH_DISPLAY=${BENCH_DISPLAY:-:98}
export DISPLAY=$BENCH_DISPLAY
sitting_begin "$RESULTS_DIR"

OURS_SEED=$(ours_seed)
machine_info "$PROGRAM_DIR" | tee "$RESULTS_DIR/machine.txt"

# Alternating rounds, so that drift on a shared machine hits every program alike.
for round in 1 2; do
    "$HERE/bench_gui.sh" "qvasmide-r$round" --only-startup --runs "$RUNS" --seed-cmd "$OURS_SEED" \
        --env QT_XCB_GL_INTEGRATION=none -- "$PROGRAM_DIR/qvasmide"
    if command -v sasm >/dev/null; then
        "$HERE/bench_gui.sh" "sasm-nogl-r$round" --only-startup --runs "$RUNS" \
            --seed-cmd "$SASM_SEED" --env QT_XCB_GL_INTEGRATION=none -- sasm
    fi
    if command -v geany >/dev/null; then
        "$HERE/bench_gui.sh" "geany-r$round" --only-startup --runs "$RUNS" -- geany
    fi
done
sitting_end "$RESULTS_DIR"
