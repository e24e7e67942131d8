#!/bin/sh
# Find in File(s) against grep -rniw and rg -n -i -w over the generated tree (2000 files, ~54 MB;
# word bufptr: 10,000 whole-word lines). Needs ripgrep (apt-get install -y ripgrep).
#   bench/search/run.sh [TREE_DIR] [RUNS]
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${QVASMIDE_BUILD_DIR:-build}
case $build in /*) ;; *) build="$root/$build" ;; esac
tree=${1:-/tmp/asmtree}
runs=${2:-9}
cmake --build "$build" --target bench_findinfiles bench_findinfilesdlg >/dev/null
if [ ! -d "$tree" ]; then
    python3 "$root/bench/colouring/gen_data.py" tree --out "$tree"
fi
command -v rg >/dev/null || { echo "ripgrep (rg) is missing: apt-get install -y ripgrep" >&2; exit 1; }
python3 "$here/run.py" --driver "$build/bench/bench_findinfiles" --dir "$tree" --runs "$runs"
# The same search through the IDE's dialog, worker thread and output pane.
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/bench_findinfilesdlg" --runs "$runs" "$tree"
