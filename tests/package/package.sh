#!/bin/bash
# The Debian package, built by CPack into a temporary folder and read as apt would: its control
# fields and computed dependencies, its files, its maintainer scripts (none: the triggers of the
# desktop, mime and icon packages register what it installs), then the programs run from an
# extracted copy. Skipped (77) where dpkg-deb or dpkg-shlibdeps is missing.
#   usage: package.sh CPACK BUILD_DIR
set -euo pipefail
cpack=$1 build=$2
for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && "$cpack" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/qvasmide_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no qvasmide_VERSION_amd64.deb: $(ls "$work/out")"
deb=${debs[0]}
[ "$(basename "$deb")" = "qvasmide_0.24.35_amd64.deb" ] || fail "named $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = qvasmide ] || fail "Package: $(field Package)"
[ "$(field Version)" = 0.24.35 ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# Computed from the binaries: Qt's libraries, Capstone (the disassembler), the C++ runtime.
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6printsupport6 libqt6svg6 \
           libcapstone4 libstdc++6 libc6; do
    case ", $depends," in
    *", $lib "* | *", $lib,"*) ;;
    *) fail "Depends lacks $lib: $depends" ;;
    esac
done
# Nothing the build itself needs (headers, compilers) is asked of the user.
if grep -Eq -- "-dev( |,|$)|cmake|g\+\+" <<<"$depends"; then fail "Depends asks for build tools: $depends"; fi
[ "$(field Recommends)" = dosbox ] || fail "Recommends: $(field Recommends)"

# No maintainer scripts: registration is left to the triggers of the folders' owners.
dpkg-deb -e "$deb" "$work/control"
for script in preinst postinst prerm postrm; do
    [ ! -e "$work/control/$script" ] || fail "unexpected maintainer script $script"
done

files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for f in ./usr/lib/qvasmide/qvasmide ./usr/lib/qvasmide/qvasmide.hlt \
         ./usr/lib/qvasmide/tools/qvasm ./usr/lib/qvasmide/tools/qvdisasm \
         ./usr/lib/qvasmide/tools/dump ./usr/lib/qvasmide/tools/include/qvasmc.inc \
         ./usr/bin/qvasmide ./usr/bin/qvasm ./usr/bin/qvdisasm \
         ./usr/lib/qvasmide/tools/qvlink ./usr/bin/qvlink ./usr/share/man/man1/qvlink.1.gz \
         ./usr/share/applications/qvasmide.desktop ./usr/share/mime/packages/qvasmide.xml \
         ./usr/share/icons/hicolor/scalable/apps/qvasmide.svg \
         ./usr/share/icons/hicolor/16x16/apps/qvasmide.png \
         ./usr/share/icons/hicolor/256x256/apps/qvasmide.png \
         ./usr/share/metainfo/example.kestrelmoor.qvasmide.metainfo.xml \
         ./usr/share/man/man1/qvasmide.1.gz ./usr/share/man/man1/qvasm.1.gz \
         ./usr/share/man/man1/qvdisasm.1.gz ./usr/share/man/man1/dump.1.gz; do
    grep -qx -- "$f" <<<"$files" || fail "package lacks $f"
done
# Only /usr, and every file root's.
if grep -v '^\./usr/\?' <<<"$files" | grep -qv '^\./$'; then fail "files outside /usr"; fi
if dpkg-deb -c "$deb" | awk '{ print $2 }' | grep -qv '^root/root$'; then fail "a file not owned by root"; fi

# The packaged programs, from an extracted copy: the IDE finds its tools beside itself.
dpkg-deb -x "$deb" "$work/root"
usr=$work/root/usr
[ "$(env -u DISPLAY "$usr/bin/qvasmide" --version)" = "qvasmide 00.24.35" ] || fail "packaged qvasmide --version"
cd "$work"
printf '.model tiny\n.code\n.start\n  mov ax, 4C00h\n  int 21h\n.end\n' >hello.asm
export XDG_CONFIG_HOME=$work/config
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/qvasmide" --assemble hello.asm) ||
    fail "packaged qvasmide --assemble: $out"
grep -q "Total Errors: 0" <<<"$out" || fail "no Build Window totals: $out"
[ -s hello.com ] || fail "packaged IDE made no program"
"$usr/bin/qvasm" hello.asm hello2.com >/dev/null || fail "packaged qvasm"
cmp -s hello.com hello2.com || fail "the IDE's and qvasm's programs differ"
"$usr/bin/qvdisasm" hello.com | grep -q "int     21h" || fail "packaged qvdisasm"
echo "PASS"
