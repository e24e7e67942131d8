#!/bin/bash
# End-to-end start of the real program on the X server that xvfb-run gives it: a fresh settings
# folder, the first-run notice declined (nothing written), then accepted (main window mapped with
# its title), a second copy that hands over and ends, and File > Exit. Only processes this script
# started are ever stopped, by their pid.
#   usage: xvfb-run -a startup.sh PATH/TO/qvasmide
set -euo pipefail
bin=$1
for tool in xdotool xprop; do
    command -v $tool >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no X display (run under xvfb-run)"; exit 77; }

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/run
export QT_QPA_PLATFORM=xcb
export QT_XCB_GL_INTEGRATION=none
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
ini="$XDG_CONFIG_HOME/Kestrelmoor Software/qvasmide.ini"

fail() { echo "FAIL: $*"; exit 1; }

# The visible top-level window of our process whose title is exactly $1.
find_window() {
    timeout 30 xdotool search --sync --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | head -1
}

# Lets the program run until it ends by itself; fails when it does not within 30 s.
await_exit() {
    local i
    for ((i = 0; i < 300; i++)); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
        sleep 0.1
    done
    fail "program did not end"
}

press() { # window key...
    local w=$1
    shift
    xdotool windowfocus --sync "$w"
    xdotool key --clearmodifiers "$@"
}

echo "1. first start, notice declined"
"$bin" &
pid=$!
notice=$(find_window "First Time Install") || true
[ -n "$notice" ] || fail "no first-run notice"
press "$notice" Escape
status=0
await_exit || status=$?
[ "$status" = 0 ] || fail "declined start ended with $status"
pid=
if [ -e "$ini" ] && grep -q 'Installed' "$ini"; then fail "declining wrote Installed"; fi

echo "2. first start again, notice accepted"
"$bin" &
pid=$!
notice=$(find_window "First Time Install") || true
[ -n "$notice" ] || fail "no first-run notice on the second start"
press "$notice" Return
main=$(find_window "QVASMIDE") || true
[ -n "$main" ] || fail "main window not mapped"
title=$(xprop -id "$main" _NET_WM_NAME | sed -n 's/.*= "\(.*\)"/\1/p')
[ "$title" = "QVASMIDE" ] || fail "title is '$title'"
xprop -id "$main" WM_CLASS | grep -q 'qvasmide' || fail "unexpected WM_CLASS"
grep -q '^Installed=1' "$ini" || fail "Installed=1 not written"
grep -q '^useformatting=1' "$ini" || fail "first-run defaults not written"

echo "3. a second copy hands over and ends"
status=0
timeout 30 "$bin" || status=$?
[ "$status" = 0 ] || fail "second copy ended with $status"
kill -0 "$pid" || fail "first copy is gone"
count=$(xdotool search --onlyvisible --pid "$pid" --name '^QVASMIDE$' | wc -l)
[ "$count" = 1 ] || fail "$count main windows"

echo "4. File > Exit saves the bar layout"
press "$main" alt+f
# The File menu is a window of its own once it is open.
for ((i = 0; i < 100; i++)); do
    [ "$(xdotool search --onlyvisible --pid "$pid" --name '' 2>/dev/null | wc -l)" -gt 1 ] && break
    sleep 0.1
done
xdotool key x
status=0
await_exit || status=$?
pid=
[ "$status" = 0 ] || fail "exit code $status"
grep -q '^ToolbarState=' "$ini" || fail "ToolbarState not saved on exit"
echo "PASS"
