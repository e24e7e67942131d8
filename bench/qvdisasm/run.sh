#!/usr/bin/env bash
# qvdisasm throughput on 10 MB, against ndisasm on the same files in the same run.
#   bench/qvdisasm/run.sh [BUILD_DIR]      (or: cmake --build build --target bench_qvdisasm)
# Two inputs: real 16-bit code (generated, assembled with nasm, repeated to 10 MB) and random
# bytes (the worst case: many undecodable bytes and odd prefixes). Each command runs 3 times;
# the median run is reported. Output goes to /dev/null, so this measures decoding and
# formatting, not the disk.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
qvdisasm=$build/bin/tools/qvdisasm
work=${TMPDIR:-/tmp}/qvdisasm-bench
mkdir -p "$work"
command -v ndisasm >/dev/null || { echo "ndisasm missing (Debian package nasm)"; exit 1; }
[ -x "$qvdisasm" ] || { echo "build qvdisasm first: $qvdisasm"; exit 1; }

size=$((10 * 1024 * 1024))
if [ ! -f "$work/code.bin" ]; then
    python3 "$here/gen_code16.py" 1 20000 > "$work/code.asm"
    nasm -f bin -o "$work/unit.bin" "$work/code.asm"
    : > "$work/code.bin"
    while [ "$(stat -c %s "$work/code.bin")" -lt "$size" ]; do cat "$work/unit.bin" >> "$work/code.bin"; done
    truncate -s "$size" "$work/code.bin"
fi
[ -f "$work/random.bin" ] || head -c "$size" /dev/urandom > "$work/random.bin"

# "wall-ms cpu-ms" of the run with the median CPU time out of 3 runs of "$@". CPU time (user +
# system) is what to compare on a shared machine; wall time is what a user waits.
median() {
    local runs=() t0 t1 cpu
    for _ in 1 2 3; do
        t0=$(date +%s%N)
        cpu=$( { TIMEFORMAT='%3U %3S'; time "$@" > /dev/null; } 2>&1 | awk '{ printf "%d", ($1 + $2) * 1000 }')
        t1=$(date +%s%N)
        runs+=("$cpu $(( (t1 - t0) / 1000000 ))")
    done
    printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p
}

printf '%-8s %-18s %9s %8s %9s %8s\n' input command cpu-ms MB/s wall-ms MB/s
for input in code random; do
    f=$work/$input.bin
    for name in "qvdisasm listing" "qvdisasm source" "ndisasm"; do
        case $name in
        "qvdisasm listing") cmd=("$qvdisasm" "$f" /o0x00000100 /e0x00000000 /b) ;;
        "qvdisasm source") cmd=("$qvdisasm" "$f" /o0x00000100 /e0x00000000 /n /N /b) ;;
        ndisasm) cmd=(ndisasm -b16 -o0x100 "$f") ;;
        esac
        read -r cpu wall < <(median "${cmd[@]}")
        printf '%-8s %-18s %9s %8s %9s %8s\n' "$input" "$name" "$cpu" \
            "$(awk -v ms="$cpu" 'BEGIN { printf "%.1f", 10 * 1000 / ms }')" "$wall" \
            "$(awk -v ms="$wall" 'BEGIN { printf "%.1f", 10 * 1000 / ms }')"
    done
done
