# Sourced by the end-to-end scripts once $bin is set: skips (exit 77) without the tools named as
# arguments (xdotool and xprop always) or without an X display, gives the program fresh settings and runtime folders, and
# when the script ends stops only the process it started, by its pid ($pid).
for tool in xdotool xprop "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no X display (run under xvfb-run)"; exit 77; }

work=$(mktemp -d)
pid=
holder=
cleanup() {
    local p
    for p in "$pid" "$holder"; do
        if [ -n "$p" ] && kill -0 "$p" 2>/dev/null; then
            kill "$p" 2>/dev/null || true
            wait "$p" 2>/dev/null || true
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT
# The X server resets whenever its last client leaves, and a program connecting just then fails;
# one client stays connected for the whole script so that the short xdotool calls never are last.
xprop -root -spy >/dev/null 2>&1 &
holder=$!

export XDG_CONFIG_HOME=$work/config
export XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/run
export QT_QPA_PLATFORM=xcb
export QT_XCB_GL_INTEGRATION=none
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
ini_dir="$XDG_CONFIG_HOME/Kestrelmoor Software"
ini="$ini_dir/qvasmide.ini"

fail() {
    echo "FAIL: $*"
    [ -n "$pid" ] && for w in $(xdotool search --onlyvisible --pid "$pid" --name "" 2>/dev/null); do
        echo "  window: $(xdotool getwindowname "$w")"
    done
    exit 1
}

# The visible window of our process whose title matches the pattern $1 (an extended regular
# expression, case-sensitive: xdotool's own search ignores case, and a message box is titled
# "qvasmide" beside the main window's "QVASMIDE"); empty after 30 s.
find_window() {
    local i w
    for ((i = 0; i < 300; i++)); do
        for w in $(xdotool search --onlyvisible --pid "$pid" --name '' 2>/dev/null); do
            if xdotool getwindowname "$w" 2>/dev/null | grep -Eqx -- "$1"; then
                echo "$w"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

press() { # window key...
    local w=$1
    shift
    xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus --sync "$w"
    xdotool key --clearmodifiers "$@"
}

# Opens the File menu of the main window ($main) and waits until its pop-up is mapped.
open_file_menu() {
    local before i
    before=$(xdotool search --onlyvisible --pid "$pid" --name '' 2>/dev/null | wc -l)
    press "$main" alt+f
    for ((i = 0; i < 300; i++)); do
        [ "$(xdotool search --onlyvisible --pid "$pid" --name '' 2>/dev/null | wc -l)" -gt "$before" ] \
            && return 0
        sleep 0.1
    done
    fail "the File menu did not open"
}

# Lets the program run until it ends by itself and returns its exit code; fails after 30 s.
await_exit() {
    local i
    for ((i = 0; i < 300; i++)); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
        sleep 0.1
    done
    fail "program did not end"
}
