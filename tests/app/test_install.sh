#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed program
# (offscreen, ORVEL_SELFTEST=1) to see that it finds its templates and skin in
# <prefix>/share/orvel; then the same for the program in the build tree, which
# must keep using build/bin. Also validates the desktop entry and AppStream data.
# Usage: test_install.sh <build folder> [<cmake>]
set -euo pipefail
build=$(cd "$1" && pwd -P)
cmake=${2:-cmake}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tmp=$(cd "$tmp" && pwd -P) # the program reports its folder with links resolved
prefix=$tmp/prefix
failed=0
fail() { echo "FAIL: $*"; failed=1; }

"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }

id=example.kestrin.Orvel
for f in bin/orvel share/orvel/shablon/nds.xls share/orvel/shablon/upr.xls share/orvel/MacMetal.qss \
         share/orvel/keyrate-2026-03-20.xml \
         share/applications/$id.desktop share/icons/hicolor/scalable/apps/$id.svg \
         share/metainfo/$id.metainfo.xml share/man/man1/orvel.1.gz \
         share/doc/orvel/copyright share/doc/orvel/changelog.gz; do
    [[ -f $prefix/$f ]] || fail "not installed: $f"
done
[[ -x $prefix/bin/orvel ]] || fail "bin/orvel is not executable"
# Only the program goes to bin/: no test programs, no data beside it.
extra=$(find "$prefix/bin" -mindepth 1 ! -name orvel)
[[ -z $extra ]] || fail "unexpected in bin/: $extra"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$tmp/as.log" \
    || { cat "$tmp/as.log"; fail "AppStream data"; }

# Starts a program in an empty working folder (so no rate cache is read) and
# compares its self-test report with the expected one.
selftest() { # <program> <expected folder>
    local work
    work=$(mktemp -d "$tmp/work.XXXX")
    local out rc=0
    out=$(cd "$work" && QT_QPA_PLATFORM=offscreen ORVEL_SELFTEST=1 timeout 60 "$1" 2>"$work/stderr") || rc=$?
    if ((rc != 0)); then
        cat "$work/stderr"
        fail "$1 exited with $rc"
        return
    fi
    local want
    want=$(printf '%s\n' "programFolder: $2" "shablon/nds.xls: found" "shablon/upr.xls: found" \
        "MacMetal.qss: found" "skin: applied" "window: shown")
    if [[ $out != "$want" ]]; then
        fail "$1 reported:"
        echo "$out"
        echo "expected:"
        echo "$want"
    else
        echo "$1: ok"
    fi
}
selftest "$prefix/bin/orvel" "$prefix/share/orvel"
selftest "$build/bin/orvel" "$build/bin"

((failed == 0)) && echo "install test passed"
exit "$failed"
