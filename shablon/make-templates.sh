#!/usr/bin/env bash
# Rebuilds shablon/nds.xls and shablon/upr.xls from their sources in
# shablon/src: the Python script writes flat ODF spreadsheets, a headless
# LibreOffice with a profile of its own turns them into Excel 97-2003 files.
#
# Needs python3 and LibreOffice Calc (Debian: python3, libreoffice-calc-nogui).
# Usage: shablon/make-templates.sh [output folder, default shablon/]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(cd "${1:-$here}" && pwd)
export PYTHONDONTWRITEBYTECODE=1
python=${PYTHON:-/usr/bin/python3}
[[ -x $python ]] || python=python3
soffice=${SOFFICE:-soffice}

work=$(mktemp -d /tmp/orvel-templates.XXXXXX)
pid=
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
        kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

"$python" "$here/src/make_fods.py" "$work"

# A private profile keeps this instance apart from any LibreOffice the user
# has open; setsid gives it a process group of its own to end on failure.
setsid "$soffice" -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to 'xls:MS Excel 97' --outdir "$work/xls" "$work/nds.fods" "$work/upr.fods" \
    >"$work/soffice.log" 2>&1 &
pid=$!
if ! wait "$pid"; then
    cat "$work/soffice.log" >&2
    exit 1
fi
pid=
for name in nds upr; do
    if [[ ! -s $work/xls/$name.xls ]]; then
        cat "$work/soffice.log" >&2
        echo "make-templates: $name.xls was not written" >&2
        exit 1
    fi
    cp "$work/xls/$name.xls" "$out/$name.xls"
    echo "wrote $out/$name.xls"
done
