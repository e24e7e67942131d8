#!/usr/bin/env bash
# ./dev configures an existing build folder again when its configure arguments change (an option
# added or dropped, another build type) and leaves it alone when they do not.
# Usage: dev_configure.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build=$work/build

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

configure() { # build type, extra arguments
    QVASMIDE_BUILD_DIR=$build QVASMIDE_BUILD_TYPE=$1 QVASMIDE_CMAKE_ARGS=$2 \
        "$source_dir/dev" configure >"$work/log" 2>&1 || {
        cat "$work/log" >&2
        fail "configure failed"
    }
}

cached() { # name: its value in the cache
    sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"
}

cache_time() { stat -c %y "$build/CMakeCache.txt"; }

lean=-DQVASMIDE_BUILD_TESTS=OFF

configure Release "$lean"
[ "$(cached QVASMIDE_SANITIZE)" = OFF ] || fail "fresh folder: sanitizer on"
[ "$(cached CMAKE_BUILD_TYPE)" = Release ] || fail "fresh folder: build type"

before=$(cache_time)
configure Release "$lean"
[ "$(cache_time)" = "$before" ] || fail "same arguments configured again"

configure Release "$lean -DQVASMIDE_SANITIZE=ON"
[ "$(cached QVASMIDE_SANITIZE)" = ON ] || fail "added option not applied"

configure Release "$lean"
[ "$(cached QVASMIDE_SANITIZE)" = OFF ] || fail "dropped option kept its old value"

configure Debug "$lean"
[ "$(cached CMAKE_BUILD_TYPE)" = Debug ] || fail "changed build type not applied"
[ -f "$build/build.ninja" ] || fail "no build.ninja"
echo "ok"
