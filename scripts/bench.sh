#!/usr/bin/env bash
# Builds the program and the benchmark into ./build (or $ORVEL_BUILD_DIR) and
# prints one table: each step measured `runs` times (default 5), the median,
# the fastest and the slowest run. Needs LibreOffice Calc; takes about ten
# seconds a run.
#   scripts/bench.sh [runs]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVEL_BUILD_DIR:-$top/build}
runs=${1:-5}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target orvel bench_orvel >/dev/null
# The progress and Qt's notes go to stderr; the table alone to stdout.
QT_QPA_PLATFORM=offscreen "$build/bin/bench_orvel" "$runs" 2>"$build/bench.log" || {
    cat "$build/bench.log" >&2
    exit 1
}
# The payment schedule's rows (no office): the same table's format, no header.
cmake --build "$build" -j2 --target bench_schedule >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/bench_schedule" "$runs" 2>>"$build/bench.log" || {
    cat "$build/bench.log" >&2
    exit 1
}
# The deposit window over ten years of daily capitalization (no office
# needed): its rows follow the table.
cmake --build "$build" -j2 --target bench_deposit_window >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/bench_deposit_window" "$runs" 2>>"$build/bench.log" || {
    cat "$build/bench.log" >&2
    exit 1
}
# A currency's history over ten years, read and drawn (no office needed):
# its rows follow the table.
cmake --build "$build" -j2 --target bench_rate_history >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/bench_rate_history" "$runs" 2>>"$build/bench.log" || {
    cat "$build/bench.log" >&2
    exit 1
}
# The penalties window following a typed key (no office needed).
cmake --build "$build" -j2 --target bench_penalty_window >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/bench_penalty_window" "$runs" 2>>"$build/bench.log" || {
    cat "$build/bench.log" >&2
    exit 1
}
# The penalties and the deposit on their own (no window, no office).
cmake --build "$build" -j2 --target bench_penalty bench_deposit >/dev/null
for program in bench_penalty bench_deposit; do
    "$build/bin/$program" "$runs" 2>>"$build/bench.log" || {
        cat "$build/bench.log" >&2
        exit 1
    }
done
