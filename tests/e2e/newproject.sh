#!/bin/bash
# End-to-end: a user makes a .COM project and builds it, in the real program on the X server that
# xvfb-run gives it. File > New Workspace, "hello" in the Create New dialog, Yes to the new folder,
# Create in "New .COM project", F9; then the .com file the bundled assembler wrote and the bytes
# of the workspace file are checked, and File > Exit saves the workspace and the recent list.
# Only processes this script started are ever stopped, by their pid.
#   usage: xvfb-run -a newproject.sh PATH/TO/qvasmide
set -euo pipefail
bin=$(readlink -f "$1")
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh" python3
[ -x "$(dirname "$bin")/tools/qvasm" ] || { echo "SKIP: no bundled qvasm beside $bin"; exit 77; }

mkdir -p "$ini_dir"
# Installed already, no tip of the day: the program comes straight up.
printf '[Settings]\nInstalled=1\ntips=0\nuseformatting=1\n' >"$ini"

# Waits until a file exists; fails after 30 s.
await_file() {
    local i
    for ((i = 0; i < 300; i++)); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    fail "$1 was not written"
}

# A Create New dialog in project mode starts at the current folder.
mkdir -p "$work/projects"
cd "$work/projects"
project=$work/projects/hello

echo "1. New Workspace through the dialogs"
"$bin" &
pid=$!
main=$(find_window "QVASMIDE") || true
[ -n "$main" ] || fail "main window not mapped"
open_file_menu
xdotool key w
create=$(find_window "Create New \.\.\.") || true
[ -n "$create" ] || fail "no Create New dialog"
xdotool windowfocus --sync "$create"
xdotool type --delay 20 "hello"
press "$create" Return
question=$(find_window "qvasmide") || true
[ -n "$question" ] || fail "no question about the new folder"
press "$question" Return
options=$(find_window "New \.COM project") || true
[ -n "$options" ] || fail "no New .COM project dialog"
press "$options" Return
await_file "$project/hello.qvw"
[ -f "$project/hello.asm" ] || fail "no main file"
# The document area adds the maximised window's own title after the frame's.
main=$(find_window "QVASMIDE - \[.*/hello\.asm\]( .*)?") || true
[ -n "$main" ] || fail "main file not the active window"

echo "2. Build (F9) with the bundled assembler"
press "$main" F9
await_file "$project/hello.com"
com=$(od -An -tx1 "$project/hello.com" | tr -d ' \n')
[ "$com" = "b8004ccd21" ] || fail "hello.com holds $com"

echo "3. The workspace file, byte for byte where it matters"
python3 - "$project" <<'EOF' || fail "workspace file"
import struct, sys
d = sys.argv[1]
b = open(d + "/hello.qvw", "rb").read()
def text(off, size=260):
    return b[off:off + size].split(b"\0")[0].decode()
assert len(b) == 32768, len(b)
assert b[0] == 0xDE and b[1] == 0, b[:2]
assert struct.unpack_from("<i", b, 2)[0] == 1
assert text(5808) == d + "/hello.qvw", text(5808)
assert text(6068) == ""
assert text(6328) == d + "/hello.asm", text(6328)
assert text(6588) == d + "/hello.com", text(6588)
assert text(6848) == d + "/hello.asm"
assert b[6848 + 260] == 1
assert b[6848 + 324:] == bytes(32768 - 6848 - 324)
EOF
echo "4. File > Exit saves the workspace and the recent list"
open_file_menu
xdotool key x
status=0
await_exit || status=$?
pid=
[ "$status" = 0 ] || fail "exit code $status"
python3 - "$project" <<'EOF' || fail "workspace not saved on exit"
import sys
b = open(sys.argv[1] + "/hello.qvw", "rb").read()
assert b[6848 + 260] == 1 and b[6848 + 261] == 1, b[6848 + 260:6848 + 262]
EOF
grep -q "^lastws=$project/hello.qvw" "$ini" || fail "lastws not set"
grep -q "^WorkSpace1=$project/hello.qvw" "$ini" || fail "recent workspace not written"
echo "PASS"
