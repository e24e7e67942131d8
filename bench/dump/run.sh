#!/usr/bin/env bash
# dump on a 1 GB file: time from launch to the first rows painted and the memory then (the real
# program, started 7 times under one Xvfb), then scrolling smoothness (bench_dumpscroll).
#   cmake --build build --target bench_dumpscroll dump && bench/dump/run.sh [BUILD_DIR]
# The file is random bytes, written once to $TMPDIR; runs after the first find it in the page
# cache. With permission to drop caches (root, not in a container) a cold run is measured too.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
dump=$build/bin/tools/dump
scroll=$build/bench/bench_dumpscroll
file=${TMPDIR:-/tmp}/dump-bench-1G.bin
[ -x "$dump" ] && [ -x "$scroll" ] || { echo "build first: cmake --build build --target dump bench_dumpscroll"; exit 1; }
if [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" != 1073741824 ]; then
    head -c 1G /dev/urandom > "$file"
fi

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

launch() {
    QVASMIDE_DUMP_TRACE=$(date +%s%N) "$dump" "$file" 2>/dev/null
}

if sync && echo 3 > /proc/sys/vm/drop_caches 2>/dev/null; then
    echo "cold cache: $(launch)"
fi
launch > /dev/null # warm-up
for i in 1 2 3 4 5 6 7; do launch; done | sort -t' ' -k2 -n | awk '
    { ms[NR] = $2; rss[NR] = $4; anon[NR] = $6 }
    END { printf "warm, 7 runs: first rows median %.1f ms (min %.1f, max %.1f), rss %d KB (anon %d KB)\n",
                 ms[4], ms[1], ms[7], rss[4], anon[4] }'
"$scroll" "$file" 2>/dev/null
