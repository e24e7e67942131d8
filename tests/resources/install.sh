#!/bin/bash
# A staged install (DESTDIR, so nothing reaches the machine): the program folder with the IDE,
# qvasmide.hlt, the console tools and the wizard's include files, the command in bin/ that runs it, and the desktop entry
# and file types, read by the real mime database tool into the staging folder only.
#   usage: install.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1 build=$2 source=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$stage "$cmake" --install "$build" --prefix /usr/local >/dev/null
root=$stage/usr/local
program=$root/lib/qvasmide
for f in qvasmide qvasmide.hlt tools/qvasm tools/qvdisasm tools/dump \
         tools/include/qvasmc.inc tools/include/qvasme.inc tools/include/readme.txt; do
    [ -f "$program/$f" ] || fail "program folder lacks $f"
done
for f in qvasmide tools/qvasm tools/qvlink tools/qvdisasm tools/dump; do
    [ -x "$program/$f" ] || fail "$f is not executable"
done
cmp -s "$program/qvasmide.hlt" "$source/src/resources/help/qvasmide.hlt" || fail "help file differs"

# The command on the PATH is the program of the program folder.
[ -L "$root/bin/qvasmide" ] || fail "bin/qvasmide is not a link"
[ "$(readlink -f "$root/bin/qvasmide")" = "$(readlink -f "$program/qvasmide")" ] ||
    fail "bin/qvasmide points to $(readlink "$root/bin/qvasmide")"
version=$(QT_QPA_PLATFORM=offscreen "$root/bin/qvasmide" --version)
[ "$version" = "qvasmide 00.24.35" ] || fail "installed program says: $version"

desktop=$root/share/applications/qvasmide.desktop
mime=$root/share/mime/packages/qvasmide.xml
[ -f "$desktop" ] || fail "no desktop entry"
[ -f "$mime" ] || fail "no file types"
[ -f "$root/share/icons/hicolor/scalable/apps/qvasmide.svg" ] || fail "no icon"
grep -qx 'Exec=qvasmide %f' "$desktop" || fail "desktop entry does not start qvasmide with a file"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi

# Every type the entry claims is declared, and each of our extensions maps to one of them.
if command -v update-mime-database >/dev/null; then
    # It exits 0 even on a file it cannot parse, and notes that a staging folder is not searched.
    said=$(update-mime-database "$root/share/mime" 2>&1) || fail "update-mime-database: $said"
    if grep -qi "error\|failed" <<<"$said"; then fail "the mime database tool refuses the file types: $said"; fi
    globs=$root/share/mime/globs2
    for ext in qvw asm inc; do
        grep -q ":\*\.$ext$" "$globs" || fail "*.$ext has no type"
    done
    types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | sed '/^$/d')
    for t in $types; do
        grep -q ":$t:" "$globs" || fail "the desktop entry claims $t, which nothing declares"
    done
else
    echo "update-mime-database missing: file types read by grep only"
    for ext in qvw asm inc; do
        grep -q "pattern=\"\*\.$ext\"" "$mime" || fail "*.$ext has no type"
    done
fi
# The console tools are commands too.
for tool in qvasm qvlink qvdisasm; do
    [ "$(readlink -f "$root/bin/$tool")" = "$(readlink -f "$program/tools/$tool")" ] ||
        fail "bin/$tool is not the program folder's $tool"
done

# The icon at every size a desktop asks for, each PNG as large as its folder says.
for size in 16 22 24 32 48 64 128 256; do
    png=$root/share/icons/hicolor/${size}x${size}/apps/qvasmide.png
    [ -f "$png" ] || fail "no ${size}x${size} icon"
    dims=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "not-png")' "$png")
    [ "$dims" = "${size}x${size}" ] || fail "${size}x${size} icon is $dims"
done

# The software centre's description, valid where the validator is installed.
metainfo=$root/share/metainfo/example.kestrelmoor.qvasmide.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo"
grep -q '<launchable type="desktop-id">qvasmide.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not name the desktop entry"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >/dev/null || fail "metainfo does not validate"
fi

# A manual page for each command, compressed.
for page in qvasmide qvasm qvlink qvdisasm dump; do
    gz=$root/share/man/man1/$page.1.gz
    [ -f "$gz" ] || fail "no manual page for $page"
    gzip -dc "$gz" | head -1 | grep -q "^\.TH \"$(tr a-z A-Z <<<"$page")\" \"1\"" ||
        fail "$page.1.gz is not a manual page"
done
echo "PASS"
