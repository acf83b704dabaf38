#!/usr/bin/env bash
# Before and after in one session: builds the program and bench_orvel of a
# base commit in a detached worktree of its own (its own build folder), runs
# its table and this checkout's back to back, each step `runs` times, and
# prints both tables, the idle threads and child processes of both programs,
# and the load of the machine; the worktree is removed afterwards.
#   scripts/bench-compare.sh [base-commit] [runs]     (default: main, 7)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
base=${1:-main}
runs=${2:-7}
commit=$(git -C "$top" rev-parse --short "$base^{commit}")
work=$(mktemp -d "${TMPDIR:-/tmp}/orvel-bench-base.XXXXXX")
cleanup() {
    git -C "$top" worktree remove --force "$work/src" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
git -C "$top" worktree add --detach "$work/src" "$commit" >/dev/null 2>&1

# Threads and child processes of a program started normally, after two
# seconds of doing nothing.
idle() {
    local program=$1 pid
    mkdir -p "$work/idle"
    (cd "$work/idle" && QT_QPA_PLATFORM=offscreen exec "$program") >/dev/null 2>&1 &
    pid=$!
    sleep 2
    printf 'threads %s, child processes %s, VmRSS %s\n' \
        "$(awk '/^Threads:/ {print $2}' /proc/$pid/status)" \
        "$(ps -o pid= --ppid "$pid" | wc -l)" \
        "$(awk '/^VmRSS:/ {print $2 " " $3}' /proc/$pid/status)"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
ORVEL_BUILD_DIR="$work/build" "$work/src/scripts/bench.sh" "$runs" >"$work/before.txt"
ORVEL_BUILD_DIR=${ORVEL_BUILD_DIR:-$top/build} "$top/scripts/bench.sh" "$runs" >"$work/after.txt"
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== before: $commit"
cat "$work/before.txt"
echo "idle: $(idle "$work/build/bin/orvel")"
echo
echo "== after: $(git -C "$top" rev-parse --short HEAD)$(git -C "$top" diff --quiet HEAD || echo ' (with changes)')"
cat "$work/after.txt"
echo "idle: $(idle "${ORVEL_BUILD_DIR:-$top/build}/bin/orvel")"
