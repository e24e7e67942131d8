#!/bin/bash
# End-to-end start of the real program on the X server that xvfb-run gives it: a fresh settings
# folder, the first-run notice declined (nothing written), then accepted (main window mapped with
# its title), a second copy that hands over and ends, and File > Exit. Only processes this script
# started are ever stopped, by their pid.
#   usage: xvfb-run -a startup.sh PATH/TO/qvasmide
set -euo pipefail
bin=$(readlink -f "$1")
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh"

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
# The first run asks for tips at start-up: the first one shows, and the next is stored.
tip=$(find_window "Tip of the Day") || true
[ -n "$tip" ] || fail "no tip of the day"
press "$tip" Escape
grep -q '^tip_num=1' "$ini" || fail "tip_num not advanced"

echo "3. a second copy hands over and ends"
status=0
timeout 30 "$bin" || status=$?
[ "$status" = 0 ] || fail "second copy ended with $status"
kill -0 "$pid" || fail "first copy is gone"
count=$(xdotool search --onlyvisible --pid "$pid" --name '^QVASMIDE$' | wc -l)
[ "$count" = 1 ] || fail "$count main windows"

echo "4. File > Exit saves the bar layout"
open_file_menu
xdotool key x
status=0
await_exit || status=$?
pid=
[ "$status" = 0 ] || fail "exit code $status"
grep -q '^ToolbarState=' "$ini" || fail "ToolbarState not saved on exit"
echo "PASS"
