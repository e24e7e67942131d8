#!/usr/bin/env bash
# qvdisasm throughput on 10 MB, against ndisasm on the same files in the same run.
#   bench/qvdisasm/run.sh [BUILD_DIR]      (or: cmake --build build --target bench_qvdisasm)
# Two inputs: real 16-bit code (generated, assembled with nasm, repeated to 10 MB) and random
# bytes (the worst case: many undecodable bytes and odd prefixes). Each command runs 3 times;
# the median wall time is reported. Output goes to /dev/null, so this measures decoding and
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

# median wall seconds of 3 runs of "$@"
median() {
    local times=() t0 t1
    for _ in 1 2 3; do
        t0=$(date +%s%N)
        "$@" > /dev/null
        t1=$(date +%s%N)
        times+=("$(( (t1 - t0) / 1000000 ))")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 2p
}

printf '%-8s %-34s %9s %8s\n' input command ms MB/s
for input in code random; do
    f=$work/$input.bin
    for name in "qvdisasm listing" "qvdisasm source" "ndisasm"; do
        case $name in
        "qvdisasm listing") cmd=("$qvdisasm" "$f" /o0x00000100 /e0x00000000 /b) ;;
        "qvdisasm source") cmd=("$qvdisasm" "$f" /o0x00000100 /e0x00000000 /n /N /b) ;;
        ndisasm) cmd=(ndisasm -b16 -o0x100 "$f") ;;
        esac
        ms=$(median "${cmd[@]}")
        printf '%-8s %-34s %9s %8s\n' "$input" "$name" "$ms" \
            "$(awk -v ms="$ms" 'BEGIN { printf "%.1f", 10 * 1000 / ms }')"
    done
done
