#!/usr/bin/env bash
# Builds the libFuzzer target (clang, with the address and undefined-behaviour sanitizers) and
# runs it for SECONDS (default 600) on FUZZ_JOBS processes (default 2, both cores), from the seeds in fuzz_seeds and a dictionary
# of qvasm's keywords. Findings land in $TMPDIR/qvasm-fuzz/crashes.
#   bench/qvasm/fuzz.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-600}
jobs=${FUZZ_JOBS:-2}
work=${TMPDIR:-/tmp}/qvasm-fuzz
mkdir -p "$work/corpus" "$work/crashes"

if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'ok installed'; then
    sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang libclang-rt-14-dev
fi

sources=$(ls "$root"/tools/qvasm/*.cpp | grep -v '/main.cpp$')
flags=(-std=c++20 -O1 -g -I"$root/tools" -I"$root/src")
clang++ "${flags[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    $sources "$here/fuzz_qvasm.cpp" -o "$work/fuzz_qvasm"
clang++ "${flags[@]}" "$root/tools/qvasm/Keywords.cpp" "$here/keywords_dict.cpp" -o "$work/keywords_dict"
"$work/keywords_dict" > "$work/qvasm.dict"
for f in "$here"/fuzz_seeds/*; do
    # The first byte of an input picks the options.
    { printf '\x00'; cat "$f"; } > "$work/corpus/seed-$(basename "$f")"
done

cd "$work"
./fuzz_qvasm -max_total_time="$seconds" -fork="$jobs" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -dict=qvasm.dict -artifact_prefix=crashes/ -print_final_stats=1 \
    corpus 2>&1 | tee fuzz.log | grep -E 'Done|stat::|ERROR|SUMMARY' || true
echo "corpus: $(ls corpus | wc -l) inputs; findings: $(ls crashes | wc -l) (in $work/crashes)"
grep -o 'exec/s.*' fuzz.log | tail -1; grep -E '^#[0-9]+' fuzz.log | tail -1 | awk '{ gsub(/[#:]/, "", $1); print "executions:", $1 }'
