# shellcheck shell=bash
# What the sittings against the peer IDEs share (bench/startup/run.sh, bench/editor/run_open.sh,
# bench/colouring/run_open.sh): sourced, not run. Expects HARNESS (this folder) to be set.

# sitting_begin RESULTS_DIR: a clean results folder, the X harness checked, the private X server up.
sitting_begin() {
    mkdir -p "$1"
    rm -f "$1"/*.jsonl
    /usr/bin/python3 -c 'import Xlib' 2>/dev/null ||
        { echo "python3-xlib missing: run setup.sh" >&2; exit 2; }
    "$HARNESS/xvfb.sh" start
}

# sitting_end RESULTS_DIR: the summary of every program's runs, the X server stopped.
sitting_end() {
    /usr/bin/python3 "$HARNESS/summarize.py" "$1"/*.jsonl | tee "$1/summary.md"
    "$HARNESS/xvfb.sh" stop
}

# ours_seed [KEY=VALUE...]: the shell code that seeds our settings in a fresh HOME: installed
# (no first-run notice) and the given Settings values.
ours_seed() {
    local body='[Settings]\nInstalled=1\n' pair
    for pair in "$@"; do body+="$pair\\n"; done
    # shellcheck disable=SC2016 # $HOME is the fresh one of each run, expanded there
    printf 'mkdir -p "$HOME/.config/Kestrelmoor Software" && printf "%s" > "$HOME/.config/Kestrelmoor Software/qvasmide.ini"' "$body"
}

# SASM's first start asks for a language otherwise.
# shellcheck disable=SC2016,SC2034
SASM_SEED='mkdir -p "$HOME/.config/SASM Project" && printf "[General]\nlanguage=1\n" > "$HOME/.config/SASM Project/SASM.conf"'

# machine_info PROGRAM_DIR [MORE]: the machine of the sitting (MORE follows its memory), our
# version and the peers' packages.
machine_info() {
    echo "# machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-)," \
         "$(nproc) cpus, $(free -m | awk '/Mem:/{print $2}') MiB${2:-}"
    echo "# qvasmide: $("$1/qvasmide" --version)"
    dpkg-query -W sasm geany 2>/dev/null || true
}
